// Seam: what a tool program needs from its OS: its own file (to find the folders beside it), its
// arguments and its console as UTF-8 text, and the user's web browser. Each OS has its own small
// backend, used by the tools whatever other backends they link.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace XPL::PLATFORM {

// The running program's file as an absolute path; empty when the OS does not tell.
std::filesystem::path GetProgramFilePath();

// Asks the desktop to open address (an http URL) in the user's default browser, without waiting
// for it. False when no browser could be started.
bool OpenInBrowser(const std::string& address);

// The program's arguments after its own name, as UTF-8 whatever the system's code page: Windows
// hands the narrow argv over in its ANSI code page, so the wide command line is read instead;
// elsewhere argv is UTF-8 already and taken as it is.
std::vector<std::string> GetProgramArguments(int argc, char** argv);

// Makes std::cout and std::cerr take UTF-8 text. A Windows console shows it as written whatever
// its code page (the text reaches it as wide characters); files and pipes, and every stream
// elsewhere, get the UTF-8 bytes. Call once before writing; write through std::cout and
// std::cerr only (not stdio) from then on.
void UseUtf8Console();

}  // namespace XPL::PLATFORM
