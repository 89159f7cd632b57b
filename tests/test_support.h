// Small helpers shared by the tests: captured trace lines and device specs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "sim/sim_registry.h"
#include "vsim/vsim.h"

namespace XPL::TEST {

// The texts of the trace lines captured since the last call, without their indentation.
inline std::vector<std::wstring> TakeTraceTexts(int maxLevel = 3) {
    std::vector<std::wstring> texts;
    for (const auto& line : VIRTUAL::TakeTraceLines()) {
        if (line.level <= maxLevel) {
            const size_t start = line.text.find_first_not_of(L' ');
            texts.push_back(start == std::wstring::npos ? L"" : line.text.substr(start));
        }
    }
    return texts;
}

inline size_t CountLines(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return static_cast<size_t>(std::count(texts.begin(), texts.end(), text));
}

inline bool HasLineStartingWith(const std::vector<std::wstring>& texts,
                                const std::wstring& prefix) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::wstring& t) { return t.rfind(prefix, 0) == 0; });
}

// A HID device of the Skydeck vendor with buttons 1..buttons, reports of 1 + buttons/8 bytes.
inline VIRTUAL::DeviceSpec HidDevice(const std::wstring& path, uint16_t productId,
                                     uint16_t buttons = 24, uint16_t vendorId = 0x2C5D) {
    VIRTUAL::DeviceSpec spec;
    spec.kind = VIRTUAL::DeviceKind::Hid;
    spec.path = path;
    spec.physicalName = L"\\device\\usbpdo-" + path.substr(path.size() > 4 ? path.size() - 4 : 0);
    spec.serial = L"SN-" + path.substr(path.size() > 4 ? path.size() - 4 : 0);
    spec.vendorId = vendorId;
    spec.productId = productId;
    spec.buttonCount = buttons;
    spec.inputReportLength = static_cast<uint16_t>(1 + (buttons + 7) / 8);
    spec.featureReportLength = 25;
    return spec;
}

inline VIRTUAL::DeviceSpec DisplayDevice(VIRTUAL::DeviceKind kind, const std::wstring& path,
                                         const std::wstring& physicalName,
                                         const std::wstring& serial) {
    VIRTUAL::DeviceSpec spec;
    spec.kind = kind;
    spec.path = path;
    spec.physicalName = physicalName;
    spec.serial = serial;
    return spec;
}

// The simulator journal since the last call, one formatted line per event.
inline std::vector<std::string> TakeJournal() {
    std::vector<std::string> lines;
    for (const VSIM::Event& event : VSIM::Journal()) {
        lines.push_back(VSIM::FormatEvent(event));
    }
    VSIM::ClearJournal();
    return lines;
}

// One panel of class P driven over the virtual bus and simulator, both fresh for each test.
template <class P>
class PanelFixture : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VIRTUAL::ResetDevices();
        VSIM::Reset();
        ResolveSimRegistry();
    }
    void TearDown() override {
        panel_.reset();
        EXPECT_EQ(VIRTUAL::OpenFileCount(), 0);
        VIRTUAL::ResetDevices();
        VIRTUAL::ResetPlatform();
        VSIM::Reset();
    }
    // Attaches the device and initialises a panel on it; the journal starts empty.
    P& Start(const VIRTUAL::DeviceSpec& device) {
        VIRTUAL::AttachDevice(device);
        path_ = device.path;
        panel_ = std::make_unique<P>(path_);
        EXPECT_TRUE(panel_->Initialize());
        VSIM::ClearJournal();
        return *panel_;
    }
    // One frame whose input report has exactly these usages on.
    void Frame(const std::set<uint16_t>& on) {
        VIRTUAL::QueueInputReport(path_, on);
        panel_->Notify();
    }
    std::vector<std::vector<uint8_t>> Sent() const { return VIRTUAL::FeatureReports(path_); }

    std::unique_ptr<P> panel_;
    std::wstring path_;
};

}  // namespace XPL::TEST
