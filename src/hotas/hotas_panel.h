// The stick (a joystick and throttle pair) as a HID panel: its text display of three lines shows
// one page of an ordered list at a time, five of its buttons page through the list and move,
// adjust and select within the current page. Which pages exist, and in which order, comes from
// the `Hotas` element of "XVarlenSkydeck.xml" in the data folder, read once at initialise; a
// default page always closes the list. The display itself is reached through the stick's display
// link, looked up every frame under the stick's physical device object name.
//
// The configuration, as read:
//   <GaugeList>
//     <Hotas>                        every child element is a page, in display order
//       <ComNav radio1="true"/>      COM1/NAV1 ("true") or COM2/NAV2 ("false"); required
//       <Adf/> <Dme/> <Xpndr/> <VorHdg/> <Autopilot/>
// Names and values compare exactly (with case); anything else is reported and skipped.
// An aircraft profile's GaugeList may hold a Hotas element of its own, read alike: its pages
// replace the configured ones for that aircraft (the default page still closes the list).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "panels/panel.h"
#include "platform/xml.h"

namespace XPL {

class IGlasslinkLookup;

class CHotasPanel : public CPanel {
public:
    class CPage;

    // Button-page usages; each acts on its press.
    static constexpr uint16_t kPreviousPage = 35;
    static constexpr uint16_t kNextPage = 36;
    static constexpr uint16_t kCursorUp = 37;
    static constexpr uint16_t kCursorDown = 38;
    static constexpr uint16_t kCursorSelect = 39;

    static constexpr const wchar_t* kConfigurationFileName = L"XVarlenSkydeck.xml";
    // The page elements of the configuration file, in display order.
    static constexpr const wchar_t* kPageXPath = L"//GaugeList/Hotas/*";
    // The element names of the pages.
    static constexpr std::array<std::wstring_view, 6> kPageNames = {
        L"ComNav", L"Adf", L"Dme", L"Xpndr", L"Autopilot", L"VorHdg"};

    // linkKey: the key under which manager files this stick's display link (its physical device
    // object name). manager must outlive the panel.
    CHotasPanel(const std::wstring& devicePath, const std::wstring& linkKey,
                IGlasslinkLookup& manager);
    ~CHotasPanel() override;

    // Builds the page list from the configuration file: the configured pages in file order,
    // then the default page. A file that cannot be found or read leaves the list empty (traced).
    void InitPages();

    // The page a page element of the configuration names, or null after its message (an
    // unknown name, a radio1 other than "true" or "false") or silently (a ComNav without radio1).
    static std::unique_ptr<CPage> MakePage(const PLATFORM::CXmlNode& element,
                                           const SimRegistry& registry);

    size_t GetPageCount() const { return pages.size(); }
    size_t GetCurrentPage() const { return currentPage; }
    // The page at index, or null.
    CPage* GetPage(size_t index) const;

protected:
    // InitPages, then registers buttons 35 to 39.
    void OnInitialize() override;
    // Destroys the pages.
    void OnUninitialize() override;
    // Builds the pages of the profile's Hotas element, or again those of the configuration.
    void OnAircraftProfile(const CAircraftProfiles& profiles) override;
    // Shows the current page through the display link; without a link the frame is skipped.
    void OnNotify() override;
    // Pages on 35 and 36 (with wrap), hands 37 to 39 to the current page; presses only.
    void OnButton(uint16_t usage, uint32_t state) override;

private:
    // A page element as read: its name and, for ComNav, the radio.
    struct PageSpec {
        std::wstring name;
        bool radio1 = true;
    };
    // The page of a spec.
    static std::unique_ptr<CPage> PageOf(const PageSpec& spec, const SimRegistry& sim);
    // The configured pages, then the default page, from scratch (the cursor on the first page).
    void BuildPages(const std::vector<PageSpec>& specs);

    IGlasslinkLookup& manager;
    const std::wstring linkKey;
    size_t currentPage = 0;
    std::vector<std::unique_ptr<CPage>> pages;
    std::vector<PageSpec> filePages;  // the configuration file's, as InitPages read them
    bool profilePages = false;        // the pages are a profile's
};

}  // namespace XPL
