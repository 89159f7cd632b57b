#include "hotas/dme_page.h"

#include <string>

#include "sim/utility.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kHotas;
constexpr uint32_t kDistanceFormat = 7;  // tenths of a mile, "0012.3"
constexpr uint32_t kSpeedFormat = 3;

using R = SimRegistry::DataRefs;

}  // namespace

CDmePage::CDmePage(const SimRegistry& registry) : CPage(registry, 0) {
    CTraceScope scope(kKeyword, "XPL::CDmePage::CDmePage");
}

CDmePage::~CDmePage() {
    CTraceScope scope(kKeyword, "XPL::CDmePage::~CDmePage");
}

void CDmePage::CursorSelect() {
    CTraceScope scope(kKeyword, "XPL::CDmePage::CursorSelect");
    receiver = receiver != 0 ? 0 : 1;
}

void CDmePage::UpdateCursorShapes() {
    ClearMarks();
    marks[0] = '[';
    marks[1] = ']';
}

void CDmePage::Compose(Lines& lines) {
    CTraceScope scope(kKeyword, "XPL::CDmePage::Compose");
    UpdateCursorShapes();
    const bool first = receiver != 0;
    const float miles =
        GetDataf(first ? registry.ref.cockpit2_radios_indicators_nav1_dme_distance_nm
                       : registry.ref.cockpit2_radios_indicators_nav2_dme_distance_nm);
    const std::string distance =
        UTILITY::ConvertIntValueToString(UTILITY::TruncateToInt(10.0f * miles), kDistanceFormat);
    const std::string speed = UTILITY::ConvertIntValueToString(
        ReadTruncated(first ? &R::cockpit2_radios_indicators_nav1_dme_speed_kts
                            : &R::cockpit2_radios_indicators_nav2_dme_speed_kts),
        kSpeedFormat);
    ClearLines(lines);
    lines[0] << " DME    " << marks[0] << (first ? "R1" : "R2") << marks[1];
    lines[1] << distance << " NM";
    lines[2] << speed << " KT";
}

}  // namespace XPL
