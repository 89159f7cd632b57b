// One steady-state frame of the device manager with the stick on its COM/NAV page: the pending
// read is polled, the link is looked up, the page reads its four frequencies and composes its
// three lines, and the link sends nothing because no line changed. Beside it, the page's own four
// dataref reads alone, so the frame's cost can be read against them in one run.
// Target: no heap allocation per frame.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "devices/skydeck.h"
#include "panel_bench_support.h"
#include "sim/sim_registry.h"
#include "vsim/vsim.h"
#include "xplm/xplm.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kStickPath = L"\\\\?\\hid#vid_2c5d&pid_4a06#bench";
const std::wstring kDisplayPath = L"\\\\?\\glasslink#stick#bench";
const std::wstring kPhysicalName = L"\\device\\usbpdo-bench";

void SetRadios() {
    XPL::VSIM::SetInt("sim/cockpit/radios/com1_freq_hz", 12190);
    XPL::VSIM::SetInt("sim/cockpit/radios/com1_stdby_freq_hz", 11800);
    XPL::VSIM::SetInt("sim/cockpit/radios/nav1_freq_hz", 11030);
    XPL::VSIM::SetInt("sim/cockpit/radios/nav1_stdby_freq_hz", 10850);
}

// A data folder whose configuration has the COM1/NAV1 page first; removed when done.
class CDataFolder {
public:
    CDataFolder() {
        root = fs::temp_directory_path() / "xvs-hotas-bench";
        fs::create_directories(root / "data");
        std::ofstream(root / "data" / "XVarlenSkydeck.xml")
            << "<GaugeList><Hotas><ComNav radio1=\"true\"/></Hotas></GaugeList>";
        XPL::VIRTUAL::SetModuleFilePath(root.wstring() + L"\\64\\win.xpl");
    }
    ~CDataFolder() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

private:
    fs::path root;
};

void BM_HotasSteadyFrame(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    const CDataFolder folder;
    SetRadios();
    XPL::VIRTUAL::DeviceSpec stick = XPL::BENCH::PanelSpec(kStickPath, XPL::kHotasProductId, 0);
    stick.buttonCount = 40;
    stick.inputReportLength = 6;
    stick.physicalName = kPhysicalName;
    XPL::VIRTUAL::DeviceSpec display;
    display.kind = XPL::VIRTUAL::DeviceKind::StickDisplay;
    display.path = kDisplayPath;
    display.physicalName = kPhysicalName;
    XPL::VIRTUAL::AttachDevice(display);
    XPL::VIRTUAL::AttachDevice(stick);
    auto skydeck = XPL::BENCH::StartSkydeck();
    if (XPL::VIRTUAL::DisplayRequests(kDisplayPath).empty()) {
        state.SkipWithError("the stick's display was never written");
    }
    XPL::BENCH::SteadyFrameOptions options;
    options.quietDisplayPath = kDisplayPath;
    XPL::BENCH::TimeSteadyFrames(state, *skydeck, kStickPath, options);
}
BENCHMARK(BM_HotasSteadyFrame);

// The four reads of the COM/NAV page alone.
void BM_ComNavDataRefReads(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    SetRadios();
    const XPL::SimRegistry::DataRefs& ref = XPL::GetSimRegistry().ref;
    for (auto _ : state) {
        benchmark::DoNotOptimize(XPL::GetDatai(ref.cockpit_radios_com1_freq_hz));
        benchmark::DoNotOptimize(XPL::GetDatai(ref.cockpit_radios_com1_stdby_freq_hz));
        benchmark::DoNotOptimize(XPL::GetDatai(ref.cockpit_radios_nav1_freq_hz));
        benchmark::DoNotOptimize(XPL::GetDatai(ref.cockpit_radios_nav1_stdby_freq_hz));
    }
}
BENCHMARK(BM_ComNavDataRefReads);

}  // namespace
