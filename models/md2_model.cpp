#include "models/md2_model.h"

#include <winpath.h>

#include <cstdio>
#include <cstring>

namespace {

int32_t I32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                (uint32_t(p[3]) << 24));
}
int16_t I16(const uint8_t* p) {
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}
float F32(const uint8_t* p) {
    uint32_t bits = static_cast<uint32_t>(I32(p));
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

bool ReadAll(FILE* file, void* into, size_t bytes) {
    return bytes == 0 || fread(into, 1, bytes, file) == bytes;
}

} // namespace

Md2Model::Md2Model(IDirect3DDevice9* device)
    : triangles(nullptr), frames(nullptr), frameCount(0), vertexCount(0), triangleCount(0),
      skin(nullptr), framePosition(0.0f), device(device) {}

Md2Model::~Md2Model() {
    FreeTables();
    ReleaseAndClear(skin);
}

int Md2Model::Load(const char* path, const char* skinPath) {
    FILE* file = OpenWindowsFile(path, "rb");
    if (!file) return 0;
    if (FAILED(LoadTexture(device, skinPath, false, &skin))) {
        fclose(file);
        return 0;
    }
    const bool ok = Read(file);
    fclose(file);
    if (!ok) {
        // A damaged file leaves a model with no key frames, which the timeline passes over.
        FreeTables();
        frameCount = vertexCount = triangleCount = 0;
        ReleaseAndClear(skin);
        return 0;
    }
    return BuildFrameLists();
}

bool Md2Model::Read(FILE* file) {
    uint8_t header[68];
    if (!ReadAll(file, header, sizeof header)) return false;
    const int32_t skins = I32(header + 20);
    const int32_t vertices = I32(header + 24);
    const int32_t texCoords = I32(header + 28);
    const int32_t tris = I32(header + 32);
    const int32_t keyFrames = I32(header + 40);
    // The header must fit the reader's tables.
    if (skins < 0 || skins > kMaxSkins || vertices < 0 || vertices > kMaxVertices ||
        texCoords < 0 || texCoords > kMaxTexCoords || tris < 0 || keyFrames < 0 ||
        keyFrames > kMaxFrames)
        return false;
    // The blocks follow the header back to back: a file shorter than the header promises
    // is refused before anything is allocated for it.
    const uint64_t promised = sizeof header + uint64_t(skins) * 64 + uint64_t(texCoords) * 4 +
                              uint64_t(tris) * 12 + uint64_t(keyFrames) * (40 + 4 * uint64_t(vertices));
    if (fseek(file, 0, SEEK_END) != 0) return false;
    const long size = ftell(file);
    if (size < 0 || uint64_t(size) < promised || fseek(file, sizeof header, SEEK_SET) != 0)
        return false;
    vertexCount = vertices;
    frameCount = keyFrames;
    triangleCount = tris;

    triangles = new Md2Triangle[static_cast<size_t>(tris)]();
    frames = new Md2Position*[static_cast<size_t>(keyFrames)]();
    for (int32_t f = 0; f < keyFrames; ++f)
        frames[f] = new Md2Position[static_cast<size_t>(vertices)]();

    static uint8_t skinNames[kMaxSkins * 64];
    if (!ReadAll(file, skinNames, size_t(skins) * 64)) return false;
    static uint8_t coordBytes[kMaxTexCoords * 4];
    if (!ReadAll(file, coordBytes, size_t(texCoords) * 4)) return false;

    int16_t largestS = 0, largestT = 0;
    for (int32_t i = 0; i < tris; ++i) {
        uint8_t t[12];
        if (!ReadAll(file, t, sizeof t)) return false;
        Md2Triangle& tri = triangles[i];
        for (int k = 0; k < 3; ++k) {
            const int16_t vertex = I16(t + 2 * (2 - k));
            const int16_t coord = I16(t + 6 + 2 * (2 - k));
            if (vertex < 0 || vertex >= vertices || coord < 0 || coord >= texCoords) return false;
            tri.vertex[k] = vertex;
            const int16_t s = I16(coordBytes + coord * 4), tc = I16(coordBytes + coord * 4 + 2);
            tri.uv[k][0] = s;
            tri.uv[k][1] = tc;
            if (s > largestS) largestS = s;
            if (tc > largestT) largestT = tc;
        }
    }
    // Normalised by the largest coordinate used; a largest of 0 divides nothing.
    if (tris > 0) {
        for (int32_t i = 0; i < tris; ++i)
            for (auto& uv : triangles[i].uv) {
                uv[0] = largestS > 0 ? uv[0] / largestS : 0.0f;
                uv[1] = largestT > 0 ? uv[1] / largestT : 0.0f;
            }
    }

    static uint8_t record[40 + 4 * kMaxVertices];
    const size_t recordSize = 40 + 4 * size_t(vertices);
    for (int32_t f = 0; f < keyFrames; ++f) {
        if (!ReadAll(file, record, recordSize)) return false;
        const float sx = F32(record), sy = F32(record + 4), sz = F32(record + 8);
        const float tx = F32(record + 12), ty = F32(record + 16), tz = F32(record + 20);
        for (int32_t v = 0; v < vertices; ++v) {
            const uint8_t* b = record + 40 + 4 * v;
            frames[f][v] = {sx * b[0] + tx + 40.7f, sy * b[1] + ty + 90.8f, sz * b[2] + tz + 0.7f};
        }
    }
    return true;
}

int Md2Model::BuildFrameLists() {
    for (int32_t f = 0; f < frameCount; ++f) {
        std::vector<ModelVertex>& list = frameLists[f];
        list.reserve(size_t(triangleCount) * 3);
        for (int32_t j = 0; j < triangleCount; ++j)
            for (int k = 0; k < 3; ++k) {
                const Md2Position& p = frames[f][triangles[j].vertex[k]];
                // The file's z is the drawn y (up); its y is the drawn z.
                list.push_back(
                    {p.x, p.z, p.y, 0xFFFFFFFF, triangles[j].uv[k][0], triangles[j].uv[k][1]});
            }
    }
    return 1;
}

int Md2Model::Play(float step) {
    framePosition += step;
    if (!(framePosition < static_cast<float>(frameCount - 1))) {
        framePosition = 0.0f;
        return 1;
    }
    int k = static_cast<int>(framePosition);
    if (k < 0) k = 0; // only a negative step gets here
    D3DMATERIAL9 material{};
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {1, 1, 1, 1};
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetTexture(0, skin);
    device->SetFVF(kModelVertexFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(triangleCount),
                            frameLists[k].data(), sizeof(ModelVertex));
    return 0;
}

void Md2Model::FreeTables() {
    if (frames) {
        for (int32_t f = 0; f < frameCount; ++f)
            delete[] frames[f];
        delete[] frames;
        frames = nullptr;
    }
    delete[] triangles;
    triangles = nullptr;
}

void Md2Model::Destroy() {
    FreeTables();
    // The skin is given back too, so that nothing outlives the device's clean-up.
    ReleaseAndClear(skin);
}
