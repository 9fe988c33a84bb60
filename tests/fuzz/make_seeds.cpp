// Writes the fuzzers' seed corpus: small files of every kind the readers take.
#include "support/fixtures.h"
#include "support/md2_fixture.h"
#include "support/tiny_module.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    const std::string root = argv[1];
    for (const char* d : {"md2", "images", "music"})
        std::filesystem::create_directories(root + "/" + d);
    Md2Fixture md2;
    TempDir::Write(root + "/md2/fixture.md2", md2.Bytes());
    md2.skins = 0;
    md2.frames.resize(5, md2.frames[0]);
    TempDir::Write(root + "/md2/five_frames.md2", md2.Bytes());
    std::vector<uint32_t> px(16 * 8);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = 0xFF000000u | uint32_t(i * 0x010203u);
    TempDir::Write(root + "/images/rgb24.bmp", TestBmp(16, 8, px, 24));
    TempDir::Write(root + "/images/rgb32_top_down.bmp", TestBmp(16, 8, px, 32, true));
    WriteTestPng(root + "/images/rgba.png", 16, 8, px, true);
    WriteTestPng(root + "/images/rgb.png", 16, 8, px, false);
    TempDir::Write(root + "/music/tiny.xm", TinyModule(4));
    return 0;
}
