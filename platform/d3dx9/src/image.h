// Pictures decoded from texture files, and their resampling.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace d3dx {

struct Image {
    uint32_t width = 0, height = 0;
    bool alpha = false;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, rows from the top
};

// Every size, offset and count is checked against the bytes: a damaged file
// answers false and touches nothing outside them.
bool DecodePng(const uint8_t* data, size_t size, Image& out);
bool DecodeBmp(const uint8_t* data, size_t size, Image& out);

enum class Filter { None, Point, Linear, Triangle, Box };
// Resamples to width x height; mirrorU/V choose mirrored rather than wrapped edges.
Image Resample(const Image& in, uint32_t width, uint32_t height, Filter filter, bool mirrorU,
               bool mirrorV);

// Pictures larger than this are refused rather than allocated.
constexpr uint32_t kMaxDimension = 16384;

} // namespace d3dx
