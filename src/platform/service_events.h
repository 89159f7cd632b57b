// Seam: named events of services outside the module, opened by name and never created here.
#pragma once

namespace XPL::PLATFORM {

// Signals the named event when it exists and returns true; returns false (and does nothing)
// when no such event exists.
bool SignalNamedEvent(const wchar_t* name);

}  // namespace XPL::PLATFORM
