// The closing scene: five full-screen word cards, shown one at a time by number.
#pragma once
#include <d3d9.h>

class WordCards {
  public:
    explicit WordCards(IDirect3DDevice9* device);
    HRESULT Load();
    HRESULT Draw(int card);
    void Release();

    IDirect3DVertexBuffer9* quad;
    IDirect3DTexture9* letterCard;
    IDirect3DTexture9* truthCard;
    IDirect3DTexture9* beautyCard;
    IDirect3DTexture9* freedomCard;
    IDirect3DTexture9* loveCard;
    IDirect3DDevice9* device;
};
