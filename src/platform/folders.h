// Seam: where the module lives and where the user's shared documents are.
#pragma once

#include <cstdint>
#include <string>

namespace XPL::PLATFORM {

// Full path of the loaded module file (for example "...\XVarlenSkydeck\64\win.xpl").
std::wstring GetModuleFilePath();

// The public documents folder, without a trailing backslash. On failure returns false and
// stores the OS's result code in status.
bool GetPublicDocumentsFolder(std::wstring& folder, uint32_t& status);

}  // namespace XPL::PLATFORM
