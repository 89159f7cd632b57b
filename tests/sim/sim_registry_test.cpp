// The registry against the virtual simulator: every table row is looked up and lands in its own
// member.
#include "sim/sim_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "vsim/vsim.h"

namespace XPL {
namespace {

// Every row of both tables as (path, handle slot), commands first.
struct Slot {
    std::string path;
    void** handle;
    bool command;
};

std::vector<Slot> AllSlots(SimRegistry& registry) {
    std::vector<Slot> slots;
    for (const SimCommandPath& row : SimCommandPaths()) {
        slots.push_back({row.path, &row.handle(registry), true});
    }
    for (const SimDataRefPath& row : SimDataRefPaths()) {
        slots.push_back({row.path, &row.handle(registry).handle, false});
    }
    return slots;
}

const std::string kAltitudePath = "sim/cockpit2/gauges/indicators/altitude_ft_pilot";

class SimRegistryTest : public testing::Test {
protected:
    void SetUp() override { VSIM::Reset(); }
    // Leave the shared record fully resolved for whoever runs next.
    void TearDown() override {
        VSIM::Reset();
        ResolveSimRegistry();
    }
};

// Whether a handle slot lies inside the given part of the record.
template <typename Part>
bool Inside(void** slot, const Part& part) {
    const auto* at = reinterpret_cast<const char*>(slot);
    const auto* begin = reinterpret_cast<const char*>(&part);
    return at >= begin && at < begin + sizeof(Part);
}

TEST_F(SimRegistryTest, TablesHoldOneRowPerMemberWithUniqueSimPaths) {
    // Distinct slots inside the right part, as many as the part has handles: every member has
    // exactly one row.
    SimRegistry& registry = GetSimRegistry();
    std::set<void**> members;
    std::map<std::string, int> rowsPerPath;
    size_t commands = 0;
    for (const Slot& slot : AllSlots(registry)) {
        commands += slot.command ? 1 : 0;
        EXPECT_TRUE(slot.command ? Inside(slot.handle, registry.cmd)
                                 : Inside(slot.handle, registry.ref))
            << slot.path;
        EXPECT_TRUE(members.insert(slot.handle).second) << "second row for " << slot.path;
        ++rowsPerPath[slot.path];
    }
    EXPECT_EQ(commands * sizeof(void*), sizeof(registry.cmd));
    EXPECT_EQ((members.size() - commands) * sizeof(SimDataRef), sizeof(registry.ref));
    for (const auto& [path, rows] : rowsPerPath) {
        EXPECT_EQ(rows, path == kAltitudePath ? 2 : 1) << path;
    }
}

TEST_F(SimRegistryTest, ResolveLooksUpEveryRowInTableOrderIntoItsOwnMember) {
    ResolveSimRegistry();
    const std::vector<std::string> lookedUpCommands = VSIM::LookedUpCommands();
    const std::vector<std::string> lookedUpDataRefs = VSIM::LookedUpDataRefs();
    std::vector<std::string> commands;
    std::vector<std::string> dataRefs;
    for (const Slot& slot : AllSlots(GetSimRegistry())) {
        (slot.command ? commands : dataRefs).push_back(slot.path);
        // Handles keep their identity, so a second look-up tells which path a member holds.
        EXPECT_EQ(*slot.handle, slot.command
                                    ? static_cast<void*>(XPLMFindCommand(slot.path.c_str()))
                                    : XPLMFindDataRef(slot.path.c_str()))
            << slot.path;
    }
    EXPECT_EQ(lookedUpCommands, commands);
    EXPECT_EQ(lookedUpDataRefs, dataRefs);
}

}  // namespace
}  // namespace XPL
