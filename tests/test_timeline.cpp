// The frame: the schedule by music position, start-up and clean-up, against the
// recording device.
#include "app/demo_app.h"
#include "app/timer.h"
#include "models/md2_model.h"
#include "scenes/camera.h"
#include "gfx/text_font.h"
#include "scenes/film_overlay.h"
#include "scenes/picture_scene.h"
#include "scenes/room_scene.h"
#include "scenes/word_cards.h"
#include "support/fixtures.h"
#include "support/md2_fixture.h"
#include "support/recording_device.h"

#include <fmod_extras.h>
#include <gtest/gtest.h>
#include <win32_testing.h>

#include <cmath>

namespace {

class Timeline : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteSceneTextures();
        Md2Fixture f;
        f.frames.resize(40, f.frames[0]);
        for (const char* name : {"Data/nalle.md2", "Data/nalle2.md2", "Data/nalle3.md2"})
            TempDir::Write(name, f.Bytes());
        Win32ResetMessageQueue();
        FmodUseVirtualPosition(true);
        app.device = &device; // start-up keeps a device that exists
        app.window = nullptr;
        app.Initialize();
        device.Clear();
    }
    void TearDown() override { FmodUseVirtualPosition(false); }
    // What one frame at music position t draws: the scene's first calls after BeginScene.
    std::vector<std::string> Frame(int t) {
        FmodSetVirtualPosition(t);
        device.Clear();
        EXPECT_EQ(app.Render(), S_OK);
        return device.log;
    }
    static bool Has(const std::vector<std::string>& log, const std::string& line) {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    std::string CardTexture(int card) {
        IDirect3DTexture9* cards[] = {nullptr,
                                      app.wordCards->letterCard,
                                      app.wordCards->truthCard,
                                      app.wordCards->beautyCard,
                                      app.wordCards->freedomCard,
                                      app.wordCards->loveCard};
        return device.Name(cards[card]);
    }
    std::string CardQuad() {
        return "SetStreamSource(0, " + device.Name(app.wordCards->quad) + ", 0, 28)";
    }
    bool QuitPosted() {
        MSG m;
        return PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE) && m.message == WM_QUIT;
    }
    TempDir dir;
    RecordingDevice device;
    DemoApp app;
};

} // namespace

TEST_F(Timeline, FrameOrderAndClear) {
    auto log = Frame(5000);
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0].rfind("SetTransform(256)", 0), 0u); // the camera's step comes first
    auto clear = std::find(log.begin(), log.end(), "Clear(0, null, 0x3, 0xff000000, 1, 0)");
    ASSERT_NE(clear, log.end());
    EXPECT_EQ(*(clear + 1), "BeginScene()");
    EXPECT_EQ(log[log.size() - 2], "EndScene()");
    EXPECT_EQ(log.back(), "Present()");
}

TEST_F(Timeline, ScheduleAtEveryBoundary) {
    enum Scene { First, Pictures, Card1, Card2, Card3, Card4, Card5, Black };
    struct Case {
        int t;
        Scene scene;
    } cases[] = {{-5, First},    {13999, First}, {14000, Pictures}, {29999, Pictures},
                 {30000, Card1}, {39999, Card1}, {40000, Black},    {43000, Black},
                 {43001, Card2}, {43999, Card2}, {44000, Black},    {45000, Black},
                 {45001, Card3}, {45999, Card3}, {46000, Black},    {46500, Black},
                 {46501, Card4}, {47499, Card4}, {47500, Black},    {48000, Black},
                 {48001, Card5}, {49999, Card5}};
    for (const Case& c : cases) {
        auto log = Frame(c.t);
        const bool room = Has(log, "DrawPrimitive(4, 0, 10)");
        const bool pictures = Has(log, "SetFVF(0x144)") && !Has(log, CardQuad());
        int card = 0;
        for (int k = 1; k <= 5; ++k)
            if (Has(log, std::string("SetTexture(0, ") + CardTexture(k) + ")")) card = k;
        const bool drawsCard = Has(log, CardQuad());
        EXPECT_EQ(room, c.scene == First) << c.t;
        EXPECT_EQ(pictures, c.scene == Pictures) << c.t;
        EXPECT_EQ(drawsCard, c.scene >= Card1 && c.scene <= Card5) << c.t;
        if (c.scene >= Card1 && c.scene <= Card5) {
            EXPECT_EQ(card, c.scene - Card1 + 1) << c.t;
        }
        EXPECT_FALSE(QuitPosted()) << c.t;
    }
}

TEST_F(Timeline, FiftySecondsPresentsBlackAndEnds) {
    auto log = Frame(50000);
    EXPECT_FALSE(Has(log, "DrawPrimitive(5, 0, 2)"));
    EXPECT_EQ(log.back(), "Present()");
    EXPECT_TRUE(QuitPosted());
}

TEST_F(Timeline, ModelsHandOverAndTheFirstFrameStartsFromTheFirstKeyFrame) {
    // The first frame's step is the time since the timer's start, not since boot.
    Frame(100);
    EXPECT_EQ(app.modelStage, 1);
    EXPECT_LT(app.model1->framePosition, 1.0f);
    EXPECT_LT(app.filmOverlay->phase, 1.0f);
    // With stage 2, model1 is never asked again.
    app.modelStage = 2;
    float before = app.model1->framePosition;
    for (int i = 0; i < 5; ++i)
        Frame(200);
    EXPECT_EQ(app.model1->framePosition, before);
    EXPECT_GT(app.model2->framePosition, 0.0f);
    app.modelStage = 4; // after model3: room and overlay only
    auto log = Frame(300);
    EXPECT_FALSE(Has(log, "DrawPrimitiveUP(4, 1, 24)"));
    EXPECT_TRUE(Has(log, "DrawPrimitive(4, 0, 10)"));
}

TEST_F(Timeline, CleanUpOrder) {
    // What each object holds, before clean-up forgets it.
    device.names[&device] = "device";
    const void* fontBuffer = app.font->vertexBuffer;
    const void* fontTexture = app.font->texture;
    WordCards cards = *app.wordCards;
    PictureScene pictures = *app.pictures;
    RoomScene room = *app.room;
    FilmOverlay overlay = *app.filmOverlay;
    const void* skin = app.model1->skin;
    device.Clear();
    app.CleanUp();
    auto releases = device.Calls("Release(");
    // The device first, then the cards, pictures, room and overlay in that order.
    auto at = [&](const void* object) {
        auto it =
            std::find(releases.begin(), releases.end(), "Release(" + device.Name(object) + ")");
        EXPECT_NE(it, releases.end()) << device.Name(object);
        return it - releases.begin();
    };
    // The font's volatile objects, the device, the font's atlas, then the scenes.
    EXPECT_LT(at(fontBuffer), at(&device));
    EXPECT_LT(at(&device), at(fontTexture));
    EXPECT_LT(at(fontTexture), at(cards.quad));
    EXPECT_LT(at(cards.loveCard), at(pictures.mirroredQuad));
    EXPECT_LT(at(pictures.wallTexture), at(room.vertexBuffer));
    EXPECT_LT(at(room.texture), at(overlay.quad));
    EXPECT_LT(at(overlay.lines), at(skin)); // the models' skins come last
    EXPECT_EQ(app.camera, nullptr);
    EXPECT_EQ(device.liveResources, 0);
}

TEST(Camera, FirstUpdateDampingClampAndForwardAxis) {
    RecordingDevice device;
    FlyCamera camera(&device);
    camera.Update(0.02f);
    const float k = 2.5f * 0.02f * 0.95f;
    EXPECT_NEAR(camera.position.x, -50.2f + k * -6.1f, 1e-4);
    EXPECT_NEAR(camera.position.y, 50.0f + k * 5.8f, 1e-4);
    EXPECT_NEAR(camera.position.z, 100.0f + k * 11.7f, 1e-4);
    EXPECT_NEAR(camera.velocity.x, -6.1f * 0.95f, 1e-5);
    camera.Update(0.02f);
    EXPECT_NEAR(camera.velocity.z, 11.7f * 0.95f * 0.95f, 1e-4); // per call, not per second
    EXPECT_FLOAT_EQ(camera.yaw, 2.16f);
    EXPECT_FLOAT_EQ(camera.pitch, 0.49f);
    // The forward axis of the placement: toward +x, down, toward -z.
    const D3DXMATRIX& m = camera.cameraMatrix;
    float fx = m._31 / 1.25f, fy = m._32 / 1.25f, fz = m._33 / 1.25f;
    EXPECT_NEAR(fx, std::sin(2.16f) * std::cos(0.49f), 1e-5);
    EXPECT_NEAR(fy, -std::sin(0.49f), 1e-5);
    EXPECT_NEAR(fz, std::cos(2.16f) * std::cos(0.49f), 1e-5);
    camera.pitchRate = 1000;
    camera.Update(1.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 1.57079637f);
    // The view is the inverse of the placement; the projection the fixed perspective.
    D3DXMATRIX product;
    D3DXMATRIX view(device.view);
    D3DXMatrixMultiply(&product, &camera.cameraMatrix, &view);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-4);
    EXPECT_NEAR(device.projection._22, 1 + std::sqrt(2.0f), 1e-5);
    EXPECT_NEAR(device.projection._33, 700.0f / 699.0f, 1e-6);
    EXPECT_NEAR(device.projection._43, -700.0f / 699.0f, 1e-5);
    EXPECT_EQ(device.projection._34, 1.0f);
    EXPECT_EQ(device.world._11, 1.0f);
}

namespace {
int64_t fakeTicks = 0;
void UseFakeCounter(int64_t start) {
    fakeTicks = start;
    Win32SetClockHooks({[](LARGE_INTEGER* f) {
                            f->QuadPart = 1000000;
                            return TRUE;
                        },
                        [](LARGE_INTEGER* c) {
                            c->QuadPart = fakeTicks;
                            return TRUE;
                        },
                        nullptr});
}
} // namespace

TEST(FrameRateCounter, LongUptimeKeepsTheStep) {
    // A month of uptime on the counter: the steps must still be a sixtieth of a second.
    UseFakeCounter(int64_t(30) * 24 * 3600 * 1000000);
    RecordingDevice device;
    DemoApp app;
    app.camera = new FlyCamera(&device);
    AppTimer(TimerCommand::Start);
    for (int i = 0; i < 5; ++i) {
        fakeTicks += 16667;
        app.StepFrame();
        EXPECT_NEAR(app.frameSeconds, 0.016667f, 1e-5) << i;
    }
    Win32SetClockHooks({});
}

TEST(FrameRateCounter, PeriodClosesPastOneSecondAndTheTextStaysInItsBytes) {
    UseFakeCounter(5000000);
    RecordingDevice device;
    DemoApp app;
    app.camera = new FlyCamera(&device);
    AppTimer(TimerCommand::Start);
    for (int i = 0; i < 4; ++i) { // calls every 0.3 s: the fourth closes the period
        fakeTicks += 300000;
        app.StepFrame();
        EXPECT_EQ(app.framesPerSecond == 0.0f, i < 3) << i;
    }
    EXPECT_NEAR(app.framesPerSecond, 4 / 1.2f, 1e-3);
    EXPECT_STREQ(app.frameRateText, "FPS: 3.33");
    // Ten thousand frames a second would need 13 characters: the text is cut at 11.
    app.frameRateText[11] = 'x';
    for (int i = 0; i < 12000; ++i) {
        fakeTicks += 100;
        app.StepFrame();
    }
    EXPECT_EQ(strlen(app.frameRateText), 11u);
    EXPECT_STREQ(app.frameRateText, "FPS: 10000.");
    // A frame with no elapsed time moves nothing.
    const float seconds = app.frameSeconds;
    app.StepFrame();
    EXPECT_EQ(app.frameSeconds, seconds);
    Win32SetClockHooks({});
}
