// The page that always closes the list: it shows that no profile drives the display and has no
// cursor positions.
//   "Mode 1"
//   ""
//   "No Profile"
#pragma once

#include "hotas/page.h"

namespace XPL {

class CDefaultPage : public CHotasPanel::CPage {
public:
    explicit CDefaultPage(const SimRegistry& registry);
    ~CDefaultPage() override;

    void Compose(Lines& lines) override;
};

}  // namespace XPL
