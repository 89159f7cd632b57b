#include "alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// The counting operator new below pairs malloc with free; optimised builds inline both and
// cannot tell they match.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace XPL::BENCH {

long AllocationCount() {
    return g_allocations.load();
}

}  // namespace XPL::BENCH
