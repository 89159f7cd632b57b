// Commands, key strokes, joystick buttons and speech (journaled), and the user aircraft.
#include <algorithm>
#include <cstring>

#include "vsim/vsim_state.h"

namespace XPL::VSIM {
namespace {

void JournalCommand(EventKind kind, XPLMCommandRef command) {
    std::unique_lock lock(State().mutex);
    const CommandRecord* record = AsCommand(command);
    AppendEvent(lock, Event{kind, record != nullptr ? record->path : std::string()});
}

void JournalId(EventKind kind, int id) {
    std::unique_lock lock(State().mutex);
    Event event{kind};
    event.id = id;
    AppendEvent(lock, std::move(event));
}

// Copies at most size - 1 bytes and the NUL.
void CopyTruncated(char* out, std::size_t size, const std::string& text) {
    if (out == nullptr) {
        return;
    }
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

constexpr std::size_t kFileNameSize = 256;
constexpr std::size_t kPathSize = 512;

}  // namespace

void SetUserAircraft(const std::string& fileName, const std::string& path) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    state.aircraftFileName = fileName;
    state.aircraftPath = path;
}

}  // namespace XPL::VSIM

using namespace XPL::VSIM;

XPLMCommandRef XPLMFindCommand(const char* inName) {
    const std::string_view path = inName != nullptr ? inName : "";
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    state.lookedUpCommands.emplace_back(path);
    if (!IsKnown(state, path)) {
        return nullptr;
    }
    auto found = state.commands.find(path);
    if (found == state.commands.end()) {
        found = state.commands
                    .emplace(std::string(path), std::make_unique<CommandRecord>(std::string(path)))
                    .first;
    }
    return static_cast<Record*>(found->second.get());
}

void XPLMCommandOnce(XPLMCommandRef inCommand) {
    JournalCommand(EventKind::CommandOnce, inCommand);
}

void XPLMCommandBegin(XPLMCommandRef inCommand) {
    JournalCommand(EventKind::CommandBegin, inCommand);
}

void XPLMCommandEnd(XPLMCommandRef inCommand) {
    JournalCommand(EventKind::CommandEnd, inCommand);
}

void XPLMCommandKeyStroke(XPLMCommandKeyID inKey) {
    JournalId(EventKind::KeyStroke, inKey);
}

void XPLMCommandButtonPress(XPLMCommandButtonID inButton) {
    JournalId(EventKind::ButtonPress, inButton);
}

void XPLMCommandButtonRelease(XPLMCommandButtonID inButton) {
    JournalId(EventKind::ButtonRelease, inButton);
}

void XPLMSpeakString(const char* inString) {
    std::unique_lock lock(State().mutex);
    Event event{EventKind::Speech};
    event.text = inString != nullptr ? inString : "";
    AppendEvent(lock, std::move(event));
}

void XPLMDebugString(const char* inString) {
    std::unique_lock lock(State().mutex);
    Event event{EventKind::Log};
    event.text = inString != nullptr ? inString : "";
    AppendEvent(lock, std::move(event));
}

void XPLMGetNthAircraftModel(int inIndex, char* outFileName, char* outPath) {
    CountAircraftQuery();
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    static const std::string empty;
    CopyTruncated(outFileName, kFileNameSize, inIndex == 0 ? state.aircraftFileName : empty);
    CopyTruncated(outPath, kPathSize, inIndex == 0 ? state.aircraftPath : empty);
}
