// The vertex layouts of the scenes and models.
#pragma once
#include <d3d9.h>

struct ScreenVertex { // FVF 0x144
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
struct DualScreenVertex { // FVF 0x244
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u0, v0, u1, v1;
};
struct RoomVertex { // FVF 0x102
    float x, y, z, u, v;
};
struct ModelVertex { // FVF 0x142
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28 && sizeof(DualScreenVertex) == 36 &&
              sizeof(RoomVertex) == 20 && sizeof(ModelVertex) == 24);

constexpr DWORD kScreenVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kDualScreenVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;
constexpr DWORD kRoomVertexFvf = D3DFVF_XYZ | D3DFVF_TEX1;
constexpr DWORD kModelVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The one way textures are loaded. `screenFilter`: the overlay, pictures and cards
// (power-of-two sizes, triangle filter with mirrored edges); otherwise the room and
// the skins (the file's size, linear filter).
HRESULT LoadTexture(IDirect3DDevice9* device, const char* file, bool screenFilter,
                    IDirect3DTexture9** texture);

// Gives back a COM object if held and forgets it.
template <class T> void ReleaseAndClear(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// The ten states every blended full-screen pass sets, in their order: unlit, alpha
// blended by the texel's alpha, depth-tested, texels of alpha 0 dropped.
void SetBlendedScreenStates(IDirect3DDevice9* device);

// Locks `buffer` whole and writes the four ScreenVertex of a quad covering the
// viewport (w x h), upright or mirrored left to right; the Unlock's result.
HRESULT WriteScreenQuad(IDirect3DVertexBuffer9* buffer, float w, float h, bool mirrored);
