// The screen panel's picture of one gauge for values the user picks: the gauge is loaded and its
// buttons bound as the screen panel does (CScreenPanel::CGauge), the virtual simulator is given
// the values, the gauge fetches them as in a frame and is drawn by the plug-in's renderer into
// the 320 x 240 picture, handed out as PNG with the LEDs the panel would light. The loaded gauge
// is kept while its file and bindings stay the same, so moving a value costs a fetch, a drawing
// and the PNG.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gauge/gauge_canvas.h"
#include "screen/button_binding.h"

namespace XPL::STUDIO {

struct GaugeVariable {
    std::wstring name;  // the dataref path, with its suffix
    std::wstring unit;
    float low = 0.0f;  // a range that shows the gauge's travel
    float high = 100.0f;
};

class CGaugePreview {
public:
    struct Picture {
        std::string png;
        std::array<bool, 9> leds{};  // LEDs 1 to 8 (index 0 unused)
    };

    CGaugePreview();
    ~CGaugePreview();

    // Loads the gauge at file (its Windows path text, for the loader) with bindings. False, with
    // why, when it does not load.
    bool Load(const std::filesystem::path& file, const ButtonBindings& bindings, std::string& why);
    // The gauge's name and variables (one per dataref, in the order the gauge registered them).
    std::wstring Name() const;
    std::vector<GaugeVariable> Variables() const;
    // Draws the loaded gauge with the datarefs at values (by variable name; others 0).
    bool Draw(const std::map<std::wstring, float>& values, Picture& picture);

private:
    struct Loaded;
    std::unique_ptr<Loaded> loaded_;
    CGaugeCanvas canvas_;
};

}  // namespace XPL::STUDIO
