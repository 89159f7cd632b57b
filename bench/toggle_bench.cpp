// One steady-state frame of the device manager with a toggle panel attached: the pending read is
// polled, the cowl-flap command is sent and the lamp report is rebuilt from the gear ratios, and
// nothing else is sent because nothing changed. The argument is the gear state (0 up, 1 in
// transit, 2 down). Target: no heap allocation per frame.
//
// The virtual simulator journals every command with a copy of its path; the cowl-flap paths are
// made unknown here so that the command goes to a null handle, journaled without a path, and
// the journal is cleared (keeping its capacity) outside the timed part. What remains counted is
// the plug-in's own frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "devices/skydeck.h"
#include "panel_bench_support.h"
#include "panels/toggle_panel.h"
#include "sim/sim_registry.h"
#include "vsim/vsim.h"

namespace {

const std::wstring kTogglePath = L"\\\\?\\hid#vid_2c5d&pid_4a03#bench";
constexpr int kJournalFrames = 1024;  // frames between two journal clears

void BM_ToggleSteadyFrame(benchmark::State& state) {
    static const float kRatios[] = {0.0f, 0.5f, 1.0f};
    const float ratio = kRatios[state.range(0)];
    XPL::VIRTUAL::ResetPlatform();
    XPL::VIRTUAL::ResetDevices();
    XPL::VSIM::Reset();
    XPL::VSIM::SetPathKnown("sim/flight_controls/cowl_flaps_closed", false);
    XPL::VSIM::SetPathKnown("sim/flight_controls/cowl_flaps_open", false);
    XPL::ResolveSimRegistry();
    XPL::VSIM::SetInt("sim/aircraft/engine/acf_num_engines", 2);
    XPL::VSIM::SetInt("sim/aircraft/electrical/num_generators", 2);
    XPL::VSIM::SetFloats("sim/flightmodel2/gear/deploy_ratio", {ratio, ratio, ratio});
    XPL::VIRTUAL::AttachDevice(XPL::BENCH::PanelSpec(kTogglePath, XPL::kToggleProductId, 2));
    // Ready for flight: battery, alternator, avionics, fuel pump, beacon, nav, magnetos BOTH and
    // the gear lever down from the first report on.
    XPL::VIRTUAL::QueueInputReport(kTogglePath, std::set<uint16_t>{1, 2, 3, 4, 9, 10, 17, 20});
    auto skydeck = XPL::BENCH::StartSkydeck(kJournalFrames);
    XPL::BENCH::TimeSteadyFrames(state, *skydeck, kTogglePath,
                                 {.journalClearFrames = kJournalFrames});
    XPL::VSIM::Reset();
}
BENCHMARK(BM_ToggleSteadyFrame)->ArgName("gear")->Arg(0)->Arg(1)->Arg(2);

}  // namespace
