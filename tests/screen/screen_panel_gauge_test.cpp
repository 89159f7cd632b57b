// The screen panel's gauge: its button bindings and the simulator events they fire.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "backends/virtual/virtual_input.h"
#include "gauge/bmp_file.h"
#include "platform/code_page.h"
#include "screen/screen_panel_gauge.h"
#include "test_support.h"
#include "trace/trace.h"

using namespace XPL;
using namespace XPL::TEST;
namespace fs = std::filesystem;

namespace {

class ScreenGaugeTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VSIM::Reset();
        ResolveSimRegistry();
        folder_ = fs::temp_directory_path() /
                  (std::string("xvs-screen-gauge-") +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        WriteFile(folder_ / "gauge.xml", "<Gauge Name=\"Speed\"/>");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        VIRTUAL::ResetPlatform();
        VSIM::Reset();
    }
    std::wstring GaugePath() const { return folder_.wstring() + L"\\gauge.xml"; }
    static ButtonBindings Bind(uint8_t number, const std::wstring& event, uint32_t type) {
        ButtonBindings bindings;
        bindings[number - 1] = {number, L"label", event, 1, type};
        return bindings;
    }

    fs::path folder_;
    CScreenPanel::CGauge gauge_;
};

struct EventCase {
    const char* name;
    uint32_t type;
    std::wstring event;
    std::vector<std::string> onPress;
    std::vector<std::string> onRelease;
    std::vector<uint8_t> keysDown;  // a key combination sent to the OS on press (up on release)
};

void PrintTo(const EventCase& c, std::ostream* out) {
    *out << c.name;
}

class GaugeEventTest : public ScreenGaugeTest, public ::testing::WithParamInterface<EventCase> {};

// Press is a state of exactly 1: state 2 releases like 0.
TEST_P(GaugeEventTest, EachTypeActsOnPressAndSomeOnRelease) {
    const EventCase& c = GetParam();
    VSIM::SetPathKnown("sim/unknown/command", false);
    ASSERT_TRUE(gauge_.Initialize(GaugePath(), Bind(4, c.event, c.type)));
    for (const uint32_t release : {0u, 2u}) {
        gauge_.FireButton(4, 1);
        EXPECT_EQ(TakeJournal(), c.onPress);
        gauge_.FireButton(4, release);
        EXPECT_EQ(TakeJournal(), c.onRelease);
    }
    const auto batches = VIRTUAL::TakeKeyBatches();
    if (c.keysDown.empty()) {
        EXPECT_TRUE(batches.empty());
    } else {
        ASSERT_EQ(batches.size(), 4u);
        for (size_t i = 0; i < batches.size(); ++i) {
            EXPECT_EQ(batches[i].keyUp, i % 2 == 1);
            EXPECT_EQ(batches[i].virtualKeys, c.keysDown);
        }
    }
    gauge_.FireButton(5, 1);  // not bound
    EXPECT_TRUE(TakeJournal().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Types, GaugeEventTest,
    ::testing::Values(
        EventCase{"Key", kEventKey, L"xplm_key_revthrust", {"key 1"}, {}, {}},
        EventCase{
            "Button", kEventButton, L"xplm_joy_start_all", {"joy press 1"}, {"joy release 1"}, {}},
        EventCase{"Command",
                  kEventCommand,
                  L"sim/lights/beacon_lights_toggle",
                  {"cmd once sim/lights/beacon_lights_toggle"},
                  {},
                  {}},
        EventCase{"UnknownCommand", kEventCommand, L"sim/unknown/command", {}, {}, {}},
        EventCase{"VInput", kEventVInput, L"control + s", {}, {}, {0x11, 'S'}},
        EventCase{"String",
                  kEventString,
                  L"Gear d\u00f6wn \u20ac\u4e2d",
                  {"speak \"Gear d\\xF6wn \\x80?\""},
                  {},
                  {}},
        EventCase{"Unknown", 9, L"sim/lights/beacon_lights_toggle", {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScreenGaugeTest, ABoundNumberKeepsItsFirstBindingAndLightsItsLed) {
    ButtonBindings bindings = Bind(2, L"sim/first", kEventCommand);
    bindings[5] = {6, L"six", L"", 0, kEventNone};
    ASSERT_TRUE(gauge_.Initialize(GaugePath(), bindings));
    gauge_.AddButton(2, L"again", L"sim/second", kEventCommand, 1);
    gauge_.AddButton(12, L"twelve", L"sim/twelve", kEventCommand, 1);
    gauge_.FireButton(2, 1);
    gauge_.FireButton(12, 1);
    EXPECT_EQ(TakeJournal(),
              (std::vector<std::string>{"cmd once sim/first", "cmd once sim/twelve"}));
    const auto& buttons = gauge_.Document()->buttons;
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].label, L"label");
    EXPECT_EQ(buttons[1].visible, 0);
    for (int32_t n = 0; n <= 13; ++n) {
        EXPECT_EQ(gauge_.BindsButton(n), n == 2 || n == 6 || n == 12) << n;
    }
}

TEST(ScreenGaugeAnsiTest, TextBecomesWindows1252CutToTheBuffer) {
    char out[8];
    EXPECT_EQ(PLATFORM::ToAnsiCodePage(L"a\u00e9\u20ac\u2122\u4e2d\U0001F600b", out, sizeof(out)),
              7u);
    EXPECT_STREQ(out, "a\xE9\x80\x99??b");
    PLATFORM::ToAnsiCodePage(L"0123456789", out, sizeof(out));
    EXPECT_STREQ(out, "0123456");
}

}  // namespace
