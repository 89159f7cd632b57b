// Free operations shared by several subsystems: enumerating the present interfaces of a device
// interface class, lower-casing, the digit-display texts, the profile folder, and turning users'
// Windows-style paths into paths every platform opens.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/hid.h"
#include "platform/xml.h"

namespace XPL::UTILITY {

// Called once per present interface with its lower-cased path and physical device object name
// (empty when the device has none); returns true to go on, false to stop the enumeration.
using EnumDeviceInterfaceProc = bool (*)(const PLATFORM::Guid& interfaceClass,
                                         const std::wstring& devicePath,
                                         const std::wstring& physicalName, void* context,
                                         const wchar_t* filterPath);

// Calls callback for each present interface of interfaceClass in the OS's order, handing
// context and filterPath through untouched (filterPath may be null). An interface whose path
// record has size 0 is skipped. Returns false, with a level-1 message, when the class cannot be
// listed or a path record cannot be read; interfaces already handed to the callback stay
// handled. Returns true otherwise, also when the callback stopped the enumeration.
bool EnumDeviceInterface(const PLATFORM::Guid& interfaceClass, EnumDeviceInterfaceProc callback,
                         void* context, const wchar_t* filterPath);

// A copy in which 'A' to 'Z' become 'a' to 'z' and every other character stays, whatever locale
// the host process has set.
std::wstring ConvertStringToLower(std::wstring_view text);
std::string ConvertStringToLower(std::string_view text);

// The text of a digit display or stick line, at most 6 characters; byte 0x7F marks a dark digit.
//   0 "%d"                      4 "%05d", first character dark
//   1 "%5d"                     5 "%04d"
//   2 "%05d", first two dark    6 value / 100.0f as "%.2f"
//   3 "%03d"                    7 value / 10.0f as "%06.1f"
// Formats 0 to 5 keep the first 5 characters of a longer text, 6 and 7 the first 6; a format
// above 7 gives "". Runs every frame: the result always fits the string's inline buffer.
std::string ConvertIntValueToString(int32_t value, uint32_t format);

// Makes the parser's instance, with a level-1 message under keyword when it cannot be made.
bool CreateXmlDocument(PLATFORM::CXmlDocument& document, int keyword);
// Makes the parser's instance and loads a user's file into it; a file that does not load gets a
// level-1 message naming it and the parser's own text at level 3, under keyword.
bool LoadXmlFile(PLATFORM::CXmlDocument& document, const std::wstring& path, int keyword);

// The public documents folder plus "\Trellis Profiles" (no trailing backslash); "" with a
// level-1 message when the public documents folder cannot be found.
std::wstring GetProfileFolder();

// A path that opens the file a user or the simulator named the Windows way: every backslash
// becomes '/', which Windows accepts as a separator as well, so "C:\X-Plane\a.acf" opens on
// Windows and "/home/x\a.acf" opens "/home/x/a.acf" elsewhere. A narrow text is taken in the
// platform's narrow file-name encoding (the ANSI code page on Windows, as the simulator's
// legacy paths are written), a wide one in full (as UTF-8 where file names are narrow). Touches
// no file and never throws.
std::filesystem::path MakeFilePath(std::string_view path);
std::filesystem::path MakeFilePath(std::wstring_view path);

// UTF-8 of a wide text (PLATFORM::AppendUtf8) and back: pairs of surrogates where wchar_t has
// 16 bits; a byte that starts no valid sequence stands for itself.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
// A path as wide text, whole: the native text on Windows, its UTF-8 elsewhere. Never throws.
std::wstring WideOfPath(const std::filesystem::path& path);

// A simulator float as a whole number, truncated toward zero. A value an int cannot hold would
// make the plain cast undefined: NaN gives 0, the rest the nearest end of the range.
int32_t TruncateToInt(float value);

}  // namespace XPL::UTILITY
