// Virtual keyboard: records every batch the plug-in sends to the input queue.
#include "backends/virtual/virtual_input.h"

#include <mutex>
#include <utility>

namespace XPL::VIRTUAL {

namespace {

struct Keyboard {
    std::mutex mutex;
    std::vector<KeyBatch> batches;
    std::function<void(const KeyBatch&)> listener;
};

Keyboard& TheKeyboard() {
    static Keyboard keyboard;
    return keyboard;
}

}  // namespace

std::vector<KeyBatch> TakeKeyBatches() {
    Keyboard& k = TheKeyboard();
    std::lock_guard lock(k.mutex);
    std::vector<KeyBatch> batches;
    batches.swap(k.batches);
    return batches;
}

void SetKeyBatchListener(std::function<void(const KeyBatch&)> listener) {
    Keyboard& k = TheKeyboard();
    std::lock_guard lock(k.mutex);
    k.listener = std::move(listener);
}

void ResetKeyboard() {
    Keyboard& k = TheKeyboard();
    std::lock_guard lock(k.mutex);
    k.batches.clear();
    k.listener = nullptr;
}

}  // namespace XPL::VIRTUAL

namespace XPL::PLATFORM {

uint32_t ScanCodeOfVirtualKey(uint8_t virtualKey) {
    return virtualKey;
}

uint32_t SendKeyInputs(const KeyInput* inputs, uint32_t count) {
    if (inputs == nullptr || count == 0) {
        return 0;
    }
    VIRTUAL::KeyBatch batch;
    batch.keyUp = true;
    for (uint32_t i = 0; i < count; ++i) {
        batch.records.push_back(inputs[i]);
        batch.virtualKeys.push_back(static_cast<uint8_t>(inputs[i].scanCode));
        batch.keyUp = batch.keyUp && inputs[i].keyUp;
    }
    VIRTUAL::Keyboard& k = VIRTUAL::TheKeyboard();
    std::function<void(const VIRTUAL::KeyBatch&)> listener;
    {
        std::lock_guard lock(k.mutex);
        k.batches.push_back(batch);
        listener = k.listener;
    }
    // Called without the lock, so the listener may call back into the keyboard.
    if (listener) {
        listener(batch);
    }
    return count;
}

}  // namespace XPL::PLATFORM
