// A GDI font turned into a glyph atlas texture, with a vertex buffer and two state
// blocks for drawing text. Nothing in the demo draws text; the atlas is built anyway.
#pragma once
#include <windows.h>
#include <wingdi.h>
#include <d3d9.h>

enum TextFontFlags : DWORD {
    FontBold = 1,
    FontItalic = 2,
    FontDepthTest = 4,
};

class TextFont {
  public:
    TextFont(const char* faceName, int pointSize, DWORD flags);
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    HRESULT Build(IDirect3DDevice9* device);
    HRESULT RestoreVolatileObjects();
    HRESULT ReleaseVolatileObjects();
    HRESULT Release();

    HRESULT CreateGdiFont(HDC dc, HFONT* font);
    HRESULT PaintGlyphs(HDC dc, bool measureOnly);

    char faceName[80];
    int pointSize;
    DWORD flags;
    IDirect3DDevice9* device;
    IDirect3DTexture9* texture;
    IDirect3DVertexBuffer9* vertexBuffer;
    DWORD textureWidth;
    DWORD textureHeight;
    float textScale;
    float glyphCoords[96][4];
    int spacing;
    IDirect3DStateBlock9* firstStateBlock;
    IDirect3DStateBlock9* secondStateBlock;

    // The largest atlas the size search tries before it gives up.
    static constexpr DWORD kLargestAtlas = 16384;
};
