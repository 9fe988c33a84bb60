#include "canvas.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace content {

namespace {
uint8_t Byte(float v) {
    return static_cast<uint8_t>(std::clamp(v * 255.0f + 0.5f, 0.0f, 255.0f));
}
} // namespace

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool WritePng(const std::string& path, const Canvas& c, bool alpha) {
    std::vector<uint8_t> bytes(size_t(c.width) * c.height * (alpha ? 4 : 3));
    size_t i = 0;
    for (const Rgba& p : c.px) {
        bytes[i++] = Byte(p.r);
        bytes[i++] = Byte(p.g);
        bytes[i++] = Byte(p.b);
        if (alpha) bytes[i++] = Byte(p.a);
    }
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(c.width);
    image.height = static_cast<png_uint_32>(c.height);
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

bool WriteBmp24(const std::string& path, const Canvas& c) {
    const uint32_t row = (uint32_t(c.width) * 3 + 3) & ~3u;
    const uint32_t data = row * uint32_t(c.height);
    std::vector<uint8_t> b(54 + data, 0);
    auto u32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k)
            b[at + k] = static_cast<uint8_t>(v >> (8 * k));
    };
    b[0] = 'B', b[1] = 'M';
    u32(2, 54 + data);
    u32(10, 54);
    u32(14, 40);
    u32(18, uint32_t(c.width));
    u32(22, uint32_t(c.height)); // bottom-up
    b[26] = 1;
    b[28] = 24;
    u32(34, data);
    u32(38, 2835);
    u32(42, 2835);
    for (int y = 0; y < c.height; ++y) {
        uint8_t* dst = &b[54 + size_t(c.height - 1 - y) * row];
        for (int x = 0; x < c.width; ++x) {
            const Rgba& p = c.px[size_t(y) * c.width + x];
            dst[x * 3 + 0] = Byte(p.b);
            dst[x * 3 + 1] = Byte(p.g);
            dst[x * 3 + 2] = Byte(p.r);
        }
    }
    return WriteBytes(path, b);
}

} // namespace content
