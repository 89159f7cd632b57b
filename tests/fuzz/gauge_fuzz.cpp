// Fuzz target: the bytes of a gauge file read into the tree and loaded as a document, with
// bitmaps a.bmp and b.bmp beside it (also in its "1024" folder); then each element's scripts
// evaluated in one context, and the gauge drawn into a canvas kept from one input to the next,
// as the screen panel keeps its own.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "gauge/gauge_canvas.h"
#include "gauge/gauge_document.h"
#include "gauge/gauge_script.h"
#include "gauge/gauge_variables.h"
#include "gauge/xml_node.h"

namespace {

// A 2 x 2, 24-bit bottom-up BMP.
std::string SmallBitmap() {
    const unsigned char header[] = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,               // file header
        40,  0,   0,  0, 2, 0, 0, 0, 2, 0, 0,  0, 1, 0, 24, 0, 0, 0,  // info header
        0,   0,   16, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof header);
    bytes += std::string("\x01\x02\x03\x04\x05\x06\0\0\x07\x08\x09\x0a\x0b\x0c\0\0", 16);
    return bytes;
}

std::wstring GaugeFolder() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "xvs-fuzz-gauge";
    for (const fs::path& sub : {folder, folder / "1024"}) {
        fs::create_directories(sub);
        for (const char* name : {"a.bmp", "b.bmp"}) {
            std::ofstream(sub / name, std::ios::binary) << SmallBitmap();
        }
    }
    return folder.wstring() + L"\\gauge.xml";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::wstring path = GaugeFolder();
    const std::unique_ptr<XPL::CXmlNode> root =
        XPL::CXmlNode::ParseXmlBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (root == nullptr) {
        return 0;
    }
    XPL::CGaugeVariables variables;
    XPL::CGaugeDocument document;
    document.Load(variables, *root, path);
    for (const auto& element : document.elements) {
        XPL::CGaugeScript context(element->variables);
        context.Evaluate(element->visibilityScript);
        context.Evaluate(element->rotateScript);
        context.Evaluate(element->shiftScript);
    }
    static XPL::CGaugeCanvas canvas(nullptr);
    document.Draw(canvas);
    return 0;
}
