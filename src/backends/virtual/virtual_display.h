// What the virtual display devices show, and how they read the requests they are sent (internal
// to src/backends/virtual; guarded by the bus mutex like the rest of a device).
//
// Screen: the bytes written are one stream, read as they arrive whatever the writes' sizes: a
// 44-byte request header (eleven big-endian 32-bit fields: marker 1 at offset 4, payload length at
// 8, command at 20, LED number at 28, LED value at 32), then the payload it counts, then the next
// header. Once a request is whole it takes effect (command 6 with a 230400-byte payload: a
// picture; command 24: LED 0-8 on or off) and is answered: a 44-byte reply whose field at offset 8
// (little-endian) counts the further bytes that follow it. Protocol errors: a header without the
// marker or of an unknown command, a picture of another size, a LED number beyond 8, a request
// begun before the last reply and its bytes were read, and a reply awaited (a read) while a
// request is still incomplete, which is how a cut payload shows: its missing bytes are taken from
// what follows.
// Stick: control request 0x223004 carries 4-byte records (16-bit little-endian code, then two
// characters, the later one first): a clear code empties its line, a write code appends two
// characters (a zero later one in the last record is none); 0x223084 sets the shift indicator.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "backends/virtual/virtual_devices.h"

namespace XPL::VIRTUAL {

inline constexpr uint32_t kScreenHeaderBytes = 44;
inline constexpr uint32_t kScreenCommandImage = 6;
inline constexpr uint32_t kScreenCommandLed = 24;
inline constexpr uint32_t kStickLineControl = 0x223004;
inline constexpr uint32_t kStickShiftControl = 0x223084;

struct DisplayState {
    DisplayView view;
    // Screen: the request being received: its header so far, then its payload.
    uint8_t header[kScreenHeaderBytes] = {};
    uint32_t headerBytes = 0;
    uint32_t command = 0;
    uint32_t ledIndex = 0;
    uint32_t ledValue = 0;
    uint32_t payloadLength = 0;
    uint32_t payloadLeft = 0;  // payload bytes still due
    bool cutNoted = false;     // a read came while this request was incomplete
    std::vector<uint8_t> incoming;
    int32_t replyExtraBytes = kDefaultReplyExtraBytes;
    uint32_t transferDelay = kDefaultTransferDelayMs;
    // Events, newest kept within the request log's entry bound.
    std::deque<DisplayEvent> events;
    uint64_t eventsAppended = 0;
};

// Takes bytes written to a screen display up to the end of the first request they complete;
// returns how many it took, with completed set when a request became whole (answer it before
// handing over the rest). replyUnread: bytes of an earlier reply are still queued.
uint32_t AcceptScreenBytes(DisplayState& display, const uint8_t* data, uint32_t length,
                           bool replyUnread, bool& completed);
// A read of a screen display begins: a protocol error while a request is incomplete.
void NoteScreenRead(DisplayState& display);
// The reply to a whole request: 44 bytes counting extraBytes further bytes.
std::vector<uint8_t> ScreenReply(const DisplayState& display, int32_t extraBytes);
// Takes one control request of a stick display; false when the code is not one it knows.
bool AcceptStickControl(DisplayState& display, uint32_t code, const uint8_t* input,
                        uint32_t length);

}  // namespace XPL::VIRTUAL
