// The virtual simulator where the panels' and the registry's tests do not reach it: typed reads,
// array bounds, the journal's line formats (which scenarios match) and the aircraft buffers. The
// plug-in's writes typing a dataref and its whole-array writes: the scenarios' "expect set". The
// flight loop as the plug-in registers it: the entry points' tests and plugin_host.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "vsim/vsim.h"

namespace XPL::VSIM {
namespace {

class VsimTest : public testing::Test {
protected:
    void SetUp() override { Reset(); }

    static std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (const Event& event : Journal()) {
            lines.push_back(FormatEvent(event));
        }
        return lines;
    }
};

// Each dataref reads back only through its own type; every other read gives 0 or no element.
TEST_F(VsimTest, ReadsOnlyTheTypeTheDataRefHas) {
    SetInt("t/int", 7);
    SetFloat("t/float", 2.5f);
    SetInts("t/ints", {1, 2});
    SetFloats("t/floats", {0.5f, 1.5f});
    struct Row {
        const char* path;
        int i;
        float f;
        int vi;
        int vf;
    };
    const Row rows[] = {
        {"t/int", 7, 0.0f, 0, 0},    {"t/float", 0, 2.5f, 0, 0},   {"t/ints", 0, 0.0f, 2, 0},
        {"t/floats", 0, 0.0f, 0, 2}, {"t/untyped", 0, 0.0f, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        XPLMDataRef ref = XPLMFindDataRef(row.path);
        ASSERT_NE(ref, nullptr);
        EXPECT_EQ(XPLMGetDatai(ref), row.i);
        EXPECT_EQ(XPLMGetDataf(ref), row.f);
        int ints[4] = {};
        float floats[4] = {};
        EXPECT_EQ(XPLMGetDatavi(ref, ints, 0, 4), row.vi);
        EXPECT_EQ(XPLMGetDatavi(ref, nullptr, 0, 0), row.vi);
        EXPECT_EQ(XPLMGetDatavf(ref, floats, 0, 4), row.vf);
        EXPECT_EQ(XPLMGetDatavf(ref, nullptr, 0, 0), row.vf);
    }
}

struct ArrayRead {
    int offset;
    int count;
    int returned;
    std::vector<int> filled;
};

class VsimArrayReadTest : public VsimTest, public testing::WithParamInterface<ArrayRead> {};

TEST_P(VsimArrayReadTest, HonoursOffsetAndCount) {
    SetInts("t/array", {10, 11, 12, 13});
    SetFloats("t/farray", {10, 11, 12, 13});
    const ArrayRead& read = GetParam();
    int ints[6] = {-1, -1, -1, -1, -1, -1};
    float floats[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(XPLMGetDatavi(XPLMFindDataRef("t/array"), ints, read.offset, read.count),
              read.returned);
    EXPECT_EQ(XPLMGetDatavf(XPLMFindDataRef("t/farray"), floats, read.offset, read.count),
              read.returned);
    for (std::size_t i = 0; i < 6; ++i) {
        const int expected = i < read.filled.size() ? read.filled[i] : -1;
        EXPECT_EQ(ints[i], expected) << "element " << i;
        EXPECT_EQ(floats[i], static_cast<float>(expected)) << "element " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Vsim, VsimArrayReadTest,
                         testing::Values(ArrayRead{0, 4, 4, {10, 11, 12, 13}},
                                         ArrayRead{1, 2, 2, {11, 12}},
                                         ArrayRead{2, 6, 2, {12, 13}},  // clipped at the end
                                         ArrayRead{3, 1, 1, {13}}, ArrayRead{4, 2, 0, {}},
                                         ArrayRead{9, 2, 0, {}}, ArrayRead{-1, 2, 0, {}},
                                         ArrayRead{0, 0, 0, {}}, ArrayRead{0, -3, 0, {}}));

TEST_F(VsimTest, JournalKeepsOrderAndFormatsEachKind) {
    XPLMDataRef floatRef = XPLMFindDataRef("sim/f");
    XPLMDataRef arrayRef = XPLMFindDataRef("sim/a");
    XPLMCommandRef command = XPLMFindCommand("sim/c");
    SetFloat("sim/f", 0.0f);
    struct Row {
        std::function<void()> act;
        const char* line;
    };
    int elements[] = {1234567, -2};
    const std::vector<Row> rows = {
        {[&] { XPLMCommandOnce(command); }, "cmd once sim/c"},
        {[&] { XPLMSetDataf(floatRef, 0.1f); }, "set sim/f 0.1"},
        {[&] { XPLMSetDataf(floatRef, 1234567.0f); }, "set sim/f 1.23457e+06"},
        {[&] { XPLMSetDatavi(arrayRef, elements, 3, 2); }, "set sim/a 1234567 -2"},
        {[&] { XPLMSpeakString("Gear \"down\" C:\\"); }, "speak \"Gear \\\"down\\\" C:\\\\\""},
        {[&] { XPLMSpeakString("a\tb\n\xC3\xA9~"); }, "speak \"a\\x09b\\x0A\\xC3\\xA9~\""},
        {[&] { XPLMSpeakString(nullptr); }, "speak \"\""},
        {[&] { XPLMDebugString("two\n\n"); }, "log \"two\\x0A\""},
        {[&] { XPLMDebugString(nullptr); }, "log \"\""},
    };
    std::vector<std::string> expected;
    for (const Row& row : rows) {
        row.act();
        expected.emplace_back(row.line);
    }
    EXPECT_EQ(Lines(), expected);
}

TEST_F(VsimTest, AircraftBuffersAreTruncatedToTheSdkSizes) {
    struct Row {
        std::size_t fileLength;
        std::size_t pathLength;
        std::size_t fileKept;
        std::size_t pathKept;
    };
    const Row rows[] = {{10, 20, 10, 20}, {255, 511, 255, 511}, {300, 700, 255, 511}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fileLength);
        SetUserAircraft(std::string(row.fileLength, 'f'), std::string(row.pathLength, 'p'));
        // One guard byte after each SDK-sized buffer.
        char file[257];
        char path[513];
        std::memset(file, '#', sizeof file);
        std::memset(path, '#', sizeof path);
        XPLMGetNthAircraftModel(0, file, path);
        EXPECT_EQ(std::strlen(file), row.fileKept);
        EXPECT_EQ(std::strlen(path), row.pathKept);
        EXPECT_EQ(file[256], '#');
        EXPECT_EQ(path[512], '#');
        XPLMGetNthAircraftModel(1, file, path);
        EXPECT_STREQ(file, "");
        EXPECT_STREQ(path, "");
    }
}

}  // namespace
}  // namespace XPL::VSIM
