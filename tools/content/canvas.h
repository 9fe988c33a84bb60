// A picture being made: float RGBA pixels, drawing helpers and deterministic noise.
#pragma once
#include <algorithm>
#include <array>
#include <functional>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace content {

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

inline Rgba Mix(const Rgba& a, const Rgba& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

struct Canvas {
    int width = 0, height = 0;
    std::vector<Rgba> px;
    Canvas(int w, int h, Rgba fill = {}) : width(w), height(h), px(size_t(w) * h, fill) {}
    Rgba& at(int x, int y) { return px[size_t(y) * width + x]; }
    // Source-over with the colour's own alpha times `coverage`.
    void Blend(int x, int y, const Rgba& c, float coverage = 1.0f) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        Rgba& d = at(x, y);
        float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
        d.r += (c.r - d.r) * a;
        d.g += (c.g - d.g) * a;
        d.b += (c.b - d.b) * a;
        d.a = a + d.a * (1 - a);
    }
};

// A small fast generator with a fixed sequence for a seed.
struct Random {
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<uint32_t>(state >> 11);
    }
    float Uniform() { return (Next() & 0xFFFFFF) / float(0x1000000); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }
};

// Smooth value noise in [0, 1], periodic over `period` cells.
inline float Hash2(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFFFF) / float(0x1000000);
}
inline float ValueNoise(float x, float y, uint32_t seed, int period = 1 << 20) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    float fx = x - x0, fy = y - y0;
    auto wrap = [&](int v) { return ((v % period) + period) % period; };
    auto s = [](float t) { return t * t * (3 - 2 * t); };
    float a = Hash2(wrap(x0), wrap(y0), seed), b = Hash2(wrap(x0 + 1), wrap(y0), seed);
    float c = Hash2(wrap(x0), wrap(y0 + 1), seed), d = Hash2(wrap(x0 + 1), wrap(y0 + 1), seed);
    float u = s(fx), v = s(fy);
    return a + (b - a) * u + (c - a) * v + (a - b - c + d) * u * v;
}
inline float Fractal(float x, float y, uint32_t seed, int octaves, int period = 1 << 20) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * ValueNoise(x, y, seed + i * 17, period);
        norm += amp;
        x *= 2, y *= 2, period *= 2, amp *= 0.5f;
    }
    return sum / norm;
}

inline float Smooth01(float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// Writers; false when the file cannot be written.
bool WritePng(const std::string& path, const Canvas& c, bool alpha);
bool WriteBmp24(const std::string& path, const Canvas& c);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Text set with a face found by fontconfig ("Liberation Serif:italic").
struct TextStyle {
    std::string pattern;
    int pixelSize;
    Rgba colour;
};
// Width in pixels of `text` in the style; draws it with its baseline at y when `draw`.
int DrawText(Canvas& canvas, const TextStyle& style, const std::string& text, int x, int y,
             bool draw = true);

} // namespace content
