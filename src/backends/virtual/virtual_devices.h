// Control surface of the virtual device bus: tests and tools attach and detach devices of the
// three interface classes, feed HID input reports, read back what the system sent and switch
// faults on and off. The bus implements the hid, device file and device watch seams.
// Every call is safe from any thread; attach and detach return once the system handled them.
//
// How the devices behave, as the OS and the display driver would:
// - Paths compare ignoring ASCII letter case; enumeration and notices give the path as attached.
// - A HID input report is inputReportLength bytes: report id 0, then usage u as bit (u-1)%8 of
//   byte 1+(u-1)/8. A read completes when it starts if a report is queued; otherwise it stays
//   pending and takes the next report queued when its result is collected (GetIoResult, or after
//   WaitIoRequest signals). Data is copied into a read's buffer only on the collecting thread.
// - CancelIo ends only the requests the calling thread started on the file, as the OS's does;
//   CancelIoRequest ends one request whatever thread started it; closing a file ends all of its
//   requests. Ended requests fail with ERROR_OPERATION_ABORTED (995) and their buffers are no
//   longer touched. GetIoResult with wait blocks while a request is in flight, as the OS does.
// - Screen display: the serial-number request 0x220004 answers the serial as UTF-16LE (BMP),
//   terminated when there is room. Writes are logged and read as requests (a 44-byte header,
//   then its payload); each whole request takes effect (a picture, a LED) and is answered by a
//   44-byte reply, queued with the further bytes it counts. Reads take bytes of what is queued in
//   order, as many as asked for (a reply and its further bytes may take several reads).
// - Stick display: control requests are logged (code, then input) and complete at once; the line
//   and shift-indicator requests take effect, other codes are refused (ERROR_INVALID_FUNCTION).
// - Other combinations (a read on the stick, a write on a HID device, ...) fail with
//   ERROR_INVALID_FUNCTION (1).
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/hid.h"

namespace XPL::VIRTUAL {

// The display driver's interface classes.
inline constexpr PLATFORM::Guid kStickDisplayClass = {
    0x3F8C6D21, 0xB94E, 0x4E57, {0x8C, 0x1A, 0xD0, 0x4F, 0x7A, 0x2B, 0x9E, 0x63}};
inline constexpr PLATFORM::Guid kScreenDisplayClass = {
    0xB7D25E48, 0x1C6A, 0x4F3D, {0x9E, 0x80, 0x5A, 0x3C, 0x71, 0xF4, 0xD2, 0xB9}};

enum class DeviceKind { Hid, StickDisplay, ScreenDisplay };

struct DeviceSpec {
    DeviceKind kind = DeviceKind::Hid;
    std::wstring path;          // interface path as the OS spells it (any letter case)
    std::wstring physicalName;  // physical device object name
    std::wstring serial;        // HID serial number; a screen display answers it too
    // HID only.
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t inputReportLength = 0;  // with report id byte; buttons are bits from byte 1
    uint16_t featureReportLength = 0;
    uint16_t buttonCount = 0;  // Button-page usages 1..buttonCount
};

// What a virtual device can be made to refuse.
enum class Fault {
    Open,            // opening the device fails (ERROR_ACCESS_DENIED)
    OpenOverlapped,  // only overlapped opens fail (ERROR_ACCESS_DENIED)
    Attributes,      // HidD_GetAttributes fails
    PreparsedData,   // HidD_GetPreparsedData fails
    Caps,            // HidP_GetCaps answers an error status
    PendingRead,     // reads stay pending: no report is ever delivered
    ReadStart,       // starting a read fails (ERROR_GEN_FAILURE)
    ReadResult,      // collecting a read's result fails (ERROR_GEN_FAILURE)
    Usages,          // HidP_GetUsages answers an error status
    Feature,         // HidD_SetFeature fails
    Serial,          // HidD_GetSerialNumberString fails; a screen display's serial request fails
    Write,           // display writes are refused
    Reply,           // a screen display never answers (reads stay pending until cancelled)
    Ioctl,           // stick display control requests are refused
    IoctlPending,    // stick display control requests stay pending until cancelled or the
                     // device goes, and never take effect
    WritePending,    // screen display writes stay pending until cancelled; nothing is taken
    ExtraBytes,      // screen display replies count further bytes (SetReplyExtraBytes) and
                     // deliver them
    Slow,            // each screen display write and read completes SetTransferDelay ms after
                     // it starts, on the clock; a write's bytes reach the device as the time
                     // passes, so one cancelled half-way delivered half of them
    Stuck,           // a cancelled screen display request is never ended by the driver (only
                     // the device going or its file closing ends it)
};

// Attaches a device. Without a running watch it is simply present (found by enumeration);
// with one registered for the device's class, its arrival notice is delivered on the watch
// thread and this returns once it was handled. Attaching a path already attached replaces that
// device as if it had been pulled out unannounced.
void AttachDevice(const DeviceSpec& device);
// Removes a device: requests in flight on its files end and every later call on them fails
// with ERROR_DEVICE_NOT_CONNECTED (1167) (closing works); opening the path fails with
// ERROR_FILE_NOT_FOUND. A running watch registered for its class is then delivered
// query-remove, remove-pending and remove-complete; returns once all three were handled.
// Its logs stay readable until the path is attached again.
void DetachDevice(const std::wstring& path);
// Delivers one device-change notice for an interface path (in the letter case given) on every
// running watch, registered for the class or not, and returns once handled; false when no watch
// runs.
//
// Notices wait their turn while the watch thread handles another. Raised from inside a notice
// on the watch thread itself, a notice is handed to the sink at once by a nested call, as a
// message sent from a window's own thread reaches its window procedure.
bool DeliverDeviceNotice(uint32_t event, const PLATFORM::Guid& interfaceClass,
                         const std::wstring& path);
// Removes every device, fault and watch fault, silently (no notices); files still open fail
// from now on and no longer count. ResetPlatform calls it too.
void ResetDevices();

void SetFault(const std::wstring& path, Fault fault, bool on);

// HID input: queues one input report in which exactly these usages are on.
void QueueInputReport(const std::wstring& path, const std::set<uint16_t>& usagesOn);
// Reports queued and not yet read.
size_t PendingInputReports(const std::wstring& path);

// Every feature report a HID device accepted, oldest first.
std::vector<std::vector<uint8_t>> FeatureReports(const std::wstring& path);
// The feature reports accepted after the first *sequence ones the device ever accepted, oldest
// first; *sequence becomes the number accepted so far. Start from 0; a device attached anew under
// the path starts again from 0. Reports dropped from the log in between are not returned.
std::vector<std::vector<uint8_t>> FeatureReportsSince(const std::wstring& path, uint64_t* sequence);
// Every request a display device accepted: writes (screen) or control requests (stick, with
// the code in the first four bytes, little-endian), oldest first.
// Each log keeps its newest 4096 entries and at most 64 MiB, so long runs stay bounded.
std::vector<std::vector<uint8_t>> DisplayRequests(const std::wstring& path);

// Checks whether a read has finished without waiting for it (GetIoResult without wait on a
// read: a panel's look for a new input report) since the program started; ResetDevices does not
// clear it, so callers compare two readings.
uint64_t InputReportChecks();

// What a display device shows now (of the latest device attached under the path, also after it
// was pulled out; all empty when there is none).
struct DisplayView {
    // Screen.
    uint16_t leds = 0;             // bit n: LED n is on
    uint64_t pictures = 0;         // pictures accepted
    std::vector<uint8_t> picture;  // the last, as sent: rows bottom to top, pixels blue, green,
                                   // red; empty before the first
    // Stick.
    std::array<std::string, 3> lines;  // what each line shows, the bytes as sent
    uint32_t shiftIndicator = 0;       // the value last set
    // What the device could not make sense of (virtual_display.h: a header without its marker,
    // a request before the last reply was read, a reply awaited while a request is incomplete,
    // an unknown record or LED number): a sign that exchanges were cut or mixed up.
    uint64_t protocolErrors = 0;
};
DisplayView ViewDisplay(const std::wstring& path);

// What a display device accepted, in order: a LED it switched, a line it now shows, a picture;
// and each protocol error, with what it was.
struct DisplayEvent {
    enum class Kind { Led, Line, Picture, ProtocolError };
    Kind kind = Kind::Led;
    uint32_t index = 0;  // LED number, line number, or the picture's number counted from 1
    bool on = false;     // a LED's new state
    std::string text;    // a line's text, or what the protocol error was
};
// The events after the first *sequence ones the device ever had, oldest first; *sequence becomes
// the number so far (as FeatureReportsSince).
std::vector<DisplayEvent> DisplayEventsSince(const std::wstring& path, uint64_t* sequence);

// The further bytes each reply of a screen display counts while its ExtraBytes fault is on.
inline constexpr int32_t kDefaultReplyExtraBytes = 1500;
void SetReplyExtraBytes(const std::wstring& path, int32_t count);

// How long each transfer of a screen display takes while its Slow fault is on.
inline constexpr uint32_t kDefaultTransferDelayMs = 100;
void SetTransferDelay(const std::wstring& path, uint32_t ms);

// Requests in flight on the files of the device attached under path.
int RequestsInFlight(const std::wstring& path);

// Files opened on the bus and not yet closed (a leak check for tests).
int OpenFileCount();
int OpenFileCount(const std::wstring& path);

// Watch faults: the watch thread cannot start (error 8); its window cannot be created (the
// thread ends at once, calling nothing on the sink); it ignores the quit request (stopping
// answers false at once; the virtual thread cannot really hang, so it is still stopped and
// joined); registering notifications fails (error 13).
void SetWatchThreadFails(bool fails);
void SetWatchWindowFails(bool fails);
void SetWatchHangs(bool hangs);
void SetNotificationFails(bool fails);
// Creating overlapped requests (their events) fails with ERROR_NOT_ENOUGH_MEMORY (8).
void SetIoRequestFails(bool fails);
// Returns once every running watch thread has entered its loop and handled every notice queued
// for it, so that what it traces has been traced.
void AwaitWatchesSettled();
// True while a watch thread serves notices (its window exists).
bool WatchRunning();

}  // namespace XPL::VIRTUAL
