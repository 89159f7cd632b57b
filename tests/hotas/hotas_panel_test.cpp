// The stick panel over the virtual bus and simulator: the page list read from the configuration
// file (and its errors), a stick without pages, and the current page shown through the link of
// the stick's key. Paging and the cursor buttons end to end: tests/scenarios/hotas.sim.
#include "hotas/hotas_panel.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "devices/products.h"
#include "glasslink/glasslink.h"
#include "glasslink/glasslink_hotas.h"
#include "hotas/page.h"
#include "test_support.h"
#include "trace/trace.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

const std::wstring kPath = L"\\\\?\\hid#vid_2c5d&pid_4a06#7&1a2b3c4d&0&0000#{4d1e55b2}";
const std::wstring kLinkKey = L"\\device\\usbpdo-17";
using Texts = std::vector<std::wstring>;
using Kinds = std::vector<std::string>;

class HotasPanelTest : public VirtualTest {
protected:
    void SetUp() override {
        VirtualTest::SetUp();
        VIRTUAL::SetModuleFilePath(root_.Windows(L"XVarlenSkydeck\\64\\win.xpl"));
        VIRTUAL::EnableTrace(1, TRACEKW::kHotas);
    }
    void TearDown() override {
        panel_.reset();
        VirtualTest::TearDown();
    }
    void WriteFile(const std::string& bytes) {
        TEST::WriteFile(root_.Path() / "XVarlenSkydeck" / "data" / "XVarlenSkydeck.xml", bytes);
    }
    // A configuration whose Hotas element holds pages.
    void Configure(const std::string& pages) {
        WriteFile(
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<GaugeList>\r\n"
            "  <Gauge File=\"gauges\\a.xml\"/>\r\n  <Hotas>\r\n" +
            pages + "\r\n  </Hotas>\r\n</GaugeList>\r\n");
    }
    // Attaches the stick and initialises its panel; the failure lines of the start are kept.
    CHotasPanel& Start() {
        VIRTUAL::AttachDevice(HidDevice(kPath, kHotasProductId, 40));
        panel_ = std::make_unique<CHotasPanel>(kPath, kLinkKey, links_);
        EXPECT_TRUE(panel_->Initialize());
        startTexts_ = TakeTraceTexts(1);
        VSIM::ClearJournal();
        return *panel_;
    }
    // Each page by the top line it shows.
    Kinds PageTitles() const {
        Kinds titles;
        for (size_t i = 0; i < panel_->GetPageCount(); ++i) {
            CHotasPanel::CPage::Lines lines;
            panel_->GetPage(i)->Compose(lines);
            titles.push_back(lines[0].Text());
        }
        return titles;
    }
    void Frame(const std::set<uint16_t>& on) {
        VIRTUAL::QueueInputReport(kPath, on);
        panel_->Notify();
    }
    // Presses and releases buttons, one frame each.
    void Press(std::initializer_list<uint16_t> usages) {
        for (const uint16_t usage : usages) {
            Frame({usage});
            Frame({});
        }
    }
    std::wstring FilePath() const {
        std::wstring folder;
        CGlasslink::GetConfigureFilePath(folder);
        return folder + L"XVarlenSkydeck.xml";
    }

    CTestFolder root_;
    CLinkTable links_;
    std::unique_ptr<CHotasPanel> panel_;
    Texts startTexts_;
};

// ---- Page list ----

const std::string kCom1 = "  COM1    NAV1  ";
const std::string kCom2 = "  COM2    NAV2  ";
const std::string kAdf = " ADF  [OFF]";
const std::string kDme = " DME    [R1]";
const std::string kXpndr = " Transponder";
const std::string kVorHdg = " VOR     HDG";
const std::string kAutopilot = " ALT     0<";
const std::string kDefault = "Mode 1";

struct ListCase {
    const char* name;
    std::string pages;  // the Hotas element's content
    Kinds titles;
    Texts failures;
};

class PageListTest : public HotasPanelTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(PageListTest, HoldsTheConfiguredPagesThenTheDefault) {
    Configure(GetParam().pages);
    Start();
    EXPECT_EQ(PageTitles(), GetParam().titles);
    EXPECT_EQ(startTexts_, GetParam().failures);
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, PageListTest,
    ::testing::Values(
        ListCase{"BothRadiosAroundTransponder",
                 "<ComNav radio1=\"true\"/><Xpndr/><ComNav radio1=\"false\"/>",
                 {kCom1, kXpndr, kCom2, kDefault},
                 {}},
        ListCase{"EveryOtherPageInFileOrder",
                 "<VorHdg/>\r\n<Autopilot/>\r\n<Dme/>\r\n<Adf/>\r\n<Dme/>",
                 {kVorHdg, kAutopilot, kDme, kAdf, kDme, kDefault},
                 {}},
        ListCase{"RadioValueComparedWithCase",
                 "<ComNav radio1=\"True\"/><ComNav radio1=\"\"/><Adf/>",
                 {kAdf, kDefault},
                 {L"It's an invalid attribution text True", L"It's an invalid attribution text "}},
        ListCase{
            "ComNavWithoutRadioIsSkippedSilently", "<ComNav radio2=\"true\"/>", {kDefault}, {}},
        ListCase{"UnknownPageNamesAreReported",
                 "<Radar/><dme/><Xpndr><Extra/></Xpndr>",
                 {kXpndr, kDefault},
                 {L"It's an invalid page Radar", L"It's an invalid page dme"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The names the configuration check accepts are the ones that make pages.
TEST_F(HotasPanelTest, EveryPublishedPageNameMakesAPage) {
    std::string pages;
    for (const std::wstring_view name : CHotasPanel::kPageNames) {
        pages += '<';
        pages.append(name.begin(), name.end());
        pages += " radio1=\"true\"/>";
    }
    Configure(pages);
    Start();
    EXPECT_EQ(panel_->GetPageCount(), CHotasPanel::kPageNames.size() + 1);
    EXPECT_EQ(startTexts_, Texts{});
}

TEST_F(HotasPanelTest, UnreadableFileLeavesNoPagesAndButtonsDoNothing) {
    for (const char* content : {"", "<GaugeList><Hotas><Dme/></GaugeList>"}) {
        SCOPED_TRACE(content);
        if (*content != '\0') {
            WriteFile(content);
        }
        Start();
        EXPECT_EQ(panel_->GetPageCount(), 0u);
        EXPECT_EQ(startTexts_, Texts{L"Failed in loading the XML file " + FilePath()});
        Press({CHotasPanel::kPreviousPage, CHotasPanel::kNextPage, CHotasPanel::kCursorUp,
               CHotasPanel::kCursorDown, CHotasPanel::kCursorSelect});
        EXPECT_EQ(panel_->GetCurrentPage(), 0u);
        EXPECT_EQ(TakeJournal(), std::vector<std::string>{});
        panel_.reset();
        VIRTUAL::ResetDevices();
    }
}

// ---- Display ----

TEST_F(HotasPanelTest, ShowsTheCurrentPageThroughTheLinkOfItsKey) {
    const std::wstring display = L"\\\\?\\glasslink#stick#17";
    VIRTUAL::AttachDevice(DisplayDevice(VIRTUAL::DeviceKind::StickDisplay, display, kLinkKey, L""));
    auto link = std::make_shared<CGlasslinkHotas>(display);
    ASSERT_TRUE(link->Initialize());
    links_.File(kLinkKey, link);
    VSIM::SetInt("sim/cockpit/radios/transponder_code", 7000);
    Configure("<Xpndr/><Dme/>");
    Start();
    const auto shown = [&] { return VIRTUAL::ViewDisplay(display).lines; };
    using Shown = std::array<std::string, 3>;

    Frame({});
    EXPECT_EQ(shown(), (Shown{" Transponder", ">7000", ""}));
    // Nothing changed: nothing is sent.
    const size_t requests = VIRTUAL::DisplayRequests(display).size();
    Frame({});
    EXPECT_EQ(VIRTUAL::DisplayRequests(display).size(), requests);
    // Without the link the frame is skipped: the page change does not show.
    links_.Clear();
    Frame({CHotasPanel::kNextPage});
    EXPECT_EQ(panel_->GetCurrentPage(), 1u);
    EXPECT_EQ(shown()[0], " Transponder");
    EXPECT_EQ(links_.Asked(), Texts(3, kLinkKey));
    panel_.reset();
    link->Uninitialize();
}

}  // namespace
