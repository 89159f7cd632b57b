// Cost of trace calls: the disabled call runs on every operation of every frame, so it must stay
// a few comparisons; the enabled call shows the formatting cost when a controller listens.
#include <benchmark/benchmark.h>

#include "backends/virtual/virtual_platform.h"
#include "trace/trace.h"

namespace {

void BM_TraceDisabled(benchmark::State& state) {
    XPL::VIRTUAL::DisableTrace();
    for (auto _ : state) {
        XPL::TraceWrite(3, 0x4, XPL::kTraceMessage, L"Button %d is %S", 17, "on");
    }
}
BENCHMARK(BM_TraceDisabled);

void BM_TraceScopeDisabled(benchmark::State& state) {
    XPL::VIRTUAL::DisableTrace();
    for (auto _ : state) {
        XPL::CTraceScope scope(0x4, "XPL::CPanel::Notify");
    }
}
BENCHMARK(BM_TraceScopeDisabled);

void BM_TraceFilteredByKeyword(benchmark::State& state) {
    XPL::VIRTUAL::EnableTrace(3, 0x2);
    for (auto _ : state) {
        XPL::TraceWrite(3, 0x4, XPL::kTraceMessage, L"Button %d is %S", 17, "on");
    }
    XPL::VIRTUAL::DisableTrace();
}
BENCHMARK(BM_TraceFilteredByKeyword);

void BM_TraceFormatLine(benchmark::State& state) {
    wchar_t line[XPL::kTraceLineChars + 1];
    const XPL::TraceArg args[] = {17, "on", 0x2C5D};
    for (auto _ : state) {
        benchmark::DoNotOptimize(XPL::FormatTraceText(line, sizeof(line) / sizeof(line[0]),
                                                      L"Button %d is %S on 0x%04x", args, 3));
    }
}
BENCHMARK(BM_TraceFormatLine);

}  // namespace
