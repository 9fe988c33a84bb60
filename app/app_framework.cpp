#include "app/app_framework.h"
#include "gfx/text_font.h"

AppFramework* application = nullptr;

AppFramework::AppFramework()
    : camera(nullptr), fullscreen(1), active(1), ready(0), window(nullptr), instance(nullptr),
      framesPerSecond(0.0f), frameRateText{}, frameSeconds(0.0f), music(nullptr), direct3d(nullptr),
      device(nullptr), font(new TextFont("Arial", 12, FontBold)), presentParams{} {
    application = this;
}

AppFramework::~AppFramework() {
    delete font;
}

void AppFramework::Initialize() {}
void AppFramework::CleanUp() {}
HRESULT AppFramework::Render() {
    return S_OK;
}
HRESULT AppFramework::StepFrame() {
    return S_OK;
}
HRESULT AppFramework::ReleaseVolatileObjects() {
    return S_OK;
}
HRESULT AppFramework::RestoreVolatileObjects() {
    return S_OK;
}
