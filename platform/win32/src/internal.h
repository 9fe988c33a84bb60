// State shared by the Win32 stand-in's sources.
#pragma once
#include <windows.h>

#include <string>

struct SDL_Window;

struct Win32Window : HWND__ {
    WNDPROC proc = nullptr;
    SDL_Window* sdl = nullptr;
    std::string className;
    DWORD style = 0;
    bool shown = false;
};

// The live window for a handle, or null for anything else (a destroyed window too).
Win32Window* Win32Lookup(HWND window);
Win32Window* Win32LookupSdlId(unsigned sdlWindowId);
// Asks every live window to close (used when SDL reports a quit request).
void Win32PostCloseToAll();
