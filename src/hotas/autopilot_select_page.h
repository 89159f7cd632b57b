// The autopilot mode page, opened from the autopilot page: select on a mode runs that mode's
// command and stays here; select on "<<<" asks to go back. Editing is never used.
//   "[HDG] NAV  IAS "
//   " ALT  VS   APR "
//   " REV  <<< "
#pragma once

#include <cstdint>

#include "hotas/page.h"

namespace XPL {

class CAutopilotSelectPage : public CHotasPanel::CPage {
public:
    static constexpr uint8_t kBack = 7;  // the "<<<" position

    explicit CAutopilotSelectPage(const SimRegistry& registry);
    ~CAutopilotSelectPage() override;

    void CursorSelect() override;
    void Compose(Lines& lines) override;

    // Shown anew: no request to close, not editing; the cursor stays where it was.
    void Open();
    uint32_t GetCloseRequested() const { return closeRequested; }

private:
    void UpdateCursorShapes();

    uint32_t closeRequested = 0;
};

}  // namespace XPL
