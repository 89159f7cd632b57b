// How a panel finds the display link of its own physical device: the device manager files every
// link under a key (a screen's serial number, a stick's physical device object name) and hands it
// out on request. Panels hold this view of the manager, not the manager itself.
#pragma once

#include <memory>
#include <string>

namespace XPL {

class CGlasslink;

class IGlasslinkLookup {
public:
    // The link filed under key, or null (also when the look-up would have to wait). The link
    // stays alive while the caller holds it, even if its device is removed meanwhile.
    virtual std::shared_ptr<CGlasslink> GetGlasslink(const std::wstring& key) = 0;
    // The same, waiting for the look-up when it is busy rather than giving up: for a panel's own
    // thread, never for a frame.
    virtual std::shared_ptr<CGlasslink> WaitForGlasslink(const std::wstring& key) {
        return GetGlasslink(key);
    }

protected:
    ~IGlasslinkLookup() = default;
};

}  // namespace XPL
