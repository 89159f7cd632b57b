// Seam: device files and overlapped requests, shared by HID devices and display-driver devices.
// Each call maps onto one OS call; every decision about a result is made by the caller. Error
// codes are the OS's (ERROR_FILE_NOT_FOUND 2, ERROR_IO_PENDING 997, ERROR_IO_INCOMPLETE 996, ...).
#pragma once

#include <cstdint>
#include <string>

namespace XPL::PLATFORM {

inline constexpr uint32_t kErrorIoIncomplete = 996;
inline constexpr uint32_t kErrorIoPending = 997;
inline constexpr uint32_t kWaitTimeout = 258;

struct DeviceFile;  // an open device; owned by whoever opened it
struct IoRequest;   // an overlapped record with the event it carries

// Opens a device interface path for reading and writing, shared for both, as an existing file;
// overlapped selects overlapped I/O. Null on failure, with the OS error in error.
DeviceFile* OpenDevice(const std::wstring& path, bool overlapped, uint32_t& error);
// Closes the file; requests still in flight on it are cancelled. Null is ignored.
void CloseDevice(DeviceFile* file);

// A zeroed overlapped record with a new unnamed, unsignalled event (manual or auto reset).
// Null on failure, with the OS error in error.
IoRequest* CreateIoRequest(bool manualReset, uint32_t& error);
// Frees the record and closes its event. The request must no longer be in flight.
void DestroyIoRequest(IoRequest* request);

enum class IoStart {
    Completed,  // the call completed at once
    Pending,    // accepted; completes later (ERROR_IO_PENDING)
    Failed,     // refused; error holds the OS error
};

// Resets the request's event and starts an overlapped read, write or device control.
IoStart StartRead(DeviceFile* file, IoRequest* request, uint8_t* buffer, uint32_t length,
                  uint32_t& error);
IoStart StartWrite(DeviceFile* file, IoRequest* request, const uint8_t* data, uint32_t length,
                   uint32_t& error);
// Buffered device control without output: the input is copied when the call is made.
IoStart StartDeviceControl(DeviceFile* file, IoRequest* request, uint32_t code, const void* input,
                           uint32_t inputLength, uint32_t& error);

// The request's outcome (GetOverlappedResult). Without wait, a request still in flight fails
// with ERROR_IO_INCOMPLETE. On success bytes holds the count transferred.
bool GetIoResult(DeviceFile* file, IoRequest* request, bool wait, uint32_t& bytes, uint32_t& error);
// Waits at most timeoutMs (on the seam's clock) for the request's event: 0 when signalled,
// kWaitTimeout when the time ran out, another value on failure.
uint32_t WaitIoRequest(IoRequest* request, uint32_t timeoutMs);
// True while the request is in flight (its status is still pending).
bool IsIoRequestPending(const IoRequest* request);
// Cancels every request this thread started on the file (CancelIo).
void CancelIo(DeviceFile* file);
// Cancels one request (CancelIoEx); false when there was nothing to cancel or the call failed.
bool CancelIoRequest(DeviceFile* file, IoRequest* request);

// Synchronous buffered device control with an output buffer; bytes is the count returned.
bool DeviceControl(DeviceFile* file, uint32_t code, const void* input, uint32_t inputLength,
                   void* output, uint32_t outputLength, uint32_t& bytes, uint32_t& error);

}  // namespace XPL::PLATFORM
