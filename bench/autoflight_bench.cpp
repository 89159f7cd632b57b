// One steady-state frame of the device manager with an autoflight panel attached: the pending
// read is polled, both rows and the lamps are rebuilt from datarefs. The argument is the
// selector position. Target: no heap allocation per frame.
//
// BM_AutoflightSteadyFrame: every lamp engaged or off, so nothing is sent.
// BM_AutoflightFlashingFrame: an armed mode flashes, so two frames in 40 send a report; its
// allocations (about 0.05 a frame) are the virtual bus's copies of the sent reports, none of the
// panel's own.
#include <benchmark/benchmark.h>

#include <memory>
#include <set>
#include <string>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "devices/skydeck.h"
#include "panel_bench_support.h"
#include "panels/autoflight_panel.h"
#include "sim/sim_registry.h"
#include "vsim/vsim.h"

namespace {

const std::wstring kAutoflightPath = L"\\\\?\\hid#vid_2c5d&pid_4a01#bench";

// An airliner climbing on autopilot: heading and speed held, servos on.
void SetAutopilot(bool altitudeArmed) {
    XPL::VSIM::SetFloat("sim/cockpit/autopilot/altitude", 24000.0f);
    XPL::VSIM::SetFloat("sim/cockpit/autopilot/vertical_velocity", 1800.0f);
    XPL::VSIM::SetFloat("sim/cockpit/autopilot/airspeed", 280.0f);
    XPL::VSIM::SetFloat("sim/cockpit/autopilot/heading_mag", 273.4f);
    XPL::VSIM::SetFloat("sim/cockpit/radios/nav1_obs_degm", 91.0f);
    XPL::VSIM::SetFloat("sim/cockpit2/gauges/indicators/altitude_ft_pilot", 14250.0f);
    XPL::VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", 2);
    XPL::VSIM::SetInt("sim/cockpit2/autopilot/heading_status", 2);
    XPL::VSIM::SetInt("sim/cockpit2/autopilot/nav_status", 0);
    XPL::VSIM::SetInt("sim/cockpit2/autopilot/speed_status", 2);
    XPL::VSIM::SetInt("sim/cockpit2/autopilot/altitude_hold_status", altitudeArmed ? 1 : 0);
    XPL::VSIM::SetInt("sim/cockpit2/autopilot/vvi_status", 2);
    XPL::VSIM::SetInt("sim/cockpit2/autopilot/approach_status", 0);
    XPL::VSIM::SetInt("sim/cockpit2/autopilot/backcourse_status", 0);
}

void RunFrames(benchmark::State& state, bool altitudeArmed) {
    const auto position = static_cast<uint16_t>(state.range(0));
    XPL::BENCH::ResetSimulation();
    SetAutopilot(altitudeArmed);
    XPL::VIRTUAL::AttachDevice(
        XPL::BENCH::PanelSpec(kAutoflightPath, XPL::kAutoflightProductId, 13));
    // The selector and the auto-throttle switch on from the first report on.
    XPL::VIRTUAL::QueueInputReport(
        kAutoflightPath,
        std::set<uint16_t>{static_cast<uint16_t>(XPL::CAutoflightPanel::kSelectorAlt + position),
                           XPL::CAutoflightPanel::kAutoThrottle});
    auto skydeck = XPL::BENCH::StartSkydeck();
    XPL::BENCH::TimeSteadyFrames(state, *skydeck, kAutoflightPath, {.mustNotSend = !altitudeArmed});
}

void BM_AutoflightSteadyFrame(benchmark::State& state) {
    RunFrames(state, false);
}
BENCHMARK(BM_AutoflightSteadyFrame)
    ->ArgName("selector")
    ->Arg(XPL::CAutoflightPanel::kModeAlt)
    ->Arg(XPL::CAutoflightPanel::kModeIas)
    ->Arg(XPL::CAutoflightPanel::kModeHdg)
    ->Arg(XPL::CAutoflightPanel::kModeCrs);

void BM_AutoflightFlashingFrame(benchmark::State& state) {
    RunFrames(state, true);
}
BENCHMARK(BM_AutoflightFlashingFrame)->ArgName("selector")->Arg(XPL::CAutoflightPanel::kModeAlt);

}  // namespace
