// The lamp panel over the virtual bus and simulator: the programming file's rules, the conditions'
// thresholds, the engine-count and fuel rules, and the order in which a frame writes the tiles.
// The lens planes, the master lenses and change-only sending (a refused report not again):
// tests/scenarios/lamp.sim; a lens file that does not read: unreadable_files.sim.
#include "panels/lamp_panel.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "devices/skydeck.h"
#include "sim/aircraft_settings.h"
#include "test_support.h"
#include "trace/trace.h"
#include "vsim/vsim.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

const std::wstring kPath = L"\\\\?\\hid#vid_2c5d&pid_4a04#7&3c4d5e6f&0&0000#{4d1e55b2}";
const std::wstring kSerial = L"LP-0042";
using Texts = std::vector<std::wstring>;

struct Binding {
    std::string tile;
    std::string colour;
    int lens;
};

std::string Lenses(const std::vector<Binding>& bindings) {
    std::string xml;
    for (const Binding& b : bindings) {
        xml += "<Lense><Id>" + b.tile + "</Id><Colour>" + b.colour + "</Colour><Assignment>" +
               std::to_string(b.lens) + "</Assignment></Lense>\r\n";
    }
    return xml;
}

std::string Programming(const std::string& id, const std::string& lenses) {
    return "<LampProgramming Id=\"" + id + "\">\r\n" + lenses + "</LampProgramming>\r\n";
}

std::string File(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Profiles><Lamp>\r\n" + body +
           "</Lamp></Profiles>\r\n";
}

// 0 dark, 1 green, 2 red, 3 amber.
int LensColour(const CLampPanel::Report& report, int lens) {
    const uint8_t bit = static_cast<uint8_t>(1u << (lens % 8));
    return ((report[1 + lens / 8] & bit) ? 1 : 0) | ((report[4 + lens / 8] & bit) ? 2 : 0);
}

class LampPanelTest : public PanelFixture<CLampPanel> {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        GetAircraftSettings() = AircraftSettings{0, 15.0f, 0.0f};
        VIRTUAL::SetPublicDocumentsFolder(documents_.Path().wstring());
        VIRTUAL::EnableTrace(2, TRACEKW::kLamp);
        // Everything dark unless a test says otherwise.
        VSIM::SetFloats("sim/flightmodel2/gear/deploy_ratio", {0.5f});
        VSIM::SetInt("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 1);
    }
    void TearDown() override {
        PanelFixture::TearDown();
        GetAircraftSettings() = AircraftSettings{};
    }

    void WriteFile(const std::string& bytes) {
        TEST::WriteFile(documents_.Path() / "Trellis Profiles" / "LampProgramming.xml", bytes);
    }
    // Attaches and initialises a panel; the failure lines of the start are kept.
    CLampPanel& Start(const std::wstring& serial = kSerial) {
        VIRTUAL::DeviceSpec spec = HidDevice(kPath, kLampProductId, 0);
        spec.inputReportLength = 0;
        spec.serial = serial;
        PanelFixture::Start(spec);
        startTexts_ = TakeTraceTexts(1);
        return *panel_;
    }
    // Starts a panel whose serial number's programming has these bindings.
    CLampPanel& Program(const std::vector<Binding>& bindings) {
        WriteFile(File(Programming("LP-0042", Lenses(bindings))));
        return Start();
    }
    const CLampPanel::Report& Frame() {
        panel_->Notify();
        return panel_->GetLastReport();
    }
    int Lens(int lens) { return LensColour(Frame(), lens); }
    // The tile's programming as (colour, lens).
    std::pair<uint32_t, int32_t> TileOf(const wchar_t* name) {
        const CLampPanel::Tile* tile = panel_->FindTile(name);
        EXPECT_NE(tile, nullptr) << "no tile";
        return tile != nullptr ? std::pair{tile->colour, tile->lens} : std::pair{0u, -2};
    }

    CTestFolder documents_;
    Texts startTexts_;
};

// Each serial number gets exactly its own programming: Ids compare case-sensitively, and XPath
// syntax in a serial number neither breaks nor widens the selection.
TEST_F(LampPanelTest, OnlyTheProgrammingForThisSerialNumberApplies) {
    WriteFile(File(Programming("A'B", Lenses({{"GearUp", "Red", 1}})) +
                   Programming("a'b", Lenses({{"GearUnsafe", "Red", 4}})) +
                   Programming("Q&quot;'&quot;", Lenses({{"GearDown", "Red", 2}})) +
                   Programming("", Lenses({{"Up", "Red", 3}}))));
    const std::vector<std::pair<std::wstring, const wchar_t*>> cases = {
        {L"A'B", L"GearUp"},        {L"Q\"'\"", L"GearDown"},   {L"", L"Up"},
        {L"x' or '1'='1", nullptr}, {L"A' or @Id!='", nullptr}, {L"A'B\"", nullptr},
    };
    for (const auto& [serial, tile] : cases) {
        Start(serial);
        EXPECT_EQ(startTexts_, Texts{});
        for (const wchar_t* name : {L"GearUp", L"GearUnsafe", L"GearDown", L"Up"}) {
            const bool mine = tile != nullptr && std::wstring(tile) == name;
            EXPECT_EQ(TileOf(name).second != -1, mine) << "serial " << serial.size();
        }
        panel_.reset();
        VIRTUAL::ResetDevices();
    }
}

TEST_F(LampPanelTest, BadColoursTagsAndLensesAreReportedAndLeaveTheirTileUnlit) {
    WriteFile(File(Programming(
        "LP-0042",
        "<Lense><Id>GearUp</Id><Colour>green</Colour><Assignment>1</Assignment></Lense>\r\n"
        "<Lense><Id>GearDown</Id><colour>Green</colour><Assignment>2</Assignment></Lense>\r\n"
        "<Lense><Id>Up</Id><!-- mine --><Colour>Red</Colour><Assignment>24</Assignment></Lense>\n"
        "<Lense><Id>Down</Id><Colour>Red</Colour><Assignment>-2</Assignment></Lense>\r\n"
        "<Lense><Id>BeaconLight</Id><Colour>Amber</Colour><Assignment>-1</Assignment></Lense>\n"
        "<Lense><Id>StrobeLight</Id><Assignment>5</Assignment></Lense>\r\n"
        "<Lense><Id>LandingLights</Id><Colour>Green</Colour></Lense>\r\n"
        "<Lense><Id>Nothing</Id><Colour>Green</Colour><Assignment>6</Assignment></Lense>\r\n"
        "<Lense><Id>StallWarning</Id><Colour>Amber</Colour><Assignment>x</Assignment></Lense>")));
    Start();
    EXPECT_EQ(startTexts_, (Texts{L"It's an invalid color green", L"It's an invalid tag colour",
                                  L"It's an invalid tag #comment", L"It's an invalid lens 24",
                                  L"It's an invalid lens -2"}));
    for (const wchar_t* name : {L"GearUp", L"GearDown", L"Up", L"Down", L"BeaconLight",
                                L"StrobeLight", L"LandingLights"}) {
        EXPECT_EQ(TileOf(name), (std::pair<uint32_t, int32_t>{0, -1})) << name;
    }
    // No digits read as lens 0.
    EXPECT_EQ(TileOf(L"StallWarning"), (std::pair<uint32_t, int32_t>{3, 0}));
}

// Ids compare case-sensitively: "gearup" programs nothing.
TEST_F(LampPanelTest, ALaterBindingOfATileWinsAndAssignmentsReadLikeDecimalNumbers) {
    WriteFile(File(Programming(
        "LP-0042", Lenses({{"GearUp", "Red", 1}, {"GearUp", "Amber", 7}, {"gearup", "Red", 2}}) +
                       "<Lense><Colour>Green</Colour><Assignment> +12abc</Assignment>"
                       "<Id>PitotHeat</Id></Lense>")));
    Start();
    EXPECT_EQ(TileOf(L"GearUp"), (std::pair<uint32_t, int32_t>{3, 7}));
    EXPECT_EQ(TileOf(L"PitotHeat"), (std::pair<uint32_t, int32_t>{1, 12}));
}

TEST_F(LampPanelTest, WhereTilesShareALensTheLaterOneDecidesAndAHalfBindingNeverTouchesIt) {
    // Up comes after GearUp; PitotHeat (off) after BeaconLight (on); LandingLights (off, after
    // FuelCrossFeed) names lens 7 but has no colour.
    WriteFile(File(Programming(
        "LP-0042", Lenses({{"GearUp", "Green", 5},
                           {"Up", "Red", 5},
                           {"BeaconLight", "Green", 6},
                           {"PitotHeat", "Amber", 6},
                           {"FuelCrossFeed", "Green", 7}}) +
                       "<Lense><Id>LandingLights</Id><Assignment>7</Assignment></Lense>")));
    Start();
    VSIM::SetFloats("sim/flightmodel2/gear/deploy_ratio", {0.0f});
    VSIM::SetInt("sim/cockpit/electrical/beacon_lights_on", 1);
    VSIM::SetInt("sim/cockpit/warnings/annunciators/crossfeed_on", 1);
    EXPECT_EQ(Lens(5), 2);
    EXPECT_EQ(Lens(6), 0);
    EXPECT_EQ(Lens(7), 1);
}

// Lighting conditions by hand (the studio's try-out) lights what a frame lights when they hold,
// a master lens programmed red or amber raising the other master's flag included.
TEST_F(LampPanelTest, ConditionsLitByHandLightWhatTheFrameLights) {
    Program({{"StrobeLight", "Amber", 1},
             {"MasterCaution", "Red", 3},
             {"MasterWarning", "Amber", 2},
             {"GearUp", "Amber", 4},
             {"Up", "Green", 4}});
    CLampPanel::Programming programmed;
    for (const wchar_t* name :
         {L"StrobeLight", L"MasterCaution", L"MasterWarning", L"GearUp", L"Up"}) {
        programmed[name] = *panel_->FindTile(name);
    }
    VSIM::SetInt("sim/cockpit/electrical/strobe_lights_on", 1);
    VSIM::SetFloats("sim/flightmodel2/gear/deploy_ratio", {0.0f});
    const CLampPanel::Report frame = Frame();
    EXPECT_EQ(LensColour(frame, 2), 3);
    const std::set<std::wstring, std::less<>> lit = {L"StrobeLight", L"GearUp", L"Up"};
    EXPECT_EQ(
        CLampPanel::LightByHand(
            programmed, [&](std::wstring_view name) { return lit.count(name) != 0; }, 2, false),
        frame);
}

// One tile programmed green on lens 7; the data set before the frame; lit or dark. That each tile
// lights on its plain condition is shown by the write-order cases below; these are the edges.
struct ConditionCase {
    const char* label;
    const wchar_t* tile;
    std::function<void()> set;
    bool lit;
};

void PrintTo(const ConditionCase& c, std::ostream* os) {
    *os << c.label;
}

class LampConditionTest : public LampPanelTest,
                          public ::testing::WithParamInterface<ConditionCase> {};

TEST_P(LampConditionTest, LightsTheLensExactlyWhenTheConditionHolds) {
    const std::wstring tile = GetParam().tile;
    Program({{std::string(tile.begin(), tile.end()), "Green", 7}});
    GetParam().set();
    EXPECT_EQ(Lens(7), GetParam().lit ? 1 : 0);
}

void Gear(float ratio) {
    VSIM::SetFloats("sim/flightmodel2/gear/deploy_ratio", {ratio, 0.0f, 0.0f});
}
void Engines(int count) {
    VSIM::SetInt("sim/aircraft/engine/acf_num_engines", count);
}
void Fires(int count, std::vector<int> fires) {
    Engines(count);
    VSIM::SetInts("sim/cockpit/warnings/annunciators/engine_fires", fires);
}
void OilPressures(int count, std::vector<float> psi, float greenLow = 15.0f) {
    Engines(count);
    GetAircraftSettings().oilPressureGreenLow = greenLow;
    VSIM::SetFloats("sim/cockpit2/engine/indicators/oil_pressure_psi", psi);
}
void OilTemperatures(int count, std::vector<float> celsius) {
    Engines(count);
    VSIM::SetFloat("sim/aircraft/engine/acf_max_OILT", 100.0f);
    VSIM::SetFloats("sim/cockpit2/engine/indicators/oil_temperature_deg_C", celsius);
}
void Rotor(uint32_t helicopter, int count, std::vector<float> rpm) {
    Engines(count);
    GetAircraftSettings().isHelicopter = helicopter;
    GetAircraftSettings().rpmGreenLow = 300.0f;
    VSIM::SetFloats("sim/cockpit2/engine/indicators/engine_speed_rpm", rpm);
}
// Capacity 100 lb; each tank's level is mass / (45.3592 kg x ratio).
void Tanks(std::vector<float> ratios, std::vector<float> masses, float capacity = 100.0f) {
    VSIM::SetInt("sim/aircraft/overflow/acf_num_tanks", static_cast<int>(ratios.size()));
    VSIM::SetFloat("sim/aircraft/weight/acf_m_fuel_tot", capacity);
    VSIM::SetFloats("sim/aircraft/overflow/acf_tank_rat", ratios);
    VSIM::SetFloats("sim/flightmodel/weight/m_fuel", masses);
}
std::function<void()> Int(const char* path, int value) {
    return [=] { VSIM::SetInt(path, value); };
}
const char* const kAudio = "sim/cockpit2/radios/actuators/audio_selection_";

#define CASE(label, tile, lit, ...)               \
    ConditionCase {                               \
        label, L"" tile, [] { __VA_ARGS__; }, lit \
    }

INSTANTIATE_TEST_SUITE_P(Gear, LampConditionTest,
                         ::testing::Values(CASE("DownAbove099", "GearDown", true, Gear(0.991f)),
                                           CASE("DownNotAt099", "GearDown", false, Gear(0.99f)),
                                           CASE("UnsafeAt099", "GearUnsafe", true, Gear(0.99f)),
                                           CASE("UnsafeAt001", "GearUnsafe", true, Gear(0.01f)),
                                           CASE("UpBelow001", "GearUp", true, Gear(0.0099f)),
                                           CASE("DownUpDownInTransit", "Down", false, Gear(0.5f)),
                                           CASE("DownUpUpInTransit", "Up", false, Gear(0.5f))),
                         [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Engines, LampConditionTest,
    ::testing::Values(
        CASE("SingleFireNotEngine1", "Engine1Fire", false, Fires(1, {1})),
        CASE("TwinLeftQuiet", "LeftEngineFire", false, Fires(2, {0, 1})),
        CASE("TwinNotEngineFire", "EngineFire", false, Fires(2, {1, 1})),
        CASE("FourNotLeft", "LeftEngineFire", false, Fires(4, {1, 1, 1, 1})),
        CASE("ThreeEnginesFire", "Engine1Fire", false, Fires(3, {1, 1, 1})),
        CASE("OilAnyLow", "OilPressure", true, OilPressures(2, {20, 14.9f})),
        CASE("OilEngine2Low", "Engine2OilPressure", true, OilPressures(2, {20, 14.9f})),
        CASE("OilAtGreenIsFine", "OilPressure", false, OilPressures(1, {15})),
        CASE("OilSingleUsesEngine1Only", "OilPressure", false, OilPressures(1, {20, 0})),
        CASE("OilFourEngine4", "Engine4OilPressure", true, OilPressures(4, {20, 20, 20, 1})),
        CASE("OilZeroGreenNeverLow", "OilPressure", false, OilPressures(2, {0, 0}, 0.0f)),
        CASE("OilThreeEngines", "OilPressure", false, OilPressures(3, {0, 0, 0})),
        CASE("TempAtMaximumIsFine", "Engine2OilTemp", false, OilTemperatures(2, {0, 100})),
        CASE("RotorAtGreen", "RotorLowRpm", false, Rotor(1, 1, {300})),
        CASE("RotorTwinAnySlow", "RotorLowRpm", true, Rotor(1, 2, {400, 10})),
        CASE("RotorNotHelicopter", "RotorLowRpm", false, Rotor(0, 1, {10}))),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Fuel, LampConditionTest,
    ::testing::Values(
        CASE("LeftLow", "LeftFuelLow", true, Tanks({0.5f, 0.5f}, {2.2f, 2.2f})),
        CASE("LeftAtTenPercent", "LeftFuelLow", false, Tanks({0.5f, 0.5f}, {2.3f, 0})),
        CASE("RightIsTheLastTank", "RightFuelLow", true, Tanks({0.4f, 0.2f, 0.4f}, {9, 9, 1})),
        CASE("CentreIsAMiddleTank", "CentreFuelLow", true, Tanks({0.4f, 0.2f, 0.4f}, {9, 0, 9})),
        CASE("LastMiddleTankDecides", "CentreFuelLow", false,
             Tanks({0.25f, 0.25f, 0.25f, 0.25f}, {9, 0, 9, 9})),
        CASE("LastMiddleTankLow", "CentreFuelLow", true,
             Tanks({0.25f, 0.25f, 0.25f, 0.25f}, {9, 9, 0, 9})),
        CASE("OneTankIsLeftOnly", "RightFuelLow", false, Tanks({1.0f}, {0})),
        CASE("NoShareIsNotLow", "LeftFuelLow", false, Tanks({0.0f, 1.0f}, {0, 0})),
        CASE("NoShareNegativeMassIsNotLow", "LeftFuelLow", false, Tanks({0.0f, 1.0f}, {-1, 0})),
        // 14.968536 / (1000 x 0.453592 x 0.33) is 0.1 in single precision, just below in double.
        CASE("SinglePrecisionAtTheThreshold", "LeftFuelLow", false,
             Tanks({0.33f}, {14.968536376953125f}, 1000.0f)),
        CASE("SinglePrecisionOneStepBelow", "LeftFuelLow", true,
             Tanks({0.33f}, {14.968535423278809f}, 1000.0f)),
        CASE("PressureOtherElement", "LowPressure", false,
             VSIM::SetInts("sim/cockpit/warnings/annunciators/fuel_pressure_low", {0, 1}))),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Systems, LampConditionTest,
    ::testing::Values(CASE("Landing", "LandingLights", true,
                           Int("sim/cockpit/electrical/landing_lights_on", 2)()),
                      CASE("BrakeBelowHalf", "ParkingBrakes", false,
                           VSIM::SetFloat("sim/flightmodel/controls/parkbrake", 0.49f)),
                      CASE("BrakeHalf", "ParkingBrakes", true,
                           VSIM::SetFloat("sim/flightmodel/controls/parkbrake", 0.5f)),
                      CASE("BrakeBeyondFull", "ParkingBrakes", false,
                           VSIM::SetFloat("sim/flightmodel/controls/parkbrake", 1.01f)),
                      CASE("BothNeedsBoth", "Both", false,
                           VSIM::SetInt(std::string(kAudio) + "com1", 1)),
                      CASE("Adf2", "ADF", true, VSIM::SetInt(std::string(kAudio) + "adf2", 1)),
                      CASE("NavNotGps", "NAV", false,
                           Int("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 2)())),
    [](const auto& info) { return std::string(info.param.label); });

#undef CASE

}  // namespace

namespace {

// The writing order the panel publishes (tools tell users from it which of two tiles sharing a
// lens decides it) is the order of the frame: for every two tiles written one after the other
// for some engine count, both programmed on one lens and both lit, the later one's colour shows.
struct WritePair {
    std::wstring earlier;
    std::wstring later;
    int engines;
};

void PrintTo(const WritePair& pair, std::ostream* os) {
    *os << std::string(pair.earlier.begin(), pair.earlier.end()) << " then "
        << std::string(pair.later.begin(), pair.later.end());
}

std::vector<WritePair> NeighbouringWrites() {
    std::vector<WritePair> pairs;
    for (const int engines : {1, 2, 4}) {
        const CLampPanel::TileWrite* previous = nullptr;
        for (const CLampPanel::TileWrite& write : CLampPanel::kWriteOrder) {
            if (write.engines != CLampPanel::kAnyEngineCount && (write.engines & engines) == 0) {
                continue;
            }
            if (previous != nullptr &&
                std::none_of(pairs.begin(), pairs.end(), [&](const WritePair& p) {
                    return p.earlier == previous->name && p.later == write.name;
                })) {
                pairs.push_back({previous->name, write.name, engines});
            }
            previous = &write;
        }
    }
    return pairs;
}

// Lights a tile of an aircraft with this many engines.
void LightTile(const std::wstring& tile, int engines) {
    const std::string audio = kAudio;
    // Tiles lit by one int dataref at 1.
    const std::map<std::wstring, std::string> byInt = {
        {L"FuelLow", "sim/cockpit/warnings/annunciators/fuel_quantity"},
        {L"FuelCrossFeed", "sim/cockpit/warnings/annunciators/crossfeed_on"},
        {L"BeaconLight", "sim/cockpit/electrical/beacon_lights_on"},
        {L"LandingLights", "sim/cockpit/electrical/landing_lights_on"},
        {L"PitotHeat", "sim/cockpit2/ice/ice_pitot_heat_on_pilot"},
        {L"StallWarning", "sim/flightmodel/failures/stallwarning"},
        {L"DoorWarning", "sim/cockpit/warnings/annunciators/cabin_door_open"},
        {L"VacLow", "sim/cockpit/warnings/annunciators/low_vacuum"},
        {L"AutoPilot", "sim/cockpit2/autopilot/autopilot_on"},
        {L"APMaster", "sim/cockpit2/autopilot/autopilot_on"},
        {L"StrobeLight", "sim/cockpit/electrical/strobe_lights_on"},
        {L"NAV1", audio + "nav1"},
        {L"NAV2", audio + "nav2"},
        {L"COM1", audio + "com1"},
        {L"COM2", audio + "com2"},
        {L"ADF", audio + "adf1"},
        {L"DME", "sim/cockpit2/radios/actuators/audio_dme_enabled"},
        {L"MKR", "sim/cockpit2/radios/actuators/audio_marker_enabled"},
        // Lit by the amber and red lenses the test programs besides.
        {L"MasterCaution", "sim/flightmodel/failures/stallwarning"},
        {L"MasterWarning", "sim/cockpit/warnings/annunciators/cabin_door_open"},
    };
#define RECIPE(name, ...)              \
    {                                  \
        L"" name, [=] { __VA_ARGS__; } \
    }
    const std::map<std::wstring, std::function<void()>> recipes = {
        RECIPE("GearUp", Gear(0.0f)),
        RECIPE("GearDown", Gear(1.0f)),
        RECIPE("GearUnsafe", Gear(0.5f)),
        RECIPE("Up", Gear(0.0f)),
        RECIPE("Down", Gear(1.0f)),
        RECIPE("EngineFire", Fires(1, {1})),
        RECIPE("LeftEngineFire", Fires(2, {1, 0})),
        RECIPE("RightEngineFire", Fires(2, {0, 1})),
        RECIPE("OilPressure", OilPressures(engines, {1, 1, 1, 1})),
        RECIPE("EngineOilTemp", OilTemperatures(engines, {101, 101, 101, 101})),
        RECIPE("RotorLowRpm", Rotor(1, engines, {0, 0, 0, 0})),
        RECIPE("LeftFuelLow", Tanks({0.4f, 0.2f, 0.4f}, {0, 9, 9})),
        RECIPE("CentreFuelLow", Tanks({0.4f, 0.2f, 0.4f}, {9, 0, 9})),
        RECIPE("RightFuelLow", Tanks({0.4f, 0.2f, 0.4f}, {9, 9, 0})),
        RECIPE("LowPressure",
               VSIM::SetInts("sim/cockpit/warnings/annunciators/fuel_pressure_low", {1})),
        RECIPE("ParkingBrakes", VSIM::SetFloat("sim/flightmodel/controls/parkbrake", 1.0f)),
        RECIPE("Both", VSIM::SetInt(audio + "com1", 1); VSIM::SetInt(audio + "com2", 1)),
        RECIPE("GPS", VSIM::SetInt("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 2)),
        RECIPE("NAV", VSIM::SetInt("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 1)),
    };
#undef RECIPE
    // "EngineN...": the engine's number.
    const size_t engine = tile.size() > 6 ? static_cast<size_t>(tile[6] - L'1') : 0;
    std::vector<float> levels(4, 0.0f);
    if (const auto found = byInt.find(tile); found != byInt.end()) {
        VSIM::SetInt(found->second, 1);
    } else if (const auto recipe = recipes.find(tile); recipe != recipes.end()) {
        recipe->second();
    } else if (tile.find(L"Fire") != std::wstring::npos) {
        std::vector<int> fires(4, 0);
        fires[engine] = 1;
        Fires(4, fires);
    } else if (tile.find(L"OilPressure") != std::wstring::npos) {
        levels.assign(4, 20.0f);
        levels[engine] = 1.0f;
        OilPressures(engines, levels);
    } else {
        ASSERT_NE(tile.find(L"OilTemp"), std::wstring::npos) << "no recipe";
        levels[engine] = 101.0f;
        OilTemperatures(engines, levels);
    }
}

class LampWriteOrderTest : public LampPanelTest, public ::testing::WithParamInterface<WritePair> {};

TEST_P(LampWriteOrderTest, TheLaterOfTwoLitTilesOnALensDecidesIt) {
    const auto narrow = [](const std::wstring& text) {
        return std::string(text.begin(), text.end());
    };
    Program({{"StallWarning", "Amber", 5},
             {"DoorWarning", "Red", 6},
             {narrow(GetParam().earlier), "Green", 0},
             {narrow(GetParam().later), "Red", 0}});
    LightTile(GetParam().earlier, GetParam().engines);
    LightTile(GetParam().later, GetParam().engines);
    EXPECT_EQ(Lens(0), 2);
}

INSTANTIATE_TEST_SUITE_P(Neighbours, LampWriteOrderTest, ::testing::ValuesIn(NeighbouringWrites()),
                         [](const auto& info) {
                             const std::wstring name = info.param.earlier + L"_" + info.param.later;
                             return std::string(name.begin(), name.end());
                         });

TEST(LampWriteOrderTableTest, NamesEveryTileOnce) {
    std::set<std::wstring> written;
    for (const CLampPanel::TileWrite& write : CLampPanel::kWriteOrder) {
        EXPECT_TRUE(written.insert(write.name).second);
    }
    const std::set<std::wstring> tiles(CLampPanel::kTileNames.begin(),
                                       CLampPanel::kTileNames.end());
    EXPECT_EQ(written, tiles);
}

}  // namespace
