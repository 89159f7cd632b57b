// The stick panel over the virtual bus and simulator: the page list read from the configuration
// file and its errors. Paging, the cursor buttons and the lines shown through the stick's link
// end to end: tests/scenarios/hotas.sim; a stick without its link: displays.sim; a configuration
// that does not read: unreadable_files.sim.
#include "hotas/hotas_panel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "devices/products.h"
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

}  // namespace
