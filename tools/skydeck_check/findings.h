// What skydeck-check found, as compilers report it so editors can jump to it:
//   FILE:LINE: error: TEXT      the plug-in will ignore, skip or misread what is written
//   FILE:LINE: warning: TEXT    it works as written, but most likely not as meant
//   FILE:LINE: note: TEXT       for information (not counted)
// LINE is left out (FILE: error: TEXT) where a finding concerns a whole file or folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tool_text.h"

namespace XPL::CHECKTOOL {

enum class Severity : uint8_t { Error, Warning, Note };

struct Finding {
    std::string file;   // as shown
    uint32_t line = 0;  // from 1; 0 for the whole file
    Severity severity = Severity::Error;
    std::wstring text;
};

class CFindings {
public:
    // Enters a file in the order of files before any finding of it, so that the findings of a
    // file come before those of the files it names.
    void Reading(const std::string& file);
    void Add(const std::string& file, uint32_t line, Severity severity, std::wstring text);
    void Error(const std::string& file, uint32_t line, std::wstring text) {
        Add(file, line, Severity::Error, std::move(text));
    }
    void Warning(const std::string& file, uint32_t line, std::wstring text) {
        Add(file, line, Severity::Warning, std::move(text));
    }
    void Note(const std::string& file, uint32_t line, std::wstring text) {
        Add(file, line, Severity::Note, std::move(text));
    }

    size_t Errors() const { return errors_; }
    size_t Warnings() const { return warnings_; }
    const std::vector<Finding>& All() const { return findings_; }

    // One line per finding, the files in the order they were first entered and each file's
    // findings by line (in the order found within a line), then "N errors, M warnings".
    void Print(std::ostream& out) const;
    // A finding's line as Print writes it (UTF-8, without the line end).
    static std::string Format(const Finding& finding);

private:
    std::vector<Finding> findings_;
    std::vector<std::string> files_;  // in the order entered
    size_t errors_ = 0;
    size_t warnings_ = 0;
};

using TOOLS::Narrow;
using TOOLS::ShownPath;
using TOOLS::Widen;
using TOOLS::WideOfPath;

}  // namespace XPL::CHECKTOOL
