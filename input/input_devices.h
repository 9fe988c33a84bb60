// The keyboard and mouse, opened through DirectInput at start-up.
#pragma once
#include <windows.h>
#include <dinput.h>

class InputDevices {
  public:
    explicit InputDevices(HWND window);
    ~InputDevices();
    InputDevices(const InputDevices&) = delete;
    InputDevices& operator=(const InputDevices&) = delete;
    HRESULT CreateDirectInput();
    HRESULT CreateDevices();

    IDirectInput8A* directInput;
    IDirectInputDevice8A* keyboard;
    IDirectInputDevice8A* mouse;
    BYTE keyState[256];
    HWND window;
};
