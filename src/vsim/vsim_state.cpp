#include "vsim/vsim_state.h"

namespace XPL::VSIM {

SimState& State() {
    static SimState state;
    return state;
}

bool IsKnown(const SimState& state, std::string_view path) {
    return !path.empty() && state.unknownPaths.find(path) == state.unknownPaths.end();
}

DataRefRecord* AsDataRef(void* handle) {
    auto* record = static_cast<Record*>(handle);
    if (record == nullptr || record->kind != RecordKind::DataRef) {
        return nullptr;
    }
    return static_cast<DataRefRecord*>(record);
}

CommandRecord* AsCommand(void* handle) {
    auto* record = static_cast<Record*>(handle);
    if (record == nullptr || record->kind != RecordKind::Command) {
        return nullptr;
    }
    return static_cast<CommandRecord*>(record);
}

void AppendEvent(std::unique_lock<std::mutex>& lock, Event event) {
    SimState& state = State();
    state.journal.push_back(std::move(event));
    if (!state.listener) {
        lock.unlock();
        return;
    }
    // Copies, so the listener may journal, clear the journal or replace itself.
    const std::function<void(const Event&)> listener = state.listener;
    const Event appended = state.journal.back();
    lock.unlock();
    listener(appended);
}

void Reset() {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    for (auto& [path, record] : state.dataRefs) {
        record->type = DataType::None;
        record->intValue = 0;
        record->floatValue = 0.0f;
        record->ints.clear();
        record->floats.clear();
        record->bytes.clear();
    }
    state.unknownPaths.clear();
    state.lookedUpCommands.clear();
    state.lookedUpDataRefs.clear();
    state.journal.clear();
    state.listener = nullptr;
    state.aircraftFileName.clear();
    state.aircraftPath.clear();
    state.frameCounter = 0;
    ClearFlightLoops(state);
}

void SetPathKnown(const std::string& path, bool known) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    if (known) {
        state.unknownPaths.erase(path);
    } else {
        state.unknownPaths.insert(path);
    }
}

const std::vector<std::string>& LookedUpCommands() {
    return State().lookedUpCommands;
}

const std::vector<std::string>& LookedUpDataRefs() {
    return State().lookedUpDataRefs;
}

}  // namespace XPL::VSIM
