// The program's resources: icon 102, a quill on a dark disc, drawn at start.
#include <win32_resources.h>

#include <cmath>
#include <cstdint>

namespace {

uint32_t Blend(uint32_t over, uint32_t under, float a) {
    auto ch = [&](int shift) {
        float o = static_cast<float>((over >> shift) & 0xFF);
        float u = static_cast<float>((under >> shift) & 0xFF);
        return static_cast<uint32_t>(o * a + u * (1.0f - a) + 0.5f) << shift;
    };
    return ch(24) | ch(16) | ch(8) | ch(0);
}

struct IconRegistrar {
    IconRegistrar() {
        const int size = 48;
        static uint32_t pixels[size * size];
        const float ax = 12.0f, ay = 39.0f, bx = 38.0f, by = 7.0f; // the quill's shaft
        const float dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                float px = x + 0.5f, py = y + 0.5f;
                float r = std::hypot(px - 24.0f, py - 24.0f);
                uint32_t c = 0x00000000;
                if (r < 23.5f) {
                    float edge = std::fmin(1.0f, 23.5f - r);
                    uint32_t disc = r > 21.0f ? 0xFF8A6A3Au : 0xFF2A1E14u;
                    c = Blend(disc, 0x00000000, edge);
                }
                float t = ((px - ax) * dx + (py - ay) * dy) / len2;
                float cx = ax + t * dx, cy = ay + t * dy;
                float d = std::hypot(px - cx, py - cy);
                // Which side of the shaft: the vane is wider on one side.
                float side = (px - ax) * dy - (py - ay) * dx;
                if (t > 0.18f && t < 1.02f) {
                    float w = std::sin(3.14159f * (t - 0.18f) / 0.84f) * (side > 0 ? 7.0f : 4.5f);
                    if (d < w) {
                        float barb = 0.85f + 0.15f * std::sin(d * 2.2f + t * 60.0f);
                        uint32_t vane = Blend(0xFFF2E6C8u, 0xFFB89C70u, barb);
                        c = Blend(vane, c, std::fmin(1.0f, w - d));
                    }
                }
                if (t > 0.0f && t < 1.0f && d < 0.9f) c = 0xFF5A3A1Au;    // the shaft
                if (t <= 0.0f && t > -0.08f && d < 1.2f) c = 0xFF101010u; // the nib
                pixels[y * size + x] = c;
            }
        }
        Win32RegisterIconResource(102, size, size, pixels);
    }
} registrar;

} // namespace
