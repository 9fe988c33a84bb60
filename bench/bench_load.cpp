// Loading: an 800 x 600 PNG into a 1024 x 1024 texture with its full chain, and the
// demo's whole start-up with the generated content, through the OpenGL device.
#include "app/demo_app.h"
#include "null_device.h"

#include <benchmark/benchmark.h>
#include <d3dx9.h>

#include <malloc.h>

#include <filesystem>

namespace {

// The demo's process keeps large freed blocks in its heap (the stand-in's main sets this);
// the bench's process does the same, so that loads are measured as the demo makes them.
const bool kDemoHeapPolicy = [] {
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    return true;
}();

void BM_LoadPng800x600(benchmark::State& state) {
    std::filesystem::current_path(QUILLMERE_CONTENT_DIR);
    NullDevice device; // the texture's memory without the upload: D3DX's own work
    for (auto _ : state) {
        IDirect3DTexture9* t = nullptr;
        D3DXCreateTextureFromFileExA(
            &device, "Textures\\1.png", D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
            D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR,
            D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR, 0, nullptr, nullptr, &t);
        if (t) t->Release();
    }
}
BENCHMARK(BM_LoadPng800x600)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

namespace {

// Window, device, every load and the first presented frame, as the demo starts.
void BM_StartUpToFirstFrame(benchmark::State& state) {
    std::filesystem::current_path(QUILLMERE_CONTENT_DIR);
    for (auto _ : state) {
        DemoApp app;
        app.fullscreen = 0; // a window: the bench's display is no desktop of its own
        app.CreateMainWindow("Kelvane", "Quillmere", GetModuleHandleA(nullptr));
        app.Initialize();
        app.Render();
        state.PauseTiming();
        DestroyWindow(app.window); // the close road: clean-up through WM_DESTROY
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
