// One frame of the demo: the music position alone picks what is drawn.
#include "app/demo_app.h"
#include "audio/music.h"
#include "models/md2_model.h"
#include "scenes/film_overlay.h"
#include "scenes/picture_scene.h"
#include "scenes/room_scene.h"
#include "scenes/word_cards.h"

HRESULT DemoApp::Render() {
    if (FAILED(StepFrame())) return E_FAIL;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    // Each test reads the position anew, as a signed value.
    auto t = [this]() -> MusicTime { return GetMusicTime(music); };
    if (t() < 14000) {
        room->Draw();
        const float step = frameSeconds * 10.0f;
        if (modelStage == 1)
            modelStage += model1->Play(step);
        else if (modelStage == 2)
            modelStage += model2->Play(step);
        else if (modelStage == 3)
            modelStage += model3->Play(step);
        filmOverlay->Draw(step);
    } else if (t() < 30000) {
        pictures->Draw(frameSeconds * 5.0f);
    } else {
        if (t() < 40000)
            wordCards->Draw(1);
        else if (43000 < t() && t() < 44000)
            wordCards->Draw(2);
        else if (45000 < t() && t() < 46000)
            wordCards->Draw(3);
        else if (46500 < t() && t() < 47500)
            wordCards->Draw(4);
        if (48000 < t() && t() < 50000) wordCards->Draw(5);
        if (t() >= 50000) PostQuitMessage(0);
    }
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    return S_OK;
}
