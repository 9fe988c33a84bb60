// Three teddy bears ("nalle"), built from smooth shapes, each with its own
// animation, written as MD2 files over one shared skin.
#include "content.h"

#include <cstring>
#include <functional>

namespace content {

namespace {

const float kPi = 3.14159265f;

struct Vec {
    float x = 0, y = 0, z = 0;
};
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec operator*(Vec a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
Vec Cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec RotX(Vec v, float a) {
    return {v.x, v.y * std::cos(a) - v.z * std::sin(a), v.y * std::sin(a) + v.z * std::cos(a)};
}
Vec RotY(Vec v, float a) {
    return {v.x * std::cos(a) + v.z * std::sin(a), v.y, -v.x * std::sin(a) + v.z * std::cos(a)};
}
Vec RotZ(Vec v, float a) {
    return {v.x * std::cos(a) - v.y * std::sin(a), v.x * std::sin(a) + v.y * std::cos(a), v.z};
}

// Skin regions, in skin pixels (the skin is 256 x 256).
struct Region {
    int s0, t0, s1, t1;
};
const Region kFur{2, 2, 126, 126}, kLight{130, 2, 254, 126}, kPads{2, 130, 126, 254},
    kDark{130, 130, 256, 256}; // reaches the edge: the reader normalises by the largest

enum Group { Legs, Upper, Head, RightArm, LeftArm, RightLeg, LeftLeg };

struct Part {
    Vec centre, radii;
    int lat, lon;
    Region region;
    Group group;
};

// The bear at rest, in its own space: y up, +z its front, standing on y = 0.
const Part kParts[] = {
    {{0, 15, 0}, {9, 11, 8}, 14, 18, kFur, Upper},               // body
    {{0, 13, 5}, {6, 7.5f, 3.5f}, 8, 12, kLight, Upper},         // belly
    {{0, 31, 0.5f}, {7.5f, 7, 7}, 12, 16, kFur, Head},           // head
    {{0, 29.5f, 6.5f}, {3.6f, 2.7f, 2.6f}, 8, 12, kLight, Head}, // snout
    {{0, 30.6f, 9}, {1.4f, 1.0f, 0.9f}, 6, 8, kDark, Head},      // nose
    {{2.8f, 33, 6.1f}, {1.0f, 1.15f, 0.7f}, 6, 8, kDark, Head},  // eyes
    {{-2.8f, 33, 6.1f}, {1.0f, 1.15f, 0.7f}, 6, 8, kDark, Head},
    {{5.6f, 37.5f, -0.5f}, {2.7f, 2.7f, 1.4f}, 8, 10, kFur, Head}, // ears
    {{-5.6f, 37.5f, -0.5f}, {2.7f, 2.7f, 1.4f}, 8, 10, kFur, Head},
    {{10.8f, 16, 1}, {2.8f, 6.5f, 2.8f}, 10, 10, kFur, RightArm}, // arms
    {{-10.8f, 16, 1}, {2.8f, 6.5f, 2.8f}, 10, 10, kFur, LeftArm},
    {{4.6f, 3.8f, 1.5f}, {3.6f, 4.2f, 4.0f}, 10, 12, kFur, RightLeg}, // legs
    {{-4.6f, 3.8f, 1.5f}, {3.6f, 4.2f, 4.0f}, 10, 12, kFur, LeftLeg},
    {{4.6f, 3.0f, 5.3f}, {2.3f, 2.3f, 0.7f}, 6, 8, kPads, RightLeg}, // foot pads
    {{-4.6f, 3.0f, 5.3f}, {2.3f, 2.3f, 0.7f}, 6, 8, kPads, LeftLeg},
};

const Vec kHip{0, 7, 0}, kNeck{0, 25, 0}, kRightShoulder{8.5f, 21, 0}, kLeftShoulder{-8.5f, 21, 0},
    kRightHip{4.6f, 7, 1}, kLeftHip{-4.6f, 7, 1};

// One key frame's pose: angles in radians, a lift in units.
struct Pose {
    float bodyPitch = 0, bodyRoll = 0, headTilt = 0, headTurn = 0;
    float rightArmUp = 0, leftArmUp = 0, rightArmForward = 0, leftArmForward = 0;
    float rightLeg = 0, leftLeg = 0, lift = 0;
};

Vec Around(Vec p, Vec pivot, const std::function<Vec(Vec)>& turn) {
    return turn(p - pivot) + pivot;
}

Vec Posed(Vec p, Group g, const Pose& pose) {
    switch (g) {
    case RightArm:
        p = Around(p, kRightShoulder,
                   [&](Vec v) { return RotX(RotZ(v, pose.rightArmUp), -pose.rightArmForward); });
        break;
    case LeftArm:
        p = Around(p, kLeftShoulder,
                   [&](Vec v) { return RotX(RotZ(v, -pose.leftArmUp), -pose.leftArmForward); });
        break;
    case Head:
        p = Around(p, kNeck, [&](Vec v) { return RotY(RotZ(v, pose.headTilt), pose.headTurn); });
        break;
    case RightLeg:
        p = Around(p, kRightHip, [&](Vec v) { return RotX(v, -pose.rightLeg); });
        break;
    case LeftLeg:
        p = Around(p, kLeftHip, [&](Vec v) { return RotX(v, -pose.leftLeg); });
        break;
    default:
        break;
    }
    if (g != RightLeg && g != LeftLeg && g != Legs)
        p = Around(p, kHip, [&](Vec v) { return RotZ(RotX(v, pose.bodyPitch), pose.bodyRoll); });
    p.y += pose.lift;
    return p;
}

struct Mesh {
    std::vector<Vec> rest;                // bear space
    std::vector<Group> groups;            // per vertex
    std::vector<int> s, t;                // per vertex, skin pixels
    std::vector<std::array<int, 3>> tris; // drawn order, visible from outside under CULL_CW
};

Mesh Build() {
    Mesh m;
    for (const Part& part : kParts) {
        const int first = static_cast<int>(m.rest.size());
        for (int i = 0; i <= part.lat; ++i)
            for (int j = 0; j <= part.lon; ++j) {
                float theta = kPi * i / part.lat, phi = 2 * kPi * j / part.lon - kPi;
                m.rest.push_back(part.centre + Vec{part.radii.x * std::sin(theta) * std::sin(phi),
                                                   part.radii.y * std::cos(theta),
                                                   part.radii.z * std::sin(theta) * std::cos(phi)});
                m.groups.push_back(part.group);
                const Region& r = part.region;
                m.s.push_back(r.s0 + (r.s1 - r.s0) * j / part.lon);
                m.t.push_back(r.t0 + (r.t1 - r.t0) * i / part.lat);
            }
        auto index = [&](int i, int j) { return first + i * (part.lon + 1) + j; };
        auto add = [&](int a, int b, int c) {
            // Visible from outside: the normal (B - A) x (C - A) points into the shape.
            Vec n = Cross(m.rest[b] - m.rest[a], m.rest[c] - m.rest[a]);
            Vec out = (m.rest[a] + m.rest[b] + m.rest[c]) * (1.0f / 3) - part.centre;
            if (Dot(n, out) > 0) std::swap(b, c);
            m.tris.push_back({a, b, c});
        };
        for (int i = 0; i < part.lat; ++i)
            for (int j = 0; j < part.lon; ++j) {
                if (i > 0) add(index(i, j), index(i, j + 1), index(i + 1, j));
                if (i < part.lat - 1) add(index(i, j + 1), index(i + 1, j + 1), index(i + 1, j));
            }
    }
    return m;
}

// Each bear's animation: frame f of n.
Pose Wave(int f, int n) {
    float t = float(f) / (n - 1);
    Pose p;
    float up = Smooth01(t / 0.25f) * (1 - Smooth01((t - 0.8f) / 0.2f));
    p.rightArmUp = 2.3f * up + 0.35f * up * std::sin(t * 10 * kPi);
    p.headTilt = -0.12f * up;
    p.bodyRoll = 0.04f * std::sin(t * 2 * kPi);
    return p;
}
Pose Dance(int f, int n) {
    float t = float(f) / (n - 1), beat = std::sin(t * 8 * kPi);
    Pose p;
    p.lift = 1.8f * std::fabs(std::sin(t * 8 * kPi));
    p.bodyRoll = 0.16f * beat;
    p.headTilt = -0.15f * beat;
    p.rightArmUp = 1.2f + 0.5f * beat;
    p.leftArmUp = 1.2f - 0.5f * beat;
    p.rightLeg = 0.35f * std::max(0.0f, beat);
    p.leftLeg = 0.35f * std::max(0.0f, -beat);
    return p;
}
Pose Bow(int f, int n) {
    float t = float(f) / (n - 1), bow = std::pow(std::sin(t * 2 * kPi), 2.0f);
    Pose p;
    p.bodyPitch = 0.65f * bow;
    p.headTilt = 0;
    p.headTurn = 0.2f * std::sin(t * 2 * kPi);
    p.rightArmForward = 0.9f * bow;
    p.leftArmForward = 0.4f * bow;
    p.rightArmUp = 0.15f;
    p.leftArmUp = 0.15f;
    return p;
}

// Where the bears stand: on the floor, facing the camera's start.
const Vec kPlace{58, -40, 27};
const float kFacing = std::atan2(-0.83f, 0.56f);

void Put32(std::vector<uint8_t>& b, int32_t v) {
    for (int k = 0; k < 4; ++k)
        b.push_back(static_cast<uint8_t>(uint32_t(v) >> (8 * k)));
}
void Put16(std::vector<uint8_t>& b, int v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void PutF(std::vector<uint8_t>& b, float f) {
    uint32_t u;
    memcpy(&u, &f, 4);
    Put32(b, static_cast<int32_t>(u));
}

std::vector<uint8_t> Md2(const Mesh& m, const std::function<Pose(int, int)>& animate, int frames,
                         const char* name) {
    const int nv = static_cast<int>(m.rest.size()), nt = static_cast<int>(m.tris.size());
    const int frameSize = 40 + 4 * nv;
    const int ofsSkins = 68, ofsSt = ofsSkins + 64, ofsTris = ofsSt + 4 * nv,
              ofsFrames = ofsTris + 12 * nt, ofsEnd = ofsFrames + frames * frameSize;
    std::vector<uint8_t> b;
    for (int32_t v : {0x32504449, 8, 256, 256, frameSize, 1, nv, nv, nt, 0, frames, ofsSkins, ofsSt,
                      ofsTris, ofsFrames, ofsEnd, ofsEnd})
        Put32(b, v);
    char skin[64] = "nalle.bmp";
    b.insert(b.end(), skin, skin + 64);
    for (int i = 0; i < nv; ++i) {
        Put16(b, m.s[i]);
        Put16(b, m.t[i]);
    }
    for (const auto& tri : m.tris) { // the reader reverses the corners: write C, B, A
        for (int k = 2; k >= 0; --k)
            Put16(b, tri[k]);
        for (int k = 2; k >= 0; --k)
            Put16(b, tri[k]);
    }
    for (int f = 0; f < frames; ++f) {
        const Pose pose = animate(f, frames);
        std::vector<Vec> file(nv);
        Vec lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
        for (int i = 0; i < nv; ++i) {
            Vec d = RotY(Posed(m.rest[i], m.groups[i], pose), kFacing) + kPlace;
            // Drawn (x, y up, z) from the file's (x, y, z): x + 40.7, z + 0.7, y + 90.8.
            file[i] = {d.x - 40.7f, d.z - 90.8f, d.y - 0.7f};
            lo = {std::min(lo.x, file[i].x), std::min(lo.y, file[i].y), std::min(lo.z, file[i].z)};
            hi = {std::max(hi.x, file[i].x), std::max(hi.y, file[i].y), std::max(hi.z, file[i].z)};
        }
        Vec scale = (hi - lo) * (1.0f / 255);
        for (float* s : {&scale.x, &scale.y, &scale.z})
            if (*s <= 0) *s = 1e-6f;
        for (float v : {scale.x, scale.y, scale.z})
            PutF(b, v);
        for (float v : {lo.x, lo.y, lo.z})
            PutF(b, v);
        char frameName[16] = {};
        snprintf(frameName, sizeof frameName, "%s%02d", name, f);
        b.insert(b.end(), frameName, frameName + 16);
        for (const Vec& p : file) {
            b.push_back(static_cast<uint8_t>(std::lround((p.x - lo.x) / scale.x)));
            b.push_back(static_cast<uint8_t>(std::lround((p.y - lo.y) / scale.y)));
            b.push_back(static_cast<uint8_t>(std::lround((p.z - lo.z) / scale.z)));
            b.push_back(0);
        }
    }
    return b;
}

// The skin, with the light from the front and above baked in (the models are unlit).
Canvas Skin() {
    Canvas c(256, 256);
    const Vec light = Vec{-0.4f, 0.7f, 0.6f} * (1 / std::sqrt(0.16f + 0.49f + 0.36f));
    auto shade = [&](const Region& r, int x, int y) {
        float u = std::clamp((x + 0.5f - r.s0) / float(r.s1 - r.s0), 0.0f, 1.0f);
        float v = std::clamp((y + 0.5f - r.t0) / float(r.t1 - r.t0), 0.0f, 1.0f);
        float theta = kPi * v, phi = 2 * kPi * u - kPi;
        Vec n{std::sin(theta) * std::sin(phi), std::cos(theta), std::sin(theta) * std::cos(phi)};
        return 0.42f + 0.68f * std::max(0.0f, Dot(n, light));
    };
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool right = x >= 128, bottom = y >= 128;
            const Region& r = right ? (bottom ? kDark : kLight) : (bottom ? kPads : kFur);
            float s = shade(r, x, y);
            float strands = 0.85f + 0.3f * Fractal(x * 0.9f, y * 0.25f, 21, 3);
            Rgba base =
                right ? (bottom ? Rgba{0.05f, 0.04f, 0.04f, 1} : Rgba{0.86f, 0.72f, 0.52f, 1})
                      : (bottom ? Rgba{0.50f, 0.30f, 0.24f, 1} : Rgba{0.56f, 0.36f, 0.19f, 1});
            float k = s * (right && bottom ? 1.0f : strands);
            Rgba p{base.r * k, base.g * k, base.b * k, 1};
            if (right && bottom) { // a glint on the eyes and the nose
                float u = (x - 130) / 126.0f, v = (y - 130) / 126.0f;
                float d = std::hypot(u - 0.42f, v - 0.3f);
                p = Mix(p, Rgba{0.95f, 0.95f, 0.95f, 1}, Smooth01((0.08f - d) / 0.03f));
            }
            c.at(x, y) = p;
        }
    return c;
}

} // namespace

bool WriteBears(const std::string& root) {
    const Mesh mesh = Build();
    const std::string d = root + "/Data/";
    bool ok = WriteBytes(d + "nalle.md2", Md2(mesh, Wave, 40, "wave"));
    ok = WriteBytes(d + "nalle2.md2", Md2(mesh, Dance, 44, "dance")) && ok;
    ok = WriteBytes(d + "nalle3.md2", Md2(mesh, Bow, 42, "bow")) && ok;
    ok = WriteBmp24(d + "nalle.bmp", Skin()) && ok;
    return ok;
}

} // namespace content
