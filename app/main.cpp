// The process entry point.
#include "app/demo_app.h"
#include "app/entry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DemoApp app;
    return RunApplication(app, instance);
}
