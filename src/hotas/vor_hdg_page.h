// The VOR/heading page: the VOR course (OBS) and the autopilot's heading, each adjusted on its
// own.
//   " VOR     HDG"
//   ">090     275"     positions 0 and 1 point at the course and the heading
#pragma once

#include "hotas/page.h"

namespace XPL {

class CVorHdgPage : public CHotasPanel::CPage {
public:
    explicit CVorHdgPage(const SimRegistry& registry);
    ~CVorHdgPage() override;

    void CursorUp() override;
    void CursorDown() override;
    void Compose(Lines& lines) override;

private:
    void UpdateCursorShapes();
};

}  // namespace XPL
