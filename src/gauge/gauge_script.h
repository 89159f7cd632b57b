// Gauge scripts: short reverse-Polish programs over a gauge's variables, evaluated to one float.
//
// Tokens are separated by single spaces only (a tab or a line break belongs to its token); a
// space inside parentheses or braces does not end a token, so "(A:name, unit)" and a whole
// "if{ ... }" block are one token each. A token ends after 255 characters: the 256th is dropped
// and the next token starts after it. A leading space or two spaces in a row make an empty
// token, which is the number 0.
//
// A token is, first match first: a number (digits only: "0.5" and "-3" are no numbers and are
// skipped), a stack word ("pi", "b" drop, "c" clear), a unary or binary operator, a comparison
// ("==", "!=", "&gt;", "&lt;", "&gt;=", "&lt;=", spelled with the entity as the XML reader
// delivers it), an "if{" block (pops a value; when it is above 0 the block's value is pushed),
// an "els{" block (its value is pushed when the last "if{" of this context was not taken), a
// variable write "(&...)" (stores the top value, which stays), a variable read "(...)";
// anything else is skipped. An operator short of operands is skipped. The result is the top of
// the stack, 0.0 when it ends empty.
//
// Hostile values: every value, infinities, NaN and 1e30 included, gives a result in bounded
// time. An integer operation ("%", "div") whose operand or quotient lies outside the int32 range,
// and "div" by a divisor that truncates to 0, give 0.0. The normalising operators ("dnor",
// "d360", "rdeg", "rnor") give the result of their repeated subtraction for values within a
// thousand turns and the remainder beyond that (NaN for an infinite value). Blocks nest at most
// kMaxBlockDepth deep (the token length allows no more); a deeper block gives 0.0.
//
// Evaluation allocates nothing unless more than 32 values are on one stack at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace XPL {

class CGaugeVariables;

class CGaugeScript {
public:
    static constexpr size_t kMaxTokenLength = 255;
    static constexpr int kMaxBlockDepth = 64;

    // What a token is, first match first (see above); Word covers the stack words, the unary and
    // binary operators and the comparisons.
    enum class TokenClass : uint8_t {
        Number,
        Word,
        IfBlock,
        ElseBlock,
        VariableWrite,
        VariableRead,
        Skipped
    };
    // A token's use of the value stack: with fewer than needs values it is skipped; otherwise it
    // takes up to takes values and leaves leaves (a block only sometimes: when it runs); clears
    // empties the stack.
    struct StackEffect {
        uint8_t needs = 0;
        uint8_t takes = 0;
        uint8_t leaves = 0;
        bool sometimes = false;
        bool clears = false;
    };
    struct TokenInfo {
        TokenClass tokenClass = TokenClass::Skipped;
        StackEffect effect;
    };
    static TokenInfo Classify(std::wstring_view token);
    // The words' names, for telling a misspelt word.
    static std::span<const std::wstring_view> WordNames();

    // Splits a script into its tokens, one at a time.
    class CTokenizer {
    public:
        explicit CTokenizer(std::wstring_view text) : text_(text) {}
        bool Next(std::wstring_view& token);

    private:
        std::wstring_view text_;
        size_t at_ = 0;
    };

    // A variable token, (A:name, unit): the letter before the first colon (blank without one),
    // the name after it up to the last comma (or the last ")" without a comma), the unit after the
    // last comma up to the last ")"; leading spaces skipped, nothing trimmed at the end.
    struct VariableReference {
        wchar_t letter = L' ';
        std::wstring_view name;
        std::wstring_view unit;
    };
    static VariableReference ParseReference(std::wstring_view token);
    // The text of an "if{" or "els{" block: after the first "{" (further "{" and spaces skipped)
    // up to the last "}", less the one character before it. False without a "{" or a "}".
    static bool BlockText(std::wstring_view token, std::wstring_view& block);

    // variables may be null: every variable then reads 0.0 and takes no writes.
    explicit CGaugeScript(CGaugeVariables* variables) : variables_(variables) {}

    // The script's value. One context serves the scripts of one element's drawing, so an "els{"
    // sees the last "if{" of an earlier script of that element.
    float Evaluate(const wchar_t* text, size_t length);
    float Evaluate(std::wstring_view text) { return Evaluate(text.data(), text.size()); }

    // Registers every variable the script reads, blocks included, with the variable table.
    // Written variables are not registered.
    void CollectVariables(std::wstring_view text);

    // Set by the last "if{" evaluated in this context.
    bool Condition() const { return condition_; }
    // The values the last Evaluate left on its stack.
    size_t LastDepth() const { return lastDepth_; }

private:
    float Evaluate(std::wstring_view text, int depth);
    void CollectVariables(std::wstring_view text, int depth);

    CGaugeVariables* variables_;
    bool condition_ = false;
    size_t lastDepth_ = 0;
};

}  // namespace XPL
