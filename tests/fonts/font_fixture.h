// Shared pieces of the font tests without a window: descriptions read from a test folder in
// place of the data folder, and page images answered by the recording renderer.
#pragma once

#include <string>

#include "fonts/angelfont.h"
#include "tests/framework/framework_fixture.h"
#include "tests/support/temp_folder.h"

// Reads "zorvex://data/NAME" from `folder`/NAME.
class FontHost : public FakeHost {
public:
    std::string folder;

    String MapDataPath(const String& path) override {
        String data("zorvex://data/");
        if (!path.StartsWith(data)) return path;
        return String((folder + "/").c_str()) + path.Slice(data.Length());
    }
    String LoadString(const String& path) override { return ZVGame::LoadString(path); }
};

// Roots the framework's and the fonts' module globals the way the composition root does.
class FontRoots : public FrameworkRoots {
public:
    void mark_children() override {
        FrameworkRoots::mark_children();
        angelfont_queue_roots();
    }
};

class FontTest : public ::testing::Test {
protected:
    TempFolder dir{"spraywick-fonts"};
    FontHost host;
    RecordingGraphics* renderer = nullptr;

    void SetUp() override {
        reset_runtime();
        host.folder = dir.path();
        app_init_globals();
        graphics_init_globals();
        input_init_globals();
        angelfont_init_globals();
        test_roots.push_back(new FontRoots());
        renderer = new RecordingGraphics();
        SetGraphicsDevice(renderer);
        gc_queue_roots();  // as the runtime's start-up does before Main
    }

    // A page image of that name exists.
    void AddPage(const std::string& name) { renderer->files["zorvex://data/" + name] = {64, 64}; }

    // Two full collections, then garbage destroyed at once: whatever the roots and mark_children
    // missed is freed memory, which the sanitizer build reports when it is touched.
    static void CollectEverything() {
        gc_full_collection();
        gc_full_collection();
        Array<int> payment(gc.garbage_bytes / int(sizeof(int)) + 1);  // allocation pays off garbage
    }

    static c_AngelFont* NewFont() {
        c_AngelFont* font = new c_AngelFont(String());
        test_roots.push_back(font);
        return font;
    }
};
