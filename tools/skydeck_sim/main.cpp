// skydeck-sim: the virtual cockpit. Runs a scenario file (or standard input, or the built-in
// demo) against the real plug-in entry points over the virtual simulator and device bus.
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

#include "cockpit.h"
#include "command_line.h"
#include "demo.h"
#include "platform/program.h"
#include "scenario.h"
#include "tool_folders.h"
#include "tool_text.h"

using namespace XPL::SIMTOOL;
namespace TOOLS = XPL::TOOLS;

namespace {

constexpr char kUsage[] =
    "usage: skydeck-sim [--data DIR] [--profile DIR] [--trace LEVEL,KEYWORDS] [--quiet] "
    "[SCENARIO | -]\n";
constexpr TOOLS::OptionSpec kOptions[] = {
    {"--data", "DIR"}, {"--profile", "DIR"}, {"--trace", "LEVEL,KEYWORDS"}, {"--quiet", ""}};

bool ParseTrace(const std::string& text, CockpitOptions& options) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) {
        return false;
    }
    const auto level = ParseInteger(text.substr(0, comma));
    const auto keywords = ParseKeywords(text.substr(comma + 1));
    if (!level || *level < 0 || *level > 255 || !keywords) {
        return false;
    }
    options.trace = true;
    options.traceLevel = static_cast<uint8_t>(*level);
    options.traceKeywords = static_cast<uint64_t>(*keywords);
    return true;
}

int PlayDemo(CockpitOptions options) {
    // The demo prints its own views instead of the journal.
    options.quiet = true;
    CCockpit cockpit(options);
    std::string message;
    if (!cockpit.Setup(message)) {
        std::cerr << "skydeck-sim: " << message << "\n";
        return kScenarioError;
    }
    std::error_code error;
    const int status =
        CDemo(cockpit, std::cout, std::filesystem::temp_directory_path(error) / "skydeck-demo")
            .Play();
    cockpit.Finish();
    return status;
}

int RunScenario(const CockpitOptions& options, const std::string& scenario) {
    std::string text;
    std::string fileName = scenario;
    std::error_code ignored;
    std::filesystem::path baseFolder = std::filesystem::current_path(ignored);
    if (scenario == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        const std::filesystem::path file = TOOLS::PathOfUtf8(scenario);
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << scenario << ":0: cannot read the scenario file\n";
            return kScenarioError;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        baseFolder = std::filesystem::absolute(file, ignored).parent_path();
    }

    std::vector<Command> commands;
    ScenarioError error;
    if (!CScenarioParser::Parse(text, commands, error)) {
        std::cerr << fileName << ":" << error.line << ": " << error.message << "\n";
        return kScenarioError;
    }
    CCockpit cockpit(options);
    std::string message;
    if (!cockpit.Setup(message)) {
        std::cerr << "skydeck-sim: " << message << "\n";
        return kScenarioError;
    }
    const int status = cockpit.Run(commands, fileName, baseFolder);
    cockpit.Finish();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    XPL::PLATFORM::UseUtf8Console();
    const TOOLS::CToolUsage usage("skydeck-sim", kUsage);
    const TOOLS::CommandLine line =
        TOOLS::ParseCommandLine(XPL::PLATFORM::GetProgramArguments(argc, argv), kOptions);
    if (const auto status = usage.Answered(line, std::cout, std::cerr)) {
        return *status;
    }
    CockpitOptions options;
    options.dataFolder = TOOLS::DefaultDataFolder(XVS_DEFAULT_DATA_DIR);
    std::optional<std::string> scenario;
    for (const TOOLS::Argument& argument : line.arguments) {
        if (argument.Is("--data")) {
            options.dataFolder = TOOLS::PathOfUtf8(argument.value);
        } else if (argument.Is("--profile")) {
            options.profileFolder = TOOLS::PathOfUtf8(argument.value);
        } else if (argument.Is("--trace")) {
            if (!ParseTrace(argument.value, options)) {
                return usage.Error(std::cerr, TOOLS::InvalidValue("--trace", argument.value,
                                                                  "not LEVEL,KEYWORDS"));
            }
        } else if (argument.Is("--quiet")) {
            options.quiet = true;
        } else if (scenario) {
            return usage.Error(std::cerr, TOOLS::UnexpectedArgument(argument.value));
        } else {
            scenario = argument.value;
        }
    }
    return scenario ? RunScenario(options, *scenario) : PlayDemo(options);
}
