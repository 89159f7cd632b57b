#include "hotas/autopilot_select_page.h"

#include <array>

#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kHotas;
constexpr uint8_t kPositions = 8;

using C = SimRegistry::Commands;

// By cursor position; the last one closes the page.
constexpr std::array<CHotasPanel::CPage::Command, kPositions - 1> kModes = {
    &C::autopilot_heading,        &C::autopilot_NAV,
    &C::autopilot_level_change,   &C::autopilot_altitude_arm,
    &C::autopilot_vertical_speed, &C::autopilot_approach,
    &C::autopilot_back_course};

}  // namespace

CAutopilotSelectPage::CAutopilotSelectPage(const SimRegistry& registry)
    : CPage(registry, kPositions) {
    CTraceScope scope(kKeyword, "XPL::CAutopilotSelectPage::CAutopilotSelectPage");
}

CAutopilotSelectPage::~CAutopilotSelectPage() {
    CTraceScope scope(kKeyword, "XPL::CAutopilotSelectPage::~CAutopilotSelectPage");
}

void CAutopilotSelectPage::Open() {
    closeRequested = 0;
    editing = 0;
}

void CAutopilotSelectPage::CursorSelect() {
    CTraceScope scope(kKeyword, "XPL::CAutopilotSelectPage::CursorSelect");
    if (cursor == kBack) {
        closeRequested = 1;
    } else if (cursor < kModes.size()) {
        Run(kModes[cursor]);
    }
}

void CAutopilotSelectPage::UpdateCursorShapes() {
    ClearMarks();
    if (cursor < kPositions) {
        marks[2 * cursor] = '[';
        marks[2 * cursor + 1] = ']';
    }
}

void CAutopilotSelectPage::Compose(Lines& lines) {
    CTraceScope scope(kKeyword, "XPL::CAutopilotSelectPage::Compose");
    UpdateCursorShapes();
    ClearLines(lines);
    lines[0] << marks[0] << "HDG" << marks[1] << marks[2] << "NAV" << marks[3] << marks[4] << "IAS"
             << marks[5];
    lines[1] << marks[6] << "ALT" << marks[7] << marks[8] << "VS" << marks[9] << ' ' << marks[10]
             << "APR" << marks[11];
    lines[2] << marks[12] << "REV" << marks[13] << marks[14] << "<<<" << marks[15];
}

}  // namespace XPL
