// Checks the data folder: the configuration file "XVarlenSkydeck.xml" with every gauge file it
// lists (CGaugeCheck), and the memory file "XVarlenScreen.xml".
#pragma once

#include <filesystem>

#include "findings.h"

namespace XPL::CHECKTOOL {

class CConfigurationCheck {
public:
    explicit CConfigurationCheck(CFindings& findings) : findings_(findings) {}

    // dataFolder must exist.
    void Check(const std::filesystem::path& dataFolder);

private:
    CFindings& findings_;
};

}  // namespace XPL::CHECKTOOL
