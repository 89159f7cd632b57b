// Device file seam: device files and overlapped requests over CreateFileW and OVERLAPPED.
#include <windows.h>

#include "backends/win32/device_file_win32.h"
#include "platform/device_file.h"

namespace XPL::PLATFORM {

struct IoRequest {
    OVERLAPPED overlapped;  // hEvent is the request's event
};

namespace {

// The status an OVERLAPPED holds while its request is in flight.
constexpr ULONG_PTR kStatusPending = 0x103;

// Maps the return of an overlapped call onto the seam's outcome.
IoStart StartResult(BOOL done, uint32_t& error) {
    if (done) {
        error = 0;
        return IoStart::Completed;
    }
    error = ::GetLastError();
    return error == ERROR_IO_PENDING ? IoStart::Pending : IoStart::Failed;
}

// Resets the request's event; a start without a file or request is refused as the OS refuses a
// bad handle.
bool BeginRequest(const DeviceFile* file, const IoRequest* request, uint32_t& error) {
    if (file == nullptr || request == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    ::ResetEvent(request->overlapped.hEvent);
    return true;
}

}  // namespace

DeviceFile* OpenDevice(const std::wstring& path, bool overlapped, uint32_t& error) {
    HANDLE handle = ::CreateFileW(
        path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, overlapped ? FILE_FLAG_OVERLAPPED : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = ::GetLastError();
        return nullptr;
    }
    error = 0;
    return new DeviceFile{handle};
}

void CloseDevice(DeviceFile* file) {
    if (file == nullptr) {
        return;
    }
    ::CloseHandle(file->handle);  // the OS cancels what is still in flight on the handle
    delete file;
}

IoRequest* CreateIoRequest(bool manualReset, uint32_t& error) {
    HANDLE event = ::CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr);
    if (event == nullptr) {
        error = ::GetLastError();
        return nullptr;
    }
    auto* request = new IoRequest{};
    request->overlapped.hEvent = event;
    error = 0;
    return request;
}

void DestroyIoRequest(IoRequest* request) {
    if (request == nullptr) {
        return;
    }
    ::CloseHandle(request->overlapped.hEvent);
    delete request;
}

IoStart StartRead(DeviceFile* file, IoRequest* request, uint8_t* buffer, uint32_t length,
                  uint32_t& error) {
    if (!BeginRequest(file, request, error)) {
        return IoStart::Failed;
    }
    return StartResult(::ReadFile(file->handle, buffer, length, nullptr, &request->overlapped),
                       error);
}

IoStart StartWrite(DeviceFile* file, IoRequest* request, const uint8_t* data, uint32_t length,
                   uint32_t& error) {
    if (!BeginRequest(file, request, error)) {
        return IoStart::Failed;
    }
    return StartResult(::WriteFile(file->handle, data, length, nullptr, &request->overlapped),
                       error);
}

IoStart StartDeviceControl(DeviceFile* file, IoRequest* request, uint32_t code, const void* input,
                           uint32_t inputLength, uint32_t& error) {
    if (!BeginRequest(file, request, error)) {
        return IoStart::Failed;
    }
    // The input buffer is const for the caller; buffered control copies it before returning.
    return StartResult(::DeviceIoControl(file->handle, code, const_cast<void*>(input), inputLength,
                                         nullptr, 0, nullptr, &request->overlapped),
                       error);
}

bool GetIoResult(DeviceFile* file, IoRequest* request, bool wait, uint32_t& bytes,
                 uint32_t& error) {
    bytes = 0;
    if (file == nullptr || request == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    DWORD transferred = 0;
    const BOOL done = ::GetOverlappedResult(file->handle, &request->overlapped, &transferred,
                                            wait ? TRUE : FALSE);
    bytes = transferred;
    error = done ? 0 : ::GetLastError();
    return done != FALSE;
}

uint32_t WaitIoRequest(IoRequest* request, uint32_t timeoutMs) {
    if (request == nullptr) {
        return WAIT_FAILED;
    }
    return ::WaitForSingleObject(request->overlapped.hEvent, timeoutMs);
}

bool IsIoRequestPending(const IoRequest* request) {
    return request != nullptr && request->overlapped.Internal == kStatusPending;
}

void CancelIo(DeviceFile* file) {
    if (file != nullptr) {
        ::CancelIo(file->handle);
    }
}

bool CancelIoRequest(DeviceFile* file, IoRequest* request) {
    if (file == nullptr || request == nullptr) {
        return false;
    }
    return ::CancelIoEx(file->handle, &request->overlapped) != FALSE;
}

bool DeviceControl(DeviceFile* file, uint32_t code, const void* input, uint32_t inputLength,
                   void* output, uint32_t outputLength, uint32_t& bytes, uint32_t& error) {
    bytes = 0;
    if (file == nullptr) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    DWORD returned = 0;
    const BOOL done = ::DeviceIoControl(file->handle, code, const_cast<void*>(input), inputLength,
                                        output, outputLength, &returned, nullptr);
    bytes = returned;
    error = done ? 0 : ::GetLastError();
    return done != FALSE;
}

}  // namespace XPL::PLATFORM
