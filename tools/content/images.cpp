// The pictures: wallpaper, the film overlay, three pictures and five word cards.
#include "content.h"

namespace content {

namespace {

const float kPi = 3.14159265f;

float Smooth(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// Old wallpaper: a faded damask repeat on warm paper, stains and a darker skirting.
Canvas Wall() {
    Canvas c(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float u = x / 256.0f, v = y / 256.0f;
            float paper = 0.85f + 0.15f * Fractal(u * 16, v * 16, 3, 4, 16);
            // A lily-like motif: diamonds of petals, four repeats across.
            float mu = std::fmod(u * 4, 1.0f) - 0.5f,
                  mv = std::fmod(v * 4 + 0.5f * std::floor(u * 4), 1.0f) - 0.5f;
            float r = std::hypot(mu, mv * 0.8f), ang = std::atan2(mv, mu);
            float petal = Smooth(0.32f, 0.28f, r * (1.0f + 0.35f * std::cos(4 * ang)));
            float stripe = 0.5f + 0.5f * std::cos(u * 2 * kPi * 16);
            float stain = Smooth(0.55f, 0.8f, Fractal(u * 3, v * 3, 11, 4, 3));
            Rgba base{0.78f * paper, 0.66f * paper, 0.48f * paper, 1};
            Rgba motif{0.55f, 0.38f, 0.30f, 1};
            Rgba px = Mix(base, motif, 0.55f * petal + 0.06f * stripe);
            px = Mix(px, Rgba{0.45f, 0.34f, 0.20f, 1}, 0.45f * stain);
            c.at(x, y) = px;
        }
    return c;
}

// Sepia tint with a vignette: light in the middle, dark and opaque at the corners.
Canvas Oldstyle() {
    Canvas c(512, 512);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            float dx = (x + 0.5f) / 256 - 1, dy = (y + 0.5f) / 256 - 1;
            float r = std::sqrt(dx * dx + dy * dy) / 1.4142f;
            float vignette = Smooth(0.35f, 1.0f, r);
            c.at(x, y) = Rgba{0.42f - 0.25f * vignette, 0.27f - 0.18f * vignette,
                              0.10f - 0.07f * vignette, 0.28f + 0.62f * vignette};
        }
    return c;
}

// Film grain with dust, hairs and a few bright specks; each seed another frame.
Canvas Grain(uint32_t seed) {
    Canvas c(512, 512, Rgba{0, 0, 0, 0});
    Random rnd(seed);
    for (Rgba& p : c.px) {
        float g = rnd.Uniform();
        float v = g < 0.5f ? 0.1f : 0.9f;
        p = Rgba{v, v * 0.95f, v * 0.85f, 0.05f + 0.10f * std::fabs(g - 0.5f) * 2};
    }
    for (int i = 0; i < 60; ++i) { // dust
        float cx = rnd.Range(0, 512), cy = rnd.Range(0, 512), rad = rnd.Range(0.8f, 3.5f);
        bool light = rnd.Uniform() < 0.3f;
        for (int y = int(cy - rad - 1); y <= int(cy + rad + 1); ++y)
            for (int x = int(cx - rad - 1); x <= int(cx + rad + 1); ++x) {
                float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
                float cover = std::clamp(rad - d, 0.0f, 1.0f);
                c.Blend(x, y, light ? Rgba{1, 0.97f, 0.9f, 0.8f} : Rgba{0.05f, 0.04f, 0.03f, 0.85f},
                        cover);
            }
    }
    for (int i = 0; i < 6; ++i) { // hairs: short curved strokes
        float x = rnd.Range(0, 512), y = rnd.Range(0, 512), a = rnd.Range(0, 2 * kPi);
        float bend = rnd.Range(-0.08f, 0.08f);
        int n = int(rnd.Range(40, 120));
        for (int k = 0; k < n; ++k) {
            c.Blend(int(x), int(y), Rgba{0.03f, 0.03f, 0.02f, 0.8f});
            x += std::cos(a), y += std::sin(a), a += bend;
        }
    }
    return c;
}

// Vertical scratches; alpha 0 everywhere else, which the alpha test drops.
Canvas Lines() {
    Canvas c(512, 512, Rgba{0, 0, 0, 0});
    Random rnd(77);
    for (int i = 0; i < 7; ++i) {
        float x = rnd.Range(0, 512);
        int width = rnd.Uniform() < 0.6f ? 1 : 2;
        bool light = rnd.Uniform() < 0.5f;
        float wobble = rnd.Range(0.5f, 3.0f), alpha = rnd.Range(0.35f, 0.8f);
        for (int y = 0; y < 512; ++y) {
            float gap = Fractal(x * 0.1f, y / 40.0f, 90 + i, 2);
            if (gap < 0.35f) continue; // broken scratches
            int px = int(x + wobble * std::sin(y / 70.0f + i));
            for (int w = 0; w < width; ++w)
                c.at(((px + w) % 512 + 512) % 512, y) =
                    light ? Rgba{0.95f, 0.92f, 0.85f, alpha} : Rgba{0.08f, 0.06f, 0.04f, alpha};
        }
    }
    return c;
}

// Picture 1: a sunset over hills with a lone tree on the left.
Canvas Sunset() {
    Canvas c(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            float u = x / 800.0f, v = y / 600.0f;
            Rgba sky = Mix(Rgba{0.98f, 0.72f, 0.35f, 1}, Rgba{0.35f, 0.18f, 0.30f, 1},
                           std::clamp(1.0f - v * 1.6f, 0.0f, 1.0f));
            float sun = Smooth(0.09f, 0.07f, std::hypot(u - 0.68f, (v - 0.48f) * 0.75f));
            Rgba p = Mix(sky, Rgba{1, 0.93f, 0.7f, 1}, sun);
            float hill1 = 0.62f + 0.05f * std::sin(u * 7 + 1) + 0.03f * Fractal(u * 8, 0, 5, 3);
            float hill2 = 0.72f + 0.04f * std::sin(u * 5 + 3) + 0.03f * Fractal(u * 6, 1, 6, 3);
            if (v > hill1) p = Mix(p, Rgba{0.30f, 0.16f, 0.18f, 1}, 0.85f);
            if (v > hill2) p = Rgba{0.12f, 0.07f, 0.08f, 1};
            // The tree: a trunk and a round crown.
            float tx = u - 0.2f;
            bool trunk =
                std::fabs(tx + 0.01f * std::sin(v * 30)) < 0.008f && v > 0.42f && v < 0.73f;
            float crown =
                std::hypot(tx / 1.1f, (v - 0.38f) * 1.3f) + 0.03f * Fractal(u * 30, v * 30, 9, 3);
            if (trunk || crown < 0.11f) p = Rgba{0.08f, 0.05f, 0.06f, 1};
            c.at(x, y) = p;
        }
    return c;
}

// Picture 2: a spiral of light rings, off centre.
Canvas Spiral() {
    Canvas c(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            float dx = (x - 300.0f) / 300.0f, dy = (y - 320.0f) / 300.0f;
            float r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            float arm = 0.5f + 0.5f * std::sin(18 * r - 3 * a);
            float glow = std::exp(-r * 1.6f);
            float band = Smooth(0.55f, 0.95f, arm) * (0.3f + 0.7f * glow);
            c.at(x, y) = Mix(Rgba{0.10f, 0.06f, 0.05f, 1}, Rgba{0.96f, 0.82f, 0.58f, 1}, band);
        }
    return c;
}

// Picture 3: a moon over the sea and a lighthouse on the right.
Canvas Lighthouse() {
    Canvas c(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            float u = x / 800.0f, v = y / 600.0f;
            Rgba p = Mix(Rgba{0.05f, 0.07f, 0.16f, 1}, Rgba{0.30f, 0.32f, 0.45f, 1}, v);
            float moon = std::hypot(u - 0.3f, (v - 0.25f) * 0.75f);
            p = Mix(p, Rgba{0.95f, 0.93f, 0.8f, 1}, Smooth(0.065f, 0.06f, moon));
            p = Mix(p, Rgba{0.5f, 0.5f, 0.6f, 1}, 0.4f * std::exp(-moon * 8));
            if (v > 0.62f) { // the sea, with the moon's path
                float wave = 0.5f + 0.5f * std::sin(v * 220 + 6 * Fractal(u * 20, v * 40, 4, 2));
                float path = std::exp(-std::pow((u - 0.3f) * 9, 2)) * wave;
                p = Mix(Rgba{0.03f, 0.05f, 0.12f, 1}, Rgba{0.85f, 0.85f, 0.75f, 1}, 0.7f * path);
            }
            float lx = (u - 0.78f) * 800, top = 0.30f * 600, base = 0.66f * 600;
            float half = 16 + (y - top) * 0.05f;
            if (y > top && y < base && std::fabs(lx) < half) {
                bool band = int((y - top) / 28) % 2 == 0;
                p = band ? Rgba{0.75f, 0.70f, 0.65f, 1} : Rgba{0.45f, 0.12f, 0.10f, 1};
            }
            if (y > top - 22 && y <= top && std::fabs(lx) < 14) p = Rgba{1, 0.95f, 0.6f, 1};
            float beam = std::fabs((v - 0.26f) - (u - 0.78f) * 0.15f);
            if (u < 0.78f && u > 0.45f && beam < 0.02f * (0.78f - u) * 4)
                p = Mix(p, Rgba{1, 0.95f, 0.7f, 1}, 0.35f);
            c.at(x, y) = p;
        }
    return c;
}

void CentreText(Canvas& c, const TextStyle& s, const std::string& text, int baseline) {
    int w = DrawText(c, s, text, 0, baseline, false);
    DrawText(c, s, text, (c.width - w) / 2, baseline);
}

Canvas Word(const std::string& word) {
    Canvas c(800, 600, Rgba{0, 0, 0, 1});
    CentreText(c, {"Liberation Serif:bold", 150, Rgba{0.96f, 0.92f, 0.82f, 1}}, word, 355);
    return c;
}

Canvas Letter() {
    Canvas c(800, 600, Rgba{0, 0, 0, 1});
    const char* lines[] = {"My dear,",
                           "",
                           "the house is quiet now. The bears",
                           "still sit by the window, waiting for",
                           "the film to start again. I kept the",
                           "pictures you made, and the words",
                           "we never said aloud.",
                           "",
                           "Yours, always"};
    TextStyle s{"Liberation Serif:italic", 38, Rgba{0.93f, 0.86f, 0.70f, 1}};
    int y = 120;
    for (const char* line : lines) {
        DrawText(c, s, line, 110, y);
        y += 48;
    }
    return c;
}

} // namespace

bool WriteImages(const std::string& root) {
    const std::string t = root + "/Textures/";
    bool ok = WriteBmp24(t + "wall.bmp", Wall());
    ok = WritePng(t + "oldstyle.png", Oldstyle(), true) && ok;
    ok = WritePng(t + "noise1.png", Grain(101), true) && ok;
    ok = WritePng(t + "noise2.png", Grain(202), true) && ok;
    ok = WritePng(t + "lines.png", Lines(), true) && ok;
    ok = WritePng(t + "1.png", Sunset(), false) && ok;
    ok = WritePng(t + "2.png", Spiral(), false) && ok;
    ok = WritePng(t + "3.png", Lighthouse(), false) && ok;
    ok = WritePng(t + "letter.png", Letter(), false) && ok;
    ok = WritePng(t + "truth.png", Word("Truth"), false) && ok;
    ok = WritePng(t + "beauty.png", Word("Beauty"), false) && ok;
    ok = WritePng(t + "freedom.png", Word("Freedom"), false) && ok;
    ok = WritePng(t + "love.png", Word("Love"), false) && ok;
    return ok;
}

} // namespace content
