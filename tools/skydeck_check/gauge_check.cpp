#include "gauge_check.h"

#include "gauge/gauge_document.h"
#include "gauge/gauge_numbers.h"
#include "gauge/gauge_variables.h"
#include "gauge/xml_node.h"
#include "script_check.h"

namespace XPL::CHECKTOOL {

namespace {

// "designWidth,designHeight,targetWidth,targetHeight", each a decimal integer.
bool WellFormedImageSizes(const std::wstring& text) {
    size_t parts = 0;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(L',', start);
        const std::wstring part = text.substr(start, comma - start);
        const size_t first = UTILITY::SkipBlanks(part);
        const size_t digits = part.find_first_not_of(L"0123456789", first);
        const size_t rest =
            UTILITY::SkipBlanks(part, digits == std::wstring::npos ? part.size() : digits);
        if (first == part.size() || digits == first || rest != part.size()) {
            return false;
        }
        ++parts;
        if (comma == std::wstring::npos) {
            return parts == 4;
        }
        start = comma + 1;
    }
}

std::wstring Number(float value) {
    std::wstring text = std::to_wstring(value);
    // std::to_wstring writes six decimals: drop the zeros that end them.
    if (text.find(L'.') != std::wstring::npos) {
        text.erase(text.find_last_not_of(L'0') + 1);
        if (text.back() == L'.') {
            text.pop_back();
        }
    }
    return text;
}

}  // namespace

CGaugeCheck::Result CGaugeCheck::Check(const std::wstring& path, const std::string& shown) {
    findings_.Reading(shown);
    Result result;
    std::wstring error;
    uint32_t errorLine = 0;
    const std::unique_ptr<CXmlNode> root = CXmlNode::ParseXmlFile(path, &error, &errorLine);
    if (root == nullptr) {
        findings_.Error(shown, errorLine,
                        L"the file does not read as XML, so the plug-in skips the gauge: " + error);
        return result;
    }
    CGaugeVariables variables;
    CGaugeDocument document;
    result.usable = document.Load(variables, *root, path);
    result.name = document.name;
    if (!result.usable) {
        findings_.Error(shown, document.loadFailureLine,
                        L"the plug-in skips this gauge: " + document.loadFailure);
    }
    if (document.dialect == GaugeDialect::None) {
        return result;
    }
    for (size_t i = 0; i < document.bitmapFailures.size(); ++i) {
        findings_.Error(
            shown, document.bitmapFailureLines[i],
            L"a bitmap does not load, so it is not drawn: " + document.bitmapFailures[i]);
    }

    // Where the gauge lands on the screen.
    const uint32_t sizesLine =
        document.imageSizesLine != 0 ? document.imageSizesLine : document.backgroundLine;
    bool placed = true;
    if (document.dialect == GaugeDialect::Classic) {
        if (document.imageSizes.empty()) {
            findings_.Error(shown, sizesLine != 0 ? sizesLine : root->line,
                            L"the background Image has no ImageSizes, so the target size is "
                            L"0 x 0, which places the gauge at x 320: off the screen");
            placed = false;
        } else if (!WellFormedImageSizes(document.imageSizes)) {
            findings_.Error(shown, sizesLine,
                            L"ImageSizes \"" + document.imageSizes +
                                L"\" is not design width, design height, target width, target "
                                L"height: it reads as target size " +
                                std::to_wstring(document.targetWidth) + L" x " +
                                std::to_wstring(document.targetHeight));
        }
    }
    if (placed) {
        int32_t x = 0;
        int32_t y = 0;
        document.Placement(x, y);
        const int32_t width =
            document.background.HasBitmap() ? document.background.Width() : document.targetWidth;
        const int32_t height =
            document.background.HasBitmap() ? document.background.Height() : document.targetHeight;
        if (x < 0 || y < 0 || x + width > CGaugeDocument::kScreenWidth ||
            y + height > CGaugeDocument::kScreenHeight || document.targetWidth <= 0) {
            findings_.Error(shown, sizesLine != 0 ? sizesLine : root->line,
                            L"the target size " + std::to_wstring(document.targetWidth) + L" x " +
                                std::to_wstring(document.targetHeight) + L" places the gauge's " +
                                std::to_wstring(width) + L" x " + std::to_wstring(height) +
                                L" picture at (" + std::to_wstring(x) + L", " + std::to_wstring(y) +
                                L"), not within the " +
                                std::to_wstring(CGaugeDocument::kScreenWidth) + L" x " +
                                std::to_wstring(CGaugeDocument::kScreenHeight) + L" screen");
        }
    }

    CScriptCheck scripts(findings_, shown, &variables);
    for (const auto& element : document.elements) {
        // The scripts in the order an element is drawn: they share the "if{" condition.
        scripts.BeginElement();
        if (element->hasVisibility != 0) {
            scripts.Check(element->visibilityScript, element->visibilityLine,
                          L"the visibility script");
        }
        if (element->hasRotate != 0) {
            scripts.Check(element->rotateScript, element->rotateLine, L"the rotation script");
        }
        if (element->hasShift != 0) {
            scripts.Check(element->shiftScript, element->shiftLine, L"the shift script");
        }
        const auto& items = element->nonlinearity;
        for (size_t k = 1; k < items.size(); ++k) {
            // Named at the item that breaks the order.
            const uint32_t line = items[k].line != 0 ? items[k].line : element->line;
            if (items[k].value == items[k - 1].value) {
                findings_.Error(shown, line,
                                L"two Nonlinearity items have the Value " + Number(items[k].value) +
                                    L": the segment between them has no length");
                break;
            }
            if (items[k].value < items[k - 1].value && items.size() > 2) {
                findings_.Error(shown, line,
                                L"the Nonlinearity items are not in ascending order of Value (" +
                                    Number(items[k].value) + L" follows " +
                                    Number(items[k - 1].value) +
                                    L"): values are looked up pair by pair in ascending order, "
                                    L"and one not found is placed between the first and the last "
                                    L"item");
                break;
            }
        }
    }
    return result;
}

}  // namespace XPL::CHECKTOOL
