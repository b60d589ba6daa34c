// Start-up memory: once the heap is set up, a picture-sized block lies in memory the kernel
// may back with 2 MB pages.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

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

// The "THPeligible" line of the mapping holding `address` in /proc/self/smaps; -1 if none.
int LargePageEligible(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        std::uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> from >> dash >> to && dash == '-') {
            inside = from <= at && at < to;
        } else if (inside && line.rfind("THPeligible:", 0) == 0) {
            return std::stoi(line.substr(12));
        }
    }
    return -1;
}

}  // namespace

TEST(Heap, APictureSizedBlockLiesInMemoryAdvisedForLargePages) {
    std::ifstream thp("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(thp, modes);
    if (modes.empty() || modes.find("[never]") != std::string::npos) GTEST_SKIP() << "no large pages here";
    if (SanitizerAllocator()) GTEST_SKIP() << "the sanitizer's allocator serves this build";
    SetUpHeap();
    ReserveHeapInLargePages();
    // A decoded picture of the choice screen is 3 MB; the frame nearly 4.
    void* block = std::malloc(std::size_t{3} << 20);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(LargePageEligible(block), 1);
    std::free(block);
}
