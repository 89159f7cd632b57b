// Seam: the file of the running program (not of a module it loaded), so a tool can find the
// folders beside it. Each OS has its own small backend, used by the tools whatever other
// backends they link.
#pragma once

#include <filesystem>

namespace XPL::PLATFORM {

// The running program's file as an absolute path; empty when the OS does not tell.
std::filesystem::path GetProgramFilePath();

}  // namespace XPL::PLATFORM
