// A device for tests: implements IDirect3DDevice9 and its resources, logs every call
// with its arguments as one readable line, and can be told to fail a call.
#pragma once
#include <d3d9.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class RecordingDevice : public IDirect3DDevice9 {
  public:
    RecordingDevice();
    ~RecordingDevice() override;

    // The log, and the lines that start with `prefix`.
    std::vector<std::string> log;
    std::vector<std::string> Calls(const std::string& prefix = "") const;
    void Clear() { log.clear(); }
    // The n-th call (0-based) of `name` from now on answers `result`; n = -1: every one.
    void Fail(const std::string& name, HRESULT result = E_FAIL, int n = 0);
    // The name given to a resource: "tex1", "vb2", "sb3", or "null".
    std::string Name(const void* object) const;
    // What a vertex buffer holds.
    std::vector<uint8_t> BufferBytes(IDirect3DVertexBuffer9* buffer) const;
    const void* lastUserData = nullptr;
    D3DVIEWPORT9 viewport{0, 0, 800, 600, 0.0f, 1.0f};
    DWORD maxTextureWidth = 4096;
    int references = 1;
    int liveResources = 0;
    bool quiet = false; // buffers lock without logging (benchmarks)

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override;

    HRESULT GetDirect3D(IDirect3D9** direct3d) override;
    HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* shared) override;
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9** surface, HANDLE* shared) override;
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT BeginStateBlock() override;
    HRESULT EndStateBlock(IDirect3DStateBlock9** block) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                            UINT stride) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                            UINT stride) override;

    // Used by the resources.
    HRESULT Record(const std::string& line);
    std::map<const void*, std::string> names;
    int nextId = 1;
    std::map<DWORD, DWORD> renderStates;
    D3DMATERIAL9 material{};
    D3DMATRIX world{}, view{}, projection{};

  private:
    std::map<std::string, std::vector<std::pair<int, HRESULT>>> failures_;
    std::map<std::string, int> counts_;
    bool recording_ = false;
};

std::string Hex(uint32_t v);
