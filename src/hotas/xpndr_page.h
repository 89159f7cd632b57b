// The transponder page: the four digits of the code, each adjusted on its own.
//   " Transponder"
//   ">1200"            positions 0 to 3 point at the thousands, hundreds, tens and ones
#pragma once

#include "hotas/page.h"

namespace XPL {

class CXpndrPage : public CHotasPanel::CPage {
public:
    explicit CXpndrPage(const SimRegistry& registry);
    ~CXpndrPage() override;

    void CursorUp() override;
    void CursorDown() override;
    void Compose(Lines& lines) override;

private:
    void UpdateCursorShapes();
};

}  // namespace XPL
