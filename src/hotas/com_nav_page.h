// The COM/NAV page of one radio pair (COM1 with NAV1, or COM2 with NAV2): active frequencies on
// the middle line, standby frequencies below them.
//   "  COM1    NAV1  "
//   "[118.00] 110.30 "     positions 0 and 3 frame an active frequency: select flips it;
//   " 121.50  113.90 "     1 and 2 point at COM standby's coarse and fine part, 4 and 5 at
//                          NAV's: select starts or ends adjusting, up and down step it
#pragma once

#include <cstdint>

#include "hotas/page.h"

namespace XPL {

class CComNavPage : public CHotasPanel::CPage {
public:
    static constexpr uint32_t kRadio1 = 0;
    static constexpr uint32_t kRadio2 = 1;

    CComNavPage(const SimRegistry& registry, uint32_t radio);
    ~CComNavPage() override;

    void CursorUp() override;
    void CursorDown() override;
    void CursorSelect() override;
    void Compose(Lines& lines) override;

private:
    void UpdateCursorShapes();

    const uint32_t radio;  // kRadio1 or kRadio2
};

}  // namespace XPL
