// The count of aircraft model queries, so a host program can see whether a message made the
// plug-in ask for the user aircraft.
#include <atomic>

#include "vsim/vsim_state.h"

namespace XPL::VSIM {
namespace {
std::atomic<int> g_aircraftQueries{0};
}  // namespace

void CountAircraftQuery() {
    g_aircraftQueries.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace XPL::VSIM

int VsimAircraftQueryCount() {
    return XPL::VSIM::g_aircraftQueries.load(std::memory_order_relaxed);
}
