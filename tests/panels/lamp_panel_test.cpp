// The lamp panel over the virtual bus and simulator: the programming file's rules, every
// condition group with its thresholds, the engine-count and fuel rules, the master step, the
// lens bit layout and change-only sending.
#include "panels/lamp_panel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
namespace fs = std::filesystem;

namespace {

const std::wstring kPath = L"\\\\?\\hid#vid_2c5d&pid_4a04#7&3c4d5e6f&0&0000#{4d1e55b2}";
const std::wstring kSerial = L"LP-0042";
using Bytes = std::vector<uint8_t>;
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
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const size_t hash =
            std::hash<std::string>{}(std::string(info->test_suite_name()) + "." + info->name());
        documents_ = fs::temp_directory_path() / ("xvs-lamp-" + std::to_string(hash));
        fs::remove_all(documents_);
        fs::create_directories(documents_ / "Trellis Profiles");
        VIRTUAL::SetPublicDocumentsFolder(documents_.wstring());
        VIRTUAL::EnableTrace(2, TRACEKW::kLamp);
        // Everything dark unless a test says otherwise.
        VSIM::SetFloats("sim/flightmodel2/gear/deploy_ratio", {0.5f});
        VSIM::SetInt("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 1);
    }
    void TearDown() override {
        PanelFixture::TearDown();
        GetAircraftSettings() = AircraftSettings{};
        std::error_code ignored;
        fs::remove_all(documents_, ignored);
    }

    std::wstring FilePath() const {
        return documents_.wstring() + L"\\Trellis Profiles\\LampProgramming.xml";
    }
    void WriteFile(const std::string& bytes) {
        std::ofstream(documents_ / "Trellis Profiles" / "LampProgramming.xml", std::ios::binary)
            << bytes;
    }
    // Attaches and initialises a panel; the lines of the start up to startLevel_ are kept.
    CLampPanel& Start(const std::wstring& serial = kSerial) {
        VIRTUAL::DeviceSpec spec = HidDevice(kPath, kLampProductId, 0);
        spec.inputReportLength = 0;
        spec.serial = serial;
        PanelFixture::Start(spec);
        startTexts_ = TakeTraceTexts(startLevel_);
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

    fs::path documents_;
    Texts startTexts_;
    int startLevel_ = 1;
};

const Bytes kBrightness = {0xB2, 0x64};

TEST_F(LampPanelTest, MakesTheFiftyOneTilesUnprogrammed) {
    CLampPanel& panel = Start();
    for (const wchar_t* name : CLampPanel::kTileNames) {
        EXPECT_EQ(TileOf(name), (std::pair<uint32_t, int32_t>{0, -1}));
    }
    EXPECT_EQ(panel.FindTile(L"gearup"), nullptr);
}

// The first frame's report goes out even when every lens is dark: the panel keeps lenses lit by
// an earlier run while it stays powered.
TEST_F(LampPanelTest, AFileThatCannotBeLoadedLeavesEveryLensDarkButStillSetsTheBrightness) {
    startLevel_ = 2;  // the two failures are all the panel says, also at the notice level
    for (const char* content : {"", "<Lamp><LampProgramming Id=\"LP-0042\"><Lense></Lamp>",
                                "<Lamp><LampProgramming Id=\"LP-0042\"/></Lamp>\r\n<Lamp/>"}) {
        fs::remove(documents_ / "Trellis Profiles" / "LampProgramming.xml");
        if (*content != '\0') {
            WriteFile(content);
        }
        Start();
        EXPECT_EQ(startTexts_, (Texts{L"Failed in loading the XML file " + FilePath(),
                                      L"Failed in updating the tiles according to the XML"}))
            << content;
        VSIM::SetFloats("sim/flightmodel2/gear/deploy_ratio", {1.0f});
        Frame();
        Frame();
        EXPECT_EQ(Sent(), (std::vector<Bytes>{kBrightness, {0xB8, 0, 0, 0, 0, 0, 0}})) << content;
        panel_.reset();
        VIRTUAL::ResetDevices();
    }
}

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

TEST_F(LampPanelTest, ALaterBindingOfATileWinsAndAssignmentsReadLikeDecimalNumbers) {
    WriteFile(File(
        Programming("LP-0042", Lenses({{"GearUp", "Red", 1}, {"GearUp", "Amber", 7}}) +
                                   "<Lense><Colour>Green</Colour><Assignment> +12abc</Assignment>"
                                   "<Id>PitotHeat</Id></Lense>")));
    Start();
    EXPECT_EQ(TileOf(L"GearUp"), (std::pair<uint32_t, int32_t>{3, 7}));
    EXPECT_EQ(TileOf(L"PitotHeat"), (std::pair<uint32_t, int32_t>{1, 12}));
}

TEST_F(LampPanelTest, LensBitsFollowTheTwoPlanesAndOnlyChangesAreSentOnce) {
    Program(
        {{"BeaconLight", "Green", 0}, {"LandingLights", "Red", 9}, {"StrobeLight", "Amber", 23}});
    VSIM::SetInt("sim/cockpit/electrical/beacon_lights_on", 1);
    VSIM::SetInt("sim/cockpit/electrical/landing_lights_on", 1);
    VSIM::SetInt("sim/cockpit/electrical/strobe_lights_on", 1);
    Frame();
    Frame();
    VSIM::SetInt("sim/cockpit/electrical/landing_lights_on", 0);
    Frame();
    EXPECT_EQ(Sent(), (std::vector<Bytes>{kBrightness,
                                          {0xB8, 0x01, 0x00, 0x80, 0x00, 0x02, 0x80},
                                          {0xB8, 0x01, 0x00, 0x80, 0x00, 0x00, 0x80}}));
    // A failed send is not repeated until the lenses change.
    VIRTUAL::SetFault(kPath, VIRTUAL::Fault::Feature, true);
    VSIM::SetInt("sim/cockpit/electrical/beacon_lights_on", 0);
    Frame();
    Frame();
    VIRTUAL::SetFault(kPath, VIRTUAL::Fault::Feature, false);
    Frame();
    EXPECT_EQ(Sent().size(), 3u);
    VSIM::SetInt("sim/cockpit/electrical/strobe_lights_on", 0);
    Frame();
    EXPECT_EQ(Sent().back(), (Bytes{0xB8, 0, 0, 0, 0, 0, 0}));
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

TEST_F(LampPanelTest, MasterLensesFollowTheRedAndAmberLensesOfTheSameFrame) {
    Program({{"GearDown", "Red", 0},
             {"StrobeLight", "Amber", 1},
             {"MasterWarning", "Red", 2},
             {"MasterCaution", "Green", 3}});
    VSIM::SetFloats("sim/flightmodel2/gear/deploy_ratio", {1.0f});
    EXPECT_EQ(Lens(2), 2);
    EXPECT_EQ(Lens(3), 0);
    VSIM::SetFloats("sim/flightmodel2/gear/deploy_ratio", {0.0f});
    EXPECT_EQ(Lens(2), 0) << "a red master lens does not keep itself lit";
    VSIM::SetInt("sim/cockpit/electrical/strobe_lights_on", 1);
    EXPECT_EQ(Lens(3), 1);
    EXPECT_EQ(Lens(2), 0);
    VSIM::SetInt("sim/cockpit/electrical/strobe_lights_on", 0);
    EXPECT_EQ(Lens(3), 0);
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

// One tile programmed green on lens 7; the data set before the frame; lit or dark.
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
                                           CASE("UnsafeNotDown", "GearUnsafe", false, Gear(1.0f)),
                                           CASE("UnsafeNotUp", "GearUnsafe", false, Gear(0.0f)),
                                           CASE("UpBelow001", "GearUp", true, Gear(0.0099f)),
                                           CASE("UpNotInTransit", "GearUp", false, Gear(0.5f)),
                                           CASE("DownUpDown", "Down", true, Gear(1.0f)),
                                           CASE("DownUpDownInTransit", "Down", false, Gear(0.5f)),
                                           CASE("DownUpUp", "Up", true, Gear(0.0f)),
                                           CASE("DownUpUpInTransit", "Up", false, Gear(0.5f))),
                         [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Engines, LampConditionTest,
    ::testing::Values(
        CASE("SingleFire", "EngineFire", true, Fires(1, {1})),
        CASE("SingleFireNotEngine1", "Engine1Fire", false, Fires(1, {1})),
        CASE("TwinRight", "RightEngineFire", true, Fires(2, {0, 1})),
        CASE("TwinLeftQuiet", "LeftEngineFire", false, Fires(2, {0, 1})),
        CASE("TwinNotEngineFire", "EngineFire", false, Fires(2, {1, 1})),
        CASE("TwinNotEngine2Fire", "Engine2Fire", false, Fires(2, {1, 1})),
        CASE("FourEngine3", "Engine3Fire", true, Fires(4, {0, 0, 1, 0})),
        CASE("FourNotLeft", "LeftEngineFire", false, Fires(4, {1, 1, 1, 1})),
        CASE("ThreeEnginesFire", "Engine1Fire", false, Fires(3, {1, 1, 1})),
        CASE("ThreeEnginesAnyFire", "EngineFire", false, Fires(3, {1, 1, 1})),
        CASE("FiveEngines", "Engine1Fire", false, Fires(5, {1, 1, 1, 1, 1})),
        CASE("OilAnyLow", "OilPressure", true, OilPressures(2, {20, 14.9f})),
        CASE("OilEngine2Low", "Engine2OilPressure", true, OilPressures(2, {20, 14.9f})),
        CASE("OilEngine1Fine", "Engine1OilPressure", false, OilPressures(2, {20, 14.9f})),
        CASE("OilAtGreenIsFine", "OilPressure", false, OilPressures(1, {15})),
        CASE("OilSingleUsesEngine1Only", "OilPressure", false, OilPressures(1, {20, 0})),
        CASE("OilFourEngine4", "Engine4OilPressure", true, OilPressures(4, {20, 20, 20, 1})),
        CASE("OilTwinNoEngine3", "Engine3OilPressure", false, OilPressures(2, {0, 0, 0, 0})),
        CASE("OilZeroGreenNeverLow", "OilPressure", false, OilPressures(2, {0, 0}, 0.0f)),
        CASE("OilThreeEngines", "OilPressure", false, OilPressures(3, {0, 0, 0})),
        CASE("TempAnyHot", "EngineOilTemp", true, OilTemperatures(4, {0, 0, 0, 101})),
        CASE("TempEngine1Hot", "Engine1OilTemp", true, OilTemperatures(1, {101})),
        CASE("TempAtMaximumIsFine", "Engine2OilTemp", false, OilTemperatures(2, {0, 100})),
        CASE("TempThreeEngines", "EngineOilTemp", false, OilTemperatures(3, {200, 200, 200})),
        CASE("RotorSlow", "RotorLowRpm", true, Rotor(1, 1, {299})),
        CASE("RotorAtGreen", "RotorLowRpm", false, Rotor(1, 1, {300})),
        CASE("RotorTwinAnySlow", "RotorLowRpm", true, Rotor(1, 2, {400, 10})),
        CASE("RotorNotHelicopter", "RotorLowRpm", false, Rotor(0, 1, {10})),
        CASE("RotorThreeEngines", "RotorLowRpm", false, Rotor(1, 3, {0, 0, 0}))),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Fuel, LampConditionTest,
    ::testing::Values(
        CASE("Annunciator", "FuelLow", true,
             VSIM::SetInt("sim/cockpit/warnings/annunciators/fuel_quantity", 1)),
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
        CASE("PressureElement0", "LowPressure", true,
             VSIM::SetInts("sim/cockpit/warnings/annunciators/fuel_pressure_low", {1, 0})),
        CASE("PressureOtherElement", "LowPressure", false,
             VSIM::SetInts("sim/cockpit/warnings/annunciators/fuel_pressure_low", {0, 1})),
        CASE("CrossFeed", "FuelCrossFeed", true,
             VSIM::SetInt("sim/cockpit/warnings/annunciators/crossfeed_on", 1))),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Systems, LampConditionTest,
    ::testing::Values(
        CASE("Beacon", "BeaconLight", true, Int("sim/cockpit/electrical/beacon_lights_on", 1)()),
        CASE("Landing", "LandingLights", true,
             Int("sim/cockpit/electrical/landing_lights_on", 2)()),
        CASE("Strobe", "StrobeLight", true, Int("sim/cockpit/electrical/strobe_lights_on", 1)()),
        CASE("BrakeBelowHalf", "ParkingBrakes", false,
             VSIM::SetFloat("sim/flightmodel/controls/parkbrake", 0.49f)),
        CASE("BrakeHalf", "ParkingBrakes", true,
             VSIM::SetFloat("sim/flightmodel/controls/parkbrake", 0.5f)),
        CASE("BrakeFull", "ParkingBrakes", true,
             VSIM::SetFloat("sim/flightmodel/controls/parkbrake", 1.0f)),
        CASE("BrakeBeyondFull", "ParkingBrakes", false,
             VSIM::SetFloat("sim/flightmodel/controls/parkbrake", 1.01f)),
        CASE("PitotHeatOn", "PitotHeat", true,
             Int("sim/cockpit2/ice/ice_pitot_heat_on_pilot", 1)()),
        CASE("Stall", "StallWarning", true, Int("sim/flightmodel/failures/stallwarning", 1)()),
        CASE("Door", "DoorWarning", true,
             Int("sim/cockpit/warnings/annunciators/cabin_door_open", 1)()),
        CASE("Vacuum", "VacLow", true, Int("sim/cockpit/warnings/annunciators/low_vacuum", 1)()),
        CASE("AutoPilot", "AutoPilot", true, Int("sim/cockpit2/autopilot/autopilot_on", 1)()),
        CASE("APMaster", "APMaster", true, Int("sim/cockpit2/autopilot/autopilot_on", 1)()),
        CASE("APMasterOff", "APMaster", false, Int("sim/cockpit2/autopilot/autopilot_on", 0)()),
        CASE("Nav1", "NAV1", true, VSIM::SetInt(std::string(kAudio) + "nav1", 1)),
        CASE("Nav2", "NAV2", true, VSIM::SetInt(std::string(kAudio) + "nav2", 1)),
        CASE("Com1", "COM1", true, VSIM::SetInt(std::string(kAudio) + "com1", 1)),
        CASE("Com2", "COM2", true, VSIM::SetInt(std::string(kAudio) + "com2", 1)),
        CASE("BothNeedsBoth", "Both", false, VSIM::SetInt(std::string(kAudio) + "com1", 1)),
        CASE("Both", "Both", true, VSIM::SetInt(std::string(kAudio) + "com1", 1);
             VSIM::SetInt(std::string(kAudio) + "com2", 1)),
        CASE("Adf2", "ADF", true, VSIM::SetInt(std::string(kAudio) + "adf2", 1)),
        CASE("Adf1", "ADF", true, VSIM::SetInt(std::string(kAudio) + "adf1", 1)),
        CASE("Dme", "DME", true, Int("sim/cockpit2/radios/actuators/audio_dme_enabled", 1)()),
        CASE("Marker", "MKR", true, Int("sim/cockpit2/radios/actuators/audio_marker_enabled", 1)()),
        CASE("Gps", "GPS", true, Int("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 2)()),
        CASE("NavNotGps", "NAV", false,
             Int("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 2)()),
        CASE("NavOtherSource", "NAV", true,
             Int("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 0)())),
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
    const auto onlyEngine = [](const std::wstring& name, float on, float off) {
        std::vector<float> values(4, off);
        values[static_cast<size_t>(name[6] - L'1')] = on;  // "EngineN..."
        return values;
    };
    const std::map<std::wstring, std::function<void()>> recipes = {
        {L"GearUp", [] { Gear(0.0f); }},
        {L"GearDown", [] { Gear(1.0f); }},
        {L"GearUnsafe", [] { Gear(0.5f); }},
        {L"Up", [] { Gear(0.0f); }},
        {L"Down", [] { Gear(1.0f); }},
        {L"EngineFire", [] { Fires(1, {1}); }},
        {L"LeftEngineFire",
         [] {
             Fires(2, {1, 0});
         }},
        {L"RightEngineFire",
         [] {
             Fires(2, {0, 1});
         }},
        {L"OilPressure",
         [=] {
             OilPressures(engines, {1, 1, 1, 1});
         }},
        {L"EngineOilTemp",
         [=] {
             OilTemperatures(engines, {101, 101, 101, 101});
         }},
        {L"RotorLowRpm",
         [=] {
             Rotor(1, engines, {0, 0, 0, 0});
         }},
        {L"FuelLow", Int("sim/cockpit/warnings/annunciators/fuel_quantity", 1)},
        {L"LeftFuelLow",
         [] {
             Tanks({0.4f, 0.2f, 0.4f}, {0, 9, 9});
         }},
        {L"CentreFuelLow",
         [] {
             Tanks({0.4f, 0.2f, 0.4f}, {9, 0, 9});
         }},
        {L"RightFuelLow",
         [] {
             Tanks({0.4f, 0.2f, 0.4f}, {9, 9, 0});
         }},
        {L"LowPressure",
         [] { VSIM::SetInts("sim/cockpit/warnings/annunciators/fuel_pressure_low", {1}); }},
        {L"FuelCrossFeed", Int("sim/cockpit/warnings/annunciators/crossfeed_on", 1)},
        {L"BeaconLight", Int("sim/cockpit/electrical/beacon_lights_on", 1)},
        {L"LandingLights", Int("sim/cockpit/electrical/landing_lights_on", 1)},
        {L"ParkingBrakes", [] { VSIM::SetFloat("sim/flightmodel/controls/parkbrake", 1.0f); }},
        {L"PitotHeat", Int("sim/cockpit2/ice/ice_pitot_heat_on_pilot", 1)},
        {L"StallWarning", Int("sim/flightmodel/failures/stallwarning", 1)},
        {L"DoorWarning", Int("sim/cockpit/warnings/annunciators/cabin_door_open", 1)},
        {L"VacLow", Int("sim/cockpit/warnings/annunciators/low_vacuum", 1)},
        {L"AutoPilot", Int("sim/cockpit2/autopilot/autopilot_on", 1)},
        {L"APMaster", Int("sim/cockpit2/autopilot/autopilot_on", 1)},
        {L"StrobeLight", Int("sim/cockpit/electrical/strobe_lights_on", 1)},
        {L"NAV1", [] { VSIM::SetInt(std::string(kAudio) + "nav1", 1); }},
        {L"NAV2", [] { VSIM::SetInt(std::string(kAudio) + "nav2", 1); }},
        {L"COM1", [] { VSIM::SetInt(std::string(kAudio) + "com1", 1); }},
        {L"COM2", [] { VSIM::SetInt(std::string(kAudio) + "com2", 1); }},
        {L"Both",
         [] {
             VSIM::SetInt(std::string(kAudio) + "com1", 1);
             VSIM::SetInt(std::string(kAudio) + "com2", 1);
         }},
        {L"ADF", [] { VSIM::SetInt(std::string(kAudio) + "adf1", 1); }},
        {L"DME", Int("sim/cockpit2/radios/actuators/audio_dme_enabled", 1)},
        {L"MKR", Int("sim/cockpit2/radios/actuators/audio_marker_enabled", 1)},
        {L"GPS", Int("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 2)},
        {L"NAV", Int("sim/cockpit2/radios/actuators/HSI_source_select_pilot", 1)},
        // Lit by the amber and red lenses the test programs besides.
        {L"MasterCaution", Int("sim/flightmodel/failures/stallwarning", 1)},
        {L"MasterWarning", Int("sim/cockpit/warnings/annunciators/cabin_door_open", 1)},
    };
    if (const auto found = recipes.find(tile); found != recipes.end()) {
        found->second();
    } else if (tile.find(L"Fire") != std::wstring::npos) {
        std::vector<int> fires(4, 0);
        fires[static_cast<size_t>(tile[6] - L'1')] = 1;
        Fires(4, fires);
    } else if (tile.find(L"OilPressure") != std::wstring::npos) {
        OilPressures(engines, onlyEngine(tile, 1, 20));
    } else {
        ASSERT_NE(tile.find(L"OilTemp"), std::wstring::npos) << "no recipe";
        OilTemperatures(engines, onlyEngine(tile, 101, 0));
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
