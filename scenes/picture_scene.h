// The second scene: three pictures flickering through eight phases, upright and mirrored.
#pragma once
#include <d3d9.h>

class PictureScene {
  public:
    explicit PictureScene(IDirect3DDevice9* device);
    HRESULT Load();
    HRESULT Draw(float step);
    void Release();

    IDirect3DVertexBuffer9* quad;
    IDirect3DVertexBuffer9* mirroredQuad;
    IDirect3DTexture9* picture1;
    IDirect3DTexture9* picture2;
    IDirect3DTexture9* picture3;
    IDirect3DTexture9* wallTexture;
    float phase;
    IDirect3DDevice9* device;
};
