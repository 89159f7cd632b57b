// The command line every tool reads: options with values either way, "--", help anywhere, and
// the wording of usage errors.
#include <gtest/gtest.h>

#include "command_line.h"

namespace XPL::TEST {
namespace {

constexpr TOOLS::OptionSpec kOptions[] = {
    {"--data", "DIR"}, {"-o", "FILE"}, {"--label", "N=TEXT", true}, {"--quiet", ""}};

struct LineCase {
    std::vector<std::string> arguments;
    std::string read;  // "option=value" or "value" for an operand, joined by "|"; or the error
    bool help = false;
};

class CommandLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLineTest, ReadsOptionsAndOperandsInOrder) {
    const TOOLS::CommandLine line = TOOLS::ParseCommandLine(GetParam().arguments, kOptions);
    std::string read = line.error;
    for (const TOOLS::Argument& argument : line.arguments) {
        read.append(read.empty() ? "" : "|").append(argument.option);
        read.append(argument.IsOperand() ? "" : "=").append(argument.value);
    }
    EXPECT_EQ(line.help, GetParam().help);
    EXPECT_EQ(line.help ? std::string() : read, GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    ::testing::Values(
        LineCase{{"--data", "d", "x", "--quiet"}, "--data=d|x|--quiet="},
        LineCase{{"--data=a=b", "-o=f.png", "-o"}, "option -o is given more than once"},
        LineCase{{"-o", "f.png", "--label=1=A", "--label", "2=B"},
                 "-o=f.png|--label=1=A|--label=2=B"},
        LineCase{{"-", "--", "--data", "-h", "--"}, "-|--data|-h|--"},
        LineCase{{"x", "--help"}, "", true}, LineCase{{"--data", "-h"}, "", true},
        LineCase{{"--bogus", "-h", "--"}, "", true},
        LineCase{{"--data"}, "option --data needs a value (DIR)"},
        LineCase{{"--dta=x"}, "unknown option --dta"}, LineCase{{"-x"}, "unknown option -x"},
        LineCase{{"--quiet=yes"}, "option --quiet takes no value"},
        LineCase{{"--data", "a", "--data=b"}, "option --data is given more than once"}));

TEST(ToolUsageTest, HelpGoesToOutputAndErrorsToTheErrorStreamWithTheUsage) {
    const TOOLS::CToolUsage usage("tool", "usage: tool [--data DIR]\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(usage.Help(out), 0);
    EXPECT_EQ(usage.Error(err, TOOLS::InvalidValue("--label", "7=X", "N is 1 to 6")), 2);
    EXPECT_EQ(out.str(), "usage: tool [--data DIR]\n");
    EXPECT_EQ(err.str(), "tool: invalid --label 7=X: N is 1 to 6\nusage: tool [--data DIR]\n");
}

}  // namespace
}  // namespace XPL::TEST
