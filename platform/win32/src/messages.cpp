// The thread's message queue, fed from SDL's events.
#include "internal.h"
#include "win32_testing.h"

#include <SDL.h>

#include <deque>

namespace {

struct Queue {
    std::deque<MSG> messages;
    bool quitPosted = false;
    int quitCode = 0;
};

Queue& TheQueue() {
    static Queue* queue = new Queue;
    return *queue;
}

DWORD NowMs() {
    return static_cast<DWORD>(SDL_GetTicks());
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = NowMs();
    TheQueue().messages.push_back(msg);
}

WPARAM VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    switch (key) {
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_F4:
        return VK_F4;
    case SDLK_LALT:
    case SDLK_RALT:
        return VK_MENU;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    default:
        return 0;
    }
}

void Translate(const SDL_Event& e) {
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        Win32Window* window = Win32LookupSdlId(e.key.windowID);
        WPARAM vk = VirtualKey(e.key.keysym.sym);
        if (!window || !vk) return;
        bool alt = (e.key.keysym.mod & KMOD_ALT) != 0 && vk != VK_MENU;
        bool down = e.type == SDL_KEYDOWN;
        if (down && e.key.repeat && alt && vk == VK_RETURN) return; // one switch per press
        LPARAM lParam = 1 | (static_cast<LPARAM>(e.key.keysym.scancode & 0xFF) << 16);
        if (alt) lParam |= LPARAM(1) << 29;
        if (down && e.key.repeat) lParam |= LPARAM(1) << 30;
        if (!down) lParam |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
        UINT message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        Post(window, message, vk, lParam);
        return;
    }
    case SDL_MOUSEMOTION: {
        // Windows sends WM_SETCURSOR while the pointer moves over a window.
        Win32Window* window = Win32LookupSdlId(e.motion.windowID);
        if (window)
            SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                         MAKELONG(HTCLIENT, WM_MOUSEMOVE));
        return;
    }
    case SDL_WINDOWEVENT: {
        Win32Window* window = Win32LookupSdlId(e.window.windowID);
        if (!window) return;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_ENTER:
            SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                         MAKELONG(HTCLIENT, WM_MOUSEMOVE));
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            Post(window, WM_ACTIVATEAPP, TRUE, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            Post(window, WM_ACTIVATEAPP, FALSE, 0);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            Post(window, WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            Post(window, WM_SIZE, 0, MAKELONG(e.window.data1, e.window.data2));
            break;
        default:
            break;
        }
        return;
    }
    case SDL_QUIT: // Ctrl+C in the terminal, or the session asking us to go
        Win32PostCloseToAll();
        return;
    default:
        return;
    }
}

void Pump() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event e;
    while (SDL_PollEvent(&e))
        Translate(e);
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window && msg.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool Take(LPMSG out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    Queue& q = TheQueue();
    for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
        if (!Matches(*it, window, filterMin, filterMax)) continue;
        *out = *it;
        if (remove) q.messages.erase(it);
        return true;
    }
    // The quit message comes only once the queue holds nothing else.
    if (q.quitPosted && q.messages.empty()) {
        *out = MSG{};
        out->message = WM_QUIT;
        out->wParam = static_cast<WPARAM>(q.quitCode);
        out->time = NowMs();
        if (remove) q.quitPosted = false;
        return true;
    }
    return false;
}

} // namespace

void Win32ResetMessageQueue() {
    TheQueue() = Queue{};
}

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
    if (!msg) return FALSE;
    Pump();
    return Take(msg, window, filterMin, filterMax, (removeMessage & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (!msg) return -1;
    for (;;) {
        Pump();
        if (Take(msg, window, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
        if (SDL_WasInit(SDL_INIT_VIDEO)) {
            SDL_Event e;
            if (SDL_WaitEventTimeout(&e, 250)) Translate(e); // sleeps until an event comes
        } else {
            SDL_Delay(10); // nothing can arrive without a display; don't spin
        }
    }
}

BOOL TranslateMessage(const MSG* msg) {
    return msg ? FALSE : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    Win32Window* window = Win32Lookup(msg->hwnd);
    if (!window) return 0;
    return window->proc(window, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !Win32Lookup(window)) return FALSE;
    Post(window, message, wParam, lParam);
    return TRUE;
}

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Window* window = Win32Lookup(handle);
    if (!window) return 0;
    return window->proc(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    TheQueue().quitPosted = true;
    TheQueue().quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4) PostMessageA(window, WM_CLOSE, 0, 0); // Alt+F4
        return 0;
    default:
        return 0;
    }
}
