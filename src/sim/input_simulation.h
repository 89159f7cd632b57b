// Named inputs: simulator key strokes and joystick buttons by their SDK names, keyboard
// combinations for the operating system by virtual-key names, and whole-array integer writes.
// The names are looked up in the vocabularies of the SimRegistry; a name that is not there acts
// as id 0 (key stroke 0, button 0, virtual key 0). Everything runs on the caller's thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_dataref.h"
#include "xplm/xplm.h"

namespace XPL {

// XPLMCommandKeyStroke with the key id of name ("xplm_key_pause" is 0).
void KeyStroke(const std::string& name);
// XPLMCommandButtonPress (press) or XPLMCommandButtonRelease (!press) with the button id of name
// ("xplm_joy_start_all" is 1).
void ButtonPress(const std::string& name, bool press);
// The Windows virtual-key code of name ("VK_RETURN" is 0x0D); 0 when name is not a key name.
uint8_t VirtualKeyOf(const std::string& name);
// Writes value into every element of an integer-array dataref, all at once; nothing when the
// array has no element.
void SetDataviAll(const SimDataRef& dataref, int32_t value);

namespace UTILITY {

// Presses (down) or releases (!down) a key combination such as "ctrl + shift + s" with one
// indivisible batch of keyboard records, the keys in the order written. The text is split at
// every '+' (an empty part stays a key); each part is upper-cased, stripped of blanks and looked
// up as "VK_" + part, so "return" names VK_RETURN and "vk_return" names nothing (key 0). A part
// that names no key is traced at level 2 and sent as key 0.
void SimulateInput(const std::string& keyText, bool down);
// The key names of a key combination as SimulateInput looks them up, in the order written
// ("ctrl + s" gives "VK_CTRL", "VK_S").
std::vector<std::string> KeyCombinationNames(const std::string& keyText);

}  // namespace UTILITY

}  // namespace XPL
