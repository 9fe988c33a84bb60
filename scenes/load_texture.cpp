#include "scenes/vertices.h"

#include <d3dx9.h>

HRESULT LoadTexture(IDirect3DDevice9* device, const char* file, bool screenFilter,
                    IDirect3DTexture9** texture) {
    const UINT size = screenFilter ? D3DX_DEFAULT : 0;
    const DWORD filter =
        screenFilter ? (D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR) : D3DX_FILTER_LINEAR;
    return D3DXCreateTextureFromFileExA(device, file, size, size, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, filter, filter, 0, nullptr, nullptr,
                                        texture);
}

void SetBlendedScreenStates(IDirect3DDevice9* device) {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 1);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
}

HRESULT WriteScreenQuad(IDirect3DVertexBuffer9* buffer, float w, float h, bool mirrored) {
    void* data = nullptr;
    // Nothing is written through a buffer that did not lock.
    if (FAILED(buffer->Lock(0, 0, &data, 0)) || !data) return E_FAIL;
    const float left = mirrored ? 1.0f : 0.0f, right = 1.0f - left;
    auto* v = static_cast<ScreenVertex*>(data);
    v[0] = {0, h, 0, 1, 0xFFFFFFFF, left, 1};
    v[1] = {0, 0, 0, 1, 0xFFFFFFFF, left, 0};
    v[2] = {w, h, 0, 1, 0xFFFFFFFF, right, 1};
    v[3] = {w, 0, 0, 1, 0xFFFFFFFF, right, 0};
    return buffer->Unlock();
}
