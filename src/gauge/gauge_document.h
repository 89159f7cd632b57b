// A gauge: a background bitmap, elements drawn over it in order, mouse areas and the panel
// buttons bound to it, loaded from a gauge file of either XML dialect.
//
// Classic dialect, root "Gauge":
//   <Gauge Name="...">
//     <Image Name="bg.bmp" ImageSizes="designW,designH,targetW,targetH"/>   the background
//     <Element>
//       <Position X=".." Y=".."/>
//       <Visible>script</Visible>
//       <MaskImage Name=".."><Axis X=".." Y=".."/></MaskImage>
//       <Image Name=".." Alpha="Yes"><Axis X=".." Y=".."/><Nonlinearity>..</Nonlinearity></Image>
//       <Shift><Value Minimum=".." Maximum="..">script</Value><Scale X=".." Y=".."/>
//              <Nonlinearity><Item Value=".." X=".." Y=".."/>..</Nonlinearity></Shift>
//       <Rotate><Value ..>script</Value><Nonlinearity><Item Value=".." Degrees=".."/>..
//     </Element>
//     <Mouse><Area><Area><Cursor Type="UpArrow"/><Click>script</Click></Area>..</Area></Mouse>
//   </Gauge>
// Bitmaps come from the file's folder + "\1024". "ImageSizes" scales every position, axis, scale
// and item point read after it by target ÷ design (a design size of 0 scales nothing). Any other
// child of the root makes the gauge unusable.
//
// Document dialect, root "SimBase.Document" / "SimGauge.Gauge": the same model written with
// "FloatPosition", "Visibility", "Expression" / "Script" / "Minimum" / "Maximum", pair texts
// "x,y" and "MouseArea"; bitmaps from the file's folder; no scaling. Such a gauge is shown: its
// target size is its background's size, so it is placed like a classic gauge of that size.
//
// Bounds for shared files (besides those of the XML tree, CXmlNode): at most kMaxElements
// elements, and the bitmaps of one gauge hold at most kMaxPixels pixels together, read from at
// most kMaxBitmapLoads files (bitmaps past that are not loaded, and one failure says so) of at
// most kMaxBitmapFileBytes together. Mouse areas past kMaxMouseAreas are not kept.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gauge/gauge_element.h"
#include "gauge/gauge_image.h"

namespace XPL {

class CGaugeCanvas;
class CGaugeVariables;
class CXmlNode;

// A mouse area's scripts; read from the file, used by nothing else.
struct GaugeMouseArea {
    std::wstring upScript;
    uint32_t upValue = 0;
    std::wstring downScript;
    uint32_t downValue = 0;
};

// A panel button bound to the gauge (bound after loading; drawn as a label).
struct GaugeButton {
    int32_t id = 0;  // 1 to 6 draw a label
    std::wstring label;
    std::wstring event;
    uint32_t eventType = 0;
    uint32_t fontWeight = 400;
    uint32_t textColour = 0xFFFFFF;  // COLORREF: white
    uint8_t visible = 0;
};

enum class GaugeDialect : uint8_t { None, Classic, Document };

class CGaugeDocument {
public:
    static constexpr size_t kMaxElements = 1024;
    static constexpr uint64_t kMaxPixels = 16u << 20;
    // The files of 32-bit pictures that fill kMaxPixels, with room for headers and padding: one
    // large file named again and again is read no more often than that allows.
    static constexpr uint64_t kMaxBitmapFileBytes = 4 * kMaxPixels + (16u << 20);
    // Bitmap files one gauge may ask for (each element has two images).
    static constexpr size_t kMaxBitmapLoads = 4 * kMaxElements;
    static constexpr size_t kMaxMouseAreas = kMaxElements;
    // The screen panel's picture.
    static constexpr int32_t kScreenWidth = 320;
    static constexpr int32_t kScreenHeight = 240;

    CGaugeDocument() = default;
    CGaugeDocument(const CGaugeDocument&) = delete;
    CGaugeDocument& operator=(const CGaugeDocument&) = delete;

    // Reads the gauge file at path (a Windows path) into this empty document, registering its
    // scripts' variables with variables, which must outlive the document. True when the gauge is
    // usable; otherwise loadFailure tells why (the document may be partly filled). Bitmaps that
    // did not load leave their images empty and are listed in bitmapFailures.
    bool Load(CGaugeVariables& variables, std::wstring_view path);
    // The same for a tree already read; path only places the bitmaps' folder.
    bool Load(CGaugeVariables& variables, const CXmlNode& root, std::wstring_view path);

    // Clears the canvas to black and draws the gauge into it: the background at the placement
    // (x0, y0) = (320 − targetWidth, (240 − targetHeight) ÷ 2) with RGB(1, 1, 1) left out, each
    // element in document order, then each bound button's label (buttons 1 to 6, top to bottom,
    // in the strip from x = 2 to x0). Scripts read the variables' working values and may write
    // them, so the caller keeps Fetch from running meanwhile (the gauge's lock). Allocates
    // nothing once the canvas has drawn the gauge's labels before (their glyphs are kept).
    void Draw(CGaugeCanvas& canvas) const;
    // The placement of the gauge's top-left corner on the canvas, saturated to int32.
    int32_t PlacementX() const;
    int32_t PlacementY() const;

    CGaugeImage background;
    std::vector<std::unique_ptr<CGaugeElement>> elements;  // the drawing order
    std::vector<GaugeMouseArea> mouseAreas;
    std::vector<GaugeButton> buttons;
    int32_t targetWidth = 0;
    int32_t targetHeight = 0;
    int32_t designWidth = 0;
    int32_t designHeight = 0;
    std::wstring imageFolder;
    std::wstring name;

    GaugeDialect dialect = GaugeDialect::None;
    std::wstring loadFailure;
    std::vector<std::wstring> bitmapFailures;  // "path: reason"

    // Where things stand in the file (lines from 1; 0 when unknown), for messages: the element
    // that made the gauge unusable, the element naming each of bitmapFailures, the first
    // background Image, and the Image whose "ImageSizes" (imageSizes, as written; empty when no
    // Image has one) counts.
    uint32_t loadFailureLine = 0;
    std::vector<uint32_t> bitmapFailureLines;
    uint32_t backgroundLine = 0;
    std::wstring imageSizes;
    uint32_t imageSizesLine = 0;

    // Where the gauge's top-left corner goes on the screen: at the right edge, centred
    // vertically, so the strip to its left holds the button labels.
    void Placement(int32_t& x, int32_t& y) const {
        x = kScreenWidth - targetWidth;
        y = (kScreenHeight - targetHeight) / 2;
    }

private:
    float ScaleX(float v) const;
    float ScaleY(float v) const;
    // line: of the element naming the bitmap.
    void LoadImage(CGaugeImage& image, const std::wstring* fileName, float axisX, float axisY,
                   bool alpha, uint32_t line);
    CGaugeElement* AddElement(uint32_t line);
    void AddMouseArea(GaugeMouseArea&& area);

    bool ReadClassic(const CXmlNode& root);
    void ReadImageSizes(const std::wstring& text);
    void ReadClassicElement(const CXmlNode& node, CGaugeElement& element);
    void ReadClassicShift(const CXmlNode& node, CGaugeElement& element);
    void ReadClassicRotate(const CXmlNode& node, CGaugeElement& element);
    void ReadNonlinearity(const CXmlNode& node, CGaugeElement& element);
    bool ReadClassicMouse(const CXmlNode& node);

    bool ReadDocument(const CXmlNode& root);
    void ReadDocumentElement(const CXmlNode& node, CGaugeElement& element);
    void ReadDocumentMouse(const CXmlNode& node);

    CGaugeVariables* variables_ = nullptr;
    CGaugeImage::Budget bitmapBudget_{kMaxBitmapFileBytes, kMaxPixels};
    size_t bitmapLoads_ = 0;
    bool tooManyElements_ = false;
};

}  // namespace XPL
