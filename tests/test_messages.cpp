// The window procedure's table, the loop's order and the three roads to the end.
#include "app/app_framework.h"
#include "app/entry.h"

#include <gtest/gtest.h>
#include <win32_testing.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

IDirect3DDevice9* const kSomeDevice = reinterpret_cast<IDirect3DDevice9*>(0x10);
const UINT kProbe = WM_USER + 7;

class TestApp : public AppFramework {
  public:
    void Initialize() override {
        calls.push_back("Initialize");
        if (throwText) throw throwText;
        if (throwOther) throw std::runtime_error("other");
        ready = 1;
    }
    void CleanUp() override {
        calls.push_back("CleanUp");
        device = nullptr;
    }
    HRESULT Render() override {
        // A frame is drawn only once every waiting message has been handled.
        MSG m;
        bool pending = PeekMessageA(&m, nullptr, kProbe, kProbe, PM_NOREMOVE);
        calls.push_back(pending ? "Render(pending)" : "Render");
        ++renders;
        if (renders == quitAfter) PostQuitMessage(0);
        return renderResult;
    }
    int Count(const std::string& name) const {
        int n = 0;
        for (const auto& c : calls)
            n += c == name;
        return n;
    }
    std::vector<std::string> calls;
    const char* throwText = nullptr;
    bool throwOther = false;
    int renders = 0;
    int quitAfter = 1;
    HRESULT renderResult = S_OK;
};

struct Box {
    HWND owner;
    std::string text, caption;
    UINT type;
};
std::vector<Box> boxes;
int RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    boxes.push_back({owner, text, caption, type});
    return IDOK;
}

class Messages : public ::testing::Test {
  protected:
    void SetUp() override {
        Win32ResetMessageQueue();
        boxes.clear();
        Win32SetMessageBoxHook(RecordBox);
    }
    void TearDown() override { Win32SetMessageBoxHook(nullptr); }
    void OpenWindow() {
        app.CreateMainWindow("Kelvane", "Quillmere", GetModuleHandleA(nullptr));
        ASSERT_NE(app.window, nullptr);
        Win32ResetMessageQueue();
    }
    bool QuitPosted() {
        MSG m;
        return PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE) && m.message == WM_QUIT;
    }
    TestApp app;
};

} // namespace

TEST_F(Messages, TheWindowIsTitledAndItsProcedureIsTheApplications) {
    OpenWindow();
    char title[32];
    GetWindowTextA(app.window, title, sizeof title);
    EXPECT_STREQ(title, "Quillmere");
    EXPECT_EQ(SendMessageA(app.window, WM_SETCURSOR, 0, 0), 1);
    EXPECT_EQ(application, &app);
}

TEST_F(Messages, ActivateAppChangesActiveOnlyWhenReady) {
    struct Case {
        int ready, before;
        WPARAM wParam;
        int after;
    } cases[] = {{0, 1, 0, 1}, {0, 0, 1, 0}, {1, 1, 0, 0}, {1, 0, 1, 1}};
    for (const Case& c : cases) {
        app.ready = c.ready;
        app.active = c.before;
        app.HandleMessage(nullptr, WM_ACTIVATEAPP, c.wParam, 0);
        EXPECT_EQ(app.active, c.after) << "ready " << c.ready << " wParam " << c.wParam;
    }
    EXPECT_EQ(app.Count("CleanUp"), 0);
}

TEST_F(Messages, EscapePostsQuitOtherKeysDoNot) {
    app.HandleMessage(nullptr, WM_KEYDOWN, VK_RETURN, 0);
    app.HandleMessage(nullptr, WM_KEYDOWN, 'A', 0);
    EXPECT_FALSE(QuitPosted());
    app.HandleMessage(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(Messages, DestroyCleansUpAndQuits) {
    EXPECT_EQ(app.HandleMessage(nullptr, WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(app.Count("CleanUp"), 1);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(Messages, RenderOnlyWhenTheQueueIsEmptyActiveAndWithADevice) {
    OpenWindow();
    app.device = kSomeDevice;
    app.quitAfter = 2;
    for (int i = 0; i < 3; ++i)
        PostMessageA(app.window, kProbe, 0, 0);
    EXPECT_EQ(app.Run(), 0u);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"Render", "Render"}));
}

TEST_F(Messages, NoDeviceNoRender) {
    OpenWindow();
    PostMessageA(app.window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(app.Run(), 0u);
    EXPECT_EQ(app.renders, 0);
}

TEST_F(Messages, InactiveLoopWaitsForMessagesAndRendersAfterReactivation) {
    OpenWindow();
    app.device = kSomeDevice;
    app.ready = 1;
    app.active = 0;
    PostMessageA(app.window, kProbe, 0, 0);
    PostMessageA(app.window, WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_EQ(app.Run(), 0u);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"Render"}));
    EXPECT_EQ(app.active, 1);
}

TEST_F(Messages, QuitTakenByGetMessageIsFollowedByOneMoreRender) {
    OpenWindow();
    app.device = kSomeDevice;
    app.active = 0;
    app.quitAfter = 0;
    PostMessageA(app.window, kProbe, 0, 0); // so that the first message is not the quit
    PostQuitMessage(0);
    EXPECT_EQ(app.Run(), 0u);
    EXPECT_EQ(app.renders, 1);
}

TEST_F(Messages, FailedFrameClosesTheWindow) {
    OpenWindow();
    app.device = kSomeDevice;
    app.renderResult = E_FAIL;
    app.quitAfter = 0;
    EXPECT_EQ(app.Run(), 0u);
    EXPECT_EQ(app.renders, 1);
    EXPECT_EQ(app.Count("CleanUp"), 1);
    EXPECT_FALSE(IsWindow(app.window));
}

TEST_F(Messages, EscapeEndsWithoutCleanUpAndKeepsTheWindow) {
    OpenWindow();
    app.device = kSomeDevice;
    app.quitAfter = 0;
    PostMessageA(app.window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(app.Run(), 0u);
    EXPECT_EQ(app.Count("CleanUp"), 0);
    EXPECT_TRUE(IsWindow(app.window));
}

TEST_F(Messages, CloseRunsCleanUpExactlyOnce) {
    OpenWindow();
    app.device = kSomeDevice;
    app.quitAfter = 0;
    PostMessageA(app.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.Run(), 0u);
    EXPECT_EQ(app.Count("CleanUp"), 1);
    EXPECT_FALSE(IsWindow(app.window));
}

TEST_F(Messages, StartUpFailureShowsItsTextCleansUpAndReturnsZero) {
    app.throwText = "Init directX failed";
    EXPECT_EQ(RunApplication(app, GetModuleHandleA(nullptr)), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Init directX failed");
    EXPECT_EQ(boxes[0].caption, "Quillmere");
    EXPECT_EQ(boxes[0].owner, app.window);
    EXPECT_NE(app.window, nullptr);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(app.calls, (std::vector<std::string>{"Initialize", "CleanUp"}));
}

TEST_F(Messages, UnknownStartUpFailure) {
    app.throwOther = true;
    EXPECT_EQ(RunApplication(app, GetModuleHandleA(nullptr)), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "An unknown error occurred");
    EXPECT_EQ(app.Count("CleanUp"), 1);
}

TEST_F(Messages, WindowThatCannotBeCreated) {
    setenv("SDL_VIDEODRIVER", "none-such", 1); // no video at all
    EXPECT_EQ(RunApplication(app, GetModuleHandleA(nullptr)), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Create window failed");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"CleanUp"}));
}

// With no display to be seen, SDL would fall back to a driver that shows nothing: the
// window is refused rather than the demo playing unseen, whether a display is named that
// is not there or none is named.
TEST_F(Messages, NoDisplayNoWindow) {
    for (const char* display : {":97", ""}) {
        SCOPED_TRACE(display);
        boxes.clear();
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("WAYLAND_DISPLAY");
        setenv("DISPLAY", display, 1);
        EXPECT_EQ(RunApplication(app, GetModuleHandleA(nullptr)), 0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Create window failed");
    }
}
