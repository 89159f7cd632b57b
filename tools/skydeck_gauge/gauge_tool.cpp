#include "gauge_tool.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "command_line.h"
#include "gauge/gauge_canvas.h"
#include "gauge/gauge_document.h"
#include "gauge/gauge_script.h"
#include "gauge/gauge_variables.h"
#include "png_file.h"
#include "sim/utility.h"
#include "tool_text.h"
#include "vsim/vsim.h"

namespace XPL::GAUGETOOL {

namespace {

constexpr char kProgram[] = "skydeck-gauge";
constexpr char kEvalUsage[] =
    "usage: skydeck-gauge eval [--float PATH=V]... [--int PATH=V]... [--floats PATH=V,V...]...\n"
    "                          [--ints PATH=V,V...]... SCRIPT\n";
constexpr char kShowUsage[] = "usage: skydeck-gauge show GAUGE.xml\n";
constexpr char kRenderUsage[] =
    "usage: skydeck-gauge render GAUGE.xml -o OUT.png [--float PATH=V]... [--int PATH=V]...\n"
    "                            [--floats PATH=V,V...]... [--ints PATH=V,V...]...\n"
    "                            [--label N=TEXT]...\n";
constexpr TOOLS::OptionSpec kEvalOptions[] = {{"--float", "PATH=V", true},
                                              {"--int", "PATH=V", true},
                                              {"--floats", "PATH=V,V...", true},
                                              {"--ints", "PATH=V,V...", true}};
constexpr TOOLS::OptionSpec kRenderOptions[] = {
    {"--float", "PATH=V", true},     {"--int", "PATH=V", true}, {"--floats", "PATH=V,V...", true},
    {"--ints", "PATH=V,V...", true}, {"-o", "OUT.png"},         {"--label", "N=TEXT", true}};

using TOOLS::Narrow;
using TOOLS::Widen;

// The value as "%g" writes it, with more digits where six do not tell it from its neighbours:
// "150", "100000", "0.33333334", "16777218".
std::string Number(float value) {
    char text[32];
    for (int digits = 6;; ++digits) {
        std::snprintf(text, sizeof(text), "%.*g", digits, static_cast<double>(value));
        float read = 0.0f;
        const char* end = text + std::strlen(text);
        if (digits >= 9 || (std::from_chars(text, end, read).ptr == end && read == value)) {
            return text;
        }
    }
}

// The usage of every command, one under the other.
std::string Usage() {
    std::string usage;
    for (const std::string_view command : {kEvalUsage, kShowUsage, kRenderUsage}) {
        usage += usage.empty() ? command : "       " + std::string(command.substr(7));
    }
    return usage;
}

// A path as the gauge names it (a Windows path), as the tool shows it.
std::string Shown(const std::wstring& path) {
    return TOOLS::ShownPath(UTILITY::MakeFilePath(path));
}

// One value of a dataref option, read whole.
template <class T>
std::optional<T> ParseValue(const std::string& text) {
    T value{};
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && text[0] == '+') {
        ++first;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last) {
        return std::nullopt;
    }
    return value;
}

template <class T>
std::optional<std::vector<T>> ParseValues(const std::string& text) {
    std::vector<T> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const auto value = ParseValue<T>(text.substr(start, comma - start));
        if (!value) {
            return std::nullopt;
        }
        values.push_back(*value);
        if (comma == std::string::npos) {
            return values;
        }
        start = comma + 1;
    }
}

// Gives the simulator the value of one dataref option; the usage error, or "" when it was set.
std::string SetDataref(const TOOLS::Argument& argument) {
    const std::string& assignment = argument.value;
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
        return TOOLS::InvalidValue(argument.option, assignment, "not PATH=VALUE");
    }
    const std::string path = assignment.substr(0, equals);
    const std::string value = assignment.substr(equals + 1);
    bool valid = false;
    if (argument.Is("--float")) {
        const auto v = ParseValue<float>(value);
        if ((valid = v.has_value())) {
            VSIM::SetFloat(path, *v);
        }
    } else if (argument.Is("--int")) {
        const auto v = ParseValue<int>(value);
        if ((valid = v.has_value())) {
            VSIM::SetInt(path, *v);
        }
    } else if (argument.Is("--floats")) {
        const auto v = ParseValues<float>(value);
        if ((valid = v.has_value())) {
            VSIM::SetFloats(path, *v);
        }
    } else {
        const auto v = ParseValues<int>(value);
        if ((valid = v.has_value())) {
            VSIM::SetInts(path, *v);
        }
    }
    return valid ? std::string()
                 : TOOLS::InvalidValue(argument.option, assignment, "the value is no number");
}

int Eval(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const TOOLS::CToolUsage usage(kProgram, kEvalUsage);
    const TOOLS::CommandLine line = TOOLS::ParseCommandLine(arguments, kEvalOptions);
    if (const auto status = usage.Answered(line, out, err)) {
        return *status;
    }
    VSIM::Reset();
    std::optional<std::string> script;
    for (const TOOLS::Argument& argument : line.arguments) {
        if (argument.IsOperand()) {
            if (script) {
                return usage.Error(err, TOOLS::UnexpectedArgument(argument.value));
            }
            script = argument.value;
        } else if (const std::string error = SetDataref(argument); !error.empty()) {
            return usage.Error(err, error);
        }
    }
    if (!script) {
        return usage.Error(err, TOOLS::MissingArgument("SCRIPT"));
    }
    const std::wstring text = Widen(*script);
    CGaugeVariables variables;
    variables.RegisterScript(text);
    variables.Fetch();
    const float value = CGaugeScript(&variables).Evaluate(text);
    out << Number(value) << "\n";
    return kUsable;
}

void ShowImage(std::ostream& out, const char* label, const CGaugeImage& image, bool axis) {
    out << "  " << label << Shown(image.Path());
    if (image.HasBitmap()) {
        out << "  " << image.Width() << " x " << image.Height();
    } else {
        out << "  (not loaded)";
    }
    if (axis) {
        out << "  axis (" << Number(image.axisX) << ", " << Number(image.axisY) << ")";
    }
    if (image.alpha != 0) {
        out << "  alpha";
    }
    out << "\n";
}

void ShowLimits(std::ostream& out, uint8_t hasMin, float min, uint8_t hasMax, float max) {
    if (hasMin != 0) {
        out << "  minimum " << Number(min);
    }
    if (hasMax != 0) {
        out << "  maximum " << Number(max);
    }
}

void ShowElement(std::ostream& out, size_t number, const CGaugeElement& element) {
    out << "element " << number << " at (" << element.x << ", " << element.y << "), layer "
        << element.width << " x " << element.height << "\n";
    if (element.hasVisibility != 0) {
        out << "  visible when   " << Narrow(element.visibilityScript) << "  > 0.1\n";
    }
    if (element.hasMask != 0) {
        ShowImage(out, "mask   ", element.mask, true);
    }
    if (element.hasImage != 0) {
        ShowImage(out, "image  ", element.image, true);
    }
    if (element.hasShift != 0) {
        out << "  shift by       " << Narrow(element.shiftScript);
        ShowLimits(out, element.hasShiftMin, element.shiftMin, element.hasShiftMax,
                   element.shiftMax);
        out << "  scale (" << Number(element.shiftScaleX) << ", " << Number(element.shiftScaleY)
            << ")\n";
    }
    if (element.hasRotate != 0) {
        out << "  turn by        " << Narrow(element.rotateScript);
        ShowLimits(out, element.hasRotateMin, element.rotateMin, element.hasRotateMax,
                   element.rotateMax);
        out << "\n";
    }
    for (const NonlinearityItem& item : element.nonlinearity) {
        out << "  at value " << Number(item.value) << ": point (" << Number(item.x) << ", "
            << Number(item.y) << "), " << Number(item.degrees) << " degrees\n";
    }
}

int Show(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const TOOLS::CToolUsage usage(kProgram, kShowUsage);
    const TOOLS::CommandLine line = TOOLS::ParseCommandLine(arguments, {});
    if (const auto status = usage.Answered(line, out, err)) {
        return *status;
    }
    const std::vector<std::string> operands = line.Operands();
    if (operands.empty()) {
        return usage.Error(err, TOOLS::MissingArgument("GAUGE.xml"));
    }
    if (operands.size() > 1) {
        return usage.Error(err, TOOLS::UnexpectedArgument(operands[1]));
    }
    const std::wstring path = TOOLS::WideOfPath(TOOLS::PathOfUtf8(operands[0]));
    CGaugeVariables variables;
    CGaugeDocument document;
    const bool usable = document.Load(variables, path);
    const char* dialect = document.dialect == GaugeDialect::Classic    ? "classic"
                          : document.dialect == GaugeDialect::Document ? "document"
                                                                       : "unknown";
    out << "gauge " << Shown(path) << "\n";
    out << "name: " << Narrow(document.name) << "\n";
    out << "dialect: " << dialect << "\n";
    out << "size: " << document.targetWidth << " x " << document.targetHeight << ", designed at "
        << document.designWidth << " x " << document.designHeight << "\n";
    out << "bitmaps from: " << Shown(document.imageFolder) << "\n";
    ShowImage(out, "background ", document.background, false);
    for (size_t i = 0; i < document.elements.size(); ++i) {
        ShowElement(out, i + 1, *document.elements[i]);
    }
    for (size_t i = 0; i < document.mouseAreas.size(); ++i) {
        const GaugeMouseArea& area = document.mouseAreas[i];
        out << "mouse area " << i + 1 << ": up \"" << Narrow(area.upScript) << "\", down \""
            << Narrow(area.downScript) << "\"\n";
    }
    out << "variables: " << variables.Count() << "\n";
    for (uint32_t i = 0; i < variables.Count(); ++i) {
        out << "  " << Narrow(variables.Name(i)) << ", " << Narrow(variables.Unit(i)) << "\n";
    }
    for (const std::wstring& failure : document.bitmapFailures) {
        out << "bitmap not loaded: " << Narrow(failure) << "\n";
    }
    if (!usable) {
        out << "not usable: " << Narrow(document.loadFailure) << "\n";
        return kUnusable;
    }
    out << "usable\n";
    return kUsable;
}

// The canvas as a PNG file, top row first.
bool WritePng(const CGaugeCanvas& canvas, const std::filesystem::path& file) {
    std::vector<uint8_t> rgb;
    rgb.reserve(CGaugeCanvas::kBytes);
    for (int32_t y = 0; y < CGaugeCanvas::kHeight; ++y) {
        for (int32_t x = 0; x < CGaugeCanvas::kWidth; ++x) {
            const uint32_t pixel = canvas.Pixel(x, y);
            rgb.push_back(static_cast<uint8_t>(pixel >> 16));
            rgb.push_back(static_cast<uint8_t>(pixel >> 8));
            rgb.push_back(static_cast<uint8_t>(pixel));
        }
    }
    return TOOLS::WritePng(file, rgb.data(), CGaugeCanvas::kWidth, CGaugeCanvas::kHeight,
                           static_cast<int>(CGaugeCanvas::kRowBytes));
}

int Render(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const TOOLS::CToolUsage usage(kProgram, kRenderUsage);
    const TOOLS::CommandLine line = TOOLS::ParseCommandLine(arguments, kRenderOptions);
    if (const auto status = usage.Answered(line, out, err)) {
        return *status;
    }
    VSIM::Reset();
    std::optional<std::string> gauge;
    std::optional<std::string> picture;
    std::vector<GaugeButton> buttons;
    for (const TOOLS::Argument& argument : line.arguments) {
        const std::string& value = argument.value;
        if (argument.IsOperand()) {
            if (gauge) {
                return usage.Error(err, TOOLS::UnexpectedArgument(value));
            }
            gauge = value;
        } else if (argument.Is("-o")) {
            picture = value;
        } else if (argument.Is("--label")) {
            const size_t equals = value.find('=');
            const auto number =
                ParseValue<int32_t>(value.substr(0, equals == std::string::npos ? 0 : equals));
            if (equals == std::string::npos || !number) {
                return usage.Error(err, TOOLS::InvalidValue("--label", value, "not N=TEXT"));
            }
            if (*number < 1 || *number > 6) {
                return usage.Error(err, TOOLS::InvalidValue("--label", value,
                                                            "labels are drawn for buttons 1 to 6"));
            }
            GaugeButton button;
            button.id = *number;
            button.label = Widen(value.substr(equals + 1));
            button.visible = 1;
            buttons.push_back(std::move(button));
        } else if (const std::string error = SetDataref(argument); !error.empty()) {
            return usage.Error(err, error);
        }
    }
    if (!gauge) {
        return usage.Error(err, TOOLS::MissingArgument("GAUGE.xml"));
    }
    if (!picture) {
        return usage.Error(err, TOOLS::MissingArgument("-o OUT.png"));
    }
    // A gauge's bitmaps are found from its file's folder, so a bare file name is taken from the
    // current folder.
    std::error_code ignored;
    const std::filesystem::path named = TOOLS::PathOfUtf8(*gauge);
    const std::filesystem::path absolute = std::filesystem::absolute(named, ignored);
    CGaugeVariables variables;
    CGaugeDocument document;
    if (!document.Load(variables, TOOLS::WideOfPath(absolute.empty() ? named : absolute))) {
        err << kProgram << ": " << TOOLS::ShownPath(named)
            << " is not usable: " << Narrow(document.loadFailure) << "\n";
        return kUnusable;
    }
    for (const std::wstring& failure : document.bitmapFailures) {
        err << kProgram << ": bitmap not loaded: " << Narrow(failure) << "\n";
    }
    document.buttons = std::move(buttons);
    variables.Fetch();
    CGaugeCanvas canvas;
    if (canvas.Font() == nullptr && !document.buttons.empty()) {
        err << kProgram
            << ": no label font (Arial or Liberation Sans) was found; the labels are "
               "left out\n";
    }
    document.Draw(canvas);
    const std::filesystem::path file = TOOLS::PathOfUtf8(*picture);
    if (!WritePng(canvas, file)) {
        err << kProgram << ": " << TOOLS::ShownPath(file) << " cannot be written\n";
        return kUnusable;
    }
    out << TOOLS::ShownPath(file) << ": 320 x 240, gauge at (" << document.PlacementX() << ", "
        << document.PlacementY() << ")\n";
    return kUsable;
}

}  // namespace

int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    // The command comes first; each reads the arguments after it.
    const std::string command = arguments.empty() ? std::string() : arguments[0];
    const std::vector<std::string> rest(arguments.begin() + (arguments.empty() ? 0 : 1),
                                        arguments.end());
    if (command == "eval") {
        return Eval(rest, out, err);
    }
    if (command == "show") {
        return Show(rest, out, err);
    }
    if (command == "render") {
        return Render(rest, out, err);
    }
    const std::string usageText = Usage();
    const TOOLS::CToolUsage usage(kProgram, usageText);
    const TOOLS::CommandLine line = TOOLS::ParseCommandLine(arguments, {});
    if (const auto status = usage.Answered(line, out, err)) {
        return *status;
    }
    return usage.Error(err, arguments.empty()
                                ? TOOLS::MissingArgument("COMMAND (eval, show or render)")
                                : "unknown command " + command);
}

}  // namespace XPL::GAUGETOOL
