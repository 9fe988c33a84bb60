// A real OpenGL device in a small window, for tests that look at pixels. Needs an
// X display (the tests run under a virtual X server).
#pragma once
#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}
} // namespace

class GlDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_NE(getenv("DISPLAY"), nullptr) << "pixel tests need an X display";
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PlainWindowProc;
        wc.lpszClassName = "PixelTest";
        RegisterClassExA(&wc);
        window = CreateWindowExA(0, "PixelTest", "pixels", WS_OVERLAPPEDWINDOW, 0, 0, width, height,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        d3d = Direct3DCreate9(31);
        ASSERT_NE(d3d, nullptr);
        params = D3DPRESENT_PARAMETERS{};
        params.BackBufferWidth = width;
        params.BackBufferHeight = height;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.BackBufferCount = 1;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.hDeviceWindow = window;
        params.Windowed = TRUE;
        params.EnableAutoDepthStencil = TRUE;
        params.AutoDepthStencilFormat = D3DFMT_D16;
        params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                    &params, &device),
                  D3D_OK);
    }
    void TearDown() override {
        if (device) {
            EXPECT_EQ(device->Release(), 0u);
        }
        if (d3d) d3d->Release();
        if (window) DestroyWindow(window);
    }

    // The back buffer as 0xAARRGGBB, rows from the top.
    std::vector<uint32_t> Read() {
        IDirect3DSurface9* rt = nullptr;
        IDirect3DSurface9* copy = nullptr;
        std::vector<uint32_t> out;
        if (device->GetRenderTarget(0, &rt) != D3D_OK) return out;
        D3DSURFACE_DESC desc;
        rt->GetDesc(&desc);
        device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_X8R8G8B8,
                                            D3DPOOL_SYSTEMMEM, &copy, nullptr);
        if (device->GetRenderTargetData(rt, copy) == D3D_OK) {
            D3DLOCKED_RECT lr;
            copy->LockRect(&lr, nullptr, D3DLOCK_READONLY);
            out.resize(size_t(desc.Width) * desc.Height);
            for (UINT y = 0; y < desc.Height; ++y)
                memcpy(&out[y * desc.Width], static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch,
                       desc.Width * 4);
            copy->UnlockRect();
        }
        copy->Release();
        rt->Release();
        return out;
    }
    uint32_t At(const std::vector<uint32_t>& px, int x, int y) const {
        return px[size_t(y) * width + x] & 0xFFFFFF;
    }

    // A texture of w x h texels in A8R8G8B8 filled by `texel(x, y)`.
    template <class F>
    IDirect3DTexture9* MakeTexture(UINT w, UINT h, F texel, D3DFORMAT format = D3DFMT_A8R8G8B8) {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
        D3DLOCKED_RECT lr;
        t->LockRect(0, &lr, nullptr, 0);
        for (UINT y = 0; y < h; ++y)
            for (UINT x = 0; x < w; ++x)
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x] =
                    texel(x, y);
        t->UnlockRect(0);
        return t;
    }

    UINT width = 64, height = 48;
    HWND window = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS params{};
};

struct ScreenVertexT {
    float x, y, z, rhw;
    DWORD color;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A quad from (x0, y0) to (x1, y1) as a strip of two clockwise triangles.
inline void ScreenQuad(ScreenVertexT q[4], float x0, float y0, float x1, float y1, DWORD color,
                       float z = 0.0f, float u1 = 1.0f, float v1 = 1.0f) {
    q[0] = {x0, y1, z, 1, color, 0, v1};
    q[1] = {x0, y0, z, 1, color, 0, 0};
    q[2] = {x1, y1, z, 1, color, u1, v1};
    q[3] = {x1, y0, z, 1, color, u1, 0};
}
