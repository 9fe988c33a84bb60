// Pixels through the OpenGL device: what Direct3D 9 would have drawn.
#include "support/gl_device.h"

#include <d3d9.h>

TEST_F(GlDevice, ClearAndReadBack) {
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF204080, 1.0f, 0),
              D3D_OK);
    auto px = Read();
    ASSERT_EQ(px.size(), size_t(width) * height);
    EXPECT_EQ(At(px, 0, 0), 0x204080u);
    EXPECT_EQ(At(px, 63, 47), 0x204080u);
}

TEST_F(GlDevice, FullScreenQuadCoversEveryPixelOnceWithTexelAlignment) {
    // Texel (x, y) holds its own coordinates: each pixel must read its own texel.
    IDirect3DTexture9* t =
        MakeTexture(64, 48, [](UINT x, UINT y) { return 0xFF000000u | (x << 16) | (y << 8); });
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, t);
    device->SetFVF(kScreenFvf);
    ScreenVertexT q[4];
    // Half a texel in so that no pixel samples exactly on a texel boundary.
    ScreenQuad(q, 0, 0, 64, 48, 0xFFFFFFFF);
    for (auto& v : q) {
        v.u += 0.5f / 64;
        v.v += 0.5f / 48;
    }
    device->BeginScene();
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertexT)), D3D_OK);
    device->EndScene();
    auto px = Read();
    int wrong = 0;
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
            wrong += At(px, x, y) != ((x << 16) | (y << 8));
    EXPECT_EQ(wrong, 0);
    t->Release();
}

TEST_F(GlDevice, CullModesRemoveTheRightWinding) {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(kScreenFvf);
    ScreenVertexT q[4];
    ScreenQuad(q, 8, 8, 24, 24, 0xFFFF0000); // clockwise on screen
    struct Case {
        DWORD cull;
        bool drawn;
    } cases[] = {{D3DCULL_CCW, true}, {D3DCULL_CW, false}, {D3DCULL_NONE, true}};
    for (const Case& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->SetRenderState(D3DRS_CULLMODE, c.cull);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertexT));
        auto px = Read();
        EXPECT_EQ(At(px, 16, 16), c.drawn ? 0xFF0000u : 0u) << "cull " << c.cull;
    }
}

TEST_F(GlDevice, AlphaTestAndBlending) {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(kScreenFvf);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 1);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // Stage 0 takes the diffuse colour and alpha (no texture: opaque white texel).
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    ScreenVertexT q[4];
    ScreenQuad(q, 0, 0, 16, 16, 0x00FFFFFF); // alpha 0: dropped
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertexT));
    ScreenQuad(q, 16, 0, 32, 16, 0x01FFFFFF); // alpha 1: kept, blended
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertexT));
    ScreenQuad(q, 32, 0, 48, 16, 0x80FFFFFF); // alpha 128 over black
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertexT));
    auto px = Read();
    EXPECT_EQ(At(px, 8, 8), 0u);
    EXPECT_EQ(At(px, 24, 8), 0x010101u);
    uint32_t half = At(px, 40, 8);
    EXPECT_NEAR(int(half & 0xFF), 0x80, 1);
    EXPECT_NEAR(int((half >> 16) & 0xFF), 0x80, 1);
}

TEST_F(GlDevice, DepthLessEqualAtZeroOverAClearToOne) {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(kScreenFvf);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    ScreenVertexT q[4];
    ScreenQuad(q, 0, 0, 32, 32, 0xFF00FF00, 0.0f);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertexT));
    ScreenQuad(q, 0, 0, 32, 32, 0xFFFF0000, 0.5f); // behind: hidden
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertexT));
    ScreenQuad(q, 0, 0, 32, 32, 0xFF0000FF, 0.0f); // equal: drawn (LESSEQUAL)
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertexT));
    auto px = Read();
    EXPECT_EQ(At(px, 10, 10), 0x0000FFu);
}

struct LitVertex {
    float x, y, z;
    DWORD color;
};

TEST_F(GlDevice, TransformedTriangleLandsWhereTheMatricesSayAndIsBlackWhenLit) {
    // Identity world and view; an orthographic-like projection mapping x, y in [-1, 1].
    D3DMATRIX id{};
    id._11 = id._22 = id._33 = id._44 = 1.0f;
    device->SetTransform(D3DTS_WORLD, &id);
    device->SetTransform(D3DTS_VIEW, &id);
    device->SetTransform(D3DTS_PROJECTION, &id);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    // Right half of the screen, upper half (y up in clip space).
    LitVertex tri[6] = {{0, 0, 0.5f, 0xFFFFFF00}, {1, 1, 0.5f, 0xFFFFFF00},
                        {1, 0, 0.5f, 0xFFFFFF00}, {0, 0, 0.5f, 0xFFFFFF00},
                        {0, 1, 0.5f, 0xFFFFFF00}, {1, 1, 0.5f, 0xFFFFFF00}};
    for (bool lighting : {false, true}) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        device->SetRenderState(D3DRS_LIGHTING, lighting);
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, tri, sizeof(LitVertex));
        auto px = Read();
        EXPECT_EQ(At(px, 48, 12), lighting ? 0u : 0xFFFF00u); // top right quarter
        EXPECT_EQ(At(px, 16, 12), 0x0000FFu);
        EXPECT_EQ(At(px, 48, 36), 0x0000FFu);
    }
}

struct DualVertex {
    float x, y, z, rhw;
    DWORD color;
    float u0, v0, u1, v1;
};

TEST_F(GlDevice, SecondCoordinatePairAndWrapping) {
    // Left half red, right half green.
    IDirect3DTexture9* t =
        MakeTexture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xFFFF0000u : 0xFF00FF00u; });
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTexture(0, t);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    // First pair samples the red texel everywhere; the second runs from 1 to 2 (wraps).
    DualVertex q[4] = {{0, 48, 0, 1, 0xFFFFFFFF, 0.25f, 0.5f, 1.0f, 0.5f},
                       {0, 0, 0, 1, 0xFFFFFFFF, 0.25f, 0.5f, 1.0f, 0.5f},
                       {64, 48, 0, 1, 0xFFFFFFFF, 0.25f, 0.5f, 2.0f, 0.5f},
                       {64, 0, 0, 1, 0xFFFFFFFF, 0.25f, 0.5f, 2.0f, 0.5f}};
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(DualVertex));
    auto px = Read();
    EXPECT_EQ(At(px, 10, 20), 0xFF0000u);
    EXPECT_EQ(At(px, 54, 20), 0x00FF00u);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(DualVertex));
    px = Read();
    EXPECT_EQ(At(px, 54, 20), 0xFF0000u);
    t->Release();
}

TEST_F(GlDevice, StateBlockApplyRestoresWhatItRecorded) {
    ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_ALPHAREF, 8);
    IDirect3DStateBlock9* block = nullptr;
    ASSERT_EQ(device->EndStateBlock(&block), D3D_OK);
    DWORD v = 0;
    device->GetRenderState(D3DRS_CULLMODE, &v);
    EXPECT_EQ(v, DWORD(D3DCULL_CCW)); // recording changes nothing
    device->SetRenderState(D3DRS_ALPHAREF, 99);
    block->Apply();
    device->GetRenderState(D3DRS_CULLMODE, &v);
    EXPECT_EQ(v, DWORD(D3DCULL_CW));
    device->GetRenderState(D3DRS_ALPHAREF, &v);
    EXPECT_EQ(v, 8u);
    EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL); // a state block lives
    block->Release();
}

TEST_F(GlDevice, ResetKeepsManagedTexturesAndRefusesWhileDefaultBuffersLive) {
    IDirect3DTexture9* t = MakeTexture(1, 1, [](UINT, UINT) { return 0xFF00FF00u; });
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(9600, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0,
                                         D3DPOOL_DEFAULT, &vb, nullptr),
              D3D_OK);
    EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL);
    vb->Release();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    ASSERT_EQ(device->Reset(&params), D3D_OK);
    DWORD v = 0;
    device->GetRenderState(D3DRS_LIGHTING, &v);
    EXPECT_EQ(v, DWORD(TRUE)); // back to the default
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTexture(0, t);
    device->SetFVF(kScreenFvf);
    ScreenVertexT q[4];
    ScreenQuad(q, 0, 0, 64, 48, 0xFFFFFFFF);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertexT));
    auto px = Read();
    EXPECT_EQ(At(px, 32, 24), 0x00FF00u);
    t->Release();
}

TEST_F(GlDevice, RefusedCallsChangeNothing) {
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(3), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetViewport(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(600, 0, 0x102, D3DPOOL_MANAGED, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(
        device->CreateVertexBuffer(600, D3DUSAGE_WRITEONLY, 0x102, D3DPOOL_MANAGED, &vb, nullptr),
        D3D_OK);
    void* p = nullptr;
    EXPECT_EQ(vb->Lock(500, 200, &p, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(0, 0, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK); // 0 and 0: the whole buffer
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(device->SetStreamSource(0, vb, 0, 20), D3D_OK);
    EXPECT_EQ(device->SetFVF(0x102), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 11), D3DERR_INVALIDCALL); // past the end
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 10), D3D_OK);
    device->SetStreamSource(0, nullptr, 0, 0);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    vb->Release();
}

TEST_F(GlDevice, ResourcesKeepTheDeviceAlive) {
    IDirect3DTexture9* t = MakeTexture(1, 1, [](UINT, UINT) { return 0u; });
    EXPECT_EQ(device->Release(), 1u); // the texture's reference remains
    IDirect3DDevice9* owner = nullptr;
    EXPECT_EQ(t->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device);
    owner->Release();
    EXPECT_EQ(t->Release(), 0u); // the last one: the device goes with it
    device = nullptr;
}

// A level locked again holds what was written before, whatever its format and row size
// (odd widths of 16-bit texels included); a partial lock keeps the texels outside it.
TEST_F(GlDevice, RelockedLevelsHoldWhatWasWritten) {
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5, D3DFMT_A8}) {
        SCOPED_TRACE(format);
        IDirect3DTexture9* t = nullptr;
        ASSERT_EQ(device->CreateTexture(3, 3, 2, 0, format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
        std::vector<std::vector<uint8_t>> written;
        for (UINT level = 0; level < 2; ++level) {
            D3DLOCKED_RECT lr;
            ASSERT_EQ(t->LockRect(level, &lr, nullptr, 0), D3D_OK);
            const UINT side = 3 >> level;
            std::vector<uint8_t> bytes(size_t(lr.Pitch) * side);
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = uint8_t(i * 37 + level * 11 + 5);
            memcpy(lr.pBits, bytes.data(), bytes.size());
            ASSERT_EQ(t->UnlockRect(level), D3D_OK);
            written.push_back(bytes);
        }
        // Only the middle texel of level 0 anew.
        D3DLOCKED_RECT lr;
        const RECT middle{1, 1, 2, 2};
        ASSERT_EQ(t->LockRect(0, &lr, &middle, 0), D3D_OK);
        const size_t bpp = written[0].size() / 9;
        memset(lr.pBits, 0xA5, bpp);
        ASSERT_EQ(t->UnlockRect(0), D3D_OK);
        memset(&written[0][(1 * 3 + 1) * bpp], 0xA5, bpp);
        for (UINT level = 0; level < 2; ++level) {
            ASSERT_EQ(t->LockRect(level, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
            EXPECT_EQ(0, memcmp(lr.pBits, written[level].data(), written[level].size()))
                << "level " << level;
            ASSERT_EQ(t->UnlockRect(level), D3D_OK);
        }
        t->Release();
    }
}
