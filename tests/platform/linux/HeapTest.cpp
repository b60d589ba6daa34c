// Start-up memory: once the heap is set up, blocks large and small lie in memory the kernel
// may back with 2 MB pages.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Heap.h"

namespace {

bool SanitizerAllocator() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

// The mapping holding an address in /proc/self/smaps: where it starts, and its
// "THPeligible" line (-1 if none found).
struct Mapping {
    std::uintptr_t from = 0;
    int largePages = -1;
};
Mapping MappingOf(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    Mapping found;
    bool inside = false;
    while (std::getline(smaps, line)) {
        std::uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> from >> dash >> to && dash == '-') {
            inside = from <= at && at < to;
            if (inside) found.from = from;
        } else if (inside && line.rfind("THPeligible:", 0) == 0) {
            found.largePages = std::stoi(line.substr(12));
            return found;
        }
    }
    return found;
}

}  // namespace

TEST(Heap, APictureSizedBlockLiesInMemoryAdvisedForLargePages) {
    std::ifstream thp("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(thp, modes);
    if (modes.empty() || modes.find("[never]") != std::string::npos) GTEST_SKIP() << "no large pages here";
    if (SanitizerAllocator()) GTEST_SKIP() << "the sanitizer's allocator serves this build";
    SetUpHeap();
    // A decoded picture of the choice screen is 3 MB; the frame nearly 4. Small blocks too:
    // SDL's, libX11's and the game's own, thousands of them, once those freed before are used
    // up. Large pages cover them only if their mapping starts on a 2 MB boundary.
    std::vector<void*> small(4000);
    for (void*& b : small) b = std::malloc(100);
    for (void* block : {std::malloc(std::size_t{3} << 20), std::malloc(std::size_t{120} << 10), small.back()}) {
        ASSERT_NE(block, nullptr);
        const Mapping m = MappingOf(block);
        EXPECT_EQ(m.largePages, 1);
        EXPECT_EQ(m.from % (std::uintptr_t{2} << 20), 0u);
        if (block != small.back()) std::free(block);
    }
    for (void* b : small) std::free(b);
}
