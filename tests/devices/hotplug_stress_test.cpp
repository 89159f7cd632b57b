// Hot-plug under load: the simulator's thread runs frames and looks links up while devices of all
// three classes arrive and leave thousands of times. Run under the asan and tsan presets it
// shows that frames and the watch thread never trip over each other and nothing leaks.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "devices/skydeck.h"
#include "glasslink/glasslink.h"
#include "panels/panel.h"
#include "test_support.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

class CBusyPanel : public CPanel {
public:
    using CPanel::CPanel;
    static inline std::atomic<int> buttonChanges{0};

protected:
    void OnInitialize() override {
        for (uint16_t usage = 1; usage <= 8; ++usage) {
            RegisterButton(usage);
        }
    }
    void OnNotify() override {
        const uint8_t report[3] = {0, static_cast<uint8_t>(buttonMap[1]), 0};
        SendReport(report, sizeof(report));
    }
    void OnButton(uint16_t, uint32_t) override { ++buttonChanges; }
};

std::unique_ptr<CPanel> MakeBusyPanel(const std::wstring& path, const std::wstring&,
                                      IGlasslinkLookup&) {
    return std::make_unique<CBusyPanel>(path);
}

TEST(HotplugStressTest, FramesKeepRunningWhileDevicesComeAndGo) {
    VIRTUAL::ResetPlatform();
    VIRTUAL::ResetDevices();
    const auto previous = SetPanelMaker(kTunerProductId, &MakeBusyPanel);
    const std::wstring fixedPanel = L"\\\\?\\hid#vid_2c5d&pid_4a02#fixed";
    VIRTUAL::AttachDevice(HidDevice(fixedPanel, kTunerProductId, 8));

    CSkydeck skydeck;
    ASSERT_EQ(skydeck.Initialize(), 0u);

    std::atomic<bool> done{false};
    std::atomic<long> frames{0};
    std::atomic<long> linksSeen{0};
    std::thread simulator([&] {
        while (!done) {
            skydeck.NotifyPanels();
            if (auto link = skydeck.GetGlasslink(L"SCR-CHURN")) {
                linksSeen += !link->GetDevicePath().empty();
            }
            if (auto link = skydeck.GetGlasslink(L"\\device\\stick-churn")) {
                linksSeen += !link->GetDevicePath().empty();
            }
            ++frames;
        }
    });

    constexpr int kCycles = 1500;
    for (int i = 0; i < kCycles; ++i) {
        const std::wstring suffix = std::to_wstring(i % 7);
        const std::wstring hid = L"\\\\?\\hid#vid_2c5d&pid_4a02#churn" + suffix;
        const std::wstring stick = L"\\\\?\\glasslink#stick#churn" + suffix;
        const std::wstring screen = L"\\\\?\\glasslink#screen#churn" + suffix;
        VIRTUAL::AttachDevice(HidDevice(hid, kTunerProductId, 8));
        VIRTUAL::QueueInputReport(hid, {1});
        VIRTUAL::QueueInputReport(fixedPanel, {static_cast<uint16_t>(1 + i % 8)});
        VIRTUAL::AttachDevice(
            DisplayDevice(VIRTUAL::DeviceKind::StickDisplay, stick, L"\\device\\stick-churn", L""));
        VIRTUAL::AttachDevice(DisplayDevice(VIRTUAL::DeviceKind::ScreenDisplay, screen,
                                            L"\\device\\screen-churn", L"SCR-CHURN"));
        VIRTUAL::DetachDevice(i % 2 ? stick : hid);
        VIRTUAL::DetachDevice(screen);
        VIRTUAL::DetachDevice(i % 2 ? hid : stick);
    }
    done = true;
    simulator.join();

    EXPECT_EQ(skydeck.PanelCount(), 1u);
    EXPECT_EQ(skydeck.LinkCount(), 0u);
    EXPECT_GT(frames.load(), 0);
    skydeck.Uninitialize();
    EXPECT_EQ(skydeck.PanelCount(), 0u);
    EXPECT_EQ(VIRTUAL::OpenFileCount(), 0);
    SetPanelMaker(kTunerProductId, previous);
    VIRTUAL::ResetDevices();
}

}  // namespace
