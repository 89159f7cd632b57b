// One steady-state frame of the device manager with a lamp panel whose 51 tiles are all
// programmed (several sharing lenses): every condition group reads its datarefs, the lens
// report is rebuilt and compared, nothing is sent. A four-engine helicopter with three tanks,
// so every group does its whole work. Target: no heap allocation per frame.
// BM_LampProfiledFrame: the same aircraft keeping some of its state in datarefs of its own (the
// engine fires as decimals, the lights in one array, the autopilot as a decimal) and four lamp
// conditions of its profile lit on lenses of their own: four reads more, the same floor ratio.
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

std::unique_ptr<XPL::CAircraftProfiles> SetProfiledAircraft() {
    using XPL::VSIM::SetFloat;
    using XPL::VSIM::SetFloats;
    using XPL::VSIM::SetInt;
    using XPL::VSIM::SetInts;
    SetFloats("bench/fire/engines", {0, 1, 0, 0});
    SetInts("bench/lights/switches", {1, 1});
    SetFloat("bench/mcp/cmd_a", 1.0f);
    SetFloat("bench/fire/apu", 1.0f);
    SetInt("bench/warnings/flags", 8);
    SetFloats("bench/air/packs", {0, 0});
    return XPL::BENCH::ApplyProfile(R"(
        <DataRef Path="sim/cockpit/warnings/annunciators/engine_fires" Use="bench/fire/engines"/>
        <DataRef Path="sim/cockpit/electrical/beacon_lights_on" Use="bench/lights/switches[0]"/>
        <DataRef Path="sim/cockpit/electrical/strobe_lights_on" Use="bench/lights/switches[1]"/>
        <DataRef Path="sim/cockpit2/autopilot/autopilot_on" Use="bench/mcp/cmd_a"/>
        <Condition Name="ApuFire" DataRef="bench/fire/apu" Above="0.5"/>
        <Condition Name="AnyEngineFire" DataRef="bench/fire/engines[0-3]" Equal="1"/>
        <Condition Name="CabinAltitude" DataRef="bench/warnings/flags" BitSet="3"/>
        <Condition Name="PacksOff" DataRef="bench/air/packs[0-1]" Elements="all" Below="0.5"/>
        <Lamp><LampProgramming>
          <Lense><Id>ApuFire</Id><Colour>Red</Colour><Assignment>16</Assignment></Lense>
          <Lense><Id>AnyEngineFire</Id><Colour>Red</Colour><Assignment>17</Assignment></Lense>
          <Lense><Id>CabinAltitude</Id><Colour>Amber</Colour><Assignment>18</Assignment></Lense>
          <Lense><Id>PacksOff</Id><Colour>Amber</Colour><Assignment>19</Assignment></Lense>
        </LampProgramming></Lamp>
    )");
}

void RunFrames(benchmark::State& state, bool profiled) {
    XPL::BENCH::ResetSimulation();
    SetAircraft();
    std::unique_ptr<XPL::CAircraftProfiles> profiles;
    if (profiled) {
        profiles = SetProfiledAircraft();
    }
    const fs::path documents = fs::temp_directory_path() / "xvs-lamp-bench";
    fs::create_directories(documents / "Trellis Profiles");
    WriteProgramming(documents / "Trellis Profiles");
    XPL::VIRTUAL::SetPublicDocumentsFolder(documents.wstring());
    XPL::VIRTUAL::DeviceSpec spec = XPL::BENCH::PanelSpec(kLampPath, XPL::kLampProductId, 7);
    spec.serial = L"BENCH";
    XPL::VIRTUAL::AttachDevice(spec);
    // The lens report sent once: steady from here.
    auto skydeck = XPL::BENCH::StartSkydeck(3, profiles.get());
    if (XPL::VIRTUAL::FeatureReports(kLampPath).size() != 2) {
        state.SkipWithError("the panel was not programmed");
    }
    XPL::BENCH::TimeSteadyFrames(state, *skydeck, kLampPath);
    if (profiles != nullptr) {
        profiles->Stop();
    }
    XPL::GetAircraftSettings() = XPL::AircraftSettings{};
    std::error_code ignored;
    fs::remove_all(documents, ignored);
}

void BM_LampSteadyFrame(benchmark::State& state) {
    RunFrames(state, false);
}
BENCHMARK(BM_LampSteadyFrame);

void BM_LampProfiledFrame(benchmark::State& state) {
    RunFrames(state, true);
}
BENCHMARK(BM_LampProfiledFrame);

}  // namespace
