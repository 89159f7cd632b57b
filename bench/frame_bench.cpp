// One steady-state frame of the device manager with idle panels: each panel polls its pending
// read and rebuilds a digit-display report from datarefs, sending nothing because nothing
// changed. Target: no heap allocation per frame.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "devices/skydeck.h"
#include "panel_bench_support.h"
#include "panels/panel.h"
#include "sim/sim_registry.h"
#include "sim/utility.h"
#include "vsim/vsim.h"

namespace {

class CIdlePanel : public XPL::CPanel {
public:
    using CPanel::CPanel;

protected:
    void OnInitialize() override {
        for (uint16_t usage = 1; usage <= 24; ++usage) {
            RegisterButton(usage);
        }
    }
    void OnNotify() override {
        uint8_t report[13] = {};
        const int altitude =
            static_cast<int>(XPL::GetDataf(registry->ref.cockpit_autopilot_altitude));
        const std::string text = XPL::UTILITY::ConvertIntValueToString(altitude, 1);
        std::memcpy(report + 1, text.data(), text.size());
        if (std::memcmp(report, lastSent_, sizeof(report)) != 0) {
            std::memcpy(lastSent_, report, sizeof(report));
            SendReport(report, sizeof(report));
        }
    }

private:
    uint8_t lastSent_[13] = {};
};

std::unique_ptr<XPL::CPanel> MakeIdlePanel(const std::wstring& path, const std::wstring&,
                                           XPL::IGlasslinkLookup&) {
    return std::make_unique<CIdlePanel>(path);
}

void BM_SteadyFrame(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    XPL::VSIM::SetFloat("sim/cockpit/autopilot/altitude", 12000.0f);
    const auto previous = XPL::SetPanelMaker(XPL::kAutoflightProductId, &MakeIdlePanel);
    for (int i = 0; i < state.range(0); ++i) {
        XPL::VIRTUAL::AttachDevice(
            XPL::BENCH::PanelSpec(L"\\\\?\\hid#vid_2c5d&pid_4a01#bench" + std::to_wstring(i),
                                  XPL::kAutoflightProductId, 13));
    }
    auto skydeck = XPL::BENCH::StartSkydeck();
    // Idle panels send nothing after their first report; only the first device is checked.
    XPL::BENCH::TimeSteadyFrames(state, *skydeck, L"\\\\?\\hid#vid_2c5d&pid_4a01#bench0");
    XPL::SetPanelMaker(XPL::kAutoflightProductId, previous);
}
BENCHMARK(BM_SteadyFrame)->Arg(4)->Arg(16);

}  // namespace
