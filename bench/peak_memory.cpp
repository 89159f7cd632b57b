#include "peak_memory.h"

#include <malloc.h>

#include <fstream>
#include <string>

namespace XPL::BENCH {

namespace {

// A "Name:   N kB" line of /proc/self/status, in bytes; 0 when there is none.
uint64_t StatusBytes(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == name + ":") {
            uint64_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

}  // namespace

CPeakMemory::CPeakMemory() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // resets VmHWM to VmRSS
    start_ = StatusBytes("VmRSS");
}

uint64_t CPeakMemory::PeakBytes() const {
    const uint64_t peak = StatusBytes("VmHWM");
    return peak > start_ ? peak - start_ : 0;
}

}  // namespace XPL::BENCH
