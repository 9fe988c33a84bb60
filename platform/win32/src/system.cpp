// Clocks, the module handle, message boxes and small kernel32 helpers.
#include "internal.h"
#include "win32_sdl.h"
#include "win32_testing.h"

#include <SDL.h>
#include <strings.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

Win32ClockHooks clockHooks;
Win32MessageBoxHook messageBoxHook = nullptr;

int64_t MonotonicNanoseconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// SDL's dummy and offscreen drivers have nobody to click a box away.
bool HeadlessDriverRequested() {
    const char* driver = getenv("SDL_VIDEODRIVER");
    return driver && (strcasecmp(driver, "dummy") == 0 || strcasecmp(driver, "offscreen") == 0);
}

} // namespace

void Win32SetClockHooks(const Win32ClockHooks& hooks) {
    clockHooks = hooks;
}
void Win32SetMessageBoxHook(Win32MessageBoxHook hook) {
    messageBoxHook = hook;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    static HINSTANCE__ executable{};
    return moduleName ? nullptr : &executable;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (clockHooks.queryFrequency) return clockHooks.queryFrequency(frequency);
    if (!frequency) return FALSE;
    frequency->QuadPart = 1000000000; // CLOCK_MONOTONIC counts nanoseconds
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (clockHooks.queryCounter) return clockHooks.queryCounter(count);
    if (!count) return FALSE;
    count->QuadPart = MonotonicNanoseconds();
    return TRUE;
}

DWORD timeGetTime() {
    if (clockHooks.milliseconds) return clockHooks.milliseconds();
    return static_cast<DWORD>(MonotonicNanoseconds() / 1000000); // wraps as a 32-bit count
}

DWORD GetTickCount() {
    return static_cast<DWORD>(MonotonicNanoseconds() / 1000000);
}

void Sleep(DWORD milliseconds) {
    timespec ts{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000};
    nanosleep(&ts, nullptr);
}

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    // Rounded to nearest, halves away from zero, as Windows does.
    bool negative = (product < 0) != (denominator < 0);
    int64_t a = product < 0 ? -product : product;
    int64_t b = denominator < 0 ? -static_cast<int64_t>(denominator) : denominator;
    int64_t q = (a + b / 2) / b;
    if (q > 0x7FFFFFFF) return -1;
    return static_cast<int>(negative ? -q : q);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    const char* t = text ? text : "";
    const char* c = caption ? caption : "Error";
    fprintf(stderr, "%s: %s\n", c, t);
    fflush(stderr);
    if (messageBoxHook) return messageBoxHook(owner, text, caption, type);
    if (HeadlessDriverRequested()) return IDOK;
    Uint32 flags = (type & 0xF0) == MB_ICONERROR     ? SDL_MESSAGEBOX_ERROR
                   : (type & 0xF0) == MB_ICONWARNING ? SDL_MESSAGEBOX_WARNING
                                                     : SDL_MESSAGEBOX_INFORMATION;
    // Without a display the box cannot show; the text is on stderr already.
    SDL_ShowSimpleMessageBox(flags, c, t, Win32GetSdlWindow(owner));
    return IDOK;
}
