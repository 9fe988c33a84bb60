#include "app/entry.h"

int RunApplication(AppFramework& app, HINSTANCE instance) {
    try {
        app.CreateMainWindow("Kelvane", "Quillmere", instance);
        app.Initialize();
    } catch (const char* text) {
        MessageBoxA(app.window, text, "Quillmere", MB_OK);
        app.CleanUp();
        return 0;
    } catch (...) {
        MessageBoxA(app.window, "An unknown error occurred", "Quillmere", MB_OK);
        app.CleanUp();
        return 0;
    }
    return static_cast<int>(app.Run());
}
