// Which aircraft a profile serves, the order profiles are tried in, and when a lamp condition of
// a profile holds.
#include "sim/aircraft_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/aircraft_profiles.h"
#include "vsim/vsim.h"

namespace XPL {
namespace {

namespace fs = std::filesystem;

TEST(AircraftProfileMatchTest, LettersWithoutCaseSlashesAlikeEveryAttributeMustHold) {
    const AircraftIdentity aircraft{"B738.acf", "C:\\X-Plane 10\\Aircraft\\Zeta\\737-800\\B738.acf",
                                    "B738"};
    using Match = CAircraftProfile::Match;
    EXPECT_TRUE(CAircraftProfile::Holds(Match{L"b738.ACF", L"", L"", 1}, aircraft));
    EXPECT_TRUE(CAircraftProfile::Holds(Match{L"", L"aircraft/zeta/737", L"", 1}, aircraft));
    EXPECT_TRUE(CAircraftProfile::Holds(Match{L"", L"", L"b738", 1}, aircraft));
    EXPECT_TRUE(CAircraftProfile::Holds(Match{L"B738.acf", L"Zeta", L"B738", 1}, aircraft));
    EXPECT_FALSE(CAircraftProfile::Holds(Match{L"B738.acf", L"", L"A320", 1}, aircraft));
    EXPECT_FALSE(CAircraftProfile::Holds(Match{L"B738", L"", L"", 1}, aircraft));
    EXPECT_FALSE(CAircraftProfile::Holds(Match{L"", L"", L"", 1}, aircraft));
}

TEST(AircraftProfileMatchTest, OwnProfileFirstThenSharedOnesInNameOrderWithoutCase) {
    const fs::path root = fs::temp_directory_path() / "xvs-profile-order";
    fs::remove_all(root);
    fs::create_directories(root / "data" / "aircraft");
    fs::create_directories(root / "plane");
    for (const char* name : {"b.xml", "A.XML", "c.txt", "C.xml"}) {
        std::ofstream(root / "data" / "aircraft" / name) << "<AircraftProfile/>";
    }
    std::ofstream(root / "plane" / "SkydeckAircraftProfile.xml") << "<AircraftProfile/>";
    const auto candidates =
        CAircraftProfiles::Candidates((root / "data").wstring(), root / "plane" / "p.acf");
    std::vector<std::string> names;
    for (const auto& candidate : candidates) {
        names.push_back(candidate.file.filename().string() + (candidate.own ? " own" : ""));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"SkydeckAircraftProfile.xml own", "A.XML", "b.xml",
                                               "C.xml"}));
    fs::remove_all(root);
}

struct ConditionCase {
    const char* name;
    int32_t first;
    int32_t last;
    bool all;
    CLampCondition::Test test;
    double value;
    bool holds;
};

class ProfileConditionTest : public testing::TestWithParam<ConditionCase> {};

TEST_P(ProfileConditionTest, HoldsOverTheElementsItNames) {
    // Elements 0.1, 1.0, 9.0 (floats); element 3 does not exist.
    VSIM::Reset();
    VSIM::SetFloats("t/values", {0.1f, 1.0f, 9.0f});
    const ConditionCase& c = GetParam();
    CLampCondition condition;
    condition.first = c.first;
    condition.last = c.last;
    condition.all = c.all;
    condition.test = c.test;
    condition.value = c.value;
    condition.handle = XPLMFindDataRef("t/values");
    condition.types = XPLMGetDataRefTypes(condition.handle);
    EXPECT_EQ(condition.Holds(), c.holds);
    condition.handle = nullptr;
    EXPECT_FALSE(condition.Holds()) << "dark until the dataref is found";
}

using Test = CLampCondition::Test;
INSTANTIATE_TEST_SUITE_P(
    Tests, ProfileConditionTest,
    testing::Values(ConditionCase{"WholeIsElement0", -1, -1, false, Test::Below, 0.5, true},
                    ConditionCase{"OneElement", 1, 1, false, Test::Equal, 1.0, true},
                    ConditionCase{"EqualToTheFloatOfItsText", 0, 0, false, Test::Equal, 0.1, true},
                    ConditionCase{"NotAboveTheFloatOfItsText", 0, 0, false, Test::Above, 0.1,
                                  false},
                    ConditionCase{"AnyAbove", 0, 2, false, Test::Above, 5.0, true},
                    ConditionCase{"AllAbove", 1, 2, true, Test::Above, 0.5, true},
                    ConditionCase{"AllWithOneFailing", 0, 2, true, Test::Above, 0.5, false},
                    ConditionCase{"MissingElementFailsAll", 1, 3, true, Test::Above, 0.5, false},
                    ConditionCase{"BitOfTheWholeNumber", 2, 2, false, Test::BitSet, 3.0, true},
                    ConditionCase{"BitNotSet", 2, 2, false, Test::BitSet, 1.0, false}),
    [](const testing::TestParamInfo<ConditionCase>& info) { return info.param.name; });

}  // namespace
}  // namespace XPL
