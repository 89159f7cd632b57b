#include "sim/input_simulation.h"

#include <map>
#include <vector>

#include "platform/input.h"
#include "sim/sim_registry.h"
#include "trace/trace.h"

namespace XPL {

namespace {

template <class Value>
Value Lookup(const std::map<std::string, Value>& names, const std::string& name) {
    const auto found = names.find(name);
    return found == names.end() ? Value{} : found->second;
}

// The key name a part of a key text stands for: upper case, no blanks, "VK_" in front even when
// the part already carries it.
std::string KeyNameOf(const std::string& part) {
    std::string name = "VK_";
    for (const char c : part) {
        if (c == ' ' || c == '\t') {
            continue;
        }
        name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return name;
}

}  // namespace

void KeyStroke(const std::string& name) {
    XPLMCommandKeyStroke(Lookup(GetSimRegistry().keyNames, name));
}

void ButtonPress(const std::string& name, bool press) {
    const int button = Lookup(GetSimRegistry().joystickNames, name);
    if (press) {
        XPLMCommandButtonPress(button);
    } else {
        XPLMCommandButtonRelease(button);
    }
}

uint8_t VirtualKeyOf(const std::string& name) {
    return Lookup(GetSimRegistry().virtualKeyNames, name);
}

void SetDataviAll(const SimDataRef& dataref, int32_t value) {
    const int count = GetDatavi(dataref, nullptr, 0, 0);
    if (count <= 0) {
        return;
    }
    std::vector<int> values(static_cast<size_t>(count), value);
    SetDatavi(dataref, values.data(), 0, count);
}

namespace UTILITY {

void SimulateInput(const std::string& keyText, bool down) {
    CTraceScope scope(TRACEKW::kUtility, "XPL::UTILITY::SimulateInput");
    std::vector<PLATFORM::KeyInput> records;
    for (const std::string& name : KeyCombinationNames(keyText)) {
        const uint8_t virtualKey = VirtualKeyOf(name);
        if (virtualKey == 0) {
            TraceWrite(kTraceNotice, TRACEKW::kUtility, kTraceMessage,
                       L"The key name %S is unknown; key 0 is sent for it", name.c_str());
        }
        records.push_back(PLATFORM::KeyInput{
            static_cast<uint16_t>(PLATFORM::ScanCodeOfVirtualKey(virtualKey)), !down});
    }
    const uint32_t count = static_cast<uint32_t>(records.size());
    const uint32_t sent = PLATFORM::SendKeyInputs(records.data(), count);
    if (sent != count) {
        TraceWrite(kTraceFailure, TRACEKW::kUtility, kTraceMessage,
                   L"Failed in sending the key input %S: %d of %d records were taken",
                   keyText.c_str(), static_cast<int32_t>(sent), static_cast<int32_t>(count));
    }
}

std::vector<std::string> KeyCombinationNames(const std::string& keyText) {
    std::vector<std::string> names;
    size_t start = 0;
    for (;;) {
        const size_t plus = keyText.find('+', start);
        names.push_back(
            KeyNameOf(keyText.substr(start, plus == std::string::npos ? plus : plus - start)));
        if (plus == std::string::npos) {
            return names;
        }
        start = plus + 1;
    }
}

}  // namespace UTILITY

}  // namespace XPL
