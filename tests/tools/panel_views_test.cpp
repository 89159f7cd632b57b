#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "panel_views.h"

namespace XPL::SIMTOOL {
namespace {

// Autoflight report: id 0, upper row, lower row, lamp bits, 0.
// (Built in place: inserting into a one-byte vector draws a bogus array-bounds warning from
// mingw-w64's GCC 12 in optimised builds.)
Report AutoflightReport(std::vector<uint8_t> upper, std::vector<uint8_t> lower, uint8_t lamps) {
    Report report(1 + upper.size() + lower.size() + 2, 0);
    std::copy(upper.begin(), upper.end(), report.begin() + 1);
    std::copy(lower.begin(), lower.end(), report.begin() + 1 + static_cast<long>(upper.size()));
    report[report.size() - 2] = lamps;
    return report;
}

// Tuner report: id 0, four displays of five cells, three blank bytes.
Report TunerReport(std::vector<uint8_t> cells) {
    Report report(24, 0xFF);
    report[0] = 0;
    std::copy(cells.begin(), cells.begin() + static_cast<long>(std::min<size_t>(cells.size(), 23)),
              report.begin() + 1);
    return report;
}

TEST(PanelViewsTest, DigitCellsReadAsTheDisplaysShowThem) {
    struct Row {
        std::vector<uint8_t> cells;
        bool tuner;
        const char* text;
    };
    const Row rows[] = {
        {{0xFF, 0xFF, 0x03, 0x05, 0x00}, false, "  350"},
        {{0xFF, 0x0E, 0x07, 0x00, 0x00}, false, " -700"},
        {{0x00, 0x00, 0x00, 0x00, 0x00}, false, "00000"},
        {{0x0A, 0xE0, 0xD3, 0x01, 0x02}, false, "???12"},
        {{0x01, 0x02, 0xD3, 0x04, 0x05}, true, "123.45"},
        {{0x01, 0x00, 0xD8, 0x05, 0x00}, true, "108.50"},
        {{0xFF, 0xFF, 0x03, 0x06, 0x02}, true, "  362"},
        {{0xFF, 0x01, 0x02, 0x00, 0x00}, true, " 1200"},
        {{0x00, 0x00, 0x01, 0xD2, 0x03}, true, "0012.3"},
        {{0x00, 0x00, 0x00, 0xFF, 0xFF}, true, "000  "},
        {{0xE0, 0x0E, 0xDA, 0xFF, 0xFF}, true, "-??  "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.tuner ? TunerDigits(row.cells.data(), row.cells.size())
                            : AutoflightDigits(row.cells.data(), row.cells.size()),
                  row.text);
    }
}

TEST(PanelViewsTest, AutoflightShowsBothRowsAndNamesTheLitLamps) {
    // Altitude 3500, vertical speed -700; AP (0x01), ALT (0x10) and REV (0x80) lit.
    const Report report =
        AutoflightReport({0xFF, 0x03, 0x05, 0x00, 0x00}, {0xFF, 0x0E, 0x07, 0x00, 0x00}, 0x91);
    EXPECT_EQ(AutoflightView(report),
              "autoflight  [ 3500] [ -700]  lit: AP ALT REV  dark: HDG NAV IAS VS APR");
    const Report dark = AutoflightReport({0xFF, 0xFF, 0x02, 0x07, 0x00}, {0, 0, 0, 0, 0}, 0x00);
    EXPECT_EQ(AutoflightView(dark),
              "autoflight  [  270] [00000]  lit: none  dark: AP HDG NAV IAS ALT VS APR REV");
}

// The panel resends at each change of the flashing phase: the last three reports alternate in
// the flashing lamp's bit and nothing else.
TEST(PanelViewsTest, AutoflightLampsThatAlternateAloneAreFlashing) {
    const std::vector<uint8_t> upper{0xFF, 0x03, 0x05, 0x00, 0x00};
    const std::vector<uint8_t> lower{0xFF, 0xFF, 0x07, 0x00, 0x00};
    const Report armed = AutoflightReport(upper, lower, 0x21);  // AP and VS lit, ALT armed dark
    const Report phase = AutoflightReport(upper, lower, 0x31);  // ALT lit
    EXPECT_EQ(PanelView("autoflight", {armed, phase, armed}, {}),
              "autoflight  [ 3500] [  700]  lit: AP VS  flashing: ALT  dark: HDG NAV IAS APR REV");
    // A lamp that came on and went off with a display change is no flashing.
    const Report other = AutoflightReport(upper, {0xFF, 0xFF, 0x08, 0x00, 0x00}, 0x31);
    EXPECT_EQ(PanelView("autoflight", {armed, other, armed}, {}), AutoflightView(armed));
    EXPECT_EQ(PanelView("autoflight", {phase, armed}, {}), AutoflightView(armed));
}

TEST(PanelViewsTest, TunerShowsActiveAndStandbyOfBothHalves) {
    // Upper COM1 118.00 / 121.50; lower transponder: left blank, right 7000.
    const Report report = TunerReport({0x01, 0x01, 0xD8, 0x00, 0x00, 0x01, 0x02, 0xD1, 0x05, 0x00,
                                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0x00, 0x00, 0x00});
    EXPECT_EQ(TunerView(report), "tuner       upper 118.00  121.50   lower           7000");
}

TEST(PanelViewsTest, HotasLinesStandInTheDisplaysBox) {
    EXPECT_EQ(HotasView({" Transponder",
                         "\xFC"
                         "1200",
                         "x\x01\xFB"}),
              "hotas       | Transponder    |\n"
              "            |\u00BB1200           |\n"
              "            |x?\u00AB             |");
}

TEST(PanelViewsTest, GearLampsFollowTheirBitsPerLeg) {
    struct Row {
        uint8_t bits;
        const char* view;
    };
    const Row rows[] = {
        {0x07, "toggle      gear  left green  nose green  right green"},
        {0x22, "toggle      gear  left dark  nose green  right red"},
        {0x09, "toggle      gear  left green+red  nose dark  right dark"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.view);
        EXPECT_EQ(GearLampsView({0x00, row.bits}), row.view);
    }
}

TEST(PanelViewsTest, LensGridShowsColoursAndNamesTheLitLenses) {
    // Lens 0 green, lens 9 red, lens 23 amber (both planes).
    const Report report{0xB8, 0x01, 0x00, 0x80, 0x00, 0x02, 0x80};
    const LensNames names{{0, "GearDown"}, {23, "FuelLow"}};
    EXPECT_EQ(LensView(report, names),
              "lamp        lenses G . . . . . . .   (0-7)\n"
              "                   . R . . . . . .   (8-15)\n"
              "                   . . . . . . . A   (16-23)\n"
              "            lit: 0 GearDown green, 9 red, 23 FuelLow amber");
}

TEST(PanelViewsTest, ScreenShowsItsLitLedsAndThePicturesSaved) {
    EXPECT_EQ(ScreenView(0, {}), "screen      LEDs lit: none");
    EXPECT_EQ(ScreenView((1u << 1) | (1u << 8), {"picture 3: /tmp/a.png"}),
              "screen      LEDs lit: 1 8\n            picture 3: /tmp/a.png");
}

TEST(PanelViewsTest, UnexpectedReportsShowTheirBytes) {
    EXPECT_EQ(AutoflightView({0x00, 0x01}), "autoflight  report of 2 bytes: 00 01");
    EXPECT_EQ(TunerView(Report(24, 0x01)).substr(0, 31), "tuner       report of 24 bytes:");
    EXPECT_EQ(GearLampsView({0x01, 0x07}), "toggle      report of 2 bytes: 01 07");
    EXPECT_EQ(LensView({0xB2, 0x64}, {}), "lamp        report of 2 bytes: B2 64");
}

TEST(PanelViewsTest, PanelViewPicksTheReportThatShowsTheState) {
    EXPECT_EQ(PanelView("tuner", {}, {}), "");
    EXPECT_EQ(PanelView("screen", {{0x00}}, {}), "");
    EXPECT_EQ(PanelView("toggle", {{0x00, 0x07}, {0x00, 0x38}}, {}), GearLampsView({0x00, 0x38}));
    const Report lit{0xB8, 0x01, 0, 0, 0, 0, 0};
    const Report dark{0xB8, 0, 0, 0, 0, 0, 0};
    const Report brightness{0xB2, 0x64};
    // Only the brightness report: every lens dark.
    EXPECT_EQ(PanelView("lamp", {brightness}, {}), LensView(dark, {}));
    EXPECT_EQ(PanelView("lamp", {brightness, lit}, {}), LensView(lit, {}));
    // A panel initialised again starts dark, whatever it showed before.
    EXPECT_EQ(PanelView("lamp", {brightness, lit, brightness}, {}), LensView(dark, {}));
}

}  // namespace
}  // namespace XPL::SIMTOOL
