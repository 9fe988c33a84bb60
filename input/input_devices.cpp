#include "input/input_devices.h"

#include <cstring>

InputDevices::InputDevices(HWND window)
    : directInput(nullptr), keyboard(nullptr), mouse(nullptr), window(window) {}

// The devices stay acquired for the whole run; they are given back with the object.
InputDevices::~InputDevices() {
    if (mouse) mouse->Release();
    if (keyboard) keyboard->Release();
    if (directInput) directInput->Release();
}

HRESULT InputDevices::CreateDirectInput() {
    HRESULT hr = DirectInput8Create(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A,
                                    reinterpret_cast<void**>(&directInput), nullptr);
    return FAILED(hr) ? E_FAIL : S_OK;
}

HRESULT InputDevices::CreateDevices() {
    if (!directInput) return E_FAIL; // nothing to create the devices with
    const DWORD shared = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    if (FAILED(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr))) return E_FAIL;
    DIPROPDWORD bufferSize{};
    bufferSize.diph.dwSize = sizeof(DIPROPDWORD);
    bufferSize.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    bufferSize.diph.dwObj = 0;
    bufferSize.diph.dwHow = DIPH_DEVICE;
    bufferSize.dwData = 10;
    if (FAILED(keyboard->SetProperty(DIPROP_BUFFERSIZE, &bufferSize.diph))) return E_FAIL;
    if (FAILED(keyboard->SetDataFormat(&c_dfDIKeyboard))) return E_FAIL;
    if (FAILED(keyboard->SetCooperativeLevel(window, shared))) return E_FAIL;
    if (FAILED(directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr))) return E_FAIL;
    if (FAILED(mouse->SetDataFormat(&c_dfDIMouse2))) return E_FAIL;
    if (FAILED(mouse->SetCooperativeLevel(window, shared))) return E_FAIL;
    keyboard->Acquire();
    mouse->Acquire();
    memset(keyState, 0, sizeof keyState);
    return S_OK;
}
