// The virtual device bus where the device manager's, the panels' and the links' tests do not reach
// it: report layout, the overlapped read rules, the display devices' protocol check and the
// feature-report log. Detaching, enumeration, faults and the watch thread's notices are run by
// the tests of the device manager and the panels, threads by the hot-plug stress test.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/device_file.h"
#include "platform/hid.h"
#include "test_support.h"

using namespace XPL;
using namespace XPL::PLATFORM;
using namespace XPL::TEST;

namespace {

const std::wstring kPanel = L"\\\\?\\HID#VID_2C5D&PID_4A01#7&1a2b#{4d1e55b2}";
const std::wstring kStick = L"\\\\?\\glasslink#stick#1";
const std::wstring kScreen = L"\\\\?\\glasslink#screen#1";

constexpr uint32_t kNotConnected = 1167;
constexpr uint32_t kAborted = 995;

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
    uint32_t count = 4;
    ASSERT_EQ(HidGetButtonUsages(data, report, 4, usages, count), kHidpStatusSuccess);
    EXPECT_EQ(std::vector<uint16_t>(usages, usages + count), (std::vector<uint16_t>{1, 3, 9, 24}));
    EXPECT_NE(HidGetButtonUsages(data, report, 3, usages, count), kHidpStatusSuccess);
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
