// The scenes through the real OpenGL device, judged by their pixels.
#include "models/md2_model.h"
#include "scenes/camera.h"
#include "scenes/film_overlay.h"
#include "scenes/picture_scene.h"
#include "scenes/room_scene.h"
#include "scenes/word_cards.h"
#include "support/fixtures.h"
#include "support/gl_device.h"

namespace {

class ScenePixels : public GlDevice {
  protected:
    ScenePixels() {
        width = 800;
        height = 600;
    }
    void Begin() {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
    }
    int Count(const std::vector<uint32_t>& px, uint32_t rgb) {
        int n = 0;
        for (uint32_t p : px)
            n += (p & 0xFFFFFF) == rgb;
        return n;
    }
};

} // namespace

TEST_F(ScenePixels, FirstSceneShowsTheRoomAndABearInView) {
    TempDir dir;
    std::filesystem::current_path(QUILLMERE_CONTENT_DIR);
    FlyCamera camera(device);
    RoomScene room(device);
    ASSERT_EQ(room.Load(), S_OK);
    Md2Model bear(device);
    ASSERT_EQ(bear.Load("Data\\nalle.md2", "Data\\nalle.bmp"), 1);
    camera.Update(1 / 60.0f);
    device->SetRenderState(D3DRS_LIGHTING, FALSE); // as the overlay leaves it
    Begin();
    room.Draw();
    auto roomOnly = Read();
    // The room fills the view: the floor and the inner sides of the walls, no black.
    EXPECT_LT(Count(roomOnly, 0), 800 * 600 / 100);
    bear.Play(0.1f);
    auto withBear = Read();
    int changed = 0, left = 800, right = 0, top = 600, bottom = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if ((roomOnly[y * 800 + x] ^ withBear[y * 800 + x]) & 0xFFFFFF) {
                ++changed;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    EXPECT_GT(changed, 10000); // a bear of some size
    EXPECT_GT(left, 0);        // wholly in view
    EXPECT_LT(right, 799);
    EXPECT_GT(top, 0);
    EXPECT_LT(bottom, 599);
    room.Release();
    bear.Destroy();
    std::filesystem::current_path(dir.path());
}

TEST_F(ScenePixels, FaceSeenFromOutsideIsCulled) {
    TempDir dir;
    WriteSceneTextures();
    RoomScene room(device);
    ASSERT_EQ(room.Load(), S_OK);
    // Outside the wall z = 0, looking at it along +z: its outer side faces the eye.
    D3DXMATRIX world, view, proj;
    D3DXMatrixIdentity(&world);
    D3DXMatrixIdentity(&view);
    view._41 = -40, view._42 = 0, view._43 = 200; // eye at (40, 0, -200)
    D3DXMatrixPerspectiveFovLH(&proj, 0.8f, 1.0f, 1.0f, 700.0f);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &proj);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    Begin();
    room.Draw();
    auto px = Read();
    // The near wall is culled: through it the inner side of the far wall z = 120 shows,
    // smaller than the near wall would be (its edges stay dark).
    EXPECT_EQ(At(px, 400, 300) & 0xFFFFFF, 0x806040u);
    EXPECT_EQ(At(px, 60, 300) & 0xFFFFFF, 0u); // the near wall would cover this pixel
    room.Release();
}

TEST_F(ScenePixels, PicturesShowUprightThenMirrored) {
    TempDir dir;
    WriteSceneTextures();
    std::vector<uint32_t> halves(64 * 64);
    for (int i = 0; i < 64 * 64; ++i)
        halves[i] = (i % 64) < 32 ? 0xFFFF0000 : 0xFF0000FF;
    WriteTestPng("Textures/1.png", 64, 64, halves);
    PictureScene pictures(device);
    ASSERT_EQ(pictures.Load(), S_OK);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    for (float phase : {1.0f, 5.0f}) {
        pictures.phase = phase;
        Begin();
        pictures.Draw(0.0f);
        auto px = Read();
        const bool mirrored = phase == 5.0f;
        EXPECT_EQ(At(px, 100, 300), mirrored ? 0x0000FFu : 0xFF0000u) << phase;
        EXPECT_EQ(At(px, 700, 300), mirrored ? 0xFF0000u : 0x0000FFu) << phase;
    }
    pictures.Release();
}

TEST_F(ScenePixels, WordCardFillsTheScreen) {
    TempDir dir;
    WriteSceneTextures();
    WriteSolidPng("Textures/love.png", 0xFF00FF00, 16, 16);
    WordCards cards(device);
    ASSERT_EQ(cards.Load(), S_OK);
    Begin();
    cards.Draw(5);
    auto px = Read();
    EXPECT_EQ(Count(px, 0x00FF00), 800 * 600);
    cards.Release();
}

TEST_F(ScenePixels, OverlayLeavesAlphaZeroUntouched) {
    TempDir dir;
    WriteSceneTextures();
    for (const char* t : {"oldstyle", "noise1", "noise2"})
        WriteSolidPng(std::string("Textures/") + t + ".png", 0x00FFFFFF); // transparent
    std::vector<uint32_t> line(64 * 64, 0x00000000);
    for (int y = 0; y < 64; ++y)
        line[y * 64 + 32] = 0xFFFFFFFF; // one opaque scratch in the middle
    WriteTestPng("Textures/lines.png", 64, 64, line);
    FilmOverlay overlay(device);
    ASSERT_EQ(overlay.Load(), S_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
    overlay.Draw(0.0f);
    auto px = Read();
    EXPECT_EQ(At(px, 100, 300), 0x203040u);
    EXPECT_EQ(At(px, 700, 100), 0x203040u);
    EXPECT_GT(800 * 600 - Count(px, 0x203040), 600); // the scratch drew
    overlay.Release();
}
