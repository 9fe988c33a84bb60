#include "gfx/text_font.h"

#include <cmath>
#include <initializer_list>
#include <cstring>

TextFont::TextFont(const char* name, int size, DWORD fontFlags)
    : faceName{}, pointSize(size), flags(fontFlags), device(nullptr), texture(nullptr),
      vertexBuffer(nullptr), textureWidth(0), textureHeight(0), textScale(1.0f), glyphCoords{},
      spacing(0), firstStateBlock(nullptr), secondStateBlock(nullptr) {
    strncpy(faceName, name ? name : "", sizeof faceName - 1);
    faceName[sizeof faceName - 1] = '\0';
}

TextFont::~TextFont() {
    ReleaseVolatileObjects();
    Release();
}

HRESULT TextFont::CreateGdiFont(HDC dc, HFONT* font) {
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    const int height = MulDiv(pointSize, static_cast<int>(dpi * textScale), 72);
    *font = CreateFontA(-height, 0, 0, 0, (flags & FontBold) ? FW_BOLD : FW_NORMAL,
                        (flags & FontItalic) ? 1 : 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, faceName);
    return *font ? S_OK : E_FAIL;
}

HRESULT TextFont::PaintGlyphs(HDC dc, bool measureOnly) {
    SIZE size;
    char text[2] = "x";
    if (!GetTextExtentPoint32A(dc, text, 1, &size)) return E_FAIL;
    // 0.3 as the single-precision constant: a height of 20 gives 7, not 6.
    spacing = static_cast<int>(std::ceil(size.cy * static_cast<double>(0.3f)));
    DWORD x = static_cast<DWORD>(spacing), y = 0;
    for (int c = 32; c < 127; ++c) {
        text[0] = static_cast<char>(c);
        if (!GetTextExtentPoint32A(dc, text, 1, &size)) return E_FAIL;
        const DWORD w = static_cast<DWORD>(size.cx), h = static_cast<DWORD>(size.cy);
        if (x + w + spacing > textureWidth) {
            x = static_cast<DWORD>(spacing);
            y += h + 1;
        }
        if (y + h > textureHeight) return D3DERR_MOREDATA;
        if (!measureOnly) {
            if (!ExtTextOutA(dc, static_cast<int>(x), static_cast<int>(y), ETO_OPAQUE, nullptr,
                             text, 1, nullptr))
                return E_FAIL;
            float* g = glyphCoords[c - 32];
            g[0] = static_cast<float>(x - spacing) / textureWidth;
            g[1] = static_cast<float>(y) / textureHeight;
            g[2] = static_cast<float>(x + w + spacing) / textureWidth;
            g[3] = static_cast<float>(y + h) / textureHeight;
        }
        x += w + 2 * spacing;
    }
    return S_OK;
}

HRESULT TextFont::Build(IDirect3DDevice9* d) {
    device = d;
    textScale = 1.0f;
    HDC dc = CreateCompatibleDC(nullptr);
    SetMapMode(dc, MM_TEXT);
    HFONT font = nullptr;
    HGDIOBJ previousFont = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    DWORD* bits = nullptr;
    HRESULT hr = CreateGdiFont(dc, &font);
    if (SUCCEEDED(hr)) {
        previousFont = SelectObject(dc, font);
        // Doubling from 128, square; bounded so that a font that never fits ends.
        textureWidth = textureHeight = 128;
        while ((hr = PaintGlyphs(dc, true)) == D3DERR_MOREDATA && textureWidth < kLargestAtlas)
            textureWidth = textureHeight = textureWidth * 2;
    }
    D3DCAPS9 caps{};
    if (SUCCEEDED(hr) || hr == D3DERR_MOREDATA) {
        device->GetDeviceCaps(&caps);
        if (caps.MaxTextureWidth > 0 && textureWidth > caps.MaxTextureWidth) {
            textScale = static_cast<float>(caps.MaxTextureWidth) / textureWidth;
            textureWidth = textureHeight = caps.MaxTextureWidth;
            bool first = true;
            // Each retry shrinks the font; it ends when the glyphs fit or stop shrinking.
            do {
                if (!first) textScale *= 0.9f;
                first = false;
                SelectObject(dc, previousFont);
                DeleteObject(font);
                font = nullptr;
                hr = CreateGdiFont(dc, &font);
                if (FAILED(hr)) break;
                SelectObject(dc, font);
                hr = PaintGlyphs(dc, true);
            } while (hr == D3DERR_MOREDATA && textScale > 0.01f);
        }
    }
    if (SUCCEEDED(hr))
        hr = device->CreateTexture(textureWidth, textureHeight, 1, 0, D3DFMT_A4R4G4B4,
                                   D3DPOOL_MANAGED, &texture, nullptr);
    if (SUCCEEDED(hr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = static_cast<LONG>(textureWidth);
        info.bmiHeader.biHeight = -static_cast<LONG>(textureHeight);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits),
                                  nullptr, 0);
        if (!bitmap || !bits) hr = E_FAIL; // no memory for the bitmap: nothing to copy
    }
    if (SUCCEEDED(hr)) {
        previousBitmap = SelectObject(dc, bitmap);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, 0x00000000);
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        hr = PaintGlyphs(dc, false);
    }
    if (SUCCEEDED(hr)) {
        D3DLOCKED_RECT locked{};
        hr = texture->LockRect(0, &locked, nullptr, 0);
        if (SUCCEEDED(hr) && locked.pBits) {
            auto* row = static_cast<BYTE*>(locked.pBits);
            for (DWORD y = 0; y < textureHeight; ++y) {
                auto* texels = reinterpret_cast<WORD*>(row);
                for (DWORD x = 0; x < textureWidth; ++x) {
                    // The blue channel's upper four bits: the coverage of white on black.
                    const BYTE a = static_cast<BYTE>((bits[textureWidth * y + x] >> 4) & 0xF);
                    texels[x] = a ? static_cast<WORD>((a << 12) | 0x0FFF) : 0;
                }
                row += locked.Pitch;
            }
        }
        hr = S_OK;
    }
    if (texture) texture->UnlockRect(0);
    if (previousBitmap) SelectObject(dc, previousBitmap);
    if (previousFont) SelectObject(dc, previousFont);
    if (bitmap) DeleteObject(bitmap);
    if (font) DeleteObject(font);
    DeleteDC(dc);
    return hr;
}

HRESULT TextFont::RestoreVolatileObjects() {
    HRESULT hr = device->CreateVertexBuffer(9600, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0,
                                            D3DPOOL_DEFAULT, &vertexBuffer, nullptr);
    if (FAILED(hr)) return hr;

    bool blending = true;
    IDirect3D9* direct3d = nullptr;
    if (SUCCEEDED(device->GetDirect3D(&direct3d))) {
        D3DCAPS9 caps{};
        device->GetDeviceCaps(&caps);
        D3DDISPLAYMODE mode{};
        device->GetDisplayMode(0, &mode);
        IDirect3DSurface9* target = nullptr;
        if (SUCCEEDED(device->GetRenderTarget(0, &target)) && target) {
            D3DSURFACE_DESC desc{};
            target->GetDesc(&desc);
            if (FAILED(direct3d->CheckDeviceFormat(
                    caps.AdapterOrdinal, caps.DeviceType, mode.Format,
                    D3DUSAGE_RENDERTARGET | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING,
                    D3DRTYPE_SURFACE, desc.Format)))
                blending = false;
            target->Release();
        }
        direct3d->Release();
    }

    for (IDirect3DStateBlock9** block : {&firstStateBlock, &secondStateBlock}) {
        device->BeginStateBlock();
        device->SetTexture(0, texture);
        device->SetRenderState(D3DRS_ZENABLE, (flags & FontDepthTest) ? TRUE : FALSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, blending ? TRUE : FALSE);
        if (blending) {
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        }
        device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device->SetRenderState(D3DRS_ALPHAREF, 0x08);
        device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
        device->SetRenderState(D3DRS_CLIPPING, TRUE);
        device->SetRenderState(D3DRS_CLIPPLANEENABLE, FALSE);
        device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
        device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_FOGENABLE, FALSE);
        device->SetRenderState(D3DRS_COLORWRITEENABLE, 0x0F);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
        device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        device->EndStateBlock(block);
    }
    return S_OK;
}

HRESULT TextFont::ReleaseVolatileObjects() {
    if (vertexBuffer) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    for (IDirect3DStateBlock9** block : {&firstStateBlock, &secondStateBlock})
        if (*block) {
            (*block)->Release();
            *block = nullptr;
        }
    return S_OK;
}

HRESULT TextFont::Release() {
    if (texture) {
        texture->Release();
        texture = nullptr;
    }
    device = nullptr;
    return S_OK;
}
