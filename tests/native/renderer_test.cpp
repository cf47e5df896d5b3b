// Renderer logic that needs no OpenGL context: vertices, colours, limits and pixel copies. No
// window is open here (graphicsSeq 0), so nothing binds; each check starts from an empty batch,
// so reserving vertices never has to flush.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <unistd.h>

#include "native/gxtk_graphics.h"
#include "tests/native/renderer_test_game.h"
#include "tests/support/test_program.h"

namespace {

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_runtime();
        ASSERT_EQ(graphicsSeq, 0);
        graphics = new gxtkGraphics();
        graphics->SetMatrix(1, 0, 0, 1, 0, 0);
        graphics->SetAlpha(1);
        graphics->SetColor(255, 255, 255);
    }

    // Drops the batch, as the start of a frame does, without touching OpenGL.
    void EmptyBatch() { graphics->vertexCount = 0; }

    RendererTestGame game;
    gxtkGraphics* graphics = nullptr;
};

void ExpectColour(const gxtkGraphics::Vertex& vertex, int r, int g, int b, int a) {
    EXPECT_EQ(vertex.colour[0], r);
    EXPECT_EQ(vertex.colour[1], g);
    EXPECT_EQ(vertex.colour[2], b);
    EXPECT_EQ(vertex.colour[3], a);
}

// A runtime error is reported on standard output, then the debugger is asked on standard input;
// with none attached the process ends with status -1. The report is sent to standard error here
// so that the death test can match it.
#define EXPECT_RUNTIME_ERROR(statement, message)                                          \
    EXPECT_EXIT(                                                                          \
        {                                                                                 \
            (void)std::freopen("/dev/null", "r", stdin);                                  \
            dup2(STDERR_FILENO, STDOUT_FILENO);                                           \
            statement;                                                                    \
        },                                                                                \
        ::testing::ExitedWithCode(255), "Zorvex Runtime Error : " message)

TEST_F(RendererTest, ColourIsPremultipliedAndBakedIntoEachVertex) {
    graphics->SetColor(255, 128, 0);
    graphics->SetAlpha(0.5f);
    graphics->DrawRect(0, 0, 10, 10);
    graphics->SetColor(0, 0, 255);
    graphics->SetAlpha(1);
    graphics->DrawRect(0, 0, 10, 10);

    // Colour changes never flush: both rectangles wait in one batch, each with its own colour.
    ASSERT_EQ(graphics->vertexCount, 8);
    ExpectColour(graphics->vertices[3], 127, 64, 0, 127);
    ExpectColour(graphics->vertices[4], 0, 0, 255, 255);

    // Out-of-range values are left to the implementation; they must still give defined bytes.
    graphics->SetColor(300, -20, std::nanf(""));
    EXPECT_EQ(graphics->colour[0], 255);
    EXPECT_EQ(graphics->colour[1], 0);
    EXPECT_EQ(graphics->colour[2], 0);
}

TEST_F(RendererTest, MatrixTransformsEveryVertex) {
    graphics->SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_FALSE(graphics->transformed);
    graphics->SetMatrix(1, 0, 0, 1, std::nanf(""), 0);
    EXPECT_TRUE(graphics->transformed);

    // A quarter turn and a move: x' = -y + 100, y' = x + 50.
    graphics->SetMatrix(0, 1, -1, 0, 100, 50);
    graphics->DrawRect(10, 20, 30, 40);
    const gxtkGraphics::Vertex* v = graphics->vertices;
    float expected[4][2] = {{80, 60}, {80, 90}, {40, 90}, {40, 60}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(v[i].x, expected[i][0]) << "vertex " << i;
        EXPECT_FLOAT_EQ(v[i].y, expected[i][1]) << "vertex " << i;
    }
    EXPECT_EQ(graphics->primitiveType, 4);
}

TEST_F(RendererTest, OvalSegmentsFollowTheRadii) {
    EXPECT_EQ(graphics->OvalSegments(2, 2), 12);          // a tiny oval still gets 12
    EXPECT_EQ(graphics->OvalSegments(1000, 1000), 1024);  // capped
    EXPECT_EQ(graphics->OvalSegments(25.9f, 13.9f), 36);  // 25 + 13 = 38, down to a multiple of 4
    EXPECT_EQ(graphics->OvalSegments(-25.9f, 13.9f), 36); // negative sizes count by magnitude
    EXPECT_EQ(graphics->OvalSegments(std::nanf(""), 10), 12);
    EXPECT_EQ(graphics->OvalSegments(1e30f, 1e30f), 1024);

    // Under a transform the lengths of the transformed radii count: scale 2 doubles them, and
    // truncation happens after the sum (8.5 + 7.5 = 16, where 8 + 7 would give 12).
    graphics->SetMatrix(2, 0, 0, 2, 0, 0);
    EXPECT_EQ(graphics->OvalSegments(10, 10), 40);
    graphics->SetMatrix(0.5f, 0, 0, 0.5f, 0, 0);
    EXPECT_EQ(graphics->OvalSegments(17, 15), 16);
    graphics->SetMatrix(0, 1, -1, 0, 0, 0);  // a quarter turn changes nothing
    EXPECT_EQ(graphics->OvalSegments(30, 10), 40);
}

TEST_F(RendererTest, PolygonsKeepWithinTheirLimits) {
    struct Case {
        int elements, vertices;
    } cases[] = {{0, 0}, {1, 0}, {3, 1}, {4, 2}, {6, 3}, {8, 4}, {10, 5}, {2049, 1024}, {2050, 0}};
    for (const Case& c : cases) {
        EmptyBatch();
        graphics->primitiveType = 0;
        graphics->DrawPoly(Array<float>(c.elements));
        EXPECT_EQ(graphics->vertexCount, c.vertices) << c.elements << " elements";
        if (c.vertices) {
            EXPECT_EQ(graphics->primitiveType, c.vertices) << c.elements << " elements";
        }
    }

    gxtkSurface* surface = graphics->CreateSurface(64, 32);
    surface->uscale = 1.0f / 64;
    surface->vscale = 1.0f / 32;
    Case textured[] = {{3, 0}, {4, 1}, {7, 1}, {16, 4}, {4099, 1024}, {4100, 0}};
    for (const Case& c : textured) {
        EmptyBatch();
        graphics->primitiveType = 0;
        graphics->DrawTexturedPoly(Array<float>(c.elements), surface, 0, 0);
        EXPECT_EQ(graphics->vertexCount, c.vertices) << c.elements << " textured elements";
    }

    // Texture coordinates are image pixels offset by the source corner, scaled to the texture.
    EmptyBatch();
    graphics->DrawTexturedPoly(Array<float>{1, 2, 8, 4, 5, 6, 16, 8, 9, 9, 0, 0}, surface, 8, 4);
    ASSERT_EQ(graphics->vertexCount, 3);
    EXPECT_EQ(graphics->batchSurface, surface);
    EXPECT_FLOAT_EQ(graphics->vertices[0].u, 0.25f);
    EXPECT_FLOAT_EQ(graphics->vertices[0].v, 0.25f);
    EXPECT_FLOAT_EQ(graphics->vertices[1].u, 0.375f);
    EXPECT_FLOAT_EQ(graphics->vertices[1].v, 0.375f);
    EXPECT_FLOAT_EQ(graphics->vertices[2].x, 9);
}

TEST_F(RendererTest, SurfacesLoadBeforeAnyWindowWithPremultipliedPixels) {
    game.AddImage("rgba.png", 3, 2, {200, 100, 50, 128});
    game.AddImage("grey-alpha.png", 2, 2, {200, 128});
    game.AddImage("rgb.png", 2, 1, {200, 100, 50});
    game.AddImage("five.png", 1, 1, {1, 2, 3, 4, 5});

    gxtkSurface* rgba = graphics->LoadSurface(String("rgba.png"));
    ASSERT_NE(rgba, nullptr);
    EXPECT_EQ(rgba->seq, -1);  // no context yet: the texture waits for the first bind
    EXPECT_EQ(rgba->Width(), 3);
    EXPECT_EQ(rgba->Height(), 2);
    EXPECT_EQ(rgba->format, unsigned(0x1908));  // GL_RGBA
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(rgba->data[i * 4 + 0], 100);
        EXPECT_EQ(rgba->data[i * 4 + 1], 50);
        EXPECT_EQ(rgba->data[i * 4 + 2], 25);
        EXPECT_EQ(rgba->data[i * 4 + 3], 128);
    }

    gxtkSurface* greyAlpha = graphics->LoadSurface(String("grey-alpha.png"));
    ASSERT_NE(greyAlpha, nullptr);
    EXPECT_EQ(greyAlpha->format, unsigned(0x190A));  // GL_LUMINANCE_ALPHA
    EXPECT_EQ(greyAlpha->data[6], 100);
    EXPECT_EQ(greyAlpha->data[7], 128);

    gxtkSurface* rgb = graphics->LoadSurface(String("rgb.png"));
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->format, unsigned(0x1907));  // GL_RGB
    EXPECT_EQ(rgb->data[3], 200);              // no alpha: stored as decoded

    EXPECT_EQ(graphics->LoadSurface(String("missing.png")), nullptr);
    EXPECT_EQ(graphics->LoadSurface(String("five.png")), nullptr);

    // Loading into a surface again replaces its pixels and size.
    EXPECT_TRUE(graphics->LoadSurfaceInto(rgba, String("rgb.png")));
    EXPECT_EQ(rgba->Width(), 2);
    EXPECT_EQ(rgba->depth, 3);
}

TEST_F(RendererTest, WrittenSurfacePixelsArePremultipliedIntoTheCopy) {
    EXPECT_EQ(graphics->CreateSurface(0, 4), nullptr);
    EXPECT_EQ(graphics->CreateSurface(4, gxtkGraphics::MAX_SURFACE_SIDE + 1), nullptr);

    gxtkSurface* surface = graphics->CreateSurface(4, 3);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->data, nullptr);

    // A 2 x 2 block from a source with 3 Ints per row, starting at element 1.
    Array<int> pixels{0,
                      int(0x80C86432u), int(0xFF102030u), 0,
                      int(0x00FFFFFFu), int(0x40FF0000u), 0};
    graphics->WriteSurfacePixels(surface, pixels, 2, 1, 2, 2, 1, 3);
    ASSERT_NE(surface->data, nullptr);
    auto pixel = [&](int x, int y) { return surface->data + (y * 4 + x) * 4; };
    const uint8_t expected[4][4] = {{100, 50, 25, 128}, {16, 32, 48, 255}, {0, 0, 0, 0}, {64, 0, 0, 64}};
    const uint8_t* written[4] = {pixel(2, 1), pixel(3, 1), pixel(2, 2), pixel(3, 2)};
    for (int i = 0; i < 4; ++i) {
        for (int c = 0; c < 4; ++c) EXPECT_EQ(written[i][c], expected[i][c]) << "pixel " << i << " byte " << c;
    }
    EXPECT_EQ(pixel(0, 0)[3], 0);  // the fresh copy is cleared outside the rectangle

    // Only RGBA surfaces are written.
    game.AddImage("rgb.png", 2, 1, {1, 2, 3});
    gxtkSurface* rgb = graphics->LoadSurface(String("rgb.png"));
    graphics->WriteSurfacePixels(rgb, pixels, 0, 0, 1, 1, 0, 1);
    EXPECT_EQ(rgb->data[0], 1);
}

TEST_F(RendererTest, PixelRectanglesOutsideTheirBoundsRaiseRuntimeErrors) {
    gxtkSurface* surface = graphics->CreateSurface(4, 4);
    Array<int> pixels(16);
    // Past the surface's right edge, above its top, past the array's end, before its start.
    EXPECT_RUNTIME_ERROR(graphics->WriteSurfacePixels(surface, pixels, 2, 2, 3, 1, 0, 4), "Pixel rectangle outside surface");
    EXPECT_RUNTIME_ERROR(graphics->WriteSurfacePixels(surface, pixels, 0, -1, 1, 1, 0, 4), "Pixel rectangle outside surface");
    EXPECT_RUNTIME_ERROR(graphics->WriteSurfacePixels(surface, pixels, 0, 0, 4, 4, 1, 4), "Array index out of range");
    EXPECT_RUNTIME_ERROR(graphics->WriteSurfacePixels(surface, pixels, 0, 0, 2, 2, 3, -4), "Array index out of range");
    // Rows wider than the pitch would overlap the array's end.
    EXPECT_RUNTIME_ERROR(graphics->ReadPixels(pixels, 0, 0, 5, 4, 0, 4), "Array index out of range");
    EXPECT_RUNTIME_ERROR(graphics->DrawSurface(nullptr, 0, 0), "Null surface");

    // Empty rectangles and a negative pitch that stays inside are fine.
    graphics->WriteSurfacePixels(surface, pixels, 0, 0, 0, 4, 0, 4);
    graphics->WriteSurfacePixels(surface, pixels, 0, 0, 4, 4, 12, -4);
    EXPECT_NE(surface->data, nullptr);
}

}  // namespace
