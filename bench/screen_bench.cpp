// One steady frame of the device manager with a screen panel whose gauge reads 20 variables,
// none changing: the LEDs wanted are compared with those handed to the panel's I/O thread and the
// gauge's values fetched under the try-locked gauge lock; nothing is sent or drawn. Target: no
// heap allocation per frame. BM_GetDataf20 makes the frame's 20 dataref reads alone, in the same
// run, as its floor. With unresponsive:1 the screen never completes a write, so the I/O thread
// waits in its first LED exchange all along: the frame must cost what it costs with a screen
// that answers (it never waits for the device).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "devices/skydeck.h"
#include "panel_bench_support.h"
#include "vsim/vsim.h"
#include "xplm/xplm.h"

namespace {

namespace fs = std::filesystem;

constexpr int kVariables = 20;
const std::wstring kScreenPath = L"\\\\?\\hid#vid_2c5d&pid_4a05#bench";
const std::wstring kDisplayPath = L"\\\\?\\glasslink#screen#bench";

std::string DataRefPath(int i) {
    return "sim/bench/gauge/value" + std::to_string(i);
}

// A gauge of one element whose visibility sums the 20 variables, bound to two soft buttons.
void WriteDataFolder(const fs::path& data) {
    fs::create_directories(data / "gauges");
    std::string script;
    for (int i = 0; i < kVariables; ++i) {
        script += "(A:" + DataRefPath(i) + ",number)" + (i == 0 ? "" : " +") + " ";
    }
    std::ofstream(data / "gauges" / "bench.xml")
        << "<Gauge Name=\"Bench\"><Element><Visible>" << script << "</Visible></Element></Gauge>";
    std::ofstream(data / "XVarlenSkydeck.xml")
        << "<GaugeList><Gauge File=\"gauges\\bench.xml\"><B Id=\"1\" Type=\"Key\"/>"
           "<B Id=\"4\" Type=\"Key\"/></Gauge></GaugeList>";
}

void BM_ScreenSteadyFrame(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    const fs::path root = fs::temp_directory_path() / "xvs-screen-bench";
    WriteDataFolder(root / "plugin" / "data");
    XPL::VIRTUAL::SetModuleFilePath((root / "plugin" / "64" / "win.xpl").wstring());
    for (int i = 0; i < kVariables; ++i) {
        XPL::VSIM::SetFloat(DataRefPath(i), 1.0f + static_cast<float>(i));
    }
    XPL::VIRTUAL::DeviceSpec hid = XPL::BENCH::PanelSpec(kScreenPath, XPL::kScreenProductId, 25);
    hid.serial = L"BENCH";
    XPL::VIRTUAL::AttachDevice(hid);
    XPL::VIRTUAL::DeviceSpec display;
    display.kind = XPL::VIRTUAL::DeviceKind::ScreenDisplay;
    display.path = kDisplayPath;
    display.serial = L"BENCH";
    XPL::VIRTUAL::AttachDevice(display);
    const bool unresponsive = state.range(0) != 0;
    XPL::VIRTUAL::SetFault(kDisplayPath, XPL::VIRTUAL::Fault::WritePending, unresponsive);
    // The warm frames light the LEDs and take the first values; the I/O thread waits on the
    // virtual clock, which stands still, so nothing is drawn meanwhile.
    auto skydeck = XPL::BENCH::StartSkydeck();
    const uint16_t lit = unresponsive ? 0 : (1u << 1) | (1u << 4) | (1u << 7) | (1u << 8);
    if (XPL::VIRTUAL::ViewDisplay(kDisplayPath).leds != lit) {
        state.SkipWithError("the panel's LEDs are not as they should be");
    }
    XPL::BENCH::TimeSteadyFrames(state, *skydeck, kScreenPath);
    std::error_code ignored;
    fs::remove_all(root, ignored);
}
BENCHMARK(BM_ScreenSteadyFrame)->ArgName("unresponsive")->Arg(0)->Arg(1);

void BM_GetDataf20(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    std::vector<XPLMDataRef> refs;
    for (int i = 0; i < kVariables; ++i) {
        XPL::VSIM::SetFloat(DataRefPath(i), 1.0f + static_cast<float>(i));
        refs.push_back(XPLMFindDataRef(DataRefPath(i).c_str()));
    }
    for (auto _ : state) {
        for (XPLMDataRef ref : refs) {
            benchmark::DoNotOptimize(XPLMGetDataf(ref));
        }
    }
}
BENCHMARK(BM_GetDataf20);

}  // namespace
