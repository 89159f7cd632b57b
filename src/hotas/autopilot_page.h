// The autopilot page: target altitude, vertical speed and flight director, each adjusted with
// the cursor buttons, and a framed "AP" that opens the mode page in its place.
//   " ALT     12000<"     positions 0 and 1 point at altitude and vertical speed
//   " VS      -700 "
//   "[AP]     FD "        position 2 frames "AP": select opens the mode page; 3 points at the
//                         director (OFF, FD, ON), stepped up and down
// While the mode page is open it takes the cursor buttons and the display. Once it asks to
// close, the cursor buttons are this page's again, and the next display shows this page.
#pragma once

#include <cstdint>

#include "hotas/autopilot_select_page.h"
#include "hotas/page.h"

namespace XPL {

class CAutopilotPage : public CHotasPanel::CPage {
public:
    static constexpr uint8_t kModes = 2;  // the "AP" position

    explicit CAutopilotPage(const SimRegistry& registry);
    ~CAutopilotPage() override;

    void CursorUp() override;
    void CursorDown() override;
    void CursorSelect() override;
    void Compose(Lines& lines) override;

    uint32_t GetSelectOpen() const { return selectOpen; }
    const CAutopilotSelectPage& GetSelectPage() const { return selectPage; }

private:
    void UpdateCursorShapes();
    // True while the mode page takes the cursor buttons.
    bool SelectShown() const { return selectOpen != 0 && selectPage.GetCloseRequested() == 0; }

    CAutopilotSelectPage selectPage;
    uint32_t selectOpen = 0;
};

}  // namespace XPL
