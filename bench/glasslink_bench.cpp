// A stick page redisplayed with nothing changed: the link builds and compares three line buffers
// and sends nothing. Target: no heap allocation a frame; its cost is shown beside one dataref read.
#include <benchmark/benchmark.h>

#include <string>

#include "alloc_counter.h"
#include "backends/virtual/virtual_devices.h"
#include "glasslink/glasslink_hotas.h"
#include "panel_bench_support.h"
#include "vsim/vsim.h"
#include "xplm/xplm.h"

namespace {

const std::wstring kStick = L"\\\\?\\glasslink#stick#bench";

void BM_StickPageUnchanged(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    XPL::VIRTUAL::DeviceSpec stick;
    stick.kind = XPL::VIRTUAL::DeviceKind::StickDisplay;
    stick.path = kStick;
    XPL::VIRTUAL::AttachDevice(stick);
    XPL::CGlasslinkHotas link(kStick);
    link.Initialize();
    // A COM page as the pages write it: 16 characters a line at most.
    const std::string lines[3] = {"COM1  118.000", "STBY  121.500", "    XPDR 1200"};
    for (uint8_t line = 0; line < 3; ++line) {
        link.SetString(lines[line], line);
    }
    const size_t sentBefore = XPL::VIRTUAL::DisplayRequests(kStick).size();
    const long before = XPL::BENCH::AllocationCount();
    for (auto _ : state) {
        for (uint8_t line = 0; line < 3; ++line) {
            link.SetString(lines[line], line);
        }
    }
    state.counters["allocs/frame"] =
        benchmark::Counter(static_cast<double>(XPL::BENCH::AllocationCount() - before) /
                           static_cast<double>(state.iterations()));
    if (XPL::VIRTUAL::DisplayRequests(kStick).size() != sentBefore) {
        state.SkipWithError("an unchanged line was sent");
    }
    link.Uninitialize();
}
BENCHMARK(BM_StickPageUnchanged);

// The yardstick: one int dataref read from the simulator.
void BM_XPLMGetDatai(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    XPL::VSIM::SetInt("sim/cockpit/radios/transponder_code", 1200);
    const XPLMDataRef ref = XPLMFindDataRef("sim/cockpit/radios/transponder_code");
    for (auto _ : state) {
        benchmark::DoNotOptimize(XPLMGetDatai(ref));
    }
}
BENCHMARK(BM_XPLMGetDatai);

}  // namespace
