// D3DXCreateTextureFromFileExA: a texture with the file's picture, through the
// device's own CreateTexture and LockRect.
#include "d3dx9.h"
#include "image.h"

#include <winpath.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using d3dx::Filter;
using d3dx::Image;

uint32_t NextPowerOfTwo(uint32_t v) {
    uint32_t p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

Filter FilterOf(DWORD filter, Filter fallback) {
    if (filter == D3DX_DEFAULT) return fallback;
    switch (filter & 0xFF) {
    case D3DX_FILTER_NONE:
        return Filter::None;
    case D3DX_FILTER_POINT:
        return Filter::Point;
    case D3DX_FILTER_LINEAR:
        return Filter::Linear;
    case D3DX_FILTER_TRIANGLE:
        return Filter::Triangle;
    case D3DX_FILTER_BOX:
        return Filter::Box;
    default:
        return fallback;
    }
}

bool ReadFile(const char* name, std::vector<uint8_t>& bytes) {
    FILE* f = OpenWindowsFile(name, "rb");
    if (!f) return false;
    uint8_t chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(f);
    return true;
}

void Store(const Image& img, D3DFORMAT format, D3DLOCKED_RECT& lr) {
    for (uint32_t y = 0; y < img.height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(lr.pBits) + size_t(y) * lr.Pitch;
        const uint32_t* src = &img.pixels[size_t(y) * img.width];
        for (uint32_t x = 0; x < img.width; ++x) {
            const uint32_t p = src[x];
            switch (format) {
            case D3DFMT_A8R8G8B8:
                reinterpret_cast<uint32_t*>(row)[x] = p;
                break;
            case D3DFMT_X8R8G8B8:
                reinterpret_cast<uint32_t*>(row)[x] = p | 0xFF000000u;
                break;
            case D3DFMT_A4R4G4B4:
                reinterpret_cast<uint16_t*>(row)[x] =
                    static_cast<uint16_t>(((p >> 16) & 0xF000) | ((p >> 12) & 0x0F00) |
                                          ((p >> 8) & 0x00F0) | ((p >> 4) & 0x000F));
                break;
            case D3DFMT_R5G6B5:
                reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(
                    ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
                break;
            default:
                break;
            }
        }
    }
}

} // namespace

HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR srcFile, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY*,
                                            IDirect3DTexture9** texture) {
    if (!device || !srcFile || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    std::vector<uint8_t> bytes;
    if (!ReadFile(srcFile, bytes)) return D3DXERR_INVALIDDATA;

    Image picture;
    D3DXIMAGE_FILEFORMAT fileFormat;
    static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (bytes.size() >= 8 && memcmp(bytes.data(), pngSignature, 8) == 0) {
        if (!d3dx::DecodePng(bytes.data(), bytes.size(), picture)) return D3DXERR_INVALIDDATA;
        fileFormat = D3DXIFF_PNG;
    } else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        if (!d3dx::DecodeBmp(bytes.data(), bytes.size(), picture)) return D3DXERR_INVALIDDATA;
        fileFormat = D3DXIFF_BMP;
    } else {
        return D3DXERR_INVALIDDATA;
    }
    const D3DFORMAT fileColour = picture.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (srcInfo)
        *srcInfo = D3DXIMAGE_INFO{picture.width, picture.height,   1,         1,
                                  fileColour,    D3DRTYPE_TEXTURE, fileFormat};

    // Sizes: 0 or D3DX_DEFAULT round the file's up to powers of two.
    auto sizeOf = [](UINT asked, uint32_t file) -> uint32_t {
        if (asked == 0 || asked == D3DX_DEFAULT) return NextPowerOfTwo(file);
        if (asked == D3DX_DEFAULT_NONPOW2 || asked == D3DX_FROM_FILE) return file;
        return asked;
    };
    uint32_t w = sizeOf(width, picture.width), h = sizeOf(height, picture.height);
    D3DCAPS9 caps{};
    if (SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxTextureWidth > 0) {
        w = std::min<uint32_t>(w, caps.MaxTextureWidth);
        h = std::min<uint32_t>(h, caps.MaxTextureHeight ? caps.MaxTextureHeight : w);
    }
    uint32_t full = 1;
    while ((std::max(w, h) >> full) > 0)
        ++full;
    uint32_t levels = (mipLevels == 0 || mipLevels == D3DX_DEFAULT || mipLevels == D3DX_FROM_FILE)
                          ? full
                          : std::min<uint32_t>(mipLevels, full);
    if (format == D3DFMT_UNKNOWN) format = fileColour;
    if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8 && format != D3DFMT_A4R4G4B4 &&
        format != D3DFMT_R5G6B5)
        return D3DERR_INVALIDCALL;

    if (colorKey) {
        // Texels of the key colour become transparent black.
        for (uint32_t& p : picture.pixels)
            if (p == colorKey) p = 0;
        picture.alpha = true;
    }

    IDirect3DTexture9* t = nullptr;
    HRESULT hr = device->CreateTexture(w, h, levels, usage, format, pool, &t, nullptr);
    if (FAILED(hr)) return hr;
    const Filter main = FilterOf(filter, Filter::Triangle);
    const Filter mips = FilterOf(mipFilter, Filter::Box);
    const DWORD mirrorFrom = filter == D3DX_DEFAULT ? 0 : filter;
    const DWORD mipMirror = mipFilter == D3DX_DEFAULT ? 0 : mipFilter;
    Image level = d3dx::Resample(picture, w, h, main, mirrorFrom & D3DX_FILTER_MIRROR_U,
                                 mirrorFrom & D3DX_FILTER_MIRROR_V);
    for (uint32_t i = 0; i < levels; ++i) {
        if (i > 0)
            level =
                d3dx::Resample(level, std::max(1u, w >> i), std::max(1u, h >> i), mips,
                               mipMirror & D3DX_FILTER_MIRROR_U, mipMirror & D3DX_FILTER_MIRROR_V);
        D3DLOCKED_RECT lr;
        if (FAILED(t->LockRect(i, &lr, nullptr, 0))) {
            t->Release();
            return D3DERR_INVALIDCALL;
        }
        Store(level, format, lr);
        t->UnlockRect(i);
    }
    *texture = t;
    return D3D_OK;
}
