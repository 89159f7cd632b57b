// The virtual device bus as the device manager, the HID panel base and the display links rely on
// it: report layout, the overlapped read rules, detaching, file counting, enumeration, the watch
// thread's notices, and the two display devices' requests.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/device_file.h"
#include "platform/device_watch.h"
#include "platform/hid.h"
#include "test_support.h"

using namespace XPL;
using namespace XPL::PLATFORM;
using namespace XPL::TEST;

namespace {

const std::wstring kPanel = L"\\\\?\\HID#VID_2C5D&PID_4A01#7&1a2b#{4d1e55b2}";
const std::wstring kOther = L"\\\\?\\hid#vid_2c5d&pid_4a02#2";
const std::wstring kStick = L"\\\\?\\glasslink#stick#1";
const std::wstring kScreen = L"\\\\?\\glasslink#screen#1";

constexpr uint32_t kNotConnected = 1167;
constexpr uint32_t kAborted = 995;
constexpr uint32_t kGenFailure = 31;

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    }
    return text;
}

void Spin(const std::function<bool()>& done) {
    while (!done()) {
        std::this_thread::yield();
    }
}

class VirtualBusTest : public ::testing::Test {
protected:
    void SetUp() override { VIRTUAL::ResetPlatform(); }
    void TearDown() override {
        for (IoRequest* request : requests_) {
            DestroyIoRequest(request);
        }
        for (DeviceFile* file : files_) {
            CloseDevice(file);
        }
        EXPECT_EQ(VIRTUAL::OpenFileCount(), 0);
        VIRTUAL::ResetPlatform();
    }
    DeviceFile* Open(const std::wstring& path, bool overlapped = true) {
        DeviceFile* file = OpenDevice(path, overlapped, error_);
        EXPECT_NE(file, nullptr) << "error " << error_;
        files_.push_back(file);
        return file;
    }
    void Close(DeviceFile* file) {
        std::erase(files_, file);
        CloseDevice(file);
    }
    IoRequest* Request(bool manualReset = true) {
        requests_.push_back(CreateIoRequest(manualReset, error_));
        return requests_.back();
    }
    // Attaches the panel with these buttons and opens it.
    DeviceFile* OpenPanel(uint16_t buttons, bool overlapped = true) {
        VIRTUAL::AttachDevice(HidDevice(kPanel, 0x4A01, buttons));
        return Open(kPanel, overlapped);
    }

    std::vector<DeviceFile*> files_;
    std::vector<IoRequest*> requests_;
    uint32_t error_ = 0;
    uint32_t bytes_ = 0;
};

// --- HID reports ---------------------------------------------------------------------------

TEST_F(VirtualBusTest, ReportLayoutAndDecodingErrors) {
    DeviceFile* file = OpenPanel(24);
    HidPreparsedData* data = HidGetPreparsedData(file, error_);
    HidCaps caps;
    ASSERT_EQ(HidGetCaps(data, caps), kHidpStatusSuccess);
    EXPECT_EQ(caps.inputReportLength, 4);
    EXPECT_EQ(caps.featureReportLength, 25);
    EXPECT_EQ(HidMaxButtonUsages(data), 24u);

    // Usages the report cannot express (0, past the last button) are left out.
    VIRTUAL::QueueInputReport(kPanel, {40, 24, 9, 3, 1, 0});
    uint8_t report[4];
    ASSERT_EQ(StartRead(file, Request(), report, sizeof(report), error_), IoStart::Completed);
    EXPECT_EQ(std::vector<uint8_t>(report, report + 4),
              (std::vector<uint8_t>{0, 0x05, 0x01, 0x80}));

    uint16_t usages[4];
    uint32_t count = 3;  // one short: the count tells how many there are
    EXPECT_EQ(HidGetButtonUsages(data, report, 4, usages, count), 0xC0110007u);
    EXPECT_EQ(count, 4u);
    ASSERT_EQ(HidGetButtonUsages(data, report, 4, usages, count), kHidpStatusSuccess);
    EXPECT_EQ(std::vector<uint16_t>(usages, usages + count), (std::vector<uint16_t>{1, 3, 9, 24}));
    EXPECT_NE(HidGetButtonUsages(data, report, 3, usages, count), kHidpStatusSuccess);
    VIRTUAL::SetFault(kPanel, VIRTUAL::Fault::Usages, true);
    count = 4;
    EXPECT_NE(HidGetButtonUsages(data, report, 4, usages, count), kHidpStatusSuccess);
    VIRTUAL::SetFault(kPanel, VIRTUAL::Fault::Caps, true);
    EXPECT_NE(HidGetCaps(data, caps), kHidpStatusSuccess);
    HidFreePreparsedData(data);
}

// --- overlapped reads ----------------------------------------------------------------------

// Every look at a read without waiting counts towards the benchmarks' "peeks/frame", whatever it
// finds; waiting for a read does not.
TEST_F(VirtualBusTest, PendingReadCompletesIntoItsBufferWhenTheCallerCollectsIt) {
    DeviceFile* file = OpenPanel(8);
    IoRequest* read = Request();
    uint8_t buffer[2] = {0xAA, 0xAA};
    const uint64_t before = VIRTUAL::InputReportChecks();
    ASSERT_EQ(StartRead(file, read, buffer, 2, error_), IoStart::Pending);
    EXPECT_EQ(error_, kErrorIoPending);
    EXPECT_FALSE(GetIoResult(file, read, false, bytes_, error_));
    EXPECT_EQ(error_, kErrorIoIncomplete);
    EXPECT_TRUE(IsIoRequestPending(read));

    VIRTUAL::QueueInputReport(kPanel, {2});
    EXPECT_EQ(buffer[1], 0xAA) << "the buffer is written only when the result is collected";
    ASSERT_TRUE(GetIoResult(file, read, false, bytes_, error_));
    EXPECT_EQ(bytes_, 2u);
    EXPECT_EQ(buffer[1], 0x02);
    EXPECT_FALSE(IsIoRequestPending(read));
    EXPECT_EQ(VIRTUAL::PendingInputReports(kPanel), 0u);
    EXPECT_EQ(VIRTUAL::InputReportChecks() - before, 2u);

    VIRTUAL::QueueInputReport(kPanel, {3});
    ASSERT_EQ(StartRead(file, read, buffer, 2, error_), IoStart::Completed);
    EXPECT_TRUE(GetIoResult(file, read, true, bytes_, error_));
    EXPECT_EQ(VIRTUAL::InputReportChecks() - before, 2u);
}

TEST_F(VirtualBusTest, ReadFaults) {
    DeviceFile* file = OpenPanel(8);
    IoRequest* read = Request();
    uint8_t buffer[2] = {};
    VIRTUAL::QueueInputReport(kPanel, {1});

    VIRTUAL::SetFault(kPanel, VIRTUAL::Fault::ReadStart, true);
    EXPECT_EQ(StartRead(file, read, buffer, 2, error_), IoStart::Failed);
    EXPECT_EQ(error_, kGenFailure);
    VIRTUAL::SetFault(kPanel, VIRTUAL::Fault::ReadStart, false);

    // Accepted, then failing when collected; the queued report is not consumed.
    VIRTUAL::SetFault(kPanel, VIRTUAL::Fault::ReadResult, true);
    EXPECT_EQ(StartRead(file, read, buffer, 2, error_), IoStart::Pending);
    EXPECT_FALSE(GetIoResult(file, read, false, bytes_, error_));
    EXPECT_EQ(error_, kGenFailure);
    VIRTUAL::SetFault(kPanel, VIRTUAL::Fault::ReadResult, false);

    VIRTUAL::SetFault(kPanel, VIRTUAL::Fault::PendingRead, true);
    EXPECT_EQ(StartRead(file, read, buffer, 2, error_), IoStart::Pending);
    EXPECT_FALSE(GetIoResult(file, read, false, bytes_, error_));
    EXPECT_EQ(error_, kErrorIoIncomplete);
    EXPECT_EQ(VIRTUAL::PendingInputReports(kPanel), 1u);
    VIRTUAL::SetFault(kPanel, VIRTUAL::Fault::PendingRead, false);
    EXPECT_TRUE(GetIoResult(file, read, false, bytes_, error_));
    EXPECT_EQ(buffer[1], 0x01);
}

TEST_F(VirtualBusTest, CancelAndCloseEndAPendingReadWithoutTouchingItsBuffer) {
    DeviceFile* file = OpenPanel(8);
    IoRequest* read = Request();
    uint8_t buffer[2] = {0xAA, 0xAA};
    ASSERT_EQ(StartRead(file, read, buffer, 2, error_), IoStart::Pending);
    // Only the thread that started a request cancels it with CancelIo.
    std::thread([file] { CancelIo(file); }).join();
    EXPECT_TRUE(IsIoRequestPending(read));
    CancelIo(file);
    EXPECT_FALSE(GetIoResult(file, read, true, bytes_, error_));  // ended: returns at once
    EXPECT_EQ(error_, kAborted);

    ASSERT_EQ(StartRead(file, read, buffer, 2, error_), IoStart::Pending);
    Close(file);
    EXPECT_FALSE(IsIoRequestPending(read));
    VIRTUAL::QueueInputReport(kPanel, {1});
    EXPECT_EQ(buffer[1], 0xAA);
    EXPECT_EQ(VIRTUAL::PendingInputReports(kPanel), 1u);
}

TEST_F(VirtualBusTest, WaitingForAReadEndsWithItsDataOrOnTheVirtualClock) {
    DeviceFile* file = OpenPanel(8);
    IoRequest* read = Request();
    uint8_t buffer[2] = {};
    StartRead(file, read, buffer, 2, error_);

    std::atomic<uint32_t> waited{1};
    std::thread waiter([&] { waited = WaitIoRequest(read, 500); });
    Spin([] { return VIRTUAL::TimedWaiters() == 1; });
    VIRTUAL::QueueInputReport(kPanel, {3});
    waiter.join();
    EXPECT_EQ(waited.load(), 0u);
    EXPECT_TRUE(GetIoResult(file, read, false, bytes_, error_));

    StartRead(file, read, buffer, 2, error_);
    waited = 1;
    waiter = std::thread([&] { waited = WaitIoRequest(read, 500); });
    Spin([] { return VIRTUAL::TimedWaiters() == 1; });
    VIRTUAL::AdvanceClock(499);
    EXPECT_EQ(waited.load(), 1u) << "still waiting";
    VIRTUAL::AdvanceClock(1);
    waiter.join();
    EXPECT_EQ(waited.load(), kWaitTimeout);
    CancelIo(file);
}

// --- detaching, opening, enumeration -------------------------------------------------------

TEST_F(VirtualBusTest, DetachedDeviceFailsEveryCallOnItsFilesButClosingWorks) {
    DeviceFile* file = OpenPanel(8, false);
    DeviceFile* reader = Open(kPanel);
    IoRequest* read = Request();
    uint8_t buffer[2] = {0xAA, 0xAA};
    ASSERT_EQ(StartRead(reader, read, buffer, 2, error_), IoStart::Pending);

    VIRTUAL::DetachDevice(Lower(kPanel));
    EXPECT_FALSE(GetIoResult(reader, read, true, bytes_, error_));
    EXPECT_EQ(error_, kNotConnected);
    EXPECT_EQ(buffer[0], 0xAA);

    auto errorOf = [this](const auto& call) {
        error_ = 0;
        call();
        return error_;
    };
    std::wstring serial;
    EXPECT_EQ(errorOf([&] { StartRead(reader, read, buffer, 2, error_); }), kNotConnected);
    EXPECT_EQ(errorOf([&] { HidSetFeature(file, buffer, 2, error_); }), kNotConnected);
    EXPECT_EQ(errorOf([&] { HidGetSerialNumber(file, serial, error_); }), kNotConnected);
    EXPECT_EQ(errorOf([&] { HidGetPreparsedData(file, error_); }), kNotConnected);
    HidAttributes attributes;
    EXPECT_FALSE(HidGetAttributes(file, attributes));
    EXPECT_EQ(OpenDevice(kPanel, false, error_), nullptr);
    EXPECT_EQ(error_, 2u);
    EXPECT_EQ(VIRTUAL::OpenFileCount(kPanel), 2);
    Close(file);
    Close(reader);
    EXPECT_EQ(VIRTUAL::OpenFileCount(kPanel), 0);
}

TEST_F(VirtualBusTest, OpeningAndCountingIgnoreLetterCase) {
    VIRTUAL::AttachDevice(HidDevice(kPanel, 0x4A01));
    VIRTUAL::AttachDevice(HidDevice(kOther, 0x4A02));
    EXPECT_EQ(OpenDevice(L"\\\\?\\hid#nothing", false, error_), nullptr);
    EXPECT_EQ(error_, 2u);

    Open(Lower(kPanel), false);
    Open(kPanel, true);
    Open(kOther);
    EXPECT_EQ(VIRTUAL::OpenFileCount(Lower(kPanel)), 2);
    EXPECT_EQ(VIRTUAL::OpenFileCount(), 3);
}

TEST_F(VirtualBusTest, EnumerationListsEachClassInAttachOrderUnlessAListWasSet) {
    VIRTUAL::AttachDevice(HidDevice(kOther, 0x4A02));
    VIRTUAL::AttachDevice(DisplayDevice(VIRTUAL::DeviceKind::StickDisplay, kStick, L"\\d\\s", L""));
    VIRTUAL::AttachDevice(HidDevice(kPanel, 0x4A01));

    const InterfaceList hid = ListInterfaces(kHidInterfaceClass);
    ASSERT_EQ(hid.entries.size(), 2u);
    EXPECT_EQ(hid.entries[0].path, kOther);
    EXPECT_EQ(hid.entries[1].path, kPanel);  // as given, not lower-cased
    EXPECT_EQ(hid.entries[1].physicalName, HidDevice(kPanel, 0x4A01).physicalName);
    EXPECT_GT(hid.entries[1].requiredDetailBytes, 2 * kPanel.size());
    ASSERT_EQ(ListInterfaces(VIRTUAL::kStickDisplayClass).entries.size(), 1u);
    EXPECT_TRUE(ListInterfaces(VIRTUAL::kScreenDisplayClass).entries.empty());

    VIRTUAL::SetInterfaceList(kHidInterfaceClass, InterfaceList{13, {}});
    EXPECT_EQ(ListInterfaces(kHidInterfaceClass).classError, 13u);
    VIRTUAL::DetachDevice(kStick);
    EXPECT_TRUE(ListInterfaces(VIRTUAL::kStickDisplayClass).entries.empty());
}

// --- the watch thread ----------------------------------------------------------------------

class CRecordingSink : public IDeviceWatchSink {
public:
    // Runs on the watch thread for every device-change notice, after it was recorded.
    std::function<void(uint32_t event, const std::wstring& path)> onChange;

    std::vector<std::wstring> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    bool Saw(const std::wstring& event) {
        const auto events = Events();
        return std::find(events.begin(), events.end(), event) != events.end();
    }

    void OnWindowMessage(uint32_t message) override { Add(L"msg " + std::to_wstring(message)); }
    void OnWindowCreated(const void* window) override {
        Add(window != nullptr ? L"created" : L"created null");
    }
    void OnMessageLoop(const void*) override { Add(L"loop"); }
    void OnDeviceChange(uint32_t event, const Guid* interfaceClass, const wchar_t* name) override {
        const wchar_t* kind = *interfaceClass == kHidInterfaceClass ? L" hid " : L" display ";
        Add(std::to_wstring(event) + kind + name);
        if (onChange) {
            onChange(event, name);
        }
    }

private:
    void Add(std::wstring event) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    std::mutex mutex_;
    std::vector<std::wstring> events_;
};

class DeviceWatchTest : public VirtualBusTest {
protected:
    void TearDown() override {
        Stop();
        VirtualBusTest::TearDown();
    }
    void Start() {
        watch_ = StartDeviceWatch(&sink_, error_);
        ASSERT_NE(watch_, nullptr);
        Spin([this] { return sink_.Saw(L"loop"); });
    }
    void Register(const Guid& interfaceClass) {
        notifications_.push_back(RegisterDeviceNotification(watch_, interfaceClass, error_));
        ASSERT_NE(notifications_.back(), nullptr);
    }
    bool Stop() {
        for (DeviceNotification* notification : notifications_) {
            UnregisterDeviceNotification(notification);
        }
        notifications_.clear();
        const bool stopped = StopDeviceWatch(watch_, 5000);
        watch_ = nullptr;
        return stopped;
    }

    CRecordingSink sink_;
    DeviceWatch* watch_ = nullptr;
    std::vector<DeviceNotification*> notifications_;
};

TEST_F(DeviceWatchTest, NoticesAreHandledInOrderBeforeAttachAndDetachReturn) {
    Start();
    Register(kHidInterfaceClass);
    EXPECT_TRUE(VIRTUAL::WatchRunning());
    VIRTUAL::AttachDevice(HidDevice(kPanel, 0x4A01));
    VIRTUAL::AttachDevice(DisplayDevice(VIRTUAL::DeviceKind::StickDisplay, kStick, L"\\d", L""));
    EXPECT_EQ(sink_.Events(), (std::vector<std::wstring>{L"msg 1", L"created", L"loop", L"msg 537",
                                                         L"32768 hid " + kPanel}))
        << "no arrival for a class without a registration";

    VIRTUAL::DetachDevice(Lower(kPanel));
    const auto events = sink_.Events();
    const std::vector<std::wstring> removal(events.end() - 6, events.end());
    EXPECT_EQ(removal, (std::vector<std::wstring>{L"msg 537", L"32769 hid " + kPanel, L"msg 537",
                                                  L"32771 hid " + kPanel, L"msg 537",
                                                  L"32772 hid " + kPanel}));

    EXPECT_TRUE(VIRTUAL::DeliverDeviceNotice(0x8000, VIRTUAL::kScreenDisplayClass, L"\\\\X"));
    EXPECT_EQ(sink_.Events().back(), L"32768 display \\\\X");
    EXPECT_TRUE(Stop());
    EXPECT_FALSE(VIRTUAL::WatchRunning());
    EXPECT_FALSE(VIRTUAL::DeliverDeviceNotice(0x8000, kHidInterfaceClass, kPanel));
}

TEST_F(DeviceWatchTest, SinkMayCallBackIntoTheBusAndRaiseNoticesItself) {
    Start();
    Register(kHidInterfaceClass);
    std::atomic<int> opened{0};
    sink_.onChange = [&](uint32_t event, const std::wstring& path) {
        if (event != kDeviceArrival) {
            return;
        }
        for (const InterfaceEntry& entry : ListInterfaces(kHidInterfaceClass).entries) {
            uint32_t error = 0;
            if (DeviceFile* file = OpenDevice(entry.path, false, error)) {
                ++opened;
                CloseDevice(file);
            }
        }
        // Raised on the watch thread: handed over at once instead of waiting for itself.
        VIRTUAL::DeliverDeviceNotice(0x8006, kHidInterfaceClass, path + L"#nested");
    };
    VIRTUAL::AttachDevice(HidDevice(kPanel, 0x4A01));
    EXPECT_EQ(opened.load(), 1);
    EXPECT_EQ(sink_.Events().back(), L"32774 hid " + kPanel + L"#nested");
}

// --- display devices -----------------------------------------------------------------------

// What the display links' tests do not reach: a screen reads its bytes as one stream, whatever
// the writes' sizes (a slow write cancelled half-way delivered half), and names what it cannot
// make sense of; stick requests held until the device goes never take effect.
TEST_F(VirtualBusTest, DisplaysReadTheirStreamAndNameWhatTheyCannotRead) {
    VIRTUAL::AttachDevice(DisplayDevice(VIRTUAL::DeviceKind::ScreenDisplay, kScreen, L"\\c", L""));
    DeviceFile* screen = Open(kScreen);
    IoRequest* request = Request();
    const auto led = [](uint8_t index) {
        std::vector<uint8_t> header(44, 0);
        header[7] = 1;    // marker
        header[23] = 24;  // set LED
        header[31] = index;
        header[35] = 1;
        return header;
    };
    std::vector<uint8_t> stream = led(1);
    const std::vector<uint8_t> nine = led(9);
    stream.insert(stream.end(), nine.begin(), nine.end());
    stream.resize(stream.size() + 44, 0);  // a header without its marker follows
    uint8_t reply[44];
    const auto read = [&] {
        const IoStart start = StartRead(screen, request, reply, 44, error_);
        CancelIo(screen);
        return start == IoStart::Completed;
    };
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Slow, true);
    EXPECT_EQ(StartWrite(screen, request, stream.data(), 20, error_), IoStart::Pending);
    VIRTUAL::AdvanceClock(50);
    CancelIo(screen);  // 10 bytes reached the device
    VIRTUAL::SetFault(kScreen, VIRTUAL::Fault::Slow, false);
    EXPECT_FALSE(read());
    StartWrite(screen, request, stream.data() + 10, 80, error_);
    EXPECT_TRUE(read());
    StartWrite(screen, request, stream.data() + 90, 42, error_);
    std::vector<std::string> errors;
    uint64_t seen = 0;
    for (const auto& event : VIRTUAL::DisplayEventsSince(kScreen, &seen)) {
        if (event.kind == VIRTUAL::DisplayEvent::Kind::ProtocolError) {
            errors.push_back(event.text);
        }
    }
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "a reply awaited while 34 header bytes of a request are due",
                          "a request before the last reply was read", "LED 9",
                          "a request before the last reply was read",
                          "a reply awaited while 42 header bytes of a request are due",
                          "an unknown request (command 0, marker 0)"}));
    EXPECT_EQ(VIRTUAL::ViewDisplay(kScreen).leds, 1u << 1);

    VIRTUAL::AttachDevice(DisplayDevice(VIRTUAL::DeviceKind::StickDisplay, kStick, L"\\d", L""));
    DeviceFile* stick = Open(kStick);
    // An unknown record and a short tail are skipped; an unknown code is refused.
    const uint8_t records[9] = {0x00, 0x01, 'b', 'a', 0xD1, 0, 'q', 'p', 0xD1};
    EXPECT_EQ(StartDeviceControl(stick, request, 0x223004, records, 9, error_), IoStart::Completed);
    EXPECT_EQ(StartDeviceControl(stick, request, 0x223008, records, 4, error_), IoStart::Failed);
    EXPECT_EQ(error_, 1u);
    VIRTUAL::SetFault(kStick, VIRTUAL::Fault::IoctlPending, true);
    EXPECT_EQ(StartDeviceControl(stick, request, 0x223004, records + 4, 4, error_),
              IoStart::Pending);
    VIRTUAL::DetachDevice(kStick);
    EXPECT_FALSE(GetIoResult(stick, request, true, bytes_, error_));
    EXPECT_EQ(error_, kNotConnected);
    EXPECT_EQ(VIRTUAL::ViewDisplay(kStick).lines[0], "pq");
    EXPECT_EQ(VIRTUAL::ViewDisplay(kStick).protocolErrors, 2u);
    EXPECT_EQ(VIRTUAL::DisplayRequests(kStick).size(), 2u) << "the refused one is not logged";
}

// --- threads -------------------------------------------------------------------------------

// A reader polls the way a frame does while devices are attached, fed and pulled out on
// another thread (run under the tsan preset).
TEST_F(VirtualBusTest, ReaderAndHotPlugOnTwoThreads) {
    std::atomic<bool> done{false};
    std::atomic<long> reports{0};
    std::thread reader([&] {
        uint32_t error = 0;
        IoRequest* read = CreateIoRequest(true, error);
        uint8_t buffer[2];
        while (!done) {
            DeviceFile* file = OpenDevice(kPanel, true, error);
            if (file == nullptr) {
                continue;
            }
            for (int frame = 0; frame < 20; ++frame) {
                uint32_t bytes = 0;
                if (!IsIoRequestPending(read) &&
                    StartRead(file, read, buffer, 2, error) == IoStart::Failed) {
                    break;
                }
                if (GetIoResult(file, read, false, bytes, error)) {
                    ++reports;
                } else if (error != kErrorIoIncomplete) {
                    break;
                }
            }
            CancelIo(file);
            CloseDevice(file);
        }
        DestroyIoRequest(read);
    });
    for (int i = 0; i < 300; ++i) {
        VIRTUAL::AttachDevice(HidDevice(kPanel, 0x4A01, 8));
        VIRTUAL::QueueInputReport(kPanel, {static_cast<uint16_t>(1 + i % 8)});
        VIRTUAL::DetachDevice(kPanel);
    }
    done = true;
    reader.join();
    EXPECT_EQ(VIRTUAL::OpenFileCount(), 0);
}

TEST_F(VirtualBusTest, FeatureReportsSinceKeepsCountingPastTheLogBound) {
    DeviceFile* file = OpenPanel(8, false);
    auto send = [&](int count, int first) {
        for (int i = 0; i < count; ++i) {
            const uint8_t report[3] = {0, static_cast<uint8_t>((first + i) >> 8),
                                       static_cast<uint8_t>(first + i)};
            ASSERT_TRUE(HidSetFeature(file, report, 3, error_));
        }
    };
    uint64_t sequence = 0;
    send(5000, 0);  // more than the log keeps: only the newest come back
    auto fresh = VIRTUAL::FeatureReportsSince(kPanel, &sequence);
    EXPECT_EQ(sequence, 5000u);
    ASSERT_EQ(fresh.size(), VIRTUAL::FeatureReports(kPanel).size());
    EXPECT_EQ(fresh.back(), (std::vector<uint8_t>{0, 4999 >> 8, 4999 & 0xFF}));

    send(2, 5000);  // the log is full, yet the two new ones are told apart from the old
    fresh = VIRTUAL::FeatureReportsSince(kPanel, &sequence);
    ASSERT_EQ(fresh.size(), 2u);
    EXPECT_EQ(fresh.front(), (std::vector<uint8_t>{0, 5000 >> 8, 5000 & 0xFF}));
    EXPECT_TRUE(VIRTUAL::FeatureReportsSince(kPanel, &sequence).empty());
    Close(file);

    file = OpenPanel(8, false);  // a new device under the same path
    send(1, 7);
    fresh = VIRTUAL::FeatureReportsSince(kPanel, &sequence);
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(sequence, 1u);
    Close(file);
}

}  // namespace
