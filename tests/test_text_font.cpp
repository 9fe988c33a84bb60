// The glyph atlas against the recording device and the GDI stand-in.
#include "gfx/text_font.h"
#include "support/recording_device.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::vector<std::string> StateBlockSettings(bool blending) {
    std::vector<std::string> s = {"BeginStateBlock()", "SetTexture(0, tex1)",
                                  "SetRenderState(7, 0)",
                                  std::string("SetRenderState(27, ") + (blending ? "1)" : "0)")};
    if (blending) {
        s.push_back("SetRenderState(19, 5)");
        s.push_back("SetRenderState(20, 6)");
    }
    for (const char* line : {"SetRenderState(15, 1)",          "SetRenderState(24, 8)",
                             "SetRenderState(25, 7)",          "SetRenderState(8, 3)",
                             "SetRenderState(22, 3)",          "SetRenderState(52, 0)",
                             "SetRenderState(136, 1)",         "SetRenderState(152, 0)",
                             "SetRenderState(151, 0)",         "SetRenderState(167, 0)",
                             "SetRenderState(28, 0)",          "SetRenderState(168, 15)",
                             "SetTextureStageState(0, 1, 4)",  "SetTextureStageState(0, 2, 2)",
                             "SetTextureStageState(0, 3, 0)",  "SetTextureStageState(0, 4, 4)",
                             "SetTextureStageState(0, 5, 2)",  "SetTextureStageState(0, 6, 0)",
                             "SetTextureStageState(0, 11, 0)", "SetTextureStageState(0, 24, 0)",
                             "SetTextureStageState(1, 1, 1)",  "SetTextureStageState(1, 4, 1)",
                             "SetSamplerState(0, 6, 1)",       "SetSamplerState(0, 5, 1)",
                             "SetSamplerState(0, 7, 0)"})
        s.push_back(line);
    return s;
}

// The lines from the first BeginStateBlock to its EndStateBlock.
std::vector<std::string> FirstBlock(const std::vector<std::string>& log) {
    auto begin = std::find(log.begin(), log.end(), "BeginStateBlock()");
    auto end = std::find_if(begin, log.end(),
                            [](const std::string& l) { return l.rfind("EndStateBlock", 0) == 0; });
    return std::vector<std::string>(begin, end);
}

} // namespace

TEST(Gdi, MulDivRoundsToNearest) {
    EXPECT_EQ(MulDiv(12, 96, 72), 16);
    EXPECT_EQ(MulDiv(5, 3, 2), 8); // 7.5 rounds away from zero
    EXPECT_EQ(MulDiv(-5, 3, 2), -8);
    EXPECT_EQ(MulDiv(10, 1, 0), -1);
}

TEST(Gdi, MissingFaceFallsBackAndTextIsMeasured) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    HFONT f = CreateFontA(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                          ANTIALIASED_QUALITY, VARIABLE_PITCH, "No Such Face At All");
    ASSERT_NE(f, nullptr);
    HGDIOBJ previous = SelectObject(dc, f);
    SIZE a, aa;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "A", 1, &a));
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "AA", 2, &aa));
    EXPECT_GT(a.cx, 5);
    EXPECT_EQ(aa.cx, 2 * a.cx);
    EXPECT_GE(a.cy, 16);
    SelectObject(dc, previous);
    EXPECT_TRUE(DeleteObject(f));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(Gdi, OpaqueTextFillsTheCellAndPaintsCoverage) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT f = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
    SelectObject(dc, f);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* bits = nullptr;
    HBITMAP bm =
        CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    ASSERT_NE(bits, nullptr);
    for (int i = 0; i < 32 * 32; ++i)
        bits[i] = 0x123456;
    SelectObject(dc, bm);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, 0);
    EXPECT_TRUE(ExtTextOutA(dc, 40, 0, ETO_OPAQUE, nullptr, "A", 1, nullptr)); // clipped away
    EXPECT_TRUE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE, nullptr, "A", 1, nullptr));
    SIZE s;
    GetTextExtentPoint32A(dc, "A", 1, &s);
    int lit = 0;
    for (int y = 0; y < s.cy && y < 32; ++y)
        for (int x = 0; x < s.cx; ++x) {
            DWORD p = bits[y * 32 + x];
            EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF); // grey: white over black
            lit += p != 0;
        }
    EXPECT_GT(lit, 20);
    EXPECT_EQ(bits[31 * 32 + 31], 0x123456u); // outside the cell: untouched
    DeleteDC(dc);
    DeleteObject(bm);
    DeleteObject(f);
}

TEST(TextFont, BuildsASquareAtlasOfCoverageTexels) {
    RecordingDevice device;
    TextFont font("Arial", 12, FontBold);
    ASSERT_EQ(font.Build(&device), S_OK);
    EXPECT_EQ(font.textureWidth, font.textureHeight);
    EXPECT_TRUE(font.textureWidth == 128 || font.textureWidth == 256) << font.textureWidth;
    EXPECT_EQ(font.textScale, 1.0f);
    EXPECT_EQ(
        device.Calls("CreateTexture"),
        (std::vector<std::string>{"CreateTexture(" + std::to_string(font.textureWidth) + ", " +
                                  std::to_string(font.textureWidth) + ", 1, 0x0, 26, 1)"}));
    // Every texel is 0 or white with a 4-bit alpha.
    D3DLOCKED_RECT lr;
    font.texture->LockRect(0, &lr, nullptr, 0);
    int covered = 0;
    for (DWORD y = 0; y < font.textureHeight; ++y)
        for (DWORD x = 0; x < font.textureWidth; ++x) {
            WORD t = reinterpret_cast<WORD*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x];
            ASSERT_TRUE(t == 0 || (t & 0x0FFF) == 0x0FFF) << t;
            covered += t != 0;
        }
    EXPECT_GT(covered, 500);
    // The space has no ink; "A" has; entry 127 is never written.
    const float* a = font.glyphCoords['A' - 32];
    EXPECT_LT(a[0], a[2]);
    EXPECT_LT(a[1], a[3]);
    for (float v : font.glyphCoords[95])
        EXPECT_EQ(v, 0.0f);
    font.Release();
}

TEST(TextFont, SpacingIsThreeTenthsOfTheHeightInSinglePrecision) {
    RecordingDevice device;
    // The font size whose cell is 20 pixels high gives a margin of 7 (0.3f, not 0.3).
    HDC dc = CreateCompatibleDC(nullptr);
    for (int px = 10; px < 30; ++px) {
        HFONT f =
            CreateFontA(-px, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
        HGDIOBJ old = SelectObject(dc, f);
        SIZE s;
        GetTextExtentPoint32A(dc, "x", 1, &s);
        if (s.cy == 20) {
            TextFont font("Arial", 12, FontBold);
            font.textureWidth = font.textureHeight = 1024;
            EXPECT_EQ(font.PaintGlyphs(dc, true), S_OK);
            EXPECT_EQ(font.spacing, 7);
        }
        SelectObject(dc, old);
        DeleteObject(f);
    }
    DeleteDC(dc);
}

TEST(TextFont, RowBreaksAndDoesNotFit) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT f = CreateFontA(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
    SelectObject(dc, f);
    TextFont font("Arial", 12, FontBold);
    font.textureWidth = font.textureHeight = 32;
    EXPECT_EQ(font.PaintGlyphs(dc, true), D3DERR_MOREDATA);
    font.textureWidth = font.textureHeight = 256;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 256, -256, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bm);
    ASSERT_EQ(font.PaintGlyphs(dc, false), S_OK);
    // Find a glyph that starts a new row: it sits at x = spacing, one pixel below the row.
    SIZE s;
    GetTextExtentPoint32A(dc, "x", 1, &s);
    bool broke = false;
    for (int c = 33; c < 127; ++c) {
        const float* g = font.glyphCoords[c - 32];
        const float* p = font.glyphCoords[c - 33];
        if (g[1] > p[1]) {
            EXPECT_FLOAT_EQ(g[0], 0.0f); // left u = (spacing - spacing) / width
            EXPECT_FLOAT_EQ(g[1] * 256, p[3] * 256 + 1);
            broke = true;
            break;
        }
    }
    EXPECT_TRUE(broke);
    DeleteDC(dc);
    DeleteObject(bm);
    DeleteObject(f);
}

TEST(TextFont, ShrinksToTheLargestTextureTheDeviceTakes) {
    RecordingDevice device;
    device.maxTextureWidth = 64;
    TextFont font("Arial", 12, FontBold);
    ASSERT_EQ(font.Build(&device), S_OK);
    EXPECT_EQ(font.textureWidth, 64u);
    EXPECT_EQ(font.textureHeight, 64u);
    // The first retry is exactly 64 / 128 (or 64 / 256); each further one 0.9 times less.
    bool matches = false;
    for (float first : {0.5f, 0.25f}) {
        float scale = first;
        for (int k = 0; k < 30 && !matches; ++k, scale *= 0.9f)
            matches = scale == font.textScale;
    }
    EXPECT_TRUE(matches) << font.textScale;
    font.Release();
}

TEST(TextFont, StateBlocksWithAndWithoutBlending) {
    for (bool blending : {true, false}) {
        RecordingDevice device;
        if (!blending) device.Fail("CheckDeviceFormat", D3DERR_NOTAVAILABLE, -1);
        TextFont font("Arial", 12, FontBold);
        ASSERT_EQ(font.Build(&device), S_OK);
        device.Clear();
        ASSERT_EQ(font.RestoreVolatileObjects(), S_OK);
        EXPECT_EQ(device.Calls("CreateVertexBuffer"),
                  (std::vector<std::string>{"CreateVertexBuffer(9600, 0x208, 0x0, 0)"}));
        EXPECT_EQ(FirstBlock(device.log), StateBlockSettings(blending));
        EXPECT_EQ(device.Calls("EndStateBlock").size(), 2u);
        EXPECT_NE(font.firstStateBlock, font.secondStateBlock);
        font.ReleaseVolatileObjects();
        font.Release();
    }
}

TEST(TextFont, VolatileObjectsReleaseOnceAndComeBackNew) {
    RecordingDevice device;
    TextFont font("Arial", 12, FontBold);
    font.Build(&device);
    font.RestoreVolatileObjects();
    const std::string first = device.Name(font.vertexBuffer);
    device.Clear();
    font.ReleaseVolatileObjects();
    EXPECT_EQ(device.Calls("Release(").size(), 3u);
    font.ReleaseVolatileObjects();
    EXPECT_EQ(device.Calls("Release(").size(), 3u);
    EXPECT_EQ(font.Release(), S_OK);
    font.device = &device;
    EXPECT_EQ(font.RestoreVolatileObjects(), S_OK);
    EXPECT_NE(device.Name(font.vertexBuffer), first);
    EXPECT_NE(font.firstStateBlock, nullptr);
    device.Fail("CreateVertexBuffer");
    font.ReleaseVolatileObjects();
    EXPECT_EQ(font.RestoreVolatileObjects(), E_FAIL);
    EXPECT_EQ(font.firstStateBlock, nullptr); // no state blocks without the buffer
}
