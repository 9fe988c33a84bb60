// The OpenGL device behind IDirect3DDevice9 and its resources.
#pragma once
#include "com.h"
#include "gl.h"
#include "program.h"

#include <d3d9.h>

#include <bitset>
#include <cstdint>
#include <unordered_map>
#include <vector>

struct SDL_Window;
typedef void* SDL_GLContext;

namespace d3d9gl {

constexpr int kRenderStates = 256;
constexpr int kStages = 8;
constexpr int kStageStates = 33;
constexpr int kSamplers = 16;
constexpr int kSamplerStates = 14;

class Device;
class Texture;
class VertexBuffer;

// Every state a draw depends on, as Direct3D holds it.
struct State {
    DWORD render[kRenderStates];
    DWORD stage[kStages][kStageStates];
    DWORD sampler[kSamplers][kSamplerStates];
    Texture* texture[kStages];
    D3DMATRIX world, view, projection;
    D3DMATERIAL9 material;
    D3DVIEWPORT9 viewport;
    DWORD fvf;
    VertexBuffer* stream;
    UINT streamOffset, streamStride;
};

// Which states a state block recorded.
struct Recorded {
    std::bitset<kRenderStates> render;
    std::bitset<kStages * kStageStates> stage;
    std::bitset<kSamplers * kSamplerStates> sampler;
    std::bitset<kStages> texture;
    bool world = false, view = false, projection = false, material = false, viewport = false;
    bool fvf = false, stream = false;
};

bool ValidRenderState(DWORD state);
void DefaultState(State& s, bool depthBuffer);

// A device-owned resource: holds a reference on the device for its lifetime.
template <class Interface> class Resource : public ComObject<Interface> {
  public:
    Resource(Device* device, D3DPOOL pool);
    ~Resource() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    Device* device() const { return device_; }

  protected:
    Device* device_;
    D3DPOOL pool_;
};

class Texture final : public Resource<IDirect3DTexture9> {
  public:
    Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
            D3DPOOL pool);
    ~Texture() override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    GLuint name() const { return name_; }
    static UINT BytesPerTexel(D3DFORMAT format);

  private:
    // A level's texels live in GL; system memory holds them only while the level is
    // locked (a lock after the first reads them back), so a loaded picture is not kept twice.
    struct Level {
        UINT width, height;
        std::vector<uint8_t> bits;
        bool locked = false;
        bool written = false; // uploaded at least once; until then a lock reads zeros
        DWORD lockFlags = 0;
    };
    void Upload(UINT level);
    std::vector<Level> levels_;
    DWORD usage_;
    D3DFORMAT format_;
    GLuint name_ = 0;
};

class VertexBuffer final : public Resource<IDirect3DVertexBuffer9> {
  public:
    VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    ~VertexBuffer() override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    GLuint name() const { return name_; }
    UINT length() const { return static_cast<UINT>(bits_.size()); }

  private:
    std::vector<uint8_t> bits_;
    DWORD usage_, fvf_;
    GLuint name_ = 0;
    int locks_ = 0;
    UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
};

class Surface final : public Resource<IDirect3DSurface9> {
  public:
    // A render target surface has no memory of its own: it stands for the back buffer.
    Surface(Device* device, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
            bool renderTarget);
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;
    bool renderTarget() const { return renderTarget_; }
    UINT width() const { return width_; }
    UINT height() const { return height_; }
    D3DFORMAT format() const { return format_; }
    uint8_t* bits() { return bits_.data(); }

  private:
    UINT width_, height_;
    D3DFORMAT format_;
    bool renderTarget_;
    bool locked_ = false;
    std::vector<uint8_t> bits_;
};

class StateBlock final : public ComObject<IDirect3DStateBlock9> {
  public:
    explicit StateBlock(Device* device);
    ~StateBlock() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT Capture() override;
    HRESULT Apply() override;
    State values{};
    Recorded recorded;

  private:
    Device* device_;
};

class Direct3D;

class Device final : public ComObject<IDirect3DDevice9> {
  public:
    Device(Direct3D* direct3d, SDL_Window* window, SDL_GLContext context,
           const D3DPRESENT_PARAMETERS& params);
    ~Device() override;

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
    HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                IDirect3DSurface9* destination) override;
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

    // Bookkeeping for resources.
    void ResourceCreated(D3DPOOL pool) {
        if (pool == D3DPOOL_DEFAULT) ++defaultResources_;
    }
    void ResourceDestroyed(D3DPOOL pool) {
        if (pool == D3DPOOL_DEFAULT) --defaultResources_;
    }
    void StateBlockCreated() { ++stateBlocks_; }
    void StateBlockDestroyed() { --stateBlocks_; }
    void Forget(Texture* texture);
    void Forget(VertexBuffer* buffer);
    void MakeCurrent();
    void BindArrayBuffer(GLuint buffer);
    void BindTextureForUpload(GLuint texture);
    State& state() { return state_; }
    // System memory for a locked texture level, and its return at the unlock: the largest
    // block is kept for the next lock, so loading many pictures touches fresh memory once.
    std::vector<uint8_t> TakeLockMemory(size_t size) {
        std::vector<uint8_t> memory;
        memory.swap(spareLockMemory_);
        memory.resize(size);
        return memory;
    }
    void ReturnLockMemory(std::vector<uint8_t>& memory) {
        if (memory.capacity() > spareLockMemory_.capacity()) memory.swap(spareLockMemory_);
        std::vector<uint8_t>().swap(memory);
    }
    // GL calls issued since the device was made (for the benchmarks).
    uint64_t glCalls() const { return glCalls_; }
    void CountGl(int n = 1) { glCalls_ += static_cast<uint64_t>(n); }
    GLuint whiteTexture() const { return white_; }
    UINT backBufferWidth() const { return bbWidth_; }
    UINT backBufferHeight() const { return bbHeight_; }

  private:
    friend class StateBlock;
    struct Program;
    struct GlCache;
    bool ApplyPresentParameters(const D3DPRESENT_PARAMETERS& params);
    bool CreateBackBuffer();
    void DestroyBackBuffer();
    void ResetState();
    HRESULT Draw(D3DPRIMITIVETYPE type, UINT count, GLuint buffer, size_t offset, UINT stride,
                 UINT first);
    Program* CurrentProgram();
    void ApplyFixedState();
    void BindTextures(const Program& program);
    void SetupAttributes(GLuint buffer, size_t offset, UINT stride);

    Direct3D* direct3d_;
    SDL_Window* window_;
    SDL_GLContext context_;
    D3DPRESENT_PARAMETERS params_;
    State state_;
    StateBlock* recording_ = nullptr;
    int defaultResources_ = 0;
    int stateBlocks_ = 0;
    UINT bbWidth_ = 0, bbHeight_ = 0;
    int windowedRect_[4] = {0, 0, 0, 0}; // x, y, width, height before fullscreen
    GLuint fbo_ = 0, colorRb_ = 0, depthRb_ = 0;
    GLuint vao_ = 0, streamBuffer_ = 0, white_ = 0;
    size_t streamSize_ = 0, streamOffset_ = 0;
    uint64_t glCalls_ = 0;
    std::vector<uint8_t> spareLockMemory_;
    bool stateDirty_ = true;
    bool transformDirty_ = true;
    bool inScene_ = false;
    GLint maxTextureSize_ = 2048;
    std::unordered_map<PackedKey, Program*, PackedKeyHash> programs_;
    Program* lastProgram_ = nullptr;
    GlCache* gl_;
    float wvp_[16];
    std::unordered_map<uint32_t, GLuint> samplers_;
};

class Direct3D final : public ComObject<IDirect3D9> {
  public:
    UINT GetAdapterCount() override { return 1; }
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                              DWORD usage, D3DRESOURCETYPE type, D3DFORMAT checkFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override;
    static void FillCaps(D3DCAPS9* caps, DWORD maxTexture);
};

} // namespace d3d9gl
