#include "sim/utility.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backends/virtual/virtual_platform.h"
#include "test_support.h"
#include "trace/trace.h"

namespace XPL {
namespace {

using PLATFORM::Guid;
using PLATFORM::InterfaceEntry;
using PLATFORM::InterfaceList;

// ---- ConvertIntValueToString ------------------------------------------------------------------

struct FormatCase {
    int32_t value;
    uint32_t format;
    std::string expected;
};

class ConvertIntValueToStringTest : public testing::TestWithParam<FormatCase> {};

TEST_P(ConvertIntValueToStringTest, GivesTheDisplayText) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(UTILITY::ConvertIntValueToString(c.value, c.format), c.expected)
        << "value " << c.value << ", format " << c.format;
}

// Dark digit positions.
std::string Dark(size_t count) {
    return std::string(count, '\x7F');
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ConvertIntValueToStringTest,
    testing::Values(
        // 0: as is, cut to 5 characters
        FormatCase{0, 0, "0"}, FormatCase{-1234, 0, "-1234"}, FormatCase{123456, 0, "12345"},
        FormatCase{INT32_MIN, 0, "-2147"},
        // 1: right-aligned in 5
        FormatCase{42, 1, "   42"}, FormatCase{-7, 1, "   -7"}, FormatCase{1234567, 1, "12345"},
        // 2: zero-padded 5, first two dark
        FormatCase{12345, 2, Dark(2) + "345"}, FormatCase{7, 2, Dark(2) + "007"},
        FormatCase{123456, 2, Dark(2) + "345"},
        // 3: zero-padded 3
        FormatCase{7, 3, "007"}, FormatCase{12345, 3, "12345"}, FormatCase{-5, 3, "-05"},
        // 4: zero-padded 5, first dark
        FormatCase{123, 4, Dark(1) + "0123"}, FormatCase{98765, 4, Dark(1) + "8765"},
        // 5: zero-padded 4
        FormatCase{999, 5, "0999"}, FormatCase{11800, 5, "11800"},
        // no such format
        FormatCase{42, 8, ""}, FormatCase{42, UINT32_MAX, ""}));

// The fixed-point formats show what the displays have always shown: the quotient in single
// precision printed by printf. Above about 2^24 the float's own rounding decides the digits (the
// test below compares every other value with the C library).
INSTANTIATE_TEST_SUITE_P(
    FixedPoint, ConvertIntValueToStringTest,
    testing::Values(FormatCase{-5, 6, "-0.05"}, FormatCase{16777217, 6, "167772"},
                    FormatCase{99999996, 6, "100000"}, FormatCase{INT32_MIN, 6, "-21474"},
                    FormatCase{-5, 7, "-000.5"}, FormatCase{99999, 7, "9999.9"},
                    FormatCase{INT32_MAX, 7, "214748"}));

// Beyond the table: the fixed-point texts equal the C library's for every small value and around
// each power of two and of ten, where carries and the float's rounding change the digits.
TEST(ConvertIntValueToString, FixedPointTextsAreTheCLibrarys) {
    std::vector<int64_t> values;
    for (int64_t v = -20000; v <= 20000; ++v) {
        values.push_back(v);
    }
    std::vector<int64_t> edges;
    for (int64_t power = 1; power <= INT64_C(1) << 31; power *= 2) {
        edges.push_back(power);
    }
    for (int64_t power = 10; power <= INT64_C(1000000000); power *= 10) {
        edges.push_back(power);
    }
    for (int64_t edge : edges) {
        for (int64_t d = -40; d <= 40; ++d) {
            values.push_back(edge + d);
            values.push_back(-(edge + d));
        }
    }
    for (int64_t wide : values) {
        if (wide < INT32_MIN || wide > INT32_MAX) {
            continue;
        }
        const auto value = static_cast<int32_t>(wide);
        char hundredths[7] = {};
        char tenths[7] = {};
        std::snprintf(hundredths, sizeof(hundredths), "%.2f",
                      static_cast<double>(static_cast<float>(value) / 100.0f));
        std::snprintf(tenths, sizeof(tenths), "%06.1f",
                      static_cast<double>(static_cast<float>(value) / 10.0f));
        ASSERT_EQ(UTILITY::ConvertIntValueToString(value, 6), hundredths) << value;
        ASSERT_EQ(UTILITY::ConvertIntValueToString(value, 7), tenths) << value;
    }
}

// ---- ConvertStringToLower ---------------------------------------------------------------------

TEST(ConvertStringToLower, ChangesOnlyAsciiCapitals) {
    // '@' and '[' sit right beside 'A' and 'Z'.
    EXPECT_EQ(UTILITY::ConvertStringToLower(std::string("AZaz@[09\\?\xC4\xD6")),
              std::string("azaz@[09\\?\xC4\xD6"));
    EXPECT_EQ(UTILITY::ConvertStringToLower(std::wstring(L"\\\\?\\HID#VID_2C5D\u00C4\u0130")),
              std::wstring(L"\\\\?\\hid#vid_2c5d\u00C4\u0130"));
    EXPECT_EQ(UTILITY::ConvertStringToLower(std::string()), std::string());

    // The simulator may set a locale in which towlower would lower more than ASCII.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "C.UTF-8") != nullptr) {
        EXPECT_EQ(UTILITY::ConvertStringToLower(std::wstring(L"\u00C4B")),
                  std::wstring(L"\u00C4b"));
        std::setlocale(LC_ALL, previous.c_str());
    }
}

// ---- EnumDeviceInterface ----------------------------------------------------------------------

constexpr Guid kClass = PLATFORM::kHidInterfaceClass;
constexpr Guid kOtherClass = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};

struct Visit {
    std::wstring path;
    std::wstring name;
    const wchar_t* filter;
};

struct Recorder {
    std::vector<Visit> visits;
};

bool Record(const Guid&, const std::wstring& devicePath, const std::wstring& physicalName,
            void* context, const wchar_t* filterPath) {
    auto* recorder = static_cast<Recorder*>(context);
    recorder->visits.push_back({devicePath, physicalName, filterPath});
    return true;
}

InterfaceEntry Entry(const std::wstring& path, const std::wstring& name, uint32_t bytes = 120,
                     uint32_t detailError = 0) {
    return InterfaceEntry{bytes, detailError, path, name};
}

// Message lines of the utility keyword without their indentation, failures marked "! ".
std::vector<std::wstring> UtilityMessages() {
    std::vector<std::wstring> texts;
    for (const VIRTUAL::TraceLine& line : VIRTUAL::TakeTraceLines()) {
        const size_t start = line.text.find_first_not_of(L' ');
        const std::wstring text = start == std::wstring::npos ? L"" : line.text.substr(start);
        if (line.keyword == TRACEKW::kUtility && text.rfind(L">>", 0) != 0 &&
            text.rfind(L"<<", 0) != 0) {
            texts.push_back((line.level == 1 ? L"! " : L"") + text);
        }
    }
    return texts;
}

class UtilityTraceTest : public testing::Test {
protected:
    void SetUp() override {
        VIRTUAL::ResetPlatform();
        VIRTUAL::EnableTrace(3, 0xFFFF);
    }
    void TearDown() override { VIRTUAL::ResetPlatform(); }
};

const std::wstring kSize120 = L"The required byte size of the device path is 120";

TEST_F(UtilityTraceTest, HandsEachInterfaceLowerCasedInOrderAndSkipsEmptyRecords) {
    VIRTUAL::SetInterfaceList(
        kClass, InterfaceList{0,
                              {Entry(L"\\\\?\\HID#VID_2C5D&PID_4A01#B", L"\\Device\\USBPDO-7"),
                               Entry(L"\\\\?\\HID#SKIPPED", L"", 0),
                               Entry(L"\\\\?\\HID#VID_2C5D&PID_4A02#A", L"")}});
    VIRTUAL::SetInterfaceList(kOtherClass, InterfaceList{0, {Entry(L"OTHER", L"")}});
    Recorder recorder;
    const wchar_t* filter = L"\\\\?\\hid#vid_2c5d&pid_4a02#a";

    EXPECT_TRUE(UTILITY::EnumDeviceInterface(kClass, Record, &recorder, filter));

    ASSERT_EQ(recorder.visits.size(), 2u);
    EXPECT_EQ(recorder.visits[0].path, L"\\\\?\\hid#vid_2c5d&pid_4a01#b");
    EXPECT_EQ(recorder.visits[0].name, L"\\device\\usbpdo-7");
    EXPECT_EQ(recorder.visits[1].path, L"\\\\?\\hid#vid_2c5d&pid_4a02#a");
    EXPECT_EQ(recorder.visits[1].name, L"");
    EXPECT_EQ(recorder.visits[1].filter, filter);
}

// The walk fails at a class that cannot be listed or at the first record whose path cannot be
// read.
TEST_F(UtilityTraceTest, EnumerationFailsPartWay) {
    struct Row {
        InterfaceList list;
        std::vector<std::wstring> visited;
        std::vector<std::wstring> messages;
    };
    const Row rows[] = {
        {{13, {Entry(L"A", L"")}}, {}, {L"! Failed in calling SetupDiGetClassDevs due to 13"}},
        {{0, {Entry(L"A", L""), Entry(L"B", L"", 96, 122), Entry(L"C", L"")}},
         {L"a"},
         {kSize120, L"The required byte size of the device path is 96",
          L"! Failed in calling SetupDiGetDeviceInterfaceDetail due to 122"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.messages.back());
        VIRTUAL::SetInterfaceList(kClass, row.list);
        Recorder recorder;
        EXPECT_FALSE(UTILITY::EnumDeviceInterface(kClass, Record, &recorder, nullptr));
        std::vector<std::wstring> visited;
        for (const Visit& visit : recorder.visits) {
            visited.push_back(visit.path);
        }
        EXPECT_EQ(visited, row.visited);
        EXPECT_EQ(UtilityMessages(), row.messages);
    }
}

// ---- MakeFilePath -----------------------------------------------------------------------------

// A wide name may hold any character, also where file names are narrow. (Backslash paths: the
// aircraft settings' and the screen memory's tests.)
TEST(MakeFilePath, OpensAWideNameOutsideAscii) {
    const TEST::CTestFolder folder;
    std::filesystem::create_directories(folder.Path() / u8"Zo\u00eb \u65e5\u672c");
    std::ofstream(folder.Path() / u8"Zo\u00eb \u65e5\u672c" / "a.txt") << "found";
    EXPECT_TRUE(
        std::ifstream(UTILITY::MakeFilePath(folder.Windows(L"Zo\u00eb \u65e5\u672c\\a.txt")))
            .good());
}

}  // namespace
}  // namespace XPL
