// Window classes, windows, icons and the cursor on SDL2.
#include "internal.h"
#include "win32_resources.h"
#include "win32_sdl.h"

#include <SDL.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

struct Win32Icon : HICON__ {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

struct WindowClass {
    WNDCLASSEXA info{};
    std::string name;
};

struct Registry {
    std::map<std::string, WindowClass> classes; // by lower-case name
    std::vector<Win32Window*> windows;
    std::map<int, std::unique_ptr<Win32Icon>> icons;
};

// Never destroyed: windows may outlive main() on the roads that skip clean-up.
Registry& State() {
    static Registry* registry = new Registry;
    return *registry;
}

std::string Lower(const char* s) {
    std::string out = s ? s : "";
    for (char& c : out)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

void SetSdlIcon(SDL_Window* sdl, HICON icon) {
    auto* data = static_cast<Win32Icon*>(icon);
    if (!sdl || !data) return;
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(data->pixels.data(), data->width, data->height, 32,
                                           data->width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    SDL_SetWindowIcon(sdl, surface);
    SDL_FreeSurface(surface);
}

// A busy X server can refuse a connection for a moment, and SDL would then fall back to
// a driver that shows nothing. Where a display is named and no driver asked for, X11 is
// tried for a while first.
bool InitNamedDisplay() {
    const char* display = SDL_getenv("DISPLAY");
    if (SDL_getenv("SDL_VIDEODRIVER") || !display || !*display) return false;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    bool up = false;
    for (int attempt = 0; attempt < 20 && !up; ++attempt) {
        up = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!up) SDL_Delay(50);
    }
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    return up;
}

} // namespace

bool Win32InitVideo() {
    // Video stays up until the process ends: the display connection closes with it.
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (!InitNamedDisplay() && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // Without a display SDL may fall back to a driver that shows nothing; a program
    // would then run unseen. Only a driver asked for by name may be one of those.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const bool invisible =
        driver && (strcasecmp(driver, "offscreen") == 0 || strcasecmp(driver, "dummy") == 0 ||
                   strcasecmp(driver, "evdev") == 0);
    if (invisible && !(asked && strcasecmp(asked, driver) == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

Win32Window* Win32Lookup(HWND window) {
    auto& windows = State().windows;
    auto it = std::find(windows.begin(), windows.end(), window);
    return it == windows.end() ? nullptr : *it;
}

Win32Window* Win32LookupSdlId(unsigned id) {
    for (Win32Window* w : State().windows)
        if (w->sdl && SDL_GetWindowID(w->sdl) == id) return w;
    return nullptr;
}

void Win32PostCloseToAll() {
    for (Win32Window* w : State().windows)
        PostMessageA(w, WM_CLOSE, 0, 0);
}

SDL_Window* Win32GetSdlWindow(HWND window) {
    Win32Window* w = Win32Lookup(window);
    return w ? w->sdl : nullptr;
}

HWND Win32FindWindow(SDL_Window* sdl) {
    for (Win32Window* w : State().windows)
        if (w->sdl == sdl) return w;
    return nullptr;
}

void Win32RegisterIconResource(int id, int width, int height, const uint32_t* argb) {
    if (width <= 0 || height <= 0 || !argb) return;
    auto icon = std::make_unique<Win32Icon>();
    icon->width = width;
    icon->height = height;
    icon->pixels.assign(argb, argb + static_cast<size_t>(width) * height);
    State().icons[id] = std::move(icon);
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    auto& icons = State().icons;
    auto it = icons.find(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
    return it == icons.end() ? nullptr : it->second.get();
}

// The program has no cursor resources; the system cursors are not needed.
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) {
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    // Only "no cursor" is used: hide the pointer over our windows.
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursor ? SDL_ENABLE : SDL_DISABLE);
    return nullptr;
}

int ShowCursor(BOOL show) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    return show ? 0 : -1;
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName || !wc->lpfnWndProc)
        return 0;
    std::string key = Lower(wc->lpszClassName);
    auto& classes = State().classes;
    if (classes.count(key)) return 0; // already registered, as Windows answers
    WindowClass& c = classes[key];
    c.info = *wc;
    c.name = wc->lpszClassName;
    c.info.lpszClassName = c.name.c_str();
    c.info.lpszMenuName = nullptr;
    return static_cast<ATOM>(0xC000 + classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    auto& classes = State().classes;
    auto it = classes.find(Lower(className));
    if (it == classes.end()) return FALSE;
    for (Win32Window* w : State().windows)
        if (w->className == it->second.name) return FALSE; // windows of the class still live
    classes.erase(it);
    return TRUE;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
    auto& classes = State().classes;
    auto it = classes.find(Lower(className));
    if (it == classes.end()) return nullptr;
    if (!Win32InitVideo()) return nullptr;

    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
    if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if ((style & WS_POPUP) || !(style & WS_CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
    int px = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : x;
    int py = y == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : y;
    int w = width == CW_USEDEFAULT ? 640 : std::max(width, 1);
    int h = height == CW_USEDEFAULT ? 480 : std::max(height, 1);

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_Window* sdl = SDL_CreateWindow(windowName ? windowName : "", px, py, w, h, flags);
    if (!sdl) // a video driver without OpenGL (SDL's dummy driver) still gets its window
        sdl = SDL_CreateWindow(windowName ? windowName : "", px, py, w, h,
                               flags & ~SDL_WINDOW_OPENGL);
    if (!sdl) return nullptr;

    // The size given is the outer size, frame included: the client area is what is left.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(sdl, &top, &left, &bottom, &right) == 0 &&
        (top || left || bottom || right))
        SDL_SetWindowSize(sdl, std::max(1, w - left - right), std::max(1, h - top - bottom));

    auto* window = new Win32Window;
    window->proc = it->second.info.lpfnWndProc;
    window->sdl = sdl;
    window->className = it->second.name;
    window->style = style;
    State().windows.push_back(window);
    SetSdlIcon(sdl, it->second.info.hIcon ? it->second.info.hIcon : it->second.info.hIconSm);

    window->proc(window, WM_NCCREATE, 0, 0);
    window->proc(window, WM_CREATE, 0, 0);
    if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    return window;
}

BOOL DestroyWindow(HWND handle) {
    Win32Window* window = Win32Lookup(handle);
    if (!window) return FALSE;
    window->proc(window, WM_DESTROY, 0, 0);
    window->proc(window, WM_NCDESTROY, 0, 0);
    auto& windows = State().windows;
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
    if (window->sdl) SDL_DestroyWindow(window->sdl);
    delete window;
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return Win32Lookup(window) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND handle, int command) {
    Win32Window* window = Win32Lookup(handle);
    if (!window) return FALSE;
    BOOL wasVisible = window->shown ? TRUE : FALSE;
    if (command == SW_HIDE) {
        SDL_HideWindow(window->sdl);
        window->shown = false;
        return wasVisible;
    }
    SDL_ShowWindow(window->sdl);
    if (command == SW_SHOWMINIMIZED || command == SW_MINIMIZE) SDL_MinimizeWindow(window->sdl);
    if (command == SW_SHOWMAXIMIZED) SDL_MaximizeWindow(window->sdl);
    if (!window->shown) {
        window->shown = true;
        // Showing a program's first window brings it to the foreground.
        window->proc(window, WM_SHOWWINDOW, TRUE, 0);
        window->proc(window, WM_ACTIVATEAPP, TRUE, 0);
    }
    return wasVisible;
}

BOOL UpdateWindow(HWND handle) {
    return Win32Lookup(handle) ? TRUE : FALSE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
    Win32Window* window = Win32Lookup(handle);
    if (!window || !rect) return FALSE;
    int w = 0, h = 0;
    SDL_GetWindowSize(window->sdl, &w, &h);
    *rect = RECT{0, 0, w, h};
    return TRUE;
}

BOOL GetWindowRect(HWND handle, LPRECT rect) {
    Win32Window* window = Win32Lookup(handle);
    if (!window || !rect) return FALSE;
    int x = 0, y = 0, w = 0, h = 0, top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &w, &h);
    SDL_GetWindowBordersSize(window->sdl, &top, &left, &bottom, &right);
    *rect = RECT{x - left, y - top, x + w + right, y + h + bottom};
    return TRUE;
}

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
    Win32Window* window = Win32Lookup(handle);
    if (!window) return FALSE;
    SDL_SetWindowTitle(window->sdl, text ? text : "");
    return TRUE;
}

int GetWindowTextA(HWND handle, LPSTR text, int maxCount) {
    Win32Window* window = Win32Lookup(handle);
    if (!window || !text || maxCount <= 0) return 0;
    const char* title = SDL_GetWindowTitle(window->sdl);
    int n = static_cast<int>(std::min<size_t>(strlen(title), static_cast<size_t>(maxCount - 1)));
    memcpy(text, title, static_cast<size_t>(n));
    text[n] = '\0';
    return n;
}
