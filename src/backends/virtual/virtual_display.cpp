// The virtual display devices: how a screen reads its request headers and payloads, and a stick
// its line records.
#include "backends/virtual/virtual_display.h"

#include <algorithm>

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

// A whole request takes effect.
void Complete(DisplayState& display) {
    DisplayView& view = display.view;
    if (display.command == kScreenCommandLed) {
        if (display.ledIndex >= kLedCount) {
            ++view.protocolErrors;
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

bool AcceptScreenWrite(DisplayState& display, const uint8_t* data, uint32_t length,
                       bool replyUnread) {
    if (display.payloadLeft == 0) {
        // A request before the last reply was read in full: two exchanges are mixed up.
        if (length != kScreenHeaderBytes || replyUnread) {
            ++display.view.protocolErrors;
        }
        if (length != kScreenHeaderBytes) {
            return false;
        }
        display.payloadLength = BigEndianAt(data, 8);
        display.command = BigEndianAt(data, 20);
        display.ledIndex = BigEndianAt(data, 28);
        display.ledValue = BigEndianAt(data, 32);
        display.payloadLeft = display.payloadLength;
        display.incoming.clear();
    } else {
        const uint32_t taken = std::min(length, display.payloadLeft);
        // Only a picture's pixels are kept; other payloads are counted off.
        if (display.command == kScreenCommandImage && display.payloadLength == kImageBytes) {
            display.incoming.insert(display.incoming.end(), data, data + taken);
        }
        display.payloadLeft -= taken;
        if (taken < length) {
            ++display.view.protocolErrors;
        }
    }
    if (display.payloadLeft != 0) {
        return false;
    }
    Complete(display);
    return true;
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
            ++view.protocolErrors;
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
        ++view.protocolErrors;
    }
    bool touched[3] = {};
    const uint32_t records = length / 4;
    for (uint32_t r = 0; r < records; ++r) {
        const uint8_t* record = input + 4 * r;
        bool clear = false;
        const int line = LineOf(static_cast<uint16_t>(record[0] | (record[1] << 8)), clear);
        if (line < 0) {
            ++view.protocolErrors;
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

}  // namespace XPL::VIRTUAL
