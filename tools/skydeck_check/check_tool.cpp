#include "check_tool.h"

#include <system_error>

#include "configuration_check.h"
#include "findings.h"
#include "lens_check.h"
#include "panels/lamp_panel.h"
#include "profile_check.h"
#include "sim/utility.h"
#include "tool_folders.h"

namespace XPL::CHECKTOOL {

namespace {

constexpr char kUsage[] = "usage: skydeck-check [--data DIR] [--profile DIR] [--aircraft FILE]\n";

int BadUsage(std::ostream& err, const std::string& message) {
    err << "skydeck-check: " << message << "\n" << kUsage;
    return kBadUsage;
}

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
            findings.Error(folder.string(), 0, L"the profile folder does not exist");
        }
        return;
    }
    const std::filesystem::path file = folder / CLampPanel::kProgrammingFileName;
    if (!IsFile(file)) {
        if (options.profileNamed) {
            findings.Error(file.string(), 0,
                           L"the lens programming file does not exist, so every lens of a lamp "
                           L"panel stays dark");
        }
        return;
    }
    CLensCheck(findings).Check(file, file.string(), conditions);
}

}  // namespace

int Check(const CheckOptions& options, std::ostream& out) {
    CFindings findings;
    std::vector<std::wstring> conditions;
    if (!IsFolder(options.dataFolder)) {
        findings.Error(options.dataFolder.string(), 0, L"the data folder does not exist");
    } else if (!options.aircraft.empty()) {
        CConfigurationCheck configuration(findings);
        if (!IsFile(options.aircraft)) {
            findings.Error(options.aircraft.string(), 0, L"the aircraft file does not exist");
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
    CheckOptions options;
    bool dataNamed = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--aircraft" && hasValue) {
            options.aircraft = UTILITY::MakeFilePath(arguments[++i]);
        } else if ((argument == "--data" || argument == "--profile") && hasValue) {
            const std::filesystem::path folder = UTILITY::MakeFilePath(arguments[++i]);
            if (argument == "--data") {
                options.dataFolder = folder;
                dataNamed = true;
            } else {
                options.profileFolder = folder;
                options.profileNamed = true;
            }
        } else if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return kClean;
        } else if (argument == "--data" || argument == "--profile") {
            return BadUsage(err, argument + " wants a folder");
        } else if (argument == "--aircraft") {
            return BadUsage(err, "--aircraft wants an aircraft file");
        } else {
            return BadUsage(err, "unexpected argument " + argument);
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
