// The journal of what the plug-in did, and its one-line text form.
#include <cstdio>

#include "vsim/vsim_state.h"

namespace XPL::VSIM {
namespace {

void AppendValue(std::string& line, double value, bool integer) {
    char text[64];
    std::snprintf(text, sizeof text, integer ? "%.0f" : "%g", value);
    line += text;
}

void AppendEscaped(std::string& line, const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            line += '\\';
            line += c;
        } else if (byte < 0x20 || byte > 0x7e) {
            line += "\\x";
            line += kHex[byte >> 4];
            line += kHex[byte & 0xf];
        } else {
            line += c;
        }
    }
}

}  // namespace

const std::vector<Event>& Journal() {
    return State().journal;
}

void ClearJournal() {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    state.journal.clear();
}

void SetJournalListener(std::function<void(const Event&)> listener) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    state.listener = std::move(listener);
}

std::string FormatEvent(const Event& event) {
    switch (event.kind) {
        case EventKind::CommandOnce:
            return "cmd once " + event.path;
        case EventKind::CommandBegin:
            return "cmd begin " + event.path;
        case EventKind::CommandEnd:
            return "cmd end " + event.path;
        case EventKind::DataWrite: {
            const bool integer = event.type == DataType::Int || event.type == DataType::IntArray;
            std::string line = "set " + event.path;
            for (const double value : event.values) {
                line += ' ';
                AppendValue(line, value, integer);
            }
            return line;
        }
        case EventKind::KeyStroke:
            return "key " + std::to_string(event.id);
        case EventKind::ButtonPress:
            return "joy press " + std::to_string(event.id);
        case EventKind::ButtonRelease:
            return "joy release " + std::to_string(event.id);
        case EventKind::Speech: {
            std::string line = "speak \"";
            AppendEscaped(line, event.text);
            line += '"';
            return line;
        }
        case EventKind::Log: {
            // The line end that closes a log line is the log's, not the text's.
            std::string text = event.text;
            if (!text.empty() && text.back() == '\n') {
                text.pop_back();
            }
            std::string line = "log \"";
            AppendEscaped(line, text);
            line += '"';
            return line;
        }
    }
    return std::string();
}

}  // namespace XPL::VSIM
