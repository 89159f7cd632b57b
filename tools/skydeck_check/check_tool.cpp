#include "check_tool.h"

#include <system_error>

#include "command_line.h"
#include "configuration_check.h"
#include "findings.h"
#include "lens_check.h"
#include "panels/lamp_panel.h"
#include "profile_check.h"
#include "sim/utility.h"
#include "tool_folders.h"
#include "tool_text.h"

namespace XPL::CHECKTOOL {

namespace {

constexpr char kUsage[] = "usage: skydeck-check [--data DIR] [--profile DIR] [--aircraft FILE]\n";
constexpr TOOLS::OptionSpec kOptions[] = {
    {"--data", "DIR"}, {"--profile", "DIR"}, {"--aircraft", "FILE"}};

bool IsFolder(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_directory(folder, error);
}

bool IsFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

// conditions: those of the aircraft profiles, which the lens file may program.
void CheckProfile(const CheckOptions& options, CFindings& findings,
                  const std::vector<std::wstring>& conditions) {
    const std::filesystem::path& folder = options.profileFolder;
    if (!IsFolder(folder)) {
        if (options.profileNamed) {
            findings.Error(TOOLS::ShownPath(folder), 0, L"the profile folder does not exist");
        }
        return;
    }
    const std::filesystem::path file = folder / CLampPanel::kProgrammingFileName;
    if (!IsFile(file)) {
        if (options.profileNamed) {
            findings.Error(TOOLS::ShownPath(file), 0,
                           L"the lens programming file does not exist, so every lens of a lamp "
                           L"panel stays dark");
        }
        return;
    }
    CLensCheck(findings).Check(file, TOOLS::ShownPath(file), conditions);
}

}  // namespace

int Check(const CheckOptions& options, std::ostream& out) {
    CFindings findings;
    std::vector<std::wstring> conditions;
    if (!IsFolder(options.dataFolder)) {
        findings.Error(TOOLS::ShownPath(options.dataFolder), 0, L"the data folder does not exist");
    } else if (!options.aircraft.empty()) {
        CConfigurationCheck configuration(findings);
        if (!IsFile(options.aircraft)) {
            findings.Error(TOOLS::ShownPath(options.aircraft), 0,
                           L"the aircraft file does not exist");
        } else {
            CProfileCheck(findings, configuration)
                .DescribeAircraft(options.aircraft, options.dataFolder);
        }
        findings.Print(out);
        return findings.Errors() != 0 ? kErrors : kClean;
    } else {
        CConfigurationCheck configuration(findings);
        configuration.Check(options.dataFolder);
        CProfileCheck profiles(findings, configuration);
        profiles.CheckFolder(options.dataFolder);
        conditions = profiles.ConditionNames();
        configuration.CheckMemory(options.dataFolder);
    }
    CheckProfile(options, findings, conditions);
    findings.Print(out);
    return findings.Errors() != 0 ? kErrors : kClean;
}

int Run(const std::vector<std::string>& arguments, const std::filesystem::path& builtInData,
        std::ostream& out, std::ostream& err) {
    const TOOLS::CToolUsage usage("skydeck-check", kUsage);
    const TOOLS::CommandLine line = TOOLS::ParseCommandLine(arguments, kOptions);
    if (const auto status = usage.Answered(line, out, err)) {
        return *status;
    }
    CheckOptions options;
    bool dataNamed = false;
    for (const TOOLS::Argument& argument : line.arguments) {
        if (argument.Is("--data")) {
            options.dataFolder = TOOLS::PathOfUtf8(argument.value);
            dataNamed = true;
        } else if (argument.Is("--profile")) {
            options.profileFolder = TOOLS::PathOfUtf8(argument.value);
            options.profileNamed = true;
        } else if (argument.Is("--aircraft")) {
            options.aircraft = TOOLS::PathOfUtf8(argument.value);
        } else {
            return usage.Error(err, TOOLS::UnexpectedArgument(argument.value));
        }
    }
    if (!dataNamed) {
        options.dataFolder = TOOLS::DefaultDataFolder(builtInData);
    }
    if (!options.profileNamed) {
        options.profileFolder = UTILITY::MakeFilePath(UTILITY::GetProfileFolder());
    }
    return Check(options, out);
}

}  // namespace XPL::CHECKTOOL
