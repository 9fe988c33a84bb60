// The scene objects' device calls, against the recording device.
#include "scenes/film_overlay.h"
#include "scenes/picture_scene.h"
#include "scenes/room_scene.h"
#include "scenes/vertices.h"
#include "scenes/word_cards.h"
#include "support/fixtures.h"
#include "support/recording_device.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The calls after the last call whose line starts with `marker`... from `from` on.
Lines After(const RecordingDevice& d, size_t from) {
    return Lines(d.log.begin() + static_cast<long>(from), d.log.end());
}

const Lines kBlendedStates = {"SetRenderState(137, 0)", "SetRenderState(27, 1)",
                              "SetRenderState(19, 5)",  "SetRenderState(20, 6)",
                              "SetRenderState(28, 0)",  "SetRenderState(7, 1)",
                              "SetRenderState(14, 1)",  "SetRenderState(15, 1)",
                              "SetRenderState(24, 1)",  "SetRenderState(25, 7)"};

Lines Join(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Scenes : public ::testing::Test {
  protected:
    void SetUp() override { WriteSceneTextures(); }
    TempDir dir;
    RecordingDevice device;
};

} // namespace

TEST_F(Scenes, RoomLoadsItsTableAndDrawsTenTrianglesCullingClockwise) {
    RoomScene room(&device);
    ASSERT_EQ(room.Load(), S_OK);
    auto bytes = device.BufferBytes(room.vertexBuffer);
    ASSERT_EQ(bytes.size(), 600u);
    const auto* v = reinterpret_cast<const RoomVertex*>(bytes.data());
    for (int i = 6; i < 12; ++i) { // never written: degenerate
        EXPECT_EQ(v[i].x, 0.0f);
        EXPECT_EQ(v[i].u, 0.0f);
    }
    EXPECT_EQ(v[1].x, 120);
    EXPECT_EQ(v[1].z, 120);
    EXPECT_EQ(v[1].u, 1);
    EXPECT_EQ(v[1].v, 0);
    EXPECT_EQ(v[13].x, 120);
    EXPECT_EQ(v[13].y, -40);
    EXPECT_EQ(v[13].z, 0);
    EXPECT_EQ(v[29].x, 120);
    EXPECT_EQ(v[29].y, -40);
    EXPECT_EQ(v[29].z, 120);
    // Each written triangle's normal (B - A) x (C - A) points out of the box.
    for (int t : {0, 1, 4, 5, 6, 7, 8, 9}) {
        const RoomVertex &a = v[3 * t], &b = v[3 * t + 1], &c = v[3 * t + 2];
        float nx = (b.y - a.y) * (c.z - a.z) - (b.z - a.z) * (c.y - a.y);
        float ny = (b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z);
        float nz = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        float cx = (a.x + b.x + c.x) / 3 - 40, cy = (a.y + b.y + c.y) / 3,
              cz = (a.z + b.z + c.z) / 3 - 60;
        EXPECT_GT(nx * cx + ny * cy + nz * cz, 0) << "triangle " << t;
    }
    size_t from = device.log.size();
    room.Draw();
    EXPECT_EQ(After(device, from), (Lines{"SetRenderState(22, 2)", "SetTexture(0, tex1)",
                                          "SetStreamSource(0, vb2, 0, 20)", "SetFVF(0x102)",
                                          "DrawPrimitive(4, 0, 10)"}));
    room.Release();
}

TEST_F(Scenes, RoomWithoutItsPictureMakesNoBufferAndReleasesOnlyWhatItHolds) {
    std::filesystem::remove("Textures/wall.bmp");
    RoomScene room(&device);
    EXPECT_EQ(room.Load(), E_FAIL);
    EXPECT_TRUE(device.Calls("CreateVertexBuffer").empty());
    room.Release();
    room.Release();
    EXPECT_TRUE(device.Calls("Release(").empty());
}

TEST_F(Scenes, RoomFailedLockWritesNothingAndFails) {
    device.Fail("Lock");
    RoomScene room(&device);
    EXPECT_EQ(room.Load(), E_FAIL);
    EXPECT_NE(room.texture, nullptr); // kept, given back by Release
    room.Release();
    EXPECT_EQ(device.liveResources, 0);
}

TEST_F(Scenes, FilmOverlayPhasesAndPasses) {
    FilmOverlay overlay(&device);
    ASSERT_EQ(overlay.Load(), S_OK);
    auto q = device.BufferBytes(overlay.quad);
    ASSERT_EQ(q.size(), 144u);
    const auto* v = reinterpret_cast<const DualScreenVertex*>(q.data());
    EXPECT_EQ(v[0].y, 600);
    EXPECT_EQ(v[2].x, 800);
    EXPECT_EQ(v[3].y, 0);
    // oldstyle tex1, noise1 tex2, noise2 tex3, lines tex4, quad vb5.
    struct Case {
        float phase, step, after;
        const char* second; // what the second pass binds, or null for none
    } cases[] = {{0.95f, 0.1f, 1.05f, "tex3"}, {2.9f, 0.5f, 3.4f, nullptr},
                 {3.0f, 0.1f, 3.1f, nullptr},  {3.4f, 0.5f, 0.0f, nullptr},
                 {1.9f, 0.2f, 2.1f, "tex2"},   {0.0f, 0.0f, 0.0f, nullptr}};
    for (const Case& c : cases) {
        overlay.phase = c.phase;
        size_t from = device.log.size();
        overlay.Draw(c.step);
        EXPECT_FLOAT_EQ(overlay.phase, c.after) << c.phase;
        Lines pass = Join({"SetRenderState(22, 3)"}, kBlendedStates);
        pass = Join(pass, {"SetTextureStageState(0, 11, 0)", "SetTexture(0, tex1)", "SetFVF(0x244)",
                           "SetStreamSource(0, vb5, 0, 36)", "DrawPrimitive(5, 0, 2)"});
        if (c.second) pass.push_back(std::string("SetTexture(0, ") + c.second + ")");
        pass = Join(pass, {"DrawPrimitive(5, 0, 2)", "SetFVF(0x244)",
                           "SetStreamSource(0, vb5, 0, 36)", "SetTexture(0, tex4)",
                           "SetTextureStageState(0, 11, 1)", "Lock(vb5, 0, 0, 0x0)", "Unlock(vb5)",
                           "DrawPrimitive(5, 0, 2)", "SetTextureStageState(0, 11, 0)"});
        EXPECT_EQ(After(device, from), pass) << c.phase;
    }
    overlay.Release();
}

TEST_F(Scenes, FilmOverlayScrollSlidesTheSecondPair) {
    FilmOverlay overlay(&device);
    ASSERT_EQ(overlay.Load(), S_OK);
    overlay.Draw(0.5f);
    EXPECT_FLOAT_EQ(overlay.scroll, 0.5f * 0.02f);
    const auto bytes = device.BufferBytes(overlay.quad);
    const auto* v = reinterpret_cast<const DualScreenVertex*>(bytes.data());
    EXPECT_FLOAT_EQ(v[0].u1, 0.01f);
    EXPECT_FLOAT_EQ(v[2].u1, 1.01f);
    EXPECT_EQ(v[0].u0, 0.0f); // the first pair never changes
    overlay.scroll = 0;
    for (int i = 0; i < 140; ++i) // 14 s at ten phase units a second, a unit a call
        overlay.Draw(1.0f);
    EXPECT_NEAR(overlay.scroll, 2.8f, 1e-4);
    overlay.Release();
}

TEST_F(Scenes, PictureSceneBindsByPhase) {
    PictureScene pictures(&device);
    ASSERT_EQ(pictures.Load(), S_OK);
    // picture1 tex1, picture2 tex2, picture3 tex3, wall tex4, quad vb5, mirrored vb6.
    auto q = device.BufferBytes(pictures.mirroredQuad);
    const auto* v = reinterpret_cast<const ScreenVertex*>(q.data());
    EXPECT_EQ(v[0].u, 1);
    EXPECT_EQ(v[2].u, 0);
    EXPECT_EQ(v[2].x, 800);
    struct Case {
        float phase, step;
        Lines binds;
    } cases[] = {
        {1.0f, 0.1f, {"SetTexture(0, tex1)", "SetStreamSource(0, vb5, 0, 28)"}},
        {2.0f, 0.0f, {"SetTexture(0, tex2)"}},
        {4.5f, 0.0f, {"SetTexture(0, tex3)"}},
        {5.0f, 0.2f, {"SetTexture(0, tex1)", "SetStreamSource(0, vb6, 0, 28)"}},
        {8.0f, 0.1f, {"SetTexture(0, tex3)"}}, // exactly 8.0 advances
        {8.1f, 0.1f, {}},                      // above 8.0: back to 0, binds nothing
        {0.5f, 0.1f, {}},
    };
    for (const Case& c : cases) {
        pictures.phase = c.phase;
        size_t from = device.log.size();
        pictures.Draw(c.step);
        Lines expected =
            Join(Join(kBlendedStates, c.binds), {"SetFVF(0x144)", "DrawPrimitive(5, 0, 2)"});
        EXPECT_EQ(After(device, from), expected) << c.phase;
    }
    EXPECT_FLOAT_EQ(pictures.phase, 0.6f);
    pictures.Release();
}

TEST_F(Scenes, PictureSceneReleasesSixObjectsOnce) {
    PictureScene pictures(&device);
    ASSERT_EQ(pictures.Load(), S_OK);
    device.Clear();
    pictures.Release();
    pictures.Release();
    EXPECT_EQ(device.Calls("Release("), (Lines{"Release(vb6)", "Release(vb5)", "Release(tex1)",
                                               "Release(tex2)", "Release(tex3)", "Release(tex4)"}));
}

TEST_F(Scenes, WordCardsDrawByNumber) {
    WordCards cards(&device);
    ASSERT_EQ(cards.Load(), S_OK);
    // letter tex1 ... love tex5, quad vb6.
    for (int card : {1, 3, 5, 0, 6, -1}) {
        size_t from = device.log.size();
        cards.Draw(card);
        Lines expected = kBlendedStates;
        if (card >= 1 && card <= 5)
            expected.push_back("SetTexture(0, tex" + std::to_string(card) + ")");
        expected = Join(expected, {"SetStreamSource(0, vb6, 0, 28)", "SetFVF(0x144)",
                                   "DrawPrimitive(5, 0, 2)"});
        EXPECT_EQ(After(device, from), expected) << card;
    }
    cards.Release();
}

TEST_F(Scenes, WordCardsStopAtTheFirstMissingCard) {
    std::filesystem::remove("Textures/beauty.png");
    WordCards cards(&device);
    EXPECT_EQ(cards.Load(), E_FAIL);
    EXPECT_NE(cards.letterCard, nullptr);
    EXPECT_NE(cards.truthCard, nullptr);
    EXPECT_EQ(cards.beautyCard, nullptr);
    EXPECT_EQ(cards.loveCard, nullptr);
    EXPECT_EQ(cards.quad, nullptr);
    cards.Release();
    EXPECT_EQ(device.liveResources, 0);
}
