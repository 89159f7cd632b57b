// A gauge's variable table: registration, units, and the per-frame fetch from the simulator.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "gauge/gauge_variables.h"
#include "vsim/vsim.h"

using namespace XPL;

namespace {

class GaugeVariablesTest : public ::testing::Test {
protected:
    void SetUp() override { VSIM::Reset(); }
    void TearDown() override { VSIM::Reset(); }
    float Fetched(const std::wstring& name) {
        const int32_t index = variables_.IndexOf(name, L"number");
        EXPECT_GE(index, 0) << "not registered";
        return variables_.Current(static_cast<uint32_t>(index));
    }
    CGaugeVariables variables_;
};

TEST_F(GaugeVariablesTest, OnlyVariableLettersRegisterAndOneKeyIsOneVariable) {
    variables_.RegisterScript(
        L"(A:x,number) (E:x,number) (L:y,number) (K:z,number) (a:x,pdegree) (p:x,ndegree) "
        L"(e:w,number) (P:v, number)");
    // x,number once for A and E; x with two more units; w; v (the blank after the comma goes).
    EXPECT_EQ(variables_.Count(), 5u);
    for (const wchar_t letter : {L'L', L'K', L' ', L'x'}) {
        variables_.Write(letter, L"y", L"number", 4.0f);
        EXPECT_EQ(variables_.Read(letter, L"y", L"number"), 0.0f) << static_cast<int>(letter);
    }
    variables_.Write(L'A', L"x", L"number", 3.0f);
    EXPECT_EQ(variables_.Read(L'E', L"x", L"number"), 3.0f);
    EXPECT_EQ(variables_.Read(L'A', L"x", L"pdegree"), 0.0f);
    EXPECT_EQ(variables_.Read(L'A', L"never", L"number"), 0.0f);
    variables_.Write(L'A', L"never", L"number", 1.0f);
    EXPECT_EQ(variables_.IndexOf(L"never", L"number"), -1);
    // A script registered later resets every value to 0.
    variables_.RegisterScript(L"(A:u,number)");
    EXPECT_EQ(variables_.Count(), 6u);
    EXPECT_EQ(variables_.Read(L'A', L"x", L"number"), 0.0f);
}

TEST_F(GaugeVariablesTest, ReadsConvertByUnitWhileWritesStoreAsGiven) {
    struct Case {
        const wchar_t* unit;
        float stored;
        float read;
    };
    const std::vector<Case> cases = {
        {L"ndegree", 180.0f, 180.0f * -0.017453292f},
        {L"pdegree", 90.0f, 90.0f * 0.017453292f},
        {L"negative", 7.5f, -7.5f},
        {L"degcf", 100.0f, 212.0f},
        {L"lbs", 10.0f, 4.53592f},
        {L"psi", 2.0f, 288.0f},
        {L"Psi", 2.0f, 2.0f},
        {L"knots", 3.0f, 3.0f},
        {L"", 3.0f, 3.0f},
    };
    std::wstring script;
    for (const Case& c : cases) {
        script += L"(A:v," + std::wstring(c.unit) + L") ";
    }
    variables_.RegisterScript(script);
    for (const Case& c : cases) {
        variables_.Write(L'A', L"v", c.unit, c.stored);
        EXPECT_FLOAT_EQ(variables_.Read(L'A', L"v", c.unit), c.read) << c.unit;
        const int32_t index = variables_.IndexOf(L"v", c.unit);
        EXPECT_EQ(variables_.Working(static_cast<uint32_t>(index)), c.stored) << c.unit;
    }
}

TEST_F(GaugeVariablesTest, TheNameSuffixChoosesTheDatarefAndItsElement) {
    VSIM::SetFloat("sim/f", 2.5f);
    VSIM::SetFloats("sim/fa", {1.5f, 2.5f, 3.5f});
    VSIM::SetInt("sim/i", 42);
    VSIM::SetInts("sim/ia", {1, 2, 3, 4});
    VSIM::SetPathKnown("sim/unknown", false);
    variables_.RegisterScript(
        L"(A:sim/f,number) (A:sim/fa,number) (A:sim/fa:2,number) (A:sim/i:n,number) "
        L"(A:sim/ia:n3,number) (A:sim/ia:n9,number) (A:sim/ia:n-1,number) (A:sim/fa:x,number) "
        L"(A:sim/unknown,number) (A:sim/i,number)");
    EXPECT_TRUE(variables_.Fetch());
    EXPECT_EQ(Fetched(L"sim/f"), 2.5f);
    EXPECT_EQ(Fetched(L"sim/fa"), 1.5f);  // a float read of 0, then element 0
    EXPECT_EQ(Fetched(L"sim/fa:2"), 3.5f);
    EXPECT_EQ(Fetched(L"sim/i:n"), 42.0f);
    EXPECT_EQ(Fetched(L"sim/ia:n3"), 4.0f);
    EXPECT_EQ(Fetched(L"sim/ia:n9"), 0.0f);   // past the end: nothing filled
    EXPECT_EQ(Fetched(L"sim/ia:n-1"), 0.0f);  // a negative element is not asked for
    EXPECT_EQ(Fetched(L"sim/fa:x"), 1.5f);    // no number: element 0
    EXPECT_EQ(Fetched(L"sim/unknown"), 0.0f);
    EXPECT_EQ(Fetched(L"sim/i"), 0.0f);  // an int dataref read as a float
    // Scripts read what was fetched.
    EXPECT_EQ(variables_.Read(L'A', L"sim/ia:n3", L"number"), 4.0f);
}

TEST_F(GaugeVariablesTest, AChangeIsMoreThanTheThresholdAndRefreshesEveryWorkingValue) {
    VSIM::SetFloat("sim/a", 10.0f);
    VSIM::SetFloat("sim/b", 1.0f);
    variables_.RegisterScript(L"(A:sim/a,number) (A:sim/b,number)");
    EXPECT_TRUE(variables_.Fetch());
    EXPECT_FALSE(variables_.Fetch());
    variables_.Write(L'A', L"sim/b", L"number", 99.0f);  // a script's write
    struct Step {
        float value;
        bool changed;
    };
    // Moves of 0.005 or less: tests/scenarios/screen.sim.
    for (const Step step : {Step{9.996f, false}, Step{10.006f, true}, Step{1e30f, true}}) {
        VSIM::SetFloat("sim/a", step.value);
        EXPECT_EQ(variables_.Fetch(), step.changed) << step.value;
    }
    // The change copied the current values over the scripts' writes.
    EXPECT_EQ(variables_.Read(L'A', L"sim/b", L"number"), 1.0f);
    // A value that cannot be compared is never a change.
    VSIM::SetFloat("sim/a", std::numeric_limits<float>::quiet_NaN());
    EXPECT_FALSE(variables_.Fetch());
}

TEST_F(GaugeVariablesTest, HandlesAreLookedUpOnceAndUnknownPathsAgainUntilFound) {
    VSIM::SetFloat("sim/a", 1.0f);
    VSIM::SetPathKnown("sim/late", false);
    variables_.RegisterScript(L"(A:sim/a,number) (A:sim/late,number)");
    EXPECT_TRUE(VSIM::LookedUpDataRefs().empty());  // registration calls no simulator
    variables_.Fetch();
    variables_.Fetch();
    const std::vector<std::string> expected = {"sim/a", "sim/late", "sim/late"};
    EXPECT_EQ(VSIM::LookedUpDataRefs(), expected);
    VSIM::SetPathKnown("sim/late", true);
    VSIM::SetFloat("sim/late", 5.0f);
    EXPECT_TRUE(variables_.Fetch());
    EXPECT_EQ(Fetched(L"sim/late"), 5.0f);
    const size_t lookUps = VSIM::LookedUpDataRefs().size();
    variables_.Fetch();
    EXPECT_EQ(VSIM::LookedUpDataRefs().size(), lookUps);
}

TEST_F(GaugeVariablesTest, TheTableHoldsAtMost65535Variables) {
    for (int i = 0; i < 65600; ++i) {
        variables_.Register(L'A', L"v" + std::to_wstring(i), L"number");
    }
    variables_.RegisterScript(L"");
    EXPECT_EQ(variables_.Count(), CGaugeVariables::kMaxCount);
    EXPECT_EQ(variables_.IndexOf(L"v65535", L"number"), -1);
}

}  // namespace
