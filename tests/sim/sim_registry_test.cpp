// The registry against the virtual simulator: every table row is looked up and lands in its own
// member, unknown paths stay null, the name vocabularies hold the SDK's and Windows' numbers.
#include "sim/sim_registry.h"

#include <gtest/gtest.h>

#include <cstdint>
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
};

std::vector<Slot> AllSlots(SimRegistry& registry) {
    std::vector<Slot> slots;
    for (const SimCommandPath& row : SimCommandPaths()) {
        slots.push_back({row.path, &row.handle(registry)});
    }
    for (const SimDataRefPath& row : SimDataRefPaths()) {
        slots.push_back({row.path, &row.handle(registry)});
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
    EXPECT_EQ(SimCommandPaths().size(), 159u);
    EXPECT_EQ(SimDataRefPaths().size(), 73u);

    // Distinct slots inside the right part, as many as the part has handles: every member has
    // exactly one row.
    SimRegistry& registry = GetSimRegistry();
    std::set<void**> members;
    for (const SimCommandPath& row : SimCommandPaths()) {
        void** slot = &row.handle(registry);
        EXPECT_TRUE(Inside(slot, registry.cmd)) << row.path;
        EXPECT_TRUE(members.insert(slot).second) << "second row for the member of " << row.path;
    }
    for (const SimDataRefPath& row : SimDataRefPaths()) {
        void** slot = &row.handle(registry);
        EXPECT_TRUE(Inside(slot, registry.ref)) << row.path;
        EXPECT_TRUE(members.insert(slot).second) << "second row for the member of " << row.path;
    }
    EXPECT_EQ(members.size() * sizeof(void*), sizeof(registry.cmd) + sizeof(registry.ref));

    std::map<std::string, int> rowsPerPath;
    for (const Slot& slot : AllSlots(registry)) {
        EXPECT_TRUE(slot.path.starts_with("sim/")) << slot.path;
        ++rowsPerPath[slot.path];
    }
    for (const auto& [path, rows] : rowsPerPath) {
        EXPECT_EQ(rows, path == kAltitudePath ? 2 : 1) << path;
    }
}

TEST_F(SimRegistryTest, ResolveLooksUpEveryRowInTableOrder) {
    const std::size_t commandsBefore = VSIM::LookedUpCommands().size();
    const std::size_t dataRefsBefore = VSIM::LookedUpDataRefs().size();
    ResolveSimRegistry();

    const std::vector<std::string> commands(
        VSIM::LookedUpCommands().begin() + static_cast<std::ptrdiff_t>(commandsBefore),
        VSIM::LookedUpCommands().end());
    const std::vector<std::string> dataRefs(
        VSIM::LookedUpDataRefs().begin() + static_cast<std::ptrdiff_t>(dataRefsBefore),
        VSIM::LookedUpDataRefs().end());
    std::vector<std::string> expectedCommands;
    for (const SimCommandPath& row : SimCommandPaths()) {
        expectedCommands.push_back(row.path);
    }
    std::vector<std::string> expectedDataRefs;
    for (const SimDataRefPath& row : SimDataRefPaths()) {
        expectedDataRefs.push_back(row.path);
    }
    EXPECT_EQ(commands, expectedCommands);
    EXPECT_EQ(dataRefs, expectedDataRefs);
}

TEST_F(SimRegistryTest, EveryMemberHoldsItsOwnPathsHandle) {
    ResolveSimRegistry();
    SimRegistry& registry = GetSimRegistry();

    std::map<void*, std::string> pathOfHandle;
    for (const Slot& slot : AllSlots(registry)) {
        ASSERT_NE(*slot.handle, nullptr) << slot.path;
        const auto [it, inserted] = pathOfHandle.emplace(*slot.handle, slot.path);
        EXPECT_EQ(it->second, slot.path) << "one handle for two paths";
    }
    EXPECT_EQ(registry.ref.cockpit2_gauges_indicators_altitude_ft_pilot,
              registry.ref.cockpit2_gauges_indicators_altitude_ft_pilot_2);
    // Through the member names too, so the tables and the names other code uses agree.
    EXPECT_EQ(registry.cmd.flight_controls_cowl_flaps_open,
              XPLMFindCommand("sim/flight_controls/cowl_flaps_open"));
    EXPECT_EQ(registry.cmd.magnetos_magnetos_both[7],
              XPLMFindCommand("sim/magnetos/magnetos_both_8"));
    EXPECT_EQ(registry.ref.cockpit_radios_com1_freq_hz,
              XPLMFindDataRef("sim/cockpit/radios/com1_freq_hz"));
}

TEST_F(SimRegistryTest, UnknownPathsLeaveTheirMembersNull) {
    // Every other distinct path unknown: both altitude members follow their one path.
    SimRegistry& registry = GetSimRegistry();
    std::set<std::string> unknown;
    std::set<std::string> seen;
    for (const Slot& slot : AllSlots(registry)) {
        if (seen.insert(slot.path).second && seen.size() % 2 == 0) {
            unknown.insert(slot.path);
            VSIM::SetPathKnown(slot.path, false);
        }
    }
    ASSERT_FALSE(unknown.empty());

    ResolveSimRegistry();

    for (const Slot& slot : AllSlots(registry)) {
        if (unknown.contains(slot.path)) {
            EXPECT_EQ(*slot.handle, nullptr) << slot.path;
        } else {
            EXPECT_NE(*slot.handle, nullptr) << slot.path;
        }
    }
    EXPECT_EQ(registry.keyNames.size(), 94u) << "maps are filled whatever the look-ups gave";
}

TEST_F(SimRegistryTest, KeyAndJoystickNamesCarryTheSdkNumbering) {
    ResolveSimRegistry();
    const SimRegistry& registry = GetSimRegistry();

    ASSERT_EQ(registry.keyNames.size(), 94u);
    EXPECT_EQ(registry.keyNames.at("xplm_key_pause"), 0);
    EXPECT_EQ(registry.keyNames.at("xplm_key_tranID"), 93);
    std::set<int> keyIds;
    for (const auto& [name, id] : registry.keyNames) {
        keyIds.insert(id);
    }
    EXPECT_EQ(keyIds.size(), 94u);
    EXPECT_EQ(*keyIds.rbegin(), 93);

    ASSERT_EQ(registry.joystickNames.size(), 93u);
    EXPECT_EQ(registry.joystickNames.at("xplm_joy_start_all"), 1);
    EXPECT_EQ(registry.joystickNames.at("xplm_joy_lanlights"), 93);
    std::set<int> buttonIds;
    for (const auto& [name, id] : registry.joystickNames) {
        buttonIds.insert(id);
    }
    EXPECT_EQ(buttonIds.size(), 93u);
    EXPECT_EQ(*buttonIds.begin(), 1);
    EXPECT_EQ(*buttonIds.rbegin(), 93);
}

TEST_F(SimRegistryTest, VirtualKeyNamesCarryTheWindowsCodes) {
    ResolveSimRegistry();
    const std::map<std::string, uint8_t>& names = GetSimRegistry().virtualKeyNames;

    ASSERT_EQ(names.size(), 169u);
    const std::pair<const char*, uint8_t> expected[] = {
        {"VK_0", 0x30},
        {"VK_9", 0x39},
        {"VK_A", 0x41},
        {"VK_V", 0x56},
        {"VK_X", 0x58},
        {"VK_Z", 0x5A},
        {"VK_LBUTTON", 0x01},
        {"VK_RETURN", 0x0D},
        {"VK_SHIFT", 0x10},
        {"VK_CONTROL", 0x11},
        {"VK_MENU", 0x12},
        {"VK_NUMPAD0", 0x60},
        {"VK_NUMPAD9", 0x69},
        {"VK_F1", 0x70},
        {"VK_F24", 0x87},
        {"VK_OEM_NEC_EQUAL", 0x92},
        {"VK_BROWSER_FAVORITES", 0xAB},
        {"VK_LAUNCH_MEDIA_SELECT", 0xB5},
        {"VK_PACKET", 0xE7},
    };
    for (const auto& [name, code] : expected) {
        ASSERT_TRUE(names.contains(name)) << name;
        EXPECT_EQ(names.at(name), code) << name;
    }
    EXPECT_FALSE(names.contains("VK_W"));

    // Each name is a distinct key, so no two share a code (a copied row would).
    std::set<uint8_t> codes;
    for (const auto& [name, code] : names) {
        EXPECT_TRUE(name.starts_with("VK_")) << name;
        EXPECT_NE(code, 0) << name;
        EXPECT_TRUE(codes.insert(code).second) << name << " repeats a code";
    }
}

TEST_F(SimRegistryTest, SecondResolveFillsTheSameRecordAlike) {
    SimRegistry* const record = &GetSimRegistry();
    ResolveSimRegistry();
    std::vector<void*> handles;
    for (const Slot& slot : AllSlots(*record)) {
        handles.push_back(*slot.handle);
    }
    const auto keyNames = record->keyNames;
    const auto joystickNames = record->joystickNames;
    const auto virtualKeyNames = record->virtualKeyNames;

    ResolveSimRegistry();

    EXPECT_EQ(&GetSimRegistry(), record);
    std::vector<void*> again;
    for (const Slot& slot : AllSlots(*record)) {
        again.push_back(*slot.handle);
    }
    EXPECT_EQ(again, handles);
    EXPECT_EQ(record->keyNames, keyNames);
    EXPECT_EQ(record->joystickNames, joystickNames);
    EXPECT_EQ(record->virtualKeyNames, virtualKeyNames);
}

}  // namespace
}  // namespace XPL
