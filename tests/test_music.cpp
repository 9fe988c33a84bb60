#include "support/temp_dir.h"
#include "support/tiny_module.h"

#include <SDL.h>
#include <fmod.h>
#include <fmod_extras.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {
void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
} // namespace

TEST(Music, ModuleLoadsWithItsLength) {
    TempDir dir;
    TempDir::Write("music.xm", TinyModule(16)); // 16 rows x 3 ticks x 20 ms
    FMUSIC_MODULE* mod = FMUSIC_LoadSong("MUSIC.XM");
    ASSERT_NE(mod, nullptr);
    EXPECT_NEAR(FmodModuleDurationMs(mod), 960, 25);
    FMUSIC_FreeSong(mod);
}

TEST(Music, MissingOrDamagedModuleGivesAnEmptyHandle) {
    TempDir dir;
    EXPECT_EQ(FMUSIC_LoadSong("music.xm"), nullptr);
    TempDir::Write("music.xm", std::string(500, 'x'));
    EXPECT_EQ(FMUSIC_LoadSong("music.xm"), nullptr);
    std::vector<uint8_t> half = TinyModule(16);
    half.resize(60);
    TempDir::Write("music.xm", half);
    EXPECT_EQ(FMUSIC_LoadSong("music.xm"), nullptr);
}

TEST(Music, WithoutAnAudioDeviceThePositionFollowsTheWallClock) {
    setenv("SDL_AUDIODRIVER", "none-such", 1);
    EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
    EXPECT_EQ(FMUSIC_GetTime(nullptr), 0); // not started yet
    FMUSIC_PlaySong(nullptr);
    int previous = 0;
    for (int i = 0; i < 10; ++i) {
        SleepMs(20);
        int t = FMUSIC_GetTime(nullptr);
        EXPECT_GE(t, previous);
        previous = t;
    }
    EXPECT_GE(previous, 190);
    EXPECT_LT(previous, 2000);
}

TEST(Music, ThePlayedPositionIsMonotonicAndCountsOnPastTheEnd) {
    TempDir dir;
    TempDir::Write("music.xm", TinyModule(4, 1)); // 4 rows x 1 tick x 20 ms = 80 ms
    ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1);      // SDL's dummy driver plays in real time
    FMUSIC_MODULE* mod = FMUSIC_LoadSong("music.xm");
    ASSERT_NE(mod, nullptr);
    FMUSIC_PlaySong(mod);
    auto start = std::chrono::steady_clock::now();
    int previous = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(600)) {
        int t = FMUSIC_GetTime(mod);
        ASSERT_GE(t, previous);
        previous = t;
        SleepMs(5);
    }
    int elapsed = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - start)
                                       .count());
    EXPECT_GT(previous, 300); // well past the module's 80 ms
    EXPECT_LE(previous, elapsed + 5);
    FMUSIC_FreeSong(mod);
}
