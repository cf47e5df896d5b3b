// Text drawn through the framework's graphics and the real OpenGL renderer (Xvfb and Mesa here),
// checked pixel by pixel. The test font's glyphs are solid rectangles of one colour each, so
// every glyph's place, shear and doubling shows in a few pixels. A failing test leaves
// fonts_<test>.png in the working directory.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fonts/angelfont.h"
#include "framework/app.h"
#include "framework/graphics.h"
#include "tests/support/test_program.h"

namespace {

struct Rgb {
    int r, g, b;
};

const Rgb black{0, 0, 0}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, yellow{255, 255, 0},
    white{255, 255, 255};

// Columns of the 40 x 16 page: A red, B green, u blue, > yellow, then w and < white.
const Rgb kPageColumns[] = {red, green, blue, yellow, white};

// Glyph lines: id, x, y, width, height, xoffset, yoffset, xadvance, page; then kerning pairs.
const char* kDescription =
    "65,0,0,8,16,2,3,12,0\n"      // A
    "66,8,0,8,16,0,0,10,0\n"      // B
    "117,16,0,8,16,0,0,9,0\n"     // u
    "62,24,0,8,16,0,0,9,0\n"      // >
    "119,32,0,4,16,0,0,101,0\n"   // w: 101 wide, for centring
    "60,36,0,4,16,0,0,5,0\n"      // <
    "67,0,0,8,16,0,0,10,1\n"      // C, on a page that has no image
    "65,66,-4\n";

// The host of the test: a 640 x 480 device, the description and the page made in memory.
class FontTestGame : public ZVGame {
public:
    int GetDeviceWidth() override { return 640; }
    int GetDeviceHeight() override { return 480; }

    String LoadString(const String& path) override {
        return path == String("zorvex://data/test.txt") ? String(kDescription) : String();
    }

    unsigned char* DecodeImageFile(const String& path, int& width, int& height, int& depth) override {
        if (path != String("zorvex://data/test.png")) return nullptr;
        width = 40, height = 16, depth = 4;
        auto* pixels = static_cast<unsigned char*>(std::malloc(40 * 16 * 4));
        for (int i = 0; i < 40 * 16; ++i) {
            Rgb c = kPageColumns[i % 40 / 8];
            unsigned char rgba[4] = {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), 255};
            std::memcpy(pixels + i * 4, rgba, 4);
        }
        return pixels;
    }
};

class FontRoots : public Object {
public:
    void mark_children() override {
        Object::mark_children();
        app_queue_roots();
        graphics_queue_roots();
        angelfont_queue_roots();
    }
};

class AngelFontWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { glfwReady = glfwInit(); }
    static void TearDownTestSuite() { glfwTerminate(); }

    void SetUp() override {
        reset_runtime();
        app_init_globals();
        graphics_init_globals();
        angelfont_init_globals();
        test_roots.push_back(new FontRoots());
        ASSERT_TRUE(glfwReady) << "no X display?";
        glfwDefaultWindowHints();
        glfwWindowHint(GLFW_ALPHA_BITS, 0);
        window = glfwCreateWindow(640, 480, "Spraywick", nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        glfwMakeContextCurrent(window);
        ++graphicsSeq;
        device = new gxtkGraphics();
        SetGraphicsDevice(device);
        ValidateDeviceWindow(false);
        font = new c_AngelFont(String("test"));
        ASSERT_NE(font->image[0], nullptr);
    }

    void TearDown() override {
        if (!window) return;
        if (HasFailure()) SaveFrame();
        glfwDestroyWindow(window);
    }

    // The frame bracket as the delegate opens it, on black.
    void BeginFrame() {
        device->BeginRender();
        BeginRender();
        Cls(0, 0, 0);
    }
    void EndFrame() {
        EndRender();
        device->EndRender();
    }

    ::testing::AssertionResult Is(int x, int y, Rgb want) {
        uint8_t rgba[4] = {};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, 479 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        if (std::abs(rgba[0] - want.r) <= 2 && std::abs(rgba[1] - want.g) <= 2 && std::abs(rgba[2] - want.b) <= 2) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << int(rgba[0]) << ","
                                             << int(rgba[1]) << "," << int(rgba[2]) << ", want " << want.r << ","
                                             << want.g << "," << want.b;
    }

    struct Expected {
        int x, y;
        Rgb colour;
    };
    void ExpectPixels(std::initializer_list<Expected> pixels) {
        for (const Expected& p : pixels) EXPECT_TRUE(Is(p.x, p.y, p.colour));
    }

    void SaveFrame() {
        std::vector<uint8_t> rgb(640 * 480 * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::string name =
            std::string("fonts_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png";
        stbi_flip_vertically_on_write(1);
        stbi_write_png(name.c_str(), 640, 480, 3, rgb.data(), 640 * 3);
    }

    static inline bool glfwReady = false;
    FontTestGame game;
    GLFWwindow* window = nullptr;
    gxtkGraphics* device = nullptr;
    c_AngelFont* font = nullptr;
};

TEST_F(AngelFontWindowTest, GlyphsLandAtPenPlusOffsetAndKerningMovesTheNext) {
    BeginFrame();
    // A at (100 + 2, 100 + 3); B at 100 + 12 - 4, over A's last two columns.
    font->DrawHTML(String("AB"), 100, 100);
    // C has no page image and the euro sign no glyph: C's advance applies, the euro's does not.
    font->DrawHTML(String(U"AC\u20ACB"), 100, 200);
    // The unknown tag loses its '<' only: u and '>' are drawn, then B.
    font->DrawHTML(String("A<u>B"), 100, 300);
    EndFrame();

    ExpectPixels({{102, 103, red}, {107, 118, red}, {101, 110, black}, {103, 102, black}, {102, 119, black},
                  {108, 100, green}, {115, 115, green}, {116, 105, black}, {112, 117, black}});
    ExpectPixels({{105, 210, red}, {113, 205, black}, {121, 205, black}, {122, 205, green}, {129, 215, green}});
    ExpectPixels({{111, 305, black}, {112, 305, blue}, {120, 305, black}, {121, 305, yellow}, {130, 305, green}});
}

TEST_F(AngelFontWindowTest, ItalicShearsAboutTheTextHeightAndBoldDrawsTwice) {
    BeginFrame();
    // TextHeight is 19 (A: 16 + 3): a row v below the pen moves right by 0.25 * (19 - v). A
    // covers rows 3 to 19, so its top moves by about 4 pixels and its bottom stays.
    font->DrawHTML(String("<i>A</i>u"), 100, 100);
    font->DrawHTML(String("<b>u</b>"), 100, 200);
    EndFrame();

    ExpectPixels({{102, 103, black}, {106, 103, red}, {111, 103, red}, {102, 118, red}, {110, 118, black}});
    // u upright after the closing tag, at the pen advanced by A.
    ExpectPixels({{112, 100, blue}, {119, 115, blue}, {120, 108, black}});
    // Bold: u again one pixel to the right.
    ExpectPixels({{99, 205, black}, {100, 205, blue}, {108, 205, blue}, {109, 205, black}});
}

TEST_F(AngelFontWindowTest, AlignmentRotationAndScalePlaceTheText) {
    BeginFrame();
    font->DrawHTML(String("w"), 300, 100, 1);  // width 101: starts 50 to the left
    font->DrawHTML(String("w"), 300, 120, 2);
    font->DrawHTML(String("w"), 300, 140, 3);  // not an alignment: nothing
    // The box's bottom centre at (300, 200): x 300 - 50.5 truncated, y 200 - 16.
    font->DrawHTML(String("<b>w</b>"), 300, 200, 0.5f, 1.0f);
    // A's box (12 x 19) centred on (320, 300), turned 90 degrees counter-clockwise and then
    // doubled across and tripled down: A's rectangle, 2..10 by 3..19 in the box, covers
    // 307..339 by 288..312.
    font->DrawHTML(String("A"), 320, 300, 0.5f, 0.5f, 90, 2, 3);
    EndFrame();

    ExpectPixels({{249, 105, black}, {250, 105, white}, {253, 105, white}, {254, 105, black}, {198, 125, black},
                  {199, 125, white}, {199, 145, black}, {250, 145, black}, {300, 145, black}, {302, 145, black}});
    ExpectPixels({{248, 190, black}, {249, 184, white}, {253, 199, white}, {254, 190, black}, {250, 183, black},
                  {250, 200, black}});
    ExpectPixels({{308, 289, red}, {338, 311, red}, {305, 300, black}, {341, 300, black}, {320, 286, black},
                  {320, 314, black}});
}

}  // namespace
