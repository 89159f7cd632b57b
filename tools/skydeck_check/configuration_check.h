// Checks the data folder: the configuration file "XVarlenSkydeck.xml" (its gauge entries with
// every gauge file they name (CGaugeCheck) and the buttons they bind, the stick's pages and the
// knob settings), the gauge lists and pages of aircraft profiles alike, and the memory file
// "XVarlenScreen.xml" against the gauges all these lists give.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "findings.h"
#include "platform/xml.h"
#include "screen/button_binding.h"
#include "sim/xml_lines.h"

namespace XPL::CHECKTOOL {

class CConfigurationCheck {
public:
    explicit CConfigurationCheck(CFindings& findings) : findings_(findings) {}

    // The configuration file of dataFolder, which must exist.
    void Check(const std::filesystem::path& dataFolder);
    // The configuration file at file (a draft, say) as if it were dataFolder's.
    void Check(const std::filesystem::path& dataFolder, const std::filesystem::path& file);
    // The GaugeList of an aircraft profile (document, read with lines): its gauges and pages.
    void CheckProfile(const PLATFORM::CXmlDocument& document, const CXmlLines& lines,
                      const std::string& shown, const std::filesystem::path& dataFolder);
    // The memory file of dataFolder, when there is one, against the gauges of every list checked.
    void CheckMemory(const std::filesystem::path& dataFolder);

private:
    void CheckList(const PLATFORM::CXmlDocument& document, const std::filesystem::path& dataFolder);
    void CheckGauge(const PLATFORM::CXmlNode& gauge, const std::wstring& folderText);
    void CheckButtons(const PLATFORM::CXmlNode& gauge);
    void CheckEvent(const ButtonBinding& binding, uint32_t line);
    void CheckPages(const PLATFORM::CXmlDocument& document);
    void CheckMemoryFile(const std::filesystem::path& file);

    CFindings& findings_;
    std::string shown_;                            // the file checked, as findings name it
    const CXmlLines* lines_ = nullptr;             // of the file checked
    std::map<std::wstring, uint32_t> gaugeNames_;  // of the list checked: the line of the first
    std::set<std::wstring> knownGauges_;           // usable gauges of every list checked
};

}  // namespace XPL::CHECKTOOL
