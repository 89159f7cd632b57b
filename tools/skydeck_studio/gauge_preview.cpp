#include "gauge_preview.h"

#include <algorithm>
#include <cwchar>
#include <system_error>

#include "gauge/gauge_document.h"
#include "gauge/gauge_element.h"
#include "screen/screen_panel_gauge.h"
#include "tool_text.h"
#include "vsim/vsim.h"

// The writer's functions stay private to this file.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace XPL::STUDIO {

namespace {

bool SameBindings(const ButtonBindings& a, const ButtonBindings& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].number != b[i].number || a[i].label != b[i].label || a[i].event != b[i].event ||
            a[i].visible != b[i].visible || a[i].eventType != b[i].eventType) {
            return false;
        }
    }
    return true;
}

// The limits of an element's turn or shift when its script reads nothing but this variable.
bool LimitsOf(const CGaugeElement& element, const std::wstring& reference, float& low,
              float& high) {
    const auto single = [&](const std::wstring& script) {
        return script.find(reference) != std::wstring::npos &&
               std::count(script.begin(), script.end(), L'(') == 1;
    };
    if (element.hasRotate != 0 && element.hasRotateMin != 0 && element.hasRotateMax != 0 &&
        single(element.rotateScript)) {
        low = element.rotateMin;
        high = element.rotateMax;
        return true;
    }
    if (element.hasShift != 0 && element.hasShiftMin != 0 && element.hasShiftMax != 0 &&
        single(element.shiftScript)) {
        low = element.shiftMin;
        high = element.shiftMax;
        return true;
    }
    return false;
}

// A range by unit, for variables no element bounds.
void RangeOfUnit(const std::wstring& unit, const std::wstring& name, float& low, float& high) {
    const auto has = [&](const wchar_t* word) {
        return unit.find(word) != std::wstring::npos || name.find(word) != std::wstring::npos;
    };
    if (has(L"bool") || name.ends_with(L":n")) {
        low = 0, high = 1;
    } else if (has(L"deg") && (has(L"heading") || has(L"hdg"))) {
        low = 0, high = 360;
    } else if (has(L"roll") || has(L"bank")) {
        low = -60, high = 60;
    } else if (has(L"pitch")) {
        low = -30, high = 30;
    } else if (has(L"feet") || has(L"_ft")) {
        low = 0, high = 20000;
    } else if (has(L"knots") || has(L"kts")) {
        low = 0, high = 250;
    } else if (has(L"rpm")) {
        low = 0, high = 3000;
    } else if (has(L"volts")) {
        low = 0, high = 30;
    } else if (has(L"psi")) {
        low = 0, high = 100;
    } else if (has(L"deg")) {
        low = 0, high = 150;
    } else {
        low = 0, high = 100;
    }
}

// Gives the virtual simulator a variable's value where the gauge fetches it: the name as a
// float dataref, or by its suffix an element of a float array (:K), an int (:n) or an element of
// an int array (:nK).
void SetVariable(const std::wstring& name, float value) {
    const std::string text = TOOLS::Narrow(name);
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        VSIM::SetFloat(text, value);
        return;
    }
    const std::string path = text.substr(0, colon);
    const std::string suffix = text.substr(colon + 1);
    const bool integer = !suffix.empty() && suffix[0] == 'n';
    const std::string digits = integer ? suffix.substr(1) : suffix;
    if (integer && digits.empty()) {
        VSIM::SetInt(path, static_cast<int>(value));
        return;
    }
    if (digits.empty() || digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        VSIM::SetFloat(text, value);
        return;
    }
    const size_t index = static_cast<size_t>(std::stoul(digits));
    if (integer) {
        std::vector<int> values = VSIM::GetInts(path);
        values.resize(std::max(values.size(), index + 1));
        values[index] = static_cast<int>(value);
        VSIM::SetInts(path, values);
    } else {
        std::vector<float> values = VSIM::GetFloats(path);
        values.resize(std::max(values.size(), index + 1));
        values[index] = value;
        VSIM::SetFloats(path, values);
    }
}

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<size_t>(size));
}

}  // namespace

struct CGaugePreview::Loaded {
    std::filesystem::path file;
    std::filesystem::file_time_type written;
    ButtonBindings bindings;
    CScreenPanel::CGauge gauge;
};

CGaugePreview::CGaugePreview() = default;
CGaugePreview::~CGaugePreview() = default;

bool CGaugePreview::Load(const std::filesystem::path& file, const ButtonBindings& bindings,
                         std::string& why) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(file, error);
    if (loaded_ && loaded_->file == file && loaded_->written == written &&
        SameBindings(loaded_->bindings, bindings)) {
        return true;
    }
    loaded_.reset();
    auto loaded = std::make_unique<Loaded>();
    loaded->file = file;
    loaded->written = written;
    loaded->bindings = bindings;
    if (!loaded->gauge.Initialize(TOOLS::WideOfPath(file), bindings) ||
        loaded->gauge.Document() == nullptr) {
        why = "the gauge does not load";
        return false;
    }
    loaded_ = std::move(loaded);
    return true;
}

std::wstring CGaugePreview::Name() const {
    return loaded_ ? loaded_->gauge.Name() : std::wstring();
}

std::vector<GaugeVariable> CGaugePreview::Variables() const {
    std::vector<GaugeVariable> variables;
    if (!loaded_) {
        return variables;
    }
    CGaugeVariables& table = loaded_->gauge.Variables();
    const CGaugeDocument& document = *loaded_->gauge.Document();
    for (uint32_t i = 0; i < table.Count(); ++i) {
        GaugeVariable variable{table.Name(i), table.Unit(i)};
        if (std::any_of(variables.begin(), variables.end(),
                        [&](const GaugeVariable& v) { return v.name == variable.name; })) {
            continue;
        }
        const std::wstring reference = L":" + variable.name + L"," + variable.unit + L")";
        bool bounded = false;
        for (const auto& element : document.elements) {
            if (!bounded) {
                bounded = LimitsOf(*element, reference, variable.low, variable.high);
            }
        }
        if (!bounded || variable.low >= variable.high) {
            RangeOfUnit(variable.unit, variable.name, variable.low, variable.high);
        }
        variables.push_back(std::move(variable));
    }
    return variables;
}

bool CGaugePreview::Draw(const std::map<std::wstring, float>& values, Picture& picture) {
    if (!loaded_) {
        return false;
    }
    VSIM::Reset();
    for (const auto& [name, value] : values) {
        SetVariable(name, value);
    }
    CScreenPanel::CGauge& gauge = loaded_->gauge;
    gauge.Update();
    canvas_.Clear();
    gauge.Document()->Draw(canvas_);
    picture.leds.fill(false);
    for (int32_t led = 1; led <= CScreenPanel::kSoftButtonCount; ++led) {
        picture.leds[static_cast<size_t>(led)] = gauge.BindsButton(led);
    }
    picture.leds[7] = picture.leds[8] = true;
    std::vector<uint8_t> rgb;
    rgb.reserve(CGaugeCanvas::kBytes);
    for (int32_t y = 0; y < CGaugeCanvas::kHeight; ++y) {
        for (int32_t x = 0; x < CGaugeCanvas::kWidth; ++x) {
            const uint32_t pixel = canvas_.Pixel(x, y);
            rgb.push_back(static_cast<uint8_t>(pixel >> 16));
            rgb.push_back(static_cast<uint8_t>(pixel >> 8));
            rgb.push_back(static_cast<uint8_t>(pixel));
        }
    }
    picture.png.clear();
    // Fast rather than small: the picture crosses the loopback only. One filter for every row
    // (the one that suits drawn pictures) instead of trying all five.
    stbi_write_png_compression_level = 1;
    stbi_write_force_png_filter = 1;
    return stbi_write_png_to_func(AppendBytes, &picture.png, CGaugeCanvas::kWidth,
                                  CGaugeCanvas::kHeight, 3, rgb.data(),
                                  static_cast<int>(CGaugeCanvas::kRowBytes)) != 0;
}

}  // namespace XPL::STUDIO
