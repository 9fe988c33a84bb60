// The texture loader's decoders (PNG through libpng, our BMP reader) and resampling.
#include "../../platform/d3dx9/src/image.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    d3dx::Image image;
    const bool png = size >= 8 && memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0;
    const bool ok = png ? d3dx::DecodePng(data, size, image) : d3dx::DecodeBmp(data, size, image);
    if (ok && image.width <= 512 && image.height <= 512) {
        uint32_t w = 1, h = 1;
        while (w < image.width)
            w <<= 1;
        while (h < image.height)
            h <<= 1;
        d3dx::Image scaled = d3dx::Resample(image, w, h, d3dx::Filter::Triangle, true, false);
        d3dx::Resample(scaled, w > 1 ? w / 2 : 1, h > 1 ? h / 2 : 1, d3dx::Filter::Box, false,
                       true);
    }
    return 0;
}
