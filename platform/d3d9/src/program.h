// The fixed-function pipeline as GLSL: one program per combination of the states
// that change the shader code.
#pragma once
#include <cstdint>
#include <string>

namespace d3d9gl {

struct StageKey {
    uint8_t colorOp = 1, colorArg1 = 2, colorArg2 = 1;
    uint8_t alphaOp = 1, alphaArg1 = 2, alphaArg2 = 1;
    uint8_t texCoord = 0;
};

// A key packed into two words: flags and stage 0, then stage 1.
struct PackedKey {
    uint64_t a = 0, b = 0;
    bool operator==(const PackedKey& o) const { return a == o.a && b == o.b; }
};
struct PackedKeyHash {
    size_t operator()(const PackedKey& k) const { return k.a * 0x9E3779B97F4A7C15ull ^ k.b; }
};

struct ProgramKey {
    bool pretransformed = false;
    bool diffuse = false;
    uint8_t texCount = 0;
    bool lighting = false;
    bool alphaFromVertex = false;
    bool alphaTest = false;
    uint8_t alphaFunc = 8;
    StageKey stage[2];

    PackedKey Pack() const;
    bool UsesTexture(int stage) const;
};

std::string VertexShaderSource(const ProgramKey& key);
std::string FragmentShaderSource(const ProgramKey& key);

} // namespace d3d9gl
