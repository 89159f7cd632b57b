// Trace sink seam over Event Tracing for Windows: one provider, plain string events.
#include <windows.h>

#include <evntprov.h>

#include <atomic>

#include "platform/trace_sink.h"

namespace XPL::PLATFORM {

namespace {

// {5C3B8E17-A24D-4F96-8B21-6E0D9C7A4F58}
constexpr GUID kProviderGuid = {
    0x5C3B8E17, 0xA24D, 0x4F96, {0x8B, 0x21, 0x6E, 0x0D, 0x9C, 0x7A, 0x4F, 0x58}};

// The portable callback. Stored before EventRegister because the OS may call back during it.
std::atomic<TraceEnableFn> g_onEnable{nullptr};

void NTAPI EnableCallbackAdapter(LPCGUID /*sourceId*/, ULONG controlCode, UCHAR level,
                                 ULONGLONG matchAnyKeyword, ULONGLONG /*matchAllKeyword*/,
                                 PEVENT_FILTER_DESCRIPTOR /*filterData*/, PVOID /*context*/) {
    const TraceEnableFn onEnable = g_onEnable.load();
    if (onEnable != nullptr) {
        onEnable(controlCode, level, matchAnyKeyword);
    }
}

}  // namespace

uint64_t TraceSinkRegister(TraceEnableFn onEnable) {
    g_onEnable.store(onEnable);
    REGHANDLE registration = 0;
    if (::EventRegister(&kProviderGuid, &EnableCallbackAdapter, nullptr, &registration) !=
        ERROR_SUCCESS) {
        return 0;
    }
    return registration;
}

void TraceSinkUnregister(uint64_t registration) {
    ::EventUnregister(registration);
}

void TraceSinkWrite(uint64_t registration, uint8_t level, uint64_t keyword, const wchar_t* line) {
    ::EventWriteString(registration, level, keyword, line);
}

}  // namespace XPL::PLATFORM
