// Small content files written by the tests.
#pragma once
#include "temp_dir.h"

#include <png.h>

#include <cstring>
#include <string>
#include <vector>

// A PNG of w x h pixels, 0xAARRGGBB, with or without an alpha channel.
inline void WriteTestPng(const std::string& path, int w, int h, const std::vector<uint32_t>& px,
                         bool alpha = true) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::vector<uint8_t> bytes;
    for (uint32_t c : px) {
        bytes.push_back(uint8_t(c >> 16));
        bytes.push_back(uint8_t(c >> 8));
        bytes.push_back(uint8_t(c));
        if (alpha) bytes.push_back(uint8_t(c >> 24));
    }
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr);
}

inline void WriteSolidPng(const std::string& path, uint32_t colour, int w = 4, int h = 4) {
    WriteTestPng(path, w, h, std::vector<uint32_t>(size_t(w) * h, colour));
}

// A bitmap of the given bit depth (24 or 32), bottom-up unless topDown.
inline std::vector<uint8_t> TestBmp(int w, int h, const std::vector<uint32_t>& px, int bits = 24,
                                    bool topDown = false) {
    const uint32_t row = (uint32_t(w) * bits / 8 + 3) & ~3u;
    std::vector<uint8_t> b(54 + row * h, 0);
    auto u32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k)
            b[at + k] = uint8_t(v >> (8 * k));
    };
    b[0] = 'B', b[1] = 'M';
    u32(2, uint32_t(b.size()));
    u32(10, 54);
    u32(14, 40);
    u32(18, uint32_t(w));
    u32(22, uint32_t(topDown ? -h : h));
    b[26] = 1;
    b[28] = uint8_t(bits);
    for (int y = 0; y < h; ++y) {
        uint8_t* dst = &b[54 + size_t(topDown ? y : h - 1 - y) * row];
        for (int x = 0; x < w; ++x) {
            uint32_t c = px[size_t(y) * w + x];
            dst[x * bits / 8 + 0] = uint8_t(c);
            dst[x * bits / 8 + 1] = uint8_t(c >> 8);
            dst[x * bits / 8 + 2] = uint8_t(c >> 16);
            if (bits == 32) dst[x * 4 + 3] = uint8_t(c >> 24);
        }
    }
    return b;
}

// Every texture the scenes load, each a small solid picture.
inline void WriteSceneTextures() {
    for (const char* name : {"oldstyle", "noise1", "noise2", "lines", "1", "2", "3", "letter",
                             "truth", "beauty", "freedom", "love"})
        WriteSolidPng(std::string("Textures/") + name + ".png", 0x80FFFFFF);
    TempDir::Write("Textures/wall.bmp", TestBmp(4, 4, std::vector<uint32_t>(16, 0xFF806040)));
    TempDir::Write("Data/nalle.bmp", TestBmp(4, 4, std::vector<uint32_t>(16, 0xFF806040)));
}
