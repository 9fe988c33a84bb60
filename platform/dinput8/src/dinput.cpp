#include "dinput.h"
#include "dinput_testing.h"

#include <win32_com.h>

#include <SDL.h>

const GUID IID_IDirectInput8A = {
    0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID GUID_SysKeyboard = {
    0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {
    0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID DIPROP_BUFFERSIZE_ID = {1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

const DIDATAFORMAT c_dfDIKeyboard = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse2 = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 20, 0, nullptr};

namespace {

const GUID* refusedDevice = nullptr;

class Device final : public ComObject<IDirectInputDevice8A> {
  public:
    explicit Device(bool keyboard) : keyboard(keyboard) {}

    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override {
        if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
        if (property != DIPROP_BUFFERSIZE) return DIERR_UNSUPPORTED;
        if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE ||
            header->dwObj != 0)
            return DIERR_INVALIDPARAM;
        if (acquired) return DIERR_ACQUIRED;
        bufferSize = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        return DI_OK;
    }

    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override {
        if (!format || format->dwSize != sizeof(DIDATAFORMAT) ||
            format->dwObjSize != sizeof(DIOBJECTDATAFORMAT) || format->dwDataSize % 4 != 0)
            return DIERR_INVALIDPARAM;
        if (acquired) return DIERR_ACQUIRED;
        dataSize = format->dwDataSize;
        return DI_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        DWORD access = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
        DWORD when = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
        if (access == 0 || access == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) || when == 0 ||
            when == (DISCL_FOREGROUND | DISCL_BACKGROUND) || (flags & ~DWORD(0x1F)) != 0)
            return DIERR_INVALIDPARAM;
        if (keyboard && access == DISCL_EXCLUSIVE && when == DISCL_BACKGROUND)
            return DIERR_UNSUPPORTED;
        if ((window || access == DISCL_EXCLUSIVE || when == DISCL_FOREGROUND) && !IsWindow(window))
            return DIERR_HANDLE;
        cooperativeFlags = flags;
        return DI_OK;
    }

    HRESULT Acquire() override {
        if (dataSize == 0) return DIERR_INVALIDPARAM; // no data format yet
        if (acquired) return S_FALSE;
        // The state would come from SDL's keyboard and mouse; make sure events flow.
        if (!SDL_WasInit(SDL_INIT_EVENTS)) SDL_InitSubSystem(SDL_INIT_EVENTS);
        acquired = true;
        return DI_OK;
    }

    HRESULT Unacquire() override {
        if (!acquired) return DI_NOEFFECT;
        acquired = false;
        return DI_OK;
    }

  private:
    bool keyboard;
    bool acquired = false;
    DWORD bufferSize = 0;
    DWORD dataSize = 0;
    DWORD cooperativeFlags = 0;
};

class DirectInput final : public ComObject<IDirectInput8A> {
  public:
    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) override {
        if (!device) return DIERR_INVALIDPARAM;
        *device = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        bool keyboard = guid == GUID_SysKeyboard;
        if (!keyboard && guid != GUID_SysMouse) return DIERR_DEVICENOTREG;
        if (refusedDevice && *refusedDevice == guid) return DIERR_DEVICENOTREG;
        *device = new Device(keyboard);
        return DI_OK;
    }
};

} // namespace

void DInputTestRefuseDevice(const GUID* device) {
    refusedDevice = device;
}

HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* out,
                                  LPUNKNOWN outer) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (!instance) return DIERR_INVALIDPARAM;
    if (version < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
    if (version > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (riid != IID_IDirectInput8A) return DIERR_NOINTERFACE;
    *out = static_cast<IDirectInput8A*>(new DirectInput);
    return DI_OK;
}
