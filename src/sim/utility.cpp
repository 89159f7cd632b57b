#include "sim/utility.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <type_traits>

#include "platform/folders.h"
#include "platform/utf8.h"
#include "trace/trace.h"

namespace XPL::UTILITY {

namespace {

// Lower-cases 'A' to 'Z' only: the simulator may have changed the C locale, and device paths
// and file names must compare alike whatever it is.
template <class Char>
std::basic_string<Char> LowerAscii(std::basic_string_view<Char> text) {
    std::basic_string<Char> lower(text);
    for (Char& c : lower) {
        if (c >= Char('A') && c <= Char('Z')) {
            c = static_cast<Char>(c - Char('A') + Char('a'));
        }
    }
    return lower;
}

template <class Char>
std::filesystem::path SlashPath(std::basic_string_view<Char> path) {
    std::basic_string<Char> text(path);
    for (Char& c : text) {
        if (c == Char('\\')) {
            c = Char('/');
        }
    }
    return std::filesystem::path(text);
}

// The first `room` characters of printf's "%0*.*f" with this width and count of decimals, of
// value / 10^decimals divided in single precision, written with integer digits. The quotient
// stays a float because it decides the text of large values: 999999999 hundredths show as
// "100000", the float being 10000000. The float's exact value times 10^decimals is a double
// without rounding (24 and at most 7 significant bits), rounded here to a whole number with ties
// to even, as printf rounds. A width of 0 pads nothing.
void WriteFixedPoint(char* text, size_t room, int32_t value, int decimals, size_t width) {
    static constexpr int32_t kScale[] = {1, 10, 100};
    const int32_t scale = kScale[decimals];
    const float quotient = static_cast<float>(value) / static_cast<float>(scale);
    const double scaled = std::fabs(static_cast<double>(quotient)) * scale;
    const double whole = std::floor(scaled);
    uint64_t rest = static_cast<uint64_t>(whole);
    const double fraction = scaled - whole;
    if (fraction > 0.5 || (fraction == 0.5 && (rest & 1) != 0)) {
        ++rest;
    }

    // Backwards: the decimals, the point, the whole part (at most 10 digits).
    char body[16];
    size_t length = 0;
    for (int i = 0; i < decimals; ++i) {
        body[length++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    body[length++] = '.';
    do {
        body[length++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);

    size_t out = 0;
    const auto put = [&](char c) {
        if (out < room) {
            text[out++] = c;
        }
    };
    const bool negative = value < 0;
    if (negative) {
        put('-');
    }
    for (size_t used = length + (negative ? 1 : 0); used < width; ++used) {
        put('0');
    }
    while (length > 0) {
        put(body[--length]);
    }
}

}  // namespace

bool EnumDeviceInterface(const PLATFORM::Guid& interfaceClass, EnumDeviceInterfaceProc callback,
                         void* context, const wchar_t* filterPath) {
    CTraceScope scope(TRACEKW::kUtility, "XPL::UTILITY::EnumDeviceInterface");

    const PLATFORM::InterfaceList list = PLATFORM::ListInterfaces(interfaceClass);
    if (list.classError != 0) {
        TraceWrite(kTraceFailure, TRACEKW::kUtility, kTraceMessage,
                   L"Failed in calling SetupDiGetClassDevs due to %d",
                   static_cast<int32_t>(list.classError));
        return false;
    }

    for (const PLATFORM::InterfaceEntry& entry : list.entries) {
        TraceWrite(kTraceDetail, TRACEKW::kUtility, kTraceMessage,
                   L"The required byte size of the device path is %d",
                   static_cast<int32_t>(entry.requiredDetailBytes));
        if (entry.requiredDetailBytes == 0) {
            continue;
        }
        if (entry.detailError != 0) {
            TraceWrite(kTraceFailure, TRACEKW::kUtility, kTraceMessage,
                       L"Failed in calling SetupDiGetDeviceInterfaceDetail due to %d",
                       static_cast<int32_t>(entry.detailError));
            return false;
        }
        const std::wstring devicePath = ConvertStringToLower(entry.path);
        const std::wstring physicalName = ConvertStringToLower(entry.physicalName);
        if (!callback(interfaceClass, devicePath, physicalName, context, filterPath)) {
            break;
        }
    }
    return true;
}

std::wstring ConvertStringToLower(std::wstring_view text) {
    CTraceScope scope(TRACEKW::kUtility, "XPL::UTILITY::ConvertStringToLower");
    return LowerAscii(text);
}

std::string ConvertStringToLower(std::string_view text) {
    CTraceScope scope(TRACEKW::kUtility, "XPL::UTILITY::ConvertStringToLower");
    return LowerAscii(text);
}

std::string ConvertIntValueToString(int32_t value, uint32_t format) {
    CTraceScope scope(TRACEKW::kUtility, "XPL::UTILITY::ConvertIntValueToString");

    constexpr char kDark = 0x7F;
    // 6 characters at most and a terminator; snprintf's bound keeps the first characters.
    char text[7] = {};
    constexpr size_t kShort = 6;  // bound for 5 characters
    constexpr size_t kLong = 7;   // bound for 6 characters
    const int v = value;
    switch (format) {
        case 0:
            std::snprintf(text, kShort, "%d", v);
            break;
        case 1:
            std::snprintf(text, kShort, "%*d", 5, v);
            break;
        case 2:
            std::snprintf(text, kShort, "%0*d", 5, v);
            text[0] = kDark;
            text[1] = kDark;
            break;
        case 3:
            std::snprintf(text, kShort, "%0*d", 3, v);
            break;
        case 4:
            std::snprintf(text, kShort, "%0*d", 5, v);
            text[0] = kDark;
            break;
        case 5:
            std::snprintf(text, kShort, "%0*d", 4, v);
            break;
        case 6:
            WriteFixedPoint(text, kLong - 1, value, 2, 0);
            break;
        case 7:
            WriteFixedPoint(text, kLong - 1, value, 1, 6);
            break;
        default:
            break;
    }
    return std::string(text);
}

bool CreateXmlDocument(PLATFORM::CXmlDocument& document, int keyword) {
    const PLATFORM::XmlStatus created = document.Create();
    if (!created) {
        TraceWrite(kTraceFailure, keyword, kTraceMessage,
                   L"Failed in creating the instance of MS XML parser 6.0 due to 0x%x",
                   created.code);
        return false;
    }
    return true;
}

bool LoadXmlFile(PLATFORM::CXmlDocument& document, const std::wstring& path, int keyword) {
    if (!CreateXmlDocument(document, keyword)) {
        return false;
    }
    const PLATFORM::XmlStatus loaded = document.LoadFile(path);
    if (!loaded) {
        TraceWrite(kTraceFailure, keyword, kTraceMessage, L"Failed in loading the XML file %s",
                   path);
        TraceWrite(kTraceDetail, keyword, kTraceMessage, L"The XML parser reports: %s",
                   loaded.message);
        return false;
    }
    return true;
}

std::wstring GetProfileFolder() {
    CTraceScope scope(TRACEKW::kUtility, "XPL::UTILITY::GetProfileFolder");

    std::wstring folder;
    uint32_t status = 0;
    if (!PLATFORM::GetPublicDocumentsFolder(folder, status)) {
        TraceWrite(kTraceFailure, TRACEKW::kUtility, kTraceMessage,
                   L"Failed in calling SHGetKnownFolderPath due to 0x%x", status);
        return std::wstring();
    }
    return folder + L"\\Trellis Profiles";
}

std::filesystem::path MakeFilePath(std::string_view path) {
    return SlashPath(path);
}

std::filesystem::path MakeFilePath(std::wstring_view path) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>) {
        return SlashPath(path);
    } else {
        // A narrow file system takes UTF-8 (a wide text would go through the C locale, which
        // refuses every character outside ASCII).
        std::string utf8;
        PLATFORM::AppendUtf8(utf8, path);
        return SlashPath(std::string_view(utf8));
    }
}

std::string ToUtf8(std::wstring_view text) {
    std::string narrow;
    PLATFORM::AppendUtf8(narrow, text);
    return narrow;
}

std::wstring FromUtf8(std::string_view text) {
    std::wstring wide;
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t extra = c >= 0xF8 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        bool valid = c < 0x80 || extra > 0;
        uint32_t value = extra > 0 ? c & (0x3Fu >> extra) : c;
        for (size_t k = 1; valid && k <= extra; ++k) {
            valid = i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            value = (value << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if (!valid) {
            wide += static_cast<wchar_t>(c);
            ++i;
            continue;
        }
        if (sizeof(wchar_t) == 2 && value >= 0x10000) {
            value -= 0x10000;
            wide += static_cast<wchar_t>(0xD800 + (value >> 10));
            wide += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(value);
        }
        i += extra + 1;
    }
    return wide;
}

namespace {

// Only the one of the platform's native path strings is made.
template <class Char>
std::wstring WideOfNative(const std::basic_string<Char>& native) {
    if constexpr (std::is_same_v<Char, wchar_t>) {
        return native;
    } else {
        return FromUtf8(native);
    }
}

}  // namespace

std::wstring WideOfPath(const std::filesystem::path& path) {
    return WideOfNative(path.native());
}

int32_t TruncateToInt(float value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0f) {
        return INT32_MAX;
    }
    if (value <= -2147483648.0f) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

}  // namespace XPL::UTILITY
