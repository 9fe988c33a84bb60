// Text through FreeType, the face chosen by fontconfig.
#include "canvas.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>

namespace content {

namespace {

struct Faces {
    FT_Library library = nullptr;
    std::map<std::string, FT_Face> faces;
    Faces() { FT_Init_FreeType(&library); }
    FT_Face Get(const std::string& pattern) {
        auto it = faces.find(pattern);
        if (it != faces.end()) return it->second;
        FT_Face face = nullptr;
        FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
        FcConfigSubstitute(nullptr, p, FcMatchPattern);
        FcDefaultSubstitute(p);
        FcResult result;
        FcPattern* match = FcFontMatch(nullptr, p, &result);
        FcChar8* file = nullptr;
        if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
            FT_New_Face(library, reinterpret_cast<const char*>(file), 0, &face);
        if (match) FcPatternDestroy(match);
        FcPatternDestroy(p);
        faces[pattern] = face;
        return face;
    }
};

Faces& TheFaces() {
    static Faces* faces = new Faces;
    return *faces;
}

} // namespace

void ReleaseFonts() {
    Faces& f = TheFaces();
    for (auto& face : f.faces)
        if (face.second) FT_Done_Face(face.second);
    f.faces.clear();
    FT_Done_FreeType(f.library);
    f.library = nullptr;
    FcFini();
}

int DrawText(Canvas& canvas, const TextStyle& style, const std::string& text, int x, int y,
             bool draw) {
    FT_Face face = TheFaces().Get(style.pattern);
    if (!face) return 0;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.pixelSize));
    int pen = x;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector k;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &k);
            pen += static_cast<int>(k.x >> 6);
        }
        if (FT_Load_Glyph(face, glyph, draw ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) != 0) continue;
        FT_GlyphSlot g = face->glyph;
        if (draw) {
            const FT_Bitmap& bm = g->bitmap;
            for (unsigned r = 0; r < bm.rows; ++r)
                for (unsigned c = 0; c < bm.width; ++c) {
                    float cover = bm.buffer[r * bm.pitch + c] / 255.0f;
                    if (cover > 0)
                        canvas.Blend(pen + g->bitmap_left + int(c), y - g->bitmap_top + int(r),
                                     style.colour, cover);
                }
        }
        pen += static_cast<int>(g->advance.x >> 6);
        previous = glyph;
    }
    return pen - x;
}

} // namespace content
