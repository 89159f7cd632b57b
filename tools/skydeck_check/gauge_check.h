// Checks a gauge file as the plug-in loads it: XML faults, what makes the loader refuse the
// gauge, bitmaps that do not load, a missing or malformed "ImageSizes" that places the gauge off
// the screen, nonlinearity tables out of order, and every script (CScriptCheck).
#pragma once

#include <string>

#include "findings.h"

namespace XPL::CHECKTOOL {

class CGaugeCheck {
public:
    struct Result {
        bool usable = false;  // the plug-in would show the gauge
        std::wstring name;    // the gauge's name (the classic root's "Name")
    };

    explicit CGaugeCheck(CFindings& findings) : findings_(findings) {}

    // path: the gauge file as the plug-in names it (a Windows path); shown names it in the
    // findings. The file must exist.
    Result Check(const std::wstring& path, const std::string& shown);

private:
    CFindings& findings_;
};

}  // namespace XPL::CHECKTOOL
