#include "devices/products.h"

#include <atomic>

#include "hotas/hotas_panel.h"
#include "panels/autoflight_panel.h"
#include "panels/lamp_panel.h"
#include "panels/toggle_panel.h"
#include "panels/tuner_panel.h"
#include "screen/screen_panel.h"

namespace XPL {

namespace {

// A HID panel that needs nothing but its device path.
template <class Panel>
std::unique_ptr<CPanel> MakeHidPanel(const std::wstring& devicePath, const std::wstring&,
                                     IGlasslinkLookup&) {
    return std::make_unique<Panel>(devicePath);
}

std::unique_ptr<CPanel> MakeScreenPanel(const std::wstring& devicePath, const std::wstring&,
                                        IGlasslinkLookup& links) {
    return std::make_unique<CScreenPanel>(devicePath, links);
}

// The stick finds its display link under its physical device object name, which its display
// device shares.
std::unique_ptr<CPanel> MakeHotasPanel(const std::wstring& devicePath,
                                       const std::wstring& physicalName, IGlasslinkLookup& links) {
    return std::make_unique<CHotasPanel>(devicePath, physicalName, links);
}

struct Product {
    uint16_t productId;
    const wchar_t* attachMessage;
    std::atomic<PanelMaker> maker;
};

// A product whose panel kind is not built has no maker and is treated as unsupported.
Product g_products[] = {
    {kAutoflightProductId, L"The autoflight panel of the Skydeck is attached: %s",
     &MakeHidPanel<CAutoflightPanel>},
    {kTunerProductId, L"The tuner panel of the Skydeck is attached: %s",
     &MakeHidPanel<CTunerPanel>},
    {kToggleProductId, L"The toggle panel of the Skydeck is attached: %s",
     &MakeHidPanel<CTogglePanel>},
    {kLampProductId, L"The lamp panel of the Skydeck is attached: %s", &MakeHidPanel<CLampPanel>},
    {kScreenProductId, L"The screen panel of the Skydeck is attached: %s", &MakeScreenPanel},
    {kHotasProductId, L"The hotas panel of the Skydeck is attached: %s", &MakeHotasPanel},
};

Product* FindProduct(uint16_t productId) {
    for (Product& product : g_products) {
        if (product.productId == productId) {
            return &product;
        }
    }
    return nullptr;
}

}  // namespace

PanelMaker FindPanelMaker(uint16_t productId) {
    const Product* product = FindProduct(productId);
    return product != nullptr ? product->maker.load() : nullptr;
}

const wchar_t* FindAttachMessage(uint16_t productId) {
    const Product* product = FindProduct(productId);
    return product != nullptr ? product->attachMessage : nullptr;
}

PanelMaker SetPanelMaker(uint16_t productId, PanelMaker maker) {
    Product* product = FindProduct(productId);
    return product != nullptr ? product->maker.exchange(maker) : nullptr;
}

bool IsProductSupported(uint16_t productId) {
    return FindPanelMaker(productId) != nullptr;
}

}  // namespace XPL
