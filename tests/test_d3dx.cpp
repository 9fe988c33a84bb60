// D3DX: texture files and the matrix helpers.
#include "support/fixtures.h"
#include "support/recording_device.h"

#include <d3dx9.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Loaded {
    HRESULT hr;
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
};

Loaded Load(RecordingDevice& device, const char* file, UINT size = D3DX_DEFAULT,
            DWORD filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR) {
    Loaded l;
    l.hr = D3DXCreateTextureFromFileExA(&device, file, size, size, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, filter, filter, 0, &l.info, nullptr,
                                        &l.texture);
    return l;
}

uint32_t Texel(IDirect3DTexture9* t, UINT level, UINT x, UINT y) {
    D3DLOCKED_RECT lr;
    t->LockRect(level, &lr, nullptr, D3DLOCK_READONLY);
    uint32_t v = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x];
    t->UnlockRect(level);
    return v;
}

} // namespace

TEST(D3dxTextures, PngRoundsUpToPowersOfTwoWithAFullChain) {
    TempDir dir;
    RecordingDevice device;
    // 100 x 50: left half red, right half blue, opaque.
    std::vector<uint32_t> px(100 * 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            px[y * 100 + x] = x < 50 ? 0xFFFF0000 : 0xFF0000FF;
    WriteTestPng("Textures/pic.png", 100, 50, px, false);
    Loaded l = Load(device, "textures\\PIC.png");
    ASSERT_EQ(l.hr, D3D_OK);
    EXPECT_EQ(device.Calls("CreateTexture"),
              (std::vector<std::string>{"CreateTexture(128, 64, 8, 0x0, 22, 1)"}));
    EXPECT_EQ(l.info.Width, 100u);
    EXPECT_EQ(l.info.Format, D3DFMT_X8R8G8B8);                    // no alpha in the file
    EXPECT_EQ(Texel(l.texture, 0, 10, 30) & 0xFFFFFF, 0xFF0000u); // rescaled, not padded
    EXPECT_EQ(Texel(l.texture, 0, 120, 30) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(Texel(l.texture, 7, 0, 0) & 0xFFu, Texel(l.texture, 7, 0, 0) >> 16 & 0xFFu);
    l.texture->Release();
}

TEST(D3dxTextures, AlphaFromTheFileAndSizeZeroKeepsPowersOfTwo) {
    TempDir dir;
    RecordingDevice device;
    WriteTestPng("a.png", 16, 16, std::vector<uint32_t>(256, 0x40FFFFFF), true);
    Loaded l = Load(device, "a.png", 0, D3DX_FILTER_LINEAR);
    ASSERT_EQ(l.hr, D3D_OK);
    EXPECT_EQ(device.Calls("CreateTexture"),
              (std::vector<std::string>{"CreateTexture(16, 16, 5, 0x0, 21, 1)"}));
    EXPECT_EQ(Texel(l.texture, 0, 3, 3), 0x40FFFFFFu);
    l.texture->Release();
}

TEST(D3dxTextures, BitmapVariants) {
    TempDir dir;
    RecordingDevice device;
    std::vector<uint32_t> px = {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC,
                                0xFF000000, 0xFFFFFFFF, 0xFF102030, 0xFF405060};
    struct Case {
        int bits;
        bool topDown;
    } cases[] = {{24, false}, {24, true}, {32, false}, {32, true}};
    for (const Case& c : cases) {
        TempDir::Write("b.bmp", TestBmp(4, 2, px, c.bits, c.topDown));
        Loaded l = Load(device, "b.bmp", 0, D3DX_FILTER_POINT);
        ASSERT_EQ(l.hr, D3D_OK) << c.bits;
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(Texel(l.texture, 0, i % 4, i / 4), px[i]) << c.bits << " " << c.topDown;
        l.texture->Release();
    }
    // An 8-bit palettised bitmap: two colours.
    std::vector<uint8_t> b = TestBmp(4, 1, std::vector<uint32_t>(4, 0), 24);
    std::vector<uint8_t> pal(54 + 8 + 4, 0);
    std::copy(b.begin(), b.begin() + 54, pal.begin());
    pal[10] = 54 + 8;
    pal[28] = 8;
    pal[46] = 2; // colours used
    const uint8_t palette[8] = {0x00, 0x00, 0xFF, 0, 0xFF, 0x00, 0x00, 0};
    std::copy(palette, palette + 8, pal.begin() + 54);
    const uint8_t indices[4] = {0, 1, 1, 0};
    std::copy(indices, indices + 4, pal.begin() + 62);
    TempDir::Write("p.bmp", pal);
    Loaded l = Load(device, "p.bmp", 0, D3DX_FILTER_POINT);
    ASSERT_EQ(l.hr, D3D_OK);
    EXPECT_EQ(Texel(l.texture, 0, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Texel(l.texture, 0, 1, 0), 0xFF0000FFu);
    l.texture->Release();
}

TEST(D3dxTextures, DamagedAndMissingFilesAreInvalidData) {
    TempDir dir;
    RecordingDevice device;
    std::vector<uint32_t> px(64 * 64, 0xFF808080);
    WriteTestPng("good.png", 64, 64, px);
    auto png = TempDir::Read("good.png");
    auto bmp = TestBmp(64, 64, px, 24);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"empty", {}},
        {"png half", std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2)},
        {"png signature only", std::vector<uint8_t>(png.begin(), png.begin() + 8)},
        {"bmp half", std::vector<uint8_t>(bmp.begin(), bmp.begin() + bmp.size() / 2)},
        {"bmp header only", std::vector<uint8_t>(bmp.begin(), bmp.begin() + 20)},
        {"noise", std::vector<uint8_t>(3000, 0x5A)},
    };
    auto huge = bmp;
    huge[18] = huge[19] = huge[20] = 0xFF; // width 2^31 - 1
    huge[21] = 0x7F;
    files.push_back({"bmp huge width", huge});
    auto offset = bmp;
    offset[10] = 0xF0; // pixels past the end
    offset[11] = offset[12] = 0xFF;
    files.push_back({"bmp offset past the end", offset});
    auto depth = bmp;
    depth[28] = 7;
    files.push_back({"bmp bit depth 7", depth});
    for (const auto& f : files) {
        TempDir::Write("bad", f.second);
        Loaded l = Load(device, "bad");
        EXPECT_EQ(l.hr, D3DXERR_INVALIDDATA) << f.first;
        EXPECT_EQ(l.texture, nullptr) << f.first;
    }
    EXPECT_EQ(Load(device, "missing.png").hr, D3DXERR_INVALIDDATA);
    EXPECT_EQ(device.liveResources, 0);
}

TEST(D3dxMath, AgainstClosedForms) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, 2.16f, 0.49f, 0.0f);
    const float a = 1.08f, b = 0.245f;
    EXPECT_NEAR(q.x, std::cos(a) * std::sin(b), 1e-6);
    EXPECT_NEAR(q.y, std::sin(a) * std::cos(b), 1e-6);
    EXPECT_NEAR(q.z, -std::sin(a) * std::sin(b), 1e-6);
    EXPECT_NEAR(q.w, std::cos(a) * std::cos(b), 1e-6);
    // Scaling, rotation and translation: the origin lands on the translation and the
    // unit z axis on 1.25 times the rotated forward axis.
    D3DXVECTOR3 t(1, 2, 3), z(0, 0, 1);
    D3DXMATRIX m;
    D3DXMatrixAffineTransformation(&m, 1.25f, nullptr, &q, &t);
    EXPECT_FLOAT_EQ(m._41, 1);
    EXPECT_FLOAT_EQ(m._42, 2);
    EXPECT_FLOAT_EQ(m._43, 3);
    D3DXVECTOR3 f;
    D3DXVec3TransformNormal(&f, &z, &m);
    EXPECT_NEAR(f.x, 1.25f * std::sin(2.16f) * std::cos(0.49f), 1e-5);
    EXPECT_NEAR(f.y, -1.25f * std::sin(0.49f), 1e-5);
    D3DXMATRIX inv, id;
    float det = 0;
    ASSERT_NE(D3DXMatrixInverse(&inv, &det, &m), nullptr);
    EXPECT_NEAR(det, 1.25f * 1.25f * 1.25f, 1e-4);
    D3DXMatrixMultiply(&id, &m, &inv);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(id.m[r][c], r == c, 1e-5);
    D3DXMATRIX zero{};
    for (auto& row : zero.m)
        for (float& v : row)
            v = 0;
    EXPECT_EQ(D3DXMatrixInverse(&inv, nullptr, &zero), nullptr);
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, 0.785398185f, 1.0f, 1.0f, 700.0f);
    EXPECT_NEAR(p._11, 1 + std::sqrt(2.0f), 1e-5);
    EXPECT_EQ(p._44, 0.0f);
}
