// The old-film look over the first scene: three blended full-screen passes.
#pragma once
#include <d3d9.h>

class FilmOverlay {
  public:
    explicit FilmOverlay(IDirect3DDevice9* device);
    HRESULT Load();
    void Draw(float step);
    void Release();

    float phase;
    float scroll;
    IDirect3DDevice9* device;
    IDirect3DTexture9* oldstyle;
    IDirect3DTexture9* noise1;
    IDirect3DTexture9* noise2;
    IDirect3DTexture9* lines;
    IDirect3DVertexBuffer9* quad;
};
