// An aircraft profile as the studio edits it: its Name, the Match elements (which aircraft it
// serves) and the Command and DataRef elements (the panels' paths it replaces), as the plug-in's
// profile reader takes them from the root's children. The rest of the file (conditions, lens
// programming, gauge list, knobs, comments) is shown from the check's notes and kept as written.
// Compose edits entries in place, removes those no longer wanted and adds new ones after the
// last of their kind (a new path after the last Match when the file has no path yet).
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/xml.h"
#include "xml_text.h"

namespace XPL::STUDIO {

struct ProfileEntry {
    size_t ref = CXmlText::kNone;  // the element it was read from; kNone for a new one
    std::wstring element;          // "Match", "Command" or "DataRef"
    std::map<std::wstring, std::wstring> attributes;  // of those the element has, as written
    bool SameReading(const ProfileEntry& other) const {
        return element == other.element && attributes == other.attributes;
    }
};

struct ProfileModel {
    std::optional<std::wstring> name;
    std::vector<ProfileEntry> matches;
    std::vector<ProfileEntry> uses;
    // Whether what the plug-in reads is the same (the elements entries came from aside).
    bool SameReading(const ProfileModel& other) const;
};

// The attributes an entry of element may carry ("Match": File, PathContains, Icao; "Command" and
// "DataRef": Path, Use); empty for another element.
std::vector<std::wstring> ProfileAttributes(const std::wstring& element);

// How the plug-in reads a loaded profile (refs: the elements' document indexes).
ProfileModel ReadProfileModel(const PLATFORM::CXmlDocument& document);

// The text of the file for wanted; refs of wanted name elements of document, kept entries in
// their order. False, with why, when the file has no AircraftProfile root to edit.
bool ComposeProfile(const CXmlText& text, const PLATFORM::CXmlDocument& document,
                    const ProfileModel& wanted, std::string& composed, std::string& why);

inline constexpr char kNewProfileFile[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<AircraftProfile>\r\n</AircraftProfile>\r\n";

}  // namespace XPL::STUDIO
