#include "scenes/word_cards.h"
#include "scenes/vertices.h"

WordCards::WordCards(IDirect3DDevice9* device)
    : quad(nullptr), letterCard(nullptr), truthCard(nullptr), beautyCard(nullptr),
      freedomCard(nullptr), loveCard(nullptr), device(device) {}

HRESULT WordCards::Load() {
    struct {
        const char* file;
        IDirect3DTexture9** texture;
    } files[] = {{"Textures\\letter.png", &letterCard},
                 {"Textures\\truth.png", &truthCard},
                 {"Textures\\beauty.png", &beautyCard},
                 {"Textures\\freedom.png", &freedomCard},
                 {"Textures\\love.png", &loveCard}};
    for (auto& f : files)
        if (FAILED(LoadTexture(device, f.file, true, f.texture))) return E_FAIL;
    if (FAILED(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY,
                                          kScreenVertexFvf, D3DPOOL_MANAGED, &quad, nullptr)))
        return E_FAIL;
    D3DVIEWPORT9 vp{};
    device->GetViewport(&vp);
    return WriteScreenQuad(quad, static_cast<float>(vp.Width), static_cast<float>(vp.Height),
                           false);
}

HRESULT WordCards::Draw(int card) {
    SetBlendedScreenStates(device);
    IDirect3DTexture9* const cards[5] = {letterCard, truthCard, beautyCard, freedomCard, loveCard};
    const unsigned number = static_cast<unsigned>(card);
    if (number >= 1 && number <= 5) device->SetTexture(0, cards[number - 1]);
    device->SetStreamSource(0, quad, 0, sizeof(ScreenVertex));
    device->SetFVF(kScreenVertexFvf);
    return device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

void WordCards::Release() {
    ReleaseAndClear(quad);
    ReleaseAndClear(letterCard);
    ReleaseAndClear(truthCard);
    ReleaseAndClear(beautyCard);
    ReleaseAndClear(freedomCard);
    ReleaseAndClear(loveCard);
}
