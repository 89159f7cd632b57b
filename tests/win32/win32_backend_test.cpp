// The Win32 backends against the OS (run under Wine): each maps its seam call onto the OS and
// hands the OS's answer back unchanged.
#include <windows.h>

#include <dbt.h>

// <windows.h> maps this name onto its A/W forms; the seam's function keeps its own name.
#undef RegisterDeviceNotification

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "backends/win32/device_file_win32.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/device_file.h"
#include "platform/device_watch.h"
#include "platform/folders.h"
#include "platform/hid.h"
#include "platform/service_events.h"
#include "platform/trace_sink.h"

namespace XPL {
namespace {

TEST(Win32ServiceEvents, SignalsAnEventThatExistsAndIgnoresOneThatDoesNot) {
    const wchar_t* name = L"Local\\xvs-win32-backend-test-event";
    EXPECT_FALSE(PLATFORM::SignalNamedEvent(name));

    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, name);
    ASSERT_NE(event, nullptr);
    EXPECT_TRUE(PLATFORM::SignalNamedEvent(name));
    EXPECT_EQ(::WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    ::CloseHandle(event);

    // The handle opened to signal it was closed again: the event is gone with the last handle.
    EXPECT_FALSE(PLATFORM::SignalNamedEvent(name));
}

TEST(Win32Folders, ModuleFilePathIsTheFileHoldingTheBackend) {
    // Linked into this program, so the module is the program itself.
    wchar_t program[MAX_PATH] = {};
    ASSERT_NE(::GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    EXPECT_EQ(PLATFORM::GetModuleFilePath(), std::wstring(program));
}

TEST(Win32Folders, KnownFoldersAreExistingFoldersWithoutTrailingBackslash) {
    for (const auto lookUp : {&PLATFORM::GetPublicDocumentsFolder, &PLATFORM::GetFontsFolder}) {
        std::wstring folder;
        uint32_t status = 0xFFFFFFFF;
        ASSERT_TRUE(lookUp(folder, status));
        EXPECT_EQ(status, 0u);
        ASSERT_FALSE(folder.empty());
        EXPECT_NE(folder.back(), L'\\');
        const DWORD attributes = ::GetFileAttributesW(folder.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "no folder at " << folder;
        EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    }
}

// Run under each system language (tests/wine/WineTests.cmake sets the locale): speech in Polish,
// Russian or Japanese reaches the simulator in the bytes of the system's own code page, cut
// between characters, never inside a double-byte one.
TEST(Win32CodePage, TextIsInTheActiveCodePageCutBetweenCharacters) {
    struct Case {
        UINT codePage;
        const wchar_t* text;
        size_t capacity;
        const char* bytes;
    };
    static const Case kCases[] = {
        {1252, L"Caf\u00e9 \u20ac \u65e5", 16, "Caf\xE9 \x80 ?"},
        {1250, L"Za\u017c\u00f3\u0142\u0107", 16, "Za\xBF\xF3\xB3\xE6"},
        {1251, L"\u041f\u0440\u0438\u0432\u0435\u0442", 16, "\xCF\xF0\xE8\xE2\xE5\xF2"},
        {932, L"\u65e5\u672c\u8a9e", 16, "\x93\xFA\x96\x7B\x8C\xEA"},
        {932, L"\u65e5\u672c\u8a9e", 4, "\x93\xFA"},
    };
    bool ran = false;
    for (const Case& c : kCases) {
        if (c.codePage != ::GetACP()) {
            continue;
        }
        ran = true;
        char out[16];
        EXPECT_EQ(PLATFORM::ToAnsiCodePage(c.text, out, c.capacity), std::strlen(c.bytes));
        EXPECT_STREQ(out, c.bytes);
    }
    if (!ran) {
        GTEST_SKIP() << "no case for code page " << ::GetACP();
    }
}

TEST(Win32Hid, ListsPresentInterfacesWithTheirPaths) {
    const PLATFORM::Guid unknownClass = {
        0x0BADF00D, 0x1234, 0x5678, {0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78}};
    for (const PLATFORM::Guid& interfaceClass : {PLATFORM::kHidInterfaceClass, unknownClass}) {
        const PLATFORM::InterfaceList list = PLATFORM::ListInterfaces(interfaceClass);
        EXPECT_EQ(list.classError, 0u);
        for (const PLATFORM::InterfaceEntry& entry : list.entries) {
            EXPECT_NE(entry.requiredDetailBytes, 0u);
            EXPECT_EQ(entry.detailError, 0u);
            EXPECT_FALSE(entry.path.empty());
        }
    }
    EXPECT_TRUE(PLATFORM::ListInterfaces(unknownClass).entries.empty());
}

TEST(Win32Clock, TimedWaitEndsWhenReadyOrAtOnceWithoutTime) {
    std::mutex mutex;
    std::condition_variable condition;
    bool flag = false;
    const auto isSet = [](void* context) { return *static_cast<bool*>(context); };

    std::unique_lock lock(mutex);
    EXPECT_FALSE(PLATFORM::TimedWait(lock, condition, 0, isSet, &flag));
    std::thread setter([&] {
        const std::lock_guard guard(mutex);
        flag = true;
        condition.notify_all();
    });
    // Ends when notified, long before the time-out.
    EXPECT_TRUE(PLATFORM::TimedWait(lock, condition, 60000, isSet, &flag));
    lock.unlock();
    setter.join();
}

TEST(Win32TraceSink, RegistersWritesAndUnregisters) {
    const uint64_t registration = PLATFORM::TraceSinkRegister([](uint32_t, uint8_t, uint64_t) {});
    ASSERT_NE(registration, 0u);
    PLATFORM::TraceSinkWrite(registration, 3, 0x1, L">>XPluginStart");
    PLATFORM::TraceSinkUnregister(registration);
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

TEST(Win32DeviceFile, OpenReportsTheOsErrorForAMissingPath) {
    uint32_t error = 0;
    EXPECT_EQ(PLATFORM::OpenDevice(TempPath(L"xvs-no-such-device"), true, error), nullptr);
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    PLATFORM::CloseDevice(nullptr);
}

// A named pipe stands in for a display device: its client end takes overlapped writes and reads
// as the device's file does, its server end answers them or leaves them unanswered, and it
// refuses the display driver's control codes.
class PipeDevice : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = ::CreateNamedPipeW(kPath, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                     PIPE_TYPE_BYTE, 2, 64, 64, 0, nullptr);
        ASSERT_NE(server_, INVALID_HANDLE_VALUE);
        uint32_t error = 0;
        file_ = PLATFORM::OpenDevice(kPath, true, error);
        ASSERT_NE(file_, nullptr) << error;
        request_ = PLATFORM::CreateIoRequest(true, error);
        ASSERT_NE(request_, nullptr) << error;
    }
    void TearDown() override {
        PLATFORM::DestroyIoRequest(request_);
        PLATFORM::CloseDevice(file_);
        ::CloseHandle(server_);
    }
    // The request's outcome once its event is set (a safety net of a minute, never reached).
    bool Finish(uint32_t& bytes) {
        EXPECT_EQ(PLATFORM::WaitIoRequest(request_, 60000), 0u);
        return PLATFORM::GetIoResult(file_, request_, false, bytes, error_);
    }

    static constexpr const wchar_t* kPath = L"\\\\.\\pipe\\xvs-win32-display-stand-in";
    HANDLE server_ = INVALID_HANDLE_VALUE;
    PLATFORM::DeviceFile* file_ = nullptr;
    PLATFORM::IoRequest* request_ = nullptr;
    uint32_t error_ = 0;
};

TEST_F(PipeDevice, OverlappedWriteAndReadCarryARequestAndItsReply) {
    std::vector<uint8_t> header(44);
    for (size_t i = 0; i < header.size(); ++i) {
        header[i] = static_cast<uint8_t>(i);
    }
    uint32_t bytes = 0;
    ASSERT_NE(PLATFORM::StartWrite(file_, request_, header.data(), 44, error_),
              PLATFORM::IoStart::Failed)
        << error_;
    ASSERT_TRUE(Finish(bytes)) << error_;
    EXPECT_EQ(bytes, 44u);
    uint8_t taken[44] = {};
    DWORD count = 0;
    ASSERT_TRUE(::ReadFile(server_, taken, sizeof(taken), &count, nullptr));
    EXPECT_EQ(std::vector<uint8_t>(taken, taken + count), header);

    // A read without data pends: looked at without waiting it is incomplete, as a panel's
    // frame sees it.
    uint8_t reply[44] = {};
    ASSERT_EQ(PLATFORM::StartRead(file_, request_, reply, sizeof(reply), error_),
              PLATFORM::IoStart::Pending);
    EXPECT_EQ(error_, PLATFORM::kErrorIoPending);
    EXPECT_FALSE(PLATFORM::GetIoResult(file_, request_, false, bytes, error_));
    EXPECT_EQ(error_, PLATFORM::kErrorIoIncomplete);
    ASSERT_TRUE(::WriteFile(server_, header.data(), 44, &count, nullptr));
    ASSERT_TRUE(Finish(bytes)) << error_;
    EXPECT_EQ(std::vector<uint8_t>(reply, reply + bytes), header);
}

TEST_F(PipeDevice, AWriteThatIsNotTakenTimesOutAndIsCancelled) {
    // Far more than the pipe holds, and the server end reads nothing.
    const std::vector<uint8_t> picture(230400, 0x5A);
    ASSERT_EQ(PLATFORM::StartWrite(file_, request_, picture.data(),
                                   static_cast<uint32_t>(picture.size()), error_),
              PLATFORM::IoStart::Pending)
        << error_;
    EXPECT_TRUE(PLATFORM::IsIoRequestPending(request_));
    EXPECT_EQ(PLATFORM::WaitIoRequest(request_, 50), PLATFORM::kWaitTimeout);
    PLATFORM::CancelIo(file_);
    uint32_t bytes = 0;
    EXPECT_FALSE(PLATFORM::GetIoResult(file_, request_, true, bytes, error_));
    EXPECT_EQ(error_, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
    EXPECT_FALSE(PLATFORM::IsIoRequestPending(request_));
}

TEST_F(PipeDevice, ControlCodesItDoesNotKnowAreRefusedAtOnce) {
    const uint8_t records[8] = {0xD9, 0, 0, 0, 0xD1, 0, 'B', 'A'};
    EXPECT_EQ(PLATFORM::StartDeviceControl(file_, request_, 0x223004, records, 8, error_),
              PLATFORM::IoStart::Failed);
    EXPECT_NE(error_, 0u);
    EXPECT_NE(error_, PLATFORM::kErrorIoPending);
    uint8_t serial[128] = {};
    uint32_t bytes = 0;
    EXPECT_FALSE(PLATFORM::DeviceControl(file_, 0x220004, nullptr, 0, serial, sizeof(serial), bytes,
                                         error_));
    EXPECT_NE(error_, 0u);
}

TEST_F(PipeDevice, AControlRequestInFlightIsCancelledByItself) {
    // A second server instance waiting for a client: its listen request stays in flight.
    HANDLE listener = ::CreateNamedPipeW(kPath, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                         PIPE_TYPE_BYTE, 2, 64, 64, 0, nullptr);
    ASSERT_NE(listener, INVALID_HANDLE_VALUE);
    PLATFORM::DeviceFile listening{listener};
    constexpr uint32_t kListen = 0x00110008;  // FSCTL_PIPE_LISTEN
    ASSERT_EQ(PLATFORM::StartDeviceControl(&listening, request_, kListen, nullptr, 0, error_),
              PLATFORM::IoStart::Pending)
        << error_;
    EXPECT_TRUE(PLATFORM::IsIoRequestPending(request_));
    EXPECT_TRUE(PLATFORM::CancelIoRequest(&listening, request_));
    uint32_t bytes = 0;
    EXPECT_FALSE(PLATFORM::GetIoResult(&listening, request_, true, bytes, error_));
    EXPECT_EQ(error_, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
    EXPECT_FALSE(PLATFORM::IsIoRequestPending(request_));
    EXPECT_FALSE(PLATFORM::CancelIoRequest(&listening, request_)) << "nothing left to cancel";
    ::CloseHandle(listener);
}

class RecordingSink : public PLATFORM::IDeviceWatchSink {
public:
    struct Change {
        uint32_t event;
        bool hasClass;
        PLATFORM::Guid interfaceClass;
        std::wstring name;
    };

    void OnWindowMessage(uint32_t message) override {
        const std::lock_guard lock(mutex);
        messages.push_back(message);
    }
    void OnWindowCreated(const void* created) override {
        const std::lock_guard lock(mutex);
        window = static_cast<HWND>(const_cast<void*>(created));
        condition.notify_all();
    }
    void OnMessageLoop(const void* /*window*/) override {
        const std::lock_guard lock(mutex);
        loopRuns = true;
        condition.notify_all();
    }
    void OnDeviceChange(uint32_t event, const PLATFORM::Guid* interfaceClass,
                        const wchar_t* name) override {
        const std::lock_guard lock(mutex);
        changes.push_back({event, interfaceClass != nullptr,
                           interfaceClass != nullptr ? *interfaceClass : PLATFORM::Guid{},
                           name != nullptr ? name : L"(null)"});
    }

    std::mutex mutex;
    std::condition_variable condition;
    HWND window = nullptr;
    bool loopRuns = false;
    std::vector<uint32_t> messages;
    std::vector<Change> changes;
};

TEST(Win32DeviceWatch, WindowReportsCreationAndDeviceChanges) {
    RecordingSink sink;
    uint32_t error = 0;
    PLATFORM::DeviceWatch* watch = PLATFORM::StartDeviceWatch(&sink, error);
    ASSERT_NE(watch, nullptr) << error;
    HWND window = nullptr;
    {
        std::unique_lock lock(sink.mutex);
        // A safety net only: the thread reports long before.
        ASSERT_TRUE(
            sink.condition.wait_for(lock, std::chrono::seconds(60), [&] { return sink.loopRuns; }));
        window = sink.window;
    }
    ASSERT_NE(window, nullptr);

    PLATFORM::DeviceNotification* notification =
        PLATFORM::RegisterDeviceNotification(watch, PLATFORM::kHidInterfaceClass, error);
    EXPECT_NE(notification, nullptr) << error;

    // Sent from this thread, each is handled on the watch thread before SendMessageW returns.
    std::vector<uint8_t> storage(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + 64 * sizeof(wchar_t));
    auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.data());
    broadcast->dbcc_size = static_cast<DWORD>(storage.size());
    broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    broadcast->dbcc_classguid = {
        0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    std::wcscpy(broadcast->dbcc_name, L"\\\\?\\HID#VID_1234&PID_5678#1");
    ::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(broadcast));
    ::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);

    PLATFORM::UnregisterDeviceNotification(notification);
    PLATFORM::UnregisterDeviceNotification(nullptr);
    EXPECT_TRUE(PLATFORM::StopDeviceWatch(watch, 60000));

    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages.front(), PLATFORM::kMessageCreate);
    ASSERT_EQ(sink.changes.size(), 2u);
    EXPECT_EQ(sink.changes[0].event, PLATFORM::kDeviceArrival);
    EXPECT_TRUE(sink.changes[0].hasClass);
    EXPECT_EQ(sink.changes[0].interfaceClass, PLATFORM::kHidInterfaceClass);
    EXPECT_EQ(sink.changes[0].name, L"\\\\?\\HID#VID_1234&PID_5678#1");
    EXPECT_EQ(sink.changes[1].event, static_cast<uint32_t>(DBT_DEVNODES_CHANGED));
    EXPECT_FALSE(sink.changes[1].hasClass);
    EXPECT_EQ(sink.changes[1].name, L"(null)");
}

}  // namespace
}  // namespace XPL
