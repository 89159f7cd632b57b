// Checks the data folder: the configuration file "XVarlenSkydeck.xml" (its gauge entries with
// every gauge file they name (CGaugeCheck) and the buttons they bind, and the stick's pages), and
// the memory file "XVarlenScreen.xml" against the gauges the list gives.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "findings.h"
#include "platform/xml.h"
#include "screen/button_binding.h"

namespace XPL::CHECKTOOL {

class CXmlLines;

class CConfigurationCheck {
public:
    explicit CConfigurationCheck(CFindings& findings) : findings_(findings) {}

    // dataFolder must exist.
    void Check(const std::filesystem::path& dataFolder);
    // The configuration file at file (a draft, say) as if it were dataFolder's.
    void Check(const std::filesystem::path& dataFolder, const std::filesystem::path& file);

private:
    void CheckGauge(const PLATFORM::CXmlNode& gauge, const std::wstring& folderText);
    void CheckButtons(const PLATFORM::CXmlNode& gauge);
    void CheckEvent(const ButtonBinding& binding, uint32_t line);
    void CheckPages(const PLATFORM::CXmlDocument& document);
    void CheckMemory(const std::filesystem::path& file);

    CFindings& findings_;
    std::string shown_;                            // the configuration file, as findings name it
    const CXmlLines* lines_ = nullptr;             // of the configuration file
    std::map<std::wstring, uint32_t> gaugeNames_;  // usable gauges by name: the line of the first
};

}  // namespace XPL::CHECKTOOL
