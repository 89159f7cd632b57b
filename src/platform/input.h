// Seam: synthetic keyboard input for the operating system's input queue.
#pragma once

#include <cstdint>

namespace XPL::PLATFORM {

// One keyboard record, sent by scan code; the extended-key flag is never set.
struct KeyInput {
    uint16_t scanCode = 0;
    bool keyUp = false;
};

// The scan code of a virtual-key code (virtual key to scan code); 0 when the key has none.
uint32_t ScanCodeOfVirtualKey(uint8_t virtualKey);

// Sends the records as one indivisible batch; returns how many the OS accepted.
uint32_t SendKeyInputs(const KeyInput* inputs, uint32_t count);

}  // namespace XPL::PLATFORM
