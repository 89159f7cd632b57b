// One steady-state frame of the device manager with an autoflight panel attached: the pending
// read is polled, both rows and the lamps are rebuilt from datarefs. The argument is the
// selector position. Target: no heap allocation per frame.
//
// BM_AutoflightSteadyFrame: every lamp engaged or off, so nothing is sent.
// BM_AutoflightFlashingFrame: an armed mode flashes, so two frames in 40 send a report; its
// allocations (about 0.05 a frame) are the virtual bus's copies of the sent reports, none of the
// panel's own.
// BM_AutoflightProfiledFrame: the steady frame in an aircraft whose profile points every
// dataref the panel reads at the aircraft's own: the same values through converted members (a
// decimal mode, a whole-number speed, array elements for the course and the annunciators), so
// the same reads, the same report and no allocation.
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

// The same autopilot in the aircraft's own datarefs, and the profile that points at them.
std::unique_ptr<XPL::CAircraftProfiles> SetProfiledAutopilot() {
    XPL::VSIM::SetFloat("bench/mcp/alt", 24000.0f);
    XPL::VSIM::SetFloat("bench/mcp/vs", 1800.0f);
    XPL::VSIM::SetInt("bench/mcp/spd", 280);
    XPL::VSIM::SetFloat("bench/mcp/hdg", 273.4f);
    XPL::VSIM::SetFloats("bench/mcp/crs", {0.0f, 91.0f});
    XPL::VSIM::SetFloat("bench/mcp/mode", 2.0f);
    XPL::VSIM::SetInts("bench/mcp/annunciators", {2, 0, 2, 0, 2, 0, 0});
    return XPL::BENCH::ApplyProfile(R"(
        <DataRef Path="sim/cockpit/autopilot/altitude" Use="bench/mcp/alt"/>
        <DataRef Path="sim/cockpit/autopilot/vertical_velocity" Use="bench/mcp/vs"/>
        <DataRef Path="sim/cockpit/autopilot/airspeed" Use="bench/mcp/spd"/>
        <DataRef Path="sim/cockpit/autopilot/heading_mag" Use="bench/mcp/hdg"/>
        <DataRef Path="sim/cockpit/radios/nav1_obs_degm" Use="bench/mcp/crs[1]"/>
        <DataRef Path="sim/cockpit2/autopilot/flight_director_mode" Use="bench/mcp/mode"/>
        <DataRef Path="sim/cockpit2/autopilot/heading_status" Use="bench/mcp/annunciators[0]"/>
        <DataRef Path="sim/cockpit2/autopilot/nav_status" Use="bench/mcp/annunciators[1]"/>
        <DataRef Path="sim/cockpit2/autopilot/speed_status" Use="bench/mcp/annunciators[2]"/>
        <DataRef Path="sim/cockpit2/autopilot/altitude_hold_status"
                 Use="bench/mcp/annunciators[3]"/>
        <DataRef Path="sim/cockpit2/autopilot/vvi_status" Use="bench/mcp/annunciators[4]"/>
        <DataRef Path="sim/cockpit2/autopilot/approach_status" Use="bench/mcp/annunciators[5]"/>
        <DataRef Path="sim/cockpit2/autopilot/backcourse_status" Use="bench/mcp/annunciators[6]"/>
    )");
}

void RunFrames(benchmark::State& state, bool altitudeArmed, bool profiled = false) {
    const auto position = static_cast<uint16_t>(state.range(0));
    XPL::BENCH::ResetSimulation();
    std::unique_ptr<XPL::CAircraftProfiles> profiles;
    if (profiled) {
        profiles = SetProfiledAutopilot();
    } else {
        SetAutopilot(altitudeArmed);
    }
    XPL::VIRTUAL::AttachDevice(
        XPL::BENCH::PanelSpec(kAutoflightPath, XPL::kAutoflightProductId, 13));
    // The selector and the auto-throttle switch on from the first report on.
    XPL::VIRTUAL::QueueInputReport(
        kAutoflightPath,
        std::set<uint16_t>{static_cast<uint16_t>(XPL::CAutoflightPanel::kSelectorAlt + position),
                           XPL::CAutoflightPanel::kAutoThrottle});
    auto skydeck = XPL::BENCH::StartSkydeck(3, profiles.get());
    XPL::BENCH::TimeSteadyFrames(state, *skydeck, kAutoflightPath, {.mustNotSend = !altitudeArmed});
    if (profiles != nullptr) {
        profiles->Stop();
    }
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

void BM_AutoflightProfiledFrame(benchmark::State& state) {
    RunFrames(state, false, true);
}
BENCHMARK(BM_AutoflightProfiledFrame)
    ->ArgName("selector")
    ->Arg(XPL::CAutoflightPanel::kModeAlt)
    ->Arg(XPL::CAutoflightPanel::kModeIas)
    ->Arg(XPL::CAutoflightPanel::kModeHdg)
    ->Arg(XPL::CAutoflightPanel::kModeCrs);

}  // namespace
