// A small app on the framework for the tests that need a process of its own. The first argument
// picks the scenario:
//
//   app_probe twice           constructs a second App (a runtime error)
//   app_probe close           no window: sends the close key released, then pressed, as a host does
//   app_probe draw <out.png>  on the real host: draws data/sprite.png in several ways, writes the
//                             third frame to out.png and ends the app
#include <stb/stb_image_write.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "native/entry.h"
#include "runtime/startup.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

namespace {

std::string scenario;
std::string framePath;

// Saves the window's pixels, read back from the renderer, as a PNG.
bool WriteFrame(const std::string& path) {
    int width = renderDevice->Width(), height = renderDevice->Height();
    Array<int> pixels(width * height);
    renderDevice->ReadPixels(pixels, 0, 0, width, height, 0, width);
    std::vector<unsigned char> rgba;
    for (int i = 0; i < pixels.Length(); ++i) {
        unsigned argb = unsigned(pixels[i]);
        rgba.insert(rgba.end(), {static_cast<unsigned char>(argb >> 16), static_cast<unsigned char>(argb >> 8),
                                 static_cast<unsigned char>(argb), 255});
    }
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

// Frame 0 of the sprite sheet is opaque red, frame 1 half-transparent green; both 8 x 8.
class c_DrawApp : public c_App {
public:
    static constexpr const char* debug_name = "DrawApp";

    c_Image* sheet = nullptr;    // two frames side by side
    c_Image* whole = nullptr;    // the sheet as one frame
    c_Image* centred = nullptr;  // the two frames cut by size, handle at the centre
    int renders = 0;

    void mark_children() override {
        c_App::mark_children();
        gc_grey(sheet);
        gc_grey(whole);
        gc_grey(centred);
    }

    int OnCreate() override {
        ZV_FUNC("DrawApp.OnCreate");
        ZV_SELF;
        ZV_AT gc_store(sheet, LoadImage(String("sprite.png"), 2, 0));
        ZV_AT gc_store(whole, LoadImage(String("sprite.png"), 1, c_Image::DefaultFlags));
        ZV_AT gc_store(centred, LoadImage(String("sprite.png"), 8, 8, 2, c_Image::HandleCentered));
        ZV_AT SetUpdateRate(60);
        ZV_AT return 0;
    }

    int OnRender() override {
        ZV_FUNC("DrawApp.OnRender");
        ZV_SELF;
        ZV_AT Cls(0, 0, 64);
        ZV_AT DrawImage(sheet, 100, 100, 0);
        ZV_AT DrawImage(sheet, 200, 100, 1);
        ZV_AT DrawImage(whole, 100, 200, 0);
        ZV_AT DrawImage(centred, 300, 100, 0, 4, 4, 0);
        ZV_AT DrawImageRect(sheet, 400, 100, 0, 0, 8, 4, 90, 2, 2, 0);
        ZV_AT DrawImageRect(sheet, 500, 100, 2, 2, 4, 4, 1);
        ZV_AT renders += 1;
        ZV_AT if (renders == 3) {
            ZV_BLOCK;
            ZV_AT print_line(String(WriteFrame(framePath) ? "frame written" : "frame not written"));
            ZV_AT EndApp();
        }
        ZV_AT return 0;
    }
};

}  // namespace

void zv_init_globals() {
    random_init_globals();
    math_init_globals();
    app_init_globals();
    graphics_init_globals();
    input_init_globals();
    audio_init_globals();
}

void gc_queue_roots() {
    app_queue_roots();
    graphics_queue_roots();
    input_queue_roots();
    audio_queue_roots();
}

int Main() {
    ZV_FUNC("Main");
    ZV_AT if (scenario == "draw") {
        ZV_BLOCK;
        ZV_AT new c_DrawApp();
        ZV_AT return 0;
    }
    ZV_AT new c_App();
    ZV_AT if (scenario == "twice") new c_App();  // @second-app
    ZV_AT return 0;
}

int main(int argc, char** argv) {
    if (argc > 1) scenario = argv[1];
    if (scenario == "draw") {
        if (argc > 2) framePath = argv[2];
        return zv_host_main(argc, argv);
    }
    ZVGame host;  // no window: the base game object answers for the host
    zv_start(argc, argv);
    host.StartGame();
    // The close key arrives released right after its press; the release alone closes nothing.
    host.KeyEvent(c_ZVGameEvent::KeyUp, KeyClose);
    print_line(String("still running"));
    host.KeyEvent(c_ZVGameEvent::KeyDown, KeyClose);
    print_line(String("not closed"));
    return 1;
}
