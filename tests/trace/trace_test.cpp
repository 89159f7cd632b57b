// The trace rules: which lines a controller receives, indentation, the line limit, hex dumps and
// the formatter's texts.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "backends/virtual/virtual_platform.h"
#include "trace/trace.h"

using namespace XPL;

namespace {

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VIRTUAL::TakeTraceLines();
    }
    void TearDown() override { VIRTUAL::ResetPlatform(); }

    static std::vector<std::wstring> Texts() {
        std::vector<std::wstring> texts;
        for (const auto& line : VIRTUAL::TakeTraceLines()) {
            texts.push_back(line.text);
        }
        return texts;
    }
};

struct EnableCase {
    const char* name;
    uint8_t level;
    uint64_t keywords;
    int writeLevel;
    int writeKeyword;
    bool received;
};

class TraceEnableTest : public TraceTest, public ::testing::WithParamInterface<EnableCase> {};

TEST_P(TraceEnableTest, ControllerSelectionDecidesWhatIsWritten) {
    const EnableCase& c = GetParam();
    VIRTUAL::EnableTrace(c.level, c.keywords);
    TraceWrite(c.writeLevel, c.writeKeyword, kTraceMessage, L"probe");
    EXPECT_EQ(Texts().size(), c.received ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Selection, TraceEnableTest,
    ::testing::Values(EnableCase{"LevelZero", 0, 0xFFFF, 1, 0x2, false},
                      EnableCase{"KeywordsZero", 3, 0, 1, 0x2, false},
                      EnableCase{"AllKeywordBitsMeanNone", 5, ~uint64_t{0}, 1, 0x2, false},
                      EnableCase{"NoticeOfManager", 2, 0x2, 2, 0x2, true},
                      EnableCase{"DetailAboveLevel", 2, 0x2, 3, 0x2, false},
                      EnableCase{"OtherKeyword", 2, 0x2, 2, 0x4, false},
                      EnableCase{"SignWidenedKeyword", 3, 0x8000000000000000ull, 1, -0x7FFFFFFF - 1,
                                 true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TraceTest, DisableAndUnknownControlCodes) {
    VIRTUAL::EnableTrace(3, 0x1);
    VIRTUAL::SendTraceControl(2, 0, 0);  // capture-state request: ignored
    TraceWrite(3, 0x1, kTraceMessage, L"kept");
    VIRTUAL::DisableTrace();
    TraceWrite(1, 0x1, kTraceMessage, L"dropped");
    EXPECT_EQ(Texts(), std::vector<std::wstring>{L"kept"});
}

TEST_F(TraceTest, EntryAndExitIndentNestedCallsPerThread) {
    VIRTUAL::EnableTrace(3, 0xFFFF);
    {
        CTraceScope outer(0x1, "Outer");
        {
            CTraceScope middle(0x1, "Middle");
            CTraceScope inner(0x1, "Inner");
            TraceWrite(2, 0x1, kTraceMessage, L"deep %d", 3);
            std::thread other([] { TraceWrite(2, 0x1, kTraceMessage, L"other thread"); });
            other.join();
        }
    }
    const std::vector<std::wstring> expected = {
        L">>Outer",      L"    >>Middle",    L"        >>Inner", L"            deep 3",
        L"other thread", L"        <<Inner", L"    <<Middle",    L"<<Outer"};
    EXPECT_EQ(Texts(), expected);
    EXPECT_EQ(TraceDepth(), 0u);
}

TEST_F(TraceTest, DepthStaysAtZeroOnAStrayExitAndIsUntouchedByFilteredScopes) {
    {
        CTraceScope quiet(0x1, "Quiet");  // disabled
        EXPECT_EQ(TraceDepth(), 0u);
    }
    VIRTUAL::EnableTrace(3, 0x2);
    {
        CTraceScope other(0x1, "OtherKeyword");  // filtered: no depth change
        CTraceScope mine(0x2, "Mine");
        EXPECT_EQ(TraceDepth(), 1u);
    }
    TraceWrite(3, 0x2, kTraceExit, L"<<%S", "Lonely");
    TraceWrite(3, 0x2, kTraceExit, L"<<%S", "Again");
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L">>Mine", L"<<Mine", L"<<Lonely", L"<<Again"}));
    EXPECT_EQ(TraceDepth(), 0u);
}

TEST_F(TraceTest, LongLinesAreCutAndTerminated) {
    VIRTUAL::EnableTrace(3, 0xFFFF);
    const std::string longText(2000, 'a');
    TraceWrite(2, 0x1, kTraceMessage, L"%S", longText);
    {
        CTraceScope a(0x1, "A");
        CTraceScope b(0x1, "B");
        TraceWrite(2, 0x1, kTraceMessage, L"%S", longText);
    }
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], std::wstring(511, L'a'));
    EXPECT_EQ(texts[3].size(), kTraceLineChars);
    EXPECT_EQ(texts[3].substr(0, 9), L"        a");
}

TEST_F(TraceTest, HexDumpNeedsPanelKeywordAndNoticeLevel) {
    const uint8_t bytes[] = {0x01, 0xAB, 0xFF};
    VIRTUAL::EnableTrace(2, 0x4);
    TraceHexDump(bytes, 3);
    TraceHexDump(bytes, 0);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"The data is 01 ab ff ", L"The data is "}));

    VIRTUAL::EnableTrace(3, 0x2);
    TraceHexDump(bytes, 3);
    VIRTUAL::EnableTrace(1, 0x4);
    TraceHexDump(bytes, 3);
    EXPECT_TRUE(Texts().empty());
}

// A controller enabled before registration sees the first line; a failed registration writes
// nothing.
TEST_F(TraceTest, RegistrationDecidesWhetherAnythingIsWritten) {
    TraceUnregister();
    VIRTUAL::EnableTrace(3, 0x1);
    TraceRegister();
    TraceWrite(3, 0x1, kTraceMessage, L"DLL_PROCESS_ATTACH");
    EXPECT_EQ(Texts(), std::vector<std::wstring>{L"DLL_PROCESS_ATTACH"});

    TraceUnregister();
    VIRTUAL::SetTraceRegisterFails(true);
    TraceRegister();
    VIRTUAL::SetTraceRegisterFails(false);
    VIRTUAL::EnableTrace(3, 0xFFFF);
    TraceWrite(1, 0x1, kTraceMessage, L"lost");
    EXPECT_TRUE(Texts().empty());
    TraceRegister();
}

struct FormatCase {
    const wchar_t* expected;
    const wchar_t* format;
    std::vector<TraceArg> args;
};

class TraceFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(TraceFormatTest, SameTextOnEveryPlatform) {
    const FormatCase& c = GetParam();
    wchar_t out[128];
    FormatTraceText(out, 128, c.format, c.args.data(), c.args.size());
    EXPECT_EQ(std::wstring(out), std::wstring(c.expected)) << "format: " << c.format;
}

const int kMinusOne = -1;
const char kNarrow[] = "XPL::CPanel::Initialize";
const wchar_t kWide[] = L"\\\\?\\hid#vid_2c5d";

INSTANTIATE_TEST_SUITE_P(
    Formats, TraceFormatTest,
    ::testing::Values(
        FormatCase{L">>XPL::CPanel::Initialize", L">>%S", {kNarrow}},
        FormatCase{L"path \\\\?\\hid#vid_2c5d", L"path %s", {kWide}},
        FormatCase{L"-42 42", L"%d %u", {-42, 42u}}, FormatCase{L"ffffffff", L"%x", {kMinusOne}},
        FormatCase{L"0xffffffffffffffff", L"0x%x", {int64_t{-1}}},
        FormatCase{L"0a ff 00", L"%02x %02x %02x", {uint8_t{10}, uint8_t{255}, uint8_t{0}}},
        FormatCase{L"[   42][42   ][00042]", L"[%5d][%-5d][%05d]", {42, 42, 42}},
        FormatCase{L"[  -42][-0042]", L"[%5d][%05d]", {-42, -42}},
        FormatCase{L"0x000000000000002A", L"0x%p", {reinterpret_cast<const void*>(42)}},
        FormatCase{L"0x0000000000000000", L"0x%p", {nullptr}},
        FormatCase{L"100% sure", L"100%% sure", {}},
        FormatCase{L"1.50 2.5 0.000", L"%.2f %g %.3f", {1.5, 2.5f, 0.0}},
        FormatCase{L"(null) (null)",
                   L"%s %S",
                   {static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)}},
        FormatCase{L"missing: 0 ", L"missing: %d %s", {}},
        FormatCase{L"[ab   ][  abc]", L"[%-5.2S][%*S]", {"abc", 5, "abc"}},
        FormatCase{L"odd %y stays", L"odd %y stays", {}},
        FormatCase{L"high byte \u00e9", L"high byte %S", {"\xE9"}}));

TEST(TraceFormatLimits, CutsAtCapacityAndTerminates) {
    wchar_t out[6];
    const TraceArg args[] = {TraceArg("abcdefgh")};
    EXPECT_EQ(FormatTraceText(out, 6, L"%S", args, 1), 5u);
    EXPECT_EQ(std::wstring(out), L"abcde");
}

}  // namespace
