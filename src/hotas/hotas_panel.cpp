#include "hotas/hotas_panel.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "glasslink/glasslink.h"
#include "glasslink/glasslink_hotas.h"
#include "glasslink/glasslink_lookup.h"
#include "hotas/adf_page.h"
#include "hotas/autopilot_page.h"
#include "hotas/com_nav_page.h"
#include "hotas/default_page.h"
#include "hotas/dme_page.h"
#include "hotas/page.h"
#include "hotas/vor_hdg_page.h"
#include "hotas/xpndr_page.h"
#include "platform/xml.h"
#include "sim/aircraft_profiles.h"
#include "sim/sim_registry.h"
#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kHotas;

// Reads a page element; false when it gives no page, with report(unknownPage, value) told why
// (an unknown page name, or a radio1 value that is neither "true" nor "false"). A ComNav
// without radio1 gives none silently.
template <typename Report>
bool ReadPage(const PLATFORM::CXmlNode& element, std::wstring& name, bool& radio1,
              const Report& report) {
    name = element.Name();
    if (name == L"ComNav") {
        const std::optional<std::wstring> radio = element.GetAttribute(L"radio1");
        if (!radio) {
            return false;
        }
        if (*radio != L"true" && *radio != L"false") {
            report(false, *radio);
            return false;
        }
        radio1 = *radio == L"true";
        return true;
    }
    if (std::find(CHotasPanel::kPageNames.begin(), CHotasPanel::kPageNames.end(), name) ==
        CHotasPanel::kPageNames.end()) {
        report(true, name);
        return false;
    }
    return true;
}

void TraceBadPage(bool unknownPage, const std::wstring& value) {
    TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
               unknownPage ? L"It's an invalid page %s" : L"It's an invalid attribution text %s",
               value);
}

}  // namespace

CHotasPanel::CHotasPanel(const std::wstring& devicePath, const std::wstring& linkKey,
                         IGlasslinkLookup& manager)
    : CPanel(devicePath), manager(manager), linkKey(linkKey) {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::CHotasPanel");
}

CHotasPanel::~CHotasPanel() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::~CHotasPanel");
}

CHotasPanel::CPage* CHotasPanel::GetPage(size_t index) const {
    return index < pages.size() ? pages[index].get() : nullptr;
}

void CHotasPanel::OnInitialize() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::OnInitialize");
    InitPages();
    for (const uint16_t usage : {kPreviousPage, kNextPage, kCursorUp, kCursorDown, kCursorSelect}) {
        RegisterButton(usage);
    }
}

void CHotasPanel::OnUninitialize() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::OnUninitialize");
    pages.clear();
    currentPage = 0;
    filePages.clear();
    profilePages = false;
}

void CHotasPanel::InitPages() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::InitPages");
    pages.clear();
    currentPage = 0;
    filePages.clear();
    profilePages = false;
    std::wstring folder;
    if (!CGlasslink::GetConfigureFilePath(folder)) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in retrieving the configure XML file path");
        return;
    }
    PLATFORM::CXmlDocument document;
    if (!UTILITY::LoadXmlFile(document, folder + kConfigurationFileName, kKeyword)) {
        return;
    }
    std::vector<PLATFORM::CXmlNode> elements;
    document.SelectNodes(kPageXPath, elements);
    for (const PLATFORM::CXmlNode& element : elements) {
        PageSpec spec;
        if (ReadPage(element, spec.name, spec.radio1, TraceBadPage)) {
            filePages.push_back(std::move(spec));
        }
    }
    BuildPages(filePages);
}

std::unique_ptr<CHotasPanel::CPage> CHotasPanel::MakePage(const PLATFORM::CXmlNode& element,
                                                          const SimRegistry& registry) {
    PageSpec spec;
    return ReadPage(element, spec.name, spec.radio1, TraceBadPage) ? PageOf(spec, registry)
                                                                   : nullptr;
}

void CHotasPanel::BuildPages(const std::vector<PageSpec>& specs) {
    pages.clear();
    currentPage = 0;
    for (const PageSpec& spec : specs) {
        pages.push_back(PageOf(spec, *registry));
    }
    pages.push_back(std::make_unique<CDefaultPage>(*registry));
}

std::unique_ptr<CHotasPanel::CPage> CHotasPanel::PageOf(const PageSpec& spec,
                                                        const SimRegistry& sim) {
    if (spec.name == L"ComNav") {
        return std::make_unique<CComNavPage>(
            sim, spec.radio1 ? CComNavPage::kRadio1 : CComNavPage::kRadio2);
    }
    if (spec.name == L"Adf") {
        return std::make_unique<CAdfPage>(sim);
    }
    if (spec.name == L"Dme") {
        return std::make_unique<CDmePage>(sim);
    }
    if (spec.name == L"Xpndr") {
        return std::make_unique<CXpndrPage>(sim);
    }
    if (spec.name == L"Autopilot") {
        return std::make_unique<CAutopilotPage>(sim);
    }
    return std::make_unique<CVorHdgPage>(sim);
}

void CHotasPanel::OnAircraftProfile(const CAircraftProfiles& profiles) {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::OnAircraftProfile");
    const CAircraftProfile* profile = profiles.Profile();
    const PLATFORM::CXmlNode hotas =
        profile != nullptr ? profile->Document().SelectSingleNode(L"//GaugeList/Hotas")
                           : PLATFORM::CXmlNode();
    if (hotas.IsNull()) {
        if (profilePages) {
            profilePages = false;
            BuildPages(filePages);
        }
        return;
    }
    std::vector<PageSpec> specs;
    for (const PLATFORM::CXmlNode& element : hotas.Children()) {
        if (element.Type() != PLATFORM::XmlNodeType::Element) {
            continue;
        }
        PageSpec spec;
        if (ReadPage(element, spec.name, spec.radio1,
                     [&](bool unknownPage, const std::wstring& value) {
                         profile->Report(kKeyword, profile->LineOf(element),
                                         (unknownPage ? L"the stick has no page "
                                                      : L"radio1 is neither true nor false but ") +
                                             value + L": the page is left out");
                     })) {
            specs.push_back(std::move(spec));
        }
    }
    profilePages = true;
    BuildPages(specs);
}

void CHotasPanel::OnNotify() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::OnNotify");
    const std::shared_ptr<CGlasslink> found = manager.GetGlasslink(linkKey);
    auto* link = dynamic_cast<CGlasslinkHotas*>(found.get());
    if (link != nullptr && currentPage < pages.size()) {
        pages[currentPage]->Display(*link);
    }
}

void CHotasPanel::OnButton(uint16_t usage, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::OnButton");
    if (state != 1) {
        return;
    }
    switch (usage) {
        case kPreviousPage:
            if (currentPage == 0) {
                currentPage = pages.size();
            }
            if (currentPage != 0) {
                --currentPage;
            }
            break;
        case kNextPage:
            ++currentPage;
            if (currentPage >= pages.size()) {
                currentPage = 0;
            }
            break;
        case kCursorUp:
        case kCursorDown:
        case kCursorSelect:
            if (currentPage < pages.size()) {
                CPage& page = *pages[currentPage];
                if (usage == kCursorUp) {
                    page.CursorUp();
                } else if (usage == kCursorDown) {
                    page.CursorDown();
                } else {
                    page.CursorSelect();
                }
            }
            break;
        default:
            break;
    }
}

}  // namespace XPL
