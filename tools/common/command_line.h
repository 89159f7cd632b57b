// The tools' command lines, read one way by every tool (skydeck-check, -gauge, -sim, -studio):
//
//   --help or -h, anywhere before "--" (also where an option's value would be), asks for the
//       usage: it goes to standard output and the status is 0;
//   an option that takes a value takes it as "--name=value" or as the next argument
//       ("--data DIR", "-o FILE", "-o=FILE");
//   "--" ends the options: every argument after it is an operand, even one beginning with "-";
//   "-" alone is an operand (standard input, say);
//   any other argument beginning with "-" that the tool does not know is an unknown option.
//
// Usage errors go to standard error as "TOOL: MESSAGE" followed by the usage, with status 2. The
// messages of this parser, and the helpers below for what only the tool can judge, keep one
// wording across tools.
//
// How a tool uses it:
//
//   constexpr TOOLS::OptionSpec kOptions[] = {{"--data", "DIR"}, {"--label", "N=TEXT", true}};
//   const TOOLS::CToolUsage usage("skydeck-x", "usage: skydeck-x [--data DIR] FILE\n");
//   const TOOLS::CommandLine line = TOOLS::ParseCommandLine(arguments, kOptions);
//   if (const auto status = usage.Answered(line, out, err)) return *status;
//   for (const TOOLS::Argument& a : line.arguments) {
//       if (a.Is("--data")) ... a.value ...;
//       else if (a.IsOperand()) ... a.value ...;
//   }
//   if (no FILE) return usage.Error(err, TOOLS::MissingArgument("FILE"));
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace XPL::TOOLS {

inline constexpr int kHelpStatus = 0;
inline constexpr int kUsageStatus = 2;

struct OptionSpec {
    std::string_view name;   // as written: "--data", or a short "-o"
    std::string_view value;  // what the value is called in messages ("DIR"); empty: a flag
    bool repeats = false;    // may be given more than once (each one is kept, in order)
};

// An option with its value, or an operand, in the order given.
struct Argument {
    std::string_view option;  // the OptionSpec's name; empty for an operand
    std::string value;        // the option's value ("" for a flag), or the operand
    bool Is(std::string_view name) const { return option == name; }
    bool IsOperand() const { return option.empty(); }
};

struct CommandLine {
    bool help = false;
    std::string error;                // the first usage error; empty when there is none
    std::vector<Argument> arguments;  // empty after help or an error
    // The operands alone, in order.
    std::vector<std::string> Operands() const;
};

// Reads arguments (UTF-8, after the program's name) against the options a tool takes. Help wins
// over any error; otherwise the first error stops the reading.
CommandLine ParseCommandLine(std::span<const std::string> arguments,
                             std::span<const OptionSpec> options);

// The messages only a tool can tell, in the parser's wording.
std::string UnexpectedArgument(std::string_view argument);  // "unexpected argument X"
std::string MissingArgument(std::string_view what);         // "missing WHAT"
// "invalid OPTION VALUE: REASON"
std::string InvalidValue(std::string_view option, std::string_view value, std::string_view reason);

// A tool's name and usage text (lines ending in "\n"), and the two ways a tool ends over its
// command line.
class CToolUsage {
public:
    CToolUsage(std::string_view program, std::string_view usage)
        : program_(program), usage_(usage) {}
    // Writes the usage to out; returns kHelpStatus.
    int Help(std::ostream& out) const;
    // Writes "PROGRAM: MESSAGE" and the usage to err; returns kUsageStatus.
    int Error(std::ostream& err, std::string_view message) const;
    // The status to end with when line asks for help (Help) or is wrong (Error); nothing when the
    // tool goes on.
    std::optional<int> Answered(const CommandLine& line, std::ostream& out,
                                std::ostream& err) const;

private:
    std::string_view program_;
    std::string_view usage_;
};

}  // namespace XPL::TOOLS
