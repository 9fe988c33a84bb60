// Textures, vertex buffers, surfaces and state blocks of the OpenGL device.
#include "device.h"

#include <algorithm>
#include <cstring>

namespace d3d9gl {

template <class I>
Resource<I>::Resource(Device* device, D3DPOOL pool) : device_(device), pool_(pool) {
    device_->AddRef();
    device_->ResourceCreated(pool);
}

template <class I> Resource<I>::~Resource() {
    device_->ResourceDestroyed(pool_);
    device_->Release();
}

template <class I> HRESULT Resource<I>::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

template class Resource<IDirect3DTexture9>;
template class Resource<IDirect3DVertexBuffer9>;
template class Resource<IDirect3DSurface9>;

namespace {

struct GlFormat {
    GLint internal;
    GLenum format;
    GLenum type;
};

bool FormatFor(D3DFORMAT f, GlFormat* out) {
    switch (f) {
    case D3DFMT_A8R8G8B8:
        *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
        return true;
    case D3DFMT_X8R8G8B8:
        *out = {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
        return true;
    case D3DFMT_A4R4G4B4:
        *out = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
        return true;
    case D3DFMT_X4R4G4B4:
        *out = {GL_RGB4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
        return true;
    case D3DFMT_A1R5G5B5:
        *out = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
        return true;
    case D3DFMT_X1R5G5B5:
        *out = {GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
        return true;
    case D3DFMT_R5G6B5:
        *out = {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
        return true;
    case D3DFMT_A8:
        *out = {GL_R8, GL_RED, GL_UNSIGNED_BYTE};
        return true;
    default:
        return false;
    }
}

// The byte offset of a lock rectangle's first texel; false for one outside the surface.
bool RectOffset(const RECT& r, UINT width, UINT height, UINT bpp, size_t* offset) {
    if (r.left < 0 || r.top < 0 || r.right <= r.left || r.bottom <= r.top ||
        static_cast<UINT>(r.right) > width || static_cast<UINT>(r.bottom) > height)
        return false;
    *offset = (static_cast<size_t>(r.top) * width + static_cast<size_t>(r.left)) * bpp;
    return true;
}

} // namespace

UINT Texture::BytesPerTexel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 4;
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_R5G6B5:
        return 2;
    case D3DFMT_A8:
        return 1;
    default:
        return 0;
    }
}

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                 D3DFORMAT format, D3DPOOL pool)
    : Resource(device, pool), usage_(usage), format_(format) {
    for (UINT i = 0; i < levels; ++i) {
        Level level;
        level.width = std::max(1u, width >> i);
        level.height = std::max(1u, height >> i);
        levels_.push_back(std::move(level));
    }
    GlFormat gf{};
    FormatFor(format, &gf);
    device_->MakeCurrent();
    glGenTextures(1, &name_);
    device_->BindTextureForUpload(name_);
    for (UINT i = 0; i < levels; ++i)
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), gf.internal,
                     static_cast<GLsizei>(levels_[i].width),
                     static_cast<GLsizei>(levels_[i].height), 0, gf.format, gf.type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    if (format == D3DFMT_A8) {
        const GLint swizzle[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED};
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
    device_->CountGl(4 + static_cast<int>(levels));
}

Texture::~Texture() {
    device_->Forget(this);
    device_->MakeCurrent();
    glDeleteTextures(1, &name_);
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{format_,
                            D3DRTYPE_SURFACE,
                            usage_,
                            pool_,
                            D3DMULTISAMPLE_NONE,
                            0,
                            levels_[level].width,
                            levels_[level].height};
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (!locked || level >= levels_.size() || levels_[level].locked) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    const UINT bpp = BytesPerTexel(format_);
    size_t offset = 0;
    if (rect) {
        if (!RectOffset(*rect, l.width, l.height, bpp, &offset)) return D3DERR_INVALIDCALL;
    }
    if (l.bits.empty()) {
        l.bits = device_->TakeLockMemory(static_cast<size_t>(l.width) * l.height * bpp);
        if (!l.written) {
            std::fill(l.bits.begin(), l.bits.end(), uint8_t{0});
        } else {
            GlFormat gf{};
            FormatFor(format_, &gf);
            device_->MakeCurrent();
            device_->BindTextureForUpload(name_);
            glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), gf.format, gf.type,
                          l.bits.data());
            device_->CountGl();
        }
    }
    l.locked = true;
    l.lockFlags = flags;
    locked->Pitch = static_cast<INT>(l.width * bpp);
    locked->pBits = l.bits.data() + offset;
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    l.locked = false;
    if (!(l.lockFlags & D3DLOCK_READONLY)) Upload(level);
    device_->ReturnLockMemory(l.bits);
    return D3D_OK;
}

void Texture::Upload(UINT level) {
    GlFormat gf{};
    FormatFor(format_, &gf);
    const Level& l = levels_[level];
    device_->MakeCurrent();
    device_->BindTextureForUpload(name_);
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(l.width),
                    static_cast<GLsizei>(l.height), gf.format, gf.type, l.bits.data());
    device_->CountGl();
    levels_[level].written = true;
}

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : Resource(device, pool), bits_(length, 0), usage_(usage), fvf_(fvf) {
    device_->MakeCurrent();
    glGenBuffers(1, &name_);
    device_->BindArrayBuffer(name_);
    glBufferData(GL_ARRAY_BUFFER, length, bits_.data(),
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    device_->CountGl(2);
}

VertexBuffer::~VertexBuffer() {
    device_->Forget(this);
    device_->MakeCurrent();
    glDeleteBuffers(1, &name_);
}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (!data) return D3DERR_INVALIDCALL;
    const UINT length = static_cast<UINT>(bits_.size());
    if (size == 0 && offset <= length) size = length - offset; // 0: from the offset to the end
    if (offset > length || size > length - offset) {
        *data = nullptr;
        return D3DERR_INVALIDCALL;
    }
    if (!(flags & D3DLOCK_READONLY) && size > 0) {
        if (dirtyEnd_ <= dirtyBegin_) {
            dirtyBegin_ = offset;
            dirtyEnd_ = offset + size;
        } else {
            dirtyBegin_ = std::min(dirtyBegin_, offset);
            dirtyEnd_ = std::max(dirtyEnd_, offset + size);
        }
    }
    ++locks_;
    *data = bits_.data() + offset;
    return D3D_OK;
}

HRESULT VertexBuffer::Unlock() {
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    if (--locks_ > 0) return D3D_OK;
    if (dirtyEnd_ > dirtyBegin_) {
        device_->MakeCurrent();
        device_->BindArrayBuffer(name_);
        glBufferSubData(GL_ARRAY_BUFFER, dirtyBegin_, dirtyEnd_ - dirtyBegin_,
                        bits_.data() + dirtyBegin_);
        device_->CountGl();
    }
    dirtyBegin_ = dirtyEnd_ = 0;
    return D3D_OK;
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER,           usage_,
                                 pool_,          static_cast<UINT>(bits_.size()), fvf_};
    return D3D_OK;
}

Surface::Surface(Device* device, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                 bool renderTarget)
    : Resource(device, pool), width_(width), height_(height), format_(format),
      renderTarget_(renderTarget) {
    if (!renderTarget)
        bits_.assign(static_cast<size_t>(width) * height * Texture::BytesPerTexel(format), 0);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{format_,
                            D3DRTYPE_SURFACE,
                            renderTarget_ ? DWORD(D3DUSAGE_RENDERTARGET) : DWORD(0),
                            pool_,
                            D3DMULTISAMPLE_NONE,
                            0,
                            width_,
                            height_};
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
    // The back buffer is not lockable; its pixels come through GetRenderTargetData.
    if (!locked || renderTarget_ || locked_) return D3DERR_INVALIDCALL;
    const UINT bpp = Texture::BytesPerTexel(format_);
    size_t offset = 0;
    if (rect) {
        if (!RectOffset(*rect, width_, height_, bpp, &offset)) return D3DERR_INVALIDCALL;
    }
    locked_ = true;
    locked->Pitch = static_cast<INT>(width_ * bpp);
    locked->pBits = bits_.data() + offset;
    return D3D_OK;
}

HRESULT Surface::UnlockRect() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
}

StateBlock::StateBlock(Device* device) : device_(device) {
    device_->AddRef();
    device_->StateBlockCreated();
}

StateBlock::~StateBlock() {
    for (int i = 0; i < kStages; ++i)
        if (recorded.texture[i] && values.texture[i]) values.texture[i]->Release();
    if (recorded.stream && values.stream) values.stream->Release();
    device_->StateBlockDestroyed();
    device_->Release();
}

HRESULT StateBlock::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT StateBlock::Capture() {
    State& now = device_->state();
    for (int i = 0; i < kRenderStates; ++i)
        if (recorded.render[i]) values.render[i] = now.render[i];
    for (int s = 0; s < kStages; ++s)
        for (int t = 0; t < kStageStates; ++t)
            if (recorded.stage[s * kStageStates + t]) values.stage[s][t] = now.stage[s][t];
    for (int s = 0; s < kSamplers; ++s)
        for (int t = 0; t < kSamplerStates; ++t)
            if (recorded.sampler[s * kSamplerStates + t]) values.sampler[s][t] = now.sampler[s][t];
    for (int i = 0; i < kStages; ++i) {
        if (!recorded.texture[i]) continue;
        if (now.texture[i]) now.texture[i]->AddRef();
        if (values.texture[i]) values.texture[i]->Release();
        values.texture[i] = now.texture[i];
    }
    if (recorded.world) values.world = now.world;
    if (recorded.view) values.view = now.view;
    if (recorded.projection) values.projection = now.projection;
    if (recorded.material) values.material = now.material;
    if (recorded.viewport) values.viewport = now.viewport;
    if (recorded.fvf) values.fvf = now.fvf;
    if (recorded.stream) {
        if (now.stream) now.stream->AddRef();
        if (values.stream) values.stream->Release();
        values.stream = now.stream;
        values.streamOffset = now.streamOffset;
        values.streamStride = now.streamStride;
    }
    return D3D_OK;
}

HRESULT StateBlock::Apply() {
    Device* d = device_;
    for (int i = 0; i < kRenderStates; ++i)
        if (recorded.render[i])
            d->SetRenderState(static_cast<D3DRENDERSTATETYPE>(i), values.render[i]);
    for (int s = 0; s < kStages; ++s)
        for (int t = 0; t < kStageStates; ++t)
            if (recorded.stage[s * kStageStates + t])
                d->SetTextureStageState(s, static_cast<D3DTEXTURESTAGESTATETYPE>(t),
                                        values.stage[s][t]);
    for (int s = 0; s < kSamplers; ++s)
        for (int t = 0; t < kSamplerStates; ++t)
            if (recorded.sampler[s * kSamplerStates + t])
                d->SetSamplerState(s, static_cast<D3DSAMPLERSTATETYPE>(t), values.sampler[s][t]);
    for (int i = 0; i < kStages; ++i)
        if (recorded.texture[i]) d->SetTexture(i, values.texture[i]);
    if (recorded.world) d->SetTransform(D3DTS_WORLD, &values.world);
    if (recorded.view) d->SetTransform(D3DTS_VIEW, &values.view);
    if (recorded.projection) d->SetTransform(D3DTS_PROJECTION, &values.projection);
    if (recorded.material) d->SetMaterial(&values.material);
    if (recorded.viewport) d->SetViewport(&values.viewport);
    if (recorded.fvf) d->SetFVF(values.fvf);
    if (recorded.stream)
        d->SetStreamSource(0, values.stream, values.streamOffset, values.streamStride);
    return D3D_OK;
}

} // namespace d3d9gl
