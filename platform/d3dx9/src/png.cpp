#include "image.h"

#include <png.h>

#include <cstring>

namespace d3dx {

bool DecodePng(const uint8_t* data, size_t size, Image& out) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return false;
    if (image.width == 0 || image.height == 0 || image.width > kMaxDimension ||
        image.height > kMaxDimension) {
        png_image_free(&image);
        return false;
    }
    // Alpha from an alpha channel or from tRNS.
    const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_BGRA; // 0xAARRGGBB in little-endian memory
    std::vector<uint32_t> pixels(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    out.width = image.width;
    out.height = image.height;
    out.alpha = alpha;
    out.pixels = std::move(pixels);
    png_image_free(&image);
    return true;
}

} // namespace d3dx
