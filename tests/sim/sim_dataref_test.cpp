// Registry members pointed at datarefs of other types and at array elements: every access gives
// the converted value with one simulator call, and writes land where the member points.
#include "sim/sim_dataref.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vsim/vsim.h"

namespace XPL {
namespace {

struct ConversionCase {
    const char* name;
    VSIM::DataType type;
    int32_t element;
    int asInt;
    float asFloat;
    std::vector<int> asInts;  // an array read of two from the member's first element
    // After SetDatai(5) on the member: the dataref's ints or floats (one for a number).
    std::vector<double> afterWrite;
};

class SimDataRefTest : public testing::TestWithParam<ConversionCase> {
protected:
    void SetUp() override { VSIM::Reset(); }
};

const std::string kPath = "t/target";

TEST_P(SimDataRefTest, ReadsConvertWithOneCallAndWritesLandInPlace) {
    const ConversionCase& c = GetParam();
    switch (c.type) {
        case VSIM::DataType::Int:
            VSIM::SetInt(kPath, 7);
            break;
        case VSIM::DataType::Float:
            VSIM::SetFloat(kPath, 2.5f);
            break;
        case VSIM::DataType::IntArray:
            VSIM::SetInts(kPath, {4, 9, 2});
            break;
        default:
            VSIM::SetFloats(kPath, {1.5f, -7.5f, 2.4f});
            break;
    }
    const XPLMDataRef handle = XPLMFindDataRef(kPath.c_str());
    const SimDataRef ref = SimDataRef::PointedAt(handle, XPLMGetDataRefTypes(handle), c.element);
    const uint64_t before = VSIM::DataRefReads();
    EXPECT_EQ(GetDatai(ref), c.asInt);
    EXPECT_FLOAT_EQ(GetDataf(ref), c.asFloat);
    std::vector<int> ints(2, -1);
    ints.resize(static_cast<size_t>(GetDatavi(ref, ints.data(), 0, 2)));
    EXPECT_EQ(ints, c.asInts);
    EXPECT_EQ(VSIM::DataRefReads() - before, 3u) << "one simulator read per access";

    SetDatai(ref, 5);
    std::vector<double> after;
    if (c.type == VSIM::DataType::Int) {
        after = {static_cast<double>(VSIM::GetInt(kPath))};
    } else if (c.type == VSIM::DataType::Float) {
        after = {VSIM::GetFloat(kPath)};
    } else if (c.type == VSIM::DataType::IntArray) {
        const std::vector<int> values = VSIM::GetInts(kPath);
        after.assign(values.begin(), values.end());
    } else {
        const std::vector<float> floats = VSIM::GetFloats(kPath);
        after.assign(floats.begin(), floats.end());
    }
    EXPECT_EQ(after, c.afterWrite);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, SimDataRefTest,
    testing::Values(
        ConversionCase{"Int", VSIM::DataType::Int, -1, 7, 7.0f, {7}, {5}},
        ConversionCase{"IntAsElement0", VSIM::DataType::Int, 0, 7, 7.0f, {7}, {5}},
        ConversionCase{"FloatRoundsHalfAway", VSIM::DataType::Float, -1, 3, 2.5f, {3}, {5}},
        ConversionCase{"IntArrayElement", VSIM::DataType::IntArray, 1, 9, 9.0f, {9, 2}, {4, 5, 2}},
        ConversionCase{"FloatArrayElement",
                       VSIM::DataType::FloatArray,
                       1,
                       -8,
                       -7.5f,
                       {-8, 2},
                       {1.5, 5, 2.4000000953674316}},
        ConversionCase{"FloatArrayWhole",
                       VSIM::DataType::FloatArray,
                       -1,
                       2,
                       1.5f,
                       {2, -8},
                       {5, -7.5, 2.4000000953674316}}),
    [](const testing::TestParamInfo<ConversionCase>& info) { return info.param.name; });

TEST(SimDataRefDefaultTest, AMemberAsResolvedReadsAsTheSimulatorDoes) {
    // No conversion for a member the profile left alone: a read of a type the dataref does not
    // have gives 0, as without profiles.
    VSIM::Reset();
    VSIM::SetInt(kPath, 7);
    const SimDataRef ref(XPLMFindDataRef(kPath.c_str()));
    EXPECT_EQ(ref.converted, 0);
    EXPECT_EQ(GetDatai(ref), 7);
    EXPECT_EQ(GetDataf(ref), 0.0f);
}

}  // namespace
}  // namespace XPL
