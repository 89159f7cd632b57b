// Heap allocations of the whole benchmark program, for the "allocs/frame" counters: the global
// operator new is replaced once for the program (alloc_counter.cpp) and counts every call.
#pragma once

namespace XPL::BENCH {

// Calls of operator new since the program started; read before and after the timed loop.
long AllocationCount();

}  // namespace XPL::BENCH
