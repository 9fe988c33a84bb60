// A frame shaped like the first scene through the OpenGL device, against the same GL
// work issued directly (the floor), in the same binary and on the same window.
#include "../platform/d3d9/src/device.h"
#include "../platform/d3d9/src/program.h"
#include "models/md2_model.h"
#include "scenes/camera.h"
#include "scenes/film_overlay.h"
#include "scenes/room_scene.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <win32_sdl.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

struct Stage {
    HWND window = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    bool Open() {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "Bench";
        RegisterClassExA(&wc);
        window = CreateWindowExA(0, "Bench", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(window, SW_SHOW);
        d3d = Direct3DCreate9(31);
        if (!window || !d3d) return false;
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = 800;
        p.BackBufferHeight = 600;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.hDeviceWindow = window;
        p.Windowed = TRUE;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D16;
        p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return SUCCEEDED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window,
                                           D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device));
    }
};

Stage& TheStage() {
    static Stage* stage = [] {
        auto* s = new Stage;
        std::filesystem::current_path(QUILLMERE_CONTENT_DIR);
        if (!s->Open()) {
            fprintf(stderr, "bench: no OpenGL device (a display is needed)\n");
            exit(1);
        }
        return s;
    }();
    return *stage;
}

struct FirstScene {
    FlyCamera camera;
    RoomScene room;
    Md2Model bear;
    FilmOverlay overlay;
    explicit FirstScene(IDirect3DDevice9* d) : camera(d), room(d), bear(d), overlay(d) {
        room.Load();
        bear.Load("Data\\nalle.md2", "Data\\nalle.bmp");
        overlay.Load();
    }
    void Frame(IDirect3DDevice9* d) {
        camera.Update(1 / 60.0f);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d->BeginScene();
        room.Draw();
        if (bear.Play(0.05f)) bear.Play(0.05f);
        overlay.Draw(0.16f);
        d->EndScene();
        d->Present(nullptr, nullptr, nullptr, nullptr);
    }
};

void BM_FirstSceneFrame_Device(benchmark::State& state) {
    Stage& s = TheStage();
    FirstScene scene(s.device);
    scene.Frame(s.device); // warm: programs built, buffers made
    auto* gl = static_cast<d3d9gl::Device*>(s.device);
    const uint64_t calls0 = gl->glCalls();
    int64_t frames = 0;
    for (auto _ : state) {
        scene.Frame(s.device);
        ++frames;
    }
    glFinish();
    state.counters["gl_calls_per_frame"] = double(gl->glCalls() - calls0) / double(frames);
    state.counters["triangles"] = 10 + scene.bear.triangleCount + 6;
    scene.room.Release();
    scene.overlay.Release();
    scene.bear.Destroy();
}
BENCHMARK(BM_FirstSceneFrame_Device)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The floor: the same draws with the same shaders, states set once, no translation layer.
GLuint Program(const d3d9gl::ProgramKey& k) {
    auto compile = [](GLenum kind, const std::string& src) {
        GLuint sh = glCreateShader(kind);
        const char* t = src.c_str();
        glShaderSource(sh, 1, &t, nullptr);
        glCompileShader(sh);
        return sh;
    };
    GLuint p = glCreateProgram();
    glAttachShader(p, compile(GL_VERTEX_SHADER, d3d9gl::VertexShaderSource(k)));
    glAttachShader(p, compile(GL_FRAGMENT_SHADER, d3d9gl::FragmentShaderSource(k)));
    glLinkProgram(p);
    return p;
}

GLuint Texture(int size) {
    std::vector<uint32_t> px(size_t(size) * size);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = 0x80000000u | uint32_t(i * 2654435761u >> 8);
    GLuint t;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_BGRA, GL_UNSIGNED_BYTE, px.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return t;
}

void BM_FirstSceneFrame_RawGL(benchmark::State& state) {
    Stage& s = TheStage();
    auto* gl = static_cast<d3d9gl::Device*>(s.device);
    gl->MakeCurrent();
    SDL_Window* window = Win32GetSdlWindow(s.window);
    Md2Model bear(s.device);
    bear.Load("Data\\nalle.md2", "Data\\nalle.bmp");
    const int triangles = bear.triangleCount;
    std::vector<ModelVertex> model = bear.frameLists[0];

    d3d9gl::ProgramKey room, mesh, overlay;
    room.texCount = 1;
    mesh.diffuse = true;
    mesh.texCount = 1;
    overlay.pretransformed = overlay.diffuse = true;
    overlay.texCount = 2;
    overlay.alphaTest = true;
    overlay.alphaFunc = D3DCMP_GREATEREQUAL;
    for (auto* k : {&room, &mesh, &overlay}) {
        k->stage[0] = {D3DTOP_MODULATE,
                       D3DTA_TEXTURE,
                       D3DTA_CURRENT,
                       D3DTOP_SELECTARG1,
                       D3DTA_TEXTURE,
                       D3DTA_CURRENT,
                       0};
        k->stage[1].colorOp = D3DTOP_DISABLE;
    }
    GLuint programs[3] = {Program(room), Program(mesh), Program(overlay)};
    GLuint textures[6] = {Texture(256), Texture(256), Texture(512),
                          Texture(512), Texture(512), Texture(512)};
    GLuint fbo, rb[2], vao, vbo[3];
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenRenderbuffers(2, rb);
    glBindRenderbuffer(GL_RENDERBUFFER, rb[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 800, 600);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
    glBindRenderbuffer(GL_RENDERBUFFER, rb[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, 800, 600);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb[1]);
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(3, vbo);
    // The room's own vertices and the camera's transforms, so that both fill the same pixels.
    RoomScene roomScene(s.device);
    roomScene.Load();
    std::vector<float> roomVerts(30 * 5, 0.0f);
    void* roomData = nullptr;
    roomScene.vertexBuffer->Lock(0, 0, &roomData, D3DLOCK_READONLY);
    memcpy(roomVerts.data(), roomData, 600);
    roomScene.vertexBuffer->Unlock();
    roomScene.Release();
    FlyCamera camera(s.device);
    camera.Update(1 / 60.0f);
    D3DXMATRIX projection, wvp;
    D3DXMatrixPerspectiveFovLH(&projection, 0.785398185f, 1.0f, 1.0f, 700.0f);
    D3DXMatrixMultiply(&wvp, &camera.viewMatrix, &projection);
    gl->MakeCurrent();
    glBindBuffer(GL_ARRAY_BUFFER, vbo[0]);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(roomVerts.size() * 4), roomVerts.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, vbo[1]);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(model.size() * sizeof(ModelVertex)), nullptr,
                 GL_STREAM_DRAW);
    float quad[4][9] = {{0, 600, 0, 1, 0, 0, 1, 0, 1},
                        {0, 0, 0, 1, 0, 0, 0, 0, 0},
                        {800, 600, 0, 1, 0, 1, 1, 1, 1},
                        {800, 0, 0, 1, 0, 1, 0, 1, 0}};
    for (auto& v : quad) {
        uint32_t white = 0xFFFFFFFF;
        memcpy(&v[4], &white, 4);
    }
    glBindBuffer(GL_ARRAY_BUFFER, vbo[2]);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_DYNAMIC_DRAW);
    const float viewport[4] = {0, 0, 800, 600};
    for (GLuint p : programs) {
        glUseProgram(p);
        glUniform4fv(glGetUniformLocation(p, "u_viewport"), 1, viewport);
        glUniform1i(glGetUniformLocation(p, "u_alphaRef"), 1);
        glUniform1i(glGetUniformLocation(p, "u_sampler0"), 0);
    }
    const float* identity = &wvp.m[0][0];
    glViewport(0, 0, 800, 600);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, 0);
    int64_t frames = 0, calls = 0;
    for (auto _ : state) {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // Room: ten triangles from a static buffer.
        glDisable(GL_BLEND);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        glUseProgram(programs[0]);
        glUniformMatrix4fv(glGetUniformLocation(programs[0], "u_wvp"), 1, GL_FALSE, identity);
        glBindTexture(GL_TEXTURE_2D, textures[0]);
        glBindBuffer(GL_ARRAY_BUFFER, vbo[0]);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 20, nullptr);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 20, reinterpret_cast<void*>(12));
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(2);
        glDisableVertexAttribArray(1);
        glDrawArrays(GL_TRIANGLES, 0, 30);
        // The model from memory.
        glUseProgram(programs[1]);
        glUniformMatrix4fv(glGetUniformLocation(programs[1], "u_wvp"), 1, GL_FALSE, identity);
        glBindTexture(GL_TEXTURE_2D, textures[1]);
        glBindBuffer(GL_ARRAY_BUFFER, vbo[1]);
        glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(model.size() * sizeof(ModelVertex)),
                        model.data());
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 24, nullptr);
        glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 24,
                              reinterpret_cast<void*>(12));
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 24, reinterpret_cast<void*>(16));
        glEnableVertexAttribArray(1);
        glDrawArrays(GL_TRIANGLES, 0, triangles * 3);
        // Three blended full-screen passes, the last one after a rewrite of its coordinates.
        glCullFace(GL_BACK);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glUseProgram(programs[2]);
        glBindBuffer(GL_ARRAY_BUFFER, vbo[2]);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 36, nullptr);
        glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 36,
                              reinterpret_cast<void*>(16));
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 36, reinterpret_cast<void*>(20));
        glBindTexture(GL_TEXTURE_2D, textures[2]);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindTexture(GL_TEXTURE_2D, textures[3]);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof quad, quad);
        glBindTexture(GL_TEXTURE_2D, textures[5]);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
        glBlitFramebuffer(0, 0, 800, 600, 0, 600, 800, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        SDL_GL_SwapWindow(window);
        calls += 52;
        ++frames;
    }
    glFinish();
    state.counters["gl_calls_per_frame"] = double(calls) / double(frames);
    bear.Destroy();
}
BENCHMARK(BM_FirstSceneFrame_RawGL)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
