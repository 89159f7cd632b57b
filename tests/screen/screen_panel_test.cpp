// The screen panel over a virtual HID interface and screen link: its gauge list and memory
// file, and the I/O thread on the virtual clock. Stepping, buttons, LEDs and pictures end to end:
// tests/scenarios/screen.sim; the LEDs going off last at a stop: screen_phases.sim; an empty
// gauge list: hotas.sim.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "gauge/bmp_file.h"
#include "glasslink/glasslink_screen.h"
#include "screen/screen_panel.h"
#include "screen/screen_panel_gauge.h"
#include "test_support.h"
#include "trace/trace.h"

using namespace XPL;
using namespace XPL::TEST;
namespace fs = std::filesystem;

namespace {

const std::wstring kHid = L"\\\\?\\hid#vid_2c5d&pid_4a05#screen";
const std::wstring kDisplay = L"\\\\?\\glasslink#screen#1";
const std::wstring kNotEnded = L"The I/O thread has not ended within 15000 ms; waiting for it";

// A gauge named name that reads one float dataref and binds what the configuration says.
std::string GaugeText(const std::string& name) {
    return "<Gauge Name=\"" + name +
           "\"><Element><Visible>(A:sim/test/value,number)</Visible></Element></Gauge>";
}

class ScreenPanelTest : public VirtualTest {
protected:
    void SetUp() override {
        VirtualTest::SetUp();
        VIRTUAL::SetModuleFilePath((root_.Path() / "plugin" / "64" / "win.xpl").wstring());
        VIRTUAL::EnableTrace(3, TRACEKW::kScreen);
    }
    void TearDown() override {
        panel_.reset();
        links_.Clear();
        EXPECT_EQ(VIRTUAL::TimedWaiters(), 0) << "the I/O thread ended";
        VirtualTest::TearDown();
    }

    // The configuration lists gauges named names (gauges/N.xml), button children as given.
    void Configure(const std::vector<std::string>& names, const std::string& buttons = "") {
        std::string text = "<?xml version=\"1.0\"?>\r\n<GaugeList>\r\n";
        for (size_t i = 0; i < names.size(); ++i) {
            // Appended piece by piece: "literal" + std::string trips a false -Wrestrict of
            // g++ 12.
            std::string file = "g";
            file += std::to_string(i);
            file += ".xml";
            WriteFile(data_ / "gauges" / file, GaugeText(names[i]));
            text +=
                "<Gauge File=\"gauges\\" + file + "\">" + (i == 0 ? buttons : "") + "</Gauge>\r\n";
        }
        WriteFile(data_ / "XVarlenSkydeck.xml", text + "</GaugeList>\r\n");
    }
    // Attaches the screen's two halves (the link filed only when withLink) and initialises the
    // panel; returns once its I/O thread waits on the clock.
    CScreenPanel& Start(const std::wstring& serial = L"SCR-1", bool withLink = true) {
        VIRTUAL::DeviceSpec hid = HidDevice(kHid, 0x4A05, 16);
        hid.serial = serial;
        VIRTUAL::AttachDevice(hid);
        VIRTUAL::AttachDevice(
            DisplayDevice(VIRTUAL::DeviceKind::ScreenDisplay, kDisplay, L"\\device\\s", serial));
        if (withLink) {
            FileLink();
        }
        panel_ = std::make_unique<CScreenPanel>(kHid, links_);
        EXPECT_TRUE(panel_->Initialize());
        VIRTUAL::AwaitIdle();
        startFailures_ = TakeTraceTexts(1);
        VSIM::ClearJournal();
        return *panel_;
    }
    void FileLink() {
        auto link = std::make_shared<CGlasslinkScreen>(kDisplay);
        ASSERT_TRUE(link->Initialize());
        links_.File(link->GetSerialNumber(), link);
    }
    // One frame, and what it set going on the I/O thread.
    void Frame(const std::set<uint16_t>& on = {}) {
        VIRTUAL::QueueInputReport(kHid, on);
        panel_->Notify();
        VIRTUAL::AwaitIdle();
    }
    void Press(uint16_t button) {
        Frame({button});
        Frame();
    }
    // Uninitialises the panel on another thread and expects it done without the clock moving
    // on; should it wait for the clock, the clock is moved until it is done, so that the test
    // fails instead of hanging.
    void UninitializeWithoutTheClock() {
        std::promise<void> done;
        std::future<void> finished = done.get_future();
        std::thread remover([this, &done] {
            panel_->Uninitialize();
            done.set_value();
        });
        if (finished.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "the removal waits for the clock";
            while (finished.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
                VIRTUAL::AdvanceClock(100);
            }
        }
        remover.join();
    }
    static uint64_t Pictures() { return VIRTUAL::ViewDisplay(kDisplay).pictures; }
    static uint16_t Leds() { return VIRTUAL::ViewDisplay(kDisplay).leds; }
    static uint16_t LedBits(std::initializer_list<int> leds) {
        uint16_t bits = 0;
        for (const int led : leds) {
            bits = static_cast<uint16_t>(bits | (1u << led));
        }
        return bits;
    }

    CTestFolder root_;
    fs::path data_ = root_.Path() / "plugin" / "data";
    CLinkTable links_;
    std::unique_ptr<CScreenPanel> panel_;
    std::vector<std::wstring> startFailures_;  // level-1 lines of the initialise in Start
};

// A refused picture goes at the next pass (tests/scenarios/screen.sim); so does one whose link
// arrives after its panel.
TEST_F(ScreenPanelTest, APictureWaitsForALinkThatArrivesAfterItsPanel) {
    Configure({"A"});
    Start(L"SCR-1", false);
    VIRTUAL::AdvanceClock(10000);
    Frame();
    EXPECT_EQ(Pictures(), 0u);
    EXPECT_EQ(Leds(), 0u);
    FileLink();
    VIRTUAL::AdvanceClock(50);
    EXPECT_EQ(Pictures(), 1u);
    Frame();
    EXPECT_EQ(Leds(), LedBits({7, 8}));
}

TEST_F(ScreenPanelTest, TheGaugeListKeepsTheGaugesThatLoadInFileOrder) {
    WriteFile(data_ / "gauges" / "a.xml", GaugeText("A"));
    WriteFile(data_ / "gauges" / "b.xml", GaugeText("B"));
    WriteFile(data_ / "gauges" / "bad.xml", "<Gauge Name=\"Bad\"><Gauge/></Gauge>");
    WriteFile(data_ / "XVarlenSkydeck.xml",
              "<GaugeList><Gauge File=\"gauges\\missing.xml\"/><Gauge File=\"gauges\\A.XML\"/>"
              "<Gauge/><Gauge File=\"gauges/bad.xml\"/><Gauge File=\"gauges\\b.xml\"><B Id=\"2\"/>"
              "</Gauge><Hotas><ComNav radio1=\"true\"/></Hotas></GaugeList>");
    CScreenPanel& panel = Start();
    ASSERT_EQ(panel.GaugeCount(), 2u);
    EXPECT_EQ(panel.Gauge(0).Name(), L"A");
    EXPECT_EQ(panel.Gauge(1).Name(), L"B");
    EXPECT_TRUE(panel.Gauge(1).BindsButton(2));
    // The File value follows the data folder's text directly; no File gives an empty path.
    const std::wstring folder = (root_.Path() / "plugin").wstring() + L"\\data\\";
    for (const std::wstring& path :
         {folder + L"gauges\\missing.xml", std::wstring(), folder + L"gauges/bad.xml"}) {
        EXPECT_EQ(CountLines(startFailures_, L"Failed in loading the gauge xml file: " + path), 1u)
            << std::string(path.begin(), path.end());
    }
    panel_->Uninitialize();
    panel_->Initialize();  // built anew, not appended
    EXPECT_EQ(panel.GaugeCount(), 2u);
}

// The Serial and Name of each Screen in the memory file; a missing Name as "-".
using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

Entries ReadMemory(const fs::path& file) {
    PLATFORM::CXmlDocument document;
    EXPECT_TRUE(document.Create());
    EXPECT_TRUE(document.LoadFile(file.wstring()));
    std::vector<PLATFORM::CXmlNode> screens;
    document.SelectNodes(L"/ScreenList/*", screens);
    Entries entries;
    for (const auto& screen : screens) {
        entries.emplace_back(screen.GetAttribute(L"Serial").value_or(L"-"),
                             screen.GetAttribute(L"Name").value_or(L"-"));
    }
    return entries;
}

struct MemoryCase {
    const char* name;
    std::wstring serial;
    std::optional<std::string> file;  // the memory file before; none: no file
    int16_t loaded;                   // the gauge the panel comes back with
    int presses;                      // of button 10 before the panel goes
    Entries saved;
    bool keptAside = false;  // the file before is kept as XVarlenScreen.xml.bad
};

void PrintTo(const MemoryCase& c, std::ostream* out) {
    *out << c.name;
}

class ScreenMemoryTest : public ScreenPanelTest,
                         public ::testing::WithParamInterface<MemoryCase> {};

// Gauges A, B, C and a second B.
TEST_P(ScreenMemoryTest, ThePanelComesBackWithTheGaugeItShowedLast) {
    const MemoryCase& c = GetParam();
    Configure({"A", "B", "C", "B"});
    if (c.file) {
        WriteFile(data_ / "XVarlenScreen.xml", *c.file);
    }
    CScreenPanel& panel = Start(c.serial);
    EXPECT_EQ(panel.CurrentGauge(), c.loaded);
    for (int i = 0; i < c.presses; ++i) {
        Press(10);
    }
    panel_->Uninitialize();
    EXPECT_EQ(ReadMemory(data_ / "XVarlenScreen.xml"), c.saved);
    EXPECT_EQ(fs::exists(data_ / "XVarlenScreen.xml.bad"), c.keptAside);
    if (c.keptAside) {
        std::ifstream kept(data_ / "XVarlenScreen.xml.bad", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), *c.file);
    }
    EXPECT_FALSE(fs::exists(data_ / "XVarlenScreen.xml.tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ScreenMemoryTest,
    ::testing::Values(
        MemoryCase{"NewFile", L"SCR-1", std::nullopt, 0, 1, {{L"SCR-1", L"B"}}},
        MemoryCase{"AppendedAfterOthers",
                   L"SCR-1",
                   "<ScreenList><Screen Serial=\"X\" Name=\"C\"/></ScreenList>",
                   0,
                   2,
                   {{L"X", L"C"}, {L"SCR-1", L"C"}}},
        MemoryCase{"UpdatedInPlace",
                   L"SCR-1",
                   "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<ScreenList>"
                   "<Screen Serial=\"X\" Name=\"A\"/><Screen Serial=\"SCR-1\" Name=\"C\"/>"
                   "<Screen Serial=\"SCR-1\" Name=\"A\"/></ScreenList>",
                   2,
                   1,
                   {{L"X", L"A"}, {L"SCR-1", L"B"}, {L"SCR-1", L"A"}}},
        MemoryCase{"AScreenWithoutNameIsNeverUpdated",
                   L"SCR-1",
                   "<ScreenList><Screen Serial=\"SCR-1\"/></ScreenList>",
                   0,
                   1,
                   {{L"SCR-1", L"-"}}},
        MemoryCase{"AGoneGaugeIsIgnoredThenOverwritten",
                   L"SCR-1",
                   "<ScreenList><Screen Serial=\"SCR-1\" Name=\"Gone\"/></ScreenList>",
                   0,
                   0,
                   {{L"SCR-1", L"A"}}},
        MemoryCase{"TheFirstOfTwoGaugesOfOneName",
                   L"SCR-1",
                   "<ScreenList><Screen Serial=\"SCR-1\" Name=\"B\"/></ScreenList>",
                   1,
                   2,
                   {{L"SCR-1", L"B"}}},
        MemoryCase{"UnreadableFileIsKeptAside",
                   L"SCR-1",
                   "<ScreenList><Screen Serial=\"SCR-1\" Name=\"C\"></ScreenList>",
                   0,
                   1,
                   {{L"SCR-1", L"B"}},
                   true},
        MemoryCase{
            "AnotherRootIsStartedAfresh", L"SCR-1", "<Other/>", 0, 0, {{L"SCR-1", L"A"}}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The removal comes while the thread waits: it must end at once, without the clock moving on.
TEST_F(ScreenPanelTest, ARemovalDuringTheInitialDelayEndsTheThreadAtOnce) {
    Configure({"A"});
    Start();
    VIRTUAL::AdvanceClock(5000);
    UninitializeWithoutTheClock();
    EXPECT_EQ(VIRTUAL::TimedWaiters(), 0);
    EXPECT_EQ(CountLines(TakeTraceTexts(1), kNotEnded), 0u);
    VIRTUAL::AdvanceClock(10000);
    EXPECT_EQ(Pictures(), 0u);
}

}  // namespace
