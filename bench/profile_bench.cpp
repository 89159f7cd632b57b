// Applying an aircraft profile of 200 entries (120 commands, 60 datarefs, half of them array
// elements, 20 lamp conditions) as the plane-loaded message does: the registry's defaults
// restored, every path looked up with its types. Target: under a millisecond. Reading the file
// (BM_ReadProfile200) happens on the same message, before it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "panel_bench_support.h"
#include "sim/aircraft_profiles.h"
#include "sim/sim_registry.h"
#include "vsim/vsim.h"

namespace {

namespace fs = std::filesystem;

fs::path WriteProfile200() {
    XPL::BENCH::ResetSimulation();
    const fs::path file = fs::temp_directory_path() / "xvs-bench-profile200.xml";
    std::ofstream out(file, std::ios::binary);
    out << "<AircraftProfile Name=\"Bench\">\r\n  <Match Icao=\"BNCH\"/>\r\n";
    const auto commands = XPL::SimCommandPaths();
    for (size_t i = 0; i < 120; ++i) {
        out << "  <Command Path=\"" << commands[i].path << "\" Use=\"bench/cmd/" << i << "\"/>\r\n";
    }
    const auto dataRefs = XPL::SimDataRefPaths();
    for (size_t i = 0; i < 60; ++i) {
        const std::string target = "bench/ref/" + std::to_string(i);
        if (i % 2 == 0) {
            XPL::VSIM::SetFloat(target, 1.0f);
            out << "  <DataRef Path=\"" << dataRefs[i].path << "\" Use=\"" << target << "\"/>\r\n";
        } else {
            XPL::VSIM::SetInts(target, {0, 1, 2});
            out << "  <DataRef Path=\"" << dataRefs[i].path << "\" Use=\"" << target
                << "[1]\"/>\r\n";
        }
    }
    for (size_t i = 0; i < 20; ++i) {
        const std::string target = "bench/condition/" + std::to_string(i);
        XPL::VSIM::SetFloats(target, {0.0f, 0.0f});
        out << "  <Condition Name=\"C" << i << "\" DataRef=\"" << target
            << "[0-1]\" Elements=\"any\" Above=\"0.5\"/>\r\n";
    }
    out << "</AircraftProfile>\r\n";
    return file;
}

void BM_ApplyProfile200(benchmark::State& state) {
    const fs::path file = WriteProfile200();
    const std::shared_ptr<XPL::CAircraftProfile> profile =
        XPL::CAircraftProfile::Read(file, file.wstring());
    if (profile->Uses().size() != 180 || profile->Conditions().size() != 20) {
        state.SkipWithError("the profile does not read whole");
    }
    XPL::CAircraftProfiles profiles(XPL::GetSimRegistry());
    profiles.Start(L"");
    for (auto _ : state) {
        profiles.Apply(profile);
    }
    if (profiles.WaitingCount() != 0) {
        state.SkipWithError("a path was not found");
    }
    profiles.Stop();
    fs::remove(file);
}
BENCHMARK(BM_ApplyProfile200)->Unit(benchmark::kMicrosecond);

void BM_ReadProfile200(benchmark::State& state) {
    const fs::path file = WriteProfile200();
    for (auto _ : state) {
        benchmark::DoNotOptimize(XPL::CAircraftProfile::Read(file, file.wstring()));
    }
    fs::remove(file);
}
BENCHMARK(BM_ReadProfile200)->Unit(benchmark::kMicrosecond);

}  // namespace
