// How the process's memory is set up before the game starts.
#pragma once

// First thing in main, before any other thread exists: how the allocator is to work, and the
// heap, from here on, in memory the kernel may back with 2 MB pages.
void SetUpHeap();
