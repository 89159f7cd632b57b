// The screen panel's gauge: a button bound again and the text a spoken event becomes. Every event
// type fired end to end: tests/scenarios/screen.sim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "screen/screen_panel_gauge.h"
#include "test_support.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

class ScreenGaugeTest : public VirtualTest {
protected:
    void SetUp() override {
        VirtualTest::SetUp();
        WriteFile(folder_.Path() / "gauge.xml", "<Gauge Name=\"Speed\"/>");
    }
    std::wstring GaugePath() const { return folder_.Windows(L"gauge.xml"); }
    static ButtonBindings Bind(uint8_t number, const std::wstring& event, uint32_t type) {
        ButtonBindings bindings;
        bindings[number - 1] = {number, L"label", event, 1, type};
        return bindings;
    }

    CTestFolder folder_;
    CScreenPanel::CGauge gauge_;
};

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
