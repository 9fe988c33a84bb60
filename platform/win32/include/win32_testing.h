// Extras of the Win32 stand-in that Windows does not have: hooks that let tests
// replace the clocks and the message box, and reset the thread's message queue.
#pragma once
#include <windows.h>

struct Win32ClockHooks {
    BOOL (*queryFrequency)(LARGE_INTEGER*) = nullptr; // null: the real one
    BOOL (*queryCounter)(LARGE_INTEGER*) = nullptr;
    DWORD (*milliseconds)() = nullptr;
};
void Win32SetClockHooks(const Win32ClockHooks& hooks);

// Called instead of showing a box (the text still goes to stderr); null restores.
typedef int (*Win32MessageBoxHook)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
void Win32SetMessageBoxHook(Win32MessageBoxHook hook);

// Empties the queue and forgets a posted quit.
void Win32ResetMessageQueue();
