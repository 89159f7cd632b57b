#include "findings.h"

#include <algorithm>
#include <map>

namespace XPL::CHECKTOOL {

void CFindings::Reading(const std::string& file) {
    if (std::find(files_.begin(), files_.end(), file) == files_.end()) {
        files_.push_back(file);
    }
}

void CFindings::Add(const std::string& file, uint32_t line, Severity severity, std::wstring text) {
    Reading(file);
    errors_ += severity == Severity::Error ? 1 : 0;
    warnings_ += severity == Severity::Warning ? 1 : 0;
    findings_.push_back(Finding{file, line, severity, std::move(text)});
}

std::string CFindings::Format(const Finding& finding) {
    static constexpr const char* kSeverities[] = {"error", "warning", "note"};
    std::string line = finding.file + ":";
    if (finding.line != 0) {
        line += std::to_string(finding.line) + ":";
    }
    line += " ";
    line += kSeverities[static_cast<size_t>(finding.severity)];
    line += ": " + Narrow(finding.text);
    return line;
}

void CFindings::Print(std::ostream& out) const {
    std::map<std::string, size_t> fileOrder;
    for (const std::string& file : files_) {
        fileOrder.emplace(file, fileOrder.size());
    }
    std::vector<const Finding*> sorted;
    for (const Finding& finding : findings_) {
        sorted.push_back(&finding);
    }
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Finding* a, const Finding* b) {
        const size_t fa = fileOrder[a->file];
        const size_t fb = fileOrder[b->file];
        return fa != fb ? fa < fb : a->line < b->line;
    });
    for (const Finding* finding : sorted) {
        out << Format(*finding) << "\n";
    }
    out << errors_ << (errors_ == 1 ? " error, " : " errors, ") << warnings_
        << (warnings_ == 1 ? " warning" : " warnings") << "\n";
}

}  // namespace XPL::CHECKTOOL
