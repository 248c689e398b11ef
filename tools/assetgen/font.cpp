#include "tools/assetgen/font.h"
#include "tools/assetgen/image_io.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFaceCount = 6;

std::vector<uint32_t> decodeUtf8(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        uint32_t cp = c;
        int extra = 0;
        if (c >= 0xF0)
            cp = c & 0x07, extra = 3;
        else if (c >= 0xE0)
            cp = c & 0x0F, extra = 2;
        else if (c >= 0xC0)
            cp = c & 0x1F, extra = 1;
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (s[i] & 0x3F);
        out.push_back(cp);
    }
    return out;
}

}  // namespace

struct Fonts::Impl {
    FT_Library library = nullptr;
    FT_Face faces[kFaceCount] = {};

    FT_Face select(const TextStyle& style) const {
        FT_Face f = faces[int(style.face)];
        FT_Set_Char_Size(f, FT_F26Dot6(std::lround(style.size * style.widthScale * 64)),
                         FT_F26Dot6(std::lround(style.size * 64)), 72, 72);
        return f;
    }
};

Fonts::Fonts() : impl_(new Impl) {}

Fonts::~Fonts() {
    for (FT_Face f : impl_->faces)
        if (f) FT_Done_Face(f);
    if (impl_->library) FT_Done_FreeType(impl_->library);
    delete impl_;
}

const char* Fonts::fileName(Typeface face) {
    static const char* names[kFaceCount] = {"DejaVuSans.ttf",     "DejaVuSans-Bold.ttf",
                                            "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf",
                                            "DejaVuSerif.ttf",    "DejaVuSerif-Bold.ttf"};
    return names[int(face)];
}

bool Fonts::open(const std::string& directory) {
    if (!impl_->library && FT_Init_FreeType(&impl_->library) != 0) {
        std::fprintf(stderr, "%s: FreeType could not be started\n", g_toolName);
        return false;
    }
    for (int i = 0; i < kFaceCount; ++i) {
        std::string path = directory + "/" + fileName(Typeface(i));
        if (FT_New_Face(impl_->library, path.c_str(), 0, &impl_->faces[i]) != 0) {
            std::fprintf(stderr, "%s: cannot open the font %s\n", g_toolName, path.c_str());
            return false;
        }
    }
    return true;
}

namespace {

// The kerning between two glyphs of a face, in pixels; 0 where the face has none.
float kerning(FT_Face face, FT_UInt previous, FT_UInt glyph) {
    if (!previous || !glyph || !FT_HAS_KERNING(face)) return 0.0f;
    FT_Vector k;
    FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNFITTED, &k);
    return k.x / 64.0f;
}

}  // namespace

float Fonts::measure(const std::string& utf8, const TextStyle& style) const {
    FT_Face f = impl_->select(style);
    float pen = 0;
    FT_UInt prev = 0;
    for (uint32_t cp : decodeUtf8(utf8)) {
        FT_UInt gi = FT_Get_Char_Index(f, cp);
        pen += kerning(f, prev, gi);
        if (FT_Load_Glyph(f, gi, FT_LOAD_NO_HINTING) == 0)
            pen += f->glyph->advance.x / 64.0f + style.tracking * style.size;
        prev = gi;
    }
    return pen - (utf8.empty() ? 0 : style.tracking * style.size);
}

TextRun Fonts::render(const std::string& utf8, const TextStyle& style, int padding) const {
    FT_Face f = impl_->select(style);
    float ascender = f->size->metrics.ascender / 64.0f;
    float descender = -f->size->metrics.descender / 64.0f;
    float advance = measure(utf8, style);

    TextRun run;
    run.advance = advance;
    run.baseline = padding + int(std::ceil(ascender));
    int width = int(std::ceil(advance + style.size * 0.1f)) + 2 * padding;
    int height = int(std::ceil(ascender) + std::ceil(descender)) + 2 * padding;
    run.mask = Mask(width, height);

    float pen = 0;
    FT_UInt prev = 0;
    for (uint32_t cp : decodeUtf8(utf8)) {
        FT_UInt gi = FT_Get_Char_Index(f, cp);
        pen += kerning(f, prev, gi);
        // Fractional pen positions go through the transform's offset, so spacing stays exact.
        float whole = std::floor(pen);
        FT_Vector delta = {FT_Pos(std::lround((pen - whole) * 64)), 0};
        FT_Set_Transform(f, nullptr, &delta);
        if (FT_Load_Glyph(f, gi, FT_LOAD_NO_HINTING | FT_LOAD_RENDER) == 0) {
            FT_GlyphSlot g = f->glyph;
            int ox = padding + int(whole) + g->bitmap_left;
            int oy = run.baseline - g->bitmap_top;
            for (unsigned y = 0; y < g->bitmap.rows; ++y)
                for (unsigned x = 0; x < g->bitmap.width; ++x) {
                    int tx = ox + int(x), ty = oy + int(y);
                    if (tx < 0 || ty < 0 || tx >= width || ty >= height) continue;
                    float v = g->bitmap.buffer[y * g->bitmap.pitch + x] / 255.0f;
                    float& m = run.mask.at(tx, ty);
                    m = std::min(1.0f, m + v);
                }
            run.ascent = std::max(run.ascent, float(g->bitmap_top));
            pen += g->advance.x / 64.0f + style.tracking * style.size;
        }
        FT_Set_Transform(f, nullptr, nullptr);
        prev = gi;
    }
    return run;
}

TextStyle fitWidth(const Fonts& fonts, const std::string& text, TextStyle style, float width,
                   float maxSize) {
    style.size = 100;
    float w = fonts.measure(text, style);
    style.size = w > 0 ? std::min(maxSize, 100 * width / w) : maxSize;
    return style;
}
