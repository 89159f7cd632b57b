// The Win32 backends against the OS (run under Wine): each maps its seam call onto the OS and
// hands the OS's answer back unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/clock.h"
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

TEST(Win32Folders, PublicDocumentsIsAnExistingFolderWithoutTrailingBackslash) {
    std::wstring folder;
    uint32_t status = 0xFFFFFFFF;
    ASSERT_TRUE(PLATFORM::GetPublicDocumentsFolder(folder, status));
    EXPECT_EQ(status, 0u);
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "no folder at that path";
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
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

TEST(Win32Clock, ReadsTheSystemTickCount) {
    const DWORD before = ::GetTickCount();
    const uint32_t now = PLATFORM::GetTickCount();
    const DWORD after = ::GetTickCount();
    EXPECT_LE(now - before, after - before);
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

}  // namespace
}  // namespace XPL
