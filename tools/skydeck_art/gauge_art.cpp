#include "gauge_art.h"

#include <cstdlib>
#include <string>
#include <utility>

namespace XPL::ARTTOOL {

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kClear{1, 1, 1};  // transparent in backgrounds and masks
constexpr Rgb kFace{26, 28, 32};
constexpr Rgb kBezel{64, 66, 72};
constexpr Rgb kBezelEdge{100, 102, 110};
constexpr Rgb kWhite{236, 236, 236};
constexpr Rgb kGrey{170, 172, 178};
constexpr Rgb kOrange{255, 150, 30};
constexpr Rgb kGreen{40, 190, 70};
constexpr Rgb kRed{215, 40, 35};
constexpr Point kCentre{120, 120};

constexpr bool kSmooth = true;
constexpr bool kHard = false;

// A round instrument: black corners, a bezel ring and the dark dial inside radius dial.
CArtCanvas RoundFace(double dial) {
    CArtCanvas face(240, 240, kBlack);
    face.FillCircle(kCentre, 119.5, kBezelEdge, kSmooth);
    face.FillCircle(kCentre, 117, kBezel, kSmooth);
    face.FillCircle(kCentre, dial, kFace, kSmooth);
    // The face is opaque: a blended pixel that came out as the transparent key would let the
    // canvas through.
    face.Replace(kClear, kBlack);
    return face;
}

Rgb Blend(Rgb a, Rgb b, double t) {
    const auto mix = [t](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(x + (y - x) * t + 0.5);
    };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

// Attitude: the horizon tape turns with the bank and slides with the pitch behind a round
// window; the bank pointer turns with it against the fixed scale on the bezel; the aircraft
// symbol stays.
void Attitude(std::map<std::string, CArtCanvas>& art) {
    // Background: bezel with the bank scale (0, 10, 20, 30, 45, 60 degrees each side).
    CArtCanvas face = RoundFace(100);
    for (const int bank : {10, 20, 30, 60}) {
        const bool long_ = bank == 30 || bank == 60;
        for (const int side : {-1, 1}) {
            face.Tick(kCentre, 101, long_ ? 113 : 108, side * bank, long_ ? 3.0 : 2.0, kWhite,
                      kSmooth);
        }
    }
    for (const int side : {-1, 1}) {
        face.FillPolygon({Polar(kCentre, 102, side * 45), Polar(kCentre, 109, side * 45 - 2.5),
                          Polar(kCentre, 109, side * 45 + 2.5)},
                         kWhite, kSmooth);
    }
    face.FillPolygon({Polar(kCentre, 101, 0), Polar(kCentre, 114, -5.5), Polar(kCentre, 114, 5.5)},
                     kWhite, kSmooth);
    face.Replace(kClear, kBlack);
    art.emplace("AttitudeFace.bmp", std::move(face));

    // Mask (at the element's position 0,0; axis 120,120): the window shows the tape, a thin ring
    // is drawn over it, black outside lets the bezel show. A masked image is drawn only as far as
    // the mask reaches from its top-left corner, so the mask is as large as the tape (the part
    // beyond the gauge is cut) and the whole tape can turn and slide behind the window.
    CArtCanvas mask(440, 440, kBlack);
    mask.FillCircle(kCentre, 100, {44, 46, 50}, kHard);
    mask.FillCircle(kCentre, 97, kClear, kHard);
    art.emplace("AttitudeMask.bmp", std::move(mask));

    // Tape (440 x 440, axis 220,220 on the horizon): 4 pixels a degree of pitch, ladder to 40.
    constexpr double kMid = 220;
    CArtCanvas tape(440, 440, kBlack);
    for (int y = 0; y < 440; ++y) {
        const Rgb row = y < kMid ? Blend({26, 84, 170}, {84, 150, 220}, y / kMid)
                                 : Blend({150, 98, 50}, {96, 60, 30}, (y - kMid) / kMid);
        for (int x = 0; x < 440; ++x) {
            tape.Set(x, y, row);
        }
    }
    tape.FillRect(0, kMid - 1, 440, kMid + 1, kWhite);
    for (int pitch = -40; pitch <= 40; pitch += 5) {
        if (pitch == 0) {
            continue;
        }
        const double y = kMid - 4.0 * pitch;
        const double half = pitch % 10 == 0 ? 34 : 15;
        tape.FillShape([](double, double) { return true; }, kMid - half, y - 1, kMid + half, y + 1,
                       kWhite, kSmooth);
        if (pitch % 10 == 0) {
            const std::string number = std::to_string(std::abs(pitch));
            tape.Text(number, {kMid - half - 14, y}, 10, 1.6, kWhite, kSmooth);
            tape.Text(number, {kMid + half + 14, y}, 10, 1.6, kWhite, kSmooth);
        }
    }
    art.emplace("AttitudeTape.bmp", std::move(tape));

    // Bank pointer (20 x 100, axis 10,98 turning about the dial's centre): a triangle at the
    // window's edge.
    CArtCanvas pointer(20, 100, kBlack);
    pointer.FillPolygon({{10, 2}, {2.5, 15}, {17.5, 15}}, kOrange, kHard);
    art.emplace("AttitudeBank.bmp", std::move(pointer));

    // Aircraft symbol (140 x 24 at 50,108): its centre dot on the dial's centre.
    CArtCanvas aircraft(140, 24, kBlack);
    aircraft.FillRect(0, 9, 46, 15, kOrange);
    aircraft.FillRect(40, 9, 46, 21, kOrange);
    aircraft.FillRect(94, 9, 140, 15, kOrange);
    aircraft.FillRect(94, 9, 100, 21, kOrange);
    aircraft.FillCircle({70, 12}, 5, kOrange, kHard);
    art.emplace("AttitudeAircraft.bmp", std::move(aircraft));
}

// Altimeter: 1000 feet a turn of the long needle; the short needle turns once in 10000 feet,
// the pointer with the triangle once in 100000 feet.
void Altimeter(std::map<std::string, CArtCanvas>& art) {
    CArtCanvas face = RoundFace(108);
    for (int i = 0; i < 50; ++i) {
        const bool major = i % 5 == 0;
        face.Tick(kCentre, major ? 92 : 99, 106, i * 7.2, major ? 3.2 : 1.6, kWhite, kSmooth);
    }
    for (int digit = 0; digit < 10; ++digit) {
        face.Text(std::to_string(digit), Polar(kCentre, 78, digit * 36.0), 15, 2.4, kWhite,
                  kSmooth);
    }
    face.Text("ALT", {120, 88}, 9, 1.6, kGrey, kSmooth);
    face.Text("100 FT", {120, 156}, 8, 1.4, kGrey, kSmooth);
    face.Replace(kClear, kBlack);
    art.emplace("AltimeterFace.bmp", std::move(face));

    // Needles turned by a table are drawn pointing right: the table's degrees turn them from
    // there. 100 ft needle (112 x 12, axis 16,6) with the hub.
    CArtCanvas hundreds(112, 12, kBlack);
    hundreds.FillPolygon({{0, 3}, {0, 9}, {98, 8}, {110, 6}, {98, 4}}, kWhite, kHard);
    hundreds.FillCircle({16, 6}, 6, kGrey, kHard);
    hundreds.FillCircle({16, 6}, 2, kOrange, kHard);
    art.emplace("AltimeterNeedle100.bmp", std::move(hundreds));

    // 1000 ft needle (76 x 16, axis 10,8): short and wide.
    CArtCanvas thousands(76, 16, kBlack);
    thousands.FillPolygon({{0, 2}, {0, 14}, {60, 12}, {72, 8}, {60, 4}}, kWhite, kHard);
    art.emplace("AltimeterNeedle1000.bmp", std::move(thousands));

    // 10000 ft pointer (110 x 16, axis 6,8): a thin shaft and a triangle at the rim.
    CArtCanvas tenThousands(110, 16, kBlack);
    tenThousands.FillRect(4, 7, 92, 9, kGrey);
    tenThousands.FillPolygon({{108, 8}, {92, 1}, {92, 15}}, kGrey, kHard);
    art.emplace("AltimeterNeedle10000.bmp", std::move(tenThousands));
}

// Heading: the compass card turns under a fixed lubber line; the heading bug turns with the
// card's frame by the selected heading.
void Heading(std::map<std::string, CArtCanvas>& art) {
    CArtCanvas face = RoundFace(108);
    for (int mark = 45; mark < 360; mark += 45) {
        face.FillPolygon({Polar(kCentre, 109, mark), Polar(kCentre, 117, mark - 3),
                          Polar(kCentre, 117, mark + 3)},
                         kWhite, kSmooth);
    }
    face.FillPolygon({Polar(kCentre, 106, 0), Polar(kCentre, 118, -5), Polar(kCentre, 118, 5)},
                     kOrange, kSmooth);
    face.Replace(kClear, kBlack);
    art.emplace("HeadingFace.bmp", std::move(face));

    // Card (216 x 216, axis 108,108): ticks every 5 degrees, labels every 30.
    constexpr Point kCard{108, 108};
    CArtCanvas card(216, 216, kBlack);
    card.FillCircle(kCard, 107, {30, 32, 38}, kHard);
    for (int degrees = 0; degrees < 360; degrees += 5) {
        const bool ten = degrees % 10 == 0;
        card.Tick(kCard, ten ? 90 : 97, 105, degrees, ten ? 2.4 : 1.6, kWhite, kSmooth);
    }
    static const char* const kLabels[] = {"N", "3",  "6",  "E", "12", "15",
                                          "S", "21", "24", "W", "30", "33"};
    for (int i = 0; i < 12; ++i) {
        const bool cardinal = i % 3 == 0;
        card.Text(kLabels[i], Polar(kCard, 76, i * 30.0), cardinal ? 16 : 13, 2.4,
                  i == 0 ? kOrange : kWhite, kSmooth, i * 30.0);
    }
    art.emplace("HeadingCard.bmp", std::move(card));

    // Heading bug (26 x 108, axis 13,108): a notched block on the card's rim.
    CArtCanvas bug(26, 108, kBlack);
    bug.FillPolygon({{0, 0}, {10, 0}, {13, 5}, {16, 0}, {26, 0}, {26, 9}, {0, 9}}, kOrange, kHard);
    art.emplace("HeadingBug.bmp", std::move(bug));

    // Aircraft (56 x 56 at 92,92): nose up, centred on the dial.
    CArtCanvas aircraft(56, 56, kBlack);
    aircraft.FillRect(25, 4, 31, 52, kWhite);
    aircraft.FillRect(2, 20, 54, 27, kWhite);
    aircraft.FillRect(16, 44, 40, 49, kWhite);
    art.emplace("HeadingAircraft.bmp", std::move(aircraft));
}

// Engine: a tachometer (0 to 3000 RPM over 240 degrees) and two bars, oil temperature (0 to
// 150 C) and oil pressure (0 to 120 PSI), each sliding behind its window; a warning below
// 20 PSI.
void Engine(std::map<std::string, CArtCanvas>& art) {
    constexpr Point kTach{120, 104};
    const auto angle = [](double rpm) { return -120.0 + 240.0 * rpm / 3000.0; };
    CArtCanvas face(240, 240, {52, 54, 60});
    face.FillRect(3, 3, 237, 237, kFace);
    face.FillRing(kTach, 84, 92, kGreen, kSmooth, angle(2100), angle(2600));
    for (int rpm = 0; rpm <= 3000; rpm += 100) {
        const bool major = rpm % 500 == 0;
        face.Tick(kTach, major ? 78 : 85, 92, angle(rpm), major ? 2.6 : 1.4, kWhite, kSmooth);
        if (major) {
            face.Text(std::to_string(rpm / 100), Polar(kTach, 64, angle(rpm)), 12, 2.0, kWhite,
                      kSmooth);
        }
    }
    face.Tick(kTach, 76, 94, angle(2700), 3.5, kRed, kSmooth);
    face.Text("RPM", {120, 134}, 9, 1.6, kGrey, kSmooth);
    face.Text("x100", {120, 147}, 8, 1.4, kGrey, kSmooth);

    // The bars' windows (150 x 12 at x 58, y 186 and y 214), their scales and labels.
    struct Bar {
        double top;
        const char* label;
        const char* unit;
        double greenFrom, greenTo, red;  // in pixels along the window
    };
    const Bar bars[] = {{186, "OIL T", "C", 60, 118, 120}, {214, "OIL P", "PSI", 75, 112, 25}};
    for (const Bar& bar : bars) {
        face.FillRect(56, bar.top - 2, 210, bar.top + 14, {60, 62, 68});
        face.FillRect(58, bar.top, 208, bar.top + 12, {14, 15, 18});
        face.FillRect(58 + bar.greenFrom, bar.top + 14, 58 + bar.greenTo, bar.top + 17, kGreen);
        face.FillRect(58 + bar.red - 1, bar.top + 13, 58 + bar.red + 1, bar.top + 18, kRed);
        face.Text(bar.label, {31, bar.top + 6}, 9, 1.6, kWhite, kSmooth);
        face.Text(bar.unit, {223, bar.top + 6}, 8, 1.4, kGrey, kSmooth);
    }
    face.Replace(kClear, kBlack);
    art.emplace("EngineFace.bmp", std::move(face));

    // Needle (100 x 12, axis 10,6), pointing right as a table turns it.
    CArtCanvas needle(100, 12, kBlack);
    needle.FillPolygon({{0, 3}, {0, 9}, {84, 8}, {96, 6}, {84, 4}}, kWhite, kHard);
    needle.FillCircle({10, 6}, 6, kGrey, kHard);
    needle.FillCircle({10, 6}, 2, kOrange, kHard);
    art.emplace("EngineNeedle.bmp", std::move(needle));

    // A bar (300 x 12): its left half is the bar, its right half shows nothing; the shift picks
    // which 150 columns the window shows.
    CArtCanvas fill(300, 12, kBlack);
    fill.FillRect(0, 1, 150, 11, {225, 228, 230});
    art.emplace("EngineBar.bmp", std::move(fill));
    // The window: all of it shows the bar.
    art.emplace("EngineBarMask.bmp", CArtCanvas(150, 12, kClear));

    // Low oil pressure warning (72 x 16 at 84,158).
    CArtCanvas warning(72, 16, kRed);
    warning.Text("LOW OIL", {36, 8}, 9, 1.6, kWhite, kSmooth);
    art.emplace("EngineLowOil.bmp", std::move(warning));
}

}  // namespace

std::map<std::string, CArtCanvas> MakeGaugeArt() {
    std::map<std::string, CArtCanvas> art;
    Attitude(art);
    Altimeter(art);
    Heading(art);
    Engine(art);
    return art;
}

}  // namespace XPL::ARTTOOL
