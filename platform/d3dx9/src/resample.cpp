// Separable resampling with precomputed taps per output row and column.
#include "image.h"

#include <algorithm>
#include <cmath>

namespace d3dx {

namespace {

struct Tap {
    uint32_t index;
    float weight;
};

// The taps of every output position along one axis.
std::vector<std::vector<Tap>> Taps(uint32_t from, uint32_t to, Filter filter, bool mirror) {
    std::vector<std::vector<Tap>> taps(to);
    const double scale = double(from) / to;
    auto address = [&](int64_t j) -> uint32_t {
        const int64_t n = from;
        if (mirror) {
            int64_t period = 2 * n;
            j = ((j % period) + period) % period;
            return static_cast<uint32_t>(j < n ? j : period - 1 - j);
        }
        return static_cast<uint32_t>(((j % n) + n) % n);
    };
    for (uint32_t i = 0; i < to; ++i) {
        const double centre = (i + 0.5) * scale; // in source pixels, edges at integers
        auto& t = taps[i];
        if (filter == Filter::Point || filter == Filter::None) {
            t.push_back({address(static_cast<int64_t>(std::floor(centre))), 1.0f});
            continue;
        }
        double radius = filter == Filter::Linear ? 1.0 : std::max(1.0, scale);
        if (filter == Filter::Box) radius = std::max(1.0, scale) / 2;
        const int64_t first = static_cast<int64_t>(std::floor(centre - radius - 0.5));
        const int64_t last = static_cast<int64_t>(std::ceil(centre + radius - 0.5));
        double total = 0;
        for (int64_t j = first; j <= last; ++j) {
            const double d = std::abs(j + 0.5 - centre);
            double w =
                filter == Filter::Box ? (d <= radius ? 1.0 : 0.0) : std::max(0.0, 1.0 - d / radius);
            if (w <= 0) continue;
            t.push_back({address(j), float(w)});
            total += w;
        }
        if (t.empty()) {
            t.push_back({address(static_cast<int64_t>(std::floor(centre))), 1.0f});
            total = 1;
        }
        for (Tap& tap : t)
            tap.weight = float(tap.weight / total);
    }
    return taps;
}

} // namespace

Image Resample(const Image& in, uint32_t width, uint32_t height, Filter filter, bool mirrorU,
               bool mirrorV) {
    Image out;
    out.width = width;
    out.height = height;
    out.alpha = in.alpha;
    if (width == in.width && height == in.height) {
        out.pixels = in.pixels;
        return out;
    }
    if (filter == Filter::None) { // no filtering: the picture as it is, clipped or padded
        out.pixels.assign(size_t(width) * height, 0);
        for (uint32_t y = 0; y < std::min(height, in.height); ++y)
            std::copy_n(&in.pixels[size_t(y) * in.width], std::min(width, in.width),
                        &out.pixels[size_t(y) * width]);
        return out;
    }
    const auto columns = Taps(in.width, width, filter, mirrorU);
    const auto rows = Taps(in.height, height, filter, mirrorV);
    // Horizontal pass into floats, then the vertical one.
    std::vector<float> mid(size_t(width) * in.height * 4);
    for (uint32_t y = 0; y < in.height; ++y) {
        const uint32_t* src = &in.pixels[size_t(y) * in.width];
        float* dst = &mid[size_t(y) * width * 4];
        for (uint32_t x = 0; x < width; ++x) {
            float a = 0, r = 0, g = 0, b = 0;
            for (const Tap& t : columns[x]) {
                const uint32_t p = src[t.index];
                a += t.weight * float(p >> 24);
                r += t.weight * float((p >> 16) & 0xFF);
                g += t.weight * float((p >> 8) & 0xFF);
                b += t.weight * float(p & 0xFF);
            }
            dst[x * 4 + 0] = a, dst[x * 4 + 1] = r, dst[x * 4 + 2] = g, dst[x * 4 + 3] = b;
        }
    }
    out.pixels.resize(size_t(width) * height);
    auto byte = [](float v) {
        return static_cast<uint32_t>(std::clamp(static_cast<int>(v + 0.5f), 0, 255));
    };
    for (uint32_t y = 0; y < height; ++y) {
        uint32_t* dst = &out.pixels[size_t(y) * width];
        for (uint32_t x = 0; x < width; ++x) {
            float c[4] = {0, 0, 0, 0};
            for (const Tap& t : rows[y]) {
                const float* s = &mid[(size_t(t.index) * width + x) * 4];
                for (int k = 0; k < 4; ++k)
                    c[k] += t.weight * s[k];
            }
            dst[x] = (byte(c[0]) << 24) | (byte(c[1]) << 16) | (byte(c[2]) << 8) | byte(c[3]);
        }
    }
    return out;
}

} // namespace d3dx
