// The OpenGL device: Direct3D 9's fixed-function state, draws and presentation.
#include "device.h"

#include <SDL.h>
#include <win32_sdl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace d3d9gl {

namespace {

Device* currentDevice = nullptr;

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX& out) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] +
                          a.m[r][3] * b.m[3][c];
}

GLenum BlendFactor(DWORD b) {
    switch (b) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum BlendEquation(DWORD op) {
    switch (op) {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum CompareFunc(DWORD f) {
    switch (f) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLint AddressMode(DWORD a) {
    switch (a) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
        return GL_MIRRORED_REPEAT;
    default:
        return GL_REPEAT;
    }
}

UINT VertexCount(D3DPRIMITIVETYPE type, UINT count) {
    switch (type) {
    case D3DPT_POINTLIST:
        return count;
    case D3DPT_LINELIST:
        return count * 2;
    case D3DPT_LINESTRIP:
        return count + 1;
    case D3DPT_TRIANGLELIST:
        return count * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return count + 2;
    default:
        return 0;
    }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
    case D3DPT_POINTLIST:
        return GL_POINTS;
    case D3DPT_LINELIST:
        return GL_LINES;
    case D3DPT_LINESTRIP:
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
        return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
        return GL_TRIANGLE_FAN;
    default:
        return GL_TRIANGLES;
    }
}

// The bytes of one vertex of a flexible vertex format.
UINT FvfStride(DWORD fvf) {
    UINT size = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
        size = 12;
        break;
    case D3DFVF_XYZRHW:
        size = 16;
        break;
    default:
        break;
    }
    if (fvf & D3DFVF_NORMAL) size += 12;
    if (fvf & D3DFVF_PSIZE) size += 4;
    if (fvf & D3DFVF_DIFFUSE) size += 4;
    if (fvf & D3DFVF_SPECULAR) size += 4;
    size += 8 * ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    return size;
}

bool DepthFormat(D3DFORMAT f, GLenum* internal) {
    switch (f) {
    case D3DFMT_D16:
        *internal = GL_DEPTH_COMPONENT16;
        return true;
    case D3DFMT_D24X8:
        *internal = GL_DEPTH_COMPONENT24;
        return true;
    case D3DFMT_D24S8:
        *internal = GL_DEPTH24_STENCIL8;
        return true;
    case D3DFMT_D32:
        *internal = GL_DEPTH_COMPONENT32;
        return true;
    default:
        return false;
    }
}

} // namespace

bool ValidRenderState(DWORD s) {
    static const DWORD known[] = {
        7,   8,   9,   14,  15,  16,  19,  20,  22,  23,  24,  25,  26,  27,  28,  29,  34,  35,
        36,  37,  38,  48,  52,  53,  54,  55,  56,  57,  58,  59,  60,  128, 129, 130, 131, 132,
        133, 134, 135, 136, 137, 139, 140, 141, 142, 143, 145, 146, 147, 148, 151, 152, 154, 155,
        156, 157, 158, 159, 160, 161, 162, 163, 165, 166, 167, 168, 170, 171, 172, 173, 174, 175,
        176, 178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191, 192, 193, 194,
        195, 198, 199, 200, 201, 202, 203, 204, 205, 206, 207, 208, 209};
    return std::find(std::begin(known), std::end(known), s) != std::end(known);
}

void DefaultState(State& s, bool depthBuffer) {
    memset(&s, 0, sizeof s);
    DWORD* r = s.render;
    r[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
    r[D3DRS_FILLMODE] = D3DFILL_SOLID;
    r[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    r[D3DRS_ZWRITEENABLE] = TRUE;
    r[D3DRS_LASTPIXEL] = TRUE;
    r[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    r[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    r[D3DRS_CULLMODE] = D3DCULL_CCW;
    r[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    r[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    r[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    r[D3DRS_STENCILMASK] = 0xFFFFFFFF;
    r[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    r[D3DRS_STENCILFAIL] = r[D3DRS_STENCILZFAIL] = r[D3DRS_STENCILPASS] = 1; // KEEP
    r[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    r[D3DRS_CLIPPING] = TRUE;
    r[D3DRS_LIGHTING] = TRUE;
    r[D3DRS_COLORVERTEX] = TRUE;
    r[D3DRS_LOCALVIEWER] = TRUE;
    r[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    r[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    r[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    r[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    r[D3DRS_COLORWRITEENABLE] = 0x0F;
    r[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    r[D3DRS_POINTSIZE] = 0x3F800000; // 1.0f
    r[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    r[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    r[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    r[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    r[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    for (int i = 0; i < kStages; ++i) {
        DWORD* t = s.stage[i];
        t[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_COLORARG0] = t[D3DTSS_ALPHAARG0] = t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(i);
    }
    for (int i = 0; i < kSamplers; ++i) {
        DWORD* t = s.sampler[i];
        t[D3DSAMP_ADDRESSU] = t[D3DSAMP_ADDRESSV] = t[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        t[D3DSAMP_MAGFILTER] = t[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        t[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        t[D3DSAMP_MAXANISOTROPY] = 1;
    }
    s.world = s.view = s.projection = Identity();
}

// What the GL holds now, so that only changes are sent.
struct Device::GlCache {
    GLuint program = 0;
    GLuint arrayBuffer = 0;
    int activeUnit = -1;
    GLuint texture[kStages + 1] = {};
    GLuint sampler[kStages] = {};
    int blend = -1, depthTest = -1, cull = -1, depthMask = -1, colorMask = -1, scissor = -1;
    GLenum blendSrc = 0, blendDst = 0, blendSrcA = 0, blendDstA = 0, blendEq = 0, blendEqA = 0;
    GLenum depthFunc = 0, cullFace = 0;
    GLint viewport[4] = {-1, -1, -1, -1};
    float depthRange[2] = {-1, -1};
    // Vertex attributes as last specified.
    GLuint attrBuffer = 0;
    size_t attrOffset = ~size_t(0);
    UINT attrStride = 0;
    DWORD attrFvf = ~DWORD(0);
    unsigned enabled = 0;
};

struct Device::Program {
    GLuint id = 0;
    ProgramKey key;
    GLint uWvp = -1, uViewport = -1, uLit = -1, uTfactor = -1, uAlphaRef = -1;
    // Uniform values as last sent.
    float wvp[16] = {};
    float viewport[4] = {-1, -1, -1, -1};
    float lit[4] = {-1, -1, -1, -1};
    DWORD tfactor = 0;
    bool tfactorSet = false;
    int alphaRef = -1;
    uint64_t wvpStamp = 0;
};

Device::Device(Direct3D* direct3d, SDL_Window* window, SDL_GLContext context,
               const D3DPRESENT_PARAMETERS& params)
    : direct3d_(direct3d), window_(window), context_(context), params_(params), gl_(new GlCache) {
    direct3d_->AddRef();
    currentDevice = nullptr;
    MakeCurrent();
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glFrontFace(GL_CCW); // see ApplyFixedState: Direct3D's clockwise on screen is GL's CCW here
    streamSize_ = 4 << 20;
    glGenBuffers(1, &streamBuffer_);
    BindArrayBuffer(streamBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(streamSize_), nullptr, GL_STREAM_DRAW);
    // A stage without a texture reads opaque white.
    const uint32_t whitePixel = 0xFFFFFFFF;
    glGenTextures(1, &white_);
    BindTextureForUpload(white_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &whitePixel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
}

Device::~Device() {
    MakeCurrent();
    for (auto& p : programs_) {
        glDeleteProgram(p.second->id);
        delete p.second;
    }
    for (auto& s : samplers_)
        glDeleteSamplers(1, &s.second);
    DestroyBackBuffer();
    glDeleteTextures(1, &white_);
    glDeleteBuffers(1, &streamBuffer_);
    glDeleteVertexArrays(1, &vao_);
    if (!params_.Windowed) SDL_SetWindowFullscreen(window_, 0);
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
    if (currentDevice == this) currentDevice = nullptr;
    delete gl_;
    direct3d_->Release();
}

void Device::MakeCurrent() {
    if (currentDevice == this) return;
    SDL_GL_MakeCurrent(window_, context_);
    currentDevice = this;
}

void Device::BindArrayBuffer(GLuint buffer) {
    if (gl_->arrayBuffer == buffer) return;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    gl_->arrayBuffer = buffer;
    ++glCalls_;
}

void Device::BindTextureForUpload(GLuint texture) {
    // Uploads go through a unit that draws never use.
    if (gl_->activeUnit != kStages) {
        glActiveTexture(GL_TEXTURE0 + kStages);
        gl_->activeUnit = kStages;
        ++glCalls_;
    }
    if (gl_->texture[kStages] != texture) {
        glBindTexture(GL_TEXTURE_2D, texture);
        gl_->texture[kStages] = texture;
        ++glCalls_;
    }
}

bool Device::ApplyPresentParameters(const D3DPRESENT_PARAMETERS& p) {
    GLenum depth = 0;
    if (p.EnableAutoDepthStencil && !DepthFormat(p.AutoDepthStencilFormat, &depth)) return false;
    if (p.BackBufferFormat != D3DFMT_X8R8G8B8 && p.BackBufferFormat != D3DFMT_A8R8G8B8 &&
        !(p.Windowed && p.BackBufferFormat == D3DFMT_UNKNOWN))
        return false;
    if (!p.Windowed && (p.BackBufferWidth == 0 || p.BackBufferHeight == 0)) return false;
    // Fullscreen keeps the desktop's video mode; Present scales the back buffer into it.
    // The window also takes the desktop's bounds itself, so that it covers the screen
    // where no window manager acts on the fullscreen request (a bare X server).
    const bool wasFullscreen = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                               SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (!p.Windowed && !wasFullscreen) {
        SDL_GetWindowPosition(window_, &windowedRect_[0], &windowedRect_[1]);
        SDL_GetWindowSize(window_, &windowedRect_[2], &windowedRect_[3]);
        SDL_Rect desktop;
        if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &desktop) == 0) {
            SDL_SetWindowPosition(window_, desktop.x, desktop.y);
            SDL_SetWindowSize(window_, desktop.w, desktop.h);
        }
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else if (p.Windowed && wasFullscreen) {
        SDL_SetWindowFullscreen(window_, 0);
        if (windowedRect_[2] > 0) {
            SDL_SetWindowSize(window_, windowedRect_[2], windowedRect_[3]);
            SDL_SetWindowPosition(window_, windowedRect_[0], windowedRect_[1]);
        }
    }
    params_ = p;
    if (params_.BackBufferFormat == D3DFMT_UNKNOWN) params_.BackBufferFormat = D3DFMT_X8R8G8B8;
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    bbWidth_ = p.BackBufferWidth ? p.BackBufferWidth : static_cast<UINT>(std::max(w, 1));
    bbHeight_ = p.BackBufferHeight ? p.BackBufferHeight : static_cast<UINT>(std::max(h, 1));
    params_.BackBufferWidth = bbWidth_;
    params_.BackBufferHeight = bbHeight_;
    if (params_.BackBufferCount == 0) params_.BackBufferCount = 1;
    // A system that refuses a swap interval is not an error.
    SDL_GL_SetSwapInterval(p.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    return CreateBackBuffer();
}

bool Device::CreateBackBuffer() {
    MakeCurrent();
    DestroyBackBuffer();
    glGenFramebuffers(1, &fbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glGenRenderbuffers(1, &colorRb_);
    glBindRenderbuffer(GL_RENDERBUFFER, colorRb_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(bbWidth_),
                          static_cast<GLsizei>(bbHeight_));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorRb_);
    GLenum depth = 0;
    if (params_.EnableAutoDepthStencil && DepthFormat(params_.AutoDepthStencilFormat, &depth)) {
        glGenRenderbuffers(1, &depthRb_);
        glBindRenderbuffer(GL_RENDERBUFFER, depthRb_);
        glRenderbufferStorage(GL_RENDERBUFFER, depth, static_cast<GLsizei>(bbWidth_),
                              static_cast<GLsizei>(bbHeight_));
        glFramebufferRenderbuffer(GL_FRAMEBUFFER,
                                  depth == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT
                                                               : GL_DEPTH_ATTACHMENT,
                                  GL_RENDERBUFFER, depthRb_);
    }
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    // The new buffers start cleared, as a new back buffer shows nothing yet.
    glDisable(GL_SCISSOR_TEST);
    gl_->scissor = 0;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    gl_->colorMask = gl_->depthMask = -1;
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return complete;
}

void Device::DestroyBackBuffer() {
    if (fbo_) glDeleteFramebuffers(1, &fbo_);
    if (colorRb_) glDeleteRenderbuffers(1, &colorRb_);
    if (depthRb_) glDeleteRenderbuffers(1, &depthRb_);
    fbo_ = colorRb_ = depthRb_ = 0;
}

void Device::ResetState() {
    DefaultState(state_, params_.EnableAutoDepthStencil != 0);
    state_.viewport = D3DVIEWPORT9{0, 0, bbWidth_, bbHeight_, 0.0f, 1.0f};
    state_.material = D3DMATERIAL9{};
    stateDirty_ = transformDirty_ = true;
    lastProgram_ = nullptr;
}

void Device::Forget(Texture* texture) {
    for (Texture*& t : state_.texture)
        if (t == texture) t = nullptr;
}

void Device::Forget(VertexBuffer* buffer) {
    if (state_.stream == buffer) state_.stream = nullptr;
    if (gl_->attrBuffer == buffer->name()) gl_->attrBuffer = 0, gl_->attrOffset = ~size_t(0);
    if (gl_->arrayBuffer == buffer->name()) gl_->arrayBuffer = 0;
}

HRESULT Device::GetDirect3D(IDirect3D9** direct3d) {
    if (!direct3d) return D3DERR_INVALIDCALL;
    direct3d_->AddRef();
    *direct3d = direct3d_;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) {
    if (!caps) return D3DERR_INVALIDCALL;
    Direct3D::FillCaps(caps, static_cast<DWORD>(maxTextureSize_));
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
    if (!mode || swapChain != 0) return D3DERR_INVALIDCALL;
    if (params_.Windowed) return direct3d_->GetAdapterDisplayMode(0, mode);
    D3DDISPLAYMODE desktop{};
    direct3d_->GetAdapterDisplayMode(0, &desktop);
    *mode = D3DDISPLAYMODE{bbWidth_, bbHeight_, desktop.RefreshRate, params_.BackBufferFormat};
    return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params) {
    // Default-pool resources and state blocks must be given back first.
    if (!params || defaultResources_ > 0 || stateBlocks_ > 0 || recording_)
        return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS p = *params;
    if (!ApplyPresentParameters(p)) return D3DERR_INVALIDCALL;
    if (p.Windowed) {
        params->BackBufferWidth = bbWidth_;
        params->BackBufferHeight = bbHeight_;
    }
    ResetState();
    return D3D_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    MakeCurrent();
    int ww = 0, wh = 0;
    SDL_GL_GetDrawableSize(window_, &ww, &wh);
    GLint x0 = 0, y0 = 0, x1 = ww, y1 = wh;
    if (!params_.Windowed && ww > 0 && wh > 0) {
        // Aspect kept, black bars.
        double scale = std::min(double(ww) / bbWidth_, double(wh) / bbHeight_);
        GLint w = static_cast<GLint>(std::lround(bbWidth_ * scale));
        GLint h = static_cast<GLint>(std::lround(bbHeight_ * scale));
        x0 = (ww - w) / 2;
        y0 = (wh - h) / 2;
        x1 = x0 + w;
        y1 = y0 + h;
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    if (gl_->scissor != 0) {
        glDisable(GL_SCISSOR_TEST);
        gl_->scissor = 0;
    }
    if (x0 > 0 || y0 > 0) {
        if (gl_->colorMask != 0xF) {
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            gl_->colorMask = 0xF;
        }
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glCalls_ += 2;
    }
    // The back buffer's first row is the top: the window's is the bottom.
    const bool same = (x1 - x0) == GLint(bbWidth_) && (y1 - y0) == GLint(bbHeight_);
    glBlitFramebuffer(0, 0, GLint(bbWidth_), GLint(bbHeight_), x0, y1, x1, y0, GL_COLOR_BUFFER_BIT,
                      same ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(window_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glCalls_ += 5;
    return D3D_OK;
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (shared || width == 0 || height == 0 || Texture::BytesPerTexel(format) == 0 ||
        pool == D3DPOOL_SCRATCH || (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)))
        return D3DERR_INVALIDCALL;
    if (width > UINT(maxTextureSize_) || height > UINT(maxTextureSize_)) return D3DERR_INVALIDCALL;
    UINT full = 1;
    while ((std::max(width, height) >> full) > 0)
        ++full;
    if (levels == 0 || levels > full) levels = levels == 0 ? full : full;
    *texture = new Texture(this, width, height, levels, usage, format, pool);
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (shared || length == 0 || pool == D3DPOOL_SCRATCH || (fvf && length < FvfStride(fvf)))
        return D3DERR_INVALIDCALL;
    *buffer = new VertexBuffer(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** surface, HANDLE* shared) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (shared || width == 0 || height == 0 || pool == D3DPOOL_MANAGED ||
        Texture::BytesPerTexel(format) == 0)
        return D3DERR_INVALIDCALL;
    *surface = new Surface(this, width, height, format, pool, false);
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0) return D3DERR_NOTFOUND;
    *surface =
        new Surface(this, bbWidth_, bbHeight_, params_.BackBufferFormat, D3DPOOL_DEFAULT, true);
    return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                    IDirect3DSurface9* destination) {
    auto* rt = static_cast<Surface*>(renderTarget);
    auto* dst = static_cast<Surface*>(destination);
    if (!rt || !dst || rt->device() != this || dst->device() != this || !rt->renderTarget() ||
        dst->renderTarget() || dst->width() != bbWidth_ || dst->height() != bbHeight_ ||
        (dst->format() != D3DFMT_X8R8G8B8 && dst->format() != D3DFMT_A8R8G8B8))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glReadPixels(0, 0, GLsizei(bbWidth_), GLsizei(bbHeight_), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 dst->bits());
    if (params_.BackBufferFormat == D3DFMT_X8R8G8B8) {
        uint8_t* p = dst->bits();
        for (size_t i = 0, n = size_t(bbWidth_) * bbHeight_; i < n; ++i)
            p[i * 4 + 3] = 0xFF;
    }
    return D3D_OK;
}

HRESULT Device::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
    if ((count > 0 && !rects) || (flags & ~DWORD(7)) || flags == 0) return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !params_.EnableAutoDepthStencil)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    GLbitfield bits = 0;
    if (flags & D3DCLEAR_TARGET) {
        glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f,
                     (color & 0xFF) / 255.0f, ((color >> 24) & 0xFF) / 255.0f);
        if (gl_->colorMask != 0xF) {
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            gl_->colorMask = 0xF;
            stateDirty_ = true;
        }
        bits |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        if (gl_->depthMask != 1) {
            glDepthMask(GL_TRUE);
            gl_->depthMask = 1;
            stateDirty_ = true;
        }
        bits |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glClearStencil(static_cast<GLint>(stencil));
        bits |= GL_STENCIL_BUFFER_BIT;
    }
    // Clear covers the viewport, or the given rectangles inside it.
    const D3DVIEWPORT9& vp = state_.viewport;
    auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
        x1 = std::max<LONG>(x1, LONG(vp.X));
        y1 = std::max<LONG>(y1, LONG(vp.Y));
        x2 = std::min<LONG>(x2, LONG(vp.X + vp.Width));
        y2 = std::min<LONG>(y2, LONG(vp.Y + vp.Height));
        if (x2 <= x1 || y2 <= y1) return;
        const bool whole = x1 == 0 && y1 == 0 && UINT(x2) == bbWidth_ && UINT(y2) == bbHeight_;
        if (whole) {
            if (gl_->scissor != 0) glDisable(GL_SCISSOR_TEST), gl_->scissor = 0, ++glCalls_;
        } else {
            if (gl_->scissor != 1) glEnable(GL_SCISSOR_TEST), gl_->scissor = 1, ++glCalls_;
            glScissor(x1, y1, x2 - x1, y2 - y1);
            ++glCalls_;
        }
        glClear(bits);
        ++glCalls_;
    };
    if (count == 0)
        clearRect(LONG(vp.X), LONG(vp.Y), LONG(vp.X + vp.Width), LONG(vp.Y + vp.Height));
    for (DWORD i = 0; i < count; ++i)
        clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    glCalls_ += 2;
    return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    State& s = recording_ ? recording_->values : state_;
    switch (static_cast<DWORD>(type)) {
    case D3DTS_WORLD:
        s.world = *matrix;
        if (recording_) recording_->recorded.world = true;
        break;
    case D3DTS_VIEW:
        s.view = *matrix;
        if (recording_) recording_->recorded.view = true;
        break;
    case D3DTS_PROJECTION:
        s.projection = *matrix;
        if (recording_) recording_->recorded.projection = true;
        break;
    default:
        if ((type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE0 + 7) ||
            (type > D3DTS_WORLD && type < D3DTS_WORLDMATRIX(256)))
            return D3D_OK; // accepted; nothing here draws with them
        return D3DERR_INVALIDCALL;
    }
    if (!recording_) transformDirty_ = true;
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    switch (static_cast<DWORD>(type)) {
    case D3DTS_WORLD:
        *matrix = state_.world;
        return D3D_OK;
    case D3DTS_VIEW:
        *matrix = state_.view;
        return D3D_OK;
    case D3DTS_PROJECTION:
        *matrix = state_.projection;
        return D3D_OK;
    default:
        return D3DERR_INVALIDCALL;
    }
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* vp) {
    if (!vp || vp->Width == 0 || vp->Height == 0 || vp->X + vp->Width > bbWidth_ ||
        vp->Y + vp->Height > bbHeight_ || vp->MinZ < 0 || vp->MaxZ > 1 || vp->MinZ > vp->MaxZ)
        return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->values.viewport = *vp;
        recording_->recorded.viewport = true;
        return D3D_OK;
    }
    state_.viewport = *vp;
    stateDirty_ = true;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* vp) {
    if (!vp) return D3DERR_INVALIDCALL;
    *vp = state_.viewport;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material) {
    if (!material) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->values.material = *material;
        recording_->recorded.material = true;
        return D3D_OK;
    }
    state_.material = *material;
    return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
    if (!ValidRenderState(type)) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->values.render[type] = value;
        recording_->recorded.render[type] = true;
        return D3D_OK;
    }
    if (state_.render[type] != value) {
        state_.render[type] = value;
        stateDirty_ = true;
    }
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) {
    if (!value || !ValidRenderState(type)) return D3DERR_INVALIDCALL;
    *value = state_.render[type];
    return D3D_OK;
}

HRESULT Device::BeginStateBlock() {
    if (recording_) return D3DERR_INVALIDCALL;
    recording_ = new StateBlock(this);
    DefaultState(recording_->values, params_.EnableAutoDepthStencil != 0);
    return D3D_OK;
}

HRESULT Device::EndStateBlock(IDirect3DStateBlock9** block) {
    if (!block || !recording_) return D3DERR_INVALIDCALL;
    *block = recording_;
    recording_ = nullptr;
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= kStages) return D3DERR_INVALIDCALL;
    auto* t = static_cast<Texture*>(static_cast<IDirect3DTexture9*>(texture));
    if (t && t->device() != this) return D3DERR_INVALIDCALL;
    if (recording_) {
        // A state block keeps the textures it recorded alive.
        if (t) t->AddRef();
        if (recording_->recorded.texture[stage] && recording_->values.texture[stage])
            recording_->values.texture[stage]->Release();
        recording_->values.texture[stage] = t;
        recording_->recorded.texture[stage] = true;
        return D3D_OK;
    }
    state_.texture[stage] = t;
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (!value || stage >= kStages || type < 1 || type >= kStageStates) return D3DERR_INVALIDCALL;
    *value = state_.stage[stage][type];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= kStages || type < 1 || type >= kStageStates) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->values.stage[stage][type] = value;
        recording_->recorded.stage[stage * kStageStates + type] = true;
        return D3D_OK;
    }
    if (state_.stage[stage][type] != value) {
        state_.stage[stage][type] = value;
        stateDirty_ = true;
    }
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    if (!value || sampler >= kSamplers || type < 1 || type >= kSamplerStates)
        return D3DERR_INVALIDCALL;
    *value = state_.sampler[sampler][type];
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (sampler >= kSamplers || type < 1 || type >= kSamplerStates) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->values.sampler[sampler][type] = value;
        recording_->recorded.sampler[sampler * kSamplerStates + type] = true;
        return D3D_OK;
    }
    state_.sampler[sampler][type] = value;
    return D3D_OK;
}

HRESULT Device::SetFVF(DWORD fvf) {
    if (recording_) {
        recording_->values.fvf = fvf;
        recording_->recorded.fvf = true;
        return D3D_OK;
    }
    if (state_.fvf != fvf) {
        state_.fvf = fvf;
        stateDirty_ = true;
    }
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                UINT stride) {
    auto* vb = static_cast<VertexBuffer*>(buffer);
    if (stream != 0 || (vb && vb->device() != this) || (offset & 3)) return D3DERR_INVALIDCALL;
    if (recording_) {
        if (vb) vb->AddRef();
        if (recording_->recorded.stream && recording_->values.stream)
            recording_->values.stream->Release();
        recording_->values.stream = vb;
        recording_->values.streamOffset = offset;
        recording_->values.streamStride = stride;
        recording_->recorded.stream = true;
        return D3D_OK;
    }
    state_.stream = vb;
    state_.streamOffset = offset;
    state_.streamStride = stride;
    return D3D_OK;
}

Device::Program* Device::CurrentProgram() {
    if (!stateDirty_ && lastProgram_) return lastProgram_;
    const State& s = state_;
    ProgramKey k;
    k.pretransformed = (s.fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
    k.diffuse = (s.fvf & D3DFVF_DIFFUSE) != 0;
    k.texCount = static_cast<uint8_t>(std::min<DWORD>((s.fvf & D3DFVF_TEXCOUNT_MASK) >> 8, 2));
    k.lighting = s.render[D3DRS_LIGHTING] && !k.pretransformed;
    k.alphaFromVertex = k.diffuse && s.render[D3DRS_COLORVERTEX] &&
                        s.render[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
    k.alphaTest = s.render[D3DRS_ALPHATESTENABLE] != 0;
    k.alphaFunc = k.alphaTest ? static_cast<uint8_t>(s.render[D3DRS_ALPHAFUNC] & 15) : 8;
    for (int i = 0; i < 2; ++i) {
        const DWORD* t = s.stage[i];
        StageKey& st = k.stage[i];
        st.colorOp = static_cast<uint8_t>(t[D3DTSS_COLOROP]);
        st.colorArg1 = static_cast<uint8_t>(t[D3DTSS_COLORARG1]);
        st.colorArg2 = static_cast<uint8_t>(t[D3DTSS_COLORARG2]);
        st.alphaOp = static_cast<uint8_t>(t[D3DTSS_ALPHAOP]);
        st.alphaArg1 = static_cast<uint8_t>(t[D3DTSS_ALPHAARG1]);
        st.alphaArg2 = static_cast<uint8_t>(t[D3DTSS_ALPHAARG2]);
        // Sets beyond what the vertex holds read (0, 0).
        DWORD index = t[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
        st.texCoord = index == 0 ? 0 : 1;
    }
    PackedKey packed = k.Pack();
    auto it = programs_.find(packed);
    if (it != programs_.end()) return lastProgram_ = it->second;

    auto compile = [](GLenum kind, const std::string& src) {
        GLuint sh = glCreateShader(kind);
        const char* text = src.c_str();
        glShaderSource(sh, 1, &text, nullptr);
        glCompileShader(sh);
        GLint ok = 0;
        glGetShaderiv(sh, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024];
            glGetShaderInfoLog(sh, sizeof log, nullptr, log);
            fprintf(stderr, "d3d9: shader failed: %s\n%s\n", log, src.c_str());
        }
        return sh;
    };
    auto* p = new Program;
    p->key = k;
    GLuint vs = compile(GL_VERTEX_SHADER, VertexShaderSource(k));
    GLuint fs = compile(GL_FRAGMENT_SHADER, FragmentShaderSource(k));
    p->id = glCreateProgram();
    glAttachShader(p->id, vs);
    glAttachShader(p->id, fs);
    glLinkProgram(p->id);
    glDeleteShader(vs);
    glDeleteShader(fs);
    p->uWvp = glGetUniformLocation(p->id, "u_wvp");
    p->uViewport = glGetUniformLocation(p->id, "u_viewport");
    p->uLit = glGetUniformLocation(p->id, "u_lit");
    p->uTfactor = glGetUniformLocation(p->id, "u_tfactor");
    p->uAlphaRef = glGetUniformLocation(p->id, "u_alphaRef");
    glUseProgram(p->id);
    gl_->program = p->id;
    glUniform1i(glGetUniformLocation(p->id, "u_sampler0"), 0);
    glUniform1i(glGetUniformLocation(p->id, "u_sampler1"), 1);
    programs_[packed] = p;
    return lastProgram_ = p;
}

void Device::ApplyFixedState() {
    const DWORD* r = state_.render;
    GlCache& c = *gl_;
    auto enable = [&](GLenum cap, int& cached, bool on) {
        if (cached == int(on)) return;
        on ? glEnable(cap) : glDisable(cap);
        cached = on;
        ++glCalls_;
    };
    enable(GL_BLEND, c.blend, r[D3DRS_ALPHABLENDENABLE] != 0);
    if (r[D3DRS_ALPHABLENDENABLE]) {
        GLenum src = BlendFactor(r[D3DRS_SRCBLEND]), dst = BlendFactor(r[D3DRS_DESTBLEND]);
        GLenum srcA = src, dstA = dst, eq = BlendEquation(r[D3DRS_BLENDOP]), eqA = eq;
        if (r[D3DRS_SEPARATEALPHABLENDENABLE]) {
            srcA = BlendFactor(r[D3DRS_SRCBLENDALPHA]);
            dstA = BlendFactor(r[D3DRS_DESTBLENDALPHA]);
            eqA = BlendEquation(r[D3DRS_BLENDOPALPHA]);
        }
        if (src != c.blendSrc || dst != c.blendDst || srcA != c.blendSrcA || dstA != c.blendDstA) {
            glBlendFuncSeparate(src, dst, srcA, dstA);
            c.blendSrc = src, c.blendDst = dst, c.blendSrcA = srcA, c.blendDstA = dstA;
            ++glCalls_;
        }
        if (eq != c.blendEq || eqA != c.blendEqA) {
            glBlendEquationSeparate(eq, eqA);
            c.blendEq = eq, c.blendEqA = eqA;
            ++glCalls_;
        }
    }
    // W-buffering is an ordinary depth test here.
    const bool depth = r[D3DRS_ZENABLE] != D3DZB_FALSE && params_.EnableAutoDepthStencil;
    enable(GL_DEPTH_TEST, c.depthTest, depth);
    if (depth) {
        GLenum f = CompareFunc(r[D3DRS_ZFUNC]);
        if (f != c.depthFunc) {
            glDepthFunc(f);
            c.depthFunc = f;
            ++glCalls_;
        }
        int mask = r[D3DRS_ZWRITEENABLE] ? 1 : 0;
        if (mask != c.depthMask) {
            glDepthMask(mask ? GL_TRUE : GL_FALSE);
            c.depthMask = mask;
            ++glCalls_;
        }
    }
    // Direct3D's screen is y-down and this back buffer's first row is the top, so
    // a triangle clockwise on Direct3D's screen is counter-clockwise to GL.
    const DWORD cull = r[D3DRS_CULLMODE];
    enable(GL_CULL_FACE, c.cull, cull == D3DCULL_CW || cull == D3DCULL_CCW);
    if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
        GLenum face = cull == D3DCULL_CCW ? GL_BACK : GL_FRONT;
        if (face != c.cullFace) {
            glCullFace(face);
            c.cullFace = face;
            ++glCalls_;
        }
    }
    int colorMask = static_cast<int>(r[D3DRS_COLORWRITEENABLE] & 0xF);
    if (colorMask != c.colorMask) {
        glColorMask(colorMask & 1, (colorMask >> 1) & 1, (colorMask >> 2) & 1,
                    (colorMask >> 3) & 1);
        c.colorMask = colorMask;
        ++glCalls_;
    }
    const D3DVIEWPORT9& vp = state_.viewport;
    const GLint v[4] = {GLint(vp.X), GLint(vp.Y), GLint(vp.Width), GLint(vp.Height)};
    if (memcmp(v, c.viewport, sizeof v) != 0) {
        glViewport(v[0], v[1], v[2], v[3]);
        memcpy(c.viewport, v, sizeof v);
        ++glCalls_;
    }
    if (vp.MinZ != c.depthRange[0] || vp.MaxZ != c.depthRange[1]) {
        glDepthRange(vp.MinZ, vp.MaxZ);
        c.depthRange[0] = vp.MinZ, c.depthRange[1] = vp.MaxZ;
        ++glCalls_;
    }
    if (c.scissor != 0) {
        glDisable(GL_SCISSOR_TEST);
        c.scissor = 0;
        ++glCalls_;
    }
}

void Device::BindTextures(const Program& program) {
    for (int unit = 0; unit < 2; ++unit) {
        if (!program.key.UsesTexture(unit)) continue;
        Texture* t = state_.texture[unit];
        GLuint name = t ? t->name() : white_;
        if (gl_->texture[unit] != name) {
            if (gl_->activeUnit != unit) {
                glActiveTexture(GL_TEXTURE0 + unit);
                gl_->activeUnit = unit;
                ++glCalls_;
            }
            glBindTexture(GL_TEXTURE_2D, name);
            gl_->texture[unit] = name;
            ++glCalls_;
        }
        const DWORD* s = state_.sampler[unit];
        const uint32_t key = (s[D3DSAMP_ADDRESSU] & 7) | ((s[D3DSAMP_ADDRESSV] & 7) << 3) |
                             ((s[D3DSAMP_MAGFILTER] & 3) << 6) | ((s[D3DSAMP_MINFILTER] & 3) << 8) |
                             ((s[D3DSAMP_MIPFILTER] & 3) << 10);
        GLuint& sampler = samplers_[key];
        if (!sampler) {
            glGenSamplers(1, &sampler);
            const bool magLinear = s[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
            const bool minLinear = s[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
            GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
            if (s[D3DSAMP_MIPFILTER] == D3DTEXF_POINT)
                minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
            else if (s[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR)
                minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
            glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
            glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
            glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(s[D3DSAMP_ADDRESSU]));
            glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(s[D3DSAMP_ADDRESSV]));
        }
        if (gl_->sampler[unit] != sampler) {
            glBindSampler(unit, sampler);
            gl_->sampler[unit] = sampler;
            ++glCalls_;
        }
    }
}

void Device::SetupAttributes(GLuint buffer, size_t offset, UINT stride) {
    GlCache& c = *gl_;
    const DWORD fvf = state_.fvf;
    if (c.attrBuffer == buffer && c.attrOffset == offset && c.attrStride == stride &&
        c.attrFvf == fvf)
        return;
    BindArrayBuffer(buffer);
    unsigned enabled = 0;
    size_t at = offset;
    auto pointer = [&](GLuint index, GLint size, GLenum type, GLboolean norm) {
        glVertexAttribPointer(index, size, type, norm, GLsizei(stride),
                              reinterpret_cast<const void*>(at));
        enabled |= 1u << index;
        ++glCalls_;
    };
    if ((fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW) {
        pointer(0, 4, GL_FLOAT, GL_FALSE);
        at += 16;
    } else {
        pointer(0, 3, GL_FLOAT, GL_FALSE);
        at += 12;
    }
    if (fvf & D3DFVF_NORMAL) at += 12;
    if (fvf & D3DFVF_PSIZE) at += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        pointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
        at += 4;
    }
    if (fvf & D3DFVF_SPECULAR) at += 4;
    const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (UINT i = 0; i < sets && i < 2; ++i) {
        pointer(2 + i, 2, GL_FLOAT, GL_FALSE);
        at += 8;
    }
    for (GLuint i = 0; i < 4; ++i) {
        const unsigned bit = 1u << i;
        if ((enabled & bit) == (c.enabled & bit)) continue;
        if (enabled & bit)
            glEnableVertexAttribArray(i);
        else
            glDisableVertexAttribArray(i);
        ++glCalls_;
    }
    c.enabled = enabled;
    c.attrBuffer = buffer;
    c.attrOffset = offset;
    c.attrStride = stride;
    c.attrFvf = fvf;
}

HRESULT Device::Draw(D3DPRIMITIVETYPE type, UINT count, GLuint buffer, size_t offset, UINT stride,
                     UINT first) {
    const UINT vertices = VertexCount(type, count);
    if (vertices == 0) return D3D_OK;
    MakeCurrent();
    if (stateDirty_) ApplyFixedState();
    Program* p = CurrentProgram();
    stateDirty_ = false;
    if (gl_->program != p->id) {
        glUseProgram(p->id);
        gl_->program = p->id;
        ++glCalls_;
    }
    const D3DVIEWPORT9& vp = state_.viewport;
    const float viewport[4] = {float(vp.X), float(vp.Y), float(vp.Width), float(vp.Height)};
    if (memcmp(viewport, p->viewport, sizeof viewport) != 0) {
        glUniform4fv(p->uViewport, 1, viewport);
        memcpy(p->viewport, viewport, sizeof viewport);
        ++glCalls_;
    }
    if (!p->key.pretransformed) {
        if (transformDirty_) {
            D3DMATRIX wv, wvp;
            Multiply(state_.world, state_.view, wv);
            Multiply(wv, state_.projection, wvp);
            memcpy(wvp_, wvp.m, sizeof wvp_);
            transformDirty_ = false;
        }
        if (memcmp(wvp_, p->wvp, sizeof wvp_) != 0) {
            glUniformMatrix4fv(p->uWvp, 1, GL_FALSE, wvp_);
            memcpy(p->wvp, wvp_, sizeof wvp_);
            ++glCalls_;
        }
    }
    if (p->key.lighting) {
        // No lights: what is left is the global ambient on the material, plus emission.
        const D3DMATERIAL9& m = state_.material;
        const DWORD a = state_.render[D3DRS_AMBIENT];
        const float ar = ((a >> 16) & 0xFF) / 255.0f, ag = ((a >> 8) & 0xFF) / 255.0f,
                    ab = (a & 0xFF) / 255.0f;
        const float lit[4] = {std::min(1.0f, ar * m.Ambient.r + m.Emissive.r),
                              std::min(1.0f, ag * m.Ambient.g + m.Emissive.g),
                              std::min(1.0f, ab * m.Ambient.b + m.Emissive.b), m.Diffuse.a};
        if (memcmp(lit, p->lit, sizeof lit) != 0) {
            glUniform4fv(p->uLit, 1, lit);
            memcpy(p->lit, lit, sizeof lit);
            ++glCalls_;
        }
    }
    const DWORD tf = state_.render[D3DRS_TEXTUREFACTOR];
    if (p->uTfactor >= 0 && (!p->tfactorSet || tf != p->tfactor)) {
        glUniform4f(p->uTfactor, ((tf >> 16) & 0xFF) / 255.0f, ((tf >> 8) & 0xFF) / 255.0f,
                    (tf & 0xFF) / 255.0f, ((tf >> 24) & 0xFF) / 255.0f);
        p->tfactor = tf;
        p->tfactorSet = true;
        ++glCalls_;
    }
    if (p->key.alphaTest) {
        const int ref = static_cast<int>(state_.render[D3DRS_ALPHAREF] & 0xFF);
        if (ref != p->alphaRef) {
            glUniform1i(p->uAlphaRef, ref);
            p->alphaRef = ref;
            ++glCalls_;
        }
    }
    BindTextures(*p);
    SetupAttributes(buffer, offset, stride);
    glDrawArrays(PrimitiveMode(type), GLint(first), GLsizei(vertices));
    ++glCalls_;
    return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) {
    if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN || recording_) return D3DERR_INVALIDCALL;
    const UINT stride = state_.streamStride;
    VertexBuffer* vb = state_.stream;
    if (!vb || stride == 0 || FvfStride(state_.fvf) > stride || state_.fvf == 0)
        return D3DERR_INVALIDCALL;
    const uint64_t end = state_.streamOffset +
                         (uint64_t(startVertex) + VertexCount(type, count)) * stride -
                         (stride - FvfStride(state_.fvf));
    if (VertexCount(type, count) > 0 && end > vb->length()) return D3DERR_INVALIDCALL;
    return Draw(type, count, vb->name(), state_.streamOffset, stride, startVertex);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data, UINT stride) {
    if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN || !data || stride == 0 || recording_ ||
        state_.fvf == 0 || FvfStride(state_.fvf) > stride)
        return D3DERR_INVALIDCALL;
    const size_t bytes = size_t(VertexCount(type, count)) * stride;
    HRESULT hr = D3D_OK;
    if (bytes > 0) {
        MakeCurrent();
        if (bytes > streamSize_) {
            streamSize_ = std::max(bytes, streamSize_ * 2);
            BindArrayBuffer(streamBuffer_);
            glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(streamSize_), nullptr, GL_STREAM_DRAW);
            streamOffset_ = 0;
            gl_->attrOffset = ~size_t(0);
            ++glCalls_;
        }
        // Stream the vertices into a ring; orphan it when it wraps.
        size_t at = (streamOffset_ + stride - 1) / stride * stride;
        if (at + bytes > streamSize_) {
            BindArrayBuffer(streamBuffer_);
            glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(streamSize_), nullptr, GL_STREAM_DRAW);
            at = 0;
            ++glCalls_;
        }
        BindArrayBuffer(streamBuffer_);
        glBufferSubData(GL_ARRAY_BUFFER, GLintptr(at), GLsizeiptr(bytes), data);
        ++glCalls_;
        streamOffset_ = at + bytes;
        hr = Draw(type, count, streamBuffer_, at, stride, 0);
    }
    // Direct3D leaves stream 0 unbound after a draw from user memory.
    state_.stream = nullptr;
    state_.streamOffset = 0;
    state_.streamStride = 0;
    return hr;
}

} // namespace d3d9gl
