// MD2 files written by the tests, with every header field open to damage.
#pragma once
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

struct Md2Fixture {
    int skins = 1;
    std::vector<std::array<int16_t, 2>> st = {{0, 0}, {200, 0}, {0, 100}, {200, 100}};
    std::vector<std::array<int16_t, 6>> tris = {{0, 1, 2, 0, 1, 2}}; // vertices, then st
    struct Frame {
        float scale[3] = {1, 1, 1}, translate[3] = {0, 0, 0};
        std::vector<std::array<uint8_t, 3>> verts;
    };
    std::vector<Frame> frames;
    int vertices = 3;
    // Header values written as they stand (-1: the true value).
    int headerVertices = -1, headerSt = -1, headerTris = -1, headerFrames = -1, headerSkins = -1;
    int frameSize = -1;
    bool garbageOffsets = false;

    Md2Fixture() {
        Frame f;
        f.verts = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
        frames = {f, f};
    }
    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> b;
        auto i32 = [&](int32_t v) {
            for (int k = 0; k < 4; ++k)
                b.push_back(uint8_t(uint32_t(v) >> (8 * k)));
        };
        auto i16 = [&](int v) {
            b.push_back(uint8_t(v & 0xFF));
            b.push_back(uint8_t((v >> 8) & 0xFF));
        };
        auto f32 = [&](float f) {
            uint32_t u;
            memcpy(&u, &f, 4);
            i32(int32_t(u));
        };
        auto pick = [](int header, int real) { return header == -1 ? real : header; };
        const int off = garbageOffsets ? 0x7FFFFFF0 : 0;
        for (int32_t v : {0x32504449, 8, 256, 256, pick(frameSize, 40 + 4 * vertices),
                          pick(headerSkins, skins), pick(headerVertices, vertices),
                          pick(headerSt, int(st.size())), pick(headerTris, int(tris.size())), 0,
                          pick(headerFrames, int(frames.size())), off, off, off, off, off, off})
            i32(v);
        b.insert(b.end(), size_t(skins) * 64, 'x');
        for (auto& e : st) {
            i16(e[0]);
            i16(e[1]);
        }
        for (auto& t : tris)
            for (int16_t v : t)
                i16(v);
        for (const Frame& f : frames) {
            for (float v : f.scale)
                f32(v);
            for (float v : f.translate)
                f32(v);
            b.insert(b.end(), 16, 'f');
            for (auto& v : f.verts) {
                b.insert(b.end(), v.begin(), v.end());
                b.push_back(0);
            }
        }
        return b;
    }
};
