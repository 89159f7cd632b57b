// The screen panel's handle on one gauge: it owns the gauge document and its variable table,
// fetches the variables from the simulator once a frame, and turns the panel's button presses
// into simulator key strokes, joystick buttons, commands, operating-system key input or speech.
//
// Threads: Update and FireButton run on the simulator's thread (they call the simulator); the
// panel's I/O thread draws the document under the panel's gauge lock, which Update also runs
// under. The button list is fixed after Initialize, so FireButton needs no lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gauge/gauge_document.h"
#include "gauge/gauge_variables.h"
#include "screen/button_binding.h"
#include "screen/screen_panel.h"

namespace XPL {

class CScreenPanel::CGauge {
public:
    // Event texts go to the simulator in a buffer of this size, terminator included.
    static constexpr size_t kEventBufferBytes = 260;

    CGauge() = default;
    ~CGauge();
    CGauge(const CGauge&) = delete;
    CGauge& operator=(const CGauge&) = delete;

    // Loads the gauge file at path (a Windows path) into a new document, replacing any held,
    // then binds each bound button of bindings in order. False, with "Failed in loading the
    // gauge xml file: %s", when the file did not load; the gauge then holds no document.
    bool Initialize(const std::wstring& path, const ButtonBindings& bindings);
    // One frame: fetches every variable; true when one moved by more than 0.005, which also
    // made the current values the working values. Allocates nothing.
    bool Update();
    // Binds a button unless the document already binds this number (the first binding stays).
    void AddButton(int32_t number, const std::wstring& label, const std::wstring& event,
                   uint32_t eventType, uint8_t visible);
    // A press (state 1) or release (any other state) of a button: the first binding of the
    // number fires its event with its text in the system's ANSI code page
    // (PLATFORM::ToAnsiCodePage), cut to kEventBufferBytes. Nothing for an unbound number.
    void FireButton(int32_t number, uint32_t state) const;
    // What an event does: see GaugeEventType. A press is a state of exactly 1.
    static void FireGaugeEvent(const char* event, uint32_t eventType, uint32_t state);

    // True when the document binds button number (its LED lights).
    bool BindsButton(int32_t number) const;
    // Null before Initialize or after a failed load.
    CGaugeDocument* Document() const { return document.get(); }
    // The document's name, or "" without one.
    const std::wstring& Name() const;
    CGaugeVariables& Variables() { return variables; }

private:
    // Declared first: the document refers to the table, so it must go first.
    CGaugeVariables variables;
    std::unique_ptr<CGaugeDocument> document;
    uint16_t boundButtons = 0;  // bit n: button n is bound
};

}  // namespace XPL
