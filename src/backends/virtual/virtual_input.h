// Control surface of the virtual keyboard: what the plug-in sent to the input queue.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/input.h"

namespace XPL::VIRTUAL {

// The virtual keyboard's scan code of a key is its virtual-key code, so a recorded batch reads
// back as the keys that were named.
struct KeyBatch {
    bool keyUp = false;  // true when every record of the batch is a release
    std::vector<uint8_t> virtualKeys;
    std::vector<PLATFORM::KeyInput> records;
};

// Batches sent since the last call, oldest first.
std::vector<KeyBatch> TakeKeyBatches();
// Also called for each batch as it is sent, on the sending thread (empty function: none).
void SetKeyBatchListener(std::function<void(const KeyBatch&)> listener);
// Forgets recorded batches and the listener (ResetPlatform calls it too).
void ResetKeyboard();

}  // namespace XPL::VIRTUAL
