// The stick pages over the virtual simulator: the three lines of every page for typical values
// and values at the edges of their formats, the marks and editing glyphs, the command of every
// cursor position while editing and not, select on framed positions, and the autopilot mode
// page's round trip.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hotas/adf_page.h"
#include "hotas/autopilot_page.h"
#include "hotas/autopilot_select_page.h"
#include "hotas/com_nav_page.h"
#include "hotas/default_page.h"
#include "hotas/dme_page.h"
#include "hotas/vor_hdg_page.h"
#include "hotas/xpndr_page.h"
#include "test_support.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

using CPage = CHotasPanel::CPage;
using Texts = std::vector<std::string>;

enum class Kind { ComNav1, ComNav2, Adf, Dme, Xpndr, VorHdg, Autopilot, Select, Default };

std::unique_ptr<CPage> Make(Kind kind) {
    const SimRegistry& r = GetSimRegistry();
    switch (kind) {
        case Kind::ComNav1:
            return std::make_unique<CComNavPage>(r, CComNavPage::kRadio1);
        case Kind::ComNav2:
            return std::make_unique<CComNavPage>(r, CComNavPage::kRadio2);
        case Kind::Adf:
            return std::make_unique<CAdfPage>(r);
        case Kind::Dme:
            return std::make_unique<CDmePage>(r);
        case Kind::Xpndr:
            return std::make_unique<CXpndrPage>(r);
        case Kind::VorHdg:
            return std::make_unique<CVorHdgPage>(r);
        case Kind::Autopilot:
            return std::make_unique<CAutopilotPage>(r);
        case Kind::Select:
            return std::make_unique<CAutopilotSelectPage>(r);
        case Kind::Default:
            return std::make_unique<CDefaultPage>(r);
    }
    return nullptr;
}

// Cursor operations by letter: U up, D down, S select.
void Press(CPage& page, const std::string& keys) {
    for (const char key : keys) {
        if (key == 'U') {
            page.CursorUp();
        } else if (key == 'D') {
            page.CursorDown();
        } else {
            page.CursorSelect();
        }
    }
}

Texts Show(CPage& page) {
    CPage::Lines lines;
    page.Compose(lines);
    return {lines[0].Text(), lines[1].Text(), lines[2].Text()};
}

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VSIM::Reset();
        ResolveSimRegistry();
    }
    void TearDown() override { VSIM::Reset(); }
};

// ---- Lines ----

struct LineCase {
    const char* name;
    Kind kind;
    std::vector<std::pair<std::string, int>> ints;
    std::vector<std::pair<std::string, float>> floats;
    std::string keys;  // pressed before the lines are composed
    Texts lines;
};

class PageLinesTest : public PageTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(PageLinesTest, ShowsItsValuesAndMarks) {
    const LineCase& c = GetParam();
    for (const auto& [path, value] : c.ints) {
        VSIM::SetInt(path, value);
    }
    for (const auto& [path, value] : c.floats) {
        VSIM::SetFloat(path, value);
    }
    std::unique_ptr<CPage> page = Make(c.kind);
    Press(*page, c.keys);
    EXPECT_EQ(Show(*page), c.lines);
}

const std::vector<std::pair<std::string, int>> kRadio1 = {
    {"sim/cockpit/radios/com1_freq_hz", 11800},
    {"sim/cockpit/radios/com1_stdby_freq_hz", 12150},
    {"sim/cockpit/radios/nav1_freq_hz", 11030},
    {"sim/cockpit/radios/nav1_stdby_freq_hz", 11390}};

const std::vector<std::pair<std::string, int>> kRadio2 = {
    {"sim/cockpit/radios/com2_freq_hz", 13297},
    {"sim/cockpit/radios/com2_stdby_freq_hz", 12455},
    {"sim/cockpit/radios/nav2_freq_hz", 10800},
    {"sim/cockpit/radios/nav2_stdby_freq_hz", 11795}};

std::vector<std::pair<std::string, float>> Autopilot(float altitude, float speed) {
    return {{"sim/cockpit/autopilot/altitude", altitude},
            {"sim/cockpit/autopilot/vertical_velocity", speed}};
}

std::vector<std::pair<std::string, int>> Director(int mode) {
    return {{"sim/cockpit2/autopilot/flight_director_mode", mode}};
}

std::vector<std::pair<std::string, float>> Dme(const std::string& receiver, float miles,
                                               float knots) {
    const std::string base = "sim/cockpit2/radios/indicators/" + receiver;
    return {{base + "_dme_distance_nm", miles}, {base + "_dme_speed_kts", knots}};
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageLinesTest,
    ::testing::Values(LineCase{"ComNavFramesActiveCom",
                               Kind::ComNav1,
                               kRadio1,
                               {},
                               "",
                               {"  COM1    NAV1  ", "[118.00] 110.30 ", " 121.50  113.90 "}},
                      LineCase{"ComNavEditsNavFine",
                               Kind::ComNav1,
                               kRadio1,
                               {},
                               "DDDDDS",
                               {"  COM1    NAV1  ", " 118.00  110.30 ", " 121.50  113.90\xFB"}},
                      LineCase{"ComNavRadio2PointsAtComCoarse",
                               Kind::ComNav2,
                               kRadio2,
                               {},
                               "D",
                               {"  COM2    NAV2  ", " 132.97  108.00 ", ">124.55  117.95 "}},
                      LineCase{"ComNavFramesActiveNav",
                               Kind::ComNav2,
                               kRadio2,
                               {},
                               "UUU",
                               {"  COM2    NAV2  ", " 132.97 [108.00]", " 124.55  117.95 "}},
                      LineCase{"AdfPointsAtStandbyTens",
                               Kind::Adf,
                               {{"sim/cockpit/radios/adf1_freq_hz", 362},
                                {"sim/cockpit/radios/adf1_stdby_freq_hz", 362},
                                {"sim/cockpit2/radios/actuators/audio_selection_adf1", 1}},
                               {},
                               "DDD",
                               {" ADF   ON ", " 362 ", " 3>62"}},
                      LineCase{"AdfEditsOnesOfShortStandby",
                               Kind::Adf,
                               {{"sim/cockpit/radios/adf1_freq_hz", 1750},
                                {"sim/cockpit/radios/adf1_stdby_freq_hz", 35},
                                {"sim/cockpit2/radios/actuators/audio_selection_adf1", 2}},
                               {},
                               "US",
                               {" ADF   OFF ", " 1750 ",
                                " 03\xFC"
                                "5"}},
                      LineCase{"AdfFramesMonitorAndShowsThreeStandbyDigits",
                               Kind::Adf,
                               {{"sim/cockpit/radios/adf1_freq_hz", 7},
                                {"sim/cockpit/radios/adf1_stdby_freq_hz", 1750}},
                               {},
                               "",
                               {" ADF  [OFF]", " 007 ", " 175"}},
                      LineCase{"DmeReceiver1",
                               Kind::Dme,
                               {},
                               Dme("nav1", 12.3f, 120.0f),
                               "",
                               {" DME    [R1]", "0012.3 NM", "120 KT"}},
                      LineCase{"DmeReceiver2BeyondFourDigits",
                               Kind::Dme,
                               {},
                               Dme("nav2", 1234.56f, 7.9f),
                               "S",
                               {" DME    [R2]", "1234.5 NM", "007 KT"}},
                      LineCase{"DmeReceiver2CutsFiveDigitDistance",
                               Kind::Dme,
                               {},
                               Dme("nav2", 12345.6f, 1500.0f),
                               "SUD",
                               {" DME    [R2]", "12345. NM", "1500 KT"}},
                      LineCase{"XpndrEditsThousands",
                               Kind::Xpndr,
                               {{"sim/cockpit/radios/transponder_code", 1200}},
                               {},
                               "S",
                               {" Transponder",
                                "\xFC"
                                "1200",
                                ""}},
                      LineCase{"XpndrPointsAtTensOfPaddedCode",
                               Kind::Xpndr,
                               {{"sim/cockpit/radios/transponder_code", 70}},
                               {},
                               "DD",
                               {" Transponder", " 00>70", ""}},
                      LineCase{"VorHdgEditsHeading",
                               Kind::VorHdg,
                               {},
                               {{"sim/cockpit/radios/nav1_obs_degm", 90.9f},
                                {"sim/cockpit/autopilot/heading_mag", 275.2f}},
                               "DS",
                               {" VOR     HDG",
                                " 090    \xFC"
                                "275",
                                ""}},
                      LineCase{"AutopilotNegativeSpeed",
                               Kind::Autopilot,
                               Director(2),
                               Autopilot(12000.0f, -700.9f),
                               "",
                               {" ALT     12000<", " VS      -700 ", " AP      ON "}},
                      LineCase{"AutopilotCutsLongValuesAndEditsSpeed",
                               Kind::Autopilot,
                               Director(1),
                               Autopilot(123456.0f, -12000.0f),
                               "DS",
                               {" ALT     12345 ", " VS      -1200\xFB", " AP      FD "}},
                      LineCase{"AutopilotFramesModes",
                               Kind::Autopilot,
                               Director(0),
                               Autopilot(0.0f, 0.0f),
                               "DD",
                               {" ALT     0 ", " VS      0 ", "[AP]     OFF "}},
                      LineCase{"AutopilotUnknownDirectorModeIsOff",
                               Kind::Autopilot,
                               Director(7),
                               Autopilot(35000.0f, 1500.0f),
                               "U",
                               {" ALT     35000 ", " VS      1500 ", " AP      OFF<"}},
                      LineCase{"SelectFramesHeading",
                               Kind::Select,
                               {},
                               {},
                               "",
                               {"[HDG] NAV  IAS ", " ALT  VS   APR ", " REV  <<< "}},
                      LineCase{"SelectFramesBack",
                               Kind::Select,
                               {},
                               {},
                               "U",
                               {" HDG  NAV  IAS ", " ALT  VS   APR ", " REV [<<<]"}},
                      LineCase{
                          "Default", Kind::Default, {}, {}, "UDS", {"Mode 1", "", "No Profile"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Cursor operations ----

// What one cursor position does: a command on select (the position is framed), or, when select
// toggles editing, the commands of up and down while editing. "" for none. A table lists a page's
// positions from the first; the mode page's last one (back) is tested with the round trip.
struct Position {
    const char* select;
    const char* up;
    const char* down;
};

struct CommandCase {
    const char* name;
    Kind kind;
    std::vector<Position> positions;
};

class PageCommandsTest : public PageTest, public ::testing::WithParamInterface<CommandCase> {
protected:
    // The commands run since the last call.
    static Texts Ran() {
        Texts ran;
        for (const std::string& line : TakeJournal()) {
            ran.push_back(line.substr(line.rfind(' ') + 1));
        }
        return ran;
    }
    static Texts One(const char* command) { return *command ? Texts{command} : Texts{}; }
};

TEST_P(PageCommandsTest, EveryPositionActsAsItsRowSays) {
    const CommandCase& c = GetParam();
    for (uint8_t p = 0; p < c.positions.size(); ++p) {
        SCOPED_TRACE("position " + std::to_string(p));
        const Position& row = c.positions[p];
        std::unique_ptr<CPage> page = Make(c.kind);
        const uint8_t count = page->GetCursorCount();
        // Outside editing the buttons only move the cursor.
        Press(*page, std::string(p, 'D'));
        EXPECT_EQ(page->GetCursor(), p);
        EXPECT_EQ(Ran(), Texts{});

        page->CursorSelect();
        if (*row.select != '\0') {
            EXPECT_EQ(Ran(), One(row.select));
            EXPECT_EQ(page->GetEditing(), 0u);
        } else {
            EXPECT_EQ(page->GetEditing(), 1u);
            page->CursorUp();
            EXPECT_EQ(Ran(), One(row.up));
            page->CursorDown();
            EXPECT_EQ(Ran(), One(row.down));
            EXPECT_EQ(page->GetCursor(), p);
            page->CursorSelect();
            EXPECT_EQ(page->GetEditing(), 0u);
            EXPECT_EQ(Ran(), Texts{});
        }
        // Editing over, up moves again, from the first position to the last.
        page->CursorUp();
        EXPECT_EQ(page->GetCursor(), (p + count - 1) % count);
        EXPECT_EQ(Ran(), Texts{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageCommandsTest,
    ::testing::Values(
        CommandCase{"ComNav1",
                    Kind::ComNav1,
                    {{"sim/radios/com1_standy_flip", "", ""},
                     {"", "sim/radios/stby_com1_coarse_up", "sim/radios/stby_com1_coarse_down"},
                     {"", "sim/radios/stby_com1_fine_up", "sim/radios/stby_com1_fine_down"},
                     {"sim/radios/nav1_standy_flip", "", ""},
                     {"", "sim/radios/stby_nav1_coarse_up", "sim/radios/stby_nav1_coarse_down"},
                     {"", "sim/radios/stby_nav1_fine_up", "sim/radios/stby_nav1_fine_down"}}},
        CommandCase{"ComNav2",
                    Kind::ComNav2,
                    {{"sim/radios/com2_standy_flip", "", ""},
                     {"", "sim/radios/stby_com2_coarse_up", "sim/radios/stby_com2_coarse_down"},
                     {"", "sim/radios/stby_com2_fine_up", "sim/radios/stby_com2_fine_down"},
                     {"sim/radios/nav2_standy_flip", "", ""},
                     {"", "sim/radios/stby_nav2_coarse_up", "sim/radios/stby_nav2_coarse_down"},
                     {"", "sim/radios/stby_nav2_fine_up", "sim/radios/stby_nav2_fine_down"}}},
        CommandCase{"Adf",
                    Kind::Adf,
                    {{"sim/audio_panel/monitor_audio_adf1", "", ""},
                     {"sim/radios/adf1_standy_flip", "", ""},
                     {"", "sim/radios/stby_adf1_hundreds_up", "sim/radios/stby_adf1_hundreds_down"},
                     {"", "sim/radios/stby_adf1_tens_up", "sim/radios/stby_adf1_tens_down"},
                     {"", "sim/radios/stby_adf1_ones_up", "sim/radios/stby_adf1_ones_down"}}},
        CommandCase{
            "Xpndr",
            Kind::Xpndr,
            {{"", "sim/transponder/transponder_thousands_up",
              "sim/transponder/transponder_thousands_down"},
             {"", "sim/transponder/transponder_hundreds_up",
              "sim/transponder/transponder_hundreds_down"},
             {"", "sim/transponder/transponder_tens_up", "sim/transponder/transponder_tens_down"},
             {"", "sim/transponder/transponder_ones_up", "sim/transponder/transponder_ones_down"}}},
        CommandCase{"VorHdg",
                    Kind::VorHdg,
                    {{"", "sim/radios/obs1_up", "sim/radios/obs1_down"},
                     {"", "sim/autopilot/heading_up", "sim/autopilot/heading_down"}}},
        CommandCase{"Select",
                    Kind::Select,
                    {{"sim/autopilot/heading", "", ""},
                     {"sim/autopilot/NAV", "", ""},
                     {"sim/autopilot/level_change", "", ""},
                     {"sim/autopilot/altitude_arm", "", ""},
                     {"sim/autopilot/vertical_speed", "", ""},
                     {"sim/autopilot/approach", "", ""},
                     {"sim/autopilot/back_course", "", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The autopilot page's adjustable positions; its third opens the mode page (below).
TEST_F(PageTest, AutopilotPositionsAdjustTheirTargets) {
    const struct {
        std::string keys;
        const char* up;
        const char* down;
    } rows[] = {
        {"", "sim/autopilot/altitude_up", "sim/autopilot/altitude_down"},
        {"D", "sim/autopilot/vertical_speed_up", "sim/autopilot/vertical_speed_down"},
        {"U", "sim/autopilot/fdir_servos_up_one", "sim/autopilot/fdir_servos_down_one"},
    };
    for (const auto& row : rows) {
        CAutopilotPage page(GetSimRegistry());
        Press(page, row.keys + "SUD");
        EXPECT_EQ(TakeJournal(),
                  (Texts{std::string("cmd once ") + row.up, std::string("cmd once ") + row.down}));
    }
}

TEST_F(PageTest, DmeSelectSwitchesReceiversWithoutEditing) {
    CDmePage page(GetSimRegistry());
    EXPECT_EQ(page.GetReceiver(), 1u);
    Press(page, "SUD");
    EXPECT_EQ(page.GetReceiver(), 0u);
    Press(page, "S");
    EXPECT_EQ(page.GetReceiver(), 1u);
    EXPECT_EQ(page.GetEditing(), 0u);
    EXPECT_EQ(page.GetCursor(), 0u);
    EXPECT_EQ(TakeJournal(), Texts{});
}

TEST_F(PageTest, ModePageOpensInPlaceAndClosesOnTheNextDisplay) {
    VSIM::SetInt("sim/cockpit2/autopilot/flight_director_mode", 2);
    CAutopilotPage page(GetSimRegistry());
    const Texts own = {" ALT     0 ", " VS      0 ", "[AP]     ON "};
    const Texts modes = {"[HDG] NAV  IAS ", " ALT  VS   APR ", " REV  <<< "};

    Press(page, "DDS");
    EXPECT_EQ(page.GetSelectOpen(), 1u);
    EXPECT_EQ(Show(page), modes);
    // The buttons are the mode page's: a mode runs and the page stays.
    Press(page, "S");
    EXPECT_EQ(TakeJournal(), Texts{"cmd once sim/autopilot/heading"});
    Press(page, "U");
    EXPECT_EQ(page.GetCursor(), 2u);
    EXPECT_EQ(page.GetSelectPage().GetCursor(), CAutopilotSelectPage::kBack);
    EXPECT_EQ(page.GetSelectPage().GetEditing(), 0u);

    // "<<<": the next display is the autopilot page's own, with its cursor where it was.
    Press(page, "S");
    EXPECT_EQ(page.GetSelectPage().GetCloseRequested(), 1u);
    EXPECT_EQ(Show(page), own);
    EXPECT_EQ(page.GetSelectOpen(), 0u);

    // Opened again, the mode page keeps its cursor.
    Press(page, "S");
    EXPECT_EQ(page.GetSelectPage().GetCursor(), CAutopilotSelectPage::kBack);
    EXPECT_EQ(Show(page)[2], " REV [<<<]");
}

TEST_F(PageTest, ButtonsAfterCloseRequestAreTheAutopilotPagesBeforeTheNextDisplay) {
    CAutopilotPage page(GetSimRegistry());
    Press(page, "DDSUS");  // open, go to "<<<", close
    // No display in between: up already moves the autopilot page's own cursor.
    Press(page, "U");
    EXPECT_EQ(page.GetCursor(), 1u);
    EXPECT_EQ(page.GetSelectPage().GetCursor(), CAutopilotSelectPage::kBack);
    EXPECT_EQ(Show(page)[1], " VS      0<");
    EXPECT_EQ(TakeJournal(), Texts{});
}

}  // namespace
