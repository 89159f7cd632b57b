// The DME page: distance and ground speed of one receiver's DME; select switches between
// receivers 1 and 2 (the page has no cursor positions, its frame is always shown).
//   " DME    [R1]"
//   "0012.3 NM"
//   "120 KT"
#pragma once

#include <cstdint>

#include "hotas/page.h"

namespace XPL {

class CDmePage : public CHotasPanel::CPage {
public:
    explicit CDmePage(const SimRegistry& registry);
    ~CDmePage() override;

    // Switches the receiver; editing is left as it is.
    void CursorSelect() override;
    void Compose(Lines& lines) override;

private:
    void UpdateCursorShapes();

    uint32_t receiver = 1;
};

}  // namespace XPL
