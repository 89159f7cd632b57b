#include "hotas/xpndr_page.h"

#include <array>
#include <string>

#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kHotas;
constexpr uint8_t kPositions = 4;
constexpr uint32_t kCodeFormat = 5;  // at least four digits

using C = SimRegistry::Commands;

// By cursor position, while editing: thousands, hundreds, tens, ones.
constexpr std::array<CHotasPanel::CPage::Command, kPositions> kUp = {
    &C::transponder_transponder_thousands_up, &C::transponder_transponder_hundreds_up,
    &C::transponder_transponder_tens_up, &C::transponder_transponder_ones_up};
constexpr std::array<CHotasPanel::CPage::Command, kPositions> kDown = {
    &C::transponder_transponder_thousands_down, &C::transponder_transponder_hundreds_down,
    &C::transponder_transponder_tens_down, &C::transponder_transponder_ones_down};

}  // namespace

CXpndrPage::CXpndrPage(const SimRegistry& registry) : CPage(registry, kPositions) {
    CTraceScope scope(kKeyword, "XPL::CXpndrPage::CXpndrPage");
}

CXpndrPage::~CXpndrPage() {
    CTraceScope scope(kKeyword, "XPL::CXpndrPage::~CXpndrPage");
}

void CXpndrPage::CursorUp() {
    CTraceScope scope(kKeyword, "XPL::CXpndrPage::CursorUp");
    CPage::CursorUp();
    RunWhileEditing(kUp);
}

void CXpndrPage::CursorDown() {
    CTraceScope scope(kKeyword, "XPL::CXpndrPage::CursorDown");
    CPage::CursorDown();
    RunWhileEditing(kDown);
}

void CXpndrPage::UpdateCursorShapes() {
    ClearMarks();
    if (cursor < kPositions) {
        marks[cursor] = RightMark();
    }
}

void CXpndrPage::Compose(Lines& lines) {
    CTraceScope scope(kKeyword, "XPL::CXpndrPage::Compose");
    UpdateCursorShapes();
    const std::string code = UTILITY::ConvertIntValueToString(
        ReadInt(&SimRegistry::DataRefs::cockpit_radios_transponder_code), kCodeFormat);
    ClearLines(lines);
    lines[0] << " Transponder";
    lines[1] << marks[0] << code[0];
    for (size_t digit = 1; digit < kPositions; ++digit) {
        lines[1].AppendUnlessSpace(marks[digit]) << code[digit];
    }
    lines[2] << text;
}

}  // namespace XPL
