// The peak memory of a piece of work, as /usr/bin/time reports a program's: how far the process's
// resident set grew above where it stood when the work started. Linux only (the kernel's
// high-water mark, reset at the start after free heap memory is handed back).
#pragma once

#include <cstdint>

namespace XPL::BENCH {

class CPeakMemory {
public:
    // Starts a measurement.
    CPeakMemory();
    // The highest the resident set has stood since the start, less where it stood then.
    uint64_t PeakBytes() const;

private:
    uint64_t start_ = 0;
};

}  // namespace XPL::BENCH
