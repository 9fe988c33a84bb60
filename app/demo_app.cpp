#include "app/demo_app.h"
#include "app/timer.h"
#include "audio/music.h"
#include "input/input_devices.h"

DemoApp::DemoApp()
    : model1(nullptr), model2(nullptr), model3(nullptr), room(nullptr), pictures(nullptr),
      wordCards(nullptr), filmOverlay(nullptr), input(nullptr), modelStage(0) {}

// The objects that clean-up leaves (it is skipped on the quit roads) go with the
// application object at the end of the entry point.
DemoApp::~DemoApp() {
    delete input;
}

void DemoApp::Initialize() {
    modelStage = 1;

    input = new InputDevices(window);
    if (SUCCEEDED(input->CreateDirectInput())) input->CreateDevices();

    music = OpenMusic();
    AppTimer(TimerCommand::Start);
    ready = 1;
}

void DemoApp::CleanUp() {
    ReleaseVolatileObjects();
    UnregisterClassA("Kelvane", instance);
}

HRESULT DemoApp::Render() {
    return S_OK;
}
HRESULT DemoApp::StepFrame() {
    return S_OK;
}
HRESULT DemoApp::ReleaseVolatileObjects() {
    return S_OK;
}
HRESULT DemoApp::RestoreVolatileObjects() {
    return S_OK;
}
