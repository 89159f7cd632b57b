// How the configuration binds a screen panel's buttons to a gauge: each child element of a
// <Gauge> entry that has attributes may bind one button,
//   <Button Id="2" Name="HDG" Event="sim/autopilot/heading" Type="Command" Visible="yes"/>
// (the element's name is not looked at).
//   Id       decimal, leading digits as _wtoi reads them; only 1 to 12 bind a button
//   Name     the label drawn beside soft buttons 1 to 6; default empty
//   Event    a key name, joystick-button name, command path, key combination or text, by Type
//   Type     "Key", "Button", "Command", "VInput" or "String", exactly; anything else or none
//            binds the button (its LED lights, its label is drawn) but it does nothing
//   Visible  1 when exactly "yes", 0 for any other value, 1 when absent
// A child whose Id repeats an earlier one overwrites only the attributes it carries.
//
// The rules live here so that the plug-in and the configuration check read a file alike.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/xml.h"

namespace XPL {

// Event types: what a bound button does when pressed (and, for some, released).
enum GaugeEventType : uint32_t {
    kEventNone = 0,
    kEventKey = 1,      // on press: a simulator key stroke
    kEventButton = 2,   // on press and release: a simulator joystick button
    kEventCommand = 3,  // on press: a simulator command, once
    kEventVInput = 4,   // on press and release: an operating-system key combination
    kEventString = 5,   // on press: the text is spoken
};

struct ButtonBinding {
    uint8_t number = 0;  // 1 to 12; 0 = unbound
    std::wstring label;
    std::wstring event;
    int32_t visible = 1;
    uint32_t eventType = kEventNone;
};

inline constexpr int32_t kBoundButtonCount = 12;
// Indexed by button number - 1.
using ButtonBindings = std::array<ButtonBinding, kBoundButtonCount>;

// What the rules made of a child that its author may have meant otherwise; the plug-in ignores
// these, the configuration check reports them.
enum class BindingNote : uint8_t {
    IgnoredId,    // value: the "Id" text (empty when absent); the child binds nothing
    RepeatedId,   // value: the "Id" text; only the attributes present overwrite
    UnknownType,  // value: the "Type" text; the button is bound but does nothing
    NoType,       // value: empty; the button is bound but does nothing
    NotVisible,   // value: the "Visible" text, which is not exactly "yes"
};
using BindingNoteSink =
    std::function<void(BindingNote note, const PLATFORM::CXmlNode& child, std::wstring_view value)>;

// The event type a "Type" word names, or kEventNone.
uint32_t EventTypeOf(std::wstring_view word);
// The configuration word of an event type, or "" for none.
std::wstring_view EventTypeWord(uint32_t eventType);
// The number an "Id" text gives: optional blanks and sign, then leading decimal digits (none
// gives 0); saturates instead of overflowing.
int32_t ReadButtonId(std::wstring_view text);

// Fills bindings (all unbound first) from the children of one <Gauge> element, in document
// order; notes, when given, hears of every doubtful child.
void ReadButtonBindings(const PLATFORM::CXmlNode& gauge, ButtonBindings& bindings,
                        const BindingNoteSink& notes = {});

}  // namespace XPL
