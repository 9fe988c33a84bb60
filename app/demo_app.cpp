#include "app/demo_app.h"
#include "app/timer.h"
#include "audio/music.h"
#include "gfx/text_font.h"
#include "input/input_devices.h"
#include "models/md2_model.h"
#include "scenes/camera.h"
#include "scenes/film_overlay.h"
#include "scenes/picture_scene.h"
#include "scenes/room_scene.h"
#include "scenes/word_cards.h"

#include <initializer_list>

DemoApp::DemoApp()
    : model1(nullptr), model2(nullptr), model3(nullptr), room(nullptr), pictures(nullptr),
      wordCards(nullptr), filmOverlay(nullptr), input(nullptr), modelStage(0) {}

// Clean-up is skipped on the quit roads; what is still held goes with the application
// object at the end of the entry point, so that nothing outlives it.
DemoApp::~DemoApp() {
    ReleaseVolatileObjects();
    ReleaseSceneObjects();
    ReleaseDisplayDevice();
    delete font; // its destructor gives back what it still holds
    font = nullptr;
    ReleaseDirect3D();
    delete camera;
    delete wordCards;
    delete pictures;
    delete room;
    delete filmOverlay;
    delete model1;
    delete model2;
    delete model3;
    delete input;
}

void DemoApp::Initialize() {
    if (FAILED(CreateDirect3D())) throw "Init directX failed";
    if (FAILED(CreateDisplayDevice())) throw "Init directX device failed";
    modelStage = 1;
    camera = new FlyCamera(device);
    font->Build(device);
    font->RestoreVolatileObjects();

    model1 = new Md2Model(device);
    model1->Load("Data\\nalle.md2", "Data\\nalle.bmp");
    model2 = new Md2Model(device);
    model2->Load("Data\\nalle2.md2", "Data\\nalle.bmp");
    model3 = new Md2Model(device);
    model3->Load("Data\\nalle3.md2", "Data\\nalle.bmp");

    filmOverlay = new FilmOverlay(device);
    filmOverlay->Load();
    room = new RoomScene(device);
    room->Load();
    pictures = new PictureScene(device);
    pictures->Load();
    wordCards = new WordCards(device);
    wordCards->Load();

    input = new InputDevices(window);
    // Devices need a DirectInput object to be made with.
    if (SUCCEEDED(input->CreateDirectInput())) input->CreateDevices();

    music = OpenMusic();
    AppTimer(TimerCommand::Start);
    ready = 1;
}

void DemoApp::CleanUp() {
    ReleaseVolatileObjects();
    ReleaseDisplayDevice();
    if (font) {
        font->Release();
        delete font;
        font = nullptr;
    }
    if (camera) {
        delete camera;
        camera = nullptr;
    }
    ReleaseSceneObjects();
    ReleaseDirect3D();
    UnregisterClassA("Kelvane", instance);
}

void DemoApp::ReleaseSceneObjects() {
    if (wordCards) wordCards->Release();
    if (pictures) pictures->Release();
    if (room) room->Release();
    if (filmOverlay) filmOverlay->Release();
    // All three models give back their frames and skins, not only the first.
    for (Md2Model* m : {model1, model2, model3})
        if (m) m->Destroy();
}

HRESULT DemoApp::ReleaseVolatileObjects() {
    return font ? font->ReleaseVolatileObjects() : S_OK;
}
HRESULT DemoApp::RestoreVolatileObjects() {
    return font ? font->RestoreVolatileObjects() : S_OK;
}
