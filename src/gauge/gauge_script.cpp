#include "gauge/gauge_script.h"

#include <array>
#include <cmath>
#include <vector>

#include "gauge/gauge_numbers.h"
#include "gauge/gauge_variables.h"

namespace XPL {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
// Up to this many turns the normalising loops run as written (and give their exact result);
// beyond it the remainder stands in for them.
constexpr float kLoopTurns = 1024.0f;

enum class Op : uint8_t {
    // stack words
    Pi,
    Drop,
    Clear,
    // unary
    Negate,
    Increment,
    Decrement,
    Truncate,
    Abs,
    Floor,
    Cos,
    Ln,
    Sin,
    Acos,
    Same,
    Square,
    Asin,
    Sqrt,
    Exp,
    Tan,
    Atan,
    Duplicate,
    Pop,
    Ceil,
    NormaliseDegrees,
    RadiansToDegrees,
    DegreesToRadians,
    NormaliseRadians,
    // binary
    Add,
    Subtract,
    Multiply,
    Divide,
    Min,
    Max,
    Zero,
    Atan2,
    Power,
    IntDivide,
    Swap,
    // comparisons
    Equal,
    NotEqual,
    Greater,
    Less,
    GreaterEqual,
    LessEqual,
};

enum class Arity : uint8_t { Word, Unary, Binary };

struct Word {
    std::wstring_view name;
    Op op;
    Arity arity;
    uint8_t leaves = 1;  // values pushed after the operands are taken
};

// Every token matched by its exact text. The classes are disjoint and none of these names
// starts with a digit, "(" or a block's "if{" / "els{", so one look-up stands for the ordered
// classification.
constexpr Word kWords[] = {
    {L"pi", Op::Pi, Arity::Word},
    {L"b", Op::Drop, Arity::Word, 0},
    {L"c", Op::Clear, Arity::Word, 0},
    {L"/-/", Op::Negate, Arity::Unary},
    {L"++", Op::Increment, Arity::Unary},
    {L"--", Op::Decrement, Arity::Unary},
    {L"%", Op::Truncate, Arity::Unary},
    {L"abs", Op::Abs, Arity::Unary},
    {L"flr", Op::Floor, Arity::Unary},
    {L"cos", Op::Cos, Arity::Unary},
    {L"lg", Op::Ln, Arity::Unary},
    {L"sin", Op::Sin, Arity::Unary},
    {L"acos", Op::Acos, Arity::Unary},
    {L"ctg", Op::Same, Arity::Unary},
    {L"ln", Op::Ln, Arity::Unary},
    {L"sqr", Op::Square, Arity::Unary},
    {L"asin", Op::Asin, Arity::Unary},
    {L"eps", Op::Same, Arity::Unary},
    {L"sqrt", Op::Sqrt, Arity::Unary},
    {L"exp", Op::Exp, Arity::Unary},
    {L"tg", Op::Tan, Arity::Unary},
    {L"atg", Op::Atan, Arity::Unary},
    {L"d", Op::Duplicate, Arity::Unary, 2},
    {L"p", Op::Pop, Arity::Unary, 0},
    {L"ceil", Op::Ceil, Arity::Unary},
    {L"near", Op::Same, Arity::Unary},
    {L"dnor", Op::NormaliseDegrees, Arity::Unary},
    {L"d360", Op::NormaliseDegrees, Arity::Unary},
    {L"rdeg", Op::NormaliseDegrees, Arity::Unary},
    {L"rddg", Op::RadiansToDegrees, Arity::Unary},
    {L"dgrd", Op::DegreesToRadians, Arity::Unary},
    {L"rnor", Op::NormaliseRadians, Arity::Unary},
    {L"+", Op::Add, Arity::Binary},
    {L"-", Op::Subtract, Arity::Binary},
    {L"*", Op::Multiply, Arity::Binary},
    {L"/", Op::Divide, Arity::Binary},
    {L"min", Op::Min, Arity::Binary},
    {L"max", Op::Max, Arity::Binary},
    {L"log", Op::Zero, Arity::Binary},
    {L"atn2", Op::Atan2, Arity::Binary},
    {L"pow", Op::Power, Arity::Binary},
    {L"div", Op::IntDivide, Arity::Binary},
    {L"r", Op::Swap, Arity::Binary, 2},
    {L"==", Op::Equal, Arity::Binary},
    {L"!=", Op::NotEqual, Arity::Binary},
    {L"&gt;", Op::Greater, Arity::Binary},
    {L"&lt;", Op::Less, Arity::Binary},
    {L"&gt;=", Op::GreaterEqual, Arity::Binary},
    {L"&lt;=", Op::LessEqual, Arity::Binary},
};

const Word* FindWord(std::wstring_view token) {
    for (const Word& word : kWords) {
        if (word.name == token) {
            return &word;
        }
    }
    return nullptr;
}

bool IsNumber(std::wstring_view token) {
    for (const wchar_t c : token) {
        if (c < L'0' || c > L'9') {
            return false;
        }
    }
    return true;
}

bool StartsWith(std::wstring_view token, std::wstring_view prefix) {
    return token.substr(0, prefix.size()) == prefix;
}

size_t SkipSpaces(std::wstring_view text, size_t at) {
    while (at < text.size() && text[at] == L' ') {
        ++at;
    }
    return at;
}

// The one classification of the evaluator and of the variable collection; word is set for the
// class Word.
CGaugeScript::TokenClass ClassOf(std::wstring_view token, const Word*& word) {
    using TokenClass = CGaugeScript::TokenClass;
    word = nullptr;
    if (IsNumber(token)) {
        return TokenClass::Number;
    }
    if (token[0] == L'(') {
        return token.size() > 1 && token[1] == L'&' ? TokenClass::VariableWrite
                                                    : TokenClass::VariableRead;
    }
    if ((word = FindWord(token)) != nullptr) {
        return TokenClass::Word;
    }
    if (StartsWith(token, L"if{")) {
        return TokenClass::IfBlock;
    }
    if (StartsWith(token, L"els{")) {
        return TokenClass::ElseBlock;
    }
    return TokenClass::Skipped;
}

// While v > period subtract it, then while v < 0 add it; bounded for every value.
float Normalise(float v, float period) {
    if (!(std::fabs(v) <= kLoopTurns * period)) {
        v = std::fmod(v, period);  // NaN for NaN and infinities
    }
    while (v > period) {
        v -= period;
    }
    while (v < 0.0f) {
        v += period;
    }
    return v;
}

float TruncateValue(float v) {
    return static_cast<float>(UTILITY::TruncateToInt32(v));
}

bool FitsInt32(float v) {
    return v >= -2147483648.0f && v < 2147483648.0f;
}

float IntDivide(float b, float a) {
    if (!FitsInt32(a) || !FitsInt32(b)) {
        return 0.0f;
    }
    const int64_t divisor = static_cast<int32_t>(a);
    const int64_t dividend = static_cast<int32_t>(b);
    if (divisor == 0) {
        return 0.0f;
    }
    const int64_t quotient = dividend / divisor;
    if (quotient > INT32_MAX) {
        return 0.0f;
    }
    return static_cast<float>(quotient);
}

// The value stack of one evaluation: inline for the usual few values, on the heap beyond.
class CValueStack {
public:
    size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    void Push(float v) {
        if (size_ < kInline) {
            inline_[size_] = v;
        } else {
            spill_.push_back(v);
        }
        ++size_;
    }
    float Pop() {
        --size_;
        if (size_ >= kInline) {
            const float v = spill_.back();
            spill_.pop_back();
            return v;
        }
        return inline_[size_];
    }
    float Top() const { return size_ > kInline ? spill_.back() : inline_[size_ - 1]; }
    void Clear() {
        size_ = 0;
        spill_.clear();
    }

private:
    static constexpr size_t kInline = 32;
    std::array<float, kInline> inline_{};
    std::vector<float> spill_;
    size_t size_ = 0;
};

void Apply(const Word& word, CValueStack& stack) {
    if (word.arity == Arity::Word) {
        switch (word.op) {
            case Op::Pi:
                stack.Push(kPi);
                break;
            case Op::Drop:
                if (!stack.Empty()) {
                    stack.Pop();
                }
                break;
            default:
                stack.Clear();
                break;
        }
        return;
    }
    if (word.arity == Arity::Unary) {
        if (stack.Empty()) {
            return;
        }
        const float v = stack.Pop();
        switch (word.op) {
            case Op::Negate:
                stack.Push(-v);
                break;
            case Op::Increment:
                stack.Push(v + 1.0f);
                break;
            case Op::Decrement:
                stack.Push(v - 1.0f);
                break;
            case Op::Truncate:
                stack.Push(TruncateValue(v));
                break;
            case Op::Abs:
                stack.Push(std::fabs(v));
                break;
            case Op::Floor:
                stack.Push(std::floor(v));
                break;
            case Op::Cos:
                stack.Push(std::cos(v));
                break;
            case Op::Ln:
                stack.Push(std::log(v));
                break;
            case Op::Sin:
                stack.Push(std::sin(v));
                break;
            case Op::Acos:
                stack.Push(std::acos(v));
                break;
            case Op::Square:
                stack.Push(v * v);
                break;
            case Op::Asin:
                stack.Push(std::asin(v));
                break;
            case Op::Sqrt:
                stack.Push(std::sqrt(v));
                break;
            case Op::Exp:
                stack.Push(std::exp(v));
                break;
            case Op::Tan:
                stack.Push(std::tan(v));
                break;
            case Op::Atan:
                stack.Push(std::atan(v));
                break;
            case Op::Duplicate:
                stack.Push(v);
                stack.Push(v);
                break;
            case Op::Pop:
                break;
            case Op::Ceil:
                stack.Push(std::ceil(v));
                break;
            case Op::NormaliseDegrees:
                stack.Push(Normalise(v, 360.0f));
                break;
            case Op::RadiansToDegrees:
                stack.Push(v * 180.0f / kPi);
                break;
            case Op::DegreesToRadians:
                stack.Push(v * kPi / 180.0f);
                break;
            case Op::NormaliseRadians:
                stack.Push(Normalise(v, kTwoPi));
                break;
            default:  // ctg, eps, near
                stack.Push(v);
                break;
        }
        return;
    }
    if (stack.Size() < 2) {
        return;
    }
    const float a = stack.Pop();
    const float b = stack.Pop();
    switch (word.op) {
        case Op::Add:
            stack.Push(b + a);
            break;
        case Op::Subtract:
            stack.Push(b - a);
            break;
        case Op::Multiply:
            stack.Push(b * a);
            break;
        case Op::Divide:
            stack.Push(b / a);
            break;
        case Op::Min:
            stack.Push(b < a ? b : a);
            break;
        case Op::Max:
            stack.Push(b > a ? b : a);
            break;
        case Op::Zero:
            stack.Push(0.0f);
            break;
        case Op::Atan2:
            stack.Push(std::atan2(b, a));
            break;
        case Op::Power:
            stack.Push(std::pow(b, a));
            break;
        case Op::IntDivide:
            stack.Push(IntDivide(b, a));
            break;
        case Op::Swap:
            stack.Push(a);
            stack.Push(b);
            break;
        case Op::Equal:
            stack.Push(b == a ? 1.0f : 0.0f);
            break;
        case Op::NotEqual:
            stack.Push(b != a ? 1.0f : 0.0f);
            break;
        case Op::Greater:
            stack.Push(b > a ? 1.0f : 0.0f);
            break;
        case Op::Less:
            stack.Push(b < a ? 1.0f : 0.0f);
            break;
        case Op::GreaterEqual:
            stack.Push(b >= a ? 1.0f : 0.0f);
            break;
        case Op::LessEqual:
            stack.Push(b <= a ? 1.0f : 0.0f);
            break;
        default:
            break;
    }
}

}  // namespace

bool CGaugeScript::CTokenizer::Next(std::wstring_view& token) {
    if (at_ >= text_.size()) {
        return false;
    }
    const size_t start = at_;
    int parentheses = 0;
    int braces = 0;
    while (at_ < text_.size()) {
        const wchar_t c = text_[at_];
        if ((c == L' ' && parentheses <= 0 && braces < 1) || at_ - start == kMaxTokenLength) {
            token = text_.substr(start, at_ - start);
            ++at_;  // the separator, or the character the cut falls on
            return true;
        }
        parentheses += c == L'(' ? 1 : (c == L')' ? -1 : 0);
        braces += c == L'{' ? 1 : (c == L'}' ? -1 : 0);
        ++at_;
    }
    token = text_.substr(start);
    return true;
}

CGaugeScript::VariableReference CGaugeScript::ParseReference(std::wstring_view token) {
    VariableReference reference;
    const size_t colon = token.find(L':');
    size_t nameStart = 0;
    if (colon != std::wstring_view::npos) {
        reference.letter = colon > 0 ? token[colon - 1] : L' ';
        nameStart = colon + 1;
    }
    nameStart = SkipSpaces(token, nameStart);
    const size_t comma = token.rfind(L',');
    const size_t close = token.rfind(L')');
    const size_t nameEnd = comma != std::wstring_view::npos
                               ? comma
                               : (close != std::wstring_view::npos ? close : token.size());
    if (nameEnd > nameStart) {
        reference.name = token.substr(nameStart, nameEnd - nameStart);
    }
    if (comma != std::wstring_view::npos) {
        const size_t unitStart = SkipSpaces(token, comma + 1);
        const size_t unitEnd =
            close != std::wstring_view::npos && close >= unitStart ? close : token.size();
        if (unitEnd > unitStart) {
            reference.unit = token.substr(unitStart, unitEnd - unitStart);
        }
    }
    return reference;
}

bool CGaugeScript::BlockText(std::wstring_view token, std::wstring_view& block) {
    const size_t open = token.find(L'{');
    const size_t close = token.rfind(L'}');
    if (open == std::wstring_view::npos || close == std::wstring_view::npos) {
        return false;
    }
    size_t start = open + 1;
    while (start < token.size() && (token[start] == L'{' || token[start] == L' ')) {
        ++start;
    }
    const size_t end = close > 0 ? close - 1 : 0;
    block = end > start ? token.substr(start, end - start) : std::wstring_view();
    return true;
}

CGaugeScript::TokenInfo CGaugeScript::Classify(std::wstring_view token) {
    const Word* word = nullptr;
    TokenInfo info;
    info.tokenClass = ClassOf(token, word);
    StackEffect& effect = info.effect;
    switch (info.tokenClass) {
        case TokenClass::Number:
        case TokenClass::VariableRead:
            effect.leaves = 1;
            break;
        case TokenClass::VariableWrite:
            effect.needs = 1;  // stores the top, which stays
            break;
        case TokenClass::IfBlock:
            effect = StackEffect{1, 1, 1, true, false};
            break;
        case TokenClass::ElseBlock:
            effect = StackEffect{0, 0, 1, true, false};
            break;
        case TokenClass::Word:
            if (word->op == Op::Clear) {
                effect.clears = true;
            } else if (word->op == Op::Drop) {
                effect.takes = 1;  // the top when there is one
            } else {
                effect.needs = static_cast<uint8_t>(word->arity);
                effect.takes = effect.needs;
            }
            effect.leaves = word->leaves;
            break;
        case TokenClass::Skipped:
            break;
    }
    return info;
}

std::span<const std::wstring_view> CGaugeScript::WordNames() {
    static const auto names = [] {
        std::array<std::wstring_view, std::size(kWords)> list{};
        for (size_t i = 0; i < list.size(); ++i) {
            list[i] = kWords[i].name;
        }
        return list;
    }();
    return names;
}

float CGaugeScript::Evaluate(const wchar_t* text, size_t length) {
    if (text == nullptr) {
        lastDepth_ = 0;
        return 0.0f;
    }
    return Evaluate(std::wstring_view(text, length), 0);
}

float CGaugeScript::Evaluate(std::wstring_view text, int depth) {
    CValueStack stack;
    CTokenizer tokens(text);
    std::wstring_view token;
    while (tokens.Next(token)) {
        const Word* word = nullptr;
        switch (ClassOf(token, word)) {
            case TokenClass::Number:
                stack.Push(UTILITY::DigitsValue(token));
                break;
            case TokenClass::VariableRead: {
                const VariableReference reference = ParseReference(token);
                stack.Push(variables_ != nullptr
                               ? variables_->Read(reference.letter, reference.name, reference.unit)
                               : 0.0f);
                break;
            }
            case TokenClass::VariableWrite:
                if (!stack.Empty() && variables_ != nullptr) {
                    const VariableReference reference = ParseReference(token);
                    variables_->Write(reference.letter, reference.name, reference.unit,
                                      stack.Top());
                }
                break;
            case TokenClass::Word:
                Apply(*word, stack);
                break;
            case TokenClass::IfBlock:
                if (stack.Empty()) {
                    break;
                }
                condition_ = stack.Pop() > 0.0f;
                if (condition_) {
                    std::wstring_view block;
                    const bool hasBlock = BlockText(token, block) && depth < kMaxBlockDepth;
                    stack.Push(hasBlock ? CGaugeScript(variables_).Evaluate(block, depth + 1)
                                        : 0.0f);
                }
                break;
            case TokenClass::ElseBlock:
                if (!condition_) {
                    std::wstring_view block;
                    const bool hasBlock = BlockText(token, block) && depth < kMaxBlockDepth;
                    stack.Push(hasBlock ? CGaugeScript(variables_).Evaluate(block, depth + 1)
                                        : 0.0f);
                }
                break;
            case TokenClass::Skipped:
                break;
        }
    }
    lastDepth_ = stack.Size();
    return stack.Empty() ? 0.0f : stack.Top();
}

void CGaugeScript::CollectVariables(std::wstring_view text) {
    CollectVariables(text, 0);
}

void CGaugeScript::CollectVariables(std::wstring_view text, int depth) {
    if (variables_ == nullptr) {
        return;
    }
    CTokenizer tokens(text);
    std::wstring_view token;
    while (tokens.Next(token)) {
        const Word* word = nullptr;
        const TokenClass tokenClass = ClassOf(token, word);
        if (tokenClass == TokenClass::VariableRead) {
            const VariableReference reference = ParseReference(token);
            variables_->Register(reference.letter, reference.name, reference.unit);
        } else if (tokenClass == TokenClass::IfBlock || tokenClass == TokenClass::ElseBlock) {
            std::wstring_view block;
            if (depth < kMaxBlockDepth && BlockText(token, block)) {
                CollectVariables(block, depth + 1);
            }
        }
    }
}

}  // namespace XPL
