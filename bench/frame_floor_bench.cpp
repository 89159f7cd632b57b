// The floor of a panel's frame: a steady frame cannot cost less than the dataref reads it makes
// and the check for a new input report on each of its devices. These time one of each, as a
// frame makes them; the frame benchmarks count theirs ("reads/frame", "peeks/frame"), so a
// frame's cost is read against its floor as
//   frame time / (reads/frame x BM_DataRefRead + peeks/frame x BM_InputPeek).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "backends/virtual/virtual_devices.h"
#include "devices/products.h"
#include "panel_bench_support.h"
#include "platform/device_file.h"
#include "vsim/vsim.h"
#include "xplm/xplm.h"

namespace {

void BM_DataRefRead(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    XPL::VSIM::SetInt("sim/cockpit/radios/com1_freq_hz", 12190);
    XPLMDataRef frequency = XPLMFindDataRef("sim/cockpit/radios/com1_freq_hz");
    for (auto _ : state) {
        benchmark::DoNotOptimize(XPLMGetDatai(frequency));
    }
}
BENCHMARK(BM_DataRefRead);

// One element of an array dataref: the read a member that a profile points at "path[3]" makes
// in place of BM_DataRefRead, so a profiled frame's floor counts its element reads at this cost.
void BM_DataRefElementRead(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    XPL::VSIM::SetInts("bench/annunciators", {2, 0, 2, 0, 2, 0, 0});
    XPLMDataRef annunciators = XPLMFindDataRef("bench/annunciators");
    for (auto _ : state) {
        int value = 0;
        benchmark::DoNotOptimize(XPLMGetDatavi(annunciators, &value, 4, 1));
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_DataRefElementRead);

// A read in flight on a device with no report queued: the check a panel makes every frame.
void BM_InputPeek(benchmark::State& state) {
    namespace PLATFORM = XPL::PLATFORM;
    const std::wstring path = L"\\\\?\\hid#vid_2c5d&pid_4a02#peek";
    XPL::BENCH::ResetSimulation();
    XPL::VIRTUAL::AttachDevice(XPL::BENCH::PanelSpec(path, XPL::kTunerProductId, 25));
    uint32_t error = 0;
    PLATFORM::DeviceFile* file = PLATFORM::OpenDevice(path, true, error);
    PLATFORM::IoRequest* request = PLATFORM::CreateIoRequest(true, error);
    uint8_t report[4] = {};
    if (file == nullptr || request == nullptr ||
        PLATFORM::StartRead(file, request, report, sizeof(report), error) !=
            PLATFORM::IoStart::Pending) {
        state.SkipWithError("no read in flight");
    }
    for (auto _ : state) {
        uint32_t bytes = 0;
        benchmark::DoNotOptimize(PLATFORM::GetIoResult(file, request, false, bytes, error));
    }
    PLATFORM::CloseDevice(file);  // ends the read
    PLATFORM::DestroyIoRequest(request);
    XPL::VIRTUAL::ResetDevices();
}
BENCHMARK(BM_InputPeek);

}  // namespace
