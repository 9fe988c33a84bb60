// An animated model read from an MD2 file: key frames expanded into ready-to-draw
// vertex lists at load, played one key frame after the other.
#pragma once
#include "scenes/vertices.h"

#include <d3d9.h>

#include <cstdint>
#include <cstdio>
#include <vector>

struct Md2Triangle {
    int32_t vertex[3]; // into a key frame's positions, corners reversed from the file
    float uv[3][2];    // the texture coordinate of each corner
};

struct Md2Position {
    float x, y, z;
};

class Md2Model {
  public:
    static constexpr int kMaxFrames = 512;
    static constexpr int kMaxSkins = 32;
    static constexpr int kMaxTexCoords = 10000;
    static constexpr int kMaxVertices = 10022;

    explicit Md2Model(IDirect3DDevice9* device);
    ~Md2Model();
    Md2Model(const Md2Model&) = delete;
    Md2Model& operator=(const Md2Model&) = delete;

    // 1 when read and built; 0 when the file is missing, damaged or beyond the
    // tables, or the skin cannot be loaded: the model then has no key frames.
    int Load(const char* path, const char* skinPath);
    int BuildFrameLists();
    int Play(float step);
    void Destroy();

    Md2Triangle* triangles;
    Md2Position** frames;
    int32_t frameCount;
    int32_t vertexCount;
    int32_t triangleCount;
    std::vector<ModelVertex> frameLists[kMaxFrames];
    IDirect3DTexture9* skin;
    float framePosition;
    IDirect3DDevice9* device;

  private:
    bool Read(FILE* file);
    void FreeTables();
};
