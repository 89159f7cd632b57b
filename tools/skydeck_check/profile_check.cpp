#include "profile_check.h"

#include <algorithm>
#include <cstdio>

#include "lens_check.h"
#include "panels/lamp_panel.h"
#include "sim/aircraft_profiles.h"
#include "sim/sim_registry.h"
#include "spelling.h"

namespace XPL::CHECKTOOL {

namespace {

std::wstring Quote(std::wstring_view text) {
    return L"\"" + std::wstring(text) + L"\"";
}

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) {
        c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c == L'\\' ? L'/' : c;
    }
    return lower;
}

// Whether every aircraft that later serves is served by earlier too.
bool Implies(const CAircraftProfile::Match& later, const CAircraftProfile::Match& earlier) {
    const auto same = [](const std::wstring& a, const std::wstring& b) {
        return Lower(a) == Lower(b);
    };
    if (!earlier.file.empty() && !same(later.file, earlier.file)) {
        return false;
    }
    if (!earlier.icao.empty() && !same(later.icao, earlier.icao)) {
        return false;
    }
    if (!earlier.pathContains.empty()) {
        const std::wstring part = Lower(earlier.pathContains);
        // The path ends in the file's name, so a file name holding the part implies it too.
        const bool implied =
            (!later.pathContains.empty() &&
             Lower(later.pathContains).find(part) != std::wstring::npos) ||
            (!later.file.empty() && Lower(later.file).find(part) != std::wstring::npos);
        if (!implied) {
            return false;
        }
    }
    return true;
}

std::wstring DescribeMatch(const CAircraftProfile::Match& match) {
    std::wstring text;
    for (const auto& [name, value] :
         {std::pair{L"File", &match.file}, std::pair{L"PathContains", &match.pathContains},
          std::pair{L"Icao", &match.icao}}) {
        if (!value->empty()) {
            text += (text.empty() ? L"" : L" ") + std::wstring(name) + L"=" + Quote(*value);
        }
    }
    return text;
}

std::wstring Number(double value) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%g", value);
    return text;
}

std::wstring DescribeCondition(const CLampCondition& condition) {
    std::wstring test;
    switch (condition.test) {
        case CLampCondition::Test::Above:
            test = L"is above " + Number(condition.value);
            break;
        case CLampCondition::Test::Below:
            test = L"is below " + Number(condition.value);
            break;
        case CLampCondition::Test::Equal:
            test = L"equals " + Number(condition.value);
            break;
        case CLampCondition::Test::BitSet:
            test = L"has bit " + Number(condition.value) + L" set";
            break;
    }
    const std::wstring path = Widen(condition.path);
    std::wstring subject = path;
    if (condition.first != CLampCondition::kWhole && condition.first == condition.last) {
        subject = L"element " + std::to_wstring(condition.first) + L" of " + path;
    } else if (condition.first != CLampCondition::kWhole) {
        subject = std::wstring(condition.all ? L"every one" : L"any one") + L" of elements " +
                  std::to_wstring(condition.first) + L" to " + std::to_wstring(condition.last) +
                  L" of " + path;
    }
    return L"the condition " + condition.name + L" is lit while " + subject + L" " + test;
}

std::wstring DescribeKnobs(const KnobSettings& knobs) {
    if (!knobs.acceleration) {
        return L"no acceleration: every detent makes one step";
    }
    return L"acceleration: a detent less than " + std::to_wstring(knobs.fastTurnMs) +
           L" ms after the one before, turned the same way, makes " + std::to_wstring(knobs.steps) +
           L" steps";
}

}  // namespace

void CProfileCheck::AddProblems(const CAircraftProfile& profile, const std::string& shown,
                                CFindings& findings) {
    for (const ProfileProblem& problem : profile.Problems()) {
        std::wstring text = problem.text;
        std::wstring suggested;
        if (problem.kind == ProfileProblem::Kind::UnknownElement) {
            suggested = SuggestedName(
                problem.subject,
                {L"Match", L"Command", L"DataRef", L"Condition", L"Lamp", L"GaugeList", L"Knobs"});
        } else if (problem.kind == ProfileProblem::Kind::UnknownCommand ||
                   problem.kind == ProfileProblem::Kind::UnknownDataRef) {
            std::vector<std::wstring> paths;
            if (problem.kind == ProfileProblem::Kind::UnknownCommand) {
                for (const SimCommandPath& row : SimCommandPaths()) {
                    paths.push_back(Widen(row.path));
                }
            } else {
                for (const SimDataRefPath& row : SimDataRefPaths()) {
                    paths.push_back(Widen(row.path));
                }
            }
            suggested = SuggestedName(problem.subject, paths);
        }
        if (!suggested.empty()) {
            text += L" (did you mean " + Quote(suggested) + L"?)";
        }
        findings.Add(shown, problem.line, problem.warning ? Severity::Warning : Severity::Error,
                     std::move(text));
    }
}

std::shared_ptr<CAircraftProfile> CProfileCheck::CheckFile(const std::filesystem::path& file,
                                                           const std::filesystem::path& dataFolder,
                                                           bool own) {
    const std::string shown = ShownPath(file);
    findings_.Reading(shown);
    std::shared_ptr<CAircraftProfile> profile = CAircraftProfile::Read(file, WideOfPath(file));
    AddProblems(*profile, shown, findings_);
    if (!profile->Readable()) {
        return profile;
    }
    std::vector<std::wstring> conditions;
    for (const CLampCondition& condition : profile->Conditions()) {
        const auto& builtIn = CLampPanel::kTileNames;
        if (std::find(builtIn.begin(), builtIn.end(), condition.name) != builtIn.end()) {
            findings_.Error(shown, condition.line,
                            L"the condition " + condition.name +
                                L" has the name of a built-in one: the plug-in ignores it");
        } else {
            conditions.push_back(condition.name);
            if (std::find(conditionNames_.begin(), conditionNames_.end(), condition.name) ==
                conditionNames_.end()) {
                conditionNames_.push_back(condition.name);
            }
        }
    }
    CLensCheck(findings_).CheckProfile(profile->Document(), profile->Lines(), shown, conditions);
    configuration_.CheckProfile(profile->Document(), profile->Lines(), shown, dataFolder);
    if (!own && profile->Matches().empty()) {
        findings_.Warning(shown, profile->Lines().LineAt(0),
                          L"the profile has no Match, so it serves no aircraft (only an "
                          L"aircraft's own " +
                              std::wstring(CAircraftProfiles::kOwnFileName) +
                              L" serves its aircraft without one)");
    }
    return profile;
}

void CProfileCheck::CheckFolder(const std::filesystem::path& dataFolder) {
    std::vector<std::shared_ptr<CAircraftProfile>> profiles;
    for (const CAircraftProfiles::Candidate& candidate :
         CAircraftProfiles::Candidates(WideOfPath(dataFolder), {})) {
        profiles.push_back(CheckFile(candidate.file, dataFolder, false));
    }
    CheckOverlaps(profiles);
}

void CProfileCheck::CheckOverlaps(const std::vector<std::shared_ptr<CAircraftProfile>>& profiles) {
    for (size_t later = 0; later < profiles.size(); ++later) {
        for (const CAircraftProfile::Match& match : profiles[later]->Matches()) {
            for (size_t earlier = 0; earlier < later; ++earlier) {
                const auto& matches = profiles[earlier]->Matches();
                const auto first = std::find_if(matches.begin(), matches.end(),
                                                [&](const auto& m) { return Implies(match, m); });
                if (first != matches.end()) {
                    findings_.Warning(ShownPath(profiles[later]->File()), match.line,
                                      L"every aircraft this Match serves is served first by " +
                                          WideOfPath(profiles[earlier]->File().filename()) +
                                          L" (line " + std::to_wstring(first->line) +
                                          L"), which comes earlier in name order: this profile "
                                          L"never applies to them");
                    break;
                }
            }
        }
    }
}

void CProfileCheck::DescribeAircraft(const std::filesystem::path& acf,
                                     const std::filesystem::path& dataFolder) {
    AircraftIdentity aircraft;
    aircraft.fileName = ShownPath(acf.filename());
    aircraft.path = ShownPath(acf);
    aircraft.icao = ReadAcfIcao(acf);
    const std::string shownAcf = ShownPath(acf);
    findings_.Note(shownAcf, 0,
                   L"the aircraft " + Widen(aircraft.fileName) + L", ICAO type " +
                       Quote(Widen(aircraft.icao)));
    std::string applied;
    for (const CAircraftProfiles::Candidate& candidate :
         CAircraftProfiles::Candidates(WideOfPath(dataFolder), acf)) {
        const std::unique_ptr<CAircraftProfile> read =
            CAircraftProfile::Read(candidate.file, WideOfPath(candidate.file));
        const CAircraftProfile::Match* match = read->MatchFor(aircraft, candidate.own);
        if (match == nullptr) {
            continue;
        }
        const std::string shown = ShownPath(candidate.file);
        const std::wstring how = match->line == 0 ? L"it lies in the aircraft's folder"
                                                  : L"Match " + DescribeMatch(*match);
        if (!applied.empty()) {
            findings_.Note(shown, match->line,
                           L"also serves the aircraft (" + how + L"), but " + Widen(applied) +
                               L" comes first: not applied");
            continue;
        }
        applied = shown;
        const std::shared_ptr<CAircraftProfile> profile =
            CheckFile(candidate.file, dataFolder, candidate.own);
        findings_.Note(shown, match->line,
                       L"this profile serves the aircraft (" + how + L"): the panels follow it");
        Describe(*profile, shown);
    }
    if (applied.empty()) {
        findings_.Note(shownAcf, 0,
                       L"no aircraft profile serves it: the panels use the simulator's own paths "
                       L"and the shared configuration");
    }
}

void CProfileCheck::Describe(const CAircraftProfile& profile, const std::string& shown) {
    for (const CAircraftProfile::Use& use : profile.Uses()) {
        const std::wstring target =
            Widen(use.target) +
            (use.element >= 0 ? L"[" + std::to_wstring(use.element) + L"]" : std::wstring());
        findings_.Note(shown, use.line,
                       use.command
                           ? L"the panels run " + target + L" for " + Widen(use.path)
                           : L"the panels read and write " + target + L" for " + Widen(use.path));
    }
    for (const CLampCondition& condition : profile.Conditions()) {
        findings_.Note(shown, condition.line, DescribeCondition(condition));
    }
    const PLATFORM::CXmlDocument& document = profile.Document();
    std::vector<PLATFORM::CXmlNode> lenses;
    document.SelectNodes(std::wstring(CLampPanel::kProgrammingXPath) + L"/Lense", lenses);
    for (const PLATFORM::CXmlNode& lense : lenses) {
        const CLampPanel::LenseReading reading = CLampPanel::ReadLense(
            lense, [](CLampPanel::LenseFault, const PLATFORM::CXmlNode&, const std::wstring&) {});
        if (reading.lens >= 0 && reading.colour != CLampPanel::kUnprogrammed) {
            findings_.Note(shown, profile.LineOf(lense),
                           L"lens " + std::to_wstring(reading.lens) + L" shows " + reading.name +
                               L" in " + CLampPanel::kColourNames[reading.colour - 1]);
        }
    }
    std::vector<PLATFORM::CXmlNode> gauges;
    document.SelectNodes(L"//GaugeList/Gauge", gauges);
    if (!gauges.empty()) {
        std::wstring files;
        for (const PLATFORM::CXmlNode& gauge : gauges) {
            files += (files.empty() ? L"" : L", ") + gauge.GetAttribute(L"File").value_or(L"?");
        }
        findings_.Note(
            shown, profile.LineOf(document.SelectSingleNode(L"//GaugeList")),
            L"the screen panel offers these gauges instead of the shared list: " + files);
    }
    const PLATFORM::CXmlNode hotas = document.SelectSingleNode(L"//GaugeList/Hotas");
    if (!hotas.IsNull()) {
        std::wstring pages;
        for (const PLATFORM::CXmlNode& page : hotas.Children()) {
            if (page.Type() == PLATFORM::XmlNodeType::Element) {
                const std::optional<std::wstring> radio = page.GetAttribute(L"radio1");
                pages += (pages.empty() ? L"" : L", ") + page.Name() +
                         (radio ? (*radio == L"true" ? L" (COM1/NAV1)" : L" (COM2/NAV2)") : L"");
            }
        }
        findings_.Note(shown, profile.LineOf(hotas),
                       L"the stick shows these pages instead of the shared ones: " +
                           (pages.empty() ? std::wstring(L"none") : pages) +
                           L", then its default page");
    }
    const CAircraftProfile::Knobs& knobs = profile.KnobSettingsGiven();
    std::vector<PLATFORM::CXmlNode> knobElements;
    document.DocumentElement().SelectNodes(L"Knobs", knobElements);
    const uint32_t knobLine = knobElements.empty() ? 0 : profile.LineOf(knobElements.back());
    if (knobs.tuner) {
        findings_.Note(shown, knobLine, L"the tuner's knobs: " + DescribeKnobs(*knobs.tuner));
    }
    if (knobs.autoflight) {
        findings_.Note(shown, knobLine,
                       L"the autoflight panel's wheel: " + DescribeKnobs(*knobs.autoflight));
    }
}

}  // namespace XPL::CHECKTOOL
