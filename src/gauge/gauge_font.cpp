#include "gauge/gauge_font.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <system_error>

#include "gauge/windows_path.h"
#include "platform/folders.h"
#include "trace/trace.h"

// stb_truetype compiled here and nowhere else.
#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

namespace XPL {

namespace {

// A font file larger than this is no label font.
constexpr std::uintmax_t kMaxFontBytes = 64u << 20;

}  // namespace

struct CGaugeFont::Face {
    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
    float scale = 0.0f;
};

CGaugeFont::CGaugeFont() = default;
CGaugeFont::~CGaugeFont() = default;

bool CGaugeFont::Load(const std::filesystem::path& file, std::wstring* error) {
    const auto fail = [error](const wchar_t* reason) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    };
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(file, sizeError);
    if (sizeError) {
        return fail(L"the file cannot be found");
    }
    if (size > kMaxFontBytes) {
        return fail(L"the file is too large for a font");
    }
    auto face = std::make_unique<Face>();
    face->data.resize(static_cast<size_t>(size));
    std::ifstream stream(file, std::ios::binary);
    if (!stream || !stream.read(reinterpret_cast<char*>(face->data.data()),
                                static_cast<std::streamsize>(size))) {
        return fail(L"the file cannot be read");
    }
    // The smallest font has a table directory of 12 bytes.
    const unsigned char* data = face->data.data();
    const int offset = size >= 12 ? stbtt_GetFontOffsetForIndex(data, 0) : -1;
    if (offset < 0 || stbtt_InitFont(&face->info, data, offset) == 0) {
        return fail(L"the file is no TrueType font");
    }
    // The text cell is the font's Windows ascent plus descent (its line height where the font
    // has no such metrics), as the system sizes a font asked for by cell height.
    int ascent = 0;
    int descent = 0;
    int lineGap = 0;
    stbtt_GetFontVMetrics(&face->info, &ascent, &descent, &lineGap);
    descent = -descent;
    const stbtt_uint32 os2 = stbtt__find_table(face->info.data, face->info.fontstart, "OS/2");
    if (os2 != 0 &&
        ttUSHORT(face->info.data + os2 + 74) + ttUSHORT(face->info.data + os2 + 76) > 0) {
        ascent = ttUSHORT(face->info.data + os2 + 74);
        descent = ttUSHORT(face->info.data + os2 + 76);
    }
    if (ascent + descent <= 0) {
        return fail(L"the font has no height");
    }
    face->scale = static_cast<float>(kCellHeight) / static_cast<float>(ascent + descent);
    ascent_ = static_cast<int32_t>(std::lround(static_cast<float>(ascent) * face->scale));
    const stbtt_uint32 post = stbtt__find_table(face->info.data, face->info.fontstart, "post");
    underlineOffset_ = 1;
    if (post != 0) {
        const float position = static_cast<float>(ttSHORT(face->info.data + post + 8));
        underlineOffset_ =
            std::max<int32_t>(1, static_cast<int32_t>(std::lround(-position * face->scale)));
    }
    face_ = std::move(face);
    return true;
}

CGaugeFont::Glyph CGaugeFont::Rasterise(char32_t code) const {
    Glyph glyph;
    if (face_ == nullptr) {
        return glyph;
    }
    const stbtt_fontinfo& info = face_->info;
    const float scale = face_->scale;
    const int index = code <= 0x10FFFF ? stbtt_FindGlyphIndex(&info, static_cast<int>(code)) : 0;
    int advance = 0;
    int bearing = 0;
    stbtt_GetGlyphHMetrics(&info, index, &advance, &bearing);
    glyph.advance = static_cast<int32_t>(std::lround(static_cast<float>(advance) * scale));
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    stbtt_GetGlyphBitmapBox(&info, index, scale, scale, &x0, &y0, &x1, &y1);
    if (x1 <= x0 || y1 <= y0) {
        return glyph;  // a blank
    }
    glyph.left = x0;
    glyph.top = y0;
    glyph.width = x1 - x0;
    glyph.height = y1 - y0;
    std::vector<unsigned char> coverage(static_cast<size_t>(glyph.width) * glyph.height);
    stbtt_MakeGlyphBitmap(&info, coverage.data(), glyph.width, glyph.height, glyph.width, scale,
                          scale, index);
    glyph.on.resize(coverage.size());
    for (size_t i = 0; i < coverage.size(); ++i) {
        glyph.on[i] = coverage[i] >= 128 ? 1 : 0;
    }
    return glyph;
}

std::shared_ptr<const CGaugeFont> CGaugeFont::LoadLabelFont() {
    std::wstring folder;
    uint32_t status = 0;
    if (!PLATFORM::GetFontsFolder(folder, status)) {
        TraceWrite(kTraceFailure, TRACEKW::kScreen, kTraceMessage,
                   L"Failed in finding the fonts folder; button labels are left out due to 0x%x",
                   status);
        return nullptr;
    }
    std::wstring reasons;
    for (const wchar_t* name : kFileNames) {
        const std::wstring path = folder + L"\\" + name;
        auto font = std::make_shared<CGaugeFont>();
        std::wstring error;
        if (font->Load(UTILITY::ResolveWindowsPath(path), &error)) {
            return font;
        }
        reasons += (reasons.empty() ? L"" : L"; ") + path + L": " + error;
    }
    TraceWrite(kTraceFailure, TRACEKW::kScreen, kTraceMessage,
               L"Failed in loading the font of the button labels, which are left out: %s", reasons);
    return nullptr;
}

std::shared_ptr<const CGaugeFont> CGaugeFont::LabelFont() {
    static const std::shared_ptr<const CGaugeFont> font = LoadLabelFont();
    return font;
}

}  // namespace XPL
