// The demo's application object: the models and scene objects, start-up, clean-up,
// the frame and the device-reset hooks.
#pragma once
#include "app/app_framework.h"

class Md2Model;
class RoomScene;
class PictureScene;
class WordCards;
class FilmOverlay;
class InputDevices;

class DemoApp : public AppFramework {
  public:
    DemoApp();
    ~DemoApp();
    DemoApp(const DemoApp&) = delete;
    DemoApp& operator=(const DemoApp&) = delete;

    void Initialize() override;
    void CleanUp() override;
    HRESULT Render() override;
    HRESULT StepFrame() override;
    HRESULT ReleaseVolatileObjects() override;
    HRESULT RestoreVolatileObjects() override;

    Md2Model* model1;
    Md2Model* model2;
    Md2Model* model3;
    RoomScene* room;
    PictureScene* pictures;
    WordCards* wordCards;
    FilmOverlay* filmOverlay;
    InputDevices* input;
    int modelStage;

  private:
    // The scene objects' textures and buffers, the models' frames and skins.
    void ReleaseSceneObjects();
};
