// Seam: where the module lives, where the user's shared documents are, and where the system keeps
// its fonts.
#pragma once

#include <cstdint>
#include <string>

namespace XPL::PLATFORM {

// Full path of the loaded module file (for example "...\XVarlenSkydeck\64\win.xpl").
std::wstring GetModuleFilePath();

// The public documents folder, without a trailing backslash. On failure returns false and
// stores the OS's result code in status.
bool GetPublicDocumentsFolder(std::wstring& folder, uint32_t& status);

// The system's fonts folder, without a trailing separator. On failure returns false and stores
// the OS's result code in status.
bool GetFontsFolder(std::wstring& folder, uint32_t& status);

}  // namespace XPL::PLATFORM
