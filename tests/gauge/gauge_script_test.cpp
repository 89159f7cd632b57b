// Gauge scripts as gauge files write them: tokens, classes, operators, blocks, variables, and
// the values a hostile file can feed them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "gauge/gauge_script.h"
#include "gauge/gauge_variables.h"

using namespace XPL;

namespace {

struct ScriptCase {
    const wchar_t* script;
    float expected;
};

class ScriptValueTest : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptValueTest, Evaluates) {
    CGaugeVariables variables;
    const float value = CGaugeScript(&variables).Evaluate(GetParam().script);
    if (std::isnan(GetParam().expected)) {
        EXPECT_TRUE(std::isnan(value)) << value;
    } else {
        EXPECT_FLOAT_EQ(value, GetParam().expected);
    }
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Tokens: only single spaces separate; empty tokens are 0; blanks inside braces or parentheses
// do not end a token; tabs and line breaks belong to their token.
INSTANTIATE_TEST_SUITE_P(
    Tokens, ScriptValueTest,
    ::testing::Values(ScriptCase{L"1 2 +", 3.0f}, ScriptCase{L"1  2 +", 2.0f},  // 1, 0, 2: 0 + 2
                      ScriptCase{L" 5", 5.0f},                                  // empty token first
                      ScriptCase{L"5 ", 5.0f},                             // no token after the end
                      ScriptCase{L"", 0.0f}, ScriptCase{L"7\t2 +", 0.0f},  // one unknown token
                      ScriptCase{L"3 4\n+", 3.0f},                         // "4\n+" is skipped
                      ScriptCase{L"1 if{ 2 3 + }", 5.0f}, ScriptCase{L"(A:x, a b) 1 +", 1.0f}));

// First match wins: digits only make a number; a decimal point, a sign or a bare comparison sign
// make a skipped token.
INSTANTIATE_TEST_SUITE_P(Classes, ScriptValueTest,
                         ::testing::Values(ScriptCase{L"27 10 /", 2.7f}, ScriptCase{L"3 0.5", 3.0f},
                                           ScriptCase{L"0 30 -", -30.0f},
                                           ScriptCase{L"3 -30", 3.0f}, ScriptCase{L"2 1 >", 1.0f},
                                           ScriptCase{L"2 1 &gt;", 1.0f}, ScriptCase{L"007", 7.0f},
                                           ScriptCase{L"4 pi", 3.1415927f},
                                           ScriptCase{L"1 2 b", 1.0f}, ScriptCase{L"1 2 c", 0.0f},
                                           ScriptCase{L"b c 9", 9.0f},
                                           ScriptCase{L"(L:local,number) 4 +", 4.0f}));

INSTANTIATE_TEST_SUITE_P(
    UnaryOperators, ScriptValueTest,
    ::testing::Values(ScriptCase{L"5 /-/", -5.0f}, ScriptCase{L"5 ++", 6.0f},
                      ScriptCase{L"5 --", 4.0f}, ScriptCase{L"0 27 10 / - %", -2.0f},
                      ScriptCase{L"0 3 - abs", 3.0f}, ScriptCase{L"0 27 10 / - flr", -3.0f},
                      ScriptCase{L"27 10 / ceil", 3.0f}, ScriptCase{L"0 cos", 1.0f},
                      ScriptCase{L"1 sin", std::sin(1.0f)}, ScriptCase{L"1 tg", std::tan(1.0f)},
                      ScriptCase{L"1 atg", std::atan(1.0f)}, ScriptCase{L"1 acos", 0.0f},
                      ScriptCase{L"1 asin", 1.5707964f}, ScriptCase{L"1 exp lg", 1.0f},
                      ScriptCase{L"1 exp ln", 1.0f}, ScriptCase{L"4 sqr", 16.0f},
                      ScriptCase{L"16 sqrt", 4.0f}, ScriptCase{L"6 ctg", 6.0f},
                      ScriptCase{L"6 eps", 6.0f}, ScriptCase{L"6 near", 6.0f},
                      ScriptCase{L"3 d *", 9.0f}, ScriptCase{L"3 4 p", 3.0f},
                      ScriptCase{L"370 dnor", 10.0f}, ScriptCase{L"360 dnor", 360.0f},
                      ScriptCase{L"0 30 - dnor", 330.0f}, ScriptCase{L"730 d360", 10.0f},
                      ScriptCase{L"0 720 - rdeg", 0.0f}, ScriptCase{L"pi rddg", 180.0f},
                      ScriptCase{L"180 dgrd", 3.1415927f}, ScriptCase{L"7 rnor", 7.0f - 6.2831855f},
                      ScriptCase{L"0 1 - rnor", 5.2831855f}, ScriptCase{L"abs", 0.0f}));

INSTANTIATE_TEST_SUITE_P(
    BinaryOperators, ScriptValueTest,
    ::testing::Values(ScriptCase{L"7 2 -", 5.0f}, ScriptCase{L"7 2 *", 14.0f},
                      ScriptCase{L"7 2 /", 3.5f}, ScriptCase{L"7 2 min", 2.0f},
                      ScriptCase{L"7 2 max", 7.0f}, ScriptCase{L"7 2 log", 0.0f},
                      ScriptCase{L"1 0 atn2", 1.5707964f}, ScriptCase{L"2 10 pow", 1024.0f},
                      ScriptCase{L"5 2 div", 2.0f}, ScriptCase{L"0 7 - 2 div", -3.0f},
                      ScriptCase{L"3 4 r -", 1.0f}, ScriptCase{L"9 +", 9.0f},
                      ScriptCase{L"2 2 ==", 1.0f}, ScriptCase{L"2 3 ==", 0.0f},
                      ScriptCase{L"2 3 !=", 1.0f}, ScriptCase{L"0 0 / d !=", 1.0f},
                      ScriptCase{L"2 3 &lt;", 1.0f}, ScriptCase{L"3 3 &lt;", 0.0f},
                      ScriptCase{L"3 3 &gt;=", 1.0f}, ScriptCase{L"2 3 &gt;=", 0.0f},
                      ScriptCase{L"3 3 &lt;=", 1.0f}, ScriptCase{L"4 3 &lt;=", 0.0f}));

// Blocks: the text after "{" (braces and spaces skipped) up to the last "}", less one character.
INSTANTIATE_TEST_SUITE_P(
    Blocks, ScriptValueTest,
    ::testing::Values(ScriptCase{L"1 if{ 5 } els{ 7 }", 5.0f},
                      ScriptCase{L"0 if{ 5 } els{ 7 }", 7.0f}, ScriptCase{L"if{ 5 } 3", 3.0f},
                      ScriptCase{L"1 if{5 }", 5.0f}, ScriptCase{L"1 if{ 1 2 +}", 2.0f},
                      ScriptCase{L"1 if{{  4 }", 4.0f}, ScriptCase{L"1 if{ }", 0.0f},
                      ScriptCase{L"1 if{ 5", 0.0f}, ScriptCase{L"0 30 - if{ 5 }", 0.0f},
                      ScriptCase{L"els{ 6 }", 6.0f},
                      ScriptCase{L"1 if{ 0 if{ 1 } els{ 2 } } els{ 3 }", 2.0f},
                      ScriptCase{L"9 1 if{ c }", 0.0f}));

// Values a shared file can feed: each gives a result, none hangs.
INSTANTIATE_TEST_SUITE_P(
    HostileValues, ScriptValueTest,
    ::testing::Values(ScriptCase{L"5 0 div", 0.0f}, ScriptCase{L"5 1 3 / div", 0.0f},
                      ScriptCase{L"0 2147483647 - 1 - 0 1 - div", 0.0f},  // INT32_MIN / -1
                      ScriptCase{L"10 30 pow 2 div", 0.0f}, ScriptCase{L"10 30 pow %", 0.0f},
                      ScriptCase{L"0 0 / %", 0.0f}, ScriptCase{L"10 30 pow 10 30 pow - dnor", 0.0f},
                      ScriptCase{L"1 0 / dnor", kNaN}, ScriptCase{L"0 1 0 / - rnor", kNaN},
                      ScriptCase{L"0 0 / dnor", kNaN},
                      ScriptCase{L"999999999999999999999999999999999999999999 1 min", 1.0f},
                      ScriptCase{L"1000000 dnor", 280.0f}));

TEST(GaugeScriptTest, ATokenIsCutAfter255CharactersAndTheNextCharacterIsLost) {
    // 254 zeros and a 5 make the first token; the 7 is lost; "3 +" follows.
    const std::wstring script = std::wstring(254, L'0') + L"573 +";
    EXPECT_FLOAT_EQ(CGaugeScript(nullptr).Evaluate(script), 8.0f);
    // A space inside braces does not end a token, so a long block is cut like any token.
    const std::wstring block = L"1 if{ " + std::wstring(300, L'1') + L" } 2";
    EXPECT_FLOAT_EQ(CGaugeScript(nullptr).Evaluate(block), 2.0f);
}

// Beyond the values kept inline the stack goes on the heap.
TEST(GaugeScriptTest, LongScriptsEndWithTheirValue) {
    std::wstring many;
    for (int i = 0; i < 100000; ++i) {
        many += L"1 ";
    }
    many += L"+ + +";
    EXPECT_FLOAT_EQ(CGaugeScript(nullptr).Evaluate(many), 4.0f);  // ... 1 1 1 1 + + +
}

// The normalising operators as written: subtract, then add, a turn at a time.
float NormalisedByLoop(float v, float period) {
    while (v > period) {
        v -= period;
    }
    while (v < 0.0f) {
        v += period;
    }
    return v;
}

TEST(GaugeScriptTest, NormalisingGivesTheLoopsResultWithinAThousandTurnsAndATurnBeyond) {
    CGaugeVariables variables;
    variables.RegisterScript(L"(A:v,number)");
    CGaugeScript script(&variables);
    for (const float v :
         {1234.567f, -987.25f, 359.99f, 6000.5f, -6433.0f, 3.0e5f, -2.5e8f, 1e30f, -1e30f}) {
        variables.Write(L'A', L"v", L"number", v);
        const float degrees = script.Evaluate(L"(A:v,number) dnor");
        const float radians = script.Evaluate(L"(A:v,number) rnor");
        if (std::fabs(v) <= 1024.0f * 360.0f) {
            EXPECT_EQ(degrees, NormalisedByLoop(v, 360.0f)) << v;
        }
        if (std::fabs(v) <= 1024.0f * 6.2831855f) {
            EXPECT_EQ(radians, NormalisedByLoop(v, 6.2831855f)) << v;
        }
        EXPECT_TRUE(degrees >= 0.0f && degrees <= 360.0f) << v << " " << degrees;
        EXPECT_TRUE(radians >= 0.0f && radians <= 6.2831855f) << v << " " << radians;
    }
}

TEST(GaugeScriptTest, VariablesAreReadWrittenAndCollectedBlocksIncluded) {
    CGaugeVariables variables;
    variables.RegisterScript(
        L"(A:sim/a, degrees) (A:sim/b,number) if{ (E:sim/c,knots) } els{ (A:sim/d,psi) } "
        L"(&gt;A:sim/written,number) (L:local,number)");
    ASSERT_EQ(variables.Count(), 4u);
    EXPECT_EQ(variables.Name(0), L"sim/a");
    EXPECT_EQ(variables.Unit(0), L"degrees");
    EXPECT_EQ(variables.IndexOf(L"sim/c", L"knots"), 2);
    EXPECT_EQ(variables.IndexOf(L"sim/written", L"number"), -1);

    variables.Write(L'A', L"sim/a", L"degrees", 30.0f);
    variables.Write(L'A', L"sim/d", L"psi", 2.0f);
    CGaugeScript script(&variables);
    EXPECT_FLOAT_EQ(script.Evaluate(L"(A:sim/a, degrees) 2 *"), 60.0f);
    EXPECT_FLOAT_EQ(script.Evaluate(L"0 if{ 1 } els{ (A:sim/d,psi) }"), 288.0f);
    // A write keeps the value on the stack and stores it.
    EXPECT_FLOAT_EQ(script.Evaluate(L"5 (&gt;A:sim/a,degrees) 1 +"), 6.0f);
    EXPECT_FLOAT_EQ(variables.Read(L'A', L"sim/a", L"degrees"), 5.0f);
    // A variable that is only written is not in the table: its write has no effect.
    EXPECT_FLOAT_EQ(script.Evaluate(L"5 (&gt;A:sim/written,number) (A:sim/written,number)"), 0.0f);
}

TEST(GaugeScriptTest, OneContextSharesTheConditionAcrossTheScriptsOfAnElement) {
    CGaugeScript element(nullptr);
    EXPECT_FLOAT_EQ(element.Evaluate(L"0 if{ 1 }"), 0.0f);
    EXPECT_FLOAT_EQ(element.Evaluate(L"els{ 8 }"), 8.0f);  // the last if{ was not taken
    EXPECT_FLOAT_EQ(element.Evaluate(L"1 if{ 1 }"), 1.0f);
    EXPECT_FLOAT_EQ(element.Evaluate(L"4 els{ 8 }"), 4.0f);
    // A block runs in a context of its own: its if{ leaves the outer condition alone.
    EXPECT_FLOAT_EQ(element.Evaluate(L"1 if{ 0 if{ 1 } 2 } els{ 9 }"), 2.0f);
    EXPECT_TRUE(element.Condition());
    EXPECT_FLOAT_EQ(CGaugeScript(nullptr).Evaluate(L"els{ 8 }"), 8.0f);
}

}  // namespace

namespace {

// The classification that tools read scripts with is the evaluator's: each word's stack effect
// is what evaluating it does, on stacks deep enough and too shallow.
TEST(GaugeScriptTest, EveryWordsStackEffectIsWhatTheEvaluatorDoes) {
    ASSERT_EQ(CGaugeScript::WordNames().size(), 49u);
    for (const std::wstring_view name : CGaugeScript::WordNames()) {
        const CGaugeScript::TokenInfo info = CGaugeScript::Classify(name);
        ASSERT_EQ(info.tokenClass, CGaugeScript::TokenClass::Word) << std::wstring(name).c_str();
        const CGaugeScript::StackEffect& effect = info.effect;
        for (size_t depth = 0; depth <= 3; ++depth) {
            std::wstring script;
            for (size_t i = 0; i < depth; ++i) {
                script += L"1 ";
            }
            script += name;
            CGaugeScript evaluator(nullptr);
            evaluator.Evaluate(script);
            const size_t expected =
                effect.clears ? 0
                : depth < effect.needs
                    ? depth
                    : depth - std::min<size_t>(effect.takes, depth) + effect.leaves;
            EXPECT_EQ(evaluator.LastDepth(), expected) << std::wstring(script).c_str();
        }
    }
}

TEST(GaugeScriptTest, TokensOtherThanWordsAreClassedAsTheEvaluatorTreatsThem) {
    using Class = CGaugeScript::TokenClass;
    struct Case {
        const wchar_t* token;
        Class tokenClass;
        size_t depthAfterTrue;   // evaluated after "1": the depth it leaves
        size_t depthAfterFalse;  // evaluated after "0" ("if{": not taken; "els{" sees no "if{")
    };
    const Case cases[] = {
        {L"12", Class::Number, 2, 2},
        {L"(A:sim/x,knots)", Class::VariableRead, 2, 2},
        {L"(&gt;A:sim/x,knots)", Class::VariableWrite, 1, 1},
        {L"if{ 5 }", Class::IfBlock, 1, 0},
        {L"els{ 5 }", Class::ElseBlock, 2, 2},
        {L"0.5", Class::Skipped, 1, 1},
        {L"-3", Class::Skipped, 1, 1},
        {L">", Class::Skipped, 1, 1},
        {L"If{ 5 }", Class::Skipped, 1, 1},
    };
    for (const Case& c : cases) {
        const CGaugeScript::TokenInfo info = CGaugeScript::Classify(c.token);
        EXPECT_EQ(info.tokenClass, c.tokenClass) << c.token;
        for (const bool taken : {true, false}) {
            CGaugeScript evaluator(nullptr);
            evaluator.Evaluate(std::wstring(taken ? L"1 " : L"0 ") + c.token);
            const size_t depth = evaluator.LastDepth();
            EXPECT_EQ(depth, taken ? c.depthAfterTrue : c.depthAfterFalse)
                << c.token << (taken ? " after 1" : " after 0");
            // The effect covers what happened: skipped below needs, else taken and left.
            const auto& e = info.effect;
            const size_t applied = 1 - std::min<size_t>(e.takes, 1) + e.leaves;
            EXPECT_TRUE(depth == applied || (e.sometimes && depth == applied - e.leaves))
                << c.token;
        }
    }
}

}  // namespace
