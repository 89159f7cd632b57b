#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "scenario.h"

namespace XPL::SIMTOOL {
namespace {

TEST(ScenarioTest, WordsQuotesAndEscapes) {
    struct Row {
        const char* line;
        std::vector<std::string> words;
    };
    const Row rows[] = {
        {"  attach\tlamp  \r", {"attach", "lamp"}},
        {R"(expect speak "two words")", {"expect", "speak", "two words"}},
        {R"(x "a\"b\\c\x41\x7e")", {"x", "a\"b\\cA~"}},
        // Any other backslash is itself: a Windows path reads as written.
        {R"(x "C:\data\x4" pdo=\Device\USBPDO-7)", {"x", "C:\\data\\x4", "pdo=\\Device\\USBPDO-7"}},
        {R"(x "")", {"x", ""}},
        {R"(x mid"quote)", {"x", "mid\"quote"}},
    };
    for (const Row& row : rows) {
        std::vector<Token> tokens;
        std::string message;
        ASSERT_TRUE(CScenarioParser::Tokenize(row.line, tokens, message)) << row.line << message;
        std::vector<std::string> words;
        for (const Token& token : tokens) {
            words.push_back(token.text);
        }
        EXPECT_EQ(words, row.words) << row.line;
    }
    for (const char* bad : {R"(x "open)", R"(x "a"b)", R"(x "a\")"}) {
        std::vector<Token> tokens;
        std::string message;
        EXPECT_FALSE(CScenarioParser::Tokenize(bad, tokens, message)) << bad;
    }
}

TEST(ScenarioTest, Numbers) {
    EXPECT_EQ(ParseInteger("0x1F"), 31);
    EXPECT_EQ(ParseInteger("-12"), -12);
    EXPECT_EQ(ParseInteger("010"), 10);
    for (const char* bad : {"", "0x", "1.5", "12a", "x1", "99999999999999999999"}) {
        EXPECT_FALSE(ParseInteger(bad)) << bad;
    }
    EXPECT_EQ(ParseReal("-0.125"), -0.125);
    EXPECT_EQ(ParseReal("0x10"), 16.0);
    for (const char* bad : {"nan", "inf", "0x1p3", "1,5"}) {
        EXPECT_FALSE(ParseReal(bad)) << bad;
    }
    EXPECT_EQ(ParseKeywords("0xFFFFFFFFFFFFFFFF"), ~uint64_t{0});
    EXPECT_FALSE(ParseKeywords("0x1FFFFFFFFFFFFFFFF"));
}

// Every command's words are checked before anything runs; a line is an error (2) or runs. The
// scenario files run every common form; these are the rarer ones and the refusals.
TEST(ScenarioTest, CommandsAreCheckedBeforeTheyRun) {
    std::vector<Command> commands;
    ScenarioError error;
    EXPECT_TRUE(CScenarioParser::Parse(R"(attach lamp "serial=LP 1" named
fault lamp feature off
float sim/a 1e-3
ints sim/a
frames 0
expect count cmd once 0
expect report lamp
expect trace 2 0x40 "Autopilot selector ALT"
expect pixel screen 319 239 00ff7F)",
                                       commands, error))
        << error.line << ": " << error.message;
    EXPECT_EQ(commands.size(), 9u);

    // One refused line a row.
    std::istringstream bad(R"(attach
attach joystick
attach lamp a b
fault lamp melt on
fault lamp open yes
int sim/a 1.5
float sim/a nan
frames -1
trace 256 1
on lamp 0
press lamp 1 2
expect nothing here
expect count cmd
expect feature lamp 0x10
expect trace x y z
expect led screen 9 on
expect line hotas 3 "X"
expect pixel screen 0 240 000000
expect pixel screen 0 0 GG0000
expect picture screen 0
save screen
teleport)");
    for (std::string line; std::getline(bad, line);) {
        EXPECT_FALSE(CScenarioParser::Parse(line, commands, error)) << line;
        EXPECT_EQ(error.line, 1) << line;
    }
}

TEST(ScenarioTest, CommentsBlankLinesAndLineNumbers) {
    std::vector<Command> commands;
    ScenarioError error;
    ASSERT_TRUE(
        CScenarioParser::Parse("# exit 0\n\n  # note\r\nstart\r\n\t\nframes 2\n", commands, error));
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].line, 4);
    EXPECT_EQ(commands[1].line, 6);
    EXPECT_FALSE(CScenarioParser::Parse("start\n\nframes x\n", commands, error));
    EXPECT_EQ(error.line, 3);
}

}  // namespace
}  // namespace XPL::SIMTOOL
