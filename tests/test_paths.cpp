#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <winpath.h>

TEST(WindowsPaths, ResolveBackslashesAndLetterCase) {
    TempDir dir;
    TempDir::Write("Textures/wall.bmp", "x");
    TempDir::Write("Data/NALLE.md2", "x");
    std::filesystem::create_directories("Debug logs");
    struct Case {
        const char* given;
        const char* expected;
    } cases[] = {
        {"Textures\\wall.bmp", "Textures/wall.bmp"},
        {"textures\\wall.bmp", "Textures/wall.bmp"},
        {"TEXTURES\\WALL.BMP", "Textures/wall.bmp"},
        {"Data\\nalle.md2", "Data/NALLE.md2"},
        {"Textures/wall.bmp", "Textures/wall.bmp"},
        {"debug LOGS\\engine.log", "Debug logs/engine.log"}, // a file not yet there keeps its name
        {"Missing\\engine.log", "Missing/engine.log"},
        {".\\Textures\\wall.bmp", "./Textures/wall.bmp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveWindowsPath(c.given), c.expected) << c.given;
}

TEST(WindowsPaths, OpenReadsTheMatchedFileAndCreatesNoFolder) {
    TempDir dir;
    TempDir::Write("Textures/Letter.PNG", "abc");
    FILE* f = OpenWindowsFile("textures\\letter.png", "rb");
    ASSERT_NE(f, nullptr);
    char buf[4] = {};
    EXPECT_EQ(fread(buf, 1, 3, f), 3u);
    fclose(f);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(OpenWindowsFile("Debug logs\\engine.log", "at"), nullptr);
    EXPECT_FALSE(std::filesystem::exists("Debug logs"));
    EXPECT_EQ(OpenWindowsFile(nullptr, "rb"), nullptr);
}
