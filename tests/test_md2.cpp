// The MD2 reader, the frame lists and playback.
#include "models/md2_model.h"
#include "support/fixtures.h"
#include "support/md2_fixture.h"
#include "support/recording_device.h"

#include <gtest/gtest.h>

namespace {

class Md2 : public ::testing::Test {
  protected:
    void SetUp() override {
        TempDir::Write("skin.bmp", TestBmp(2, 2, std::vector<uint32_t>(4, 0xFF00FF00)));
    }
    int Load(const Md2Fixture& f) {
        TempDir::Write("model.md2", f.Bytes());
        return model.Load("model.md2", "skin.bmp");
    }
    TempDir dir;
    RecordingDevice device;
    Md2Model model{&device};
};

} // namespace

TEST_F(Md2, CornersReversedAxesSwappedCoordinatesNormalisedOffsetApplied) {
    Md2Fixture f;
    f.vertices = 10;
    f.st = {{5, 5}, {0, 0}, {200, 50}, {100, 100}};
    f.tris = {{4, 7, 9, 1, 2, 3}};
    Md2Fixture::Frame frame;
    frame.scale[0] = frame.scale[1] = frame.scale[2] = 0.5f;
    frame.translate[0] = frame.translate[1] = -10;
    frame.verts.assign(10, {20, 40, 60});
    f.frames = {frame, frame};
    f.garbageOffsets = true; // offsets are ignored
    f.skins = 0;             // no skin names: coordinates follow the header
    ASSERT_EQ(Load(f), 1);
    ASSERT_EQ(model.frameCount, 2);
    EXPECT_EQ(model.triangles[0].vertex[0], 9);
    EXPECT_EQ(model.triangles[0].vertex[2], 4);
    // Corner 0 has entry 3 (100, 100): normalised by the largest s 200 and t 100.
    EXPECT_FLOAT_EQ(model.triangles[0].uv[0][0], 0.5f);
    EXPECT_FLOAT_EQ(model.triangles[0].uv[0][1], 1.0f);
    EXPECT_FLOAT_EQ(model.triangles[0].uv[2][0], 0.0f);
    // 0.5 x (20, 40, 60) + (-10, -10, 0) + (40.7, 90.8, 0.7)
    const Md2Position& p = model.frames[0][9];
    EXPECT_FLOAT_EQ(p.x, 40.7f);
    EXPECT_FLOAT_EQ(p.y, 100.8f);
    EXPECT_FLOAT_EQ(p.z, 30.7f);
    // Drawn: x, then the file's z as y, the file's y as z.
    ASSERT_EQ(model.frameLists[0].size(), 3u);
    EXPECT_FLOAT_EQ(model.frameLists[0][0].y, 30.7f);
    EXPECT_FLOAT_EQ(model.frameLists[0][0].z, 100.8f);
    EXPECT_EQ(model.frameLists[0][0].diffuse, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(model.frameLists[0][2].u, 0.0f);
    EXPECT_TRUE(model.frameLists[2].empty());
}

TEST_F(Md2, RecordSizeFromTheVertexCountNotTheHeader) {
    Md2Fixture f;
    f.frameSize = 9999;
    f.frames[1].verts = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    ASSERT_EQ(Load(f), 1);
    EXPECT_FLOAT_EQ(model.frames[1][2].x, 7 + 40.7f);
}

TEST_F(Md2, LargestCoordinateZeroDividesNothing) {
    Md2Fixture f;
    f.st = {{0, 0}, {0, 0}, {0, 0}};
    ASSERT_EQ(Load(f), 1);
    EXPECT_EQ(model.triangles[0].uv[1][0], 0.0f);
    EXPECT_EQ(model.triangles[0].uv[1][1], 0.0f);
}

TEST_F(Md2, DamagedFilesLeaveNoKeyFrames) {
    struct Case {
        const char* what;
        std::function<void(Md2Fixture&)> damage;
        size_t cut = 0; // bytes removed from the end
    } cases[] = {
        {"truncated frame", [](Md2Fixture&) {}, 5},
        {"truncated header", [](Md2Fixture&) {}, 0},
        {"vertex index past the table", [](Md2Fixture& f) { f.tris[0][1] = 3; }},
        {"negative vertex index", [](Md2Fixture& f) { f.tris[0][0] = -1; }},
        {"coordinate index past the table", [](Md2Fixture& f) { f.tris[0][4] = 4; }},
        {"too many frames", [](Md2Fixture& f) { f.headerFrames = 513; }},
        {"negative triangles", [](Md2Fixture& f) { f.headerTris = -2; }},
        {"too many skins", [](Md2Fixture& f) { f.headerSkins = 33; }},
        {"too many coordinates", [](Md2Fixture& f) { f.headerSt = 10001; }},
        {"too many vertices", [](Md2Fixture& f) { f.headerVertices = 10023; }},
        {"more triangles than the file has", [](Md2Fixture& f) { f.headerTris = 50; }},
        {"a huge triangle count", [](Md2Fixture& f) { f.headerTris = 0x7FFFFFFF; }},
        {"huge frames on a short file", [](Md2Fixture& f) {
             f.headerFrames = 512;
             f.headerVertices = 10022;
         }},
    };
    for (const auto& c : cases) {
        Md2Model m(&device);
        Md2Fixture f;
        c.damage(f);
        auto bytes = f.Bytes();
        if (std::string(c.what) == "truncated header") bytes.resize(40);
        bytes.resize(bytes.size() - c.cut);
        TempDir::Write("model.md2", bytes);
        EXPECT_EQ(m.Load("model.md2", "skin.bmp"), 0) << c.what;
        EXPECT_EQ(m.frameCount, 0) << c.what;
        EXPECT_EQ(m.frames, nullptr) << c.what;
        EXPECT_EQ(m.skin, nullptr) << c.what;
        EXPECT_EQ(m.Play(0.1f), 1) << c.what;
    }
    EXPECT_EQ(device.liveResources, 0);
}

TEST_F(Md2, MissingModelOrSkin) {
    EXPECT_EQ(model.Load("missing.md2", "skin.bmp"), 0);
    EXPECT_TRUE(device.Calls("CreateTexture").empty()); // the skin is not even tried
    TempDir::Write("model.md2", Md2Fixture().Bytes());
    Md2Model other(&device);
    EXPECT_EQ(other.Load("model.md2", "missing.bmp"), 0);
    EXPECT_EQ(other.frameCount, 0);
}

TEST_F(Md2, PlayDrawsKeyFramesAndReportsTheEnd) {
    struct Case {
        int frames;
        float step;
        std::vector<int> results; // 0 drawn, 1 end
    } cases[] = {
        {0, 0.1f, {1}},
        {1, 0.1f, {1}},
        {2, 0.4f, {0, 0, 1, 0}},
        {3, 5.0f, {1, 1}}, // far past the end rewinds to 0, not the remainder
    };
    for (const Case& c : cases) {
        Md2Fixture f;
        f.frames.resize(size_t(c.frames), f.frames[0]);
        Md2Model m(&device);
        if (c.frames > 0) {
            TempDir::Write("model.md2", f.Bytes());
            ASSERT_EQ(m.Load("model.md2", "skin.bmp"), 1);
        }
        for (size_t i = 0; i < c.results.size(); ++i) {
            EXPECT_EQ(m.Play(c.step), c.results[i]) << c.frames << " frames, call " << i;
            if (c.results[i]) {
                EXPECT_EQ(m.framePosition, 0.0f);
            }
        }
    }
}

TEST_F(Md2, FortyKeyFramesAtAQuarterEndOnCall156) {
    Md2Fixture f;
    f.frames.resize(40, f.frames[0]);
    ASSERT_EQ(Load(f), 1);
    std::vector<int> drawn;
    int call = 0, result = 0;
    while (result == 0 && call < 1000) {
        ++call;
        device.Clear();
        result = model.Play(0.25f);
        if (!result) drawn.push_back(int(model.framePosition));
    }
    EXPECT_EQ(call, 156);
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), 0), 3);
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), 38), 4);
    model.Play(0.0f); // a step of 0 draws the same key frame again
    EXPECT_EQ(device.Calls("DrawPrimitiveUP").size(), 1u);
    EXPECT_EQ(device.lastUserData, model.frameLists[0].data());
}

TEST_F(Md2, PlayDeviceCalls) {
    Md2Fixture f;
    ASSERT_EQ(Load(f), 1);
    device.Clear();
    model.Play(0.5f);
    EXPECT_EQ(device.log,
              (std::vector<std::string>{"SetMaterial(1 1, 1 1, 0, 0, 0)", "SetRenderState(137, 0)",
                                        "SetRenderState(22, 2)", "SetTexture(0, tex1)",
                                        "SetFVF(0x142)", "DrawPrimitiveUP(4, 1, 24)"}));
}
