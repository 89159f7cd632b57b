// The virtual display devices: how a screen reads its request headers and payloads, and a stick
// its line records.
#include "backends/virtual/virtual_display.h"

#include <algorithm>
#include <string>

#include "backends/virtual/virtual_bus.h"

namespace XPL::VIRTUAL {

namespace {

constexpr uint32_t kImageBytes = 320 * 240 * 3;
constexpr uint32_t kLedCount = 9;

uint32_t BigEndianAt(const uint8_t* data, size_t offset) {
    return (uint32_t{data[offset]} << 24) | (uint32_t{data[offset + 1]} << 16) |
           (uint32_t{data[offset + 2]} << 8) | uint32_t{data[offset + 3]};
}

void PutBigEndian(std::vector<uint8_t>& data, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        data[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
    }
}

void AddEvent(DisplayState& display, DisplayEvent event) {
    display.events.push_back(std::move(event));
    ++display.eventsAppended;
    if (display.events.size() > kLogMaxEntries) {
        display.events.pop_front();
    }
}

void ProtocolError(DisplayState& display, std::string what) {
    ++display.view.protocolErrors;
    AddEvent(display, {DisplayEvent::Kind::ProtocolError, 0, false, std::move(what)});
}

// The header is whole: the request it starts.
void ReadHeader(DisplayState& display) {
    const uint8_t* header = display.header;
    display.payloadLength = BigEndianAt(header, 8);
    display.command = BigEndianAt(header, 20);
    display.ledIndex = BigEndianAt(header, 28);
    display.ledValue = BigEndianAt(header, 32);
    display.payloadLeft = display.payloadLength;
    display.incoming.clear();
    if (BigEndianAt(header, 4) != 1 ||
        (display.command != kScreenCommandImage && display.command != kScreenCommandLed)) {
        ProtocolError(display, "an unknown request (command " + std::to_string(display.command) +
                                   ", marker " + std::to_string(BigEndianAt(header, 4)) + ")");
    } else if (display.command == kScreenCommandImage && display.payloadLength != kImageBytes) {
        ProtocolError(display, "a picture of " + std::to_string(display.payloadLength) + " bytes");
    }
}

// A whole request takes effect.
void Complete(DisplayState& display) {
    DisplayView& view = display.view;
    display.headerBytes = 0;
    display.cutNoted = false;
    if (display.command == kScreenCommandLed) {
        if (display.ledIndex >= kLedCount) {
            ProtocolError(display, "LED " + std::to_string(display.ledIndex));
            return;
        }
        const bool on = display.ledValue != 0;
        const auto bit = static_cast<uint16_t>(1u << display.ledIndex);
        view.leds = static_cast<uint16_t>(on ? (view.leds | bit) : (view.leds & ~bit));
        AddEvent(display, {DisplayEvent::Kind::Led, display.ledIndex, on, {}});
    } else if (display.command == kScreenCommandImage && display.payloadLength == kImageBytes) {
        view.picture.swap(display.incoming);
        ++view.pictures;
        AddEvent(display,
                 {DisplayEvent::Kind::Picture, static_cast<uint32_t>(view.pictures), false, {}});
    }
    display.incoming.clear();
}

// The line a record code clears or writes, or -1.
int LineOf(uint16_t code, bool& clear) {
    static constexpr uint16_t kClear[3] = {0xD9, 0xDA, 0xDC};
    static constexpr uint16_t kWrite[3] = {0xD1, 0xD2, 0xD4};
    for (int line = 0; line < 3; ++line) {
        if (code == kClear[line] || code == kWrite[line]) {
            clear = code == kClear[line];
            return line;
        }
    }
    return -1;
}

}  // namespace

uint32_t AcceptScreenBytes(DisplayState& display, const uint8_t* data, uint32_t length,
                           bool replyUnread, bool& completed) {
    completed = false;
    uint32_t taken = 0;
    if (display.headerBytes < kScreenHeaderBytes) {
        if (display.headerBytes == 0 && replyUnread && length != 0) {
            ProtocolError(display, "a request before the last reply was read");
        }
        taken = std::min(length, kScreenHeaderBytes - display.headerBytes);
        std::copy(data, data + taken, display.header + display.headerBytes);
        display.headerBytes += taken;
        if (display.headerBytes < kScreenHeaderBytes) {
            return taken;
        }
        ReadHeader(display);
    }
    const uint32_t payload = std::min(length - taken, display.payloadLeft);
    // Only a picture's pixels are kept; other payloads are counted off.
    if (display.command == kScreenCommandImage && display.payloadLength == kImageBytes) {
        display.incoming.insert(display.incoming.end(), data + taken, data + taken + payload);
    }
    display.payloadLeft -= payload;
    taken += payload;
    if (display.payloadLeft == 0) {
        Complete(display);
        completed = true;
    }
    return taken;
}

void NoteScreenRead(DisplayState& display) {
    if (display.headerBytes == 0 || display.cutNoted) {
        return;
    }
    display.cutNoted = true;
    const uint32_t due = display.headerBytes < kScreenHeaderBytes
                             ? kScreenHeaderBytes - display.headerBytes
                             : display.payloadLeft;
    ProtocolError(display, "a reply awaited while " + std::to_string(due) +
                               (display.headerBytes < kScreenHeaderBytes ? " header" : " payload") +
                               " bytes of a request are due");
}

std::vector<uint8_t> ScreenReply(const DisplayState& display, int32_t extraBytes) {
    std::vector<uint8_t> reply(kScreenHeaderBytes, 0);
    PutBigEndian(reply, 4, 1);
    PutBigEndian(reply, 20, display.command);
    // The count is in the host's order, not swapped like the other fields.
    const auto count = static_cast<uint32_t>(extraBytes);
    for (int i = 0; i < 4; ++i) {
        reply[8 + i] = static_cast<uint8_t>(count >> (8 * i));
    }
    return reply;
}

bool AcceptStickControl(DisplayState& display, uint32_t code, const uint8_t* input,
                        uint32_t length) {
    DisplayView& view = display.view;
    if (code == kStickShiftControl) {
        if (length < 4) {
            ProtocolError(display, "a short shift indicator");
            return true;
        }
        view.shiftIndicator = uint32_t{input[0]} | (uint32_t{input[1]} << 8) |
                              (uint32_t{input[2]} << 16) | (uint32_t{input[3]} << 24);
        return true;
    }
    if (code != kStickLineControl) {
        return false;
    }
    if (length % 4 != 0) {
        ProtocolError(display, "a line request of " + std::to_string(length) + " bytes");
    }
    bool touched[3] = {};
    const uint32_t records = length / 4;
    for (uint32_t r = 0; r < records; ++r) {
        const uint8_t* record = input + 4 * r;
        bool clear = false;
        const int line = LineOf(static_cast<uint16_t>(record[0] | (record[1] << 8)), clear);
        if (line < 0) {
            ProtocolError(display, "an unknown line record");
            continue;
        }
        touched[line] = true;
        std::string& text = view.lines[line];
        if (clear) {
            text.clear();
            continue;
        }
        text += static_cast<char>(record[3]);
        if (record[2] != 0 || r + 1 != records) {
            text += static_cast<char>(record[2]);
        }
    }
    for (uint32_t line = 0; line < 3; ++line) {
        if (touched[line]) {
            AddEvent(display, {DisplayEvent::Kind::Line, line, false, view.lines[line]});
        }
    }
    return true;
}

}  // namespace XPL::VIRTUAL

namespace XPL::VIRTUAL {

namespace {

// The latest device attached under path, attached or not. Bus mutex held.
Device* KnownDevice(Bus& bus, const std::wstring& path) {
    const auto found = bus.known.find(KeyOf(path));
    return found == bus.known.end() ? nullptr : found->second.get();
}

}  // namespace

DisplayView ViewDisplay(const std::wstring& path) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const Device* device = KnownDevice(bus, path);
    return device == nullptr ? DisplayView{} : device->display.view;
}

std::vector<DisplayEvent> DisplayEventsSince(const std::wstring& path, uint64_t* sequence) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    const Device* device = KnownDevice(bus, path);
    if (device == nullptr) {
        *sequence = 0;
        return {};
    }
    const DisplayState& display = device->display;
    // A sequence beyond the log belongs to a device since replaced under the same path.
    const uint64_t seen = *sequence <= display.eventsAppended ? *sequence : 0;
    const size_t fresh = static_cast<size_t>(
        std::min<uint64_t>(display.eventsAppended - seen, display.events.size()));
    *sequence = display.eventsAppended;
    return {display.events.end() - static_cast<std::ptrdiff_t>(fresh), display.events.end()};
}

void SetReplyExtraBytes(const std::wstring& path, int32_t count) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (Device* device = KnownDevice(bus, path)) {
        device->display.replyExtraBytes = count;
    }
}

void SetTransferDelay(const std::wstring& path, uint32_t ms) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (Device* device = KnownDevice(bus, path)) {
        device->display.transferDelay = ms;
    }
}

}  // namespace XPL::VIRTUAL
