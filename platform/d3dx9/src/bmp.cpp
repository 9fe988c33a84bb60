// Windows bitmaps: 1-, 4-, 8-bit palettised, 16-, 24- and 32-bit, either row order.
#include "image.h"

#include <cstring>

namespace d3dx {

namespace {

uint32_t U32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// The value of `mask`'s bits in `v`, scaled to 0..255.
uint32_t Channel(uint32_t v, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    uint32_t bits = mask >> shift;
    uint32_t value = (v & mask) >> shift;
    return bits == 0xFF ? value : static_cast<uint32_t>((uint64_t(value) * 255 + bits / 2) / bits);
}

} // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Image& out) {
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t pixelOffset = U32(data + 10);
    const uint32_t headerSize = U32(data + 14);
    if (headerSize < 12 || headerSize > size - 14) return false;
    const uint8_t* h = data + 14;
    int64_t width, height;
    uint32_t bits, compression = 0, colours = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    if (headerSize == 12) { // BITMAPCOREHEADER
        width = U16(h + 4);
        height = static_cast<int16_t>(U16(h + 6));
        bits = U16(h + 10);
    } else {
        if (headerSize < 40) return false;
        width = static_cast<int32_t>(U32(h + 4));
        height = static_cast<int32_t>(U32(h + 8));
        bits = U16(h + 14);
        compression = U32(h + 16);
        colours = U32(h + 32);
        if (compression == 3 || compression == 6) { // bit fields follow or sit in the header
            size_t count = compression == 6 ? 4 : 3;
            size_t at = headerSize >= 52 ? 14 + 40 : 14 + headerSize;
            if (at + count * 4 > size) return false;
            for (size_t i = 0; i < count; ++i)
                masks[i] = U32(data + at + i * 4);
            if (headerSize >= 56) masks[3] = U32(h + 52);
        }
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) return false;
    if (!(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
        return false;
    if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32)) &&
        !(compression == 6 && (bits == 16 || bits == 32)))
        return false; // run-length and embedded JPEG/PNG are not read

    // The palette sits right after the header.
    std::vector<uint32_t> palette;
    if (bits <= 8) {
        const uint32_t maxColours = 1u << bits;
        uint32_t n = colours == 0 || colours > maxColours ? maxColours : colours;
        const size_t entry = headerSize == 12 ? 3 : 4;
        const size_t at = 14 + headerSize + (compression == 3 && headerSize == 40 ? 12 : 0);
        if (at + n * entry > size) return false;
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* p = data + at + i * entry;
            palette.push_back(0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0]);
        }
        palette.resize(maxColours, 0xFF000000u); // indices past the table read black
    }

    const uint64_t rowBytes = ((uint64_t(width) * bits + 31) / 32) * 4;
    if (pixelOffset > size || rowBytes * uint64_t(height) > size - pixelOffset) return false;

    if (compression == 0 && bits == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    const bool bitFields = compression == 3 || compression == 6;
    out.width = static_cast<uint32_t>(width);
    out.height = static_cast<uint32_t>(height);
    out.alpha = bitFields && masks[3] != 0;
    out.pixels.assign(size_t(width) * size_t(height), 0);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = data + pixelOffset + rowBytes * uint64_t(topDown ? y : height - 1 - y);
        uint32_t* dst = &out.pixels[size_t(y) * size_t(width)];
        for (int64_t x = 0; x < width; ++x) {
            uint32_t c;
            switch (bits) {
            case 1:
                c = palette[(row[x / 8] >> (7 - x % 8)) & 1];
                break;
            case 4:
                c = palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 15];
                break;
            case 8:
                c = palette[row[x]];
                break;
            case 16: {
                uint32_t v = U16(row + x * 2);
                c = (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) |
                    Channel(v, masks[2]);
                c |= out.alpha ? Channel(v, masks[3]) << 24 : 0xFF000000u;
                break;
            }
            case 24:
                c = 0xFF000000u | (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
                break;
            default: {
                uint32_t v = U32(row + x * 4);
                if (bitFields) {
                    c = (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) |
                        Channel(v, masks[2]);
                    c |= out.alpha ? Channel(v, masks[3]) << 24 : 0xFF000000u;
                } else {
                    c = v | 0xFF000000u; // 32-bit BI_RGB: the fourth byte is unused
                }
            }
            }
            dst[x] = c;
        }
    }
    return true;
}

} // namespace d3dx
