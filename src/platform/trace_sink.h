// Seam: the operating system's event tracing. The provider is registered once per module life;
// a controller outside the module enables it and picks the level and keywords.
#pragma once

#include <cstdint>

namespace XPL::PLATFORM {

// Called by the OS (on a thread of its choosing) when a controller changes the provider's state.
// controlCode: 1 enable, 0 disable, others are ignored by the receiver.
using TraceEnableFn = void (*)(uint32_t controlCode, uint8_t level, uint64_t matchAnyKeyword);

// Registers the provider. The callback may run before this returns (a controller already waits).
// Returns the registration handle, 0 on failure.
uint64_t TraceSinkRegister(TraceEnableFn onEnable);
void TraceSinkUnregister(uint64_t registration);

// Writes one finished line. Errors are swallowed: tracing never fails towards its caller.
void TraceSinkWrite(uint64_t registration, uint8_t level, uint64_t keyword, const wchar_t* line);

}  // namespace XPL::PLATFORM
