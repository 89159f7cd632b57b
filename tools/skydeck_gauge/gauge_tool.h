// skydeck-gauge: a tool for people who write gauges. "eval" runs one script against dataref
// values given on the command line, fetched the way a gauge fetches them every frame; "show"
// loads a gauge file as the plug-in would and prints what it understood; "render" draws it over
// given dataref values, with given button labels, into the picture the screen panel would be
// sent, saved as PNG.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace XPL::GAUGETOOL {

inline constexpr int kUsable = 0;
inline constexpr int kUnusable = 1;
inline constexpr int kBadArguments = 2;

// Runs the tool with argv[1..] (UTF-8); output to out, messages to err; returns the exit status.
int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace XPL::GAUGETOOL
