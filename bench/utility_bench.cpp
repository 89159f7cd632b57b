// The digit-display texts are rebuilt every frame for every display.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "sim/utility.h"

namespace {

void BM_ConvertIntValueToString(benchmark::State& state) {
    const uint32_t format = static_cast<uint32_t>(state.range(0));
    int32_t value = 11800;
    for (auto _ : state) {
        benchmark::DoNotOptimize(XPL::UTILITY::ConvertIntValueToString(value, format));
        value = value == 13697 ? 11800 : value + 1;
    }
}
BENCHMARK(BM_ConvertIntValueToString)
    ->ArgName("format")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(5)
    ->Arg(6)
    ->Arg(7);

}  // namespace
