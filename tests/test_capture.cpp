// Frames from the offline capture show the scene the schedule names at their position.
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <fstream>

namespace {

struct Picture {
    std::vector<uint8_t> rgb;
    double mean = 0;   // of all channels, 0..255
    double bright = 0; // share of pixels brighter than 160
    double warmth = 0; // mean red minus mean blue
};

Picture Open(const std::string& path) {
    Picture p;
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
    image.format = PNG_FORMAT_RGB;
    p.rgb.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr);
    const size_t n = p.rgb.size() / 3;
    double sum = 0, red = 0, blue = 0, bright = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* c = &p.rgb[i * 3];
        sum += c[0] + c[1] + c[2];
        red += c[0];
        blue += c[2];
        bright += (c[0] + c[1] + c[2]) / 3 > 160;
    }
    p.mean = sum / (3.0 * n);
    p.warmth = (red - blue) / n;
    p.bright = bright / n;
    return p;
}

std::string Frame(const std::string& dir, int k) {
    char name[32];
    snprintf(name, sizeof name, "/%06d.png", k);
    return dir + name;
}

int Capture(const std::string& args) {
    const std::string cmd = std::string("cd '") + QUILLMERE_CONTENT_DIR +
                            "' && SDL_AUDIODRIVER=none-such '" + QUILLMERE_CAPTURE + "' " + args +
                            " 2>/dev/null";
    return system(cmd.c_str());
}

} // namespace

TEST(Capture, FramesShowTheScheduledScene) {
    TempDir out;
    setenv("SDL_VIDEODRIVER", "x11", 1);
    // Two frames a second: frame k is at k x 500 ms.
    ASSERT_EQ(Capture("--fps 2 --from 13500 --to 50001 --out " + out.path()), 0);
    enum Kind { Room, Pictures, Card, Black };
    struct Case {
        int frame;
        Kind kind;
    } cases[] = {{27, Room},  {28, Pictures}, {59, Pictures}, {60, Card}, {79, Card},  {80, Black},
                 {86, Black}, {87, Card},     {88, Black},    {91, Card}, {92, Black}, {94, Card},
                 {95, Black}, {96, Black},    {97, Card},     {99, Card}, {100, Black}};
    for (const Case& c : cases) {
        Picture p = Open(Frame(out.path(), c.frame));
        ASSERT_FALSE(p.rgb.empty()) << c.frame;
        switch (c.kind) {
        case Room: // the wallpaper under the sepia overlay: warm, mid-dark, few bright pixels
            EXPECT_GT(p.warmth, 20) << c.frame;
            EXPECT_GT(p.mean, 30) << c.frame;
            break;
        case Pictures:
            EXPECT_GT(p.mean, 20) << c.frame;
            break;
        case Card: // light letters on black
            EXPECT_LT(p.mean, 60) << c.frame;
            EXPECT_GT(p.bright, 0.01) << c.frame;
            break;
        case Black:
            EXPECT_EQ(p.mean, 0.0) << c.frame;
            break;
        }
    }
    // The sound of exactly those frames: 74 frames of 22050 stereo samples.
    std::ifstream wav(out.path() + "/audio.wav", std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<long>(wav.tellg()), 44 + 74L * 22050 * 4);
}

TEST(Capture, TwoRunsGiveTheSameFramesAndSound) {
    TempDir a, b;
    setenv("SDL_VIDEODRIVER", "x11", 1);
    ASSERT_EQ(Capture("--fps 20 --from 3000 --to 3200 --out " + a.path()), 0);
    ASSERT_EQ(Capture("--fps 20 --from 3000 --to 3200 --out " + b.path()), 0);
    for (const std::string name : {"/000060.png", "/000063.png", "/audio.wav"})
        EXPECT_EQ(TempDir::Read(a.path() + name), TempDir::Read(b.path() + name)) << name;
    EXPECT_NE(TempDir::Read(a.path() + "/000060.png"), TempDir::Read(a.path() + "/000063.png"));
}

TEST(Capture, RefusesWhatItCannotDo) {
    EXPECT_NE(Capture("--out /no/such/folder"), 0);
    EXPECT_NE(Capture("--fps 0 --out /tmp"), 0);
    EXPECT_NE(Capture("--bogus"), 0);
    EXPECT_EQ(Capture("--help"), 0);
}

// A video with sound through ffmpeg, whatever characters the file name holds (ffmpeg is
// started without a shell).
TEST(Capture, VideoWithSound) {
    if (system("command -v ffmpeg >/dev/null") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    TempDir out;
    setenv("SDL_VIDEODRIVER", "x11", 1);
    auto quote = [](const std::string& s) { // for the test's own shell
        std::string q = "'";
        for (char c : s)
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    };
    const std::string video = out.path() + "/it's;$(false).mkv";
    ASSERT_EQ(Capture("--fps 30 --from 13500 --to 14500 --out " + quote(video)), 0);
    const std::string probe = out.path() + "/probe.txt";
    ASSERT_EQ(system(("ffprobe -v error -show_entries stream=codec_type,width,height:format="
                      "duration -of compact=nokey=1 " +
                      quote(video) + " >" + probe)
                         .c_str()),
              0);
    const std::string streams = TempDir::Read(probe);
    EXPECT_NE(streams.find("stream|video|800|600"), std::string::npos) << streams;
    EXPECT_NE(streams.find("stream|audio"), std::string::npos) << streams;
    const size_t at = streams.find("format|");
    ASSERT_NE(at, std::string::npos) << streams;
    EXPECT_NEAR(atof(streams.c_str() + at + 7), 1.0, 0.1) << streams;
    EXPECT_FALSE(std::ifstream(video + ".wav")) << "the sound's temporary file is left";
}
