// Gauges drawn into the screen picture. Every expected pixel is worked out by hand from the drawing
// rules, over small bitmaps made here.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "bmp_file.h"
#include "gauge/gauge_canvas.h"
#include "gauge/gauge_document.h"
#include "gauge/gauge_script.h"
#include "test_support.h"
#include "trace/trace.h"

using namespace XPL;

namespace {

constexpr uint32_t kFace = 0x202020;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kKey = 0x010101;  // left out of backgrounds and masks

// A different colour for every pixel of a test image, never black nor the mask key.
uint32_t Distinct(int32_t x, int32_t y) {
    return 0x800000 | (static_cast<uint32_t>(y) << 8) | static_cast<uint32_t>(x + 1);
}

CGaugeImage Image(int32_t width, int32_t height, std::function<uint32_t(int32_t, int32_t)> colour,
                  float axisX = 0.0f, float axisY = 0.0f) {
    CGaugeImage image;
    EXPECT_TRUE(image.Decode(TEST::BmpFile(width, height, 24, true, colour)));
    image.axisX = axisX;
    image.axisY = axisY;
    return image;
}

CGaugeImage Row(std::vector<uint32_t> colours, float axisX = 0.0f, float axisY = 0.0f) {
    return Image(
        static_cast<int32_t>(colours.size()), 1,
        [colours](int32_t x, int32_t) { return colours[static_cast<size_t>(x)]; }, axisX, axisY);
}

// A 20 x 10 gauge face (placed at 300, 115) with elements added by the case.
struct Gauge {
    Gauge() {
        document.background = Image(20, 10, [](int32_t, int32_t) { return kFace; });
        document.targetWidth = 20;
        document.targetHeight = 10;
    }
    CGaugeElement& Add(int32_t x, int32_t y) {
        document.elements.push_back(std::make_unique<CGaugeElement>(nullptr, 20, 10));
        CGaugeElement& element = *document.elements.back();
        element.x = x;
        element.y = y;
        return element;
    }
    CGaugeDocument document;
};

struct Expected {
    int32_t x;  // on the gauge face
    int32_t y;
    uint32_t colour;
};

struct DrawCase {
    const char* name;
    std::function<void(Gauge&)> build;
    std::vector<Expected> pixels;
};

class GaugeDrawTest : public ::testing::TestWithParam<DrawCase> {};

TEST_P(GaugeDrawTest, DrawsThePixelsTheRulesGive) {
    Gauge gauge;
    GetParam().build(gauge);
    CGaugeCanvas canvas(nullptr);
    gauge.document.Draw(canvas);
    for (const Expected& pixel : GetParam().pixels) {
        EXPECT_EQ(canvas.Pixel(300 + pixel.x, 115 + pixel.y), pixel.colour)
            << "at (" << pixel.x << ", " << pixel.y << ")";
    }
}

CGaugeElement& Plain(Gauge& g, int32_t x, int32_t y, CGaugeImage image) {
    CGaugeElement& element = g.Add(x, y);
    element.hasImage = 1;
    element.image = std::move(image);
    return element;
}

CGaugeElement& Shown(Gauge& g, const wchar_t* script) {
    CGaugeElement& element = Plain(g, 3, 4, Row({kRed}));
    element.hasVisibility = 1;
    element.visibilityScript = script;
    return element;
}

// A red dot at (1, 4) shifted by the script's value times the scale, within the limits given.
CGaugeElement& Shifted(Gauge& g, const wchar_t* script, float scaleX, float scaleY,
                       float minimum = -1e6f, float maximum = 1e6f) {
    CGaugeElement& element = Plain(g, 1, 4, Row({kRed}));
    element.hasShift = 1;
    element.shiftScript = script;
    element.shiftScaleX = scaleX;
    element.shiftScaleY = scaleY;
    element.hasShiftMin = minimum > -1e6f ? 1 : 0;
    element.shiftMin = minimum;
    element.hasShiftMax = maximum < 1e6f ? 1 : 0;
    element.shiftMax = maximum;
    return element;
}

// A 10 x 1 tape behind a 4 x 1 mask at (5, 4): green frame, a two-pixel window, black.
CGaugeElement& Tape(Gauge& g, const wchar_t* shift, float imageAxisX, float maskAxisX,
                    std::vector<uint32_t> mask = {kGreen, kKey, kKey, 0}) {
    CGaugeElement& element = Plain(g, 5, 4, Image(10, 1, Distinct, imageAxisX, 0.0f));
    element.hasMask = 1;
    element.mask = Row(std::move(mask), maskAxisX, 0.0f);
    element.hasShift = 1;
    element.shiftScript = shift;
    element.shiftScaleY = 0.0f;
    return element;
}

CGaugeElement& Turned(Gauge& g, int32_t x, int32_t y, CGaugeImage image, const wchar_t* script) {
    CGaugeElement& element = Plain(g, x, y, std::move(image));
    element.hasRotate = 1;
    element.rotateScript = script;
    return element;
}

const std::vector<NonlinearityItem> kShiftTable = {{0, 0, 0, 0}, {10, 8, 2, 0}, {20, 10, 2, 0}};

uint32_t BlackCorner(int32_t x, int32_t y) {
    return x + y == 0 ? 0 : Distinct(x, y);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, GaugeDrawTest,
    ::testing::Values(
        DrawCase{"ImageAtItsPositionWithBlackLeftOut",
                 [](Gauge& g) { Plain(g, 3, 4, Image(2, 2, BlackCorner)); },
                 {{3, 4, kFace}, {4, 5, Distinct(1, 1)}, {2, 4, kFace}, {5, 4, kFace}}},
        DrawCase{"LaterElementsCoverEarlierOnes",
                 [](Gauge& g) {
                     Plain(g, 3, 4, Row({kRed, kRed}));
                     Plain(g, 4, 4, Row({kBlue, kBlue}));
                 },
                 {{3, 4, kRed}, {4, 4, kBlue}, {5, 4, kBlue}}},
        DrawCase{"ShiftTruncatesTowardZero",  // -1.5 by (1, 2): dx -1, dy -3
                 [](Gauge& g) { Shifted(g, L"0 3 - 2 /", 1.0f, 2.0f).x = 5; },
                 {{4, 1, kRed}, {3, 1, kFace}, {5, 4, kFace}}},
        DrawCase{"ShiftHeldAtItsMinimum",
                 [](Gauge& g) { Shifted(g, L"5", 1.0f, 0.0f, 8.0f); },
                 {{9, 4, kRed}, {6, 4, kFace}}},
        DrawCase{"ShiftByTable",  // 5 lies in the first pair: (4, 1)
                 [](Gauge& g) { Shifted(g, L"5", 1.0f, 1.0f).nonlinearity = kShiftTable; },
                 {{5, 5, kRed}, {1, 4, kFace}}},
        DrawCase{"ShiftTableExtrapolatesFromFirstAndLastItem",  // 30: (15, 3), not (12, 2)
                 [](Gauge& g) { Shifted(g, L"30", 1.0f, 1.0f).nonlinearity = kShiftTable; },
                 {{16, 7, kRed}, {13, 6, kFace}}},
        DrawCase{"LayerClipsTheImage",  // the face ends at row 9
                 [](Gauge& g) { Plain(g, 5, 8, Image(3, 3, Distinct)); },
                 {{5, 8, Distinct(0, 0)}, {7, 9, Distinct(2, 1)}, {5, 10, 0}}},
        DrawCase{"ElementReadBeforeTheBackgroundDrawsNothing",
                 [](Gauge& g) { Plain(g, 3, 4, Row({kRed})).width = 0; },
                 {{3, 4, kFace}}},
        DrawCase{"VisibilityOfExactlyATenthHides",
                 [](Gauge& g) { Shown(g, L"1 10 /"); },
                 {{3, 4, kFace}}},
        DrawCase{
            "VisibilityAboveATenthShows", [](Gauge& g) { Shown(g, L"11 100 /"); }, {{3, 4, kRed}}},
        DrawCase{"AlphaImageLeavesNothingButItsMaskDraws",
                 [](Gauge& g) {
                     CGaugeElement& e = Plain(g, 3, 4, Row({kRed, kRed}));
                     e.image.alpha = 1;
                     e.hasMask = 1;
                     e.mask = Row({kKey, kBlue});
                 },
                 {{3, 4, kFace}, {4, 4, kBlue}}},
        DrawCase{"ShiftSlidesTheImageBehindTheMaskWindow",  // tape 3..6 at 5..8
                 [](Gauge& g) { Tape(g, L"3", 0.0f, 0.0f); },
                 {{5, 4, kGreen}, {6, 4, Distinct(4, 0)}, {7, 4, Distinct(5, 0)}, {8, 4, kFace}}},
        DrawCase{"AxesMoveTheImageAndItsSource",  // tape 1..4 at 4..7
                 [](Gauge& g) { Tape(g, L"3", 1.0f, 2.0f); },
                 {{4, 4, Distinct(1, 0)}, {5, 4, kGreen}, {7, 4, Distinct(4, 0)}, {8, 4, kFace}}},
        DrawCase{"TapePastItsEndShowsTheFace",  // tape 8..11 of 10
                 [](Gauge& g) {
                     Tape(g, L"8", 0.0f, 0.0f, {kKey, kKey, kKey, kKey});
                 },
                 {{5, 4, Distinct(8, 0)}, {6, 4, Distinct(9, 0)}, {7, 4, kFace}}},
        DrawCase{"UnturnedTurningImageHasItsAxisOnPositionPlusMaskAxis",  // axis at (7, 5)
                 [](Gauge& g) {
                     CGaugeElement& e = Turned(g, 5, 4, Image(2, 2, Distinct, 1.0f, 1.0f), L"0");
                     e.hasMask = 1;
                     e.mask = Image(
                         3, 3, [](int32_t, int32_t) { return kKey; }, 2.0f, 1.0f);
                 },
                 {{6, 4, Distinct(0, 0)}, {7, 5, Distinct(1, 1)}, {5, 4, kFace}}},
        DrawCase{"QuarterTurnOfPiByTwoRadiansIsClockwise",  // (sx, sy) to (9 - sy, 2 + sx)
                 [](Gauge& g) { Turned(g, 10, 2, Image(3, 2, Distinct), L"pi 2 /"); },
                 {{9, 2, Distinct(0, 0)},
                  {9, 4, Distinct(2, 0)},
                  {8, 4, Distinct(2, 1)},
                  {10, 2, kFace},
                  {9, 5, kFace}}},
        DrawCase{"TableTurnsARightPointingNeedleToNorth",  // 90 degrees counter-clockwise
                 [](Gauge& g) {
                     Turned(g, 10, 5, Row({kRed, kGreen, kBlue}), L"0").nonlinearity = {
                         {0, 0, 0, 0}, {100, 0, 0, 90}};
                 },
                 {{10, 4, kRed}, {10, 3, kGreen}, {10, 2, kBlue}, {11, 5, kFace}}},
        DrawCase{"ShiftMovesATurnedImageAlongItsOwnAxes",  // (sx, sy) to (9 - sy, sx)
                 [](Gauge& g) {
                     CGaugeElement& e = Turned(g, 10, 2, Image(3, 2, Distinct), L"pi 2 /");
                     e.hasShift = 1;
                     e.shiftScript = L"2";
                     e.shiftScaleY = 0.0f;
                 },
                 {{9, 0, Distinct(0, 0)}, {9, 2, Distinct(2, 0)}, {9, 3, kFace}}}),
    [](const ::testing::TestParamInfo<DrawCase>& info) { return info.param.name; });

// The visibility's if{ is taken, so the rotation's els{ is not (no turn); the rotation's own if{
// is not, so the shift's els{ gives 3.
INSTANTIATE_TEST_SUITE_P(
    OneContext, GaugeDrawTest,
    ::testing::Values(DrawCase{
        "VisibilityRotationShiftInThatOrder",
        [](Gauge& g) {
            CGaugeElement& e = Turned(g, 10, 4, Row({kRed, kGreen}), L"els{ pi 2 / } 0 if{ 1 }");
            e.hasVisibility = 1;
            e.visibilityScript = L"1 if{ 1 }";
            e.hasShift = 1;
            e.shiftScript = L"els{ 3 }";
            e.shiftScaleY = 0.0f;
        },
        {{7, 4, kRed}, {8, 4, kGreen}, {10, 4, kFace}}}),
    [](const ::testing::TestParamInfo<DrawCase>& info) { return info.param.name; });

// At the right edge, centred vertically with the half pixel dropped (a 40 x 40 gauge end to end:
// tests/scenarios/screen.sim); beyond the canvas nothing is drawn.
TEST(GaugePlacementTest, SitsAtTheRightEdgeCentredVertically) {
    CGaugeDocument document;
    document.background = Image(10, 11, [](int32_t, int32_t) { return kFace; });
    document.targetWidth = 10;
    document.targetHeight = 11;
    CGaugeCanvas canvas(nullptr);
    document.Draw(canvas);
    EXPECT_EQ(canvas.Pixel(310, 114), kFace);
    EXPECT_EQ(canvas.Pixel(319, 124), kFace);
    EXPECT_EQ(canvas.Pixel(309, 114), 0u);
    EXPECT_EQ(canvas.Pixel(310, 113), 0u);
    CGaugeDocument hostile;
    hostile.targetWidth = std::numeric_limits<int32_t>::min();
    hostile.targetHeight = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(hostile.PlacementX(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(hostile.PlacementY(), -1073741703);
    hostile.background = Image(2, 2, Distinct);
    hostile.elements.push_back(std::make_unique<CGaugeElement>(nullptr, 2, 2));
    hostile.elements.back()->image = Image(2, 2, Distinct);
    CGaugeCanvas blank(nullptr);
    hostile.Draw(blank);
    EXPECT_EQ(std::vector<uint8_t>(blank.Bytes(), blank.Bytes() + CGaugeCanvas::kBytes),
              std::vector<uint8_t>(CGaugeCanvas::kBytes, 0));
}

// What the last redraw drew over the face is gone at the next: tests/scenarios/screen.sim.
TEST(GaugeBackgroundTest, LeavesOutOneOneOneAndShowsTheBackgroundOfEachRedraw) {
    // One canvas, as the screen panel keeps it, across gauges and placements.
    CGaugeCanvas canvas(nullptr);
    canvas.SetPixel(0, 0, kRed);
    CGaugeDocument first;
    first.background = Row({kKey, 0x010102, kRed});
    CGaugeDocument second;
    second.background = Row({kBlue, kBlue, kBlue});
    struct Step {
        CGaugeDocument* document;
        int32_t targetWidth;
        std::vector<uint32_t> from316;
    };
    for (const Step& step :
         {Step{&first, 3, {0, 0, 0x010102, kRed}}, Step{&first, 4, {0, 0x010102, kRed, 0}},
          Step{&second, 4, {kBlue, kBlue, kBlue, 0}}, Step{&first, 3, {0, 0, 0x010102, kRed}}}) {
        step.document->targetWidth = step.targetWidth;
        step.document->Draw(canvas);
        EXPECT_EQ(canvas.Pixel(0, 0), 0u);
        for (int32_t x = 316; x < 320; ++x) {
            EXPECT_EQ(canvas.Pixel(x, 120), step.from316[x - 316]) << step.targetWidth << " " << x;
        }
    }
}

TEST(GaugeTurnTest, FillsThePixelsWhoseCentresLieInTheTurnedRectangle) {
    // A 4 x 4 square about its centre turned by 45 degrees: a diamond of half-diagonal 2.83 holds
    // the centres (i + 0.5, j + 0.5) with |i + 0.5| + |j + 0.5| <= 2, twelve of them.
    Gauge gauge;
    Turned(gauge, 10, 5,
           Image(
               4, 4, [](int32_t, int32_t) { return kRed; }, 2.0f, 2.0f),
           L"pi 4 / /-/");
    CGaugeCanvas canvas(nullptr);
    gauge.document.Draw(canvas);
    for (int32_t j = -4; j < 4; ++j) {
        for (int32_t i = -4; i < 4; ++i) {
            const bool inside = std::fabs(i + 0.5) + std::fabs(j + 0.5) <= 2.0;
            EXPECT_EQ(canvas.Pixel(310 + i, 120 + j), inside ? kRed : kFace) << i << ", " << j;
        }
    }
}

struct AngleCase {
    const wchar_t* script;
    std::vector<NonlinearityItem> table;
    float expected;  // NaN: not a number
};

class GaugeRotationAngleTest : public ::testing::TestWithParam<AngleCase> {};

TEST_P(GaugeRotationAngleTest, GivesCounterClockwiseDegreesFromTheXAxis) {
    CGaugeElement element(nullptr, 0, 0);
    element.rotateScript = GetParam().script;
    element.nonlinearity = GetParam().table;
    element.hasRotateMax = 1;
    element.rotateMax = 1000.0f;
    CGaugeScript context(nullptr);
    const float angle = element.RotationAngle(context);
    if (std::isnan(GetParam().expected)) {
        EXPECT_TRUE(std::isnan(angle)) << angle;
    } else {
        EXPECT_NEAR(angle, GetParam().expected, 1e-3f);
    }
}

const std::vector<NonlinearityItem> kAcrossNorth = {{0, 0, 0, 350}, {100, 0, 0, 10}};
const std::vector<NonlinearityItem> kThreeItems = {{0, 0, 0, 0}, {10, 0, 0, 90}, {20, 0, 0, 270}};
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Angles, GaugeRotationAngleTest,
    ::testing::Values(AngleCase{L"pi 2 /", {}, 270.0f}, AngleCase{L"pi", {}, 180.0f},
                      AngleCase{L"0", {}, 0.0f},
                      AngleCase{L"50", kAcrossNorth, 90.0f},    // 360: north
                      AngleCase{L"25", kAcrossNorth, 95.0f},    // 355
                      AngleCase{L"30", kThreeItems, 45.0f},     // 405 from first to last
                      AngleCase{L"5000", kThreeItems, 270.0f},  // held at 1000: -13410
                      AngleCase{L"0 1 0 / -", {}, kNaN}, AngleCase{L"0 0 /", kThreeItems, kNaN}));

TEST(GaugeHostileTest, FarAndBrokenValuesDrawNothingOutsideTheLayer) {
    // Larger than the canvas, with axes far outside it.
    const CGaugeImage image = Image(400, 300, Distinct, 2e9f, -2e9f);
    const CGaugeImage mask = Image(
        300, 300, [](int32_t, int32_t) { return kKey; }, 1e30f, 5.0f);
    const wchar_t* values[] = {
        L"0",    L"1000000 1000000 * d *", L"0 1000000 1000000 * d * -", L"1 0 /", L"0 1 0 / -",
        L"0 0 /"};
    for (size_t v = 0; v < std::size(values); ++v) {
        for (int mode = 0; mode < 3; ++mode) {  // turning, masked, plain
            Gauge gauge;
            CGaugeElement& e = Plain(gauge, 10, 5, image);
            e.hasShift = 1;
            e.shiftScript = values[v];
            e.shiftScaleX = 3e38f;
            e.hasRotate = mode == 0 ? 1 : 0;
            e.rotateScript = values[v];
            e.hasMask = mode == 1 ? 1 : 0;
            e.mask = mask;
            if (v % 2 == 1) {
                e.nonlinearity = {{0, 1e30f, -1e30f, 0}, {0, 1, 1, 1e30f}};
            }
            CGaugeCanvas canvas(nullptr);
            gauge.document.Draw(canvas);
            for (int32_t y = 0; y < CGaugeCanvas::kHeight; ++y) {
                for (int32_t x = 0; x < CGaugeCanvas::kWidth; ++x) {
                    if (x < 300 || y < 115 || y >= 125) {
                        ASSERT_EQ(canvas.Pixel(x, y), 0u)
                            << v << " " << mode << " " << x << ", " << y;
                    }
                }
            }
        }
    }
}

// Labels with the system's label font (Liberation Sans or Arial: an 18-pixel cell with 15
// pixels above the baseline), in the strip left of a 240 x 240 gauge.
class GaugeLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        font_ = CGaugeFont::LoadLabelFont();
        ASSERT_NE(font_, nullptr) << "no Liberation Sans (fonts-liberation)";
        document_.background = Image(240, 240, [](int32_t, int32_t) { return kFace; });
        document_.targetWidth = 240;
        document_.targetHeight = 240;
    }
    void TearDown() override { VIRTUAL::ResetPlatform(); }
    void Bind(int32_t id, const wchar_t* label, uint32_t colour = 0xFFFFFF) {
        GaugeButton button;
        button.id = id;
        button.label = label;
        button.textColour = colour;
        document_.buttons.push_back(button);
    }
    struct Lit {
        int32_t first = -1;  // -1: no pixel of the colour
        int32_t last = -1;
        bool pure = true;  // every pixel black or the colour
    };
    // The rows of [top, top + 40) with a pixel of the colour in the strip.
    static Lit Scan(const CGaugeCanvas& canvas, int32_t top, uint32_t colour) {
        Lit lit;
        for (int32_t y = top; y < top + 40; ++y) {
            for (int32_t x = 0; x < 80; ++x) {
                const uint32_t pixel = canvas.Pixel(x, y);
                lit.pure = lit.pure && (pixel == 0 || pixel == colour);
                lit.first = pixel == colour && lit.first < 0 ? y - top : lit.first;
                lit.last = pixel == colour ? y - top : lit.last;
            }
        }
        return lit;
    }
    std::shared_ptr<const CGaugeFont> font_;
    CGaugeDocument document_;
};

TEST_F(GaugeLabelTest, EachBoundButtonLabelsItsRowWithinTheTextCellOthersDrawNothing) {
    // The cell is rows 11 to 28 of a button's 40, the baseline below row 25.
    struct Label {
        const wchar_t* text;
        uint32_t colourRef;
        int32_t lastFrom;  // the range of the lowest lit row
        int32_t lastTo;
    };
    const Label labels[] = {{L"WWWWWWWWWWWW", 0xFFFFFF, 25, 25},  // past the strip's end
                            {L"HH", 0xFFFFFF, 25, 25},
                            {L"&", 0xFFFFFF, -1, -1},    // a lone mark shows nothing
                            {L"&&", 0xFFFFFF, 25, 25},   // an "&"
                            {L"&H", 0xFFFFFF, 26, 28},   // an underlined "H"
                            {L"HH", 0x0000FF, 25, 25}};  // red
    for (int32_t id = 1; id <= 6; ++id) {
        Bind(id, labels[id - 1].text, labels[id - 1].colourRef);
    }
    Bind(0, L"HH");
    Bind(7, L"HH");
    CGaugeCanvas canvas(font_);
    document_.Draw(canvas);
    for (int32_t row = 0; row < 6; ++row) {
        const Label& label = labels[row];
        const Lit lit = Scan(canvas, row * 40, row == 5 ? kRed : 0xFFFFFF);
        EXPECT_TRUE(lit.pure) << row;
        EXPECT_GE(lit.last, label.lastFrom) << row;
        EXPECT_LE(lit.last, label.lastTo) << row;
        EXPECT_TRUE(lit.first == -1 || lit.first >= 11) << row;
    }
    EXPECT_LE(Scan(canvas, 40, 0xFFFFFF).first, 15);  // capitals rise about 12 rows
    for (int32_t y = 0; y < 40; ++y) {
        EXPECT_EQ(canvas.Pixel(1, y), 0u) << y;      // left of the strip
        EXPECT_EQ(canvas.Pixel(80, y), kFace) << y;  // the gauge keeps its face
    }
    // The next redraw without buttons leaves no label behind.
    document_.buttons.clear();
    document_.Draw(canvas);
    for (int32_t row = 0; row < 6; ++row) {
        EXPECT_EQ(Scan(canvas, row * 40, row == 5 ? kRed : 0xFFFFFF).first, -1) << row;
    }
}

TEST_F(GaugeLabelTest, WithoutAFontTheGaugeIsDrawnWithoutLabels) {
    VIRTUAL::SetFontsFolder(L"/no/such/fonts");
    EXPECT_EQ(CGaugeFont::LoadLabelFont(), nullptr);
    VIRTUAL::SetFontsFolder(L"", 0x80070002);
    EXPECT_EQ(CGaugeFont::LoadLabelFont(), nullptr);
    Bind(1, L"NAV");
    CGaugeCanvas canvas(nullptr);
    document_.Draw(canvas);
    EXPECT_EQ(canvas.Pixel(100, 20), kFace);
    EXPECT_EQ(Scan(canvas, 0, 0xFFFFFF).first, -1);
}

}  // namespace
