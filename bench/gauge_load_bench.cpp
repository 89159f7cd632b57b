// Loading the worst gauge files a user could share, as the screen panel loads a gauge: most fill
// the largest file read (the last a 16 MB file) with one construct repeated; one names the largest
// bitmap from every element. Every one must load or be refused within 256 MB and 2 s in the
// release build; "peak MB" is how far the process's resident set grew during a load (the loaded
// document included).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "gauge/gauge_document.h"
#include "gauge/gauge_image.h"
#include "gauge/gauge_variables.h"
#include "gauge/xml_node.h"
#include "peak_memory.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kLargest = XPL::CXmlNode::kMaxFileBytes;

// head, then units until the file would pass size, then tail; unit(i) gives the ith unit.
std::string Fill(const std::string& head, const std::function<std::string(size_t)>& unit,
                 const std::string& tail, size_t size = kLargest) {
    std::string text = head;
    for (size_t i = 0;; ++i) {
        const std::string next = unit(i);
        if (text.size() + next.size() + tail.size() > size) {
            break;
        }
        text += next;
    }
    return text + tail;
}

std::function<std::string(size_t)> Same(std::string unit) {
    return [unit](size_t) { return unit; };
}

// The text as UTF-16 (little-endian, with its byte-order mark) of an ASCII text.
std::string Utf16(const std::string& ascii) {
    std::string wide = "\xFF\xFE";
    for (const char c : ascii) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// A 2048 x 2048 picture of 32 bits, the largest a gauge may name.
std::string LargestBitmap() {
    const uint32_t side = XPL::CGaugeImage::kMaxDimension;
    std::string file(54 + 4 * side * side, '\0');
    const auto put = [&file](size_t at, uint32_t value, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            file[at + i] = static_cast<char>(value >> (8 * i));
        }
    };
    put(0, 0x4D42, 2);  // "BM"
    put(10, 54, 4);     // where the pixels start
    put(14, 40, 4);     // a Windows header
    put(18, side, 4);
    put(22, side, 4);
    put(26, 1, 2);   // planes
    put(28, 32, 2);  // bits per pixel
    return file;
}

void BM_LoadHostileGauge(benchmark::State& state, const std::function<std::string()>& make) {
    const std::string text = make();
    const fs::path folder = fs::temp_directory_path() / "xvs-hostile-gauge";
    fs::create_directories(folder / "1024");
    std::ofstream(folder / "1024" / "large.bmp", std::ios::binary) << LargestBitmap();
    std::ofstream(folder / "gauge.xml", std::ios::binary) << text;
    const std::wstring path = (folder / "gauge.xml").wstring();
    uint64_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const XPL::BENCH::CPeakMemory memory;
        state.ResumeTiming();
        XPL::CGaugeVariables variables;
        XPL::CGaugeDocument document;
        benchmark::DoNotOptimize(document.Load(variables, path));
        peak = std::max(peak, memory.PeakBytes());
    }
    state.counters["peak MB"] = static_cast<double>(peak) / 1e6;
    state.counters["file MB"] = static_cast<double>(text.size()) / 1e6;
    fs::remove_all(folder);
}

// The file is made when its benchmark runs.
#define XVS_HOSTILE(name, text)                                       \
    BENCHMARK_CAPTURE(BM_LoadHostileGauge, name, [] { return text; }) \
        ->Iterations(3)                                               \
        ->Unit(benchmark::kMillisecond)

XVS_HOSTILE(empty_elements_in_one_element,
            Fill("<Gauge><Element>", Same("<a/>"), "</Element></Gauge>"));
XVS_HOSTILE(elements_between_texts, Fill("<Gauge>", Same("<a/>x"), "</Gauge>"));
XVS_HOSTILE(comments, Fill("<Gauge>", Same("<!---->"), "</Gauge>"));
XVS_HOSTILE(attributes, Fill("<Gauge>", Same("<a b=''/>"), "</Gauge>"));
XVS_HOSTILE(attributes_of_one_element,
            Fill(
                "<Gauge", [](size_t i) { return " a" + std::to_string(i) + "=''"; }, "/>"));
XVS_HOSTILE(gauge_elements, Fill("<Gauge>", Same("<Element/>"), "</Gauge>"));
XVS_HOSTILE(mouse_areas, Fill("<Gauge><Mouse>", Same("<Area/>"), "</Mouse></Gauge>"));
XVS_HOSTILE(missing_images,
            Fill("<Gauge><Element>", Same("<Image Name='a'/>"), "</Element></Gauge>"));
// A usable gauge: its most elements, each naming the largest picture twice.
XVS_HOSTILE(largest_bitmap_named_again_and_again, [] {
    std::string text = "<Gauge><Image Name='large.bmp'/>";
    for (size_t i = 0; i < XPL::CGaugeDocument::kMaxElements; ++i) {
        text += "<Element><Image Name='large.bmp'/><MaskImage Name='large.bmp'/></Element>";
    }
    return text + "</Gauge>";
}());
XVS_HOSTILE(long_image_name,
            Fill("<Gauge><Element><Image Name='", Same("a"), "'/></Element></Gauge>"));
XVS_HOSTILE(nonlinearity_items, Fill("<Gauge><Element><Image><Nonlinearity>", Same("<Item/>"),
                                     "</Nonlinearity></Image></Element></Gauge>"));
XVS_HOSTILE(long_script,
            Fill("<Gauge><Element><Visible>", Same("1 "), "</Visible></Element></Gauge>"));
XVS_HOSTILE(variables, Fill(
                           "<Gauge><Element><Visible>",
                           [](size_t i) { return "(A:v" + std::to_string(i) + ",u) "; },
                           "</Visible></Element></Gauge>"));
XVS_HOSTILE(utf16_empty_elements, Utf16(Fill("<Gauge><Element>", Same("<a/>"), "</Element></Gauge>",
                                             (kLargest - 2) / 2)));
XVS_HOSTILE(sixteen_megabytes_of_empty_elements,
            Fill("<Gauge><Element>", Same("<a/>"), "</Element></Gauge>", 16u << 20));

}  // namespace
