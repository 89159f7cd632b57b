// A redraw of a typical gauge against its floor: copying the 230400-byte picture once. The
// gauge has a 240 x 240 face, two turning needles (one by a table, one by radians), a tape
// sliding behind a mask's window, a bar shifted by a table and four button labels; each redraw
// sees new values, as the screen panel's does. Read "BM_RedrawTypicalGauge / BM_CopyPicture"
// from one run; allocs/redraw counts heap allocations (the target is 0).
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../tests/gauge/bmp_file.h"
#include "alloc_counter.h"
#include "gauge/gauge_canvas.h"
#include "gauge/gauge_document.h"
#include "gauge/gauge_variables.h"

namespace {

using XPL::BENCH::AllocationCount;

XPL::CGaugeImage Image(int32_t width, int32_t height,
                       const std::function<uint32_t(int32_t, int32_t)>& colour, float axisX = 0.0f,
                       float axisY = 0.0f) {
    XPL::CGaugeImage image;
    image.Decode(XPL::TEST::BmpFile(width, height, 24, true, colour));
    image.axisX = axisX;
    image.axisY = axisY;
    return image;
}

uint32_t Face(int32_t x, int32_t y) {
    const int32_t dx = x - 120;
    const int32_t dy = y - 120;
    const int32_t r = dx * dx + dy * dy;
    return r > 119 * 119 ? 0x010101 : r > 112 * 112 ? 0xE0E0E0 : 0x202428;
}

struct TypicalGauge {
    TypicalGauge() {
        const wchar_t* powered = L"(A:sim/volts,volts) 10 &gt;";
        const wchar_t* speed = L"(A:sim/speed,knots)";
        const wchar_t* heading = L"(A:sim/heading,degrees) dgrd";
        const wchar_t* altitude = L"(A:sim/altitude,feet) 10 /";
        const wchar_t* pitch = L"(A:sim/pitch,degrees)";
        for (const wchar_t* script : {powered, speed, heading, altitude, pitch}) {
            variables.RegisterScript(script);
        }
        document.background = Image(240, 240, Face);
        document.targetWidth = 240;
        document.targetHeight = 240;
        // Needles in white with a red hub end.
        const auto across = [](int32_t x, int32_t) { return x < 12 ? 0xD02020u : 0xF0F0F0u; };
        const auto upright = [](int32_t, int32_t y) { return y >= 58 ? 0xD02020u : 0xF0F0F0u; };
        XPL::CGaugeElement& speedNeedle = Add(120, 120);
        speedNeedle.hasVisibility = 1;
        speedNeedle.visibilityScript = powered;
        speedNeedle.hasImage = 1;
        speedNeedle.image = Image(100, 6, across, 4.0f, 3.0f);
        speedNeedle.hasRotate = 1;
        speedNeedle.rotateScript = speed;
        speedNeedle.hasRotateMin = 1;
        speedNeedle.rotateMin = 40.0f;
        speedNeedle.hasRotateMax = 1;
        speedNeedle.rotateMax = 200.0f;
        speedNeedle.nonlinearity = {{40, 0, 0, 210}, {200, 0, 0, 150}};
        XPL::CGaugeElement& headingNeedle = Add(120, 120);
        headingNeedle.hasImage = 1;
        headingNeedle.image = Image(6, 70, upright, 3.0f, 66.0f);
        headingNeedle.hasRotate = 1;
        headingNeedle.rotateScript = heading;
        XPL::CGaugeElement& tape = Add(170, 60);
        tape.hasImage = 1;
        tape.image =
            Image(40, 600, [](int32_t, int32_t y) { return y % 20 < 2 ? 0xFFFFFFu : 0x303030u; });
        tape.hasMask = 1;
        tape.mask = Image(44, 120, [](int32_t x, int32_t y) {
            return x < 2 || x >= 42 || y < 2 || y >= 118 ? 0x808080u : 0x010101u;
        });
        tape.hasShift = 1;
        tape.shiftScript = altitude;
        tape.shiftScaleX = 0.0f;
        XPL::CGaugeElement& bar = Add(90, 116);
        bar.hasImage = 1;
        bar.image = Image(60, 8, [](int32_t, int32_t) { return 0xF0C000u; });
        bar.hasShift = 1;
        bar.shiftScript = pitch;
        bar.nonlinearity = {{-20, 0, -40, 0}, {0, 0, 0, 0}, {20, 0, 40, 0}};
        const wchar_t* labels[] = {L"NAV", L"HDG", L"ALT", L"BACK"};
        const int32_t ids[] = {1, 2, 3, 6};
        for (size_t i = 0; i < 4; ++i) {
            XPL::GaugeButton button;
            button.id = ids[i];
            button.label = labels[i];
            document.buttons.push_back(button);
        }
    }
    XPL::CGaugeElement& Add(int32_t x, int32_t y) {
        document.elements.push_back(std::make_unique<XPL::CGaugeElement>(&variables, 240, 240));
        XPL::CGaugeElement& element = *document.elements.back();
        element.x = x;
        element.y = y;
        return element;
    }
    // The values of the step-th redraw.
    void Step(int step) {
        const float t = static_cast<float>(step % 160);
        variables.Write(L'A', L"sim/volts", L"volts", 28.0f);
        variables.Write(L'A', L"sim/speed", L"knots", 40.0f + t);
        variables.Write(L'A', L"sim/heading", L"degrees", t * 2.25f);
        variables.Write(L'A', L"sim/altitude", L"feet", t * 30.0f);
        variables.Write(L'A', L"sim/pitch", L"degrees", t / 4.0f - 20.0f);
    }

    XPL::CGaugeVariables variables;
    XPL::CGaugeDocument document;
};

void BM_CopyPicture(benchmark::State& state) {
    std::vector<uint8_t> source(XPL::CGaugeCanvas::kBytes, 0x5A);
    std::vector<uint8_t> target(XPL::CGaugeCanvas::kBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * XPL::CGaugeCanvas::kBytes);
}
BENCHMARK(BM_CopyPicture);

void BM_RedrawTypicalGauge(benchmark::State& state) {
    TypicalGauge gauge;
    XPL::CGaugeCanvas canvas;
    if (canvas.Font() == nullptr) {
        state.SkipWithError("no label font");
    }
    // The first redraw rasterises the labels' glyphs, as the panel's first one does.
    gauge.Step(0);
    gauge.document.Draw(canvas);
    int step = 0;
    const long before = AllocationCount();
    for (auto _ : state) {
        gauge.Step(++step);
        gauge.document.Draw(canvas);
        benchmark::DoNotOptimize(canvas.Bytes());
        benchmark::ClobberMemory();
    }
    state.counters["allocs/redraw"] = benchmark::Counter(
        static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_RedrawTypicalGauge);

}  // namespace
