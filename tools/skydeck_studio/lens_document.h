// The lens programming file as the studio edits it: per programmed serial number, the tiles the
// lamp panel would program (the plug-in's reading: the last Lense of a tile wins, and only a
// Lense with both a colour and a lens programs it). Compose writes a wanted programming into the
// file's text with the fewest changes: a tile's last Lense gets its Colour and Assignment texts
// replaced, a tile no longer wanted loses its Lense elements, a new one gets a Lense at the end
// of its panel's programming, a new panel a LampProgramming at the end of the Lamp element.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "panels/lamp_panel.h"
#include "platform/xml.h"
#include "xml_text.h"

namespace XPL::STUDIO {

struct LensPanel {
    std::wstring serial;
    CLampPanel::Programming tiles;  // programmed tiles only (colour and lens set)
    bool operator==(const LensPanel& other) const;
};
using LensModel = std::vector<LensPanel>;  // in the order the file first names each serial

// How the plug-in reads a loaded lens file; conditions: those the aircraft profiles define,
// programmed like the built-in ones.
LensModel ReadLensModel(const PLATFORM::CXmlDocument& document,
                        const std::vector<std::wstring>& conditions = {});

// The text of the file for wanted. document: the file's reading, text: where its elements stand
// (SameElements). False, with why, when the file offers no place for a new panel.
bool ComposeLens(const CXmlText& text, const PLATFORM::CXmlDocument& document,
                 const LensModel& wanted, std::string& composed, std::string& why,
                 const std::vector<std::wstring>& conditions = {});

// The text of a new lens file before anything is programmed.
inline constexpr char kNewLensFile[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Lamp>\r\n</Lamp>\r\n";

}  // namespace XPL::STUDIO
