// The ADF page: the audio monitor switch, the active frequency and the standby frequency's three
// digits, each adjusted on its own.
//   " ADF  [OFF]"      position 0 frames the monitor: select switches it
//   " 362 "            position 1 frames the active frequency: select flips it
//   " 2>45"            positions 2 to 4 point at the standby's hundreds, tens and ones
#pragma once

#include "hotas/page.h"

namespace XPL {

class CAdfPage : public CHotasPanel::CPage {
public:
    explicit CAdfPage(const SimRegistry& registry);
    ~CAdfPage() override;

    void CursorUp() override;
    void CursorDown() override;
    void CursorSelect() override;
    void Compose(Lines& lines) override;

private:
    void UpdateCursorShapes();
};

}  // namespace XPL
