// Start-up allocates some fifteen megabytes (decoded pictures, the composed frame, the
// display library's tables, the compose table among them), and each small page of it touched
// for the first time costs a fault: on virtual machines ten microseconds or more each, more
// than the decoding itself. Served from one heap that the kernel may back with 2 MB pages,
// the same memory costs a fault per 2 MB.
#include "platform/Heap.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

// Where glibc's allocator serves the program; the sanitizers bring allocators of their own.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TIMBURIK_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TIMBURIK_OWN_ALLOCATOR 1
#endif
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE) && !defined(TIMBURIK_OWN_ALLOCATOR)
#define TIMBURIK_GLIBC_HEAP 1
#endif

void SetUpHeap() {
#ifdef TIMBURIK_GLIBC_HEAP
    // All threads share the one heap: a thread's own arena would be mapped apart, in small
    // pages. The game has a handful of threads that seldom allocate at once.
    mallopt(M_ARENA_MAX, 1);
    // Blocks up to 32 MB come from the heap rather than from a mapping of their own, and the
    // heap grows 16 MB at a time and is not given back below 64 MB: the game's pictures come
    // and go with the screens, and the memory they leave is the next ones' to reuse.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TOP_PAD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);

    // A large page must lie wholly inside the heap, so the heap's first stretch, from where it
    // begins to the first 2 MB boundary, only ever has small pages; SDL's, libX11's and the
    // game's first allocations would fill it, up to 2 MB at a fault per 4 KB. A block that
    // fills the stretch is taken and kept, never touched beyond its first bytes: what is
    // allocated next starts on the boundary. It must come from the heap's free top, so it is
    // made larger than all the freed blocks together, by whole 2 MB steps (address space only).
    // It ends one header short of the boundary: the allocator writes the next block's header
    // there, and a page touched past the boundary before the advice below would keep the
    // boundary's whole 2 MB in small pages.
    constexpr std::size_t kLargePage = std::size_t{2} << 20;
    constexpr std::size_t kHeader = 2 * sizeof(std::size_t);
    const struct mallinfo2 info = mallinfo2();
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t top = end - info.keepcost;  // where the free top begins
    std::size_t stretch = (kLargePage - top % kLargePage) % kLargePage;
    const std::size_t freed = info.fordblks - info.keepcost;
    while (stretch <= freed + 4 * kHeader) stretch += kLargePage;
    // Volatile: the compiler may leave out an allocation whose pointer is never read.
    [[maybe_unused]] static void* volatile kept = nullptr;
    if (stretch < (std::size_t{8} << 20)) kept = std::malloc(stretch - kHeader - sizeof(std::size_t));
    // Growing the heap once makes its end known. The advice runs from the block's first page
    // to the heap's end: the kernel backs every whole 2 MB stretch inside with a large page,
    // and later growth extends the same advised mapping.
    void* block = std::malloc(24 << 20);
    if (block == nullptr) return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto from = reinterpret_cast<std::uintptr_t>(block) & ~(page - 1);
    const auto to = reinterpret_cast<std::uintptr_t>(sbrk(0));
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);  // advice only
    std::free(block);
#endif
}
