#include "hotas/autopilot_page.h"

#include <array>
#include <string>

#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kHotas;
constexpr uint8_t kPositions = 4;
constexpr uint32_t kTargetFormat = 0;
constexpr uint8_t kDirector = 3;

// Flight director modes as the simulator numbers them.
constexpr int32_t kDirectorOnly = 1;
constexpr int32_t kDirectorServos = 2;

using C = SimRegistry::Commands;
using R = SimRegistry::DataRefs;

// By cursor position, while editing: altitude, vertical speed, (modes), director.
constexpr std::array<CHotasPanel::CPage::Command, kPositions> kUp = {
    &C::autopilot_altitude_up, &C::autopilot_vertical_speed_up, nullptr,
    &C::autopilot_fdir_servos_up_one};
constexpr std::array<CHotasPanel::CPage::Command, kPositions> kDown = {
    &C::autopilot_altitude_down, &C::autopilot_vertical_speed_down, nullptr,
    &C::autopilot_fdir_servos_down_one};

const char* DirectorWord(int32_t mode) {
    switch (mode) {
        case kDirectorOnly:
            return "FD";
        case kDirectorServos:
            return "ON";
        default:
            return "OFF";
    }
}

}  // namespace

CAutopilotPage::CAutopilotPage(const SimRegistry& registry)
    : CPage(registry, kPositions), selectPage(registry) {
    CTraceScope scope(kKeyword, "XPL::CAutopilotPage::CAutopilotPage");
}

CAutopilotPage::~CAutopilotPage() {
    CTraceScope scope(kKeyword, "XPL::CAutopilotPage::~CAutopilotPage");
}

void CAutopilotPage::CursorUp() {
    CTraceScope scope(kKeyword, "XPL::CAutopilotPage::CursorUp");
    if (SelectShown()) {
        selectPage.CursorUp();
        return;
    }
    CPage::CursorUp();
    RunWhileEditing(kUp);
}

void CAutopilotPage::CursorDown() {
    CTraceScope scope(kKeyword, "XPL::CAutopilotPage::CursorDown");
    if (SelectShown()) {
        selectPage.CursorDown();
        return;
    }
    CPage::CursorDown();
    RunWhileEditing(kDown);
}

void CAutopilotPage::CursorSelect() {
    CTraceScope scope(kKeyword, "XPL::CAutopilotPage::CursorSelect");
    if (SelectShown()) {
        selectPage.CursorSelect();
        return;
    }
    if (cursor == kModes) {
        selectOpen = 1;
        selectPage.Open();
        return;
    }
    CPage::CursorSelect();
}

void CAutopilotPage::UpdateCursorShapes() {
    ClearMarks();
    switch (cursor) {
        case 0:
        case 1:
            marks[cursor] = LeftMark();
            break;
        case kModes:
            marks[2] = '[';
            marks[3] = ']';
            break;
        case kDirector:
            marks[4] = LeftMark();
            break;
        default:
            break;
    }
}

void CAutopilotPage::Compose(Lines& lines) {
    CTraceScope scope(kKeyword, "XPL::CAutopilotPage::Compose");
    if (SelectShown()) {
        selectPage.Compose(lines);
        return;
    }
    selectOpen = 0;
    UpdateCursorShapes();
    const std::string altitude = UTILITY::ConvertIntValueToString(
        ReadTruncated(&R::cockpit_autopilot_altitude), kTargetFormat);
    const std::string speed = UTILITY::ConvertIntValueToString(
        ReadTruncated(&R::cockpit_autopilot_vertical_velocity), kTargetFormat);
    const char* director = DirectorWord(ReadInt(&R::cockpit2_autopilot_flight_director_mode));
    ClearLines(lines);
    lines[0] << " ALT     " << altitude << marks[0];
    lines[1] << " VS      " << speed << marks[1];
    lines[2] << marks[2] << "AP" << marks[3] << "     " << director << marks[4];
}

}  // namespace XPL
