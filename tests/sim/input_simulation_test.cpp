// Named inputs against the virtual simulator and the virtual keyboard: the SDK and Windows
// numbers behind the names, the token rules of key texts, and whole-array writes.
#include "sim/input_simulation.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "backends/virtual/virtual_input.h"
#include "sim/sim_registry.h"
#include "test_support.h"
#include "vsim/vsim.h"

using namespace XPL;
using namespace XPL::TEST;

namespace {

using InputSimulationTest = VirtualTest;

TEST_F(InputSimulationTest, KeyAndButtonNamesGiveTheirSdkIds) {
    // Names are case-sensitive; unknown ones give 0.
    const std::pair<const char*, int> keys[] = {
        {"xplm_key_pause", 0},    {"xplm_key_gear", 5},      {"xplm_key_com1_1", 31},
        {"xplm_key_flapsup", 61}, {"xplm_key_elvtrimU", 72}, {"xplm_key_transpon_8", 60},
        {"xplm_key_replay", 92},  {"xplm_key_tranID", 93},   {"xplm_key_tranid", 0},
        {"xplm_key_nothing", 0},  {"xplm_key_", 0},          {"", 0},
    };
    const std::pair<const char*, int> buttons[] = {
        {"xplm_joy_start_all", 1},  {"xplm_joy_start_0", 2},    {"xplm_joy_start_7", 9},
        {"xplm_joy_throt_up", 10},  {"xplm_joy_gear_tog", 51},  {"xplm_joy_TOGA", 81},
        {"xplm_joy_idle_hilo", 92}, {"xplm_joy_lanlights", 93}, {"xplm_joy_nothing", 0},
        {"xplm_joy_toga", 0},
    };
    std::vector<std::string> expected;
    for (const auto& [name, id] : keys) {
        KeyStroke(name);
        expected.push_back("key " + std::to_string(id));
    }
    for (const auto& [name, id] : buttons) {
        ButtonPress(name, true);
        ButtonPress(name, false);
        expected.push_back("joy press " + std::to_string(id));
        expected.push_back("joy release " + std::to_string(id));
    }
    EXPECT_EQ(TakeJournal(), expected);
}

TEST_F(InputSimulationTest, VirtualKeyNamesGiveTheirWindowsCodesAndNothingElse) {
    const std::pair<const char*, uint8_t> cases[] = {
        {"VK_0", 0x30}, {"VK_A", 0x41},   {"VK_V", 0x56}, {"VK_X", 0x58}, {"VK_F24", 0x87},
        {"VK_W", 0},    {"vk_return", 0}, {"VK_", 0},     {"VK_F25", 0},  {"VK_NUMPAD9", 0x69},
    };
    for (const auto& [name, code] : cases) {
        EXPECT_EQ(VirtualKeyOf(name), code) << name;
    }
}

// Windows leaves these codes unassigned or reserved (0x57 is W, which the vocabulary lacks);
// every other code from 0x01 to 0xE7 has exactly one name.
TEST_F(InputSimulationTest, VirtualKeyCodesCoverTheWindowsRangesWithTheirGaps) {
    const std::pair<int, int> assigned[] = {
        {0x01, 0x06}, {0x08, 0x09}, {0x0C, 0x0D}, {0x10, 0x15}, {0x17, 0x19},
        {0x1B, 0x39}, {0x41, 0x56}, {0x58, 0x5D}, {0x5F, 0x87}, {0x90, 0x96},
        {0xA0, 0xB7}, {0xBA, 0xC0}, {0xDB, 0xDF}, {0xE1, 0xE7},
    };
    std::multiset<int> expected;
    for (const auto& [first, last] : assigned) {
        for (int code = first; code <= last; ++code) {
            expected.insert(code);
        }
    }
    std::multiset<int> codes;
    for (const auto& [name, code] : GetSimRegistry().virtualKeyNames) {
        codes.insert(code);
    }
    EXPECT_EQ(expected.size(), 169u);
    EXPECT_EQ(codes, expected);
}

struct KeyText {
    const char* text;
    std::vector<uint8_t> keys;
    friend void PrintTo(const KeyText& k, std::ostream* os) { *os << '"' << k.text << '"'; }
};

class SimulateInputTest : public InputSimulationTest,
                          public ::testing::WithParamInterface<KeyText> {};

TEST_P(SimulateInputTest, PressesAndReleasesTheKeysInTheOrderWrittenInOneBatchEach) {
    UTILITY::SimulateInput(GetParam().text, true);
    UTILITY::SimulateInput(GetParam().text, false);

    const std::vector<VIRTUAL::KeyBatch> batches = VIRTUAL::TakeKeyBatches();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_FALSE(batches[0].keyUp);
    EXPECT_TRUE(batches[1].keyUp);
    for (const VIRTUAL::KeyBatch& batch : batches) {
        EXPECT_EQ(batch.virtualKeys, GetParam().keys);
        ASSERT_EQ(batch.records.size(), GetParam().keys.size());
        for (const PLATFORM::KeyInput& record : batch.records) {
            EXPECT_EQ(record.keyUp, batch.keyUp);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SimulateInputTest,
    ::testing::Values(KeyText{"control+shift+s", {0x11, 0x10, 0x53}},
                      // Blanks go, case does not matter.
                      KeyText{" Control + sHiFt + S ", {0x11, 0x10, 0x53}},
                      KeyText{"f 1 2", {0x7B}}, KeyText{"numpad5", {0x65}},
                      // "ctrl" is no key name: VK_CTRL gives key 0, sent all the same.
                      KeyText{"ctrl + s", {0x00, 0x53}},
                      // The prefix is always added, so a name written in full names nothing.
                      KeyText{"vk_return", {0x00}}, KeyText{"return", {0x0D}},
                      // Empty parts stay keys.
                      KeyText{"A++B", {0x41, 0x00, 0x42}}, KeyText{"", {0x00}},
                      KeyText{"+", {0x00, 0x00}}, KeyText{"menu+", {0x12, 0x00}},
                      KeyText{"w", {0x00}}));

// Every element written at once: the prop heat switch in tests/scenarios/toggle.sim.
TEST_F(InputSimulationTest, SetDataviAllWritesNothingWithoutElements) {
    VSIM::SetInts("sim/test/empty", {});
    VSIM::SetFloat("sim/test/scalar", 1.0f);
    SetDataviAll(XPLMFindDataRef("sim/test/empty"), 1);
    SetDataviAll(XPLMFindDataRef("sim/test/scalar"), 1);
    SetDataviAll(XPLMFindDataRef("sim/test/untyped"), 1);
    SetDataviAll(nullptr, 1);
    EXPECT_TRUE(VSIM::Journal().empty());
}

}  // namespace
