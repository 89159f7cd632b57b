// Gauge files of both dialects read into the document model.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "gauge/gauge_document.h"
#include "gauge/gauge_variables.h"
#include "test_support.h"

using namespace XPL;
namespace fs = std::filesystem;

namespace {

uint32_t Grey(int32_t, int32_t) {
    return 0x808080;
}

class GaugeDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        TEST::WriteFile(folder_ / "1024" / "Face.bmp", TEST::BmpFile(24, 20, 24, false, Grey));
        // Stored top-down (a negative height), as many paint programs write.
        TEST::WriteFile(folder_ / "1024" / "needle.bmp", TEST::BmpFile(10, 40, 24, true, Grey));
        TEST::WriteFile(folder_ / "face.bmp", TEST::BmpFile(12, 10, 24, false, Grey));
    }
    // Writes the gauge text to gauge.xml and loads it (the path written the Windows way).
    bool Load(const std::string& text) {
        TEST::WriteFile(folder_ / "gauge.xml", text);
        return document_.Load(variables_, folder_.wstring() + L"\\GAUGE.xml");
    }
    const CGaugeElement& Element(size_t index) const { return *document_.elements.at(index); }

    TEST::CTestFolder test_;
    const fs::path& folder_ = test_.Path();
    CGaugeVariables variables_;
    CGaugeDocument document_;
};

TEST_F(GaugeDocumentTest, ReadsAClassicGaugeScaledFromImageSizesOn) {
    ASSERT_TRUE(Load(R"(<?xml version="1.0"?>
<Gauge Name="Airspeed">
  <Element><Position X="100" Y="50"/></Element>
  <Image Name="face.BMP" ImageSizes="640,480,320,240"/>
  <Element>
    <Position X="100" Y="51"/>
    <Visible>(A:sim/bus,volts) 10 &amp;gt;</Visible>
    <Select><Value>1</Value><Case Value="1"/></Select>
    <MaskImage Name="needle.bmp"><Axis X="8" Y="4"/><Axis X="20" Y="10"/></MaskImage>
    <Image Name="needle.bmp" Alpha="Yes"><Axis X="6" Y="30"/></Image>
    <Shift>
      <Value Minimum="-5" Maximum="95">(A:sim/pitch,degrees)</Value>
      <Scale X="2" Y="4"/>
      <Failures><Item Action="0"/></Failures>
    </Shift>
    <Rotate>
      <Value Maximum="200">(A:sim/speed,knots) 2 /</Value>
      <Nonlinearity><Item Value="0" Degrees="350"/><Item Value="100" Degrees="10"/></Nonlinearity>
    </Rotate>
  </Element>
  <Mouse/>
</Gauge>)"));
    EXPECT_EQ(document_.dialect, GaugeDialect::Classic);
    EXPECT_EQ(document_.name, L"Airspeed");
    EXPECT_EQ(document_.imageFolder, folder_.wstring() + L"\\1024");
    EXPECT_EQ(document_.background.Width(), 24);
    ASSERT_EQ(document_.elements.size(), 2u);
    // Read before the background: a 0 x 0 layer, unscaled.
    EXPECT_EQ(Element(0).width, 0u);
    EXPECT_EQ(Element(0).x, 100);
    const CGaugeElement& needle = Element(1);
    EXPECT_EQ(needle.width, 24u);
    EXPECT_EQ(needle.height, 20u);
    EXPECT_EQ(needle.variables, &variables_);
    EXPECT_EQ(needle.x, 50);
    EXPECT_EQ(needle.y, 25);  // 25.5 truncated
    EXPECT_EQ(needle.hasVisibility, 1);
    EXPECT_EQ(needle.visibilityScript, L"(A:sim/bus,volts) 10 &gt;");
    EXPECT_EQ(needle.hasMask, 1);
    EXPECT_EQ(needle.mask.axisX, 10.0f);  // the last Axis counts
    EXPECT_EQ(needle.mask.axisY, 5.0f);
    EXPECT_EQ(needle.hasImage, 1);
    EXPECT_EQ(needle.image.Height(), 40);
    EXPECT_EQ(needle.image.alpha, 1);
    EXPECT_EQ(needle.image.axisY, 15.0f);
    EXPECT_EQ(needle.hasShift, 1);
    EXPECT_EQ(needle.shiftScript, L"(A:sim/pitch,degrees)");
    EXPECT_EQ(needle.hasShiftMin, 1);
    EXPECT_EQ(needle.shiftMin, -5.0f);
    EXPECT_EQ(needle.shiftMax, 95.0f);
    EXPECT_EQ(needle.shiftScaleX, 1.0f);
    EXPECT_EQ(needle.shiftScaleY, 2.0f);
    EXPECT_EQ(needle.hasRotate, 1);
    EXPECT_EQ(needle.hasRotateMin, 0);
    EXPECT_EQ(needle.rotateMin, -1000000.0f);
    EXPECT_EQ(needle.rotateMax, 200.0f);
    ASSERT_EQ(needle.nonlinearity.size(), 2u);
    EXPECT_EQ(needle.nonlinearity[1].value, 100.0f);
    EXPECT_EQ(needle.nonlinearity[1].degrees, 10.0f);
    EXPECT_TRUE(document_.bitmapFailures.empty());
    // Every script's variables, all 0 after loading.
    EXPECT_EQ(variables_.Count(), 3u);
    EXPECT_EQ(variables_.IndexOf(L"sim/speed", L"knots"), 2);
    EXPECT_EQ(variables_.Current(2), 0.0f);
}

struct SizesCase {
    const char* sizes;
    int32_t designWidth, designHeight, targetWidth, targetHeight;
    int32_t x;  // of an element at X="200" read after it
};

class GaugeImageSizesTest : public GaugeDocumentTest,
                            public ::testing::WithParamInterface<SizesCase> {};

TEST_P(GaugeImageSizesTest, ListsDesignThenTargetSizesReadFromTheRight) {
    ASSERT_TRUE(Load(std::string("<Gauge><Image Name='face.bmp' ImageSizes='") + GetParam().sizes +
                     "'/><Element><Position X='200'/></Element></Gauge>"));
    EXPECT_EQ(document_.designWidth, GetParam().designWidth);
    EXPECT_EQ(document_.designHeight, GetParam().designHeight);
    EXPECT_EQ(document_.targetWidth, GetParam().targetWidth);
    EXPECT_EQ(document_.targetHeight, GetParam().targetHeight);
    EXPECT_EQ(Element(0).x, GetParam().x);
}

INSTANTIATE_TEST_SUITE_P(Sizes, GaugeImageSizesTest,
                         ::testing::Values(SizesCase{"640,480,320,240", 640, 480, 320, 240, 100},
                                           SizesCase{" 400, 300 ,240,240", 400, 300, 240, 240, 120},
                                           SizesCase{"240,240", 0, 0, 240, 240, 200},
                                           SizesCase{"240", 0, 0, 0, 240, 200},
                                           SizesCase{"1,2,3,4,5", 1, 3, 4, 5, 800},
                                           SizesCase{"0,0,320,240", 0, 0, 320, 240, 200},
                                           SizesCase{"x,y,320,240", 0, 0, 320, 240, 200},
                                           SizesCase{"1,1,99999999999,1", 1, 1, 2147483647, 1, 0}));

// An item without "Degrees" points from the element's position to (X, Y): degrees clockwise
// from straight up.
struct AngleCase {
    const char* item;
    float degrees;
};

class GaugePointAngleTest : public GaugeDocumentTest,
                            public ::testing::WithParamInterface<AngleCase> {};

TEST_P(GaugePointAngleTest, GivesTheItemsDirectionFromTheElement) {
    ASSERT_TRUE(Load(std::string("<Gauge><Element><Position X='100' Y='100'/><Shift>"
                                 "<Nonlinearity><Item Value='3' ") +
                     GetParam().item + "/></Nonlinearity></Shift></Element></Gauge>"));
    const NonlinearityItem& item = Element(0).nonlinearity.at(0);
    EXPECT_EQ(item.value, 3.0f);
    if (std::isnan(GetParam().degrees)) {
        EXPECT_TRUE(std::isnan(item.degrees));
    } else {
        EXPECT_NEAR(item.degrees, GetParam().degrees, 1e-4);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Quadrants, GaugePointAngleTest,
    ::testing::Values(AngleCase{"X='100' Y='50'", 0.0f}, AngleCase{"X='150' Y='50'", 45.0f},
                      AngleCase{"X='150' Y='100'", 90.0f}, AngleCase{"X='150' Y='150'", 135.0f},
                      AngleCase{"X='100' Y='150'", 180.0f}, AngleCase{"X='50' Y='150'", 225.0f},
                      AngleCase{"X='50' Y='100'", 270.0f}, AngleCase{"X='50' Y='50'", 315.0f},
                      AngleCase{"X='100' Y='100'", NAN},
                      AngleCase{"X='1' Y='2' Degrees='33'", 33.0f}));

TEST_F(GaugeDocumentTest, AnItemBeforeThePositionPointsFromTheOrigin) {
    ASSERT_TRUE(
        Load("<Gauge><Element><Rotate><Nonlinearity><Item X='10' Y='-10'/>"
             "</Nonlinearity></Rotate><Position X='100' Y='100'/></Element></Gauge>"));
    EXPECT_NEAR(Element(0).nonlinearity.at(0).degrees, 45.0f, 1e-4);  // up and right of (0, 0)
    EXPECT_EQ(Element(0).nonlinearity.at(0).x, 10.0f);
}

TEST_F(GaugeDocumentTest, TheFirstBackgroundStaysAndFailedBitmapsAreListed) {
    ASSERT_TRUE(
        Load("<Gauge><Image Name='missing.bmp'/><Image Name='face.bmp'/>"
             "<Image Name='needle.bmp'/><Element><Image Name='gone.bmp'/></Element>"
             "</Gauge>"));
    EXPECT_EQ(document_.background.Width(), 24);  // the second one, after the first failed
    ASSERT_EQ(document_.bitmapFailures.size(), 2u);
    EXPECT_EQ(document_.bitmapFailures[1],
              folder_.wstring() + L"\\1024\\gone.bmp: the file cannot be found");
    EXPECT_EQ(Element(0).hasImage, 1);
    EXPECT_FALSE(Element(0).image.HasBitmap());
}

TEST_F(GaugeDocumentTest, PastItsBoundsAGaugeKeepsNoMoreMouseAreasAndSaysOnceWhatItLeavesOut) {
    std::string areas;
    std::string images;
    for (size_t i = 0; i < CGaugeDocument::kMaxBitmapLoads + 2; ++i) {
        areas += i <= CGaugeDocument::kMaxMouseAreas ? "<Area/>" : "";
        images += "<Image Name='gone.bmp'/>";
    }
    EXPECT_TRUE(
        Load("<Gauge><Mouse>" + areas + "</Mouse><Element>" + images + "</Element></Gauge>"));
    EXPECT_EQ(document_.mouseAreas.size(), CGaugeDocument::kMaxMouseAreas);
    ASSERT_EQ(document_.bitmapFailures.size(), CGaugeDocument::kMaxBitmapLoads + 1);
    EXPECT_EQ(document_.bitmapFailures.back(),
              folder_.wstring() +
                  L"\\1024\\gone.bmp: the gauge asks for more than 4096 bitmaps "
                  L"(neither this one nor any after it is loaded)");
}

TEST_F(GaugeDocumentTest, ReadsADocumentDialectGaugeSizedByItsBackground) {
    ASSERT_TRUE(Load(R"(<SimBase.Document Type="AceXML">
  <Descr>ignored</Descr>
  <SimGauge.Gauge id="Gauge">
    <FloatPosition>0.000,0.000</FloatPosition>
    <Image Name="FACE.bmp"/>
    <Element>
      <FloatPosition>12.9, -3.7</FloatPosition>
      <Visibility>(A:sim/on,bool)</Visibility>
      <Image Name="1024\needle.bmp"><Axis>5,20</Axis></Image>
      <MaskImage Name="missing.bmp"><Axis>1</Axis></MaskImage>
      <Shift>
        <Scale>0.5,2</Scale>
        <Expression><Minimum>-1</Minimum><Script>(A:sim/x,feet)</Script></Expression>
      </Shift>
      <Rotation><Expression><Script>(A:sim/y,degrees)</Script><Maximum>3</Maximum></Expression></Rotation>
    </Element>
    <MouseArea>
      <MouseArea><CursorType>DownArrow</CursorType><MouseClick><Script>4</Script></MouseClick></MouseArea>
      <MouseArea><MouseClick><Script>5</Script><KeyEvent/></MouseClick></MouseArea>
    </MouseArea>
  </SimGauge.Gauge>
</SimBase.Document>)"));
    EXPECT_EQ(document_.dialect, GaugeDialect::Document);
    EXPECT_EQ(document_.imageFolder, folder_.wstring());
    EXPECT_EQ(document_.targetWidth, 12);
    EXPECT_EQ(document_.targetHeight, 10);
    EXPECT_EQ(document_.designWidth, 0);
    const CGaugeElement& element = Element(0);
    EXPECT_EQ(element.x, 12);
    EXPECT_EQ(element.y, -3);
    EXPECT_EQ(element.width, 12u);
    EXPECT_EQ(element.image.axisX, 5.0f);
    EXPECT_EQ(element.image.axisY, 20.0f);
    EXPECT_EQ(element.image.alpha, 0);
    EXPECT_EQ(element.hasMask, 1);
    EXPECT_FALSE(element.mask.HasBitmap());
    EXPECT_EQ(element.shiftScaleX, 0.5f);
    EXPECT_EQ(element.shiftScript, L"(A:sim/x,feet)");
    EXPECT_EQ(element.hasShiftMin, 1);
    EXPECT_EQ(element.hasShiftMax, 0);
    EXPECT_EQ(element.rotateScript, L"(A:sim/y,degrees)");
    EXPECT_EQ(element.rotateMax, 3.0f);
    ASSERT_EQ(document_.mouseAreas.size(), 1u);
    EXPECT_EQ(document_.mouseAreas[0].downScript, L"4");
    EXPECT_EQ(document_.mouseAreas[0].upScript, L"");
    EXPECT_EQ(variables_.Count(), 3u);
}

// Other roots, files that are no XML, unknown children of the root and missing files: the gauge
// check's cases and the screen panel's gauge list.
TEST_F(GaugeDocumentTest, AGaugeOfMoreThan1024ElementsIsRefused) {
    std::string crowded = "<Gauge>";
    for (size_t i = 0; i <= CGaugeDocument::kMaxElements; ++i) {
        crowded += "<Element/>";
    }
    EXPECT_FALSE(Load(crowded + "</Gauge>"));
    EXPECT_EQ(document_.loadFailure, L"the gauge has more than 1024 elements");
}

}  // namespace
