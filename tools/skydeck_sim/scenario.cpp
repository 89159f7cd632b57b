#include "scenario.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

namespace XPL::SIMTOOL {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

const std::set<std::string> kDeviceKinds = {"autoflight", "tuner", "toggle",      "lamp",
                                            "screen",     "hotas", "unsupported", "foreign"};
const std::set<std::string> kFaults = {
    "open",         "overlapped",   "attributes", "preparsed", "caps",  "pending", "readstart",
    "read",         "usages",       "feature",    "serial",    "write", "reply",   "ioctl",
    "ioctlpending", "writepending", "extrabytes", "slow",      "stuck"};
// Journal kinds an `expect EVENT` may name (`led` and `line` name what a display shows now).
const std::set<std::string> kEventKinds = {"cmd",     "set",     "key",      "joy",      "speak",
                                           "log",     "input",   "trace",    "attached", "removed",
                                           "feature", "picture", "protocol", "waited"};

ScenarioError Error(const Command& command, const std::string& message) {
    return ScenarioError{command.line, message};
}

// An integer word within [low, high].
bool InRange(const Token& token, int64_t low, int64_t high) {
    const auto value = ParseInteger(token.text);
    return value && *value >= low && *value <= high;
}

bool IsColour(const std::string& text) {
    return text.size() == 6 &&
           std::all_of(text.begin(), text.end(), [](char c) { return HexDigit(c) >= 0; });
}

// Journal lines and device paths hold the name as one word.
bool IsDeviceName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return c > 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '#';
    });
}

bool IsOnOff(const Token& token) {
    return token.text == "on" || token.text == "off";
}

bool AllIntegers(const std::vector<Token>& args, size_t from) {
    for (size_t i = from; i < args.size(); ++i) {
        if (!ParseInteger(args[i].text)) {
            return false;
        }
    }
    return true;
}

bool AllReals(const std::vector<Token>& args, size_t from) {
    for (size_t i = from; i < args.size(); ++i) {
        if (!ParseReal(args[i].text)) {
            return false;
        }
    }
    return true;
}

bool AllUsages(const std::vector<Token>& args, size_t from) {
    for (size_t i = from; i < args.size(); ++i) {
        const auto value = ParseInteger(args[i].text);
        if (!value || *value < 1 || *value > 0xFFFF) {
            return false;
        }
    }
    return true;
}

bool AllBytes(const std::vector<Token>& args, size_t from) {
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& t = args[i].text;
        if (t.size() != 2 || HexDigit(t[0]) < 0 || HexDigit(t[1]) < 0) {
            return false;
        }
    }
    return true;
}

std::optional<ScenarioError> CheckExpect(const Command& command) {
    const auto& a = command.args;
    if (a.empty()) {
        return Error(command, "expect needs an event or an expectation");
    }
    const std::string& what = a[0].text;
    if (what == "no") {
        if (a.size() < 2 || a.size() > 3) {
            return Error(command, "usage: expect no KIND [NAME]");
        }
        return std::nullopt;
    }
    if (what == "count") {
        if (a.size() < 3 || a.size() > 4 || !ParseInteger(a.back().text) ||
            *ParseInteger(a.back().text) < 0) {
            return Error(command, "usage: expect count KIND [NAME] N");
        }
        return std::nullopt;
    }
    if (what == "report") {
        if (a.size() < 2 || !AllBytes(a, 2)) {
            return Error(command, "usage: expect report NAME HH... (two-digit hex bytes)");
        }
        return std::nullopt;
    }
    if (what == "dataref") {
        if (a.size() < 2 || !AllReals(a, 2)) {
            return Error(command, "usage: expect dataref PATH V...");
        }
        return std::nullopt;
    }
    if (what == "led") {
        if (a.size() != 4 || !InRange(a[2], 0, 8) || !IsOnOff(a[3])) {
            return Error(command, "usage: expect led NAME N on|off (N 0 to 8)");
        }
        return std::nullopt;
    }
    if (what == "line") {
        if (a.size() != 4 || !InRange(a[2], 0, 2)) {
            return Error(command, "usage: expect line NAME N \"TEXT\" (N 0 to 2)");
        }
        return std::nullopt;
    }
    if (what == "pixel") {
        if (a.size() != 5 || !InRange(a[2], 0, 319) || !InRange(a[3], 0, 239) ||
            !IsColour(a[4].text)) {
            return Error(command, "usage: expect pixel NAME X Y RRGGBB (X 0 to 319, Y 0 to 239)");
        }
        return std::nullopt;
    }
    if (what == "picture") {
        if (a.size() != 3 || !InRange(a[2], 1, 0x7FFFFFFFFFFFFFFF)) {
            return Error(command, "usage: expect picture NAME N (N from 1)");
        }
        return std::nullopt;
    }
    if (what == "trace") {
        if (a.size() == 2) {
            return std::nullopt;  // expect trace "TEXT"
        }
        const auto level = a.size() >= 3 ? ParseInteger(a[1].text) : std::nullopt;
        if (!level || *level < 0 || *level > 255 || !ParseKeywords(a[2].text)) {
            return Error(command,
                         "usage: expect trace \"TEXT\" or expect trace LEVEL KEYWORD TEXT");
        }
        return std::nullopt;
    }
    if (kEventKinds.count(what) == 0) {
        return Error(command, "unknown journal kind \"" + what + "\"");
    }
    if (what == "feature" && (a.size() < 2 || !AllBytes(a, 2))) {
        return Error(command, "usage: expect feature NAME HH...");
    }
    return std::nullopt;
}

}  // namespace

std::optional<int64_t> ParseInteger(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const char* begin = text.c_str();
    const bool negative = *begin == '-';
    const char* digits = negative || *begin == '+' ? begin + 1 : begin;
    const bool hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (!hex && (digits[0] < '0' || digits[0] > '9')) {
        return std::nullopt;
    }
    if (hex && HexDigit(digits[2]) < 0) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long magnitude =
        std::strtoull(hex ? digits + 2 : digits, &end, hex ? 16 : 10);
    if (*end != '\0' || errno != 0 || magnitude > 0x7FFFFFFFFFFFFFFFull) {
        return std::nullopt;
    }
    const auto value = static_cast<int64_t>(magnitude);
    return negative ? -value : value;
}

std::optional<uint64_t> ParseKeywords(const std::string& text) {
    if (const auto value = ParseInteger(text)) {
        return static_cast<uint64_t>(*value);
    }
    // A mask with the top bit set is still a mask.
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (!hex || HexDigit(text[2]) < 0) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str() + 2, &end, 16);
    if (*end != '\0' || errno != 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(value);
}

bool IsAttachOption(const std::string& word) {
    return word.rfind("serial=", 0) == 0 || word.rfind("pdo=", 0) == 0;
}

std::optional<double> ParseReal(const std::string& text) {
    if (const auto integer = ParseInteger(text)) {
        return static_cast<double>(*integer);
    }
    if (text.empty() || text.find_first_of("xXnN") != std::string::npos) {
        return std::nullopt;  // no hex floats, inf or nan
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0') {
        return std::nullopt;
    }
    return value;
}

std::string QuoteWord(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c > 0x7E) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02X", c);
            out += hex;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

bool CScenarioParser::Tokenize(const std::string& line, std::vector<Token>& tokens,
                               std::string& message) {
    tokens.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        Token token;
        if (line[i] != '"') {
            while (i < line.size() && !IsBlank(line[i])) {
                token.text += line[i++];
            }
            tokens.push_back(std::move(token));
            continue;
        }
        token.quoted = true;
        ++i;
        bool closed = false;
        while (i < line.size()) {
            const char c = line[i++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c != '\\') {
                token.text += c;
                continue;
            }
            const char e = line[i];
            if (e == '"' || e == '\\') {
                token.text += e;
                ++i;
            } else if (e == 'x' && i + 2 < line.size() && HexDigit(line[i + 1]) >= 0 &&
                       HexDigit(line[i + 2]) >= 0) {
                token.text += static_cast<char>(HexDigit(line[i + 1]) * 16 + HexDigit(line[i + 2]));
                i += 3;
            } else {
                // Any other backslash is itself, so a Windows path copied from a trace line
                // reads as written.
                token.text += '\\';
            }
        }
        if (!closed) {
            message = "unterminated quoted word";
            return false;
        }
        if (i < line.size() && !IsBlank(line[i])) {
            message = "a quoted word must be followed by a blank";
            return false;
        }
        tokens.push_back(std::move(token));
    }
    return true;
}

bool CScenarioParser::Parse(const std::string& text, std::vector<Command>& commands,
                            ScenarioError& error) {
    commands.clear();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        std::vector<Token> tokens;
        std::string message;
        if (!Tokenize(line, tokens, message)) {
            error = ScenarioError{number, message};
            return false;
        }
        Command command;
        command.line = number;
        if (tokens[0].quoted) {
            error = ScenarioError{number, "a command begins with an unquoted word"};
            return false;
        }
        command.verb = tokens[0].text;
        command.args.assign(tokens.begin() + 1, tokens.end());
        if (const auto problem = Check(command)) {
            error = *problem;
            return false;
        }
        commands.push_back(std::move(command));
    }
    return true;
}

std::optional<ScenarioError> CScenarioParser::Check(const Command& command) {
    const auto& v = command.verb;
    const auto& a = command.args;
    const size_t n = a.size();
    if (v == "attach") {
        if (n < 1 || kDeviceKinds.count(a[0].text) == 0) {
            return Error(command,
                         "usage: attach KIND [NAME] [serial=TEXT] [pdo=TEXT], KIND one "
                         "of autoflight tuner toggle lamp screen hotas unsupported foreign");
        }
        bool named = false;
        for (size_t i = 1; i < n; ++i) {
            const std::string& t = a[i].text;
            if (IsAttachOption(t)) {
                continue;
            }
            if (named) {
                return Error(command, "unexpected word \"" + t + "\" after attach");
            }
            if (!IsDeviceName(t)) {
                return Error(command, "a device name is one word without \" \\ # or blanks");
            }
            named = true;
        }
        return std::nullopt;
    }
    if (v == "aircraft") {
        if (n < 1 || n > 2 || (n == 2 && a[1].text.rfind("icao=", 0) != 0)) {
            return Error(command, "usage: aircraft FILE [icao=TYPE]");
        }
        return std::nullopt;
    }
    if (v == "detach" || v == "unknown" || v == "publish") {
        if (n != 1) {
            return Error(command, "usage: " + v + (v == "detach" ? " NAME" : " PATH"));
        }
        return std::nullopt;
    }
    if (v == "fault") {
        std::string what = n == 3 ? a[1].text : "";
        if (what.rfind("hid.", 0) == 0 || what.rfind("link.", 0) == 0) {
            what = what.substr(what.find('.') + 1);
        }
        if (n != 3 || kFaults.count(what) == 0 || !IsOnOff(a[2])) {
            return Error(command, "usage: fault NAME WHAT on|off (see the README for WHAT)");
        }
        return std::nullopt;
    }
    if (v == "int" || v == "float") {
        if (n != 2 || !(v == "int" ? AllIntegers(a, 1) : AllReals(a, 1))) {
            return Error(command, "usage: " + v + " PATH V");
        }
        return std::nullopt;
    }
    if (v == "ints" || v == "floats") {
        if (n < 1 || !(v == "ints" ? AllIntegers(a, 1) : AllReals(a, 1))) {
            return Error(command, "usage: " + v + " PATH V...");
        }
        return std::nullopt;
    }
    if (v == "model") {
        if (n != 1 || !IsOnOff(a[0])) {
            return Error(command, "usage: model on|off");
        }
        return std::nullopt;
    }
    if (v == "start" || v == "stop" || v == "enable" || v == "disable" || v == "forget") {
        if (n != 0) {
            return Error(command, v + " takes no words");
        }
        return std::nullopt;
    }
    if (v == "frames" || v == "wait") {
        const auto value = n == 1 ? ParseInteger(a[0].text) : std::nullopt;
        if (!value || *value < 0 || *value > 0x7FFFFFFF) {
            return Error(command, "usage: " + v + (v == "frames" ? " N" : " MS"));
        }
        return std::nullopt;
    }
    if (v == "trace") {
        const auto level = n == 2 ? ParseInteger(a[0].text) : std::nullopt;
        if (!level || *level < 0 || *level > 255 || !ParseKeywords(a[1].text)) {
            return Error(command, "usage: trace LEVEL KEYWORDS");
        }
        return std::nullopt;
    }
    if (v == "on" || v == "off" || v == "report" || v == "press") {
        const bool countOk = v == "press" ? n == 2 : n >= 1;
        if (!countOk || !AllUsages(a, 1)) {
            return Error(command, "usage: " + v + " NAME USAGE" + (v == "press" ? "" : "..."));
        }
        return std::nullopt;
    }
    if (v == "expect") {
        return CheckExpect(command);
    }
    if (v == "save") {
        if (n != 2) {
            return Error(command, "usage: save NAME FILE");
        }
        return std::nullopt;
    }
    return Error(command, "unknown command \"" + v + "\"");
}

}  // namespace XPL::SIMTOOL
