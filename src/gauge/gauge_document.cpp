#include "gauge/gauge_document.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "gauge/gauge_canvas.h"
#include "gauge/gauge_numbers.h"
#include "gauge/gauge_variables.h"
#include "gauge/xml_node.h"

namespace XPL {

namespace {

using UTILITY::ParseDecimalFloat;
using UTILITY::TruncateToInt32;

constexpr float kPi = 3.1415927f;

// An attribute's decimal value; 0 when absent.
float Number(const CXmlNode& node, std::wstring_view attribute) {
    const std::wstring* text = node.GetAttribute(attribute);
    return text != nullptr ? ParseDecimalFloat(*text) : 0.0f;
}

// The direction of the table's point (a, b) as seen from the element: degrees clockwise from
// straight up.
float PointAngle(float a, float b) {
    const float t = std::atan(std::fabs(b) / std::fabs(a)) * 180.0f / kPi;
    if (a >= 0.0f && b <= 0.0f) {
        return t;
    }
    if (a < 0.0f && b <= 0.0f) {
        return 180.0f - t;
    }
    if (a >= 0.0f) {
        return 360.0f - t;
    }
    return 180.0f + t;
}

// "x,y": split at the last comma; without one x is the whole text and y is 0.
void ReadPair(const std::wstring& text, float& x, float& y) {
    const size_t comma = text.rfind(L',');
    if (comma == std::wstring::npos) {
        x = ParseDecimalFloat(text);
        y = 0.0f;
        return;
    }
    x = ParseDecimalFloat(std::wstring_view(text).substr(0, comma));
    y = ParseDecimalFloat(std::wstring_view(text).substr(comma + 1));
}

// The folder of a gauge file: its path up to the last separator (either kind), or "".
std::wstring FolderOf(std::wstring_view path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? std::wstring()
                                                : std::wstring(path.substr(0, separator));
}

// The last child of that name, or null.
const CXmlNode* LastChild(const CXmlNode& node, std::wstring_view name) {
    const CXmlNode* found = nullptr;
    for (const auto& child : node.children) {
        if (child->name == name) {
            found = child.get();
        }
    }
    return found;
}

}  // namespace

float CGaugeDocument::ScaleX(float v) const {
    return designWidth != 0 ? static_cast<float>(targetWidth) * v / static_cast<float>(designWidth)
                            : v;
}

float CGaugeDocument::ScaleY(float v) const {
    return designHeight != 0
               ? static_cast<float>(targetHeight) * v / static_cast<float>(designHeight)
               : v;
}

void CGaugeDocument::LoadImage(CGaugeImage& image, const std::wstring* fileName, float axisX,
                               float axisY, bool alpha, uint32_t line) {
    if (image.HasBitmap()) {
        return;  // only the first bitmap of an image loads
    }
    if (bitmapLoads_ >= kMaxBitmapLoads) {
        if (bitmapLoads_++ == kMaxBitmapLoads) {  // said once, of the first bitmap left out
            bitmapFailures.push_back(imageFolder + L"\\" + (fileName != nullptr ? *fileName : L"") +
                                     L": the gauge asks for more than " +
                                     std::to_wstring(kMaxBitmapLoads) +
                                     L" bitmaps (neither this one nor any after it is loaded)");
            bitmapFailureLines.push_back(line);
        }
        return;
    }
    ++bitmapLoads_;
    if (!image.Load(imageFolder, fileName != nullptr ? *fileName : std::wstring(), axisX, axisY,
                    alpha, &bitmapBudget_)) {
        bitmapFailures.push_back(image.Path() + L": " + image.Failure());
        bitmapFailureLines.push_back(line);
    }
}

CGaugeElement* CGaugeDocument::AddElement(uint32_t line) {
    if (elements.size() >= kMaxElements) {
        if (!tooManyElements_) {
            loadFailureLine = line;
        }
        tooManyElements_ = true;
        return nullptr;
    }
    elements.push_back(std::make_unique<CGaugeElement>(variables_,
                                                       static_cast<uint32_t>(background.Width()),
                                                       static_cast<uint32_t>(background.Height())));
    elements.back()->line = line;
    return elements.back().get();
}

void CGaugeDocument::AddMouseArea(GaugeMouseArea&& area) {
    if (mouseAreas.size() < kMaxMouseAreas) {
        mouseAreas.push_back(std::move(area));
    }
}

bool CGaugeDocument::Load(CGaugeVariables& variables, std::wstring_view path) {
    std::wstring error;
    const std::unique_ptr<CXmlNode> root = CXmlNode::ParseXmlFile(path, &error);
    if (root == nullptr) {
        loadFailure = L"the file does not read as XML: " + error;
        return false;
    }
    return Load(variables, *root, path);
}

bool CGaugeDocument::Load(CGaugeVariables& variables, const CXmlNode& root,
                          std::wstring_view path) {
    variables_ = &variables;
    bool usable = false;
    if (root.name == L"Gauge") {
        dialect = GaugeDialect::Classic;
        imageFolder = FolderOf(path) + L"\\1024";
        const std::wstring* gaugeName = root.GetAttribute(L"Name");
        name = gaugeName != nullptr ? *gaugeName : std::wstring();
        usable = ReadClassic(root);
    } else if (root.name == L"SimBase.Document") {
        dialect = GaugeDialect::Document;
        imageFolder = FolderOf(path);
        usable = ReadDocument(root);
    } else {
        loadFailure = L"the root element " + root.name + L" is neither Gauge nor SimBase.Document";
        loadFailureLine = root.line;
        return false;
    }
    if (tooManyElements_) {
        loadFailure = L"the gauge has more than " + std::to_wstring(kMaxElements) + L" elements";
        return false;
    }
    return usable;
}

bool CGaugeDocument::ReadClassic(const CXmlNode& root) {
    bool usable = true;
    for (const auto& child : root.children) {
        if (child->name == L"Image") {
            backgroundLine = backgroundLine != 0 ? backgroundLine : child->line;
            LoadImage(background, child->GetAttribute(L"Name"), 0.0f, 0.0f, false, child->line);
            if (const std::wstring* sizes = child->GetAttribute(L"ImageSizes")) {
                imageSizes = *sizes;
                imageSizesLine = child->line;
                ReadImageSizes(*sizes);
            }
        } else if (child->name == L"Element") {
            if (CGaugeElement* element = AddElement(child->line)) {
                ReadClassicElement(*child, *element);
            }
        } else if (child->name == L"Mouse") {
            ReadClassicMouse(*child);
        } else {
            if (usable) {
                loadFailure = L"the root holds an element " + child->name +
                              L" (only Image, Element and Mouse belong there)";
                loadFailureLine = child->line;
            }
            usable = false;
        }
    }
    return usable;
}

void CGaugeDocument::ReadImageSizes(const std::wstring& text) {
    // From the right: target height, target width, design height, and the rest design width.
    int32_t* fields[] = {&targetHeight, &targetWidth, &designHeight, &designWidth};
    std::wstring_view rest(text);
    for (size_t i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? rest.rfind(L',') : std::wstring_view::npos;
        *fields[i] = UTILITY::ParseDecimalInt(
            comma == std::wstring_view::npos ? rest : rest.substr(comma + 1));
        if (comma == std::wstring_view::npos) {
            return;
        }
        rest = rest.substr(0, comma);
    }
}

void CGaugeDocument::ReadClassicElement(const CXmlNode& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        const CXmlNode& part = *child;
        if (part.name == L"Position") {
            element.x = TruncateToInt32(ScaleX(Number(part, L"X")));
            element.y = TruncateToInt32(ScaleY(Number(part, L"Y")));
        } else if (part.name == L"Visible") {
            element.hasVisibility = 1;
            element.visibilityScript = part.text;
            element.visibilityLine = part.line;
            variables_->RegisterScript(part.text);
        } else if (part.name == L"MaskImage" || part.name == L"Image") {
            float axisX = 0.0f;
            float axisY = 0.0f;
            for (const auto& detail : part.children) {
                if (detail->name == L"Axis") {
                    axisX = Number(*detail, L"X");
                    axisY = Number(*detail, L"Y");
                } else if (detail->name == L"Nonlinearity" && part.name == L"Image") {
                    ReadNonlinearity(*detail, element);
                }
            }
            if (part.name == L"MaskImage") {
                element.hasMask = 1;
                LoadImage(element.mask, part.GetAttribute(L"Name"), ScaleX(axisX), ScaleY(axisY),
                          false, part.line);
            } else {
                const std::wstring* alpha = part.GetAttribute(L"Alpha");
                element.hasImage = 1;
                LoadImage(element.image, part.GetAttribute(L"Name"), ScaleX(axisX), ScaleY(axisY),
                          alpha != nullptr && *alpha == L"Yes", part.line);
            }
        } else if (part.name == L"Shift") {
            ReadClassicShift(part, element);
        } else if (part.name == L"Rotate") {
            ReadClassicRotate(part, element);
        }
        // "Select" (with its "Value" and "Case") and anything else: nothing to keep.
    }
}

void CGaugeDocument::ReadClassicShift(const CXmlNode& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        const CXmlNode& part = *child;
        if (part.name == L"Value") {
            element.hasShift = 1;
            element.shiftScript = part.text;
            element.shiftLine = part.line;
            if (part.GetAttribute(L"Minimum") != nullptr) {
                element.hasShiftMin = 1;
                element.shiftMin = Number(part, L"Minimum");
            }
            if (part.GetAttribute(L"Maximum") != nullptr) {
                element.hasShiftMax = 1;
                element.shiftMax = Number(part, L"Maximum");
            }
            variables_->RegisterScript(part.text);
        } else if (part.name == L"Scale") {
            element.shiftScaleX = ScaleX(Number(part, L"X"));
            element.shiftScaleY = ScaleY(Number(part, L"Y"));
        } else if (part.name == L"Nonlinearity") {
            ReadNonlinearity(part, element);
        }
    }
}

void CGaugeDocument::ReadClassicRotate(const CXmlNode& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        const CXmlNode& part = *child;
        if (part.name == L"Value") {
            element.hasRotate = 1;
            element.rotateScript = part.text;
            element.rotateLine = part.line;
            if (part.GetAttribute(L"Minimum") != nullptr) {
                element.hasRotateMin = 1;
                element.rotateMin = Number(part, L"Minimum");
            }
            if (part.GetAttribute(L"Maximum") != nullptr) {
                element.hasRotateMax = 1;
                element.rotateMax = Number(part, L"Maximum");
            }
            variables_->RegisterScript(part.text);
        } else if (part.name == L"Nonlinearity") {
            ReadNonlinearity(part, element);
        }
    }
}

void CGaugeDocument::ReadNonlinearity(const CXmlNode& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        if (child->name != L"Item") {
            continue;
        }
        NonlinearityItem item;
        item.line = child->line;
        item.value = Number(*child, L"Value");
        if (child->GetAttribute(L"Degrees") != nullptr) {
            item.degrees = Number(*child, L"Degrees");
        } else {
            item.x = ScaleX(Number(*child, L"X"));
            item.y = ScaleY(Number(*child, L"Y"));
            item.degrees = PointAngle(static_cast<float>(element.y) - item.y,
                                      static_cast<float>(element.x) - item.x);
        }
        element.nonlinearity.push_back(item);
    }
}

bool CGaugeDocument::ReadClassicMouse(const CXmlNode& node) {
    for (const auto& area : node.children) {
        if (area->name != L"Area") {
            continue;
        }
        GaugeMouseArea record;
        for (const auto& nested : area->children) {
            if (nested->name != L"Area") {
                continue;
            }
            bool up = false;
            std::wstring script;
            for (const auto& part : nested->children) {
                if (part->name == L"Cursor") {
                    const std::wstring* type = part->GetAttribute(L"Type");
                    if (type == nullptr) {
                        return false;  // no record from here on
                    }
                    up = *type == L"UpArrow";
                } else if (part->name == L"Click") {
                    script = part->GetAttribute(L"Event") != nullptr ? std::wstring() : part->text;
                }
            }
            (up ? record.upScript : record.downScript) = script;
            (up ? record.upValue : record.downValue) = 0;
        }
        AddMouseArea(std::move(record));
    }
    return true;
}

bool CGaugeDocument::ReadDocument(const CXmlNode& root) {
    for (const auto& gauge : root.children) {
        if (gauge->name != L"SimGauge.Gauge") {
            continue;
        }
        for (const auto& child : gauge->children) {
            if (child->name == L"Image") {
                backgroundLine = backgroundLine != 0 ? backgroundLine : child->line;
                LoadImage(background, child->GetAttribute(L"Name"), 0.0f, 0.0f, false, child->line);
            } else if (child->name == L"Element") {
                if (CGaugeElement* element = AddElement(child->line)) {
                    ReadDocumentElement(*child, *element);
                }
            } else if (child->name == L"MouseArea") {
                ReadDocumentMouse(*child);
            }
            // "FloatPosition" is read and not kept; other names are ignored.
        }
    }
    targetWidth = background.Width();
    targetHeight = background.Height();
    return true;
}

void CGaugeDocument::ReadDocumentElement(const CXmlNode& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        const CXmlNode& part = *child;
        if (part.name == L"FloatPosition") {
            float x = 0.0f;
            float y = 0.0f;
            ReadPair(part.text, x, y);
            element.x = TruncateToInt32(x);
            element.y = TruncateToInt32(y);
        } else if (part.name == L"Visibility") {
            element.hasVisibility = 1;
            element.visibilityScript = part.text;
            element.visibilityLine = part.line;
            variables_->RegisterScript(part.text);
        } else if (part.name == L"MaskImage" || part.name == L"Image") {
            float axisX = 0.0f;
            float axisY = 0.0f;
            if (const CXmlNode* axis = LastChild(part, L"Axis")) {
                ReadPair(axis->text, axisX, axisY);
            }
            if (part.name == L"MaskImage") {
                element.hasMask = 1;
                LoadImage(element.mask, part.GetAttribute(L"Name"), axisX, axisY, false, part.line);
            } else {
                element.hasImage = 1;
                LoadImage(element.image, part.GetAttribute(L"Name"), axisX, axisY, false,
                          part.line);
            }
        } else if (part.name == L"Shift" || part.name == L"Rotation") {
            const bool shift = part.name == L"Shift";
            for (const auto& detail : part.children) {
                if (detail->name == L"Scale" && shift) {
                    ReadPair(detail->text, element.shiftScaleX, element.shiftScaleY);
                } else if (detail->name == L"Expression") {
                    const CXmlNode* script = LastChild(*detail, L"Script");
                    const CXmlNode* minimum = LastChild(*detail, L"Minimum");
                    const CXmlNode* maximum = LastChild(*detail, L"Maximum");
                    const std::wstring text = script != nullptr ? script->text : std::wstring();
                    (shift ? element.hasShift : element.hasRotate) = 1;
                    (shift ? element.shiftScript : element.rotateScript) = text;
                    (shift ? element.shiftLine : element.rotateLine) =
                        script != nullptr ? script->line : detail->line;
                    if (minimum != nullptr) {
                        (shift ? element.hasShiftMin : element.hasRotateMin) = 1;
                        (shift ? element.shiftMin : element.rotateMin) =
                            ParseDecimalFloat(minimum->text);
                    }
                    if (maximum != nullptr) {
                        (shift ? element.hasShiftMax : element.hasRotateMax) = 1;
                        (shift ? element.shiftMax : element.rotateMax) =
                            ParseDecimalFloat(maximum->text);
                    }
                    variables_->RegisterScript(text);
                }
            }
        }
        // "Select" and anything else: ignored.
    }
}

void CGaugeDocument::ReadDocumentMouse(const CXmlNode& node) {
    GaugeMouseArea record;
    for (const auto& nested : node.children) {
        if (nested->name != L"MouseArea") {
            continue;
        }
        bool up = true;
        std::wstring script;
        for (const auto& part : nested->children) {
            if (part->name == L"CursorType") {
                up = part->text != L"DownArrow";
            } else if (part->name == L"MouseClick") {
                for (const auto& click : part->children) {
                    if (click->name == L"Script") {
                        script = click->text;
                    } else if (click->name == L"KeyEvent") {
                        script.clear();
                    }
                }
            }
        }
        (up ? record.upScript : record.downScript) = script;
        (up ? record.upValue : record.downValue) = 0;
    }
    AddMouseArea(std::move(record));
}

namespace {

int32_t SaturateToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Each label's row of the strip: 40 pixels per button, button 1 at the top.
constexpr int32_t kLabelRowHeight = 40;
constexpr int32_t kLabelButtons = 6;
constexpr int32_t kLabelLeft = 2;

}  // namespace

int32_t CGaugeDocument::PlacementX() const {
    return SaturateToInt32(int64_t{CGaugeCanvas::kWidth} - targetWidth);
}

int32_t CGaugeDocument::PlacementY() const {
    return SaturateToInt32((int64_t{CGaugeCanvas::kHeight} - targetHeight) / 2);
}

void CGaugeDocument::Draw(CGaugeCanvas& canvas) const {
    const int32_t x0 = PlacementX();
    const int32_t y0 = PlacementY();
    canvas.DrawBackground(background, x0, y0);
    for (const auto& element : elements) {
        element->Draw(canvas, x0, y0);
    }
    // Every bound button's label, shown or not; other numbers have no row.
    for (const GaugeButton& button : buttons) {
        if (button.id >= 1 && button.id <= kLabelButtons) {
            const int32_t top = (button.id - 1) * kLabelRowHeight;
            canvas.DrawText(kLabelLeft, top, x0, top + kLabelRowHeight, button.label,
                            button.textColour);
        }
    }
}

}  // namespace XPL
