// For the other stand-ins only (they may use SDL): the SDL window behind a window
// handle, and the queue's hook for events they want to see first.
#pragma once
#include <windows.h>

struct SDL_Window;
union SDL_Event;

SDL_Window* Win32GetSdlWindow(HWND window);
HWND Win32FindWindow(SDL_Window* window);
// Makes sure SDL's video subsystem runs; false when there is no display.
bool Win32InitVideo();
