// Text between the tools' UTF-8 (command lines, output) and the plug-in's wide strings.
#pragma once

#include <string>

namespace XPL::TOOLS {

// UTF-8 of a wide text (pairs of surrogates, where wchar_t has 16 bits, make one character) and
// back (a byte that starts no valid sequence stands for itself).
std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);

}  // namespace XPL::TOOLS
