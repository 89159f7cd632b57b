#include "script_check.h"

#include <algorithm>
#include <functional>

#include "gauge/gauge_script.h"
#include "gauge/gauge_variables.h"
#include "spelling.h"

namespace XPL::CHECKTOOL {

namespace {

using Script = CGaugeScript;

// A word as a message shows it: quoted, line breaks and tabs made visible.
std::wstring Quoted(std::wstring_view token) {
    std::wstring out = L"\"";
    for (const wchar_t c : token) {
        if (c == L'\n') {
            out += L"\\n";
        } else if (c == L'\r') {
            out += L"\\r";
        } else if (c == L'\t') {
            out += L"\\t";
        } else {
            out += c;
        }
    }
    return out + L"\"";
}

bool AllDigits(std::wstring_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// Why the evaluator skips a word, and what to write instead.
std::wstring SkippedReason(std::wstring_view token) {
    if (token.find_first_of(L"\t\r\n") != std::wstring_view::npos) {
        return L"only a single space separates words: a tab or a line break joins what is around "
               L"it into one word";
    }
    const size_t dot = token.find(L'.');
    if (dot != std::wstring_view::npos && AllDigits(token.substr(0, dot)) &&
        AllDigits(token.substr(dot + 1))) {
        const std::wstring_view fraction = token.substr(dot + 1);
        std::wstring digits = std::wstring(token.substr(0, dot)) + std::wstring(fraction);
        digits.erase(0, std::min(digits.find_first_not_of(L'0'), digits.size() - 1));
        return L"numbers are whole: write " + digits + L" 1" + std::wstring(fraction.size(), L'0') +
               L" / for " + std::wstring(token);
    }
    if (token.size() > 1 && (token[0] == L'-' || token[0] == L'+') && AllDigits(token.substr(1))) {
        return token[0] == L'-'
                   ? L"numbers have no sign: write 0 " + std::wstring(token.substr(1)) +
                         L" - for " + std::wstring(token)
                   : L"numbers have no sign: write " + std::wstring(token.substr(1));
    }
    if (token == L">" || token == L"<" || token == L">=" || token == L"<=") {
        const std::wstring entity = token[0] == L'>' ? L"&gt;" : L"&lt;";
        const std::wstring rest(token.substr(1));
        return L"comparisons are written " + entity + rest + L" in the script, that is &amp;" +
               entity.substr(1) + rest + L" in the gauge file";
    }
    for (const std::wstring_view name : Script::WordNames()) {
        if (SameIgnoringCase(token, name)) {
            return L"the evaluator knows no such word; did you mean \"" + std::wstring(name) +
                   L"\"?";
        }
    }
    for (const std::wstring_view block : {std::wstring_view(L"if{"), std::wstring_view(L"els{")}) {
        if (SameIgnoringCase(token.substr(0, block.size()), block)) {
            return L"blocks begin with " + std::wstring(block) + L" in lower case";
        }
    }
    return L"the evaluator knows no such word";
}

// The depths the value stack may have at one point of a script: from lo to hi.
struct Depths {
    size_t lo = 0;
    size_t hi = 0;
};

// The depths after a token of this effect, or false when it can never have its operands.
bool Apply(const Script::StackEffect& effect, Depths& depths) {
    if (effect.clears) {
        depths = Depths{};
        return true;
    }
    if (depths.hi < effect.needs) {
        return false;
    }
    const size_t from = std::max(depths.lo, size_t{effect.needs});
    Depths applied;
    applied.lo =
        from - std::min<size_t>(effect.takes, from) + (effect.sometimes ? 0 : effect.leaves);
    applied.hi = depths.hi - std::min<size_t>(effect.takes, depths.hi) + effect.leaves;
    if (depths.lo < effect.needs) {
        // Sometimes skipped: the depths it leaves alone stay possible.
        applied.lo = std::min(applied.lo, depths.lo);
        applied.hi = std::max(applied.hi, std::min(depths.hi, size_t{effect.needs} - 1));
    }
    depths = applied;
    return true;
}

std::wstring Values(size_t count) {
    return count == 1 ? L"a value" : std::to_wstring(count) + L" values";
}

}  // namespace

void CScriptCheck::Report(Severity severity, const std::wstring& text, std::wstring_view token) {
    uint32_t line = line_;
    // The line breaks of the text before the word (the reader turns CR LF into LF).
    const std::less_equal<const wchar_t*> notAfter;
    if (line != 0 && token.data() != nullptr && notAfter(script_.data(), token.data()) &&
        notAfter(token.data(), script_.data() + script_.size())) {
        const std::wstring_view before =
            script_.substr(0, static_cast<size_t>(token.data() - script_.data()));
        line += static_cast<uint32_t>(std::count(before.begin(), before.end(), L'\n'));
    }
    findings_.Add(file_, line, severity, what_ + L": " + text);
}

void CScriptCheck::Check(std::wstring_view script, uint32_t line, const std::wstring& what) {
    script_ = script;
    line_ = line;
    what_ = what;
    for (const auto& [open, close, name] :
         {std::tuple{L'(', L')', L"parentheses"}, std::tuple{L'{', L'}', L"braces"}}) {
        const auto opened = std::count(script.begin(), script.end(), open);
        const auto closed = std::count(script.begin(), script.end(), close);
        if (opened != closed) {
            Report(Severity::Error, std::wstring(L"unbalanced ") + name + L" (" +
                                        std::to_wstring(opened) + L" \"" + open + L"\", " +
                                        std::to_wstring(closed) + L" \"" + close +
                                        L"\"): words run together up to where they balance");
        }
    }
    CheckText(script, ifSeen_);
}

void CScriptCheck::CheckText(std::wstring_view text, bool& ifSeen) {
    Script::CTokenizer tokens(text);
    std::wstring_view token;
    Depths depths;
    while (tokens.Next(token)) {
        const Script::TokenInfo info = Script::Classify(token);
        if (info.tokenClass != Script::TokenClass::Skipped &&
            token.find_first_of(L"\t\r\n") != std::wstring_view::npos) {
            Report(Severity::Error,
                   Quoted(token) + L" holds a tab or a line break: " + SkippedReason(token), token);
        }
        switch (info.tokenClass) {
            case Script::TokenClass::Number:
                if (token.empty()) {
                    Report(Severity::Warning,
                           L"a leading space or two spaces in a row make an empty word, which "
                           L"pushes 0",
                           token);
                }
                break;
            case Script::TokenClass::Skipped:
                Report(Severity::Error, Quoted(token) + L" is skipped: " + SkippedReason(token),
                       token);
                continue;
            case Script::TokenClass::VariableRead:
            case Script::TokenClass::VariableWrite:
                CheckWord(token);
                break;
            case Script::TokenClass::IfBlock:
            case Script::TokenClass::ElseBlock: {
                const bool isIf = info.tokenClass == Script::TokenClass::IfBlock;
                if (!isIf && !ifSeen) {
                    Report(Severity::Warning,
                           L"\"els{\" has no \"if{\" before it in this element: its block runs "
                           L"every time",
                           token);
                }
                std::wstring_view block;
                if (Script::BlockText(token, block)) {
                    bool blockIf = false;  // a block is evaluated in a context of its own
                    CheckText(block, blockIf);
                }
                if (isIf && depths.hi >= 1) {
                    ifSeen = true;
                }
                break;
            }
            default:
                break;
        }
        const Depths before = depths;
        if (!Apply(info.effect, depths)) {
            Report(Severity::Error,
                   Quoted(token) + L" needs " + Values(info.effect.needs) + L" but never has " +
                       (before.hi == 0 ? std::wstring(L"any")
                                       : L"more than " + std::to_wstring(before.hi)) +
                       L" here, so it is skipped",
                   token);
        }
    }
}

void CScriptCheck::CheckWord(std::wstring_view token) {
    const Script::VariableReference reference = Script::ParseReference(token);
    const bool write = Script::Classify(token).tokenClass == Script::TokenClass::VariableWrite;
    if (!CGaugeVariables::IsVariableLetter(reference.letter)) {
        Report(Severity::Error,
               Quoted(token) + (write ? L" stores nothing" : L" always reads 0") +
                   L": only the letters A, E and P (or a, e, p) name variables, written as "
                   L"(A:name,unit)",
               token);
        return;
    }
    if (write && variables_ != nullptr && variables_->IndexOf(reference.name, reference.unit) < 0) {
        Report(Severity::Warning,
               Quoted(token) +
                   L" writes a variable that no script of the gauge reads, "
                   L"so the write has no effect",
               token);
    }
}

}  // namespace XPL::CHECKTOOL
