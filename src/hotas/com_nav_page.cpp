#include "hotas/com_nav_page.h"

#include <array>
#include <string>

#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kHotas;
constexpr uint8_t kPositions = 6;
constexpr uint32_t kFrequencyFormat = 6;

using Command = CHotasPanel::CPage::Command;
using DataRef = CHotasPanel::CPage::DataRef;
using C = SimRegistry::Commands;
using R = SimRegistry::DataRefs;

// What one radio pair's page reads and runs.
struct Radio {
    const char* title;
    DataRef comActive, comStandby, navActive, navStandby;
    Command comFlip, navFlip;
    std::array<Command, kPositions> up, down;  // by cursor position, while editing
};

const Radio kRadios[] = {
    {"  COM1    NAV1  ",
     &R::cockpit_radios_com1_freq_hz,
     &R::cockpit_radios_com1_stdby_freq_hz,
     &R::cockpit_radios_nav1_freq_hz,
     &R::cockpit_radios_nav1_stdby_freq_hz,
     &C::radios_com1_standy_flip,
     &C::radios_nav1_standy_flip,
     {nullptr, &C::radios_stby_com1_coarse_up, &C::radios_stby_com1_fine_up, nullptr,
      &C::radios_stby_nav1_coarse_up, &C::radios_stby_nav1_fine_up},
     {nullptr, &C::radios_stby_com1_coarse_down, &C::radios_stby_com1_fine_down, nullptr,
      &C::radios_stby_nav1_coarse_down, &C::radios_stby_nav1_fine_down}},
    {"  COM2    NAV2  ",
     &R::cockpit_radios_com2_freq_hz,
     &R::cockpit_radios_com2_stdby_freq_hz,
     &R::cockpit_radios_nav2_freq_hz,
     &R::cockpit_radios_nav2_stdby_freq_hz,
     &C::radios_com2_standy_flip,
     &C::radios_nav2_standy_flip,
     {nullptr, &C::radios_stby_com2_coarse_up, &C::radios_stby_com2_fine_up, nullptr,
      &C::radios_stby_nav2_coarse_up, &C::radios_stby_nav2_fine_up},
     {nullptr, &C::radios_stby_com2_coarse_down, &C::radios_stby_com2_fine_down, nullptr,
      &C::radios_stby_nav2_coarse_down, &C::radios_stby_nav2_fine_down}},
};

// Positions whose item select acts on; the others are adjusted.
constexpr uint8_t kComActive = 0;
constexpr uint8_t kNavActive = 3;

}  // namespace

CComNavPage::CComNavPage(const SimRegistry& registry, uint32_t radio)
    : CPage(registry, kPositions), radio(radio == kRadio2 ? kRadio2 : kRadio1) {
    CTraceScope scope(kKeyword, "XPL::CComNavPage::CComNavPage");
}

CComNavPage::~CComNavPage() {
    CTraceScope scope(kKeyword, "XPL::CComNavPage::~CComNavPage");
}

void CComNavPage::CursorUp() {
    CTraceScope scope(kKeyword, "XPL::CComNavPage::CursorUp");
    CPage::CursorUp();
    RunWhileEditing(kRadios[radio].up);
}

void CComNavPage::CursorDown() {
    CTraceScope scope(kKeyword, "XPL::CComNavPage::CursorDown");
    CPage::CursorDown();
    RunWhileEditing(kRadios[radio].down);
}

void CComNavPage::CursorSelect() {
    CTraceScope scope(kKeyword, "XPL::CComNavPage::CursorSelect");
    if (cursor == kComActive) {
        Run(kRadios[radio].comFlip);
    } else if (cursor == kNavActive) {
        Run(kRadios[radio].navFlip);
    } else {
        CPage::CursorSelect();
    }
}

void CComNavPage::UpdateCursorShapes() {
    ClearMarks();
    switch (cursor) {
        case 0:
            marks[0] = '[';
            marks[1] = ']';
            break;
        case 1:
            marks[2] = RightMark();
            break;
        case 2:
            marks[3] = LeftMark();
            break;
        case 3:
            marks[4] = '[';
            marks[5] = ']';
            break;
        case 4:
            marks[6] = RightMark();
            break;
        case 5:
            marks[7] = LeftMark();
            break;
        default:
            break;
    }
}

void CComNavPage::Compose(Lines& lines) {
    CTraceScope scope(kKeyword, "XPL::CComNavPage::Compose");
    UpdateCursorShapes();
    const Radio& r = kRadios[radio];
    const std::string comActive =
        UTILITY::ConvertIntValueToString(ReadInt(r.comActive), kFrequencyFormat);
    const std::string comStandby =
        UTILITY::ConvertIntValueToString(ReadInt(r.comStandby), kFrequencyFormat);
    const std::string navActive =
        UTILITY::ConvertIntValueToString(ReadInt(r.navActive), kFrequencyFormat);
    const std::string navStandby =
        UTILITY::ConvertIntValueToString(ReadInt(r.navStandby), kFrequencyFormat);
    ClearLines(lines);
    lines[0] << r.title;
    lines[1] << marks[0] << comActive << marks[1] << marks[4] << navActive << marks[5];
    lines[2] << marks[2] << comStandby << marks[3] << marks[6] << navStandby << marks[7];
}

}  // namespace XPL
