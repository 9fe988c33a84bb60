// Fonts through fontconfig and FreeType; bitmaps as plain memory.
#include "wingdi.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum class Kind { Font, Bitmap };

struct Object {
    Kind kind;
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    ~Font() override {
        if (face) FT_Done_Face(face);
    }
    FT_Face face = nullptr;
    int ascent = 0, descent = 0; // pixels
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    int width = 0, height = 0; // rows from the top
    bool topDown = true;
    std::vector<uint32_t> pixels;
    uint32_t* Row(int y) { return &pixels[size_t(topDown ? y : height - 1 - y) * width]; }
};

struct Context : HDC__ {
    Font* font = nullptr;
    Bitmap* bitmap = nullptr;
    COLORREF text = 0, background = 0xFFFFFF;
    UINT align = 0;
};

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        FT_Init_FreeType(&l);
        return l;
    }();
    return library;
}

// The stock objects a new context starts with.
Font* StockFont() {
    static Font* font = new Font;
    return font;
}
Bitmap* StockBitmap() {
    static Bitmap* bitmap = [] {
        auto* b = new Bitmap;
        b->width = b->height = 1;
        b->pixels.assign(1, 0);
        return b;
    }();
    return bitmap;
}

std::string FaceFile(const char* name, int weight, bool italic) {
    FcPattern* p = FcPatternCreate();
    FcPatternAddString(p, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(name && *name ? name : "sans"));
    FcPatternAddInteger(p, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result;
    // A face that is missing falls back to what fontconfig finds closest (the sans).
    FcPattern* match = FcFontMatch(nullptr, p, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file = reinterpret_cast<const char*>(path);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(p);
    return file;
}

Context* Dc(HDC dc) {
    return static_cast<Context*>(dc);
}

uint32_t ToPixel(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

} // namespace

HDC CreateCompatibleDC(HDC) {
    auto* dc = new Context;
    dc->font = StockFont();
    dc->bitmap = StockBitmap();
    return dc;
}

BOOL DeleteDC(HDC dc) {
    if (!dc) return FALSE;
    delete Dc(dc);
    return TRUE;
}

int SetMapMode(HDC dc, int mode) {
    return dc && mode == MM_TEXT ? MM_TEXT : 0;
}

int GetDeviceCaps(HDC dc, int index) {
    if (!dc) return 0;
    return index == LOGPIXELSY || index == LOGPIXELSX ? 96 : 0;
}

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD, DWORD,
                  DWORD, DWORD, DWORD, LPCSTR faceName) {
    const std::string file = FaceFile(faceName, weight, italic != 0);
    FT_Face face = nullptr;
    if (file.empty() || FT_New_Face(Library(), file.c_str(), 0, &face) != 0) return nullptr;
    // Negative: the character (em) height; positive: the cell height; 0: a default.
    int em = height < 0 ? -height : height;
    if (height > 0 && face->units_per_EM > 0) {
        const double cell = double(face->ascender - face->descender) / face->units_per_EM;
        em = std::max(1, int(std::lround(height / cell)));
    }
    if (em == 0) em = 16;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));
    auto* font = new Font;
    font->face = face;
    font->ascent = int(face->size->metrics.ascender >> 6);
    font->descent = int(-(face->size->metrics.descender >> 6));
    return reinterpret_cast<HFONT>(static_cast<Object*>(font));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (!dc || !object) return nullptr;
    auto* o = static_cast<Object*>(object);
    Context* c = Dc(dc);
    if (o->kind == Kind::Font) {
        Object* previous = c->font;
        c->font = static_cast<Font*>(o);
        return previous;
    }
    Object* previous = c->bitmap;
    c->bitmap = static_cast<Bitmap*>(o);
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    auto* o = static_cast<Object*>(object);
    if (!o || o == StockFont() || o == StockBitmap()) return FALSE;
    delete o;
    return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size) {
    if (!dc || !size || count < 0 || (count > 0 && !text)) return FALSE;
    Font* font = Dc(dc)->font;
    if (!font || !font->face) return FALSE;
    LONG width = 0;
    for (int i = 0; i < count; ++i) {
        if (FT_Load_Char(font->face, static_cast<unsigned char>(text[i]), FT_LOAD_DEFAULT) != 0)
            continue;
        width += static_cast<LONG>((font->face->glyph->advance.x + 32) >> 6);
    }
    size->cx = width;
    size->cy = font->ascent + font->descent;
    return TRUE;
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT*, LPCSTR text, UINT count,
                 const INT*) {
    if (!dc || (count > 0 && !text)) return FALSE;
    Context* c = Dc(dc);
    Font* font = c->font;
    Bitmap* bm = c->bitmap;
    if (!font || !font->face || !bm) return FALSE;
    const uint32_t ink = ToPixel(c->text), paper = ToPixel(c->background);
    auto put = [&](int px, int py, float cover) {
        if (px < 0 || py < 0 || px >= bm->width || py >= bm->height) return; // clipped
        uint32_t& d = bm->Row(py)[px];
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            float a = float((d >> shift) & 0xFF), b = float((ink >> shift) & 0xFF);
            out |= uint32_t(std::lround(a + (b - a) * cover)) << shift;
        }
        d = out;
    };
    int pen = x;
    const int height = font->ascent + font->descent;
    for (UINT i = 0; i < count; ++i) {
        if (FT_Load_Char(font->face, static_cast<unsigned char>(text[i]), FT_LOAD_RENDER) != 0)
            continue;
        FT_GlyphSlot g = font->face->glyph;
        const int advance = int((g->advance.x + 32) >> 6);
        if (options & ETO_OPAQUE) // the cell in the background colour
            for (int py = y; py < y + height; ++py)
                for (int px = pen; px < pen + advance; ++px)
                    if (px >= 0 && py >= 0 && px < bm->width && py < bm->height)
                        bm->Row(py)[px] = paper;
        const FT_Bitmap& b = g->bitmap;
        for (unsigned r = 0; r < b.rows; ++r)
            for (unsigned col = 0; col < b.width; ++col) {
                const unsigned char cover = b.buffer[r * b.pitch + col];
                if (cover)
                    put(pen + g->bitmap_left + int(col), y + font->ascent - g->bitmap_top + int(r),
                        cover / 255.0f);
            }
        pen += advance;
    }
    return TRUE;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, VOID** bits, HANDLE, DWORD) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS) return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32 || h.biCompression != BI_RGB ||
        h.biWidth <= 0 || h.biHeight == 0 || h.biWidth > 32768 || std::abs(h.biHeight) > 32768)
        return nullptr;
    auto* bm = new Bitmap;
    bm->width = h.biWidth;
    bm->height = std::abs(h.biHeight);
    bm->topDown = h.biHeight < 0;
    bm->pixels.assign(size_t(bm->width) * bm->height, 0);
    if (bits) *bits = bm->pixels.data();
    return reinterpret_cast<HBITMAP>(static_cast<Object*>(bm));
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    if (!dc) return CLR_INVALID;
    COLORREF previous = Dc(dc)->text;
    Dc(dc)->text = colour;
    return previous;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    if (!dc) return CLR_INVALID;
    COLORREF previous = Dc(dc)->background;
    Dc(dc)->background = colour;
    return previous;
}

UINT SetTextAlign(HDC dc, UINT align) {
    if (!dc) return GDI_ERROR;
    UINT previous = Dc(dc)->align;
    Dc(dc)->align = align;
    return previous;
}
