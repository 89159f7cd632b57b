// One steady-state frame of the device manager with a lamp panel whose 51 tiles are all
// programmed (several sharing lenses): every condition group reads its datarefs, the lens
// report is rebuilt and compared, nothing is sent. A four-engine helicopter with three tanks,
// so every group does its whole work. Target: no heap allocation per frame.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "devices/skydeck.h"
#include "panel_bench_support.h"
#include "panels/lamp_panel.h"
#include "sim/aircraft_settings.h"
#include "sim/sim_registry.h"
#include "vsim/vsim.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kLampPath = L"\\\\?\\hid#vid_2c5d&pid_4a04#bench";

void SetAircraft() {
    using XPL::VSIM::SetFloat;
    using XPL::VSIM::SetFloats;
    using XPL::VSIM::SetInt;
    using XPL::VSIM::SetInts;
    XPL::GetAircraftSettings() = XPL::AircraftSettings{1, 25.0f, 300.0f};
    SetInt("sim/aircraft/engine/acf_num_engines", 4);
    SetFloats("sim/flightmodel2/gear/deploy_ratio", {1.0f, 1.0f, 1.0f});
    SetInts("sim/cockpit/warnings/annunciators/engine_fires", {0, 1, 0, 0});
    SetFloats("sim/cockpit2/engine/indicators/oil_pressure_psi", {60, 58, 20, 61});
    SetFloats("sim/cockpit2/engine/indicators/oil_temperature_deg_C", {80, 85, 90, 120});
    SetFloat("sim/aircraft/engine/acf_max_OILT", 110.0f);
    SetFloats("sim/cockpit2/engine/indicators/engine_speed_rpm", {390, 395, 400, 280});
    SetInt("sim/aircraft/overflow/acf_num_tanks", 3);
    SetFloat("sim/aircraft/weight/acf_m_fuel_tot", 5000.0f);
    SetFloats("sim/aircraft/overflow/acf_tank_rat", {0.4f, 0.2f, 0.4f});
    SetFloats("sim/flightmodel/weight/m_fuel", {800, 20, 900});
    SetInt("sim/cockpit/electrical/beacon_lights_on", 1);
    SetInt("sim/cockpit/electrical/strobe_lights_on", 1);
    SetFloat("sim/flightmodel/controls/parkbrake", 0.0f);
    SetInt("sim/cockpit2/autopilot/autopilot_on", 1);
    SetInt("sim/cockpit2/radios/actuators/audio_selection_com1", 1);
    SetInt("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 2);
}

// Every tile, colours in turn, lenses 0 to 23 and round again.
void WriteProgramming(const fs::path& profile) {
    static const char* const kColours[] = {"Green", "Red", "Amber"};
    std::ofstream file(profile / "LampProgramming.xml", std::ios::binary);
    file << "<Lamp><LampProgramming Id=\"BENCH\">\r\n";
    int i = 0;
    for (const wchar_t* tile : XPL::CLampPanel::kTileNames) {
        const std::wstring name(tile);
        file << "<Lense><Id>" << std::string(name.begin(), name.end()) << "</Id><Colour>"
             << kColours[i % 3] << "</Colour><Assignment>" << i % 24 << "</Assignment></Lense>\r\n";
        ++i;
    }
    file << "</LampProgramming></Lamp>\r\n";
}

void BM_LampSteadyFrame(benchmark::State& state) {
    XPL::BENCH::ResetSimulation();
    SetAircraft();
    const fs::path documents = fs::temp_directory_path() / "xvs-lamp-bench";
    fs::create_directories(documents / "Trellis Profiles");
    WriteProgramming(documents / "Trellis Profiles");
    XPL::VIRTUAL::SetPublicDocumentsFolder(documents.wstring());
    XPL::VIRTUAL::DeviceSpec spec = XPL::BENCH::PanelSpec(kLampPath, XPL::kLampProductId, 7);
    spec.serial = L"BENCH";
    XPL::VIRTUAL::AttachDevice(spec);
    auto skydeck = XPL::BENCH::StartSkydeck();  // the lens report sent once: steady from here
    if (XPL::VIRTUAL::FeatureReports(kLampPath).size() != 2) {
        state.SkipWithError("the panel was not programmed");
    }
    XPL::BENCH::TimeSteadyFrames(state, *skydeck, kLampPath);
    XPL::GetAircraftSettings() = XPL::AircraftSettings{};
    std::error_code ignored;
    fs::remove_all(documents, ignored);
}
BENCHMARK(BM_LampSteadyFrame);

}  // namespace
