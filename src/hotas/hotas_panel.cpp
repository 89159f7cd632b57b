#include "hotas/hotas_panel.h"

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
#include "sim/sim_registry.h"
#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kHotas;

}  // namespace

std::unique_ptr<CHotasPanel::CPage> CHotasPanel::MakePage(const PLATFORM::CXmlNode& element,
                                                          const SimRegistry& registry) {
    const std::wstring name = element.Name();
    if (name == L"ComNav") {
        const std::optional<std::wstring> radio1 = element.GetAttribute(L"radio1");
        if (!radio1) {
            return nullptr;
        }
        if (*radio1 == L"true" || *radio1 == L"false") {
            return std::make_unique<CComNavPage>(
                registry, *radio1 == L"true" ? CComNavPage::kRadio1 : CComNavPage::kRadio2);
        }
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage, L"It's an invalid attribution text %s",
                   *radio1);
        return nullptr;
    }
    if (name == L"Adf") {
        return std::make_unique<CAdfPage>(registry);
    }
    if (name == L"Dme") {
        return std::make_unique<CDmePage>(registry);
    }
    if (name == L"Xpndr") {
        return std::make_unique<CXpndrPage>(registry);
    }
    if (name == L"Autopilot") {
        return std::make_unique<CAutopilotPage>(registry);
    }
    if (name == L"VorHdg") {
        return std::make_unique<CVorHdgPage>(registry);
    }
    TraceWrite(kTraceFailure, kKeyword, kTraceMessage, L"It's an invalid page %s", name);
    return nullptr;
}

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
}

void CHotasPanel::InitPages() {
    CTraceScope scope(kKeyword, "XPL::CHotasPanel::InitPages");
    pages.clear();
    currentPage = 0;
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
        if (std::unique_ptr<CPage> page = MakePage(element, *registry)) {
            pages.push_back(std::move(page));
        }
    }
    pages.push_back(std::make_unique<CDefaultPage>(*registry));
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
