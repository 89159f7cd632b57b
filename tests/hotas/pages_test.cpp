// The stick pages over the virtual simulator: the three lines of every page for typical values
// and values at the edges of their formats, the marks and editing glyphs, the command of every
// cursor position while editing and not, select on framed positions, and the autopilot mode
// page's round trip.
#include <gtest/gtest.h>

#include <algorithm>
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
using Values = std::vector<std::pair<std::string, double>>;

// Makes a page of class P over the registry, with the constructor's further arguments.
using Maker = std::unique_ptr<CPage> (*)();
template <class P, auto... arguments>
std::unique_ptr<CPage> Make() {
    return std::make_unique<P>(GetSimRegistry(), arguments...);
}
constexpr Maker kComNav1 = Make<CComNavPage, CComNavPage::kRadio1>;
constexpr Maker kComNav2 = Make<CComNavPage, CComNavPage::kRadio2>;

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

// Sets datarefs keeping the type each already has (float unless it is an int).
void Set(const Values& values) {
    for (const auto& [path, value] : values) {
        if (VSIM::TypeOf(path) == VSIM::DataType::Int) {
            VSIM::SetInt(path, static_cast<int>(value));
        } else {
            VSIM::SetFloat(path, static_cast<float>(value));
        }
    }
}

class PageTest : public VirtualTest {
protected:
    void SetUp() override {
        VirtualTest::SetUp();
        // An aircraft in flight; cases change what they look at.
        const std::pair<const char*, int> ints[] = {
            {"sim/cockpit/radios/com1_freq_hz", 11800},
            {"sim/cockpit/radios/com1_stdby_freq_hz", 12150},
            {"sim/cockpit/radios/nav1_freq_hz", 11030},
            {"sim/cockpit/radios/nav1_stdby_freq_hz", 11390},
            {"sim/cockpit/radios/com2_freq_hz", 13297},
            {"sim/cockpit/radios/com2_stdby_freq_hz", 12455},
            {"sim/cockpit/radios/nav2_freq_hz", 10800},
            {"sim/cockpit/radios/nav2_stdby_freq_hz", 11795},
            {"sim/cockpit/radios/adf1_freq_hz", 362},
            {"sim/cockpit/radios/adf1_stdby_freq_hz", 245},
            {"sim/cockpit2/radios/actuators/audio_selection_adf1", 1},
            {"sim/cockpit/radios/transponder_code", 1200},
            {"sim/cockpit2/autopilot/flight_director_mode", 2},
        };
        for (const auto& [path, value] : ints) {
            VSIM::SetInt(path, value);
        }
        Set({{"sim/cockpit2/radios/indicators/nav1_dme_distance_nm", 12.3},
             {"sim/cockpit2/radios/indicators/nav1_dme_speed_kts", 120.0},
             {"sim/cockpit2/radios/indicators/nav2_dme_distance_nm", 4.05},
             {"sim/cockpit2/radios/indicators/nav2_dme_speed_kts", 95.9},
             {"sim/cockpit/radios/nav1_obs_degm", 90.9},
             {"sim/cockpit/autopilot/heading_mag", 275.2},
             {"sim/cockpit/autopilot/altitude", 12000.0},
             {"sim/cockpit/autopilot/vertical_velocity", -700.9}});
    }
};

// ---- Lines ----

struct LineCase {
    const char* name;
    Maker make;
    const char* keys;    // pressed before the lines are composed
    const char* lines;   // the three, joined by '|'; '}' stands for 0xFC, '{' for 0xFB
    Values values = {};  // changed from the fixture's
};

class PageLinesTest : public PageTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(PageLinesTest, ShowsItsValuesAndMarks) {
    const LineCase& c = GetParam();
    Set(c.values);
    std::unique_ptr<CPage> page = c.make();
    Press(*page, c.keys);
    std::string expected = c.lines;
    std::replace(expected.begin(), expected.end(), '}', CPage::kEditingRight);
    std::replace(expected.begin(), expected.end(), '{', CPage::kEditingLeft);
    const Texts lines = Show(*page);
    EXPECT_EQ(lines[0] + "|" + lines[1] + "|" + lines[2], expected);
}

const char kAdfStandby[] = "sim/cockpit/radios/adf1_stdby_freq_hz";
const char kDirector[] = "sim/cockpit2/autopilot/flight_director_mode";
const char kDistance[] = "sim/cockpit2/radios/indicators/nav1_dme_distance_nm";

// The first page's lines and the plug-in's own page: tests/scenarios/hotas.sim.
INSTANTIATE_TEST_SUITE_P(
    Pages, PageLinesTest,
    ::testing::Values(
        LineCase{"ComNavEditing", kComNav1, "US",
                 "  COM1    NAV1  | 118.00  110.30 | 121.50  113.90{"},
        LineCase{"ComNav2Nav", kComNav2, "UUU",
                 "  COM2    NAV2  | 132.97 [108.00]| 124.55  117.95 "},
        LineCase{"AdfTens", Make<CAdfPage>, "DDD", " ADF   ON | 362 | 3>62", {{kAdfStandby, 362}}},
        LineCase{"AdfEditingShortStandby",
                 Make<CAdfPage>,
                 "US",
                 " ADF   OFF | 362 | 03}5",
                 {{kAdfStandby, 35}, {"sim/cockpit2/radios/actuators/audio_selection_adf1", 2}}},
        LineCase{
            "AdfLongStandby", Make<CAdfPage>, "D", " ADF   ON |[362]| 175", {{kAdfStandby, 1750}}},
        LineCase{"DmeReceiver2", Make<CDmePage>, "SUD", " DME    [R2]|0004.0 NM|095 KT"},
        LineCase{"DmeBeyond999",
                 Make<CDmePage>,
                 "",
                 " DME    [R1]|1234.5 NM|120 KT",
                 {{kDistance, 1234.56}}},
        LineCase{"XpndrEditing", Make<CXpndrPage>, "S", " Transponder|}1200|"},
        LineCase{"XpndrTens",
                 Make<CXpndrPage>,
                 "DD",
                 " Transponder| 00>70|",
                 {{"sim/cockpit/radios/transponder_code", 70}}},
        LineCase{"VorHdgEditing", Make<CVorHdgPage>, "DS", " VOR     HDG| 090    }275|"},
        LineCase{"Autopilot", Make<CAutopilotPage>, "",
                 " ALT     12000<| VS      -700 | AP      ON "},
        LineCase{"AutopilotCutEditing",
                 Make<CAutopilotPage>,
                 "DS",
                 " ALT     12345 | VS      -1200{| AP      FD ",
                 {{"sim/cockpit/autopilot/altitude", 123456.0},
                  {"sim/cockpit/autopilot/vertical_velocity", -12000.0},
                  {kDirector, 1}}},
        LineCase{"AutopilotOddDirector",
                 Make<CAutopilotPage>,
                 "U",
                 " ALT     12000 | VS      -700 | AP      OFF<",
                 {{kDirector, 7}}},
        LineCase{"Select", Make<CAutopilotSelectPage>, "U",
                 " HDG  NAV  IAS | ALT  VS   APR | REV [<<<]"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Cursor operations ----

// What one cursor position does: a command on select (the position is framed), or, when select
// toggles editing, the commands of up and down while editing; "" for none, paths without
// "sim/". A table lists a page's positions from the first (the mode page's last one, back, is
// tested with the round trip).
struct Position {
    std::string select, up, down;
};

struct CommandCase {
    const char* name;
    Maker make;
    std::vector<Position> positions;
};

// The COM/NAV rows of a radio.
std::vector<Position> ComNav(char radio) {
    std::vector<Position> rows = {
        {"radios/comN_standy_flip", "", ""},
        {"", "radios/stby_comN_coarse_up", "radios/stby_comN_coarse_down"},
        {"", "radios/stby_comN_fine_up", "radios/stby_comN_fine_down"},
        {"radios/navN_standy_flip", "", ""},
        {"", "radios/stby_navN_coarse_up", "radios/stby_navN_coarse_down"},
        {"", "radios/stby_navN_fine_up", "radios/stby_navN_fine_down"}};
    for (Position& row : rows) {
        for (std::string* path : {&row.select, &row.up, &row.down}) {
            if (const size_t at = path->find('N'); at != std::string::npos) {
                (*path)[at] = radio;
            }
        }
    }
    return rows;
}

class PageCommandsTest : public PageTest, public ::testing::WithParamInterface<CommandCase> {
protected:
    // The commands run since the last call.
    static Texts Ran() { return TakeJournal(); }
    static Texts One(const std::string& command) {
        return command.empty() ? Texts{} : Texts{"cmd once sim/" + command};
    }
};

TEST_P(PageCommandsTest, EveryPositionActsAsItsRowSays) {
    const CommandCase& c = GetParam();
    for (uint8_t p = 0; p < c.positions.size(); ++p) {
        SCOPED_TRACE("position " + std::to_string(p));
        const Position& row = c.positions[p];
        std::unique_ptr<CPage> page = c.make();
        const uint8_t count = page->GetCursorCount();
        // Outside editing the buttons only move the cursor.
        Press(*page, std::string(p, 'D'));
        EXPECT_EQ(page->GetCursor(), p);
        EXPECT_EQ(Ran(), Texts{});

        page->CursorSelect();
        if (!row.select.empty()) {
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
        CommandCase{"ComNav1", kComNav1, ComNav('1')},
        CommandCase{"ComNav2", kComNav2, ComNav('2')},
        CommandCase{"Adf",
                    Make<CAdfPage>,
                    {{"audio_panel/monitor_audio_adf1", "", ""},
                     {"radios/adf1_standy_flip", "", ""},
                     {"", "radios/stby_adf1_hundreds_up", "radios/stby_adf1_hundreds_down"},
                     {"", "radios/stby_adf1_tens_up", "radios/stby_adf1_tens_down"},
                     {"", "radios/stby_adf1_ones_up", "radios/stby_adf1_ones_down"}}},
        CommandCase{
            "Xpndr",
            Make<CXpndrPage>,
            {{"", "transponder/transponder_thousands_up", "transponder/transponder_thousands_down"},
             {"", "transponder/transponder_hundreds_up", "transponder/transponder_hundreds_down"},
             {"", "transponder/transponder_tens_up", "transponder/transponder_tens_down"},
             {"", "transponder/transponder_ones_up", "transponder/transponder_ones_down"}}},
        CommandCase{"VorHdg",
                    Make<CVorHdgPage>,
                    {{"", "radios/obs1_up", "radios/obs1_down"},
                     {"", "autopilot/heading_up", "autopilot/heading_down"}}},
        CommandCase{"Autopilot",
                    Make<CAutopilotPage>,
                    {{"", "autopilot/altitude_up", "autopilot/altitude_down"},
                     {"", "autopilot/vertical_speed_up", "autopilot/vertical_speed_down"}}},
        CommandCase{"Select",
                    Make<CAutopilotSelectPage>,
                    {{"autopilot/heading", "", ""},
                     {"autopilot/NAV", "", ""},
                     {"autopilot/level_change", "", ""},
                     {"autopilot/altitude_arm", "", ""},
                     {"autopilot/vertical_speed", "", ""},
                     {"autopilot/approach", "", ""},
                     {"autopilot/back_course", "", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageTest, AutopilotDirectorStepsWhileEditing) {
    CAutopilotPage page(GetSimRegistry());
    Press(page, "USUD");
    EXPECT_EQ(TakeJournal(), (Texts{"cmd once sim/autopilot/fdir_servos_up_one",
                                    "cmd once sim/autopilot/fdir_servos_down_one"}));
}

TEST_F(PageTest, ModePageClosesOnTheNextDisplayAndKeepsItsCursor) {
    CAutopilotPage page(GetSimRegistry());
    Press(page, "DDSUS");  // open, "<<<", close
    EXPECT_EQ(page.GetSelectOpen(), 1u);
    EXPECT_EQ(Show(page)[2], "[AP]     ON ");
    EXPECT_EQ(page.GetSelectOpen(), 0u);
    Press(page, "S");  // open again
    EXPECT_EQ(Show(page)[2], " REV [<<<]");
}

TEST_F(PageTest, ButtonsAfterCloseRequestAreTheAutopilotPagesBeforeTheNextDisplay) {
    CAutopilotPage page(GetSimRegistry());
    Press(page, "DDSUSU");  // open, go to "<<<", close, then up before any display
    EXPECT_EQ(page.GetCursor(), 1u);
    EXPECT_EQ(page.GetSelectPage().GetCursor(), CAutopilotSelectPage::kBack);
    EXPECT_EQ(Show(page)[1], " VS      -700<");
    EXPECT_EQ(TakeJournal(), Texts{});
}

}  // namespace
