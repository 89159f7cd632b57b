// The configuration check on gauge files: scripts as the evaluator reads them, and the file as the
// loader reads it, each kind of finding from a gauge of its own, with the line it names.
#include <gtest/gtest.h>

#include "check_support.h"
#include "gauge_check.h"

namespace XPL::TEST {
namespace {

class GaugeCheckTest : public CheckFolderTest {
protected:
    void SetUp() override {
        CheckFolderTest::SetUp();
        Bitmap("1024/Face.bmp", 240, 240);
        Bitmap("1024/Needle.bmp", 8, 100);
        Bitmap("Face.bmp", 240, 240);
        Write("1024/Text.bmp", "not a bitmap");
    }
    std::vector<std::string> Check(const std::string& gauge, bool* usable = nullptr) {
        Write("gauge.xml", gauge);
        CHECKTOOL::CFindings findings;
        const auto result =
            CHECKTOOL::CGaugeCheck(findings).Check(folder_.wstring() + L"\\gauge.xml", "gauge");
        if (usable != nullptr) {
            *usable = result.usable;
        }
        return Lines(findings);
    }
};

struct ScriptCase {
    const char* name;
    const char* script;                 // as the file writes it
    std::vector<std::string> findings;  // the script starts on line 3
};

class CheckScriptTest : public GaugeCheckTest, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(CheckScriptTest, ReportsWhatTheEvaluatorSkipsOrMisreads) {
    const std::string gauge = std::string("<Gauge Name=\"G\">\n") +
                              "<Image Name=\"Face.bmp\" ImageSizes=\"240,240,240,240\"/>\n" +
                              "<Element><Visible>" + GetParam().script + "</Visible></Element>\n" +
                              "</Gauge>\n";
    ExpectFindings(Check(gauge), GetParam().findings);
}

const std::string kIn = "3: error: the visibility script: ";
const std::string kWarn = "3: warning: the visibility script: ";

// Each finding by the start of its text.
INSTANTIATE_TEST_SUITE_P(
    Scripts, CheckScriptTest,
    ::testing::Values(
        ScriptCase{"Clean", "(A:sim/volts,volts) 10 &amp;gt; if{ 1 } els{ 0 }", {}},
        ScriptCase{
            "Fraction", "0.5", {kIn + "\"0.5\" is skipped: numbers are whole: write 5 10 /"}},
        ScriptCase{
            "Negative", "-30", {kIn + "\"-30\" is skipped: numbers have no sign: write 0 30"}},
        ScriptCase{
            "BareComparison", "1 &gt; 0", {kIn + "\">\" is skipped: comparisons are written"}},
        ScriptCase{"WordInOtherCase",
                   "1 2 MIN",
                   {kIn + "\"MIN\" is skipped: the evaluator knows no"
                          " such word; did you mean \"min\"?"}},
        ScriptCase{
            "UnknownWord", "1 foo", {kIn + "\"foo\" is skipped: the evaluator knows no such"}},
        // The second word of a line break is on the next line.
        ScriptCase{"LineBreak",
                   "1\n2 +",
                   {kIn + "\"1\\n2\" is skipped: only a single space separates",
                    "4: error: the visibility script: \"+\" needs 2 values but never has any"}},
        ScriptCase{"OperandsNeverThere",
                   "1 + if{ 2 }",
                   {kIn + "\"+\" needs 2 values but never has more than 1"}},
        ScriptCase{
            "BlockOnEmptyStack", "if{ 2 } 1", {kIn + "\"if{ 2 }\" needs a value but never has"}},
        ScriptCase{"OperandsOnlySometimes", "1 if{ 2 } els{ 3 } +", {}},
        ScriptCase{"BlockChecksItsOwnStack",
                   "1 if{ + }",
                   {kIn + "\"+\" needs 2 values but never has any"}},
        ScriptCase{"UnbalancedParentheses",
                   "(A:sim/volts,volts 10 +",
                   {kIn + "unbalanced parentheses (1"}},
        ScriptCase{
            "UnbalancedBraces", "1 if{ 2 3 +", {kIn + "unbalanced braces (1 \"{\", 0 \"}\")"}},
        ScriptCase{"IgnoredLetter",
                   "(L:sim/volts,volts)",
                   {kIn + "\"(L:sim/volts,volts)\" always reads 0"}},
        ScriptCase{"WriteNobodyReads",
                   "1 (&amp;gt;A:sim/x,bool)",
                   {kWarn + "\"(&gt;A:sim/x,bool)\" writes a"
                            " variable that no script of the"}},
        ScriptCase{"WriteThenRead", "1 (&amp;gt;A:sim/x,bool) (A:sim/x,bool) +", {}},
        ScriptCase{"ElseWithoutIf", "els{ 1 }", {kWarn + "\"els{\" has no \"if{\" before it"}},
        ScriptCase{"DoubleSpace", "1  2 +", {kWarn + "a leading space or two spaces in a row"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct GaugeCase {
    const char* name;
    const char* file;
    bool usable;
    std::vector<std::string> findings;
};

class CheckGaugeFileTest : public GaugeCheckTest,
                           public ::testing::WithParamInterface<GaugeCase> {};

TEST_P(CheckGaugeFileTest, ReportsWhatTheLoaderRefusesOrMisplaces) {
    bool usable = false;
    ExpectFindings(Check(GetParam().file, &usable), GetParam().findings);
    EXPECT_EQ(usable, GetParam().usable);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CheckGaugeFileTest,
    ::testing::Values(
        GaugeCase{"ElseSeesTheIfOfAnEarlierScript",
                  R"(<Gauge Name="G">
<Image Name="Face.bmp" ImageSizes="240,240,240,240"/>
<Element><Visible>1 if{ 1 }</Visible><Image Name="Needle.bmp"/>
<Rotate><Value>els{ 2 }</Value></Rotate></Element>
</Gauge>)",
                  true,
                  {}},
        GaugeCase{"NotXml",
                  "<Gauge Name=\"G\">\n<Element>\n</Gauge>\n",
                  false,
                  {"3: error: the file does not read as XML, so the plug-in skips the gauge"}},
        GaugeCase{"WrongRoot",
                  "<Gauges/>",
                  false,
                  {"1: error: the plug-in skips this gauge: the root element Gauges is neither "
                   "Gauge nor SimBase.Document"}},
        GaugeCase{"UnknownRootChild",
                  R"(<Gauge Name="G">
<Image Name="Face.bmp" ImageSizes="240,240,240,240"/>
<Sound Name="click.wav"/>
</Gauge>)",
                  false,
                  {"3: error: the plug-in skips this gauge: the root holds an element Sound "
                   "(only Image, Element and Mouse belong there)"}},
        GaugeCase{"MissingBitmap",
                  R"(<Gauge Name="G">
<Image Name="Face.bmp" ImageSizes="240,240,240,240"/>
<Element><Image Name="Gone.bmp"/></Element>
</Gauge>)",
                  true,
                  {"3: error: a bitmap does not load, so it is not drawn: "}},
        GaugeCase{"NoImageSizes",
                  R"(<Gauge Name="G">
<Image Name="Face.bmp"/>
</Gauge>)",
                  true,
                  {"2: error: the background Image has no ImageSizes, so the target size is 0 x "
                   "0, which places the gauge at x 320: off the screen"}},
        GaugeCase{"MalformedImageSizes",
                  R"(<Gauge Name="G">
<Image Name="Face.bmp" ImageSizes="240,240"/>
</Gauge>)",
                  true,
                  {"2: error: ImageSizes \"240,240\" is not design width, design height, target "
                   "width, target height: it reads as target size 240 x 240"}},
        GaugeCase{"OffTheScreen",
                  R"(<Gauge Name="G">
<Image Name="Face.bmp" ImageSizes="240,240,400,240"/>
</Gauge>)",
                  true,
                  {"2: error: the target size 400 x 240 places the gauge's 240 x 240 picture at "
                   "(-80, 0), not within the 320 x 240 screen"}},
        GaugeCase{"NonlinearityOutOfOrder",
                  R"(<Gauge Name="G">
<Image Name="Face.bmp" ImageSizes="240,240,240,240"/>
<Element><Image Name="Needle.bmp"/><Rotate><Value>1</Value><Nonlinearity>
<Item Value="0" Degrees="0"/><Item Value="100" Degrees="90"/>
<Item Value="50" Degrees="45"/>
</Nonlinearity></Rotate></Element>
<Element><Image Name="Needle.bmp"/><Shift><Value>1</Value><Nonlinearity>
<Item Value="10" X="0" Y="0"/><Item Value="10" X="5" Y="0"/>
</Nonlinearity></Shift></Element>
</Gauge>)",
                  true,
                  {"5: error: the Nonlinearity items are not in ascending order of Value (50 "
                   "follows 100)",
                   "8: error: two Nonlinearity items have the Value 10"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace XPL::TEST
