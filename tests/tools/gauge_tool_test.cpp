// skydeck-gauge as gauge authors call it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../gauge/bmp_file.h"
#include "gauge_tool.h"

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
        EvalCase{{"eval", "1", "2"}, 2, ""}, EvalCase{{"eval", "--float", "sim/a=x", "1"}, 2, ""},
        EvalCase{{"eval", "--ints", "sim/a=1,,2", "1"}, 2, ""},
        EvalCase{{"eval", "--int", "sim/a=1.5", "1"}, 2, ""}, EvalCase{{"eval", "--float"}, 2, ""},
        EvalCase{{"eval", "--double", "a=1", "1"}, 2, ""}, EvalCase{{"draw", "x.xml"}, 2, ""}));

TEST(GaugeToolShowTest, TellsWhatTheGaugeFileSaysAndWhetherItIsUsable) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "xvs-gauge-tool";
    fs::remove_all(folder);
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
    fs::remove_all(folder);
}

}  // namespace
