// Device watch seam: a thread with a message-only window that receives WM_DEVICECHANGE.
#include <windows.h>

#include <dbt.h>

// <windows.h> maps this name onto its A/W forms; the seam's function keeps its own name.
#undef RegisterDeviceNotification

#include <atomic>

#include "platform/device_watch.h"

namespace XPL::PLATFORM {

struct DeviceWatch {
    IDeviceWatchSink* sink;
    HANDLE thread;
    DWORD threadId;
    std::atomic<HWND> window;  // set by the watch thread before it reports the window created
};

struct DeviceNotification {
    HDEVNOTIFY handle;
};

namespace {

constexpr wchar_t kWindowClass[] = L"XPL.SKYDECK.MSG.WINDOW";
constexpr DWORD kTerminatedExitCode = 555;

// What the window procedure needs; lives on the watch thread's stack, so a watch freed while
// its thread is still ending is never touched from the window.
struct WindowContext {
    DeviceWatch* watch;  // only during creation
    IDeviceWatchSink* sink;
};

Guid FromOsGuid(const GUID& os) {
    Guid guid{os.Data1, os.Data2, os.Data3, {}};
    for (int i = 0; i < 8; ++i) {
        guid.data4[i] = os.Data4[i];
    }
    return guid;
}

GUID ToOsGuid(const Guid& guid) {
    GUID os{guid.data1, guid.data2, guid.data3, {}};
    for (int i = 0; i < 8; ++i) {
        os.Data4[i] = guid.data4[i];
    }
    return os;
}

void DeliverDeviceChange(IDeviceWatchSink& sink, WPARAM wParam, LPARAM lParam) {
    const auto event = static_cast<uint32_t>(wParam);
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) {
        sink.OnDeviceChange(event, nullptr, nullptr);
        return;
    }
    const auto* broadcast = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const Guid interfaceClass = FromOsGuid(broadcast->dbcc_classguid);
    sink.OnDeviceChange(event, &interfaceClass, broadcast->dbcc_name);
}

LRESULT CALLBACK WatchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* context = reinterpret_cast<WindowContext*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        context = static_cast<WindowContext*>(create->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(context));
    }
    if (context == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    context->sink->OnWindowMessage(message);
    switch (message) {
        case WM_CREATE:
            context->watch->window.store(window);
            context->sink->OnWindowCreated(window);
            return 0;
        case WM_DEVICECHANGE:
            DeliverDeviceChange(*context->sink, wParam, lParam);
            return TRUE;  // also grants DBT_QUERYREMOVE
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD WINAPI WatchThread(LPVOID parameter) {
    auto* watch = static_cast<DeviceWatch*>(parameter);
    WindowContext context{watch, watch->sink};

    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&WatchWindowProc), &module);
    const auto instance = static_cast<HINSTANCE>(module);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &WatchWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass);

    HWND window = ::CreateWindowExW(0, kWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, &context);
    if (window == nullptr) {
        ::UnregisterClassW(kWindowClass, instance);
        return ::GetLastError();
    }
    context.watch = nullptr;  // the creator may free the watch from here on
    context.sink->OnMessageLoop(window);

    const HRESULT com = ::CoInitialize(nullptr);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) == 1) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::DestroyWindow(window);
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    ::UnregisterClassW(kWindowClass, instance);
    return 0;
}

}  // namespace

DeviceWatch* StartDeviceWatch(IDeviceWatchSink* sink, uint32_t& error) {
    if (sink == nullptr) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    auto* watch = new DeviceWatch{sink, nullptr, 0, nullptr};
    watch->thread = ::CreateThread(nullptr, 0, &WatchThread, watch, 0, &watch->threadId);
    if (watch->thread == nullptr) {
        error = ::GetLastError();
        delete watch;
        return nullptr;
    }
    error = 0;
    return watch;
}

bool StopDeviceWatch(DeviceWatch* watch, uint32_t timeoutMs) {
    if (watch == nullptr) {
        return true;
    }
    ::PostThreadMessageW(watch->threadId, WM_QUIT, 0, 0);
    bool stopped = true;
    // Stopped from inside a notice: the thread ends once the notice returns.
    if (watch->threadId != ::GetCurrentThreadId() &&
        ::WaitForSingleObject(watch->thread, timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateThread(watch->thread, kTerminatedExitCode);
        stopped = false;
    }
    ::CloseHandle(watch->thread);
    delete watch;
    return stopped;
}

DeviceNotification* RegisterDeviceNotification(DeviceWatch* watch, const Guid& interfaceClass,
                                               uint32_t& error) {
    HWND window = watch != nullptr ? watch->window.load() : nullptr;
    if (window == nullptr) {
        error = ERROR_INVALID_WINDOW_HANDLE;
        return nullptr;
    }
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = ToOsGuid(interfaceClass);
    HDEVNOTIFY handle = ::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (handle == nullptr) {
        error = ::GetLastError();
        return nullptr;
    }
    error = 0;
    return new DeviceNotification{handle};
}

void UnregisterDeviceNotification(DeviceNotification* notification) {
    if (notification == nullptr) {
        return;
    }
    ::UnregisterDeviceNotification(notification->handle);
    delete notification;
}

}  // namespace XPL::PLATFORM
