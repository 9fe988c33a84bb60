// The generated content loads through the demo's own loaders with sane counts.
#include "models/md2_model.h"
#include "support/recording_device.h"
#include "support/temp_dir.h"

#include <d3dx9.h>
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cstdlib>
#include <fstream>

#ifndef QUILLMERE_CONTENT_DIR
#error "the tests need the generated content"
#endif

namespace {

std::string Content(const std::string& name) {
    return std::string(QUILLMERE_CONTENT_DIR) + "/" + name;
}

std::vector<char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(Content, BearsStandOnTheFloorInsideTheRoom) {
    RecordingDevice device;
    for (const char* name : {"Data/nalle.md2", "Data/nalle2.md2", "Data/nalle3.md2"}) {
        Md2Model model(&device);
        ASSERT_EQ(model.Load(Content(name).c_str(), Content("Data/nalle.bmp").c_str()), 1) << name;
        EXPECT_GE(model.frameCount, 30) << name;
        EXPECT_LE(model.frameCount, 50) << name;
        EXPECT_GE(model.triangleCount, 1000) << name;
        EXPECT_LE(model.triangleCount, 3000) << name;
        float lowest = 1e9f;
        for (int f = 0; f < model.frameCount; ++f)
            for (const ModelVertex& v : model.frameLists[f]) {
                ASSERT_GT(v.x, -40) << name;
                ASSERT_LT(v.x, 120) << name;
                ASSERT_GE(v.y, -40.5f) << name;
                ASSERT_LT(v.y, 40) << name;
                ASSERT_GT(v.z, 0) << name;
                ASSERT_LT(v.z, 120) << name;
                ASSERT_GE(v.u, 0);
                ASSERT_LE(v.u, 1);
                if (f == 0) lowest = std::min(lowest, v.y);
            }
        EXPECT_NEAR(lowest, -40, 1.0) << name; // feet on the floor
    }
}

TEST(Content, TexturesLoadWithTheirSizesAndFormats) {
    RecordingDevice device;
    struct Case {
        const char* file;
        UINT width, height;
        D3DFORMAT format;
    } cases[] = {
        {"Textures/wall.bmp", 256, 256, D3DFMT_X8R8G8B8},
        {"Data/nalle.bmp", 256, 256, D3DFMT_X8R8G8B8},
        {"Textures/oldstyle.png", 512, 512, D3DFMT_A8R8G8B8},
        {"Textures/noise1.png", 512, 512, D3DFMT_A8R8G8B8},
        {"Textures/noise2.png", 512, 512, D3DFMT_A8R8G8B8},
        {"Textures/lines.png", 512, 512, D3DFMT_A8R8G8B8},
        {"Textures/1.png", 800, 600, D3DFMT_X8R8G8B8},
        {"Textures/2.png", 800, 600, D3DFMT_X8R8G8B8},
        {"Textures/3.png", 800, 600, D3DFMT_X8R8G8B8},
        {"Textures/letter.png", 800, 600, D3DFMT_X8R8G8B8},
        {"Textures/truth.png", 800, 600, D3DFMT_X8R8G8B8},
        {"Textures/beauty.png", 800, 600, D3DFMT_X8R8G8B8},
        {"Textures/freedom.png", 800, 600, D3DFMT_X8R8G8B8},
        {"Textures/love.png", 800, 600, D3DFMT_X8R8G8B8},
    };
    for (const Case& c : cases) {
        IDirect3DTexture9* t = nullptr;
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXCreateTextureFromFileExA(&device, Content(c.file).c_str(), 0, 0, 1, 0,
                                               D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                               D3DX_FILTER_POINT, 0, &info, nullptr, &t),
                  D3D_OK)
            << c.file;
        EXPECT_EQ(info.Width, c.width) << c.file;
        EXPECT_EQ(info.Height, c.height) << c.file;
        EXPECT_EQ(info.Format, c.format) << c.file;
        t->Release();
    }
}

TEST(Content, ScratchesAreTheOnlyInkOfTheLines) {
    RecordingDevice device;
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(&device, Content("Textures/lines.png").c_str(), 0, 0, 1,
                                           0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                           D3DX_FILTER_POINT, 0, nullptr, nullptr, &t),
              D3D_OK);
    D3DLOCKED_RECT lr;
    t->LockRect(0, &lr, nullptr, D3DLOCK_READONLY);
    int clear = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            clear +=
                (reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x] >>
                 24) == 0;
    t->UnlockRect(0);
    t->Release();
    EXPECT_GT(clear, 512 * 512 * 95 / 100);
    EXPECT_LT(clear, 512 * 512);
}

TEST(Content, MusicLoadsWithoutWarningsAndLastsAbout52Seconds) {
    auto bytes = ReadAll(Content("music.xm"));
    ASSERT_FALSE(bytes.empty());
    static std::vector<std::string> messages;
    auto log = [](const char* message, void*) { messages.push_back(message); };
    openmpt_module* m = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), log, nullptr,
                                                           openmpt_error_func_ignore, nullptr,
                                                           nullptr, nullptr, nullptr);
    ASSERT_NE(m, nullptr);
    EXPECT_NEAR(openmpt_module_get_duration_seconds(m), 52.0, 1.0);
    EXPECT_EQ(openmpt_module_get_num_instruments(m), 8);
    for (const auto& w : messages)
        ADD_FAILURE() << "libopenmpt: " << w;
    openmpt_module_destroy(m);
}

TEST(Content, TheGeneratorWritesTheSameBytesEveryTime) {
    TempDir a, b;
    const std::string generator = QUILLMERE_CONTENT_GENERATOR;
    ASSERT_EQ(system((generator + " " + a.path() + "/c").c_str()), 0);
    ASSERT_EQ(system((generator + " " + b.path() + "/c").c_str()), 0);
    for (const char* name : {"music.xm", "Data/nalle.md2", "Data/nalle3.md2", "Textures/letter.png",
                             "Textures/noise1.png", "Textures/2.png"})
        EXPECT_EQ(ReadAll(a.path() + "/c/" + name), ReadAll(b.path() + "/c/" + name)) << name;
}
