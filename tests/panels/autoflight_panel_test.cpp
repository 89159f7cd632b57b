// The autoflight panel over the virtual bus and the virtual simulator: the commands of every
// input and their handling order in one report, the flight-director walk, the vertical-speed
// arming rules, the display rows and the lamps. The flashing and when a report is sent (a refused
// one not again): tests/scenarios/autoflight.sim and autoflight_flash.sim.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "panels/autoflight_panel.h"
#include "test_support.h"
#include "trace/trace.h"
#include "vsim/vsim.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

const std::wstring kPath = L"\\\\?\\hid#vid_2c5d&pid_4a01#7&2b3c&0&0000#{4d1e55b2}";
using Cells = std::array<uint8_t, 5>;
using Lines = std::vector<std::string>;
using Texts = std::vector<std::wstring>;
using enum CAutoflightPanel::Usage;

class AutoflightPanelTest : public PanelFixture<CAutoflightPanel> {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        VIRTUAL::EnableTrace(2, TRACEKW::kAutoflight);
        Start(HidDevice(kPath, 0x4A01));
        TakeTraceTexts();
    }
    void Press(uint16_t usage) {
        Frame({usage});
        Frame({});
    }
    // The five cells of the upper (at 1) or lower (at 6) row of the last report.
    Cells Row(size_t at) {
        const auto& r = panel_->GetLastReport();
        return {r[at], r[at + 1], r[at + 2], r[at + 3], r[at + 4]};
    }
    uint8_t Lamps() { return panel_->GetLastReport()[11]; }
};

struct CommandCase {
    uint16_t usage;
    const wchar_t* message;
    const char* command;
};

class AutoflightCommandTest : public AutoflightPanelTest,
                              public ::testing::WithParamInterface<CommandCase> {};

TEST_P(AutoflightCommandTest, OnEdgeSendsOneCommandAfterItsMessage) {
    Frame({GetParam().usage});
    EXPECT_EQ(TakeJournal(), Lines{std::string("cmd once ") + GetParam().command});
    EXPECT_EQ(TakeTraceTexts(2), Texts{GetParam().message});
    Frame({});
    EXPECT_TRUE(TakeJournal().empty());
}

// HDG, NAV, flaps up and trim down run in tests/scenarios/autoflight.sim.
INSTANTIATE_TEST_SUITE_P(
    Buttons, AutoflightCommandTest,
    ::testing::Values(CommandCase{11, L"Button IAS", "sim/autopilot/level_change"},
                      CommandCase{13, L"Button VS", "sim/autopilot/vertical_speed"},
                      CommandCase{14, L"Button APR", "sim/autopilot/approach"},
                      CommandCase{15, L"Button REV", "sim/autopilot/back_course"},
                      CommandCase{18, L"Flaps down", "sim/flight_controls/flaps_down"},
                      CommandCase{20, L"Pitch trim up", "sim/flight_controls/pitch_trim_up"}));

TEST_F(AutoflightPanelTest, SelectorTurnsBeforeTheWheelInOneReport) {
    Frame({kSelectorHdg, kWheelIncrease});
    Frame({kSelectorAlt, kWheelDecrease});  // HDG off, ALT on, then the detent
    EXPECT_EQ(TakeJournal(),
              (Lines{"cmd once sim/autopilot/heading_up", "cmd once sim/autopilot/altitude_down"}));
    EXPECT_EQ(TakeTraceTexts(2), (Texts{L"Autopilot selector HDG", L"Wheel increase",
                                        L"Autopilot selector ALT", L"Wheel decrease"}));
}

struct WheelCase {
    uint16_t selector;
    const wchar_t* message;
    const char* up;
    const char* down;
};

class AutoflightWheelTest : public AutoflightPanelTest,
                            public ::testing::WithParamInterface<WheelCase> {};

TEST_P(AutoflightWheelTest, EveryDetentSendsTheCommandOfThePosition) {
    const WheelCase& c = GetParam();
    Frame({c.selector});
    EXPECT_EQ(TakeTraceTexts(2), Texts{c.message});
    // A long spin both ways: one command per detent, no counter runs over.
    for (int i = 0; i < 600; ++i) {
        Frame({c.selector, i < 300 ? kWheelIncrease : kWheelDecrease});
        Frame({c.selector});
    }
    Lines expected(300, std::string("cmd once ") + c.up);
    expected.insert(expected.end(), 300, std::string("cmd once ") + c.down);
    EXPECT_EQ(TakeJournal(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, AutoflightWheelTest,
    ::testing::Values(WheelCase{1, L"Autopilot selector ALT", "sim/autopilot/altitude_up",
                                "sim/autopilot/altitude_down"},
                      WheelCase{2, L"Autopilot selector VS", "sim/autopilot/vertical_speed_up",
                                "sim/autopilot/vertical_speed_down"},
                      WheelCase{3, L"Autopilot selector IAS", "sim/autopilot/airspeed_up",
                                "sim/autopilot/airspeed_down"},
                      WheelCase{4, L"Autopilot selector HDG", "sim/autopilot/heading_up",
                                "sim/autopilot/heading_down"},
                      WheelCase{5, L"Autopilot selector CRS", "sim/radios/obs1_up",
                                "sim/radios/obs1_down"}));

TEST_F(AutoflightPanelTest, ApButtonWalksTheFlightDirectorBothWays) {
    // The simulator steps the director on the two commands. From director only, before any
    // step, the walk goes up.
    VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", 1);
    VSIM::SetJournalListener([](const VSIM::Event& e) {
        const int mode = VSIM::GetInt("sim/cockpit2/autopilot/flight_director_mode");
        if (e.path == "sim/autopilot/fdir_servos_up_one") {
            VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", std::min(mode + 1, 2));
        } else if (e.path == "sim/autopilot/fdir_servos_down_one") {
            VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", std::max(mode - 1, 0));
        }
    });
    std::vector<int> modes;
    for (int i = 0; i < 8; ++i) {
        Press(kButtonAp);
        modes.push_back(VSIM::GetInt("sim/cockpit2/autopilot/flight_director_mode"));
    }
    EXPECT_EQ(modes, (std::vector<int>{2, 1, 0, 1, 2, 1, 0, 1}));
    EXPECT_EQ(CountLines(TakeTraceTexts(2), L"Button AP"), 8u);
    // Modes it does not know move nothing.
    TakeJournal();
    VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", 3);
    Press(kButtonAp);
    EXPECT_TRUE(TakeJournal().empty());
}

// The vertical-speed target written and the mode engaged when the ALT button arms the capture.
struct ArmCase {
    const char* name;
    float altitude;
    float target;
    float verticalSpeed;
    int vviStatus;
    Lines after;  // journal after "cmd once sim/autopilot/altitude_arm"
    int armed = 1;
};

class AutoflightArmTest : public AutoflightPanelTest,
                          public ::testing::WithParamInterface<ArmCase> {};

TEST_P(AutoflightArmTest, AltButtonPointsTheVerticalSpeedAtTheTarget) {
    const ArmCase& c = GetParam();
    VSIM::SetFloat("sim/cockpit2/gauges/indicators/altitude_ft_pilot", c.altitude);
    VSIM::SetFloat("sim/cockpit/autopilot/altitude", c.target);
    VSIM::SetFloat("sim/cockpit/autopilot/vertical_velocity", c.verticalSpeed);
    VSIM::SetInt("sim/cockpit2/autopilot/vvi_status", c.vviStatus);
    VSIM::SetInt("sim/cockpit2/autopilot/altitude_hold_armed", c.armed);
    Frame({kButtonAlt});
    Lines expected{"cmd once sim/autopilot/altitude_arm"};
    expected.insert(expected.end(), c.after.begin(), c.after.end());
    EXPECT_EQ(TakeJournal(), expected);
    EXPECT_EQ(TakeTraceTexts(2), Texts{L"Button ALT"});
}

const char kClimb[] = "set sim/cockpit/autopilot/vertical_velocity 700";
const char kDescend[] = "set sim/cockpit/autopilot/vertical_velocity -700";
const char kEngage[] = "cmd once sim/autopilot/vertical_speed";

INSTANTIATE_TEST_SUITE_P(
    Rules, AutoflightArmTest,
    ::testing::Values(ArmCase{"BelowDescending", 3000, 8000, -300, 0, {kClimb, kEngage}},
                      ArmCase{"BelowClimbing", 3000, 8000, 500, 0, {kEngage}},
                      ArmCase{"BelowLevelVsEngaged", 3000, 8000, 0, 2, {kClimb}},
                      ArmCase{"AtTargetLevel", 8000, 8000, 0, 1, {kClimb}},
                      ArmCase{"AtTargetClimbing", 8000, 8000, 100, 0, {kEngage}},
                      ArmCase{"AboveLevel", 9000, 8000, 0, 0, {kDescend, kEngage}},
                      ArmCase{"AboveClimbing", 9000, 8000, 200, 2, {kDescend}},
                      ArmCase{"AboveDescending", 9000, 8000, -1500, 2, {}},
                      // Only 1 counts as an armed capture.
                      ArmCase{"NotArmed", 3000, 8000, -300, 0, {}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoflightPanelTest, NewTargetAltitudeWithHoldOnClimbsAndRearmsTheCapture) {
    VSIM::SetFloat("sim/cockpit2/gauges/indicators/altitude_ft_pilot", 5000);
    VSIM::SetFloat("sim/cockpit/autopilot/altitude", 5100);
    VSIM::SetInt("sim/cockpit2/autopilot/altitude_hold_status", 1);  // armed counts too
    Frame({kSelectorAlt, kWheelIncrease});
    EXPECT_EQ(TakeJournal(), (Lines{"cmd once sim/autopilot/altitude_up", kClimb, kEngage,
                                    "cmd once sim/autopilot/altitude_arm"}));
    // Already armed and climbing: only the target moves.
    VSIM::SetInt("sim/cockpit2/autopilot/altitude_hold_armed", 1);
    VSIM::SetInt("sim/cockpit2/autopilot/vvi_status", 2);
    VSIM::SetFloat("sim/cockpit/autopilot/vertical_velocity", 700);
    Frame({kSelectorAlt});
    Frame({kSelectorAlt, kWheelIncrease});
    EXPECT_EQ(TakeJournal(), Lines{"cmd once sim/autopilot/altitude_up"});
    // In any other position the hold status is not consulted.
    Frame({kSelectorVs});
    Frame({kSelectorVs, kWheelDecrease});
    EXPECT_EQ(TakeJournal(), Lines{"cmd once sim/autopilot/vertical_speed_down"});
}

struct RowCase {
    const char* name;
    uint16_t selector;
    float value;          // the dataref the upper row shows in that position
    float verticalSpeed;  // shown below in ALT and VS
    Cells upper;
    Cells lower;
};

class AutoflightRowTest : public AutoflightPanelTest,
                          public ::testing::WithParamInterface<RowCase> {};

TEST_P(AutoflightRowTest, RowsShowThePositionsValues) {
    const RowCase& c = GetParam();
    // Each position's dataref gets a distinct decoy so a wrong source shows.
    const char* paths[] = {"sim/cockpit/autopilot/altitude", "sim/cockpit/autopilot/altitude",
                           "sim/cockpit/autopilot/airspeed", "sim/cockpit/autopilot/heading_mag",
                           "sim/cockpit/radios/nav1_obs_degm"};
    for (int i = 2; i < 5; ++i) {
        VSIM::SetFloat(paths[i], 111.0f * static_cast<float>(i));
    }
    VSIM::SetFloat("sim/cockpit/autopilot/altitude", 99.0f);
    VSIM::SetFloat(paths[c.selector - 1], c.value);
    VSIM::SetFloat("sim/cockpit/autopilot/vertical_velocity", c.verticalSpeed);
    Frame({c.selector});
    const auto& report = panel_->GetLastReport();
    EXPECT_EQ(Sent().back(), std::vector<uint8_t>(report.begin(), report.end()));
    EXPECT_EQ(report[0], 0);
    EXPECT_EQ(report[12], 0);
    EXPECT_EQ(Row(1), c.upper);
    EXPECT_EQ(Row(6), c.lower);
}

constexpr uint8_t B = 0xFF;
constexpr uint8_t M = 0x0E;
constexpr Cells kDark{0, 0, 0, 0, 0};
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Five characters at most: longer texts are cut, not shifted.
INSTANTIATE_TEST_SUITE_P(
    Rows, AutoflightRowTest,
    ::testing::Values(RowCase{"Alt", 1, 350, -700, {B, B, 3, 5, 0}, {B, M, 7, 0, 0}},
                      RowCase{"AltCut", 1, 100000, -10000, {1, 0, 0, 0, 0}, {M, 1, 0, 0, 0}},
                      RowCase{"AltTruncated", 1, 12000.7f, -0.9f, {1, 2, 0, 0, 0}, {B, B, B, B, 0}},
                      RowCase{"AltNegative", 1, -50.5f, 1500.2f, {B, B, M, 5, 0}, {B, 1, 5, 0, 0}},
                      RowCase{"AltUnreadable", 1, kNaN, 3e9f, {B, B, B, B, 0}, {2, 1, 4, 7, 4}},
                      RowCase{"Vs", 2, 4200, 99999, {B, 4, 2, 0, 0}, {9, 9, 9, 9, 9}},
                      RowCase{"Ias", 3, 250.9f, -700, {B, B, 2, 5, 0}, kDark},
                      RowCase{"Hdg", 4, 270, -700, {B, B, 2, 7, 0}, kDark},
                      RowCase{"Crs", 5, 5, -700, {B, B, B, B, 5}, kDark}),
    [](const auto& info) { return std::string(info.param.name); });

struct LampCase {
    const char* path;
    uint8_t bit;
};

class AutoflightLampTest : public AutoflightPanelTest,
                           public ::testing::WithParamInterface<LampCase> {};

// An armed mode's lamp flashes: tests/scenarios/autoflight_flash.sim.
TEST_P(AutoflightLampTest, EngagedLightsOtherValuesStayDarkInTheDarkPhase) {
    const LampCase& c = GetParam();
    VSIM::SetInt(c.path, 2);
    panel_->Notify();  // frames 1 and on: the flash's dark phase
    EXPECT_EQ(Lamps(), c.bit);
    for (int value : {1, 3, -1, 0}) {
        VSIM::SetInt(c.path, value);
        panel_->Notify();
        EXPECT_EQ(Lamps(), 0) << value;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bits, AutoflightLampTest,
    ::testing::Values(LampCase{"sim/cockpit2/autopilot/flight_director_mode", 0x01},
                      LampCase{"sim/cockpit2/autopilot/heading_status", 0x02},
                      LampCase{"sim/cockpit2/autopilot/nav_status", 0x04},
                      LampCase{"sim/cockpit2/autopilot/speed_status", 0x08},
                      LampCase{"sim/cockpit2/autopilot/altitude_hold_status", 0x10},
                      LampCase{"sim/cockpit2/autopilot/vvi_status", 0x20},
                      LampCase{"sim/cockpit2/autopilot/approach_status", 0x40},
                      LampCase{"sim/cockpit2/autopilot/backcourse_status", 0x80}));

}  // namespace
