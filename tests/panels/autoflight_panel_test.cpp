// The autoflight panel over the virtual bus and the virtual simulator: its usages and their
// handling order, the commands of every input, the flight-director walk, the vertical-speed
// arming rules, the display rows, the lamps and their flashing, and when a report is sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "panels/autoflight_panel.h"
#include "shell/trace.h"
#include "sim/sim_registry.h"
#include "test_support.h"
#include "vsim/vsim.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

const std::wstring kPath = L"\\\\?\\hid#vid_2c5d&pid_4a01#7&2b3c&0&0000#{4d1e55b2}";
using Cells = std::array<uint8_t, 5>;
using A = CAutoflightPanel;
using enum CAutoflightPanel::Usage;

class AutoflightPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VIRTUAL::ResetDevices();
        VSIM::Reset();
        ResolveSimRegistry();
        VIRTUAL::EnableTrace(3, TRACEKW::kAutoflight);
        VIRTUAL::AttachDevice(HidDevice(kPath, 0x4A01));
        panel_ = std::make_unique<CAutoflightPanel>(kPath);
        ASSERT_TRUE(panel_->Initialize());
        initTexts_ = TakeTraceTexts();
        VSIM::ClearJournal();
    }
    void TearDown() override {
        VSIM::SetJournalListener({});
        panel_.reset();
        VIRTUAL::ResetDevices();
        VIRTUAL::ResetPlatform();
    }
    // One frame with a report in which exactly these usages are on.
    void Frame(const std::set<uint16_t>& on) {
        VIRTUAL::QueueInputReport(kPath, on);
        panel_->Notify();
    }
    void Press(uint16_t usage) {
        Frame({usage});
        Frame({});
    }
    // The simulator journal since the last call.
    std::vector<std::string> Journal() {
        std::vector<std::string> lines;
        for (const VSIM::Event& event : VSIM::Journal()) {
            lines.push_back(VSIM::FormatEvent(event));
        }
        VSIM::ClearJournal();
        return lines;
    }
    size_t SentCount() { return VIRTUAL::FeatureReports(kPath).size(); }
    Cells Upper() { return Row(1); }
    Cells Lower() { return Row(6); }
    Cells Row(size_t at) {
        const auto& r = panel_->GetLastReport();
        return {r[at], r[at + 1], r[at + 2], r[at + 3], r[at + 4]};
    }
    uint8_t Lamps() { return panel_->GetLastReport()[11]; }

    std::unique_ptr<CAutoflightPanel> panel_;
    std::vector<std::wstring> initTexts_;
};

std::vector<std::wstring> Entries(const std::vector<std::wstring>& texts, const wchar_t* prefix) {
    std::vector<std::wstring> out;
    for (const auto& t : texts) {
        if (t.rfind(prefix, 0) == 0) {
            out.push_back(t.substr(std::wstring(L">>XPL::CAutoflightPanel::").size()));
        }
    }
    return out;
}

TEST_F(AutoflightPanelTest, RegistersUsagesOneToTwentyInItsInitOrder) {
    EXPECT_EQ(
        Entries(initTexts_, L">>XPL::CAutoflightPanel::Init"),
        (std::vector<std::wstring>{L"InitAutopilotSettingsSelector", L"InitAutopilotFunctionButton",
                                   L"InitAutopilotAdjustWheel", L"InitAutoThrottleSwitch",
                                   L"InitFlaps", L"InitPitchTrimWheel"}));
    VIRTUAL::EnableTrace(3, TRACEKW::kPanel);
    std::set<uint16_t> all;
    for (uint16_t u = 1; u <= 24; ++u) {
        all.insert(u);
    }
    Frame(all);
    std::vector<std::wstring> expected;
    for (int u = 1; u <= 20; ++u) {
        std::wostringstream line;
        line << L"The button [0x" << std::hex << u << L"] is On";
        expected.push_back(line.str());
    }
    std::vector<std::wstring> heard;
    for (const auto& t : TakeTraceTexts()) {
        if (t.rfind(L"The button [", 0) == 0) {
            heard.push_back(t);
        }
    }
    EXPECT_EQ(heard, expected);
}

TEST_F(AutoflightPanelTest, EveryEventPassesTheSixStepsInOrder) {
    Frame({kFlapsUp});
    EXPECT_EQ(Entries(TakeTraceTexts(), L">>XPL::CAutoflightPanel::Parse"),
              (std::vector<std::wstring>{L"ParseAutopilotSettingsSelector",
                                         L"ParseAutopilotMasterButtons",
                                         L"ParseAutopilotAdjustWheel", L"ParseAutoThrottleSwitch",
                                         L"ParseFlaps", L"ParsePitchTrimWheel"}));
}

struct CommandCase {
    uint16_t usage;
    const wchar_t* message;
    const char* command;
};

class AutoflightCommandTest : public AutoflightPanelTest,
                              public ::testing::WithParamInterface<CommandCase> {};

TEST_P(AutoflightCommandTest, OnEdgeSendsOneCommandAfterItsMessage) {
    Frame({GetParam().usage});
    EXPECT_EQ(Journal(), std::vector<std::string>{std::string("cmd once ") + GetParam().command});
    EXPECT_EQ(TakeTraceTexts(2), std::vector<std::wstring>{GetParam().message});
    Frame({});
    EXPECT_TRUE(Journal().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, AutoflightCommandTest,
    ::testing::Values(CommandCase{9, L"Button HDG", "sim/autopilot/heading"},
                      CommandCase{10, L"Button MAV", "sim/autopilot/NAV"},
                      CommandCase{11, L"Button IAS", "sim/autopilot/level_change"},
                      CommandCase{13, L"Button VS", "sim/autopilot/vertical_speed"},
                      CommandCase{14, L"Button APR", "sim/autopilot/approach"},
                      CommandCase{15, L"Button REV", "sim/autopilot/back_course"},
                      CommandCase{17, L"Flaps up", "sim/flight_controls/flaps_up"},
                      CommandCase{18, L"Flaps down", "sim/flight_controls/flaps_down"},
                      CommandCase{19, L"Pitch trim down", "sim/flight_controls/pitch_trim_down"},
                      CommandCase{20, L"Pitch trim up", "sim/flight_controls/pitch_trim_up"}));

TEST_F(AutoflightPanelTest, AutoThrottleFollowsBothEdges) {
    Frame({kAutoThrottle});
    Frame({kAutoThrottle});
    Frame({});
    EXPECT_EQ(Journal(), (std::vector<std::string>{"cmd once sim/autopilot/autothrottle_on",
                                                   "cmd once sim/autopilot/autothrottle_off"}));
    EXPECT_EQ(TakeTraceTexts(2),
              (std::vector<std::wstring>{L"Auto throttle 1", L"Auto throttle 0"}));
}

TEST_F(AutoflightPanelTest, SwitchesOnInTheFirstReportActBeforeTheFirstOutput) {
    VSIM::SetFloat("sim/cockpit/autopilot/heading_mag", 270.0f);
    Frame({kSelectorHdg, kAutoThrottle});
    EXPECT_EQ(Journal(), std::vector<std::string>{"cmd once sim/autopilot/autothrottle_on"});
    EXPECT_EQ(SentCount(), 1u);
    EXPECT_EQ(Upper(), (Cells{0xFF, 0xFF, 0x02, 0x07, 0x00}));
}

TEST_F(AutoflightPanelTest, SelectorTurnsBeforeTheWheelInOneReport) {
    Frame({kSelectorHdg, kWheelIncrease});
    Frame({kSelectorAlt, kWheelDecrease});  // HDG off, ALT on, then the detent
    EXPECT_EQ(Journal(), (std::vector<std::string>{"cmd once sim/autopilot/heading_up",
                                                   "cmd once sim/autopilot/altitude_down"}));
    EXPECT_EQ(TakeTraceTexts(2),
              (std::vector<std::wstring>{L"Autopilot selector HDG", L"Wheel increase",
                                         L"Autopilot selector ALT", L"Wheel decrease"}));
}

struct WheelCase {
    uint16_t selector;
    uint32_t mode;
    const wchar_t* message;
    const char* up;
    const char* down;
};

class AutoflightWheelTest : public AutoflightPanelTest,
                            public ::testing::WithParamInterface<WheelCase> {};

TEST_P(AutoflightWheelTest, EveryDetentSendsTheCommandOfThePosition) {
    const WheelCase& c = GetParam();
    Frame({c.selector});
    EXPECT_EQ(panel_->GetSelectorMode(), c.mode);
    EXPECT_EQ(TakeTraceTexts(2), std::vector<std::wstring>{c.message});
    VSIM::SetInt("sim/cockpit2/autopilot/altitude_hold_status", 0);
    for (uint16_t wheel : {kWheelIncrease, kWheelIncrease, kWheelIncrease, kWheelDecrease,
                           kWheelIncrease, kWheelDecrease, kWheelDecrease}) {
        Frame({c.selector, wheel});
        Frame({c.selector});
    }
    const std::string up = std::string("cmd once ") + c.up;
    const std::string down = std::string("cmd once ") + c.down;
    EXPECT_EQ(Journal(), (std::vector<std::string>{up, up, up, down, up, down, down}));
}

INSTANTIATE_TEST_SUITE_P(
    Positions, AutoflightWheelTest,
    ::testing::Values(WheelCase{1, 0, L"Autopilot selector ALT", "sim/autopilot/altitude_up",
                                "sim/autopilot/altitude_down"},
                      WheelCase{2, 1, L"Autopilot selector VS", "sim/autopilot/vertical_speed_up",
                                "sim/autopilot/vertical_speed_down"},
                      WheelCase{3, 2, L"Autopilot selector IAS", "sim/autopilot/airspeed_up",
                                "sim/autopilot/airspeed_down"},
                      WheelCase{4, 3, L"Autopilot selector HDG", "sim/autopilot/heading_up",
                                "sim/autopilot/heading_down"},
                      WheelCase{5, 4, L"Autopilot selector CRS", "sim/radios/obs1_up",
                                "sim/radios/obs1_down"}));

TEST_F(AutoflightPanelTest, LongSpinSendsOneCommandPerDetent) {
    Frame({kSelectorHdg});
    for (int i = 0; i < 300; ++i) {
        Frame({kSelectorHdg, kWheelDecrease});
        Frame({kSelectorHdg});
    }
    const auto journal = Journal();
    EXPECT_EQ(journal.size(), 300u);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "cmd once sim/autopilot/heading_down"),
              300);
}

TEST_F(AutoflightPanelTest, ApButtonWalksTheFlightDirectorBothWays) {
    // The simulator steps the director on the two commands.
    VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", 0);
    VSIM::SetJournalListener([](const VSIM::Event& e) {
        const int mode = VSIM::GetInt("sim/cockpit2/autopilot/flight_director_mode");
        if (e.path == "sim/autopilot/fdir_servos_up_one") {
            VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", std::min(mode + 1, 2));
        } else if (e.path == "sim/autopilot/fdir_servos_down_one") {
            VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", std::max(mode - 1, 0));
        }
    });
    std::vector<int> modes;
    std::vector<int32_t> directions;
    for (int i = 0; i < 8; ++i) {
        Press(kButtonAp);
        modes.push_back(VSIM::GetInt("sim/cockpit2/autopilot/flight_director_mode"));
        directions.push_back(panel_->GetApButtonDirection());
    }
    EXPECT_EQ(modes, (std::vector<int>{1, 2, 1, 0, 1, 2, 1, 0}));
    EXPECT_EQ(directions, (std::vector<int32_t>{1, 1, 2, 2, 1, 1, 2, 2}));
    EXPECT_EQ(CountLines(TakeTraceTexts(2), L"Button AP"), 8u);
}

TEST_F(AutoflightPanelTest, ApButtonFromDirectorOnlyGoesUpAndIgnoresUnknownModes) {
    VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", 1);
    Press(kButtonAp);
    EXPECT_EQ(Journal(), std::vector<std::string>{"cmd once sim/autopilot/fdir_servos_up_one"});
    EXPECT_EQ(panel_->GetApButtonDirection(), 0);
    VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", 3);
    Press(kButtonAp);
    EXPECT_TRUE(Journal().empty());
}

// The vertical-speed target written and the mode engaged when the ALT button arms the capture.
struct ArmCase {
    const char* name;
    float altitude;
    float target;
    float verticalSpeed;
    int vviStatus;
    std::vector<std::string> after;  // journal after "cmd once sim/autopilot/altitude_arm"
};

class AutoflightArmTest : public AutoflightPanelTest,
                          public ::testing::WithParamInterface<ArmCase> {};

TEST_P(AutoflightArmTest, AltButtonPointsTheVerticalSpeedAtTheTarget) {
    const ArmCase& c = GetParam();
    VSIM::SetFloat("sim/cockpit2/gauges/indicators/altitude_ft_pilot", c.altitude);
    VSIM::SetFloat("sim/cockpit/autopilot/altitude", c.target);
    VSIM::SetFloat("sim/cockpit/autopilot/vertical_velocity", c.verticalSpeed);
    VSIM::SetInt("sim/cockpit2/autopilot/vvi_status", c.vviStatus);
    VSIM::SetInt("sim/cockpit2/autopilot/altitude_hold_armed", 1);
    Frame({kButtonAlt});
    std::vector<std::string> expected{"cmd once sim/autopilot/altitude_arm"};
    expected.insert(expected.end(), c.after.begin(), c.after.end());
    EXPECT_EQ(Journal(), expected);
    EXPECT_EQ(TakeTraceTexts(2), std::vector<std::wstring>{L"Button ALT"});
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
                      ArmCase{"AboveDescending", 9000, 8000, -1500, 2, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoflightPanelTest, AltButtonWithoutArmedCaptureOnlyArms) {
    VSIM::SetInt("sim/cockpit2/autopilot/altitude_hold_armed", 2);  // only 1 counts as armed
    VSIM::SetFloat("sim/cockpit/autopilot/altitude", 8000);
    Frame({kButtonAlt});
    EXPECT_EQ(Journal(), std::vector<std::string>{"cmd once sim/autopilot/altitude_arm"});
}

TEST_F(AutoflightPanelTest, NewTargetAltitudeWithHoldOnClimbsAndRearmsTheCapture) {
    VSIM::SetFloat("sim/cockpit2/gauges/indicators/altitude_ft_pilot", 5000);
    VSIM::SetFloat("sim/cockpit/autopilot/altitude", 5100);
    VSIM::SetInt("sim/cockpit2/autopilot/altitude_hold_status", 1);  // armed counts too
    Frame({kSelectorAlt, kWheelIncrease});
    EXPECT_EQ(Journal(),
              (std::vector<std::string>{"cmd once sim/autopilot/altitude_up", kClimb, kEngage,
                                        "cmd once sim/autopilot/altitude_arm"}));
    // Already armed and climbing: only the target moves.
    VSIM::SetInt("sim/cockpit2/autopilot/altitude_hold_armed", 1);
    VSIM::SetInt("sim/cockpit2/autopilot/vvi_status", 2);
    VSIM::SetFloat("sim/cockpit/autopilot/vertical_velocity", 700);
    Frame({kSelectorAlt});
    Frame({kSelectorAlt, kWheelIncrease});
    EXPECT_EQ(Journal(), std::vector<std::string>{"cmd once sim/autopilot/altitude_up"});
    // In any other position the hold status is not consulted.
    Frame({kSelectorVs});
    Frame({kSelectorVs, kWheelDecrease});
    EXPECT_EQ(Journal(), std::vector<std::string>{"cmd once sim/autopilot/vertical_speed_down"});
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
    EXPECT_EQ(VIRTUAL::FeatureReports(kPath).back(),
              std::vector<uint8_t>(report.begin(), report.end()));
    EXPECT_EQ(report[0], 0);
    EXPECT_EQ(report[12], 0);
    EXPECT_EQ(Upper(), c.upper);
    EXPECT_EQ(Lower(), c.lower);
}

constexpr uint8_t B = 0xFF;
constexpr uint8_t M = 0x0E;
constexpr Cells kDark{0, 0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Rows, AutoflightRowTest,
    ::testing::Values(RowCase{"Alt", 1, 350, -700, {B, B, 3, 5, 0}, {B, M, 7, 0, 0}},
                      RowCase{"AltCut", 1, 100000, -10000, {1, 0, 0, 0, 0}, {M, 1, 0, 0, 0}},
                      RowCase{"AltTruncated", 1, 12000.7f, -0.9f, {1, 2, 0, 0, 0}, {B, B, B, B, 0}},
                      RowCase{"AltNegative", 1, -50.5f, 1500.2f, {B, B, M, 5, 0}, {B, 1, 5, 0, 0}},
                      RowCase{"AltUnreadable",
                              1,
                              std::numeric_limits<float>::quiet_NaN(),
                              3e9f,
                              {B, B, B, B, 0},
                              {2, 1, 4, 7, 4}},
                      RowCase{"Vs", 2, 4200, 99999, {B, 4, 2, 0, 0}, {9, 9, 9, 9, 9}},
                      RowCase{"Ias", 3, 250.9f, -700, {B, B, 2, 5, 0}, kDark},
                      RowCase{"Hdg", 4, 270, -700, {B, B, 2, 7, 0}, kDark},
                      RowCase{"Crs", 5, 5, -700, {B, B, B, B, 5}, kDark}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AutoflightCellTest, OnlyDigitsAndMinusHaveCodesAndALongTextIsCut) {
    EXPECT_EQ(A::EncodeCell('-'), 0x0E);
    for (char c = '0'; c <= '9'; ++c) {
        EXPECT_EQ(A::EncodeCell(c), c - '0');
    }
    for (char c : {' ', '.', '\x7F', 'E', '\0'}) {
        EXPECT_EQ(A::EncodeCell(c), 0xFF) << static_cast<int>(c);
    }
    Cells cells{7, 7, 7, 7, 7};
    A::FillReport(-123456, cells.data());
    EXPECT_EQ(cells, (Cells{M, 1, 2, 3, 4}));
    A::FillReport(0, cells.data());
    EXPECT_EQ(cells, (Cells{B, B, B, B, 0}));
}

struct LampCase {
    const char* path;
    uint8_t bit;
};

class AutoflightLampTest : public AutoflightPanelTest,
                           public ::testing::WithParamInterface<LampCase> {};

TEST_P(AutoflightLampTest, EngagedLightsArmedFlashesOtherValuesStayDark) {
    const LampCase& c = GetParam();
    VSIM::SetInt(c.path, 2);
    panel_->Notify();  // frame 1: dark phase
    EXPECT_EQ(Lamps(), c.bit);
    VSIM::SetInt(c.path, 1);
    panel_->Notify();
    EXPECT_EQ(Lamps(), 0);
    for (int frame = 3; frame <= 20; ++frame) {
        panel_->Notify();
    }
    EXPECT_EQ(Lamps(), c.bit);  // frame 20: lit phase
    for (int value : {3, -1, 0}) {
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

TEST_F(AutoflightPanelTest, FlashingCycleIsNineteenDarkAndTwentyOneLitFramesSentOnChangeOnly) {
    VSIM::SetInt("sim/cockpit2/autopilot/nav_status", 1);
    VSIM::SetInt("sim/cockpit2/autopilot/heading_status", 2);
    std::vector<int> sentAt;
    for (int frame = 1; frame <= 120; ++frame) {
        const size_t before = SentCount();
        panel_->Notify();
        const bool lit = (frame - 1) % 40 >= 19;
        ASSERT_EQ(panel_->GetFlashOn(), lit ? 1u : 0u) << frame;
        ASSERT_EQ(Lamps(), lit ? 0x06 : 0x02) << frame;
        if (SentCount() != before) {
            sentAt.push_back(frame);
        }
    }
    EXPECT_EQ(sentAt, (std::vector<int>{1, 20, 41, 60, 81, 100}));
}

TEST_F(AutoflightPanelTest, UnchangedFramesSendNothing) {
    VSIM::SetFloat("sim/cockpit/autopilot/altitude", 0.0f);
    for (int i = 0; i < 50; ++i) {
        panel_->Notify();
    }
    EXPECT_EQ(VIRTUAL::FeatureReports(kPath),
              (std::vector<std::vector<uint8_t>>{{0, B, B, B, B, 0, B, B, B, B, 0, 0, 0}}));
    VSIM::SetFloat("sim/cockpit/autopilot/vertical_velocity", -0.5f);  // still shows 0
    panel_->Notify();
    EXPECT_EQ(SentCount(), 1u);
    VSIM::SetFloat("sim/cockpit/autopilot/vertical_velocity", -1.0f);
    panel_->Notify();
    EXPECT_EQ(SentCount(), 2u);
}

TEST_F(AutoflightPanelTest, FailedSendIsNotRepeatedUntilTheContentChanges) {
    VIRTUAL::EnableTrace(1, TRACEKW::kPanel);
    VIRTUAL::SetFault(kPath, VIRTUAL::Fault::Feature, true);
    panel_->Notify();
    EXPECT_EQ(TakeTraceTexts(1),
              std::vector<std::wstring>{L"Failed in sending the SET_FEATURE due to 31"});
    VIRTUAL::SetFault(kPath, VIRTUAL::Fault::Feature, false);
    panel_->Notify();
    EXPECT_EQ(SentCount(), 0u);
    VSIM::SetFloat("sim/cockpit/autopilot/altitude", 2500.0f);
    panel_->Notify();
    EXPECT_EQ(SentCount(), 1u);
}

TEST_F(AutoflightPanelTest, FrameTracesItsStepsInOrder) {
    panel_->Notify();
    EXPECT_EQ(
        Entries(TakeTraceTexts(), L">>XPL::CAutoflightPanel::"),
        (std::vector<std::wstring>{L"OnNotify", L"UpdateLedFlashState", L"FillALTVSReport",
                                   L"FillReport", L"FillReport", L"FillIASReport", L"FillHDGReport",
                                   L"FillCRSReport", L"FillAPMasterLedReport", L"FillHdgLedReport",
                                   L"FillNavLedReport", L"FillIasLedReport", L"FillAltLedReport",
                                   L"FillVsLedReport", L"FillAprLedReport", L"FillRevLedReport"}));
}

}  // namespace
