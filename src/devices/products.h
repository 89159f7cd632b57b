// The product table: which Skydeck products the plug-in knows, the line it traces when one is
// attached, and the maker of each product's panel object. A new panel kind is one row here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace XPL {

class CPanel;
class IGlasslinkLookup;

inline constexpr uint16_t kSkydeckVendorId = 0x2C5D;
inline constexpr uint16_t kAutoflightProductId = 0x4A01;
inline constexpr uint16_t kTunerProductId = 0x4A02;
inline constexpr uint16_t kToggleProductId = 0x4A03;
inline constexpr uint16_t kLampProductId = 0x4A04;
inline constexpr uint16_t kScreenProductId = 0x4A05;
inline constexpr uint16_t kHotasProductId = 0x4A06;

// Makes the panel object of one product (devicePath: lower-case interface path; physicalName:
// its physical device object name; links: where the panel finds its display link).
using PanelMaker = std::unique_ptr<CPanel> (*)(const std::wstring& devicePath,
                                               const std::wstring& physicalName,
                                               IGlasslinkLookup& links);

// The maker of a product, or null when the product is not in the table or its kind is not built.
PanelMaker FindPanelMaker(uint16_t productId);
// The level-2 line traced when the product is attached ("%s" takes the device path), or null.
const wchar_t* FindAttachMessage(uint16_t productId);
// Sets the maker of a product and returns the one it replaces; null makes the product
// unsupported. Tests put their own makers here.
PanelMaker SetPanelMaker(uint16_t productId, PanelMaker maker);
// True when the product is in the table and has a maker.
bool IsProductSupported(uint16_t productId);

}  // namespace XPL
