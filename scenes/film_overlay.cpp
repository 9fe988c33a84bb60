#include "scenes/film_overlay.h"
#include "scenes/vertices.h"

FilmOverlay::FilmOverlay(IDirect3DDevice9* device)
    : phase(0.0f), scroll(0.0f), device(device), oldstyle(nullptr), noise1(nullptr),
      noise2(nullptr), lines(nullptr), quad(nullptr) {}

HRESULT FilmOverlay::Load() {
    struct {
        const char* file;
        IDirect3DTexture9** texture;
    } files[] = {{"Textures\\oldstyle.png", &oldstyle},
                 {"Textures\\noise1.png", &noise1},
                 {"Textures\\noise2.png", &noise2},
                 {"Textures\\lines.png", &lines}};
    for (auto& f : files)
        if (FAILED(LoadTexture(device, f.file, true, f.texture))) return E_FAIL;
    if (FAILED(device->CreateVertexBuffer(4 * sizeof(DualScreenVertex), D3DUSAGE_WRITEONLY,
                                          kDualScreenVertexFvf, D3DPOOL_MANAGED, &quad, nullptr)))
        return E_FAIL;
    D3DVIEWPORT9 vp{};
    device->GetViewport(&vp);
    const float w = static_cast<float>(vp.Width), h = static_cast<float>(vp.Height);
    void* data = nullptr;
    // Nothing is written through a buffer that did not lock.
    if (FAILED(quad->Lock(0, 0, &data, 0)) || !data) return E_FAIL;
    auto* v = static_cast<DualScreenVertex*>(data);
    v[0] = {0, h, 0, 1, 0xFFFFFFFF, 0, 1, 0, 1};
    v[1] = {0, 0, 0, 1, 0xFFFFFFFF, 0, 0, 0, 0};
    v[2] = {w, h, 0, 1, 0xFFFFFFFF, 1, 1, 1, 1};
    v[3] = {w, 0, 0, 1, 0xFFFFFFFF, 1, 0, 1, 0};
    HRESULT hr = quad->Unlock();
    scroll = 0.0f;
    return hr;
}

void FilmOverlay::Draw(float step) {
    if (phase > 3.0f)
        phase = 0.0f;
    else
        phase += step;

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    SetBlendedScreenStates(device);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);

    device->SetTexture(0, oldstyle);
    device->SetFVF(kDualScreenVertexFvf);
    device->SetStreamSource(0, quad, 0, sizeof(DualScreenVertex));
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);

    const int k = static_cast<int>(phase);
    if (k == 1) device->SetTexture(0, noise2);
    if (k == 2) device->SetTexture(0, noise1);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);

    device->SetFVF(kDualScreenVertexFvf);
    device->SetStreamSource(0, quad, 0, sizeof(DualScreenVertex));
    device->SetTexture(0, lines);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    void* data = nullptr;
    scroll += step * 0.02f;
    if (quad && SUCCEEDED(quad->Lock(0, 0, &data, 0)) && data) {
        auto* v = static_cast<DualScreenVertex*>(data);
        v[0].u1 = scroll, v[0].v1 = 1;
        v[1].u1 = scroll, v[1].v1 = 0;
        v[2].u1 = scroll + 1, v[2].v1 = 1;
        v[3].u1 = scroll + 1, v[3].v1 = 0;
        quad->Unlock();
    }
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
}

void FilmOverlay::Release() {
    ReleaseAndClear(quad);
    ReleaseAndClear(oldstyle);
    ReleaseAndClear(noise1);
    ReleaseAndClear(noise2);
    ReleaseAndClear(lines);
}
