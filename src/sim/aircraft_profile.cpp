#include "sim/aircraft_profile.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "sim/sim_registry.h"
#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr std::wstring_view kElementNames =
    L"Match, Command, DataRef, Condition, Lamp, GaugeList and Knobs";
// The attributes that carry a condition's test, in the order of CLampCondition::Test.
constexpr std::wstring_view kTests[] = {L"Above", L"Below", L"Equal", L"BitSet"};
constexpr uint32_t kMostFastTurnMs = 2000;
constexpr uint32_t kMostSteps = 50;

std::wstring Quote(std::wstring_view text) {
    return L"\"" + std::wstring(text) + L"\"";
}

// A decimal number ("0.5", "-3", "+2"); false for anything else, blanks around it allowed.
bool ParseNumber(std::wstring_view text, double& value) {
    const std::string narrow = UTILITY::ToUtf8(PLATFORM::TrimXmlWhiteSpace(text));
    const char* first = narrow.data();
    const char* last = first + narrow.size();
    if (first != last && *first == '+') {
        ++first;
    }
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last && first != last;
}

bool ParseWhole(std::wstring_view text, int64_t& value) {
    const std::string narrow = UTILITY::ToUtf8(PLATFORM::TrimXmlWhiteSpace(text));
    const char* last = narrow.data() + narrow.size();
    const auto result = std::from_chars(narrow.data(), last, value);
    return result.ec == std::errc() && result.ptr == last && !narrow.empty();
}

// "path", "path[3]" or (allowRange) "path[0-3]": the path and the first and last elements (-1
// for none). False when the text is none of these.
bool ParseElements(std::wstring_view text, bool allowRange, std::string& path, int32_t& first,
                   int32_t& last) {
    first = last = -1;
    const size_t open = text.find(L'[');
    const std::wstring_view name = text.substr(0, open);
    if (name.empty() || name.find_first_of(L" \t\r\n]") != std::wstring_view::npos) {
        return false;
    }
    path = UTILITY::ToUtf8(name);
    if (open == std::wstring_view::npos) {
        return true;
    }
    if (text.back() != L']') {
        return false;
    }
    const std::wstring_view inside = text.substr(open + 1, text.size() - open - 2);
    const size_t dash = inside.find(L'-');
    if (dash != std::wstring_view::npos && !allowRange) {
        return false;
    }
    int64_t from = 0;
    int64_t to = 0;
    if (!ParseWhole(inside.substr(0, dash), from) ||
        (dash != std::wstring_view::npos && !ParseWhole(inside.substr(dash + 1), to))) {
        return false;
    }
    if (dash == std::wstring_view::npos) {
        to = from;
    }
    if (from < 0 || to < 0 || from > 65535 || to > 65535) {
        return false;
    }
    first = static_cast<int32_t>(from);
    last = static_cast<int32_t>(to);
    return true;
}

// Letters A to Z compared without regard to case.
char32_t Folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char32_t>(c - 'A' + 'a') : static_cast<char32_t>(c);
}

bool EqualFolded(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Folded(x) == Folded(y);
           });
}

// Paths compare with '\' and '/' alike.
char32_t PathFolded(char c) {
    return c == '\\' ? U'/' : Folded(c);
}

bool ContainsFolded(std::string_view text, std::string_view part) {
    if (part.empty()) {
        return false;
    }
    const auto found = std::search(text.begin(), text.end(), part.begin(), part.end(),
                                   [](char x, char y) { return PathFolded(x) == PathFolded(y); });
    return found != text.end();
}

std::string TrimmedUtf8(std::wstring_view text) {
    return UTILITY::ToUtf8(PLATFORM::TrimXmlWhiteSpace(text));
}

// Reports each attribute of the index-th element that is not among known.
void CheckAttributes(const CXmlLines& lines, size_t index, std::wstring_view element,
                     std::initializer_list<std::wstring_view> known,
                     std::vector<ProfileProblem>& problems) {
    std::wstring knownText;
    for (const std::wstring_view name : known) {
        knownText += (knownText.empty() ? L"" : L", ") + std::wstring(name);
    }
    for (const std::wstring& name : lines.AttributesAt(index)) {
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            problems.push_back({lines.LineAt(index), false,
                                L"the attribute " + name + L" is not read: " +
                                    std::wstring(element) + L" reads " + knownText,
                                ProfileProblem::Kind::UnknownAttribute, name});
        }
    }
}

}  // namespace

CAircraftProfile::~CAircraftProfile() = default;

std::unique_ptr<CAircraftProfile> CAircraftProfile::Read(const std::filesystem::path& file,
                                                         std::wstring shown) {
    std::unique_ptr<CAircraftProfile> profile(new CAircraftProfile());
    profile->file_ = file;
    profile->shown_ = std::move(shown);
    profile->name_ = UTILITY::WideOfPath(file.stem());
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in) {
        profile->Problem(0, L"the file cannot be read, so the profile is not used");
        return profile;
    }
    if (const PLATFORM::XmlStatus created = profile->document_.Create(); !created) {
        profile->Problem(0, L"the XML reader cannot be made: " + created.message);
        return profile;
    }
    if (const PLATFORM::XmlStatus loaded = profile->document_.LoadFile(UTILITY::WideOfPath(file));
        !loaded) {
        profile->Problem(
            loaded.line,
            L"the file does not read as XML, so the profile is not used: " + loaded.message);
        return profile;
    }
    profile->lines_.ReadBytes(bytes, profile->document_);
    profile->ReadRoot(profile->document_.DocumentElement());
    return profile;
}

void CAircraftProfile::Problem(uint32_t line, std::wstring text, bool warning,
                               ProfileProblem::Kind kind, std::wstring subject) {
    problems_.push_back({line, warning, std::move(text), kind, std::move(subject)});
}

void CAircraftProfile::ReadRoot(const PLATFORM::CXmlNode& root) {
    const uint32_t rootLine = lines_.LineAt(0);
    if (root.Name() != kRootName) {
        Problem(rootLine,
                L"the root element is " + root.Name() +
                    L": a profile is an AircraftProfile element, so the file is not used");
        return;
    }
    readable_ = true;
    CheckAttributes(lines_, 0, kRootName, {L"Name"}, problems_);
    if (const std::optional<std::wstring> name = root.GetAttribute(L"Name");
        name && !name->empty()) {
        name_ = *name;
    }
    size_t index = 0;  // of the child in document order
    for (const PLATFORM::CXmlNode& child : root.Children()) {
        if (child.Type() != PLATFORM::XmlNodeType::Element) {
            if (child.Type() == PLATFORM::XmlNodeType::Text ||
                child.Type() == PLATFORM::XmlNodeType::CData) {
                Problem(rootLine, L"text directly inside the AircraftProfile is not read", true);
            }
            continue;
        }
        ++index;
        const uint32_t line = lines_.LineAt(index);
        const std::wstring name = child.Name();
        if (name == L"Match") {
            CheckAttributes(lines_, index, name, {L"File", L"PathContains", L"Icao"}, problems_);
            ReadMatch(child, line);
        } else if (name == L"Command" || name == L"DataRef") {
            CheckAttributes(lines_, index, name, {L"Path", L"Use"}, problems_);
            ReadUse(child, line, name == L"Command");
        } else if (name == L"Condition") {
            CheckAttributes(
                lines_, index, name,
                {L"Name", L"DataRef", L"Elements", L"Above", L"Below", L"Equal", L"BitSet"},
                problems_);
            ReadCondition(child, line);
        } else if (name != L"Lamp" && name != L"GaugeList" && name != L"Knobs") {
            Problem(line,
                    L"the element " + name + L" is not read: a profile holds " +
                        std::wstring(kElementNames),
                    false, ProfileProblem::Kind::UnknownElement, name);
        }
        index += CountElements(child);
    }
    ReadKnobs(root, lines_, knobs_, problems_);
}

void CAircraftProfile::ReadMatch(const PLATFORM::CXmlNode& element, uint32_t line) {
    Match match;
    match.line = line;
    bool asked = false;
    bool empty = false;
    for (const auto& [attribute, value] :
         {std::pair{L"File", &match.file}, std::pair{L"PathContains", &match.pathContains},
          std::pair{L"Icao", &match.icao}}) {
        if (const std::optional<std::wstring> text = element.GetAttribute(attribute)) {
            asked = true;
            *value = PLATFORM::TrimXmlWhiteSpace(*text);
            empty = empty || value->empty();
        }
    }
    if (!asked) {
        Problem(line, L"a Match without File, PathContains or Icao matches no aircraft");
    } else if (empty) {
        Problem(line, L"a Match with an empty text matches no aircraft");
    } else {
        matches_.push_back(std::move(match));
    }
}

void CAircraftProfile::ReadUse(const PLATFORM::CXmlNode& element, uint32_t line, bool command) {
    const std::wstring kind = command ? L"Command" : L"DataRef";
    const std::optional<std::wstring> path = element.GetAttribute(L"Path");
    const std::optional<std::wstring> target = element.GetAttribute(L"Use");
    if (!path || !target) {
        Problem(line,
                L"a " + kind + L" without " + (path ? L"Use" : L"Path") + L" replaces nothing");
        return;
    }
    Use use;
    use.command = command;
    use.line = line;
    use.path = TrimmedUtf8(*path);
    if (command) {
        const auto rows = SimCommandPaths();
        for (size_t i = 0; i < rows.size(); ++i) {
            if (use.path == rows[i].path) {
                use.rows.push_back(i);
            }
        }
    } else {
        const auto rows = SimDataRefPaths();
        for (size_t i = 0; i < rows.size(); ++i) {
            if (use.path == rows[i].path) {
                use.rows.push_back(i);
            }
        }
    }
    if (use.rows.empty()) {
        const auto other = [&](auto rows) {
            return std::any_of(rows.begin(), rows.end(),
                               [&](const auto& row) { return use.path == row.path; });
        };
        const bool otherKind = command ? other(SimDataRefPaths()) : other(SimCommandPaths());
        const std::wstring shown = Quote(PLATFORM::TrimXmlWhiteSpace(*path));
        if (otherKind) {
            Problem(line, shown + L" is a " + (command ? L"dataref" : L"command") +
                              L" the panels use, not a " + (command ? L"command" : L"dataref") +
                              L": write it as a " + (command ? L"DataRef" : L"Command") +
                              L"; nothing is replaced");
        } else {
            Problem(line,
                    shown + L" is not a " + (command ? L"command" : L"dataref") +
                        L" the panels use, so nothing is replaced",
                    false,
                    command ? ProfileProblem::Kind::UnknownCommand
                            : ProfileProblem::Kind::UnknownDataRef,
                    std::wstring(PLATFORM::TrimXmlWhiteSpace(*path)));
        }
        return;
    }
    int32_t last = -1;
    const std::wstring useText(PLATFORM::TrimXmlWhiteSpace(*target));
    if (!ParseElements(useText, false, use.target, use.element, last) ||
        (command && use.element >= 0)) {
        Problem(line, L"the Use " + Quote(useText) + L" is not " +
                          (command ? L"a command path" : L"a dataref path or PATH[ELEMENT]") +
                          L", so nothing is replaced");
        return;
    }
    if (use.target == use.path && use.element < 0) {
        Problem(line, L"the Use names the path it replaces: nothing changes", true);
    }
    for (const Use& earlier : uses_) {
        if (earlier.command != command || earlier.path != use.path) {
            continue;
        }
        if (earlier.target == use.target && earlier.element == use.element) {
            Problem(line, L"this repeats line " + std::to_wstring(earlier.line), true);
        } else {
            Problem(line, Quote(PLATFORM::TrimXmlWhiteSpace(*path)) + L" is replaced at line " +
                              std::to_wstring(earlier.line) +
                              L" too: this later one applies, the one at line " +
                              std::to_wstring(earlier.line) + L" does not");
        }
    }
    uses_.push_back(std::move(use));
}

void CAircraftProfile::ReadCondition(const PLATFORM::CXmlNode& element, uint32_t line) {
    CLampCondition condition;
    condition.line = line;
    const std::optional<std::wstring> name = element.GetAttribute(L"Name");
    if (!name || PLATFORM::TrimXmlWhiteSpace(*name).empty()) {
        Problem(line, L"a Condition without Name cannot be programmed on a lens");
        return;
    }
    condition.name = PLATFORM::TrimXmlWhiteSpace(*name);
    for (const CLampCondition& earlier : conditions_) {
        if (earlier.name == condition.name) {
            Problem(line, L"the condition " + Quote(condition.name) + L" is defined at line " +
                              std::to_wstring(earlier.line) + L" already: this one is ignored");
            return;
        }
    }
    const std::optional<std::wstring> dataRef = element.GetAttribute(L"DataRef");
    if (!dataRef) {
        Problem(line,
                L"the condition " + Quote(condition.name) + L" has no DataRef: it is ignored");
        return;
    }
    const std::wstring dataRefText(PLATFORM::TrimXmlWhiteSpace(*dataRef));
    if (!ParseElements(dataRefText, true, condition.path, condition.first, condition.last) ||
        condition.last < condition.first) {
        Problem(line, L"the DataRef " + Quote(dataRefText) +
                          L" is not PATH, PATH[ELEMENT] or PATH[FIRST-LAST]: the condition " +
                          Quote(condition.name) + L" is ignored");
        return;
    }
    if (condition.last - condition.first >= CLampCondition::kMostElements) {
        Problem(line, L"the condition " + Quote(condition.name) + L" spans more than " +
                          std::to_wstring(CLampCondition::kMostElements) +
                          L" elements: it is ignored");
        return;
    }
    if (const std::optional<std::wstring> elements = element.GetAttribute(L"Elements")) {
        if (*elements != L"any" && *elements != L"all") {
            Problem(line, L"Elements is " + Quote(*elements) +
                              L", neither \"any\" nor \"all\": the condition " +
                              Quote(condition.name) + L" is ignored");
            return;
        }
        condition.all = *elements == L"all";
        if (condition.first == condition.last) {
            Problem(line,
                    L"Elements says how a run of elements (PATH[FIRST-LAST]) passes; the "
                    L"DataRef names one value",
                    true);
        }
    }
    size_t tests = 0;
    for (size_t i = 0; i < std::size(kTests); ++i) {
        const std::optional<std::wstring> text = element.GetAttribute(kTests[i]);
        if (!text) {
            continue;
        }
        ++tests;
        condition.test = static_cast<CLampCondition::Test>(i);
        const bool bit = condition.test == CLampCondition::Test::BitSet;
        int64_t whole = 0;
        if (bit ? !ParseWhole(*text, whole) || whole < 0 || whole > 31
                : !ParseNumber(*text, condition.value)) {
            Problem(line, std::wstring(kTests[i]) + L" is " + Quote(*text) + L", not " +
                              (bit ? L"a bit number 0 to 31" : L"a number") + L": the condition " +
                              Quote(condition.name) + L" is ignored");
            return;
        }
        if (bit) {
            condition.value = static_cast<double>(whole);
        }
    }
    if (tests != 1) {
        Problem(line, L"the condition " + Quote(condition.name) +
                          (tests == 0 ? L" has no test" : L" has more than one test") +
                          L" (one of Above, Below, Equal or BitSet): it is ignored");
        return;
    }
    conditions_.push_back(std::move(condition));
}

void CAircraftProfile::ReadKnobs(const PLATFORM::CXmlNode& parent, const CXmlLines& lines,
                                 Knobs& knobs, std::vector<ProfileProblem>& problems) {
    std::vector<PLATFORM::CXmlNode> elements;
    parent.SelectNodes(L"Knobs", elements);
    uint32_t tunerLine = 0;
    uint32_t autoflightLine = 0;
    for (const PLATFORM::CXmlNode& element : elements) {
        const size_t index = lines.IndexOf(element);
        const uint32_t line = lines.LineAt(index);
        CheckAttributes(lines, index, L"Knobs", {L"Acceleration", L"FastTurn", L"Steps", L"Panel"},
                        problems);
        const auto problem = [&](std::wstring text, bool warning = false) {
            problems.push_back({line, warning, std::move(text)});
        };
        KnobSettings settings;
        const std::optional<std::wstring> acceleration = element.GetAttribute(L"Acceleration");
        if (!acceleration || (*acceleration != L"on" && *acceleration != L"off")) {
            problem(L"Knobs wants Acceleration \"on\" or \"off\"" +
                    (acceleration ? L", not " + Quote(*acceleration) : std::wstring()) +
                    L": the element is ignored");
            continue;
        }
        settings.acceleration = *acceleration == L"on";
        bool valid = true;
        for (const auto& [attribute, value, least, most] :
             {std::tuple{L"FastTurn", &settings.fastTurnMs, 1u, kMostFastTurnMs},
              std::tuple{L"Steps", &settings.steps, 2u, kMostSteps}}) {
            const std::optional<std::wstring> text = element.GetAttribute(attribute);
            int64_t whole = 0;
            if (!text) {
                continue;
            }
            if (!ParseWhole(*text, whole) || whole < least || whole > most) {
                problem(std::wstring(attribute) + L" is " + Quote(*text) + L", not " +
                        std::to_wstring(least) + L" to " + std::to_wstring(most) +
                        L": the element is ignored");
                valid = false;
                break;
            }
            *value = static_cast<uint32_t>(whole);
        }
        const std::optional<std::wstring> panel = element.GetAttribute(L"Panel");
        if (panel && *panel != L"Tuner" && *panel != L"Autoflight") {
            problem(L"Panel is " + Quote(*panel) +
                    L", neither \"Tuner\" nor \"Autoflight\": the element is ignored");
            valid = false;
        }
        if (!valid) {
            continue;
        }
        const bool tuner = !panel || *panel == L"Tuner";
        const bool autoflight = !panel || *panel == L"Autoflight";
        for (const auto& [applies, slot, lineOf] :
             {std::tuple{tuner, &knobs.tuner, &tunerLine},
              std::tuple{autoflight, &knobs.autoflight, &autoflightLine}}) {
            if (!applies) {
                continue;
            }
            if (*lineOf != 0) {
                problem(L"the knobs of the " +
                            std::wstring(slot == &knobs.tuner ? L"tuner" : L"autoflight") +
                            L" panel are set at line " + std::to_wstring(*lineOf) +
                            L" already: this later one applies",
                        true);
            }
            *slot = settings;
            *lineOf = line;
        }
    }
}

bool CAircraftProfile::Holds(const Match& match, const AircraftIdentity& aircraft) {
    if (!match.file.empty() && !EqualFolded(UTILITY::ToUtf8(match.file), aircraft.fileName)) {
        return false;
    }
    if (!match.pathContains.empty() &&
        !ContainsFolded(aircraft.path, UTILITY::ToUtf8(match.pathContains))) {
        return false;
    }
    if (!match.icao.empty() && !EqualFolded(UTILITY::ToUtf8(match.icao), aircraft.icao)) {
        return false;
    }
    return !match.file.empty() || !match.pathContains.empty() || !match.icao.empty();
}

const CAircraftProfile::Match* CAircraftProfile::MatchFor(const AircraftIdentity& aircraft,
                                                          bool own) const {
    static const Match kAnyInFolder{};
    if (!readable_) {
        return nullptr;
    }
    if (own && matches_.empty()) {
        return &kAnyInFolder;
    }
    for (const Match& match : matches_) {
        if (Holds(match, aircraft)) {
            return &match;
        }
    }
    return nullptr;
}

void CAircraftProfile::Report(int keyword, uint32_t line, const std::wstring& text) const {
    {
        std::lock_guard hold(reportedLock_);
        if (!reported_.emplace(line, text).second) {
            return;
        }
    }
    if (line == 0) {
        TraceWrite(kTraceFailure, keyword, kTraceMessage,
                   L"Failed in reading the aircraft profile %s: %s", shown_, text);
        return;
    }
    // The line is part of the format: the simulator's log limits how often one format comes,
    // and each line of a profile is a message of its own.
    const std::wstring format = L"The aircraft profile %s, line " + std::to_wstring(line) + L": %s";
    TraceWrite(kTraceFailure, keyword, kTraceMessage, format.c_str(), shown_, text);
}

void CAircraftProfile::ReportProblems(int keyword) const {
    for (const ProfileProblem& problem : problems_) {
        if (!problem.warning) {
            Report(keyword, problem.line, problem.text);
        }
    }
}

}  // namespace XPL
