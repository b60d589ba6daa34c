// The process's peak resident memory, for tests that a reader never holds an oversized input
// whole. Linux only: /proc/self/status and /proc/self/clear_refs.
#pragma once
#include <fstream>
#include <sstream>
#include <string>

namespace peak_memory {

inline long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0) {
            std::istringstream value(line.substr(field.size() + 1));
            long kb = -1;
            value >> kb;
            return kb;
        }
    return -1;
}

}  // namespace peak_memory

// Measures how far the peak rises above what is resident when it is made. Earlier tests in
// the same process raised the peak already, so it is reset first; where the kernel refuses,
// Valid() is false and there is nothing to measure.
class PeakMemoryGrowth {
public:
    PeakMemoryGrowth() {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        clear.flush();
        valid_ = static_cast<bool>(clear);
        start_ = peak_memory::StatusKb("VmRSS");
    }
    bool Valid() const { return valid_ && start_ >= 0; }
    long Kb() const { return peak_memory::StatusKb("VmHWM") - start_; }

private:
    bool valid_ = false;
    long start_ = -1;
};
