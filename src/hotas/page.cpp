#include "hotas/page.h"

#include "glasslink/glasslink_hotas.h"
#include "sim/utility.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {
constexpr int kKeyword = TRACEKW::kHotas;
}

CHotasPanel::CPage::CPage(const SimRegistry& registry, uint8_t cursorCount)
    : registry(registry), cursorCount(cursorCount) {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::CPage::CPage");
    ClearMarks();
}

CHotasPanel::CPage::~CPage() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::CPage::~CPage");
}

void CHotasPanel::CPage::CursorUp() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::CPage::CursorUp");
    if (editing != 0 || cursorCount == 0) {
        return;
    }
    if (cursor == 0) {
        cursor = cursorCount;
    }
    --cursor;
}

void CHotasPanel::CPage::CursorDown() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::CPage::CursorDown");
    if (editing != 0 || cursorCount == 0) {
        return;
    }
    ++cursor;
    if (cursor == cursorCount) {
        cursor = 0;
    }
}

void CHotasPanel::CPage::CursorSelect() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::CPage::CursorSelect");
    editing = editing != 0 ? 0 : 1;
}

void CHotasPanel::CPage::Display(CGlasslinkHotas& link) {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::CPage::Display");
    Compose(lines);
    for (uint8_t line = 0; line < kLineCount; ++line) {
        link.SetString(lines[line].Text(), line);
    }
}

void CHotasPanel::CPage::ClearMarks() {
    marks.fill(' ');
}

void CHotasPanel::CPage::Run(Command command) const {
    if (command != nullptr) {
        XPLMCommandOnce(registry.cmd.*command);
    }
}

void CHotasPanel::CPage::RunWhileEditing(std::span<const Command> commands) const {
    if (editing != 0 && cursor < commands.size()) {
        Run(commands[cursor]);
    }
}

int32_t CHotasPanel::CPage::ReadInt(DataRef dataRef) const {
    return GetDatai(registry.ref.*dataRef);
}

int32_t CHotasPanel::CPage::ReadTruncated(DataRef dataRef) const {
    return UTILITY::TruncateToInt(GetDataf(registry.ref.*dataRef));
}

void CHotasPanel::CPage::ClearLines(Lines& lines) {
    for (CLine& line : lines) {
        line.Clear();
    }
}

}  // namespace XPL
