#include "recording_device.h"

#include <cstdio>
#include <cstring>

std::string Hex(uint32_t v) {
    char b[16];
    snprintf(b, sizeof b, "0x%x", v);
    return b;
}

namespace {

std::string Str(float f) {
    char b[32];
    snprintf(b, sizeof b, "%g", static_cast<double>(f));
    return b;
}

template <class I> class RecResource : public I {
  public:
    RecResource(RecordingDevice* d, const std::string& prefix) : device_(d) {
        device_->names[this] = prefix + std::to_string(device_->nextId++);
        device_->AddRef();
        ++device_->liveResources;
    }
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        device_->Record("Release(" + device_->Name(this) + ")");
        ULONG left = --refs_;
        if (left == 0) {
            --device_->liveResources;
            --device_->references; // the resource's own hold on the device
            delete this;
        }
        return left;
    }
    HRESULT DeviceOf(IDirect3DDevice9** d) {
        if (!d) return D3DERR_INVALIDCALL;
        device_->AddRef();
        *d = device_;
        return D3D_OK;
    }

  protected:
    RecordingDevice* device_;
    ULONG refs_ = 1;
};

class RecTexture final : public RecResource<IDirect3DTexture9> {
  public:
    RecTexture(RecordingDevice* d, UINT w, UINT h, UINT levels, D3DFORMAT f)
        : RecResource(d, "tex"), format_(f) {
        for (UINT i = 0; i < levels; ++i) {
            UINT lw = w >> i ? w >> i : 1, lh = h >> i ? h >> i : 1;
            sizes_.push_back({lw, lh});
            bits_.emplace_back(size_t(lw) * lh * 4, 0);
        }
    }
    HRESULT GetDevice(IDirect3DDevice9** d) override { return DeviceOf(d); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(sizes_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
        if (!desc || level >= sizes_.size()) return D3DERR_INVALIDCALL;
        *desc = D3DSURFACE_DESC{format_,
                                D3DRTYPE_SURFACE,
                                0,
                                D3DPOOL_MANAGED,
                                D3DMULTISAMPLE_NONE,
                                0,
                                sizes_[level].first,
                                sizes_[level].second};
        return D3D_OK;
    }
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* r, const RECT*, DWORD flags) override {
        HRESULT hr = device_->Record("LockRect(" + device_->Name(this) + ", " +
                                     std::to_string(level) + ", " + Hex(flags) + ")");
        if (FAILED(hr)) return hr;
        if (!r || level >= sizes_.size()) return D3DERR_INVALIDCALL;
        r->Pitch = static_cast<INT>(sizes_[level].first * 4);
        r->pBits = bits_[level].data();
        return D3D_OK;
    }
    HRESULT UnlockRect(UINT level) override {
        return device_->Record("UnlockRect(" + device_->Name(this) + ", " + std::to_string(level) +
                               ")");
    }
    std::vector<std::pair<UINT, UINT>> sizes_;
    std::vector<std::vector<uint8_t>> bits_;
    D3DFORMAT format_;
};

class RecBuffer final : public RecResource<IDirect3DVertexBuffer9> {
  public:
    RecBuffer(RecordingDevice* d, UINT length) : RecResource(d, "vb"), bits(length, 0) {}
    HRESULT GetDevice(IDirect3DDevice9** d) override { return DeviceOf(d); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override {
        if (device_->quiet) {
            *data = bits.data() + offset;
            return D3D_OK;
        }
        HRESULT hr = device_->Record("Lock(" + device_->Name(this) + ", " + std::to_string(offset) +
                                     ", " + std::to_string(size) + ", " + Hex(flags) + ")");
        if (FAILED(hr)) return hr;
        if (!data || offset > bits.size()) return D3DERR_INVALIDCALL;
        *data = bits.data() + offset;
        return D3D_OK;
    }
    HRESULT Unlock() override {
        return device_->quiet ? D3D_OK : device_->Record("Unlock(" + device_->Name(this) + ")");
    }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override {
        if (!desc) return D3DERR_INVALIDCALL;
        *desc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN,  D3DRTYPE_VERTEXBUFFER,          0,
                                     D3DPOOL_MANAGED, static_cast<UINT>(bits.size()), 0};
        return D3D_OK;
    }
    std::vector<uint8_t> bits;
};

class RecSurface final : public RecResource<IDirect3DSurface9> {
  public:
    explicit RecSurface(RecordingDevice* d) : RecResource(d, "surface") {}
    HRESULT GetDevice(IDirect3DDevice9** d) override { return DeviceOf(d); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override {
        if (!desc) return D3DERR_INVALIDCALL;
        *desc = D3DSURFACE_DESC{D3DFMT_X8R8G8B8,
                                D3DRTYPE_SURFACE,
                                D3DUSAGE_RENDERTARGET,
                                D3DPOOL_DEFAULT,
                                D3DMULTISAMPLE_NONE,
                                0,
                                800,
                                600};
        return device_->Record("GetDesc(" + device_->Name(this) + ")");
    }
    HRESULT LockRect(D3DLOCKED_RECT*, const RECT*, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT UnlockRect() override { return D3DERR_INVALIDCALL; }
};

class RecStateBlock final : public RecResource<IDirect3DStateBlock9> {
  public:
    explicit RecStateBlock(RecordingDevice* d) : RecResource(d, "sb") {}
    HRESULT GetDevice(IDirect3DDevice9** d) override { return DeviceOf(d); }
    HRESULT Capture() override { return device_->Record("Capture(" + device_->Name(this) + ")"); }
    HRESULT Apply() override { return device_->Record("Apply(" + device_->Name(this) + ")"); }
};

class RecDirect3D final : public IDirect3D9 {
  public:
    explicit RecDirect3D(RecordingDevice* d) : device_(d) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        device_->Record("Release(d3d)");
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    UINT GetAdapterCount() override { return 1; }
    HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* m) override {
        *m = D3DDISPLAYMODE{1024, 768, 60, D3DFMT_X8R8G8B8};
        return device_->Record("GetAdapterDisplayMode()");
    }
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE rtype, D3DFORMAT check) override {
        return device_->Record("CheckDeviceFormat(" + std::to_string(adapter) + ", " +
                               std::to_string(type) + ", " + std::to_string(adapterFormat) + ", " +
                               Hex(usage) + ", " + std::to_string(rtype) + ", " +
                               std::to_string(check) + ")");
    }
    HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9* caps) override {
        return device_->GetDeviceCaps(caps);
    }
    HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                         IDirect3DDevice9**) override {
        return D3DERR_NOTAVAILABLE;
    }

  private:
    RecordingDevice* device_;
    ULONG refs_ = 1;
};

std::string Ptr(const RecordingDevice* d, const void* p) {
    return d->Name(p);
}

} // namespace

RecordingDevice::RecordingDevice() {
    D3DMATRIX id{};
    id._11 = id._22 = id._33 = id._44 = 1;
    world = view = projection = id;
}
RecordingDevice::~RecordingDevice() = default;

ULONG RecordingDevice::Release() {
    Record("Release(device)");
    return static_cast<ULONG>(--references);
}

std::vector<std::string> RecordingDevice::Calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : log)
        if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
}

void RecordingDevice::Fail(const std::string& name, HRESULT result, int n) {
    failures_[name].push_back({n < 0 ? -1 : counts_[name] + n, result});
}

std::string RecordingDevice::Name(const void* object) const {
    if (!object) return "null";
    auto it = names.find(object);
    return it == names.end() ? "?" : it->second;
}

std::vector<uint8_t> RecordingDevice::BufferBytes(IDirect3DVertexBuffer9* buffer) const {
    return buffer ? static_cast<RecBuffer*>(buffer)->bits : std::vector<uint8_t>{};
}

HRESULT RecordingDevice::Record(const std::string& line) {
    log.push_back(line);
    const std::string name = line.substr(0, line.find('('));
    const int index = counts_[name]++;
    auto it = failures_.find(name);
    if (it == failures_.end()) return D3D_OK;
    for (auto& f : it->second)
        if (f.first == -1 || f.first == index) return f.second;
    return D3D_OK;
}

HRESULT RecordingDevice::GetDirect3D(IDirect3D9** d) {
    HRESULT hr = Record("GetDirect3D()");
    if (FAILED(hr)) return hr;
    *d = new RecDirect3D(this);
    return D3D_OK;
}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS9* caps) {
    memset(caps, 0, sizeof *caps);
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->MaxTextureWidth = caps->MaxTextureHeight = maxTextureWidth;
    return Record("GetDeviceCaps()");
}

HRESULT RecordingDevice::GetDisplayMode(UINT chain, D3DDISPLAYMODE* m) {
    *m = D3DDISPLAYMODE{800, 600, 60, D3DFMT_X8R8G8B8};
    return Record("GetDisplayMode(" + std::to_string(chain) + ")");
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS* p) {
    return Record("Reset(" + std::to_string(p->BackBufferWidth) + ", " +
                  std::to_string(p->BackBufferHeight) + ", " + std::to_string(p->Windowed) + ", " +
                  Hex(p->PresentationInterval) + ")");
}

HRESULT RecordingDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    return Record("Present()");
}

HRESULT RecordingDevice::CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT f,
                                       D3DPOOL pool, IDirect3DTexture9** t, HANDLE*) {
    HRESULT hr = Record("CreateTexture(" + std::to_string(w) + ", " + std::to_string(h) + ", " +
                        std::to_string(levels) + ", " + Hex(usage) + ", " + std::to_string(f) +
                        ", " + std::to_string(pool) + ")");
    if (FAILED(hr)) return hr;
    *t = new RecTexture(this, w, h, levels ? levels : 1, f);
    return D3D_OK;
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer9** b, HANDLE*) {
    HRESULT hr = Record("CreateVertexBuffer(" + std::to_string(length) + ", " + Hex(usage) + ", " +
                        Hex(fvf) + ", " + std::to_string(pool) + ")");
    if (FAILED(hr)) return hr;
    *b = new RecBuffer(this, length);
    return D3D_OK;
}

HRESULT RecordingDevice::CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL,
                                                     IDirect3DSurface9**, HANDLE*) {
    return D3DERR_INVALIDCALL;
}

HRESULT RecordingDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** s) {
    HRESULT hr = Record("GetRenderTarget(" + std::to_string(index) + ")");
    if (FAILED(hr)) return hr;
    *s = new RecSurface(this);
    return D3D_OK;
}

HRESULT RecordingDevice::GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) {
    return D3DERR_INVALIDCALL;
}

HRESULT RecordingDevice::BeginScene() {
    return Record("BeginScene()");
}
HRESULT RecordingDevice::EndScene() {
    return Record("EndScene()");
}

HRESULT RecordingDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                               float z, DWORD stencil) {
    return Record("Clear(" + std::to_string(count) + ", " + Ptr(this, rects) + ", " + Hex(flags) +
                  ", " + Hex(color) + ", " + Str(z) + ", " + std::to_string(stencil) + ")");
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE s, const D3DMATRIX* m) {
    if (s == D3DTS_WORLD) world = *m;
    if (s == D3DTS_VIEW) view = *m;
    if (s == D3DTS_PROJECTION) projection = *m;
    return Record("SetTransform(" + std::to_string(s) + ")");
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE s, D3DMATRIX* m) {
    *m = s == D3DTS_WORLD ? world : s == D3DTS_VIEW ? view : projection;
    return D3D_OK;
}

HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT9* v) {
    viewport = *v;
    return Record("SetViewport()");
}

HRESULT RecordingDevice::GetViewport(D3DVIEWPORT9* v) {
    HRESULT hr = Record("GetViewport()");
    if (FAILED(hr)) return hr;
    *v = viewport;
    return D3D_OK;
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL9* m) {
    material = *m;
    return Record("SetMaterial(" + Str(m->Diffuse.r) + " " + Str(m->Diffuse.a) + ", " +
                  Str(m->Ambient.r) + " " + Str(m->Ambient.a) + ", " + Str(m->Specular.r) + ", " +
                  Str(m->Emissive.r) + ", " + Str(m->Power) + ")");
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE s, DWORD v) {
    if (!recording_) renderStates[s] = v;
    return Record("SetRenderState(" + std::to_string(s) + ", " + std::to_string(v) + ")");
}

HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE s, DWORD* v) {
    *v = renderStates.count(s) ? renderStates[s] : 0;
    return D3D_OK;
}

HRESULT RecordingDevice::BeginStateBlock() {
    recording_ = true;
    return Record("BeginStateBlock()");
}

HRESULT RecordingDevice::EndStateBlock(IDirect3DStateBlock9** b) {
    recording_ = false;
    HRESULT hr = Record("EndStateBlock()");
    if (FAILED(hr)) return hr;
    *b = new RecStateBlock(this);
    log.back() = "EndStateBlock(" + Name(*b) + ")";
    return D3D_OK;
}

HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* t) {
    return Record("SetTexture(" + std::to_string(stage) + ", " +
                  Name(static_cast<IDirect3DTexture9*>(t)) + ")");
}

HRESULT RecordingDevice::GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD* v) {
    *v = 0;
    return D3D_OK;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE t, DWORD v) {
    return Record("SetTextureStageState(" + std::to_string(stage) + ", " + std::to_string(t) +
                  ", " + std::to_string(v) + ")");
}

HRESULT RecordingDevice::GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD* v) {
    *v = 0;
    return D3D_OK;
}

HRESULT RecordingDevice::SetSamplerState(DWORD s, D3DSAMPLERSTATETYPE t, DWORD v) {
    return Record("SetSamplerState(" + std::to_string(s) + ", " + std::to_string(t) + ", " +
                  std::to_string(v) + ")");
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE t, UINT start, UINT count) {
    return Record("DrawPrimitive(" + std::to_string(t) + ", " + std::to_string(start) + ", " +
                  std::to_string(count) + ")");
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE t, UINT count, const void* data,
                                         UINT stride) {
    lastUserData = data;
    return Record("DrawPrimitiveUP(" + std::to_string(t) + ", " + std::to_string(count) + ", " +
                  std::to_string(stride) + ")");
}

HRESULT RecordingDevice::SetFVF(DWORD fvf) {
    return Record("SetFVF(" + Hex(fvf) + ")");
}

HRESULT RecordingDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* b, UINT offset,
                                         UINT stride) {
    return Record("SetStreamSource(" + std::to_string(stream) + ", " + Name(b) + ", " +
                  std::to_string(offset) + ", " + std::to_string(stride) + ")");
}
