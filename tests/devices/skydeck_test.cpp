// The device manager over the virtual bus and its watch thread: filing, letter case, the frame's
// try-locks, shared ownership of links, start-up and stop failures. Every kind of device plugged
// in and pulled out, foreign and unsupported ones among them: tests/scenarios/hotplug*.sim.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "devices/skydeck.h"
#include "glasslink/glasslink.h"
#include "panels/panel.h"
#include "sim/utility.h"
#include "test_support.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

// Remembers the order in which panels were notified; can hold its removal on the watch thread.
std::mutex g_noteMutex;
std::vector<std::wstring> g_notified;
std::atomic<bool> g_holdRemoval{false};
std::atomic<bool> g_removalHeld{false};

class CNotedPanel : public CPanel {
public:
    using CPanel::CPanel;

protected:
    void OnNotify() override {
        std::lock_guard lock(g_noteMutex);
        g_notified.push_back(GetDevicePath());
    }
    void OnUninitialize() override {
        if (g_holdRemoval) {
            g_removalHeld = true;
            while (g_holdRemoval) {
                std::this_thread::yield();
            }
            g_removalHeld = false;
        }
    }
};

std::unique_ptr<CPanel> MakeNotedPanel(const std::wstring& path, const std::wstring&,
                                       IGlasslinkLookup&) {
    return std::make_unique<CNotedPanel>(path);
}

const std::wstring kPanelA = L"\\\\?\\hid#vid_2c5d&pid_4a01#a";
const std::wstring kPanelB = L"\\\\?\\hid#vid_2c5d&pid_4a01#b";
const std::wstring kKeyboard = L"\\\\?\\hid#vid_046d&pid_c31c#k";
const std::wstring kScreen = L"\\\\?\\glasslink#screen#1";

class SkydeckTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VIRTUAL::ResetDevices();
        previousMaker_ = SetPanelMaker(kAutoflightProductId, &MakeNotedPanel);
        g_notified.clear();
        VIRTUAL::EnableTrace(3, 0x2);
    }
    void TearDown() override {
        skydeck_.Uninitialize();
        EXPECT_EQ(VIRTUAL::OpenFileCount(), 0) << "a device file was left open";
        SetPanelMaker(kAutoflightProductId, previousMaker_);
        VIRTUAL::ResetDevices();
        VIRTUAL::ResetPlatform();
    }
    std::vector<std::wstring> Notified() {
        std::lock_guard lock(g_noteMutex);
        return std::exchange(g_notified, {});
    }

    CSkydeck skydeck_;
    PanelMaker previousMaker_ = nullptr;
};

TEST_F(SkydeckTest, NoticesInAnotherLetterCaseFindTheirDevice) {
    VIRTUAL::AttachDevice(HidDevice(kKeyboard, 0xC31C, 8, 0x046D));
    ASSERT_EQ(skydeck_.Initialize(), 0u);
    VIRTUAL::AttachDevice(HidDevice(kPanelA, kAutoflightProductId));
    EXPECT_EQ(skydeck_.PanelCount(), 1u);

    VIRTUAL::DeliverDeviceNotice(0x8000, PLATFORM::kHidInterfaceClass,
                                 L"\\\\?\\HID#VID_2C5D&PID_4A01#A");  // again, upper case
    VIRTUAL::DetachDevice(kKeyboard);  // a foreign device: nothing to remove
    EXPECT_EQ(skydeck_.PanelCount(), 1u);
    // A removal notice in another letter case removes the panel.
    VIRTUAL::DeliverDeviceNotice(0x8004, PLATFORM::kHidInterfaceClass,
                                 L"\\\\?\\HID#VID_2C5D&PID_4A01#A");
    EXPECT_EQ(skydeck_.PanelCount(), 0u);
}

TEST_F(SkydeckTest, LinksArriveAndLeaveWithTheirDevicesButLiveOnWhileHeld) {
    ASSERT_EQ(skydeck_.Initialize(), 0u);
    VIRTUAL::AttachDevice(
        DisplayDevice(VIRTUAL::DeviceKind::ScreenDisplay, kScreen, L"\\device\\s", L"SCR-1"));
    std::shared_ptr<CGlasslink> held = skydeck_.GetGlasslink(L"SCR-1");
    ASSERT_NE(held, nullptr);

    VIRTUAL::DetachDevice(kScreen);
    EXPECT_EQ(skydeck_.LinkCount(), 0u);
    EXPECT_EQ(skydeck_.GetGlasslink(L"SCR-1"), nullptr);
    EXPECT_EQ(held->GetDevicePath(), kScreen);  // still a whole object
    EXPECT_EQ(VIRTUAL::OpenFileCount(kScreen), 1);
    held.reset();
    EXPECT_EQ(VIRTUAL::OpenFileCount(kScreen), 0);
}

struct CreateFailure {
    const char* name;
    VIRTUAL::DeviceSpec device;
    VIRTUAL::Fault fault;
    const wchar_t* message;
};

class SkydeckCreateFailureTest : public SkydeckTest,
                                 public ::testing::WithParamInterface<CreateFailure> {};

TEST_P(SkydeckCreateFailureTest, DeviceIsReportedAndNotFiled) {
    const CreateFailure& c = GetParam();
    VIRTUAL::AttachDevice(c.device);
    VIRTUAL::SetFault(c.device.path, c.fault, true);
    ASSERT_EQ(skydeck_.Initialize(), 0u);
    EXPECT_EQ(skydeck_.PanelCount() + skydeck_.LinkCount(), 0u);
    EXPECT_TRUE(HasLineStartingWith(TakeTraceTexts(1), c.message));
    EXPECT_EQ(VIRTUAL::OpenFileCount(), 0);
}

// Display links that cannot be opened or read: tests/scenarios/displays.sim.
INSTANTIATE_TEST_SUITE_P(
    Devices, SkydeckCreateFailureTest,
    ::testing::Values(
        CreateFailure{"Open", HidDevice(kPanelA, kAutoflightProductId), VIRTUAL::Fault::Open,
                      L"Failed in creating the non overlapped device \\\\?\\hid#vid_2c5d"},
        CreateFailure{"Attributes", HidDevice(kPanelA, kAutoflightProductId),
                      VIRTUAL::Fault::Attributes,
                      L"Failed in retrieving the attribution of the device"},
        CreateFailure{"PanelInitialize", HidDevice(kPanelA, kAutoflightProductId),
                      VIRTUAL::Fault::Caps, L"Failed in initializing the panel object"}),
    [](const auto& info) { return std::string(info.param.name); });

// A panel on its way out (held in its uninitialise) is out of the frames, which go on for the
// others meanwhile.
TEST_F(SkydeckTest, FramesGoOnForTheOthersWhileAPanelIsRemoved) {
    VIRTUAL::AttachDevice(HidDevice(kPanelA, kAutoflightProductId));
    VIRTUAL::AttachDevice(HidDevice(kPanelB, kAutoflightProductId));
    ASSERT_EQ(skydeck_.Initialize(), 0u);

    g_holdRemoval = true;
    std::thread remover([] { VIRTUAL::DetachDevice(kPanelB); });
    while (!g_removalHeld) {
        std::this_thread::yield();
    }
    skydeck_.NotifyPanels();
    EXPECT_EQ(Notified(), std::vector<std::wstring>{kPanelA});
    g_holdRemoval = false;
    remover.join();
}

TEST_F(SkydeckTest, WatchThreadThatCannotStartFailsTheStart) {
    VIRTUAL::SetWatchThreadFails(true);
    EXPECT_EQ(skydeck_.Initialize(), 8u);
    VIRTUAL::SetWatchThreadFails(false);
    EXPECT_EQ(TakeTraceTexts(1),
              std::vector<std::wstring>{L"Failed in calling creating the message thread due to 8"});
}

TEST_F(SkydeckTest, WindowThatNeverComesUpFailsTheStartAfterFiveSeconds) {
    VIRTUAL::SetWatchWindowFails(true);
    std::atomic<uint32_t> status{1};
    std::thread starter([&] { status = skydeck_.Initialize(); });
    while (VIRTUAL::TimedWaiters() == 0) {
        std::this_thread::yield();
    }
    VIRTUAL::AdvanceClock(4999);
    EXPECT_EQ(status.load(), 1u);  // still waiting
    VIRTUAL::AdvanceClock(1);
    starter.join();
    VIRTUAL::SetWatchWindowFails(false);
    EXPECT_EQ(status.load(), kStatusWatchDidNotStart);
    EXPECT_EQ(TakeTraceTexts(1),
              std::vector<std::wstring>{
                  L"Failed in waiting for the event signalled by the message window thread"});
}

TEST_F(SkydeckTest, HangingWatchThreadIsTerminatedAtStop) {
    VIRTUAL::AttachDevice(HidDevice(kPanelA, kAutoflightProductId));
    ASSERT_EQ(skydeck_.Initialize(), 0u);
    VIRTUAL::SetWatchHangs(true);
    skydeck_.Uninitialize();
    VIRTUAL::SetWatchHangs(false);
    EXPECT_EQ(skydeck_.PanelCount(), 0u);
    EXPECT_EQ(CountLines(TakeTraceTexts(2),
                         L"Calling WaitForSingleObject against the message thread returns with "
                         L"time out, terminate the thread instead"),
              1u);
}

}  // namespace
