#include "glasslink/glasslink_hotas.h"

#include <algorithm>

#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kGlasslink;
constexpr uint16_t kClearCode[CGlasslinkHotas::kLineCount] = {0x00D9, 0x00DA, 0x00DC};
constexpr uint16_t kWriteCode[CGlasslinkHotas::kLineCount] = {0x00D1, 0x00D2, 0x00D4};

void AppendRecord(std::vector<uint8_t>& records, uint16_t code, char later, char earlier) {
    records.push_back(static_cast<uint8_t>(code));
    records.push_back(static_cast<uint8_t>(code >> 8));
    records.push_back(static_cast<uint8_t>(later));
    records.push_back(static_cast<uint8_t>(earlier));
}

}  // namespace

CGlasslinkHotas::CGlasslinkHotas(const std::wstring& path) : CGlasslink(path) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::CGlasslinkHotas");
}

CGlasslinkHotas::~CGlasslinkHotas() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::~CGlasslinkHotas");
    // A record may only be freed once its request is over.
    CleanupIncompleteIo();
    PLATFORM::CloseDevice(deviceHandle);
}

bool CGlasslinkHotas::Initialize() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::Initialize");
    if (!OpenOverlappedDevice(deviceHandle)) {
        return false;
    }
    SetShiftIndicator();
    return true;
}

void CGlasslinkHotas::Uninitialize() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::Uninitialize");
    CleanupIncompleteIo();
}

void CGlasslinkHotas::BuildLine(std::string_view text, uint8_t line,
                                std::vector<uint8_t>& records) {
    records.clear();
    AppendRecord(records, kClearCode[line], 0, 0);
    for (size_t i = 0; i < text.size(); i += 2) {
        AppendRecord(records, kWriteCode[line], i + 1 < text.size() ? text[i + 1] : '\0', text[i]);
    }
}

void CGlasslinkHotas::SetString(std::string_view text, uint8_t line) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::SetString");
    if (line >= kLineCount) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage, L"There is no display line %d", line);
        return;
    }
    BuildLine(text, line, building);
    if (building == lastSent[line]) {
        return;
    }
    if (IoSet(kSetLineControl, building.data(), static_cast<uint32_t>(building.size()))) {
        // The swap keeps both buffers' storage, so a steady page allocates nothing.
        lastSent[line].swap(building);
    }
}

void CGlasslinkHotas::SetShiftIndicator() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::SetShiftIndicator");
    const uint8_t value[4] = {1, 0, 0, 0};  // 32-bit little-endian 1
    IoSet(kSetShiftControl, value, sizeof(value));
}

bool CGlasslinkHotas::IoSet(uint32_t code, const void* buffer, uint32_t length) {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::IoSet");
    CleanupCompletedIo();
    uint32_t error = 0;
    PLATFORM::IoRequest* request = PLATFORM::CreateIoRequest(false, error);
    if (request == nullptr) {
        return false;
    }
    // Buffered control copies the input when the call is made: the caller's buffer is free
    // as soon as this returns.
    switch (PLATFORM::StartDeviceControl(deviceHandle, request, code, buffer, length, error)) {
        case PLATFORM::IoStart::Pending:
            pendingIo.push_back(request);
            return true;
        case PLATFORM::IoStart::Completed:
            PLATFORM::DestroyIoRequest(request);
            return true;
        case PLATFORM::IoStart::Failed:
            break;
    }
    PLATFORM::DestroyIoRequest(request);
    return false;
}

void CGlasslinkHotas::CleanupCompletedIo() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::CleanupCompletedIo");
    for (PLATFORM::IoRequest*& request : pendingIo) {
        if (!PLATFORM::IsIoRequestPending(request)) {
            PLATFORM::DestroyIoRequest(request);
            request = nullptr;
        }
    }
    pendingIo.erase(std::remove(pendingIo.begin(), pendingIo.end(), nullptr), pendingIo.end());
}

void CGlasslinkHotas::CleanupIncompleteIo() {
    CTraceScope scope(kKeyword, "XPL::CGlasslinkHotas::CleanupIncompleteIo");
    for (PLATFORM::IoRequest* request : pendingIo) {
        if (PLATFORM::IsIoRequestPending(request) &&
            PLATFORM::CancelIoRequest(deviceHandle, request)) {
            uint32_t bytes = 0;
            uint32_t error = 0;
            PLATFORM::GetIoResult(deviceHandle, request, true, bytes, error);
        }
        PLATFORM::DestroyIoRequest(request);
    }
    pendingIo.clear();
}

}  // namespace XPL
