// The C control surface, for programs that load the virtual simulator as XPLM_64.dll.
#include <algorithm>
#include <cstring>

#include "vsim/vsim_state.h"

using namespace XPL::VSIM;

namespace {

// Copies text into buffer, truncated and NUL-terminated; returns the full length.
int CopyOut(const std::string& text, char* buffer, int size) {
    if (buffer != nullptr && size > 0) {
        const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size) - 1);
        std::memcpy(buffer, text.data(), length);
        buffer[length] = '\0';
    }
    return static_cast<int>(text.size());
}

int CopyLookUp(const std::vector<std::string>& paths, int index, char* buffer, int size) {
    if (index < 0 || static_cast<std::size_t>(index) >= paths.size()) {
        return -1;
    }
    return CopyOut(paths[static_cast<std::size_t>(index)], buffer, size);
}

}  // namespace

void VsimReset() {
    Reset();
}

void VsimSetPathKnown(const char* path, int known) {
    if (path != nullptr) {
        SetPathKnown(path, known != 0);
    }
}

int VsimLookedUpCommandCount() {
    const std::lock_guard lock(State().mutex);
    return static_cast<int>(State().lookedUpCommands.size());
}

int VsimLookedUpDataRefCount() {
    const std::lock_guard lock(State().mutex);
    return static_cast<int>(State().lookedUpDataRefs.size());
}

int VsimLookedUpCommand(int index, char* buffer, int size) {
    const std::lock_guard lock(State().mutex);
    return CopyLookUp(State().lookedUpCommands, index, buffer, size);
}

int VsimLookedUpDataRef(int index, char* buffer, int size) {
    const std::lock_guard lock(State().mutex);
    return CopyLookUp(State().lookedUpDataRefs, index, buffer, size);
}

void VsimSetUserAircraft(const char* fileName, const char* path) {
    SetUserAircraft(fileName != nullptr ? fileName : "", path != nullptr ? path : "");
}

int VsimFlightLoopCount() {
    const std::lock_guard lock(State().mutex);
    return static_cast<int>(State().registrations.size());
}

int VsimFlightLoopInfo(int index, float* interval, void** refcon) {
    const std::lock_guard lock(State().mutex);
    const auto& registrations = State().registrations;
    if (index < 0 || static_cast<std::size_t>(index) >= registrations.size()) {
        return 0;
    }
    const FlightLoopRegistration& registration = registrations[static_cast<std::size_t>(index)];
    if (interval != nullptr) {
        *interval = registration.interval;
    }
    if (refcon != nullptr) {
        *refcon = registration.refcon;
    }
    return 1;
}

float VsimRunFrames(int frames) {
    return RunFrames(frames);
}

int VsimJournalCount() {
    const std::lock_guard lock(State().mutex);
    return static_cast<int>(State().journal.size());
}

int VsimJournalLine(int index, char* buffer, int size) {
    const std::lock_guard lock(State().mutex);
    const auto& journal = State().journal;
    if (index < 0 || static_cast<std::size_t>(index) >= journal.size()) {
        return -1;
    }
    return CopyOut(FormatEvent(journal[static_cast<std::size_t>(index)]), buffer, size);
}

void VsimClearJournal() {
    ClearJournal();
}

void VsimSetInt(const char* path, int value) {
    if (path != nullptr) {
        SetInt(path, value);
    }
}

void VsimSetFloat(const char* path, float value) {
    if (path != nullptr) {
        SetFloat(path, value);
    }
}

int VsimGetInt(const char* path) {
    return path != nullptr ? GetInt(path) : 0;
}

float VsimGetFloat(const char* path) {
    return path != nullptr ? GetFloat(path) : 0.0f;
}
