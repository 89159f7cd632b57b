// Base of the two display links: holds a display-driver device open by its interface path. The
// device manager creates a link per display-driver device, files it under a key and hands it to
// the panel that owns the other half of the physical device.
#pragma once

#include <string>

#include "platform/device_file.h"

namespace XPL {

class CGlasslink {
public:
    explicit CGlasslink(const std::wstring& devicePath);
    virtual ~CGlasslink() = default;
    CGlasslink(const CGlasslink&) = delete;
    CGlasslink& operator=(const CGlasslink&) = delete;

    // Opens the device; true on success. The base opens nothing.
    virtual bool Initialize() { return true; }
    // Ends the link's work before the device goes; the device stays open until destruction.
    virtual void Uninitialize() {}

    std::wstring GetDevicePath() const { return devicePath; }

    // The plug-in's data folder with a trailing backslash: the folder above the one holding the
    // module file, plus "data\". Never fails.
    static bool GetConfigureFilePath(std::wstring& folder);
    // The data folder, as above, of a module (or program) at moduleFile: "a\64\win.xpl" gives
    // "a\data\".
    static std::wstring DataFolderOf(const std::wstring& moduleFile);

protected:
    // (Re)opens the device for overlapped I/O into handle, closing what it held; false, with a
    // level-1 message, when the device cannot be opened.
    bool OpenOverlappedDevice(PLATFORM::DeviceFile*& handle) const;

    const std::wstring devicePath;
};

}  // namespace XPL
