// Checks the lens programming file "LampProgramming.xml" with the lamp panel's own reading of
// it: what the plug-in would report and skip (misspelt colours, unknown elements, lenses out of
// range), what it silently ignores (unknown conditions, incomplete Lense elements, programming
// outside a Lamp element or without a serial number), and programming that is overridden (a
// condition programmed twice, conditions sharing a lens). Notes list the serial numbers the
// file programs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "findings.h"
#include "platform/xml.h"
#include "sim/xml_lines.h"

namespace XPL::CHECKTOOL {

class CLensCheck {
public:
    explicit CLensCheck(CFindings& findings) : findings_(findings) {}

    // file must exist; shown names it in the findings. conditions: those the aircraft profiles
    // define, which the file may program like the built-in ones.
    void Check(const std::filesystem::path& file, const std::string& shown,
               const std::vector<std::wstring>& conditions = {});
    // The Lamp part of an aircraft profile (document, read with lines): a LampProgramming
    // without Id programs every lamp panel; conditions are the profile's own, which the
    // plug-in writes after the built-in ones.
    void CheckProfile(const PLATFORM::CXmlDocument& document, const CXmlLines& lines,
                      const std::string& shown, const std::vector<std::wstring>& conditions);

private:
    void CheckProgrammings(const PLATFORM::CXmlDocument& document, const CXmlLines& lines,
                           const std::string& shown, bool profile,
                           const std::vector<std::wstring>& conditions);

    CFindings& findings_;
};

}  // namespace XPL::CHECKTOOL
