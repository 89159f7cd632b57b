// The HID panel base over the virtual bus: opening, the non-blocking read, serial numbers, and
// every failure path. Button edges once each in usage order: every panel's tests and scenarios.
// Feature reports and a refused one: the panels' tests.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "panels/panel.h"
#include "test_support.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

const std::wstring kPath = L"\\\\?\\hid#vid_2c5d&pid_4a01#7&1a2b3c4d&0&0000#{4d1e55b2}";

// Registers a few buttons and records what the base hands it.
class CRecordingPanel : public CPanel {
public:
    using CPanel::CPanel;

    struct Change {
        uint16_t usage;
        uint32_t state;
        uint32_t storedState;  // the map's state while OnButton runs
        friend bool operator==(const Change&, const Change&) = default;
    };

    std::vector<Change> changes;
    int notifies = 0;
    int initializes = 0;
    int uninitializes = 0;

protected:
    void OnInitialize() override {
        ++initializes;
        for (uint16_t usage : {1, 2, 3, 9, 17}) {
            RegisterButton(usage);
        }
    }
    void OnUninitialize() override { ++uninitializes; }
    void OnNotify() override { ++notifies; }
    void OnButton(uint16_t usage, uint32_t state) override {
        changes.push_back({usage, state, buttonMap.at(usage)});
    }
};

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VIRTUAL::ResetDevices();
        VIRTUAL::EnableTrace(3, 0x4);
    }
    void TearDown() override {
        panel_.reset();
        EXPECT_EQ(VIRTUAL::OpenFileCount(), 0) << "a device file was left open";
        VIRTUAL::ResetDevices();
        VIRTUAL::ResetPlatform();
    }
    CRecordingPanel& Attach(VIRTUAL::DeviceSpec spec = HidDevice(kPath, 0x4A01)) {
        VIRTUAL::AttachDevice(spec);
        panel_ = std::make_unique<CRecordingPanel>(kPath);
        return *panel_;
    }
    CRecordingPanel& Ready(VIRTUAL::DeviceSpec spec = HidDevice(kPath, 0x4A01)) {
        CRecordingPanel& panel = Attach(std::move(spec));
        EXPECT_TRUE(panel.Initialize());
        VIRTUAL::TakeTraceLines();
        return panel;
    }

    std::unique_ptr<CRecordingPanel> panel_;
};

struct InitializeFailure {
    const char* name;
    std::optional<VIRTUAL::Fault> fault;  // none: the read request cannot be created
    const wchar_t* message;
};

class PanelInitializeFailureTest : public PanelTest,
                                   public ::testing::WithParamInterface<InitializeFailure> {};

TEST_P(PanelInitializeFailureTest, ReportsTheStepAndLeavesNoFileOpenAfterDestruction) {
    CRecordingPanel& panel = Attach();
    if (GetParam().fault) {
        VIRTUAL::SetFault(kPath, *GetParam().fault, true);
    } else {
        VIRTUAL::SetIoRequestFails(true);
    }
    EXPECT_FALSE(panel.Initialize());
    EXPECT_TRUE(HasLineStartingWith(TakeTraceTexts(1), GetParam().message));
    EXPECT_EQ(panel.initializes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PanelInitializeFailureTest,
    ::testing::Values(
        InitializeFailure{"Open", VIRTUAL::Fault::Open,
                          L"Failed in creating the non overlapped device \\\\?\\hid#vid_2c5d"},
        InitializeFailure{"Caps", VIRTUAL::Fault::Caps,
                          L"Failed in calling HidP_GetCaps due to 0x"},
        InitializeFailure{"ReadRequest", std::nullopt,
                          L"Failed in creating the event for overlapped reading due to 8"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelTest, OneReportPerFrameAndOnNotifyEveryFrame) {
    CRecordingPanel& panel = Ready();
    VIRTUAL::QueueInputReport(kPath, {1});
    VIRTUAL::QueueInputReport(kPath, {});
    VIRTUAL::QueueInputReport(kPath, {1});
    panel.Notify();
    EXPECT_EQ(VIRTUAL::PendingInputReports(kPath), 2u);
    panel.Notify();
    panel.Notify();
    panel.Notify();  // nothing left: the read stays pending
    panel.Notify();
    EXPECT_EQ(panel.changes.size(), 3u);
    EXPECT_EQ(panel.notifies, 5);

    VIRTUAL::QueueInputReport(kPath, {2});  // completes the read pending since two frames
    panel.Notify();
    EXPECT_EQ(panel.changes.back(), (CRecordingPanel::Change{2, 1, 1}));
}

TEST_F(PanelTest, DeviceWithoutInputReportsIsNeverRead) {
    VIRTUAL::DeviceSpec spec = HidDevice(kPath, 0x4A04);
    spec.inputReportLength = 0;
    CRecordingPanel& panel = Ready(spec);
    VIRTUAL::SetFault(kPath, VIRTUAL::Fault::ReadStart, true);  // would be traced if read
    for (int i = 0; i < 3; ++i) {
        panel.Notify();
    }
    EXPECT_EQ(panel.notifies, 3);
    EXPECT_TRUE(TakeTraceTexts(1).empty());
}

struct ReadFailure {
    const char* name;
    VIRTUAL::Fault fault;
    const wchar_t* message;
};

class PanelReadFailureTest : public PanelTest, public ::testing::WithParamInterface<ReadFailure> {};

TEST_P(PanelReadFailureTest, FailedReadOrDecodeChangesNothingAndTheNextFrameStartsAnew) {
    CRecordingPanel& panel = Ready();
    VIRTUAL::QueueInputReport(kPath, {1});
    VIRTUAL::SetFault(kPath, GetParam().fault, true);
    panel.Notify();
    EXPECT_EQ(TakeTraceTexts(1), std::vector<std::wstring>{GetParam().message});
    EXPECT_TRUE(panel.changes.empty());
    EXPECT_EQ(panel.notifies, 1);

    VIRTUAL::SetFault(kPath, GetParam().fault, false);
    VIRTUAL::QueueInputReport(kPath, {1});
    panel.Notify();
    panel.Notify();
    ASSERT_FALSE(panel.changes.empty());
    EXPECT_EQ(panel.changes[0], (CRecordingPanel::Change{1, 1, 1}));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PanelReadFailureTest,
    ::testing::Values(ReadFailure{"Start", VIRTUAL::Fault::ReadStart,
                                  L"Failed in reading the data from the panel due to 31"},
                      ReadFailure{"Result", VIRTUAL::Fault::ReadResult,
                                  L"Failed in calling GetOverlappedResult due to 31"},
                      ReadFailure{"Decode", VIRTUAL::Fault::Usages,
                                  L"Failed in getting the buttons on list due to 0xc0110007"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelTest, DeviceRemovedMidReadFailsTheReadWithoutHarm) {
    CRecordingPanel& panel = Ready();
    panel.Notify();  // read pending
    VIRTUAL::DetachDevice(kPath);
    panel.Notify();
    panel.Notify();
    EXPECT_EQ(panel.notifies, 3);
    const auto failures = TakeTraceTexts(1);
    ASSERT_FALSE(failures.empty());
    EXPECT_TRUE(
        HasLineStartingWith(failures, L"Failed in calling GetOverlappedResult due to 1167"));
    panel.Uninitialize();
}

TEST_F(PanelTest, SerialNumberOrEmptyWhenTheDeviceRefuses) {
    VIRTUAL::DeviceSpec spec = HidDevice(kPath, 0x4A01);
    spec.serial = L"SN-0000";
    CRecordingPanel& panel = Ready(spec);
    EXPECT_EQ(panel.GetSerialNumberString(), L"SN-0000");
    VIRTUAL::SetFault(kPath, VIRTUAL::Fault::Serial, true);
    EXPECT_EQ(panel.GetSerialNumberString(), L"");
    EXPECT_TRUE(HasLineStartingWith(TakeTraceTexts(1),
                                    L"Failed in retrieving HID serial number string due to: "));
}

TEST_F(PanelTest, UninitializeEndsThePendingReadAndKeepsTheFilesUntilDestruction) {
    CRecordingPanel& panel = Ready();
    panel.Notify();  // leaves a read pending
    panel.Uninitialize();
    EXPECT_EQ(panel.uninitializes, 1);
    EXPECT_EQ(VIRTUAL::OpenFileCount(kPath), 2);
    panel.Notify();  // after uninitialise a frame does nothing harmful
    panel_.reset();
    EXPECT_EQ(VIRTUAL::OpenFileCount(kPath), 0);
}

}  // namespace
