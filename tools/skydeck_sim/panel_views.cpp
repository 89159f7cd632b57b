#include "panel_views.h"

#include <algorithm>
#include <cstdio>

namespace XPL::SIMTOOL {

namespace {

constexpr size_t kAutoflightLength = 13;
constexpr size_t kTunerLength = 24;
constexpr size_t kToggleLength = 2;
constexpr size_t kLensLength = 7;
constexpr uint8_t kLensReportId = 0xB8;
constexpr uint8_t kBrightnessReportId = 0xB2;
constexpr int kLensCount = 24;
// Characters of lit lenses on one line of the lens view.
constexpr size_t kLitWidth = 80;
constexpr size_t kLitIndent = 17;

std::string Label(const char* kind) {
    std::string label = kind;
    label.resize(12, ' ');
    return label;
}

std::string Bytes(const char* kind, const Report& report) {
    std::string out = Label(kind) + "report of " + std::to_string(report.size()) + " bytes:";
    char hex[4];
    for (const uint8_t b : report) {
        std::snprintf(hex, sizeof(hex), " %02X", b);
        out += hex;
    }
    return out;
}

std::string RightAligned(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// Lamp bits that went off and on again over the last three autoflight reports, nothing else
// changing: the flashing phase, not a change of the aircraft.
uint8_t FlashingLamps(const std::vector<Report>& reports) {
    if (reports.size() < 3) {
        return 0;
    }
    const Report& a = reports[reports.size() - 3];
    const Report& b = reports[reports.size() - 2];
    const Report& c = reports.back();
    if (a.size() != kAutoflightLength || b.size() != a.size() || c != a) {
        return 0;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (i != 11 && a[i] != b[i]) {
            return 0;
        }
    }
    return static_cast<uint8_t>(a[11] ^ b[11]);
}

}  // namespace

std::string AutoflightDigits(const uint8_t* cells, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t c = cells[i];
        text += c <= 0x09 ? static_cast<char>('0' + c) : c == 0x0E ? '-' : c == 0xFF ? ' ' : '?';
    }
    return text;
}

std::string TunerDigits(const uint8_t* cells, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t c = cells[i];
        if (c <= 0x09) {
            text += static_cast<char>('0' + c);
        } else if (c >= 0xD0 && c <= 0xD9) {
            text += static_cast<char>('0' + (c & 0x0F));
            text += '.';
        } else {
            text += c == 0xE0 ? '-' : c == 0xFF ? ' ' : '?';
        }
    }
    return text;
}

std::string AutoflightView(const Report& report, uint8_t flashing) {
    if (report.size() != kAutoflightLength || report[0] != 0) {
        return Bytes("autoflight", report);
    }
    static const char* const kLamps[] = {"AP", "HDG", "NAV", "IAS", "ALT", "VS", "APR", "REV"};
    std::string lit;
    std::string flash;
    std::string dark;
    for (int bit = 0; bit < 8; ++bit) {
        std::string& list = (flashing >> bit & 1) != 0     ? flash
                            : (report[11] >> bit & 1) != 0 ? lit
                                                           : dark;
        list += std::string(list.empty() ? "" : " ") + kLamps[bit];
    }
    return Label("autoflight") + "[" + AutoflightDigits(&report[1], 5) + "] [" +
           AutoflightDigits(&report[6], 5) + "]  lit: " + (lit.empty() ? "none" : lit) +
           (flash.empty() ? "" : "  flashing: " + flash) +
           "  dark: " + (dark.empty() ? "none" : dark);
}

std::string TunerView(const Report& report) {
    if (report.size() != kTunerLength || report[0] != 0) {
        return Bytes("tuner", report);
    }
    const auto display = [&](size_t first) {
        return RightAligned(TunerDigits(&report[first], 5), 6);
    };
    return Label("tuner") + "upper " + display(1) + "  " + display(6) + "   lower " + display(11) +
           "  " + display(16);
}

std::string GearLampsView(const Report& report) {
    if (report.size() != kToggleLength || report[0] != 0) {
        return Bytes("toggle", report);
    }
    // The lamps from left to right; each leg has a green and a red lamp.
    const struct {
        const char* leg;
        uint8_t green;
        uint8_t red;
    } kLegs[] = {{"left", 0x01, 0x08}, {"nose", 0x02, 0x10}, {"right", 0x04, 0x20}};
    std::string out = Label("toggle") + "gear";
    for (const auto& leg : kLegs) {
        const bool green = (report[1] & leg.green) != 0;
        const bool red = (report[1] & leg.red) != 0;
        out += std::string("  ") + leg.leg + " " +
               (green && red ? "green+red"
                : green      ? "green"
                : red        ? "red"
                             : "dark");
    }
    return out;
}

std::string LensView(const Report& report, const LensNames& names) {
    if (report.size() != kLensLength || report[0] != kLensReportId) {
        return Bytes("lamp", report);
    }
    std::string out;
    std::string lit;
    for (int lens = 0; lens < kLensCount; ++lens) {
        const uint8_t mask = static_cast<uint8_t>(1u << (lens % 8));
        const bool green = (report[1 + lens / 8] & mask) != 0;
        const bool red = (report[4 + lens / 8] & mask) != 0;
        if (lens % 8 == 0) {
            out += lens == 0 ? Label("lamp") + "lenses" : "\n" + std::string(18, ' ');
        }
        out += std::string(" ") + (green && red ? 'A' : green ? 'G' : red ? 'R' : '.');
        if (lens % 8 == 7) {
            out += "   (" + std::to_string(lens - 7) + "-" + std::to_string(lens) + ")";
        }
        if (green || red) {
            const auto name = names.find(lens);
            const std::string item = std::to_string(lens) + " " +
                                     (name != names.end() ? name->second + " " : "") +
                                     (green && red ? "amber"
                                      : green      ? "green"
                                                   : "red");
            // Long lists go on over several lines, aligned after "lit: ".
            const size_t newline = lit.rfind('\n');
            const size_t lineLength =
                newline == std::string::npos ? lit.size() : lit.size() - newline - 1 - kLitIndent;
            if (lit.empty()) {
                lit = item;
            } else if (lineLength + item.size() + 2 > kLitWidth) {
                lit += ",\n" + std::string(kLitIndent, ' ') + item;
            } else {
                lit += ", " + item;
            }
        }
    }
    return out + "\n" + std::string(12, ' ') + "lit: " + (lit.empty() ? "none" : lit);
}

std::string ScreenView(uint16_t leds, const std::vector<std::string>& pictures) {
    std::string lit;
    for (int led = 0; led <= 8; ++led) {
        if ((leds >> led & 1u) != 0) {
            lit += ' ';
            lit += std::to_string(led);
        }
    }
    std::string out = Label("screen") + "LEDs lit:" + (lit.empty() ? " none" : lit);
    for (const std::string& picture : pictures) {
        out += '\n';
        out.append(12, ' ');
        out += picture;
    }
    return out;
}

std::string HotasView(const std::array<std::string, 3>& lines) {
    constexpr size_t kLineChars = 16;
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 0) {
            out += Label("hotas");
        } else {
            out += '\n';
            out.append(12, ' ');
        }
        out += '|';
        for (const char c : lines[i]) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte == 0xFC) {
                out += "\u00BB";  // »
            } else if (byte == 0xFB) {
                out += "\u00AB";  // «
            } else {
                out += byte >= 0x20 && byte < 0x7F ? c : '?';
            }
        }
        out += std::string(kLineChars - std::min(lines[i].size(), kLineChars), ' ') + '|';
    }
    return out;
}

std::string PanelView(const std::string& kind, const std::vector<Report>& reports,
                      const LensNames& names) {
    if (reports.empty()) {
        return {};
    }
    if (kind == "autoflight") {
        return AutoflightView(reports.back(), FlashingLamps(reports));
    }
    if (kind == "tuner") {
        return TunerView(reports.back());
    }
    if (kind == "toggle") {
        return GearLampsView(reports.back());
    }
    if (kind == "lamp") {
        // The brightness report opens every initialisation; until a lens lights after it the
        // panel has no reason to send its all-dark lens report.
        for (auto report = reports.rbegin(); report != reports.rend(); ++report) {
            if (!report->empty() && (*report)[0] == kBrightnessReportId) {
                break;
            }
            if (!report->empty() && (*report)[0] == kLensReportId) {
                return LensView(*report, names);
            }
        }
        Report dark(kLensLength, 0);
        dark[0] = kLensReportId;
        return LensView(dark, names);
    }
    return {};
}

}  // namespace XPL::SIMTOOL
