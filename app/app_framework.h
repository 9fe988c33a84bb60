// The application object's reusable base: window, message loop, device and display
// switch, engine log and frame-rate counter, and six virtual operations.
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <fmod.h>

class Camera;
class TextFont;

class AppFramework {
  public:
    AppFramework();
    AppFramework(const AppFramework&) = delete;
    AppFramework& operator=(const AppFramework&) = delete;

    // The six virtual operations, in slot order.
    virtual void Initialize();
    virtual void CleanUp();
    virtual HRESULT Render();
    virtual HRESULT StepFrame();
    virtual HRESULT ReleaseVolatileObjects();
    virtual HRESULT RestoreVolatileObjects();

    void CreateMainWindow(const char* className, const char* title, HINSTANCE instance);
    WPARAM Run();
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);

    HRESULT EngineLog(const char* message);
    void UpdateFrameRate();

    HRESULT CreateDirect3D();
    HRESULT CreateDisplayDevice();
    void ReleaseDisplayDevice();
    void ReleaseDirect3D();
    HRESULT SwitchDisplayMode();

    Camera* camera;
    int fullscreen;
    int active;
    int ready;
    HWND window;
    HINSTANCE instance;
    float framesPerSecond;
    char frameRateText[12];
    float frameSeconds;
    FMUSIC_MODULE* music;
    IDirect3D9* direct3d;
    IDirect3DDevice9* device;
    TextFont* font;
    D3DPRESENT_PARAMETERS presentParams;

  protected:
    ~AppFramework();
};

// The one application object of the process; the window procedure reaches it here.
extern AppFramework* application;
