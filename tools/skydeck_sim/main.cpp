// skydeck-sim: the virtual cockpit. Runs a scenario file (or standard input, or the built-in
// demo) against the real plug-in entry points over the virtual simulator and device bus.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "cockpit.h"
#include "demo.h"
#include "scenario.h"
#include "tool_folders.h"

using namespace XPL::SIMTOOL;

namespace {

constexpr char kUsage[] =
    "usage: skydeck-sim [--data DIR] [--profile DIR] [--trace LEVEL,KEYWORDS] [--quiet] "
    "[SCENARIO | -]\n";

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

}  // namespace

int main(int argc, char** argv) {
    CockpitOptions options;
    options.dataFolder = XPL::TOOLS::DefaultDataFolder(XVS_DEFAULT_DATA_DIR);
    std::string scenario;
    bool haveScenario = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--data" && hasValue) {
            options.dataFolder = argv[++i];
        } else if (arg == "--profile" && hasValue) {
            options.profileFolder = argv[++i];
        } else if (arg == "--trace" && hasValue) {
            if (!ParseTrace(argv[++i], options)) {
                std::fprintf(stderr, "skydeck-sim: --trace wants LEVEL,KEYWORDS\n%s", kUsage);
                return kScenarioError;
            }
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kPassed;
        } else if (!haveScenario && (arg == "-" || arg.rfind("--", 0) != 0)) {
            scenario = arg;
            haveScenario = true;
        } else {
            std::fprintf(stderr, "skydeck-sim: unexpected argument %s\n%s", arg.c_str(), kUsage);
            return kScenarioError;
        }
    }

    if (!haveScenario) {
        // The demo prints its own views instead of the journal.
        options.quiet = true;
        CCockpit cockpit(options);
        std::string message;
        if (!cockpit.Setup(message)) {
            std::fprintf(stderr, "skydeck-sim: %s\n", message.c_str());
            return kScenarioError;
        }
        const int status =
            CDemo(cockpit, std::cout, std::filesystem::temp_directory_path() / "skydeck-demo")
                .Play();
        cockpit.Finish();
        return status;
    }

    std::string text;
    std::string fileName;
    std::filesystem::path baseFolder = std::filesystem::current_path();
    if (scenario == "-") {
        fileName = "-";
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(scenario, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s:0: cannot read the scenario file\n", scenario.c_str());
            return kScenarioError;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        fileName = scenario;
        baseFolder = std::filesystem::absolute(scenario).parent_path();
    }

    std::vector<Command> commands;
    ScenarioError error;
    if (!CScenarioParser::Parse(text, commands, error)) {
        std::fprintf(stderr, "%s:%d: %s\n", fileName.c_str(), error.line, error.message.c_str());
        return kScenarioError;
    }
    CCockpit cockpit(options);
    std::string message;
    if (!cockpit.Setup(message)) {
        std::fprintf(stderr, "skydeck-sim: %s\n", message.c_str());
        return kScenarioError;
    }
    const int status = cockpit.Run(commands, fileName, baseFolder);
    cockpit.Finish();
    return status;
}
