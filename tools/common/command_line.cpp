#include "command_line.h"

#include <algorithm>

namespace XPL::TOOLS {

namespace {

bool IsHelp(std::string_view argument) {
    return argument == "--help" || argument == "-h";
}

const OptionSpec* Find(std::span<const OptionSpec> options, std::string_view name) {
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&](const OptionSpec& spec) { return spec.name == name; });
    return found != options.end() ? &*found : nullptr;
}

// The first usage error of arguments, or "".
std::string Read(std::span<const std::string> arguments, std::span<const OptionSpec> options,
                 std::vector<Argument>& read) {
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            read.push_back(Argument{{}, argument});
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string_view name = std::string_view(argument).substr(0, equals);
        const OptionSpec* spec = Find(options, name);
        if (spec == nullptr) {
            return "unknown option " + std::string(name);
        }
        if (!spec->repeats && std::any_of(read.begin(), read.end(), [&](const Argument& a) {
                return a.option == spec->name;
            })) {
            return "option " + std::string(name) + " is given more than once";
        }
        if (spec->value.empty()) {
            if (equals != std::string::npos) {
                return "option " + std::string(name) + " takes no value";
            }
            read.push_back(Argument{spec->name, {}});
        } else if (equals != std::string::npos) {
            read.push_back(Argument{spec->name, argument.substr(equals + 1)});
        } else if (i + 1 < arguments.size()) {
            read.push_back(Argument{spec->name, arguments[++i]});
        } else {
            return "option " + std::string(name) + " needs a value (" + std::string(spec->value) +
                   ")";
        }
    }
    return {};
}

}  // namespace

std::vector<std::string> CommandLine::Operands() const {
    std::vector<std::string> operands;
    for (const Argument& argument : arguments) {
        if (argument.IsOperand()) {
            operands.push_back(argument.value);
        }
    }
    return operands;
}

CommandLine ParseCommandLine(std::span<const std::string> arguments,
                             std::span<const OptionSpec> options) {
    CommandLine line;
    const auto end = std::find(arguments.begin(), arguments.end(), "--");
    line.help = std::any_of(arguments.begin(), end, IsHelp);
    if (!line.help) {
        line.error = Read(arguments, options, line.arguments);
    }
    if (line.help || !line.error.empty()) {
        line.arguments.clear();
    }
    return line;
}

std::string UnexpectedArgument(std::string_view argument) {
    return "unexpected argument " + std::string(argument);
}

std::string MissingArgument(std::string_view what) {
    return "missing " + std::string(what);
}

std::string InvalidValue(std::string_view option, std::string_view value, std::string_view reason) {
    return "invalid " + std::string(option) + " " + std::string(value) + ": " + std::string(reason);
}

std::optional<int> CToolUsage::Answered(const CommandLine& line, std::ostream& out,
                                        std::ostream& err) const {
    if (line.help) {
        return Help(out);
    }
    if (!line.error.empty()) {
        return Error(err, line.error);
    }
    return std::nullopt;
}

int CToolUsage::Help(std::ostream& out) const {
    out << usage_;
    out.flush();
    return kHelpStatus;
}

int CToolUsage::Error(std::ostream& err, std::string_view message) const {
    err << program_ << ": " << message << "\n" << usage_;
    err.flush();
    return kUsageStatus;
}

}  // namespace XPL::TOOLS
