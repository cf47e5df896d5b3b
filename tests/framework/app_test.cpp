#include "tests/framework/framework_fixture.h"

namespace {

// An app that logs its lifecycle; closing only logs, so the test process survives it.
class c_ProbeApp : public c_App {
public:
    int OnCreate() override { return Log("OnCreate"); }
    int OnUpdate() override {
        return Log("OnUpdate hit=" + std::to_string(KeyHit(32)) + " down=" + std::to_string(KeyDown(32)));
    }
    int OnRender() override {
        Log(renderDevice ? "OnRender inside" : "OnRender outside");
        DrawImage(LoadImage(String("box.png"), 1, 0), 0, 0, 0);
        return 0;
    }
    int OnSuspend() override { return Log("OnSuspend"); }
    int OnResume() override { return Log("OnResume"); }
    int OnResize() override { return Log("OnResize " + std::to_string(DeviceWidth())); }
    int OnClose() override { return Log("OnClose"); }

private:
    static int Log(const std::string& call) {
        calls.push_back(call);
        return 0;
    }
};

class AppTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        host.width = 640;
        host.height = 480;
    }

    // Swaps the delegate's OpenGL renderer for a recording one, so frames run without a window.
    RecordingGraphics* RecordRendering() {
        RecordingGraphics* renderer = new RecordingGraphics();
        renderer->files["zorvex://data/box.png"] = {4, 4};
        gc_store(currentDelegate->_graphics, static_cast<gxtkGraphics*>(renderer));
        SetGraphicsDevice(renderer);
        return renderer;
    }
};

using Calls = std::vector<std::string>;

TEST_F(AppTest, StartGameMakesTheDevicesAndTakesTheWindowSizeWithoutResizing) {
    EXPECT_EQ(DeviceWidth(), 0);
    EXPECT_EQ(DeviceHeight(), 0);
    c_App* app = new c_ProbeApp();
    EXPECT_EQ(currentApp, app);
    ASSERT_NE(currentDelegate, nullptr);
    EXPECT_EQ(host.GetDelegate(), currentDelegate);

    host.StartGame();
    EXPECT_EQ(calls, Calls{"OnCreate"});
    EXPECT_EQ(DeviceWidth(), 640);
    EXPECT_EQ(DeviceHeight(), 480);
    EXPECT_EQ(graphicsDevice, currentDelegate->_graphics);
    EXPECT_EQ(inputDevice, currentDelegate->_input);
    EXPECT_EQ(renderDevice, nullptr);

    // A changed window reaches the app once, before the update that notices it.
    calls.clear();
    host.width = 800;
    host.UpdateGame();
    host.UpdateGame();
    EXPECT_EQ(calls, (Calls{"OnResize 800", "OnUpdate hit=0 down=0", "OnUpdate hit=0 down=0"}));

    calls.clear();
    RecordRendering();
    host.RenderGame();
    EXPECT_EQ(calls, (Calls{"BeginRender", "SetColor 255 255 255", "SetAlpha 1", "SetBlend 0",
                            "SetScissor 0 0 800 480", "OnRender inside", "SetMatrix 1 0 0 1 0 0",
                            "DrawSurface 0 0", "EndRender"}));
    EXPECT_EQ(renderDevice, nullptr);
}

TEST_F(AppTest, KeyEventsReachTheInputDeviceAndTheCloseAndBackKeysTheApp) {
    new c_ProbeApp();
    host.StartGame();
    calls.clear();

    host.KeyEvent(c_ZVGameEvent::KeyDown, 32);
    host.KeyEvent(c_ZVGameEvent::KeyUp, 32);
    host.UpdateGame();
    host.UpdateGame();
    host.MouseEvent(c_ZVGameEvent::MouseDown, 0, 3, 4);
    host.TouchEvent(c_ZVGameEvent::TouchDown, 1, 3, 4);
    host.MotionEvent(c_ZVGameEvent::MotionAccel, 0, 1, 2, 3);
    EXPECT_EQ(KeyDown(KeyLeftMouse), 1);
    EXPECT_EQ(KeyDown(KeyTouchBase + 1), 1);
    EXPECT_EQ(inputDevice->_accelY, 2);

    // The host sends the close key down and up together; only the press closes.
    host.KeyEvent(c_ZVGameEvent::KeyDown, KeyClose);
    host.KeyEvent(c_ZVGameEvent::KeyUp, KeyClose);
    // The back key falls through to OnClose when the app leaves OnBack alone.
    host.KeyEvent(c_ZVGameEvent::KeyDown, KeyBack);
    host.KeyEvent(c_ZVGameEvent::KeyUp, KeyBack);
    EXPECT_EQ(calls, (Calls{"OnUpdate hit=1 down=0", "OnUpdate hit=0 down=0", "OnClose", "OnClose"}));
}

TEST_F(AppTest, SuspensionStopsUpdatesUntilResumed) {
    new c_ProbeApp();
    host.StartGame();
    RecordRendering();
    calls.clear();

    host.SuspendGame();
    host.SuspendGame();
    host.UpdateGame();
    host.KeyEvent(c_ZVGameEvent::KeyDown, 32);  // input still arrives while suspended
    host.ResumeGame();
    host.UpdateGame();
    EXPECT_EQ(calls, (Calls{"OnSuspend", "OnResume", "OnUpdate hit=1 down=1"}));
}

TEST_F(AppTest, DisplayModesKeepOneEntryPerSizeInFirstSeenOrder) {
    host.modes = {{640, 480}, {800, 600}, {640, 480}, {1024, 768}, {800, 600}, {65535, 65535}};
    new c_ProbeApp();
    host.StartGame();
    ASSERT_EQ(displayModeList.Length(), 4);
    const int expected[4][2] = {{640, 480}, {800, 600}, {1024, 768}, {65535, 65535}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(displayModeList[i]->_width, expected[i][0]) << i;
        EXPECT_EQ(displayModeList[i]->_height, expected[i][1]) << i;
    }
    EXPECT_EQ(desktopDisplayMode->_width, 1920);
    EXPECT_EQ(desktopDisplayMode->_height, 1080);

    // Without a desktop mode from the host, the window size stands in.
    host.hasDesktop = false;
    host.modes.clear();
    EnumDisplayModes();
    EXPECT_EQ(displayModeList.Length(), 0);
    EXPECT_EQ(desktopDisplayMode->_width, 640);
    EXPECT_EQ(desktopDisplayMode->_height, 480);
}

TEST_F(AppTest, ModuleFunctionsForwardToTheHost) {
    SetUpdateRate(60);
    EXPECT_EQ(requestedUpdateRate, 60);
    EXPECT_EQ(host.GetUpdateRate(), 60);

    EXPECT_EQ(LoadString(String("level.txt")).ToUtf8(), "text");
    EXPECT_EQ(host.loadedPath, "zorvex://data/level.txt");
    LoadString(String("./level.txt"));
    EXPECT_EQ(host.loadedPath, "./level.txt");
}

TEST_F(AppTest, EverythingTheFrameworkHoldsSurvivesCollections) {
    c_ProbeApp* app = new c_ProbeApp();
    host.modes = {{640, 480}};
    host.StartGame();
    RecordRendering();
    c_Image* box = LoadImage(String("box.png"), 1, 0);
    SetFont(box, 33);
    for (int i = 0; i < 40; ++i) PushMatrix();
    box = nullptr;

    gc_full_collection();
    gc_full_collection();
    EXPECT_TRUE(gc_is_live_object(app));
    EXPECT_TRUE(gc_is_live_object(currentDelegate));
    EXPECT_TRUE(gc_is_live_object(graphicsContext->font));
    EXPECT_TRUE(gc_is_live_object(graphicsContext->font->frames[0]));
    EXPECT_TRUE(gc_is_live_object(displayModeList[0]));
    EXPECT_TRUE(gc_is_live_object(inputDevice->_joyStates[3]));
    EXPECT_EQ(graphicsContext->matrixStack.Length(), 384);

    // And the devices still work afterwards.
    host.KeyEvent(c_ZVGameEvent::KeyDown, 32);
    host.UpdateGame();
    host.RenderGame();
    EXPECT_EQ(calls.back(), "EndRender");
}

}  // namespace
