#include "hotas/default_page.h"

#include "trace/trace.h"

namespace XPL {

namespace {
constexpr int kKeyword = TRACEKW::kHotas;
}

CDefaultPage::CDefaultPage(const SimRegistry& registry) : CPage(registry, 0) {
    CTraceScope scope(kKeyword, "XPL::CDefaultPage::CDefaultPage");
}

CDefaultPage::~CDefaultPage() {
    CTraceScope scope(kKeyword, "XPL::CDefaultPage::~CDefaultPage");
}

void CDefaultPage::Compose(Lines& lines) {
    CTraceScope scope(kKeyword, "XPL::CDefaultPage::Compose");
    ClearLines(lines);
    lines[0] << "Mode 1";
    lines[1] << text;
    lines[2] << "No Profile";
}

}  // namespace XPL
