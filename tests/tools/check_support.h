// Small files for the configuration check's tests, in a folder of each test's own, and the
// findings they give, written "LINE: severity: TEXT" (the file's name left out).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "findings.h"
#include "test_support.h"

namespace XPL::TEST {

class CheckFolderTest : public ::testing::Test {
protected:
    void Write(const std::string& name, const std::string& text) const {
        WriteFile(folder_ / name, text);
    }
    // A grey bitmap of that size.
    void Bitmap(const std::string& name, int32_t width, int32_t height) const {
        WriteFile(folder_ / name,
                  BmpFile(width, height, 24, false, [](int32_t, int32_t) { return 0x808080u; }));
    }

    // By line, as the tool prints them.
    static std::vector<std::string> Lines(const CHECKTOOL::CFindings& findings,
                                          bool withNotes = false) {
        std::vector<CHECKTOOL::Finding> sorted = findings.All();
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return a.line < b.line; });
        std::vector<std::string> lines;
        for (const CHECKTOOL::Finding& finding : sorted) {
            if (finding.severity == CHECKTOOL::Severity::Note && !withNotes) {
                continue;
            }
            CHECKTOOL::Finding bare = finding;
            bare.file.clear();
            const std::string line = CHECKTOOL::CFindings::Format(bare);
            lines.push_back(line.substr(1));  // without the ':' after the empty name
        }
        return lines;
    }

    CTestFolder test_;
    const std::filesystem::path& folder_ = test_.Path();
};

// Each expected finding is a prefix of the finding at its place, or the whole finding when it
// ends in '$'; the counts match.
inline void ExpectFindings(const std::vector<std::string>& actual,
                           const std::vector<std::string>& expected) {
    std::string all;
    for (const std::string& line : actual) {
        all += "\n  " + line;
    }
    ASSERT_EQ(actual.size(), expected.size()) << "findings:" << all;
    for (size_t i = 0; i < expected.size(); ++i) {
        const bool whole = !expected[i].empty() && expected[i].back() == '$';
        const std::string want =
            whole ? expected[i].substr(0, expected[i].size() - 1) : expected[i];
        EXPECT_EQ(whole ? actual[i] : actual[i].substr(0, want.size()), want) << "findings:" << all;
    }
}

}  // namespace XPL::TEST
