#include "hotas/adf_page.h"

#include <array>
#include <string>

#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kHotas;
constexpr uint8_t kPositions = 5;
constexpr uint32_t kFrequencyFormat = 3;
constexpr uint8_t kMonitor = 0;
constexpr uint8_t kActive = 1;

using C = SimRegistry::Commands;
using R = SimRegistry::DataRefs;

// By cursor position, while editing: the standby's hundreds, tens and ones.
constexpr std::array<CHotasPanel::CPage::Command, kPositions> kUp = {
    nullptr, nullptr, &C::radios_stby_adf1_hundreds_up, &C::radios_stby_adf1_tens_up,
    &C::radios_stby_adf1_ones_up};
constexpr std::array<CHotasPanel::CPage::Command, kPositions> kDown = {
    nullptr, nullptr, &C::radios_stby_adf1_hundreds_down, &C::radios_stby_adf1_tens_down,
    &C::radios_stby_adf1_ones_down};

}  // namespace

CAdfPage::CAdfPage(const SimRegistry& registry) : CPage(registry, kPositions) {
    CTraceScope scope(kKeyword, "XPL::CAdfPage::CAdfPage");
}

CAdfPage::~CAdfPage() {
    CTraceScope scope(kKeyword, "XPL::CAdfPage::~CAdfPage");
}

void CAdfPage::CursorUp() {
    CTraceScope scope(kKeyword, "XPL::CAdfPage::CursorUp");
    CPage::CursorUp();
    RunWhileEditing(kUp);
}

void CAdfPage::CursorDown() {
    CTraceScope scope(kKeyword, "XPL::CAdfPage::CursorDown");
    CPage::CursorDown();
    RunWhileEditing(kDown);
}

void CAdfPage::CursorSelect() {
    CTraceScope scope(kKeyword, "XPL::CAdfPage::CursorSelect");
    if (cursor == kMonitor) {
        Run(&C::audio_panel_monitor_audio_adf1);
    } else if (cursor == kActive) {
        Run(&C::radios_adf1_standy_flip);
    } else {
        CPage::CursorSelect();
    }
}

void CAdfPage::UpdateCursorShapes() {
    ClearMarks();
    if (cursor == kMonitor || cursor == kActive) {
        marks[2 * cursor] = '[';
        marks[2 * cursor + 1] = ']';
    } else if (cursor < kPositions) {
        marks[cursor + 2] = RightMark();
    }
}

void CAdfPage::Compose(Lines& lines) {
    CTraceScope scope(kKeyword, "XPL::CAdfPage::Compose");
    UpdateCursorShapes();
    const bool monitored = ReadInt(&R::cockpit2_radios_actuators_audio_selection_adf1) == 1;
    const std::string active = UTILITY::ConvertIntValueToString(
        ReadInt(&R::cockpit_radios_adf1_freq_hz), kFrequencyFormat);
    // At least three characters: the format pads with zeros.
    const std::string standby = UTILITY::ConvertIntValueToString(
        ReadInt(&R::cockpit_radios_adf1_stdby_freq_hz), kFrequencyFormat);
    ClearLines(lines);
    lines[0] << " ADF  " << marks[0] << (monitored ? "ON" : "OFF") << marks[1];
    lines[1] << marks[2] << active << marks[3];
    lines[2] << marks[4] << standby[0];
    lines[2].AppendUnlessSpace(marks[5]) << standby[1];
    lines[2].AppendUnlessSpace(marks[6]) << standby[2];
}

}  // namespace XPL
