// skydeck-studio: the local editor of the plug-in's files. It serves one page on the loopback
// address to the browser it opens (the address carries this run's secret), and runs until
// Ctrl+C or until the page ends it.
//   skydeck-studio [--data DIR] [--profile DIR] [--port N] [--no-browser]
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace XPL::STUDIO {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kBadUsage = 2;

// Runs the tool with argv[1..] (UTF-8); builtInData is the data folder a development build falls
// back to. The address to out, messages to err; returns the exit status.
int Run(const std::vector<std::string>& arguments, const std::filesystem::path& builtInData,
        std::ostream& out, std::ostream& err);

}  // namespace XPL::STUDIO
