// skydeck-check: reads the files the plug-in reads, through the plug-in's own readers and rules,
// and reports every place where the plug-in would ignore, skip or misread what the user most
// likely meant:
//   data folder     XVarlenSkydeck.xml (gauge list, buttons, stick pages, knobs) with every gauge
//                   file it lists and their bitmaps; every aircraft profile in aircraft/;
//                   XVarlenScreen.xml (the gauges panels remember)
//   profile folder  LampProgramming.xml (the lamp panel's lenses)
// With --aircraft FILE it tells which aircraft profile serves that aircraft file and what it
// changes, and checks that profile.
// One finding per line (CFindings), then "N errors, M warnings".
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace XPL::CHECKTOOL {

inline constexpr int kClean = 0;   // no error (warnings allowed)
inline constexpr int kErrors = 1;  // at least one error
inline constexpr int kBadUsage = 2;

struct CheckOptions {
    std::filesystem::path dataFolder;
    std::filesystem::path profileFolder;
    // A profile folder the user named must hold the lens file; the plug-in's own one (the
    // default) is checked only when it holds one: without a lamp panel there is none.
    bool profileNamed = false;
    // When not empty: describe the profile that serves this aircraft file.
    std::filesystem::path aircraft;
};

// Runs the tool with argv[1..] (UTF-8); builtInData is the data folder a development build falls
// back to (see DefaultDataFolder). Findings to out, usage messages to err; returns the status.
int Run(const std::vector<std::string>& arguments, const std::filesystem::path& builtInData,
        std::ostream& out, std::ostream& err);

// Checks the folders of options and prints the findings; returns kClean or kErrors.
int Check(const CheckOptions& options, std::ostream& out);

}  // namespace XPL::CHECKTOOL
