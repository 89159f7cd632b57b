// Where the tools find the plug-in's data folder when they are not told: beside their own
// "tools" folder, as the module finds it beside "64" (XVarlenSkydeck\tools\skydeck-sim.exe uses
// XVarlenSkydeck\data\).
#pragma once

#include <filesystem>

namespace XPL::TOOLS {

// The data folder beside the running program's folder when it exists; otherwise builtIn (a
// development build's own data folder) when given, else that missing folder all the same, so
// the caller reports it.
std::filesystem::path DefaultDataFolder(const std::filesystem::path& builtIn);

}  // namespace XPL::TOOLS
