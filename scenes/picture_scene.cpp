#include "scenes/picture_scene.h"
#include "scenes/vertices.h"

#include <initializer_list>

PictureScene::PictureScene(IDirect3DDevice9* device)
    : quad(nullptr), mirroredQuad(nullptr), picture1(nullptr), picture2(nullptr), picture3(nullptr),
      wallTexture(nullptr), phase(1.0f), device(device) {}

HRESULT PictureScene::Load() {
    struct {
        const char* file;
        IDirect3DTexture9** texture;
    } files[] = {{"Textures\\1.png", &picture1},
                 {"Textures\\2.png", &picture2},
                 {"Textures\\3.png", &picture3},
                 {"Textures\\wall.bmp", &wallTexture}};
    for (auto& f : files)
        if (FAILED(LoadTexture(device, f.file, true, f.texture))) return E_FAIL;
    for (IDirect3DVertexBuffer9** b : {&quad, &mirroredQuad})
        if (FAILED(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY,
                                              kScreenVertexFvf, D3DPOOL_MANAGED, b, nullptr)))
            return E_FAIL;
    D3DVIEWPORT9 vp{};
    device->GetViewport(&vp);
    const float w = static_cast<float>(vp.Width), h = static_cast<float>(vp.Height);
    if (FAILED(WriteScreenQuad(quad, w, h, false))) return E_FAIL;
    return WriteScreenQuad(mirroredQuad, w, h, true);
}

HRESULT PictureScene::Draw(float step) {
    if (phase > 8.0f)
        phase = 0.0f;
    else
        phase += step;
    SetBlendedScreenStates(device);
    // Phases 2-4, 6-8 and 0 draw from the buffer that the last phase 1 or 5 bound.
    switch (static_cast<int>(phase)) {
    case 1:
        device->SetTexture(0, picture1);
        device->SetStreamSource(0, quad, 0, sizeof(ScreenVertex));
        break;
    case 2:
        device->SetTexture(0, picture2);
        break;
    case 3:
        device->SetTexture(0, picture1);
        break;
    case 4:
        device->SetTexture(0, picture3);
        break;
    case 5:
        device->SetTexture(0, picture1);
        device->SetStreamSource(0, mirroredQuad, 0, sizeof(ScreenVertex));
        break;
    case 6:
        device->SetTexture(0, picture2);
        break;
    case 7:
        device->SetTexture(0, picture1);
        break;
    case 8:
        device->SetTexture(0, picture3);
        break;
    default:
        break;
    }
    device->SetFVF(kScreenVertexFvf);
    return device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

void PictureScene::Release() {
    ReleaseAndClear(mirroredQuad);
    ReleaseAndClear(quad);
    ReleaseAndClear(picture1);
    ReleaseAndClear(picture2);
    ReleaseAndClear(picture3);
    ReleaseAndClear(wallTexture);
}
