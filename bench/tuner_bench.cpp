// One steady-state frame of the device manager with a tuner panel attached: the pending read is
// polled, both halves' displays are rebuilt from datarefs and nothing is sent because nothing
// changed. The argument is the mode both halves show. Targets: no heap allocation per frame, and
// a frame within twice its floor (the reads and the input check it must make), since no text
// needs formatting again.
#include <benchmark/benchmark.h>

#include <memory>
#include <set>
#include <string>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "devices/skydeck.h"
#include "panel_bench_support.h"
#include "panels/tuner_panel.h"
#include "sim/sim_registry.h"
#include "vsim/vsim.h"

namespace {

const std::wstring kTunerPath = L"\\\\?\\hid#vid_2c5d&pid_4a02#bench";

// Radios tuned as in a typical flight.
void SetRadios() {
    XPL::VSIM::SetInt("sim/cockpit/radios/com1_freq_hz", 12190);
    XPL::VSIM::SetInt("sim/cockpit/radios/com1_stdby_freq_hz", 11800);
    XPL::VSIM::SetInt("sim/cockpit/radios/com2_freq_hz", 13297);
    XPL::VSIM::SetInt("sim/cockpit/radios/com2_stdby_freq_hz", 12455);
    XPL::VSIM::SetInt("sim/cockpit/radios/nav1_freq_hz", 11030);
    XPL::VSIM::SetInt("sim/cockpit/radios/nav1_stdby_freq_hz", 10850);
    XPL::VSIM::SetInt("sim/cockpit/radios/nav2_freq_hz", 11710);
    XPL::VSIM::SetInt("sim/cockpit/radios/nav2_stdby_freq_hz", 11395);
    XPL::VSIM::SetInt("sim/cockpit/radios/adf1_freq_hz", 362);
    XPL::VSIM::SetInt("sim/cockpit/radios/adf1_stdby_freq_hz", 245);
    XPL::VSIM::SetInt("sim/cockpit/radios/dme_freq_hz", 11030);
    XPL::VSIM::SetInt("sim/cockpit/radios/transponder_code", 4721);
    XPL::VSIM::SetFloat("sim/cockpit2/radios/indicators/nav1_dme_distance_nm", 23.47f);
}

void BM_TunerSteadyFrame(benchmark::State& state) {
    const auto mode = static_cast<uint16_t>(state.range(0));
    XPL::BENCH::ResetSimulation();
    SetRadios();
    XPL::VIRTUAL::AttachDevice(XPL::BENCH::PanelSpec(kTunerPath, XPL::kTunerProductId, 25));
    // Both selectors on the benchmarked mode from the first report on.
    XPL::VIRTUAL::QueueInputReport(
        kTunerPath,
        std::set<uint16_t>{static_cast<uint16_t>(XPL::CTunerPanel::kUpperSelectorFirst + mode),
                           static_cast<uint16_t>(XPL::CTunerPanel::kLowerSelectorFirst + mode)});
    auto skydeck = XPL::BENCH::StartSkydeck();
    XPL::BENCH::TimeSteadyFrames(state, *skydeck, kTunerPath);
}
BENCHMARK(BM_TunerSteadyFrame)
    ->ArgName("mode")
    ->Arg(XPL::CTunerPanel::kModeCom1)
    ->Arg(XPL::CTunerPanel::kModeCom2)
    ->Arg(XPL::CTunerPanel::kModeNav1)
    ->Arg(XPL::CTunerPanel::kModeNav2)
    ->Arg(XPL::CTunerPanel::kModeAdf)
    ->Arg(XPL::CTunerPanel::kModeDme)
    ->Arg(XPL::CTunerPanel::kModeXpdr);

}  // namespace
