// The first scene's backdrop: a floor and three walls carrying the wall picture.
#pragma once
#include <d3d9.h>

class RoomScene {
  public:
    explicit RoomScene(IDirect3DDevice9* device);
    HRESULT Load();
    HRESULT Draw();
    void Release();

    IDirect3DVertexBuffer9* vertexBuffer;
    IDirect3DDevice9* device;
    IDirect3DTexture9* texture;
};
