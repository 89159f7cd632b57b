// The configuration file "XVarlenSkydeck.xml" as the studio edits it: the gauge list (each
// entry's File and, per button 1 to 12, the attributes that bind it as the plug-in merges them:
// a later child with the same Id replaces only the attributes it carries) and the stick's page
// list. Compose writes a wanted list into the file's text with the fewest changes: entries keep
// their places (a moved one takes the place of the one that stood there, comments and other
// elements stay put), an attribute is replaced where the plug-in reads it from, new entries and
// buttons are added after the last of their kind.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/xml.h"
#include "screen/button_binding.h"
#include "xml_text.h"

namespace XPL::STUDIO {

// A bound button's attributes as the plug-in ends up reading them: "Name", "Type", "Event",
// "Visible", each only when some child carries it.
using ButtonAttributes = std::map<std::wstring, std::wstring>;
using ButtonList = std::array<std::optional<ButtonAttributes>, kBoundButtonCount>;

inline constexpr std::array<const wchar_t*, 4> kButtonAttributes = {L"Name", L"Type", L"Event",
                                                                    L"Visible"};

struct GaugeEntry {
    size_t ref = CXmlText::kNone;  // the Gauge element it was read from; kNone for a new one
    std::optional<std::wstring> file;
    ButtonList buttons;
};

struct PageEntry {
    size_t ref = CXmlText::kNone;
    std::wstring name;
    std::optional<std::wstring> radio1;
};

struct ConfigurationModel {
    std::vector<GaugeEntry> gauges;
    std::vector<PageEntry> pages;
    // Whether what the plug-in reads is the same (the element each entry came from aside).
    bool SameReading(const ConfigurationModel& other) const;
};

// How the plug-in reads a loaded configuration file (refs: the elements' document indexes).
ConfigurationModel ReadConfigurationModel(const PLATFORM::CXmlDocument& document);

// The text of the file for wanted; refs of wanted name elements of document. False, with why,
// when the file offers no place for what is added.
bool ComposeConfiguration(const CXmlText& text, const PLATFORM::CXmlDocument& document,
                          const ConfigurationModel& wanted, std::string& composed,
                          std::string& why);

inline constexpr char kNewConfigurationFile[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<GaugeList>\r\n</GaugeList>\r\n";

}  // namespace XPL::STUDIO
