// The renderer on a real OpenGL context (Xvfb and Mesa here): draw calls per batch and pixels read
// back. Each test opens its own 640 x 480 window the way the host does (graphicsSeq counts it).
// A failing test leaves renderer_<test>.png in the working directory; ZV_SAVE_FRAMES=1 saves
// every test's last frame.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <dlfcn.h>
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "native/gxtk_graphics.h"
#include "tests/native/renderer_test_game.h"
#include "tests/support/test_program.h"

// Stands in for a driver that refuses non-power-of-two textures while `refuseNonPowerOfTwo` is
// set: the executable's definition takes the place of the library's, and a refused size is
// passed on as an invalid one so that OpenGL itself reports the error.
static bool refuseNonPowerOfTwo = false;

void GLAPIENTRY glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels) {
    using TexImage2D = void(GLAPIENTRY*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum,
                                         const void*);
    static auto real = reinterpret_cast<TexImage2D>(dlsym(RTLD_NEXT, "glTexImage2D"));
    bool powerOfTwo = (width & (width - 1)) == 0 && (height & (height - 1)) == 0;
    if (refuseNonPowerOfTwo && !powerOfTwo) width = -1;
    real(target, level, internalFormat, width, height, border, format, type, pixels);
}

namespace {

struct Rgb {
    int r, g, b;
};

class RendererWindowTest : public ::testing::Test {
protected:
    // One GLFW session for the suite: every display connection that closes may reset the server.
    static void SetUpTestSuite() {
        glfwSetErrorCallback([](int code, const char* text) { std::printf("GLFW error %d: %s\n", code, text); });
        glfwReady = glfwInit();
    }
    static void TearDownTestSuite() { glfwTerminate(); }

    void SetUp() override {
        reset_runtime();
        refuseNonPowerOfTwo = false;
        ASSERT_TRUE(glfwReady) << "no X display?";
        ASSERT_NO_FATAL_FAILURE(OpenWindow());
        graphics = new gxtkGraphics();
    }

    void TearDown() override {
        if (!window) return;
        if (HasFailure() || std::getenv("ZV_SAVE_FRAMES")) SaveFrame();
        glfwDestroyWindow(window);
    }

    // A new window and with it a new context, as the host opens them: no alpha channel.
    void OpenWindow() {
        if (window) glfwDestroyWindow(window);
        glfwDefaultWindowHints();
        glfwWindowHint(GLFW_ALPHA_BITS, 0);
        glfwWindowHint(GLFW_DEPTH_BITS, 0);
        glfwWindowHint(GLFW_STENCIL_BITS, 0);
        window = glfwCreateWindow(640, 480, "Spraywick", nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        glfwMakeContextCurrent(window);
        ++graphicsSeq;
        int width = 0, height = 0;
        glfwGetFramebufferSize(window, &width, &height);
        ASSERT_EQ(width, 640);
        ASSERT_EQ(height, 480);
    }

    // The state the graphics API sets at the start of every frame, then a black clear.
    void BeginFrame() {
        graphics->BeginRender();
        graphics->SetMatrix(1, 0, 0, 1, 0, 0);
        graphics->SetAlpha(1);
        graphics->SetColor(255, 255, 255);
        graphics->SetBlend(0);
        graphics->SetScissor(0, 0, 640, 480);
        graphics->Cls(0, 0, 0);
    }

    // The colour at (x, y) in framework coordinates (y downward), straight from OpenGL.
    Rgb Pixel(int x, int y) {
        uint8_t rgba[4] = {};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, 479 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

    void ExpectPixel(int x, int y, Rgb expected, int tolerance = 1) {
        Rgb actual = Pixel(x, y);
        EXPECT_TRUE(std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
                    std::abs(actual.b - expected.b) <= tolerance)
            << "pixel (" << x << ", " << y << ") is (" << actual.r << ", " << actual.g << ", " << actual.b
            << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b << ")";
    }

    gxtkSurface* LoadSurface(const std::string& name, int width, int height, std::vector<uint8_t> pixel) {
        game.AddImage(name, width, height, pixel);
        return graphics->LoadSurface(String(name.c_str()));
    }

    void SaveFrame() {
        std::vector<uint8_t> rgb(640 * 480 * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::string name = std::string("renderer_") +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png";
        stbi_flip_vertically_on_write(1);
        stbi_write_png(name.c_str(), 640, 480, 3, rgb.data(), 640 * 3);
        std::printf("frame saved as %s\n", name.c_str());
    }

    static inline bool glfwReady = false;
    RendererTestGame game;
    GLFWwindow* window = nullptr;
    gxtkGraphics* graphics = nullptr;
};

const Rgb black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};

TEST_F(RendererWindowTest, RunsOfOneKindAndTextureShareADrawCall) {
    gxtkSurface* sprite = LoadSurface("sprite.png", 8, 8, {255, 255, 255, 255});

    // 300 sprites from one surface: the batch holds 256 quads, so one draw when it fills and one
    // for the remaining 44 at the end of the frame. Colour and matrix changes do not break it.
    BeginFrame();
    for (int i = 0; i < 300; ++i) {
        graphics->SetColor(255, float(i % 2 * 255), 0);
        graphics->SetMatrix(1, 0, 0, 1, float(i % 20 * 32), float(i / 20 * 32));
        graphics->DrawSurface(sprite, 0, 0);
    }
    graphics->EndRender();
    EXPECT_EQ(graphics->drawCalls, 2);
    ExpectPixel(4, 4, red);                        // sprite 0
    ExpectPixel(32 + 4, 4, {255, 255, 0});         // sprite 1
    ExpectPixel(19 * 32 + 4, 14 * 32 + 4, {255, 255, 0});  // sprite 299, in the second draw
    ExpectPixel(12, 4, black);                     // between sprites

    // Every change of primitive type or texture flushes: 5 rectangles and 5 sprites alternating.
    BeginFrame();
    for (int i = 0; i < 5; ++i) {
        graphics->DrawRect(float(i * 20), 100, 8, 8);
        graphics->DrawSurface(sprite, float(i * 20 + 10), 100);
    }
    graphics->EndRender();
    EXPECT_EQ(graphics->drawCalls, 10);

    // Blend changes flush; polygons of 5 or more vertices are one fan each; points, lines and
    // rectangles each join their own kind.
    BeginFrame();
    graphics->DrawRect(0, 0, 4, 4);
    graphics->DrawRect(8, 0, 4, 4);
    graphics->SetBlend(1);
    graphics->DrawRect(16, 0, 4, 4);
    graphics->SetBlend(0);
    for (int i = 0; i < 3; ++i) graphics->DrawOval(float(i * 40), 40, 30, 30);
    graphics->DrawPoint(0, 100);
    graphics->DrawPoint(2, 100);
    graphics->DrawLine(0, 110, 50, 110);
    graphics->DrawLine(0, 120, 50, 120);
    graphics->EndRender();
    EXPECT_EQ(graphics->drawCalls, 2 + 3 + 1 + 1);

    // Cls drops what is pending instead of drawing it.
    BeginFrame();
    graphics->DrawRect(0, 0, 640, 480);
    graphics->Cls(0, 0, 255);
    graphics->EndRender();
    EXPECT_EQ(graphics->drawCalls, 0);
    ExpectPixel(320, 240, blue);
}

TEST_F(RendererWindowTest, ColoursAndSpritesArePremultiplied) {
    gxtkSurface* sprite = LoadSurface("half.png", 8, 8, {200, 100, 50, 128});

    BeginFrame();
    graphics->SetColor(255, 128, 0);
    graphics->SetAlpha(0.5f);
    graphics->DrawRect(10, 10, 20, 20);  // over black: the premultiplied colour itself

    graphics->SetAlpha(1);
    graphics->SetColor(255, 255, 255);
    graphics->DrawRect(100, 100, 50, 50);
    graphics->DrawSurface(sprite, 110, 110);  // over white: 100 + 255 * 127 / 255, ...

    graphics->SetColor(0, 100, 0);
    graphics->DrawRect(200, 100, 20, 20);
    graphics->SetBlend(1);  // additive
    graphics->SetColor(100, 0, 0);
    graphics->DrawRect(200, 100, 20, 20);
    graphics->EndRender();

    ExpectPixel(20, 20, {127, 64, 0});
    ExpectPixel(114, 114, {227, 177, 152});
    ExpectPixel(105, 105, white);
    ExpectPixel(210, 110, {100, 100, 0});
}

TEST_F(RendererWindowTest, ReadPixelsReturnsArgbRowsTopFirst) {
    BeginFrame();
    graphics->SetColor(255, 0, 0);
    graphics->DrawRect(50, 50, 10, 5);
    graphics->SetColor(0, 0, 255);
    graphics->DrawRect(50, 55, 10, 5);
    graphics->SetColor(10, 20, 30);
    graphics->DrawRect(60, 50, 10, 10);

    // Two columns by four rows from (59, 53), into rows of 3 Ints starting at element 1. The
    // read flushes the pending batch itself.
    Array<int> pixels(12);
    graphics->ReadPixels(pixels, 59, 53, 2, 4, 1, 3);
    const uint32_t redArgb = 0xFFFF0000u, blueArgb = 0xFF0000FFu, darkArgb = 0xFF0A141Eu;
    const uint32_t expected[12] = {0, redArgb,  darkArgb, 0, redArgb,  darkArgb,
                                   0, blueArgb, darkArgb, 0, blueArgb, darkArgb};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(uint32_t(pixels[i]), expected[i]) << "element " << i;
    graphics->EndRender();
}

TEST_F(RendererWindowTest, ScissorClipsInFrameworkCoordinates) {
    BeginFrame();
    graphics->SetScissor(100, 50, 200, 100);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    graphics->SetColor(255, 0, 0);
    graphics->DrawRect(0, 0, 640, 480);
    graphics->EndRender();
    ExpectPixel(100, 50, red);
    ExpectPixel(299, 149, red);
    ExpectPixel(99, 50, black);
    ExpectPixel(100, 49, black);
    ExpectPixel(300, 149, black);
    ExpectPixel(299, 150, black);

    // The whole window switches the test off rather than setting a scissor of that size.
    BeginFrame();
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    graphics->SetColor(0, 255, 0);
    graphics->DrawRect(0, 0, 640, 480);
    graphics->EndRender();
    ExpectPixel(0, 0, green);
    ExpectPixel(639, 479, green);
}

TEST_F(RendererWindowTest, OvalsFillTheirBox) {
    BeginFrame();
    graphics->DrawOval(100, 100, 200, 100);
    graphics->DrawOval(400, 300, 4, 4);  // the smallest oval still has 12 sides
    graphics->EndRender();
    ExpectPixel(200, 150, white);
    ExpectPixel(102, 150, white);
    ExpectPixel(297, 150, white);
    ExpectPixel(200, 102, white);
    ExpectPixel(200, 197, white);
    ExpectPixel(105, 105, black);  // the box's corners lie outside the ellipse
    ExpectPixel(295, 195, black);
    ExpectPixel(401, 301, white);
    EXPECT_EQ(graphics->drawCalls, 2);
}

TEST_F(RendererWindowTest, TexturesAreRebuiltFromThePixelCopyInANewContext) {
    gxtkSurface* sprite = LoadSurface("blue.png", 16, 16, {0, 0, 255, 255});
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->seq, graphicsSeq);  // a window is open, so loading made the texture

    BeginFrame();
    graphics->DrawSurface(sprite, 10, 10);
    graphics->EndRender();
    ExpectPixel(15, 15, blue);

    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    EXPECT_NE(sprite->seq, graphicsSeq);
    BeginFrame();
    graphics->DrawSurface(sprite, 20, 20);
    graphics->EndRender();
    EXPECT_EQ(sprite->seq, graphicsSeq);
    EXPECT_TRUE(glIsTexture(sprite->texture));
    ExpectPixel(25, 25, blue);
    ExpectPixel(15, 15, black);

    // Written pixels reach the texture of the current context at once, a partial rectangle
    // included, and later contexts rebuild from the updated copy.
    gxtkSurface* canvas = graphics->CreateSurface(8, 8);
    Array<int> pixels(64);
    for (int i = 0; i < 64; ++i) pixels[i] = int(0xFFFF0000u);
    graphics->WriteSurfacePixels(canvas, pixels, 0, 0, 8, 8, 0, 8);
    for (int i = 0; i < 4; ++i) pixels[i] = int(0xFF00FF00u);
    graphics->WriteSurfacePixels(canvas, pixels, 4, 4, 2, 2, 0, 2);
    for (int context = 0; context < 2; ++context) {
        if (context == 1) {
            ASSERT_NO_FATAL_FAILURE(OpenWindow());
        }
        BeginFrame();
        graphics->DrawSurface(canvas, 200, 200);
        graphics->EndRender();
        ExpectPixel(201, 201, red);
        ExpectPixel(204, 204, green);
        ExpectPixel(205, 205, green);
        ExpectPixel(206, 206, red);
    }
}

TEST_F(RendererWindowTest, CollectedSurfacesDeleteTheirTextures) {
    test_roots.push_back(graphics);
    gxtkSurface* kept = LoadSurface("kept.png", 16, 16, {255, 0, 0, 255});
    test_roots.push_back(kept);
    gxtkSurface* dropped = LoadSurface("dropped.png", 16, 16, {0, 255, 0, 255});
    unsigned keptTexture = kept->texture, droppedTexture = dropped->texture;
    ASSERT_TRUE(glIsTexture(droppedTexture));

    gc_queue_roots();
    gc_full_collection();
    graphics->CreateSurface(16, 16);  // garbage is destroyed as later allocations pay for it
    EXPECT_FALSE(glIsTexture(droppedTexture));
    EXPECT_TRUE(glIsTexture(keptTexture));

    BeginFrame();
    graphics->DrawSurface(kept, 0, 0);
    graphics->EndRender();
    ExpectPixel(8, 8, red);
}

TEST_F(RendererWindowTest, RefusedTextureSizesGrowToPowersOfTwo) {
    // An error left over from elsewhere must not be taken for a refused size.
    glEnable(0xFFFF);
    gxtkSurface* exact = LoadSurface("exact.png", 100, 60, {255, 255, 255, 255});
    EXPECT_FLOAT_EQ(exact->uscale, 1.0f / 100);
    EXPECT_FLOAT_EQ(exact->vscale, 1.0f / 60);

    refuseNonPowerOfTwo = true;
    gxtkSurface* padded = LoadSurface("padded.png", 100, 60, {0, 255, 0, 255});
    EXPECT_FLOAT_EQ(padded->uscale, 1.0f / 128);
    EXPECT_FLOAT_EQ(padded->vscale, 1.0f / 64);

    // Drawn, it still shows exactly the image: 100 x 60 pixels, none of the padding.
    BeginFrame();
    graphics->DrawSurface(padded, 50, 50);
    graphics->EndRender();
    ExpectPixel(50, 50, green);
    ExpectPixel(148, 108, green);
    ExpectPixel(150, 80, black);
    ExpectPixel(80, 110, black);

    // A new context takes the size as it is. The first draw there must already use the new
    // scale, or it would show only 100/128 of the image stretched.
    refuseNonPowerOfTwo = false;
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    BeginFrame();
    graphics->DrawSurface(padded, 50, 50);
    graphics->EndRender();
    EXPECT_FLOAT_EQ(padded->uscale, 1.0f / 100);
    EXPECT_FLOAT_EQ(graphics->vertices[2].u, 1);
    EXPECT_FLOAT_EQ(graphics->vertices[2].v, 1);
}

}  // namespace
