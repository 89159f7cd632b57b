// The scenario language of the virtual cockpit: one command per line, words separated by blanks,
// double-quoted words with \" \\ \xHH escapes (any other backslash stands for itself), "#"
// comment lines. The parser reads a whole file before anything runs, so a syntax error never
// leaves a half-played scenario behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace XPL::SIMTOOL {

struct Token {
    std::string text;  // unescaped
    bool quoted = false;
};

struct Command {
    int line = 0;
    std::string verb;
    std::vector<Token> args;
};

struct ScenarioError {
    int line = 0;
    std::string message;
};

// A number as the language writes it: decimal, or 0x hexadecimal (integers only).
std::optional<int64_t> ParseInteger(const std::string& text);
std::optional<double> ParseReal(const std::string& text);
// A trace keyword mask: a number as above, or 0x with up to 16 hex digits.
std::optional<uint64_t> ParseKeywords(const std::string& text);
// "serial=TEXT" or "pdo=TEXT" of `attach` (quoted or not).
bool IsAttachOption(const std::string& word);

// Quotes a word when it needs it, escaping as the journal does.
std::string QuoteWord(const std::string& text);

class CScenarioParser {
public:
    // Splits one line into words; false with message on a malformed quoted word.
    static bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& message);
    // Parses and checks every line; false with the first error.
    static bool Parse(const std::string& text, std::vector<Command>& commands,
                      ScenarioError& error);
    // Checks one command's words against its verb; empty when it is well formed.
    static std::optional<ScenarioError> Check(const Command& command);
};

}  // namespace XPL::SIMTOOL
