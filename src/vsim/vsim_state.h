// The virtual simulator's state, shared by its source files and guarded by one mutex.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "vsim/vsim.h"

namespace XPL::VSIM {

// A handle given to the plug-in points at one of these; the kind tells a dataref handle from a
// command handle, so a handle of the wrong kind acts like a null one.
enum class RecordKind : std::uint32_t { DataRef = 0x44415441, Command = 0x434d4e44 };

struct Record {
    Record(RecordKind recordKind, std::string recordPath)
        : kind(recordKind), path(std::move(recordPath)) {}
    RecordKind kind;
    std::string path;
};

struct CommandRecord : Record {
    explicit CommandRecord(std::string recordPath)
        : Record(RecordKind::Command, std::move(recordPath)) {}
};

// One value per type; only the one of `type` is meaningful.
struct DataRefRecord : Record {
    explicit DataRefRecord(std::string recordPath)
        : Record(RecordKind::DataRef, std::move(recordPath)) {}
    DataType type = DataType::None;
    int intValue = 0;
    float floatValue = 0.0f;
    std::vector<int> ints;
    std::vector<float> floats;
    std::string bytes;
};

struct FlightLoop {
    FlightLoopRegistration registration;
    std::int64_t framesSinceCall = 0;
    // Unregistered while the frames run; erased at the end of the frame, so indexes stay valid.
    bool removed = false;
};

struct SimState {
    std::mutex mutex;
    // Records are never erased: handles stay valid for the life of the process.
    std::map<std::string, std::unique_ptr<DataRefRecord>, std::less<>> dataRefs;
    std::map<std::string, std::unique_ptr<CommandRecord>, std::less<>> commands;
    std::set<std::string, std::less<>> unknownPaths;
    std::vector<std::string> lookedUpCommands;
    std::vector<std::string> lookedUpDataRefs;
    std::vector<Event> journal;
    std::function<void(const Event&)> listener;
    std::string aircraftFileName;
    std::string aircraftPath;
    std::vector<FlightLoop> loops;
    // The live registrations of `loops`, as FlightLoops() shows them.
    std::vector<FlightLoopRegistration> registrations;
    int frameCounter = 0;
    bool running = false;
    // While recording: each dataref read, once, with the type it was read as, in first-read order.
    bool recordingReads = false;
    std::vector<std::pair<std::string, DataType>> recordedReads;
};

SimState& State();

// Path knowledge; the caller holds the lock.
bool IsKnown(const SimState& state, std::string_view path);

// The record behind a handle, or null for a null handle or one of the other kind.
DataRefRecord* AsDataRef(void* handle);
CommandRecord* AsCommand(void* handle);

// Appends the event under the caller's lock, then releases the lock and tells the listener.
void AppendEvent(std::unique_lock<std::mutex>& lock, Event event);

// Drops every registration (marks them while frames run); the caller holds the lock.
void ClearFlightLoops(SimState& state);

// Counts one XPLMGetNthAircraftModel call (VsimAircraftQueryCount).
void CountAircraftQuery();

}  // namespace XPL::VSIM
