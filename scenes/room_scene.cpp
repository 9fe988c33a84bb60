#include "scenes/room_scene.h"
#include "scenes/vertices.h"

namespace {

struct Slot {
    int index;
    RoomVertex v;
};

// Slots 6-11 stay as the buffer was created (zero: two degenerate triangles).
const Slot kRoom[] = {
    {0, {-40, -40, 0, 0, 1}},    {1, {120, -40, 120, 1, 0}},  {2, {-40, -40, 120, 0, 0}},
    {3, {-40, -40, 0, 0, 1}},    {4, {120, -40, 0, 1, 1}},    {5, {120, -40, 120, 1, 0}},
    {12, {-40, 40, 0, 0, 1}},    {13, {120, -40, 0, 1, 0}},   {14, {-40, -40, 0, 0, 0}},
    {15, {-40, 40, 0, 0, 1}},    {16, {120, 40, 0, 1, 1}},    {17, {120, -40, 0, 1, 0}},
    {18, {-40, -40, 120, 0, 1}}, {19, {120, 40, 120, 1, 0}},  {20, {-40, 40, 120, 0, 0}},
    {21, {-40, -40, 120, 0, 1}}, {22, {120, -40, 120, 1, 1}}, {23, {120, 40, 120, 1, 0}},
    {24, {120, 40, 0, 0, 1}},    {25, {120, -40, 120, 1, 0}}, {26, {120, -40, 0, 0, 0}},
    {27, {120, 40, 0, 0, 1}},    {28, {120, 40, 120, 1, 1}},  {29, {120, -40, 120, 1, 0}},
};

} // namespace

RoomScene::RoomScene(IDirect3DDevice9* device)
    : vertexBuffer(nullptr), device(device), texture(nullptr) {}

HRESULT RoomScene::Load() {
    if (FAILED(LoadTexture(device, "textures\\wall.bmp", false, &texture))) return E_FAIL;
    if (FAILED(device->CreateVertexBuffer(30 * sizeof(RoomVertex), D3DUSAGE_WRITEONLY,
                                          kRoomVertexFvf, D3DPOOL_MANAGED, &vertexBuffer, nullptr)))
        return E_FAIL;
    void* data = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &data, 0)) || !data) return E_FAIL;
    auto* vertices = static_cast<RoomVertex*>(data);
    for (const Slot& s : kRoom)
        vertices[s.index] = s.v;
    vertexBuffer->Unlock();
    return S_OK;
}

HRESULT RoomScene::Draw() {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetTexture(0, texture);
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(RoomVertex));
    device->SetFVF(kRoomVertexFvf);
    return device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 10);
}

void RoomScene::Release() {
    ReleaseAndClear(vertexBuffer);
    ReleaseAndClear(texture);
}
