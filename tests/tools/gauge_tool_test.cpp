// skydeck-gauge as gauge authors call it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include "gauge_tool.h"
#include "test_support.h"

using namespace XPL;

namespace {

struct EvalCase {
    std::vector<std::string> arguments;
    int status;
    std::string out;
};

class GaugeToolEvalTest : public ::testing::TestWithParam<EvalCase> {};

TEST_P(GaugeToolEvalTest, PrintsTheScriptsValueOrRefusesTheArguments) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(GAUGETOOL::Run(GetParam().arguments, out, err), GetParam().status) << err.str();
    EXPECT_EQ(out.str(), GetParam().out);
    EXPECT_EQ(err.str().empty(), GetParam().status == GAUGETOOL::kUsable);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, GaugeToolEvalTest,
    ::testing::Values(
        EvalCase{{"eval", "27 10 /"}, 0, "2.7\n"},
        EvalCase{{"eval", "--float", "sim/speed=120.5", "(A:sim/speed,knots) 2 *"}, 0, "241\n"},
        EvalCase{
            {"eval", "--ints", "sim/gear=1,0,1", "(A:sim/gear:n1,bool) (A:sim/gear:n2,bool) +"},
            0,
            "1\n"},
        EvalCase{{"eval", "--floats", "sim/egt=0,650", "(A:sim/egt:1,degcf)"}, 0, "1202\n"},
        EvalCase{
            {"eval", "--int", "sim/on=1", "(A:sim/on:n,bool) 0 &gt; if{ 5 } els{ 6 }"}, 0, "5\n"},
        EvalCase{{"eval", "--float", "sim/zero=0", "--floats", "sim/zero=3", "(A:sim/zero,x)"},
                 0,
                 "3\n"},
        EvalCase{{"eval", "(A:sim/none,number) 1 -"}, 0, "-1\n"}, EvalCase{{"eval"}, 2, ""},
        // Every digit that tells two floats apart.
        EvalCase{{"eval", "--float=sim/a=16777218", "(A:sim/a,x)"}, 0, "16777218\n"},
        EvalCase{{"eval", "1 3 /"}, 0, "0.33333334\n"}, EvalCase{{"eval", "--", "-1"}, 0, "0\n"},
        EvalCase{{"eval", "1", "-h"},
                 0,
                 "usage: skydeck-gauge eval [--float PATH=V]... [--int "
                 "PATH=V]... [--floats PATH=V,V...]...\n"
                 "                          [--ints PATH=V,V...]... SCRIPT\n"},
        EvalCase{{"eval", "1", "2"}, 2, ""}, EvalCase{{"eval", "--float", "sim/a=x", "1"}, 2, ""},
        EvalCase{{"eval", "--ints", "sim/a=1,,2", "1"}, 2, ""},
        EvalCase{{"eval", "--int", "sim/a=1.5", "1"}, 2, ""}, EvalCase{{"eval", "--float"}, 2, ""},
        EvalCase{{"eval", "--double", "a=1", "1"}, 2, ""}, EvalCase{{"draw", "x.xml"}, 2, ""}));

TEST(GaugeToolShowTest, TellsWhatTheGaugeFileSaysAndWhetherItIsUsable) {
    const TEST::CTestFolder test;
    const std::filesystem::path& folder = test.Path();
    TEST::WriteFile(folder / "1024" / "face.bmp",
                    TEST::BmpFile(4, 3, 24, false, [](int32_t, int32_t) { return 0u; }));
    TEST::WriteFile(folder / "good.xml",
                    "<Gauge Name='Clock'><Image Name='face.bmp' ImageSizes='4,3,4,3'/>"
                    "<Element><Position X='1' Y='2'/><Image Name='hand.bmp'/>"
                    "<Rotate><Value Minimum='0'>(A:sim/time,seconds) 6 *</Value></Rotate>"
                    "</Element></Gauge>");
    TEST::WriteFile(folder / "bad.xml", "<Gauge><Sound/></Gauge>");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(GAUGETOOL::Run({"show", (folder / "good.xml").string()}, out, err), 0);
    const std::string shown = out.str();
    for (const char* line :
         {"name: Clock\n", "dialect: classic\n", "size: 4 x 3, designed at 4 x 3\n",
          "element 1 at (1, 2), layer 4 x 3\n",
          "  turn by        (A:sim/time,seconds) 6 *  minimum 0\n", "variables: 1\n",
          "  sim/time, seconds\n", "usable\n"}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line << shown;
    }
    EXPECT_NE(shown.find("hand.bmp: the file cannot be found\n"), std::string::npos) << shown;
    out.str("");
    EXPECT_EQ(GAUGETOOL::Run({"show", (folder / "bad.xml").string()}, out, err), 1);
    EXPECT_NE(out.str().find("not usable: the root holds an element Sound"), std::string::npos);
    EXPECT_EQ(GAUGETOOL::Run({"show"}, out, err), 2);
}

TEST(GaugeToolRenderTest, DrawsTheGaugeOverTheGivenValuesWithLabelsAsPng) {
    const TEST::CTestFolder test;
    const std::filesystem::path& folder = test.Path();
    TEST::WriteFile(folder / "1024" / "face.bmp",
                    TEST::BmpFile(8, 6, 24, false, [](int32_t, int32_t) { return 0x404040u; }));
    TEST::WriteFile(folder / "1024" / "dot.bmp",
                    TEST::BmpFile(1, 1, 24, false, [](int32_t, int32_t) { return 0xFF0000u; }));
    // An 8 x 6 gauge lands at (312, 117); its dot at (314, 118) shows while sim/on is above 0.1.
    TEST::WriteFile(folder / "dot.xml",
                    "<Gauge><Image Name='face.bmp' ImageSizes='8,6,8,6'/><Element>"
                    "<Position X='2' Y='1'/><Visible>(A:sim/on:n,bool)</Visible>"
                    "<Image Name='dot.bmp'/></Element></Gauge>");
    const std::string gauge = (folder / "dot.xml").string();
    const std::string png = (folder / "out.png").string();
    // The picture written, 0xRRGGBB from the top-left.
    const auto read = [&png] {
        std::vector<uint32_t> pixels(320 * 240, 0xDEAD);
        int width = 0;
        int height = 0;
        int channels = 0;
        unsigned char* rgb = stbi_load(png.c_str(), &width, &height, &channels, 3);
        for (size_t i = 0; rgb != nullptr && width == 320 && height == 240 && i < 320 * 240; ++i) {
            pixels[i] =
                (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
        }
        stbi_image_free(rgb);
        return pixels;
    };
    // Row 25, the last above the first label's baseline, has white in the strip.
    const auto labelled = [](const std::vector<uint32_t>& pixels) {
        return std::count(pixels.begin() + 25 * 320 + 2, pixels.begin() + 25 * 320 + 312,
                          0xFFFFFFu) > 0;
    };
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(GAUGETOOL::Run({"render", gauge, "-o", png, "--int", "sim/on=1", "--label",
                              "1=WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"},
                             out, err),
              0)
        << err.str();
    std::vector<uint32_t> pixels = read();
    EXPECT_EQ(pixels[117 * 320 + 312], 0x404040u);
    EXPECT_EQ(pixels[118 * 320 + 314], 0xFF0000u);
    EXPECT_EQ(pixels[117 * 320 + 311], 0u);
    EXPECT_TRUE(labelled(pixels));
    ASSERT_EQ(GAUGETOOL::Run({"render", "-o", png, gauge}, out, err), 0) << err.str();
    pixels = read();
    EXPECT_EQ(pixels[118 * 320 + 314], 0x404040u);
    EXPECT_FALSE(labelled(pixels));

    TEST::WriteFile(folder / "bad.xml", "<Gauge><Sound/></Gauge>");
    const std::vector<std::vector<std::string>> refused = {
        {"render", gauge},
        {"render", "-o", png},
        {"render", gauge, "-o"},
        {"render", gauge, "-o", png, "-o", png},
        {"render", gauge, "-o", png, "--label", "x=NAV"},
        {"render", gauge, "-o", png, "--label", "1"},
        {"render", gauge, "-o", png, "--label", "7=X"},
        {"render", gauge, "-o", png, "--label=0=X"},
        {"render", gauge, "-o", png, "--float", "sim/on"},
        {"render", gauge, gauge, "-o", png}};
    for (const auto& arguments : refused) {
        EXPECT_EQ(GAUGETOOL::Run(arguments, out, err), 2) << arguments.back();
    }
    err.str("");
    EXPECT_EQ(GAUGETOOL::Run({"render", (folder / "bad.xml").string(), "-o", png}, out, err), 1);
    EXPECT_NE(err.str().find("the root holds an element Sound"), std::string::npos) << err.str();
}

}  // namespace
