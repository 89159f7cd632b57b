#include "gauge_tool.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>

#include "gauge/gauge_canvas.h"
#include "gauge/gauge_document.h"
#include "gauge/gauge_script.h"
#include "gauge/gauge_variables.h"
#include "tool_text.h"
#include "vsim/vsim.h"

// The writer's functions stay private to this file.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace XPL::GAUGETOOL {

namespace {

constexpr char kUsage[] =
    "usage: skydeck-gauge eval [--float PATH=V]... [--int PATH=V]... [--floats PATH=V,V...]...\n"
    "                          [--ints PATH=V,V...]... SCRIPT\n"
    "       skydeck-gauge show GAUGE.xml\n"
    "       skydeck-gauge render GAUGE.xml -o OUT.png [--float PATH=V]... [--int PATH=V]...\n"
    "                            [--floats PATH=V,V...]... [--ints PATH=V,V...]...\n"
    "                            [--label N=TEXT]...\n";

using TOOLS::Narrow;
using TOOLS::Widen;

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
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

int BadArguments(std::ostream& err, const std::string& message) {
    err << "skydeck-gauge: " << message << "\n" << kUsage;
    return kBadArguments;
}

bool IsDatarefOption(const std::string& option) {
    return option == "--float" || option == "--int" || option == "--floats" || option == "--ints";
}

// Gives the simulator the value of one dataref option; false (with the message written) when the
// assignment is no PATH=VALUE of the option's type.
bool SetDataref(const std::string& option, const std::string& assignment, std::ostream& err) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
        BadArguments(err, option + " wants PATH=VALUE, not " + assignment);
        return false;
    }
    const std::string path = assignment.substr(0, equals);
    const std::string value = assignment.substr(equals + 1);
    bool valid = false;
    if (option == "--float") {
        const auto v = ParseValue<float>(value);
        if ((valid = v.has_value())) {
            VSIM::SetFloat(path, *v);
        }
    } else if (option == "--int") {
        const auto v = ParseValue<int>(value);
        if ((valid = v.has_value())) {
            VSIM::SetInt(path, *v);
        }
    } else if (option == "--floats") {
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
    if (!valid) {
        BadArguments(err, option + " " + assignment + ": the value is no number");
    }
    return valid;
}

int Eval(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    VSIM::Reset();
    std::optional<std::string> script;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (!IsDatarefOption(option)) {
            if (script || (option.rfind("--", 0) == 0 && option.size() > 2)) {
                return BadArguments(err, "unexpected argument " + option);
            }
            script = option;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            return BadArguments(err, option + " wants PATH=VALUE");
        }
        if (!SetDataref(option, arguments[++i], err)) {
            return kBadArguments;
        }
    }
    if (!script) {
        return BadArguments(err, "eval wants a SCRIPT");
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
    out << "  " << label << Narrow(image.Path());
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
    if (arguments.size() != 2) {
        return BadArguments(err, "show wants one GAUGE.xml");
    }
    const std::wstring path = Widen(arguments[1]);
    CGaugeVariables variables;
    CGaugeDocument document;
    const bool usable = document.Load(variables, path);
    const char* dialect = document.dialect == GaugeDialect::Classic    ? "classic"
                          : document.dialect == GaugeDialect::Document ? "document"
                                                                       : "unknown";
    out << "gauge " << arguments[1] << "\n";
    out << "name: " << Narrow(document.name) << "\n";
    out << "dialect: " << dialect << "\n";
    out << "size: " << document.targetWidth << " x " << document.targetHeight << ", designed at "
        << document.designWidth << " x " << document.designHeight << "\n";
    out << "bitmaps from: " << Narrow(document.imageFolder) << "\n";
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
bool WritePng(const CGaugeCanvas& canvas, const std::string& file) {
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
    return stbi_write_png(file.c_str(), CGaugeCanvas::kWidth, CGaugeCanvas::kHeight, 3, rgb.data(),
                          static_cast<int>(CGaugeCanvas::kRowBytes)) != 0;
}

int Render(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    VSIM::Reset();
    std::optional<std::string> gauge;
    std::optional<std::string> picture;
    std::vector<GaugeButton> buttons;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool takesValue = IsDatarefOption(option) || option == "-o" || option == "--label";
        if (!takesValue) {
            if (gauge || (option.rfind("-", 0) == 0 && option.size() > 1)) {
                return BadArguments(err, "unexpected argument " + option);
            }
            gauge = option;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            return BadArguments(err, option + " wants a value");
        }
        const std::string& value = arguments[++i];
        if (option == "-o") {
            if (picture) {
                return BadArguments(err, "-o is given twice");
            }
            picture = value;
        } else if (option == "--label") {
            const size_t equals = value.find('=');
            const auto number =
                ParseValue<int32_t>(value.substr(0, equals == std::string::npos ? 0 : equals));
            if (equals == std::string::npos || !number) {
                return BadArguments(err, "--label wants N=TEXT, not " + value);
            }
            GaugeButton button;
            button.id = *number;
            button.label = Widen(value.substr(equals + 1));
            button.visible = 1;
            buttons.push_back(std::move(button));
        } else if (!SetDataref(option, value, err)) {
            return kBadArguments;
        }
    }
    if (!gauge || !picture) {
        return BadArguments(err, "render wants a GAUGE.xml and -o OUT.png");
    }
    // A gauge's bitmaps are found from its file's folder, so a bare file name is taken from the
    // current folder.
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(*gauge, ignored);
    CGaugeVariables variables;
    CGaugeDocument document;
    if (!document.Load(variables, absolute.empty() ? Widen(*gauge) : absolute.wstring())) {
        err << "skydeck-gauge: " << *gauge << " is not usable: " << Narrow(document.loadFailure)
            << "\n";
        return kUnusable;
    }
    for (const std::wstring& failure : document.bitmapFailures) {
        err << "skydeck-gauge: bitmap not loaded: " << Narrow(failure) << "\n";
    }
    document.buttons = std::move(buttons);
    variables.Fetch();
    CGaugeCanvas canvas;
    if (canvas.Font() == nullptr && !document.buttons.empty()) {
        err << "skydeck-gauge: no label font (Arial or Liberation Sans) was found; the labels are "
               "left out\n";
    }
    document.Draw(canvas);
    if (!WritePng(canvas, *picture)) {
        err << "skydeck-gauge: " << *picture << " cannot be written\n";
        return kUnusable;
    }
    out << *picture << ": 320 x 240, gauge at (" << document.PlacementX() << ", "
        << document.PlacementY() << ")\n";
    return kUsable;
}

}  // namespace

int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        return BadArguments(err, "a command is wanted");
    }
    if (arguments[0] == "--help" || arguments[0] == "-h") {
        out << kUsage;
        return kUsable;
    }
    if (arguments[0] == "eval") {
        return Eval(arguments, out, err);
    }
    if (arguments[0] == "show") {
        return Show(arguments, out, err);
    }
    if (arguments[0] == "render") {
        return Render(arguments, out, err);
    }
    return BadArguments(err, "unknown command " + arguments[0]);
}

}  // namespace XPL::GAUGETOOL
