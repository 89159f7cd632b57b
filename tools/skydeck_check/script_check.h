// Checks gauge scripts with the evaluator's own tokenizer and classifier, for what makes a
// script give another value than it reads as: words the evaluator skips (fractions, signed
// numbers, a bare ">" or "<", unknown words, words run together by a tab or a line break), empty
// words from doubled spaces, operators that can never have their operands, unbalanced
// parentheses and braces, variables of letters the table ignores, writes that no script reads,
// and an "els{" that no "if{" of its element comes before.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "findings.h"

namespace XPL {
class CGaugeVariables;
}

namespace XPL::CHECKTOOL {

class CScriptCheck {
public:
    // variables: the gauge's table after loading (it tells which variables scripts read); may be
    // null.
    CScriptCheck(CFindings& findings, std::string file, const CGaugeVariables* variables)
        : findings_(findings), file_(std::move(file)), variables_(variables) {}

    // A new element: its scripts share the condition of "if{" in drawing order (visibility,
    // rotation, shift).
    void BeginElement() { ifSeen_ = false; }
    // Checks one script whose text begins at line; what names it in the messages ("the
    // rotation script"). A finding about one word is named at the word's own line.
    void Check(std::wstring_view script, uint32_t line, const std::wstring& what);

private:
    // One evaluation context (the script's own, or a block's): ifSeen is its "if{" state.
    void CheckText(std::wstring_view text, bool& ifSeen);
    void CheckWord(std::wstring_view token);
    // token: a view into the script being checked, placing the finding at its line; empty for
    // the whole script.
    void Report(Severity severity, const std::wstring& text, std::wstring_view token = {});

    CFindings& findings_;
    std::string file_;
    const CGaugeVariables* variables_;
    bool ifSeen_ = false;
    std::wstring_view script_;
    uint32_t line_ = 0;
    std::wstring what_;
};

}  // namespace XPL::CHECKTOOL
