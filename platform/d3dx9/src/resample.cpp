// Separable resampling with precomputed taps per output row and column. The horizontal
// pass runs once per source row as the vertical one first needs it, into a small cache of
// rows, so no picture-sized intermediate is ever made.
#include "image.h"

#include <algorithm>
#include <cmath>

namespace d3dx {

namespace {

struct Tap {
    uint32_t index;
    float weight;
};

// The taps of every output position along one axis: those of position i are
// all[start[i]] up to all[start[i + 1]].
struct Taps {
    std::vector<Tap> all;
    std::vector<uint32_t> start;
};

Taps MakeTaps(uint32_t from, uint32_t to, Filter filter, bool mirror) {
    Taps taps;
    taps.start.reserve(to + 1);
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
        const size_t begin = taps.all.size();
        taps.start.push_back(static_cast<uint32_t>(begin));
        if (filter == Filter::Point || filter == Filter::None) {
            taps.all.push_back({address(static_cast<int64_t>(std::floor(centre))), 1.0f});
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
            taps.all.push_back({address(j), float(w)});
            total += w;
        }
        if (taps.all.size() == begin) {
            taps.all.push_back({address(static_cast<int64_t>(std::floor(centre))), 1.0f});
            total = 1;
        }
        for (size_t k = begin; k < taps.all.size(); ++k)
            taps.all[k].weight = float(taps.all[k].weight / total);
    }
    taps.start.push_back(static_cast<uint32_t>(taps.all.size()));
    return taps;
}

// Source rows resampled horizontally, kept in a few slots chosen by row number: the
// vertical taps of consecutive output rows overlap, so each row is mostly made once.
class RowCache {
  public:
    RowCache(const Image& in, uint32_t width, const Taps& columns)
        : in(in), width(width), columns(columns), rows(kSlots * size_t(width) * 4),
          held(kSlots, UINT32_MAX) {}

    const float* Row(uint32_t y) {
        const uint32_t slot = y % kSlots;
        float* dst = &rows[size_t(slot) * width * 4];
        if (held[slot] == y) return dst;
        held[slot] = y;
        const uint32_t* src = &in.pixels[size_t(y) * in.width];
        for (uint32_t x = 0; x < width; ++x) {
            float a = 0, r = 0, g = 0, b = 0;
            for (uint32_t k = columns.start[x]; k < columns.start[x + 1]; ++k) {
                const Tap& t = columns.all[k];
                const uint32_t p = src[t.index];
                a += t.weight * float(p >> 24);
                r += t.weight * float((p >> 16) & 0xFF);
                g += t.weight * float((p >> 8) & 0xFF);
                b += t.weight * float(p & 0xFF);
            }
            dst[x * 4 + 0] = a, dst[x * 4 + 1] = r, dst[x * 4 + 2] = g, dst[x * 4 + 3] = b;
        }
        return dst;
    }

  private:
    static constexpr uint32_t kSlots = 16;
    const Image& in;
    const uint32_t width;
    const Taps& columns;
    std::vector<float> rows;
    std::vector<uint32_t> held;
};

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
    const Taps columns = MakeTaps(in.width, width, filter, mirrorU);
    const Taps rows = MakeTaps(in.height, height, filter, mirrorV);
    RowCache cache(in, width, columns);
    std::vector<float> sum(size_t(width) * 4);
    out.pixels.resize(size_t(width) * height);
    auto byte = [](float v) {
        return static_cast<uint32_t>(std::clamp(static_cast<int>(v + 0.5f), 0, 255));
    };
    for (uint32_t y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (uint32_t k = rows.start[y]; k < rows.start[y + 1]; ++k) {
            const float w = rows.all[k].weight;
            const float* s = cache.Row(rows.all[k].index);
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] += w * s[i];
        }
        uint32_t* dst = &out.pixels[size_t(y) * width];
        for (uint32_t x = 0; x < width; ++x) {
            const float* c = &sum[size_t(x) * 4];
            dst[x] = (byte(c[0]) << 24) | (byte(c[1]) << 16) | (byte(c[2]) << 8) | byte(c[3]);
        }
    }
    return out;
}

} // namespace d3dx
