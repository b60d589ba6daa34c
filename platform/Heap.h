// How the process's memory is set up before the game starts.
#pragma once

// First thing in main, before any other thread exists: how the allocator is to work.
void SetUpHeap();

// Then, once SDL has started, before the game builds its window: the heap's first tens of
// megabytes, in large pages.
void ReserveHeapInLargePages();
