// A device that does nothing per frame: the demo's own CPU cost, measured alone.
#pragma once
#include "support/recording_device.h"

class NullDevice : public RecordingDevice {
  public:
    NullDevice() { quiet = true; }
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override { return D3D_OK; }
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return D3D_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return D3D_OK; }
    HRESULT SetMaterial(const D3DMATERIAL9*) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override { return D3D_OK; }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return D3D_OK; }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return D3D_OK; }
    HRESULT SetFVF(DWORD) override { return D3D_OK; }
    HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override { return D3D_OK; }
};
