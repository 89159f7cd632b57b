// skydeck-check as users run it: options, the folders it reads by default, what a missing or
// unreadable file gives, the order of the findings and the summary.
#include <gtest/gtest.h>

#include <sstream>

#include "backends/virtual/virtual_platform.h"
#include "check_support.h"
#include "check_tool.h"

namespace XPL::TEST {
namespace {

class CheckToolTest : public CheckFolderTest {
protected:
    void TearDown() override {
        VIRTUAL::ResetPlatform();
        CheckFolderTest::TearDown();
    }
    int Run(const std::vector<std::string>& arguments) {
        out_.str("");
        err_.str("");
        return CHECKTOOL::Run(arguments, folder_ / "data", out_, err_);
    }
    // The output with the test's folder written as "F", and "/" for every separator.
    std::string Out() const {
        const auto slashes = [](std::string text) {
            for (char& c : text) {
                c = c == '\\' ? '/' : c;
            }
            return text;
        };
        const std::string out = slashes(out_.str());
        const std::string folder = slashes(folder_.string());
        std::string text;
        size_t from = 0;
        for (size_t at = out.find(folder); at != std::string::npos; at = out.find(folder, from)) {
            text.append(out, from, at - from).append(1, 'F');
            from = at + folder.size();
        }
        text.append(out, from);
        return text;
    }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(CheckToolTest, BadUsageIsRefusedWithTheUsage) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--data"}, {"--profile"}, {"--verbose"}, {"data"}}) {
        EXPECT_EQ(Run(arguments), CHECKTOOL::kBadUsage);
        EXPECT_NE(err_.str().find("usage: skydeck-check [--data DIR] [--profile DIR]"),
                  std::string::npos);
        EXPECT_EQ(out_.str(), "");
    }
    EXPECT_EQ(Run({"--profile", "p", "-h"}), CHECKTOOL::kClean);
    EXPECT_EQ(out_.str(), "usage: skydeck-check [--data DIR] [--profile DIR] [--aircraft FILE]\n");
}

TEST_F(CheckToolTest, FoldersThatDoNotExistAreErrors) {
    EXPECT_EQ(Run({"--data=" + Path("none"), "--profile", Path("nowhere")}), CHECKTOOL::kErrors);
    EXPECT_EQ(Out(),
              "F/none: error: the data folder does not exist\n"
              "F/nowhere: error: the profile folder does not exist\n"
              "2 errors, 0 warnings\n");
}

TEST_F(CheckToolTest, ANamedProfileFolderNeedsTheLensFileThePlugInsOwnDoesNot) {
    Write("data/XVarlenSkydeck.xml", "<GaugeList/>");
    std::filesystem::create_directories(folder_ / "profile");
    EXPECT_EQ(Run({"--profile", Path("profile")}), CHECKTOOL::kErrors);
    EXPECT_EQ(Out(),
              "F/profile/LampProgramming.xml: error: the lens programming file does not exist, so "
              "every lens of a lamp panel stays dark\n"
              "1 error, 0 warnings\n");

    // By default the profile folder is the plug-in's: checked only when it holds a lens file.
    VIRTUAL::SetPublicDocumentsFolder(folder_.wstring() + L"\\Public");
    EXPECT_EQ(Run({}), CHECKTOOL::kClean);
    EXPECT_EQ(Out(), "0 errors, 0 warnings\n");
    Write("Public/Trellis Profiles/LampProgramming.xml",
          "<Lamp><LampProgramming Id=\"S\">\n<Lense><Id>Up</Id><Colour>Red</Colour>"
          "<Assignment>1</Assignment></Lense></LampProgramming>\n<Lamp/></Lamp>");
    EXPECT_EQ(Run({}), CHECKTOOL::kClean);
    EXPECT_EQ(Out(),
              "F/Public/Trellis Profiles/LampProgramming.xml:1: note: programs the lamp panel "
              "with serial number \"S\": 1 lens\n"
              "0 errors, 0 warnings\n");
}

TEST_F(CheckToolTest, FindingsComeByFileInTheOrderReadThenByLine) {
    Write("data/XVarlenSkydeck.xml",
          "<GaugeList>\n<Gauge File=\"b.xml\"/>\n<Gauge/>\n<Gauge File=\"a.xml\"/>\n</GaugeList>");
    Write("data/b.xml", "<Gauge Name=\"B\">\n<Image Name=\"no.bmp\"/>\n<Tune/>\n</Gauge>");
    Write("data/XVarlenScreen.xml", "<ScreenList>\n<Screen>\n</ScreenList>");
    EXPECT_EQ(Run({"--data", Path("data")}), CHECKTOOL::kErrors);
    const std::string out = Out();
    const std::vector<std::string> expected = {
        "F/data/XVarlenSkydeck.xml:3: error: a Gauge without File",
        "F/data/XVarlenSkydeck.xml:4: error: the gauge file a.xml does not exist",
        "F/data/b.xml:2: error: a bitmap does not load",
        "F/data/b.xml:2: error: the background Image has no ImageSizes",
        "F/data/b.xml:3: error: the plug-in skips this gauge: the root holds an element Tune",
        "F/data/XVarlenScreen.xml:3: error: the file does not read as XML",
        "6 errors, 0 warnings",
    };
    std::istringstream lines(out);
    std::string line;
    for (const std::string& start : expected) {
        ASSERT_TRUE(std::getline(lines, line)) << out;
        EXPECT_EQ(line.substr(0, start.size()), start) << out;
    }
    EXPECT_FALSE(std::getline(lines, line)) << out;
}

TEST_F(CheckToolTest, TheDataFolderIsFoundWhereTheToolLooksByDefault) {
    std::filesystem::create_directories(folder_ / "data");
    EXPECT_EQ(Run({}), CHECKTOOL::kErrors);
    EXPECT_EQ(Out(),
              "F/data/XVarlenSkydeck.xml: error: the configuration file does not exist: a "
              "screen panel shows no gauge and a stick no page\n"
              "1 error, 0 warnings\n");
    Write("data/XVarlenSkydeck.xml", "<GaugeList>\n</Gauges>");
    EXPECT_EQ(Run({}), CHECKTOOL::kErrors);
    EXPECT_EQ(Out().substr(0, 59), "F/data/XVarlenSkydeck.xml:2: error: the file does not read ");
    Write("data/XVarlenSkydeck.xml", "<Gauges/>");
    EXPECT_EQ(Run({}), CHECKTOOL::kErrors);
    EXPECT_EQ(Out(),
              "F/data/XVarlenSkydeck.xml:1: error: the root element is Gauges: the plug-in reads "
              "gauges and pages from a GaugeList\n"
              "1 error, 0 warnings\n");
}

}  // namespace
}  // namespace XPL::TEST
