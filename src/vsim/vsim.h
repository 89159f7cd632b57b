// The virtual simulator: defines the simulator SDK functions of xplm.h over typed datarefs, a
// configurable set of known paths, an ordered journal of everything the plug-in did, the user
// aircraft and the registered flight-loop callbacks, run frame by frame on request.
// SDK calls are made on the simulator's thread only; the control functions below belong to the
// same thread (the test or tool that plays the simulator). One mutex guards the state, so another
// thread may call the control functions too; the references returned by LookedUp..., Journal and
// FlightLoops are read while the simulator's thread is quiet (e.g. after it was joined).
// Callbacks (flight loops, the journal listener) are called with the mutex released, so they may
// call back into the simulator.
//
// Datarefs as the plug-in sees them:
// - a handle points at a record that lives as long as the process: look-ups of the same path give
//   the same handle, before and after Reset; a handle of the wrong kind (a command handle given to
//   a dataref call) acts as a null handle;
// - XPLMGetDataRefTypes gives the one type a dataref has (xplmType_Unknown while it has none);
// - reading a type the dataref does not have gives 0; array reads fill up to count elements from
//   offset and return the count filled (0 when the offset is negative or past the end), and with a
//   null buffer return the array's length (0 for a dataref that is no array of that type);
// - a write to an untyped dataref gives it the type written; a write of another type than the
//   dataref's is journaled but changes nothing; XPLMSetDatavi writes from the offset and grows the
//   array with zeros as needed (up to 65536 elements; a write beyond, a negative offset or count,
//   or a null buffer with a count is journaled with no values and changes nothing), and so does
//   XPLMSetDatavf;
// - every write, command, key stroke, joystick button, speech and log text is journaled, also
// through a
//   null handle (path "": the plug-in never tests its handles, the journal shows what it tried).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "xplm/xplm.h"

namespace XPL::VSIM {

enum class DataType { None, Int, Float, IntArray, FloatArray, Bytes };

enum class EventKind {
    CommandOnce,    // path
    CommandBegin,   // path
    CommandEnd,     // path
    DataWrite,      // path, values (every element written, in order)
    KeyStroke,      // id
    ButtonPress,    // id
    ButtonRelease,  // id
    Speech,         // text
    Log,            // text (a text written to the simulator's log)
};

struct Event {
    EventKind kind;
    std::string path;                // command or dataref path ("" for a null handle)
    std::vector<double> values;      // DataWrite
    int id = 0;                      // KeyStroke, ButtonPress, ButtonRelease
    std::string text;                // Speech, Log
    DataType type = DataType::None;  // DataWrite: the type written (Int, Float or IntArray)
};

// Back to a fresh simulator: no datarefs with values, every path known, empty journal, no
// callbacks, no journal listener, no user aircraft, frame counter 0. Handles given out before stay
// valid (they keep their identity across Reset, so a plug-in holding them keeps working).
void Reset();

// Path knowledge (commands and datarefs share it): every path but "" is known unless marked
// unknown; a look-up of an unknown path gives a null handle.
void SetPathKnown(const std::string& path, bool known);
// Every look-up made so far, in order, known or not (a null name is recorded as "").
const std::vector<std::string>& LookedUpCommands();
const std::vector<std::string>& LookedUpDataRefs();

// Datarefs: setting a value gives the dataref that type (whatever it had) and is not journaled.
// Reading a type the dataref does not have gives 0 (arrays: no element).
void SetInt(const std::string& path, int value);
void SetFloat(const std::string& path, float value);
void SetInts(const std::string& path, const std::vector<int>& values);
void SetFloats(const std::string& path, const std::vector<float>& values);
// A data dataref (XPLMGetDatab), such as the aircraft's ICAO type "sim/aircraft/view/acf_ICAO".
void SetBytes(const std::string& path, const std::string& bytes);
DataType TypeOf(const std::string& path);
int GetInt(const std::string& path);
float GetFloat(const std::string& path);
std::vector<int> GetInts(const std::string& path);
std::vector<float> GetFloats(const std::string& path);

// Dataref reads the plug-in made (XPLMGetDatai, XPLMGetDataf, XPLMGetDatavi, XPLMGetDatavf) since
// the program started, counted without a lock; Reset does not clear it, so callers compare two
// readings.
std::uint64_t DataRefReads();

// Recording of which datarefs the plug-in reads (tools ask what a page shows): from on, every
// dataref read through a handle is noted once with the type read (Int, Float, IntArray,
// FloatArray), in the order first read; off stops it. RecordedReads gives what was noted since
// the last on; Reset does not clear it.
void RecordReads(bool on);
std::vector<std::pair<std::string, DataType>> RecordedReads();

// The journal of what the plug-in did, oldest first.
const std::vector<Event>& Journal();
void ClearJournal();
// Called for each new journal event as it happens, on the thread that made the SDK call, after
// the event was appended (empty function: none).
void SetJournalListener(std::function<void(const Event&)> listener);
// One journal line: "cmd once PATH", "cmd begin PATH", "cmd end PATH", "set PATH V...",
// "key ID", "joy press ID", "joy release ID", "speak \"TEXT\"", "log \"TEXT\"" (values of Int
// and IntArray writes as integers, others with %g; quotes, backslashes and bytes outside
// printable ASCII in TEXT escaped as \" \\ \xHH, two upper-case hex digits; a log text without
// the one line end that closes it). PATH is empty for a null handle.
std::string FormatEvent(const Event& event);

// The user aircraft that XPLMGetNthAircraftModel(0, ...) reports (file name truncated to 255
// bytes, path to 511, as the SDK's buffers hold); other indexes report empty strings.
void SetUserAircraft(const std::string& fileName, const std::string& path);

// Flight loop. Registrations are kept in order; registering the same callback and refcon twice
// gives two registrations, and unregistering removes the oldest matching one. A callback may
// register and unregister callbacks (itself included) while it runs: one registered during a
// frame is first considered in the next frame, one unregistered is not called again (its return
// value is dropped).
struct FlightLoopRegistration {
    XPLMFlightLoop_f callback;
    float interval;
    void* refcon;
};
const std::vector<FlightLoopRegistration>& FlightLoops();
// Runs n frames; each frame calls every registered callback whose interval is due (negative:
// every -interval frames, positive: seconds of virtual time at 60 frames a second, 0: paused)
// and stores the returned value as its next interval. The interval counts from the
// registration or the callback's last call. A callback gets the virtual time since its last
// call (or registration), 1/60 s since the last frame, and the frame counter (1 in the first
// frame after Reset). Returns the value the last callback returned in the last frame (0 when
// none ran in it, when frames <= 0, or when called from a callback).
float RunFrames(int frames);

}  // namespace XPL::VSIM

// A C control surface for programs that load the virtual simulator as XPLM_64.dll.
extern "C" {
void VsimReset();
void VsimSetPathKnown(const char* path, int known);
int VsimLookedUpCommandCount();
int VsimLookedUpDataRefCount();
// Copies the index-th looked-up path into buffer (NUL-terminated, truncated to size - 1 bytes;
// a null buffer or size 0 copies nothing); returns its full length, -1 when the index is out of
// range.
int VsimLookedUpCommand(int index, char* buffer, int size);
int VsimLookedUpDataRef(int index, char* buffer, int size);
void VsimSetUserAircraft(const char* fileName, const char* path);
int VsimFlightLoopCount();
// The index-th registration's interval and refcon; returns 0 when out of range.
int VsimFlightLoopInfo(int index, float* interval, void** refcon);
float VsimRunFrames(int frames);
int VsimJournalCount();
// Copies the formatted index-th journal line as above; returns its full length, -1 when out of
// range.
int VsimJournalLine(int index, char* buffer, int size);
void VsimClearJournal();
// Dataref values, as SetInt / SetFloat / GetInt / GetFloat above (a null path does nothing or
// gives 0).
void VsimSetInt(const char* path, int value);
void VsimSetFloat(const char* path, float value);
int VsimGetInt(const char* path);
float VsimGetFloat(const char* path);
// How many times the plug-in asked for an aircraft model (XPLMGetNthAircraftModel) since the
// simulator was loaded; Reset does not clear it, so callers compare two readings.
int VsimAircraftQueryCount();
}
