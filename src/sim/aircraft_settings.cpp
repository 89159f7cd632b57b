#include "sim/aircraft_settings.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "sim/utility.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {

AircraftSettings g_aircraftSettings{};

constexpr std::string_view kRpmGreenKey = "acf/_RSC_mingreen_ENGN";
constexpr std::string_view kOilGreenKey = "acf/_green_lo_oilP";
constexpr std::string_view kIcaoKey = "acf/_ICAO";
constexpr std::string_view kBlanks = " \t\r\n\v\f";

// The third blank-separated field of line as text, or "".
std::string_view ThirdField(std::string_view line) {
    size_t start = 0;
    for (int field = 0; field < 2; ++field) {
        start = line.find_first_not_of(kBlanks, start);
        start = start == std::string_view::npos ? start : line.find_first_of(kBlanks, start);
        if (start == std::string_view::npos) {
            return {};
        }
    }
    start = line.find_first_not_of(kBlanks, start);
    if (start == std::string_view::npos) {
        return {};
    }
    return line.substr(start, line.find_first_of(kBlanks, start) - start);
}

// The third blank-separated field of line as a float. False when the line has fewer fields or
// the field does not start with a number; the caller then keeps its value.
bool ReadThirdField(std::string_view line, float& value) {
    const std::string_view field = ThirdField(line);
    if (field.empty()) {
        return false;
    }
    const char* first = field.data();
    const char* last = field.data() + field.size();
    if (*first == '+') {
        ++first;  // from_chars takes no plus sign; the file's writer may
    }
    float parsed = 0.0f;
    // Locale-independent, unlike the stream and strtof, whose decimal point the host may change.
    const auto result = std::from_chars(first, last, parsed);
    if (result.ec != std::errc()) {
        return false;
    }
    value = parsed;
    return true;
}

}  // namespace

AircraftSettings& GetAircraftSettings() {
    return g_aircraftSettings;
}

AircraftIdentity XPLAcfLoadSettings() {
    CTraceScope scope(TRACEKW::kAircraft, "XPLAcfLoadSettings");

    AircraftSettings& settings = g_aircraftSettings;
    settings = AircraftSettings{};

    char fileName[256] = {};
    char path[512] = {};
    XPLMGetNthAircraftModel(0, fileName, path);
    // Bounded: a simulator that fills a buffer to its end leaves no terminator.
    const std::string nameText(fileName, strnlen(fileName, sizeof(fileName)));
    const std::string pathText(path, strnlen(path, sizeof(path)));
    TraceWrite(kTraceDetail, TRACEKW::kAircraft, kTraceMessage, L"The aircraft name: %S, path: %S",
               nameText, pathText);

    const std::string lowerPath = UTILITY::ConvertStringToLower(pathText);
    settings.isHelicopter = lowerPath.find("helicopter") != std::string::npos ? 1 : 0;

    std::ifstream file(UTILITY::MakeFilePath(pathText));
    if (!file) {
        return {nameText, pathText, {}};
    }
    // Text mode: CRLF arrives as LF on Windows; elsewhere the CR is a blank to the field reader.
    std::string line;
    while (std::getline(file, line)) {
        if (settings.isHelicopter == 1 && line.find(kRpmGreenKey) != std::string::npos) {
            if (ReadThirdField(line, settings.rpmGreenLow)) {
                settings.rpmGreenLow = static_cast<float>(settings.rpmGreenLow * 0.95);
            }
        }
        if (line.find(kOilGreenKey) != std::string::npos) {
            if (ReadThirdField(line, settings.oilPressureGreenLow) &&
                settings.oilPressureGreenLow == 0.0f) {
                settings.oilPressureGreenLow = 15.0f;
            }
        }
    }
    return {nameText, pathText, {}};
}

std::string ReadAcfIcao(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::string line;
    std::string icao;
    while (std::getline(file, line)) {
        if (line.find(kIcaoKey) != std::string::npos) {
            icao = ThirdField(line);
        }
    }
    return icao;
}

}  // namespace XPL
