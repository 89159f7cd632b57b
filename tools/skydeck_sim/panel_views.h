// Readable views of the panels, decoded from the feature reports they accepted: what a user
// standing in front of the hardware would see on its digit displays, lamps and lenses.
// A report of a length or id the panel never sends is shown as its bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace XPL::SIMTOOL {

using Report = std::vector<uint8_t>;
// The tile each lens shows, by lens number (0 to 23), as the lens programming file binds them.
using LensNames = std::map<int, std::string>;

// Digit-display cells as text, one character per cell and a '.' after a cell that carries the
// point; a cell code the device does not know shows as '?'.
// Autoflight: 0x00-0x09 digits, 0x0E minus, 0xFF blank.
std::string AutoflightDigits(const uint8_t* cells, size_t count);
// Tuner: 0x00-0x09 digits, 0xD0-0xD9 digit and point, 0xE0 minus, 0xFF blank.
std::string TunerDigits(const uint8_t* cells, size_t count);

// One view per panel kind from one report.
// "autoflight  [ 3000] [  700]  lit: AP HDG  flashing: ALT  dark: NAV IAS VS APR REV";
// flashing: the lamp bits known to flash (they are left out of lit and dark).
std::string AutoflightView(const Report& report, uint8_t flashing = 0);
// "tuner       upper 118.00  121.50   lower 110.30  108.50"
std::string TunerView(const Report& report);
// "toggle      gear  left green  nose green  right green" (red: in transit, dark: up)
std::string GearLampsView(const Report& report);
// Three rows of eight lenses (G green, R red, A amber, . dark), then the lit lenses with names.
std::string LensView(const Report& report, const LensNames& names);

// The screen's lit LEDs and the pictures it was sent since the last view, as saved:
// "screen      LEDs lit: 1 4 7 8" and a line "picture 3: PATH" for each.
std::string ScreenView(uint16_t leds, const std::vector<std::string>& pictures);

// The stick's three lines, each between bars and padded to the display's 16 characters:
// "hotas       |  COM1    NAV1  |" and two rows below it. The display's arrow glyphs 0xFC and
// 0xFB show as '»' and '«', other bytes outside printable ASCII as '?'.
std::string HotasView(const std::array<std::string, 3>& lines);

// The view of a panel of kind (autoflight, tuner, toggle, lamp) from every report it accepted,
// oldest first; empty when the kind has no view or the panel sent nothing. An autoflight lamp
// flashes when the last three reports differ in nothing but its bit going on and off (the panel
// resends at each change of the flashing phase, so this needs some 80 frames). The lamp panel's
// view uses its last lens report (a panel whose lenses never lit sent only its brightness
// report).
std::string PanelView(const std::string& kind, const std::vector<Report>& reports,
                      const LensNames& names);

}  // namespace XPL::SIMTOOL
