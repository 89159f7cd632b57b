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

#include "alloc_counter.h"
#include "devices/skydeck.h"
#include "panels/autoflight_panel.h"
#include "platform/virtual/virtual_devices.h"
#include "platform/virtual/virtual_platform.h"
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
    XPL::VIRTUAL::ResetPlatform();
    XPL::VIRTUAL::ResetDevices();
    XPL::VSIM::Reset();
    XPL::ResolveSimRegistry();
    SetAutopilot(altitudeArmed);
    XPL::VIRTUAL::DeviceSpec spec;
    spec.path = kAutoflightPath;
    spec.vendorId = XPL::kSkydeckVendorId;
    spec.productId = XPL::kAutoflightProductId;
    spec.buttonCount = 24;
    spec.inputReportLength = 4;
    spec.featureReportLength = 13;
    XPL::VIRTUAL::AttachDevice(spec);
    // The selector and the auto-throttle switch on from the first report on.
    XPL::VIRTUAL::QueueInputReport(
        kAutoflightPath,
        std::set<uint16_t>{static_cast<uint16_t>(XPL::CAutoflightPanel::kSelectorAlt + position),
                           XPL::CAutoflightPanel::kAutoThrottle});
    auto skydeck = std::make_unique<XPL::CSkydeck>();
    skydeck->Initialize();
    for (int i = 0; i < 3; ++i) {
        skydeck->NotifyPanels();  // selector set, first report sent, read pending: steady now
    }
    const size_t sentBefore = XPL::VIRTUAL::FeatureReports(kAutoflightPath).size();
    const long before = XPL::BENCH::AllocationCount();
    for (auto _ : state) {
        skydeck->NotifyPanels();
    }
    const long allocations = XPL::BENCH::AllocationCount() - before;
    state.counters["allocs/frame"] = benchmark::Counter(static_cast<double>(allocations) /
                                                        static_cast<double>(state.iterations()));
    // The bus keeps only the newest reports, so this tells whether any was sent, not how many.
    if (!altitudeArmed && XPL::VIRTUAL::FeatureReports(kAutoflightPath).size() != sentBefore) {
        state.SkipWithError("a steady frame sent a report");
    }
    skydeck->Uninitialize();
    XPL::VIRTUAL::ResetDevices();
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
