// Small helpers shared by the tests: captured trace lines, device specs, a folder of each test's
// own, and a fixture of the virtual world.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_platform.h"
#include "gauge/bmp_file.h"
#include "glasslink/glasslink_lookup.h"
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

// A folder of the running test's own under the temporary folder, empty at the start and removed
// with the object. Named by a hash of the test's name and a random number: unique when tests run
// as parallel processes (also of other checkouts), and free of words the code under test looks
// for in paths.
class CTestFolder {
public:
    CTestFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string name = std::string(info->test_suite_name()) + "." + info->name();
        path_ = std::filesystem::temp_directory_path() /
                ("xvs-" + std::to_string(std::hash<std::string>{}(name)) + "-" +
                 std::to_string(std::random_device{}()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~CTestFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    CTestFolder(const CTestFolder&) = delete;
    CTestFolder& operator=(const CTestFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    // A file in it, as a Windows user names it: the folder, a backslash, then relative.
    std::wstring Windows(const std::wstring& relative) const {
        return path_.wstring() + L"\\" + relative;
    }

private:
    std::filesystem::path path_;
};

// The device manager as a panel sees it: the links filed by key.
class CLinkTable : public IGlasslinkLookup {
public:
    std::shared_ptr<CGlasslink> GetGlasslink(const std::wstring& key) override {
        std::lock_guard hold(lock_);
        const auto found = links_.find(key);
        return found == links_.end() ? nullptr : found->second;
    }
    void File(const std::wstring& key, std::shared_ptr<CGlasslink> link) {
        std::lock_guard hold(lock_);
        links_[key] = std::move(link);
    }
    void Clear() {
        std::lock_guard hold(lock_);
        links_.clear();
    }

private:
    std::mutex lock_;
    std::map<std::wstring, std::shared_ptr<CGlasslink>> links_;
};

// A fresh virtual platform, bus and simulator for each test; no device file is left open.
class VirtualTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VIRTUAL::ResetDevices();
        VSIM::Reset();
        ResolveSimRegistry();
    }
    void TearDown() override {
        EXPECT_EQ(VIRTUAL::OpenFileCount(), 0) << "a device file was left open";
        VIRTUAL::ResetDevices();
        VIRTUAL::ResetPlatform();
        VSIM::Reset();
    }
};

// One panel of class P driven over the virtual bus and simulator, both fresh for each test.
template <class P>
class PanelFixture : public VirtualTest {
protected:
    void TearDown() override {
        panel_.reset();
        VirtualTest::TearDown();
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
