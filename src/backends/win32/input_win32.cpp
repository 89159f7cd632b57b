// Input seam: keyboard records by scan code into the OS's input queue.
#include <windows.h>

#include <vector>

#include "platform/input.h"

namespace XPL::PLATFORM {

uint32_t ScanCodeOfVirtualKey(uint8_t virtualKey) {
    return ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
}

uint32_t SendKeyInputs(const KeyInput* inputs, uint32_t count) {
    if (inputs == nullptr || count == 0) {
        return 0;
    }
    // One call keeps the combination together: no other input lands between its keys.
    std::vector<INPUT> records(count);
    for (uint32_t i = 0; i < count; ++i) {
        INPUT& record = records[i];
        record.type = INPUT_KEYBOARD;
        record.ki.wVk = 0;
        record.ki.wScan = inputs[i].scanCode;
        record.ki.dwFlags = KEYEVENTF_SCANCODE | (inputs[i].keyUp ? KEYEVENTF_KEYUP : 0);
        record.ki.time = 0;
        record.ki.dwExtraInfo = 0;
    }
    return ::SendInput(count, records.data(), sizeof(INPUT));
}

}  // namespace XPL::PLATFORM
