// The Direct3D object, the device, and the switch between fullscreen and a window.
#include "app/app_framework.h"

HRESULT AppFramework::CreateDirect3D() {
    direct3d = Direct3DCreate9(31);
    if (!direct3d) {
        EngineLog("user is using a different version of directX");
        return E_FAIL;
    }
    return S_OK;
}

HRESULT AppFramework::CreateDisplayDevice() {
    if (device) return S_OK;
    D3DDISPLAYMODE mode;
    if (FAILED(direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) {
        EngineLog("failed to get displaymode");
        return E_FAIL;
    }
    presentParams = D3DPRESENT_PARAMETERS{};
    presentParams.BackBufferWidth = fullscreen ? 800 : 0;
    presentParams.BackBufferHeight = fullscreen ? 600 : 0;
    presentParams.BackBufferFormat = mode.Format;
    presentParams.BackBufferCount = 1;
    presentParams.MultiSampleType = D3DMULTISAMPLE_NONE;
    presentParams.MultiSampleQuality = 0;
    presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParams.hDeviceWindow = window;
    presentParams.Windowed = fullscreen ? FALSE : TRUE;
    presentParams.EnableAutoDepthStencil = TRUE;
    presentParams.AutoDepthStencilFormat = D3DFMT_D16;
    presentParams.Flags = 0;
    presentParams.FullScreen_RefreshRateInHz = 0;
    presentParams.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &presentParams,
                                      &device)) &&
        FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &presentParams,
                                      &device))) {
        EngineLog("failed to create device");
        return E_FAIL;
    }
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_USEW);
    return S_OK;
}

void AppFramework::ReleaseDisplayDevice() {
    if (device) {
        device->Release();
        device = nullptr;
    }
}

void AppFramework::ReleaseDirect3D() {
    if (direct3d) {
        direct3d->Release();
        direct3d = nullptr;
    }
}

HRESULT AppFramework::SwitchDisplayMode() {
    if (!ready || !active) return S_OK;
    ready = 0;
    ReleaseVolatileObjects();
    if (fullscreen) {
        presentParams.BackBufferWidth = 0;
        presentParams.BackBufferHeight = 0;
        presentParams.Windowed = TRUE;
        presentParams.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
        fullscreen = 0;
    } else {
        presentParams.BackBufferWidth = 800;
        presentParams.BackBufferHeight = 600;
        presentParams.Windowed = FALSE;
        presentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        fullscreen = 1;
    }
    if (FAILED(device->Reset(&presentParams))) {
        EngineLog("SwitchDisplayMode() failed.");
        PostMessageA(window, WM_CLOSE, 0, 0);
        return E_FAIL;
    }
    HRESULT restored = RestoreVolatileObjects();
    ready = 1;
    return restored;
}
