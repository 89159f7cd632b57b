#include "hotas/vor_hdg_page.h"

#include <array>
#include <string>

#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kHotas;
constexpr uint8_t kPositions = 2;
constexpr uint32_t kDegreesFormat = 3;

using C = SimRegistry::Commands;
using R = SimRegistry::DataRefs;

// By cursor position, while editing: course, heading.
constexpr std::array<CHotasPanel::CPage::Command, kPositions> kUp = {&C::radios_obs1_up,
                                                                     &C::autopilot_heading_up};
constexpr std::array<CHotasPanel::CPage::Command, kPositions> kDown = {&C::radios_obs1_down,
                                                                       &C::autopilot_heading_down};

}  // namespace

CVorHdgPage::CVorHdgPage(const SimRegistry& registry) : CPage(registry, kPositions) {
    CTraceScope scope(kKeyword, "XPL::CVorHdgPage::CVorHdgPage");
}

CVorHdgPage::~CVorHdgPage() {
    CTraceScope scope(kKeyword, "XPL::CVorHdgPage::~CVorHdgPage");
}

void CVorHdgPage::CursorUp() {
    CTraceScope scope(kKeyword, "XPL::CVorHdgPage::CursorUp");
    CPage::CursorUp();
    RunWhileEditing(kUp);
}

void CVorHdgPage::CursorDown() {
    CTraceScope scope(kKeyword, "XPL::CVorHdgPage::CursorDown");
    CPage::CursorDown();
    RunWhileEditing(kDown);
}

void CVorHdgPage::UpdateCursorShapes() {
    ClearMarks();
    if (cursor < kPositions) {
        marks[cursor] = RightMark();
    }
}

void CVorHdgPage::Compose(Lines& lines) {
    CTraceScope scope(kKeyword, "XPL::CVorHdgPage::Compose");
    UpdateCursorShapes();
    const std::string course = UTILITY::ConvertIntValueToString(
        ReadTruncated(&R::cockpit_radios_nav1_obs_degm), kDegreesFormat);
    const std::string heading = UTILITY::ConvertIntValueToString(
        ReadTruncated(&R::cockpit_autopilot_heading_mag), kDegreesFormat);
    ClearLines(lines);
    lines[0] << " VOR     HDG";
    lines[1] << marks[0] << course << "    " << marks[1] << heading;
    lines[2] << text;
}

}  // namespace XPL
