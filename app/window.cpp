// The main window, its procedure and the message loop.
#include "app/app_framework.h"

void AppFramework::CreateMainWindow(const char* className, const char* title,
                                    HINSTANCE moduleInstance) {
    instance = moduleInstance;

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = StaticWindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = moduleInstance;
    wc.hIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(102));
    wc.hCursor = LoadCursorA(moduleInstance, MAKEINTRESOURCEA(101));
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = className;
    wc.hIconSm = LoadIconA(moduleInstance, MAKEINTRESOURCEA(102));
    RegisterClassExA(&wc);

    HWND created = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, 10, 10, 800, 600,
                                   nullptr, nullptr, moduleInstance, nullptr);
    if (!created) throw "Create window failed";
    ShowWindow(created, SW_SHOWDEFAULT);
    UpdateWindow(created);
    window = created;
}

WPARAM AppFramework::Run() {
    MSG msg{};
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    FMUSIC_PlaySong(music);
    while (msg.message != WM_QUIT) {
        BOOL got = active ? PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)
                          : GetMessageA(&msg, nullptr, 0, 0);
        if (got) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (device) {
            if (FAILED(Render())) SendMessageA(window, WM_CLOSE, 0, 0);
        }
    }
    return msg.wParam;
}

LRESULT CALLBACK AppFramework::StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    return application->HandleMessage(window, message, wParam, lParam);
}

LRESULT AppFramework::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        CleanUp();
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATEAPP:
        if (ready) active = static_cast<int>(wParam);
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return 1;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) PostQuitMessage(0);
        break;
    case WM_SYSKEYDOWN:
        if (wParam == VK_RETURN) SwitchDisplayMode();
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
