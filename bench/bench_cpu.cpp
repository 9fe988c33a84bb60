// The demo's own CPU per frame, per scene, on a device that does nothing; and the
// allocations a warm frame makes (there must be none).
#include "app/demo_app.h"
#include "null_device.h"

#include <benchmark/benchmark.h>
#include <fmod_extras.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

// Counting replacements of the global allocation functions; GCC cannot see that the
// pointers it frees come from the malloc above.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t n) {
    ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

struct Demo {
    NullDevice device;
    DemoApp app;
    Demo() {
        std::filesystem::current_path(QUILLMERE_CONTENT_DIR);
        FmodUseVirtualPosition(true);
        app.device = &device;
        app.Initialize();
    }
};

Demo& TheDemo() {
    static Demo* demo = new Demo;
    return *demo;
}

void Scene(benchmark::State& state, int musicMs) {
    Demo& d = TheDemo();
    FmodSetVirtualPosition(musicMs);
    d.app.modelStage = 1;
    d.app.Render(); // warm
    long before = allocations.load();
    int64_t frames = 0;
    for (auto _ : state) {
        d.app.Render();
        if (d.app.modelStage > 3) d.app.modelStage = 1;
        ++frames;
    }
    state.counters["allocations_per_frame"] = double(allocations.load() - before) / double(frames);
}

void BM_DemoCpuPerFrame_Room(benchmark::State& s) {
    Scene(s, 5000);
}
void BM_DemoCpuPerFrame_Pictures(benchmark::State& s) {
    Scene(s, 20000);
}
void BM_DemoCpuPerFrame_Cards(benchmark::State& s) {
    Scene(s, 35000);
}
BENCHMARK(BM_DemoCpuPerFrame_Room)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DemoCpuPerFrame_Pictures)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DemoCpuPerFrame_Cards)->Unit(benchmark::kMicrosecond);

} // namespace
