#include "panel_bench_support.h"

#include <filesystem>
#include <fstream>

#include "alloc_counter.h"
#include "backends/virtual/virtual_platform.h"
#include "sim/sim_registry.h"
#include "vsim/vsim.h"

namespace XPL::BENCH {

void ResetSimulation() {
    VIRTUAL::ResetPlatform();
    // A stop that waits for a device moves the clock on by itself.
    VIRTUAL::DriveClock();
    VIRTUAL::ResetDevices();
    VSIM::Reset();
    ResolveSimRegistry();
}

VIRTUAL::DeviceSpec PanelSpec(const std::wstring& path, uint16_t productId,
                              uint16_t featureReportLength) {
    VIRTUAL::DeviceSpec spec;
    spec.path = path;
    spec.vendorId = kSkydeckVendorId;
    spec.productId = productId;
    spec.buttonCount = 24;
    spec.inputReportLength = 4;
    spec.featureReportLength = featureReportLength;
    return spec;
}

std::unique_ptr<CSkydeck> StartSkydeck(int warmFrames, const CAircraftProfiles* profiles) {
    auto skydeck = std::make_unique<CSkydeck>();
    skydeck->FollowAircraftProfiles(profiles);
    skydeck->Initialize();
    for (int i = 0; i < warmFrames; ++i) {
        skydeck->NotifyPanels();
    }
    VIRTUAL::AwaitIdle();  // what the frames set going (a screen's LEDs) is done
    return skydeck;
}

std::unique_ptr<CAircraftProfiles> ApplyProfile(const std::string& body) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "xvs-bench-profile.xml";
    {
        std::ofstream out(file, std::ios::binary);
        out << "<AircraftProfile>\n" << body << "</AircraftProfile>\n";
    }
    auto profiles = std::make_unique<CAircraftProfiles>(GetSimRegistry());
    profiles->Start(L"");
    profiles->Apply(CAircraftProfile::Read(file, file.wstring()));
    std::filesystem::remove(file);
    return profiles;
}

void TimeSteadyFrames(benchmark::State& state, CSkydeck& skydeck, const std::wstring& path,
                      SteadyFrameOptions options) {
    if (options.journalClearFrames != 0) {
        VSIM::ClearJournal();
    }
    // The bus keeps only the newest reports, so this tells whether any was sent, not how many.
    const size_t sentBefore = VIRTUAL::FeatureReports(path).size();
    const size_t displayBefore = options.quietDisplayPath.empty()
                                     ? 0
                                     : VIRTUAL::DisplayRequests(options.quietDisplayPath).size();
    const long before = AllocationCount();
    const uint64_t readsBefore = VSIM::DataRefReads();
    const uint64_t peeksBefore = VIRTUAL::InputReportChecks();
    int frames = 0;
    for (auto _ : state) {
        skydeck.NotifyPanels();
        if (options.journalClearFrames != 0 && ++frames == options.journalClearFrames) {
            state.PauseTiming();
            VSIM::ClearJournal();
            frames = 0;
            state.ResumeTiming();
        }
    }
    const double frameCount = static_cast<double>(state.iterations());
    const double reads = static_cast<double>(VSIM::DataRefReads() - readsBefore);
    const double peeks = static_cast<double>(VIRTUAL::InputReportChecks() - peeksBefore);
    state.counters["allocs/frame"] =
        benchmark::Counter(static_cast<double>(AllocationCount() - before) / frameCount);
    state.counters["reads/frame"] = benchmark::Counter(reads / frameCount);
    state.counters["peeks/frame"] = benchmark::Counter(peeks / frameCount);
    if (options.mustNotSend && VIRTUAL::FeatureReports(path).size() != sentBefore) {
        state.SkipWithError("a steady frame sent a report");
    }
    if (!options.quietDisplayPath.empty() &&
        VIRTUAL::DisplayRequests(options.quietDisplayPath).size() != displayBefore) {
        state.SkipWithError("a steady frame wrote to a display");
    }
    skydeck.Uninitialize();
    VIRTUAL::ResetDevices();
}

}  // namespace XPL::BENCH
