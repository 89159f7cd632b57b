// Seam: the file of the running program (not of a module it loaded), so a tool can find the
// folders beside it, and the user's web browser. Each OS has its own small backend, used by the
// tools whatever other backends they link.
#pragma once

#include <filesystem>
#include <string>

namespace XPL::PLATFORM {

// The running program's file as an absolute path; empty when the OS does not tell.
std::filesystem::path GetProgramFilePath();

// Asks the desktop to open address (an http URL) in the user's default browser, without waiting
// for it. False when no browser could be started.
bool OpenInBrowser(const std::string& address);

}  // namespace XPL::PLATFORM
