// The Direct3D object: the adapter (the desktop's display), its formats and devices.
#include "device.h"

#include <SDL.h>
#include <win32_sdl.h>

#include <cstring>

namespace d3d9gl {

void Direct3D::FillCaps(D3DCAPS9* caps, DWORD maxTexture) {
    memset(caps, 0, sizeof *caps);
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = 0;
    caps->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps->MaxTextureWidth = caps->MaxTextureHeight = maxTexture;
    caps->MaxTextureRepeat = 8192;
    caps->MaxTextureAspectRatio = maxTexture;
    caps->MaxTextureBlendStages = 8;
    caps->MaxSimultaneousTextures = 2;
    caps->MaxStreams = 1;
    caps->MaxStreamStride = 255;
    caps->MaxPrimitiveCount = 0xFFFFF;
    caps->MaxVertexIndex = 0xFFFFF;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    if (!mode || adapter != 0) return D3DERR_INVALIDCALL;
    SDL_DisplayMode desktop{};
    if (!Win32InitVideo() || SDL_GetDesktopDisplayMode(0, &desktop) != 0)
        return D3DERR_NOTAVAILABLE;
    *mode = D3DDISPLAYMODE{static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h),
                           static_cast<UINT>(desktop.refresh_rate > 0 ? desktop.refresh_rate : 60),
                           D3DFMT_X8R8G8B8};
    return D3D_OK;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                    DWORD usage, D3DRESOURCETYPE type, D3DFORMAT checkFormat) {
    if (adapter != 0 || deviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    if (adapterFormat != D3DFMT_X8R8G8B8) return D3DERR_NOTAVAILABLE;
    const bool colour = checkFormat == D3DFMT_X8R8G8B8 || checkFormat == D3DFMT_A8R8G8B8;
    if (usage & D3DUSAGE_RENDERTARGET) return colour ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        return checkFormat == D3DFMT_D16 || checkFormat == D3DFMT_D24S8 ||
                       checkFormat == D3DFMT_D24X8 || checkFormat == D3DFMT_D32
                   ? D3D_OK
                   : D3DERR_NOTAVAILABLE;
    if (type == D3DRTYPE_TEXTURE || type == D3DRTYPE_SURFACE)
        return Texture::BytesPerTexel(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    return D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) {
    if (!caps || adapter != 0) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    FillCaps(caps, 8192); // a device reports the limit of its own context
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                               DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                               IDirect3DDevice9** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!params || adapter != 0) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    const DWORD processing =
        behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                         D3DCREATE_MIXED_VERTEXPROCESSING);
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_MIXED_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    SDL_Window* window =
        Win32GetSdlWindow(params->hDeviceWindow ? params->hDeviceWindow : focusWindow);
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) return D3DERR_NOTAVAILABLE;

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) return D3DERR_NOTAVAILABLE; // no OpenGL 3.3 here

    auto* device = new Device(this, window, context, *params);
    D3DPRESENT_PARAMETERS p = *params;
    HRESULT hr = device->Reset(&p);
    if (FAILED(hr)) {
        device->Release();
        return D3DERR_INVALIDCALL;
    }
    if (params->Windowed) {
        params->BackBufferWidth = p.BackBufferWidth;
        params->BackBufferHeight = p.BackBufferHeight;
    }
    *out = device;
    return D3D_OK;
}

} // namespace d3d9gl

IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != 31 && sdkVersion != D3D_SDK_VERSION) return nullptr;
    if (!Win32InitVideo()) return nullptr;
    return new d3d9gl::Direct3D;
}
