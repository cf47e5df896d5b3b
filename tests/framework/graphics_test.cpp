#include <cmath>

#include "tests/framework/framework_fixture.h"

namespace {

class GraphicsTest : public FrameworkTest {
protected:
    RecordingGraphics* renderer = nullptr;

    void SetUp() override {
        FrameworkTest::SetUp();
        host.width = 640;
        host.height = 480;
        renderer = new RecordingGraphics();
        renderer->files["zorvex://data/sheet.png"] = {192, 128};
        renderer->files["zorvex://data/strip.png"] = {960, 16};
        renderer->files["zorvex://data/quon_font.png"] = {960, 16};
        renderer->files["zorvex://data/box.png"] = {32, 16};
        SetGraphicsDevice(renderer);
        ValidateDeviceWindow(false);
    }

    // Opens the frame bracket and forgets the calls it made.
    void BeginFrame() {
        BeginRender();
        calls.clear();
    }

    static void ExpectMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
        c_GraphicsContext* c = graphicsContext;
        EXPECT_NEAR(c->ix, ix, 1e-6);
        EXPECT_NEAR(c->iy, iy, 1e-6);
        EXPECT_NEAR(c->jx, jx, 1e-6);
        EXPECT_NEAR(c->jy, jy, 1e-6);
        EXPECT_NEAR(c->tx, tx, 1e-5);
        EXPECT_NEAR(c->ty, ty, 1e-5);
    }
};

using Calls = std::vector<std::string>;

TEST_F(GraphicsTest, TransformsComposeNewestFirstAndReachTheRendererOncePerDraw) {
    c_GraphicsContext* c = graphicsContext;
    EXPECT_EQ(c->tformed, 0);

    // A point (1, 0) drawn after these lands at (10 + cos 90, -sin 90).
    Translate(10, 0);
    Rotate(90);
    ExpectMatrix(0, -1, 1, 0, 10, 0);
    EXPECT_NEAR(1 * c->ix + 0 * c->jx + c->tx, 10, 1e-5);
    EXPECT_NEAR(1 * c->iy + 0 * c->jy + c->ty, -1, 1e-5);
    EXPECT_EQ(c->tformed, 1);

    Scale(2, 3);  // applies before the rotation: (1, 0) -> (2, 0) -> (10, -2)
    ExpectMatrix(0, -2, 3, 0, 10, 0);
    Transform(Array<float>{1, 0, 0, 1, 0, 5});  // (0, 5) -> (0, 15) -> (15, 0) -> (25, 0)
    EXPECT_NEAR(c->tx, 25, 1e-5);
    EXPECT_NEAR(c->ty, 0, 1e-5);

    SetMatrix(Array<float>{1, 0, 0, 1, 0, 0});
    EXPECT_EQ(c->tformed, 0);
    SetMatrix(1, 0, 0, 1, std::nanf(""), 0);
    EXPECT_EQ(c->tformed, 1);
    EXPECT_TRUE(calls.empty()) << "transforms outside a frame never reach the renderer";

    c_Image* box = LoadImage(String("box.png"), 1, 0);
    BeginFrame();
    Translate(5, 0);
    Translate(0, 7);
    DrawImage(box, 1, 2, 0);
    DrawImage(box, 3, 4, 0);
    EXPECT_EQ(calls, (Calls{"SetMatrix 1 0 0 1 5 7", "DrawSurface 1 2", "DrawSurface 3 4"}));
    EXPECT_EQ(c->matDirty, 0);

    EXPECT_RUNTIME_ERROR(Transform(Array<float>{1, 0, 0, 1, 0}), "Array index out of range");
    EXPECT_RUNTIME_ERROR(SetMatrix(Array<float>()), "Array index out of range");
}

TEST_F(GraphicsTest, MatrixStackGrowsPastThirtyTwoLevelsAndRestoresEveryTransform) {
    c_GraphicsContext* c = graphicsContext;
    ASSERT_EQ(c->matrixStack.Length(), 192);
    for (int level = 0; level < 33; ++level) {
        SetMatrix(float(level), 0.5f, -1, 2, float(level) * 3, -float(level));
        PushMatrix();
    }
    EXPECT_EQ(c->matrixStack.Length(), 384);
    EXPECT_EQ(c->matrixSp, 33 * 6);

    gc_full_collection();  // the grown stack must be the one the context keeps alive
    for (int level = 32; level >= 0; --level) {
        PopMatrix();
        ExpectMatrix(float(level), 0.5f, -1, 2, float(level) * 3, -float(level));
    }
    EXPECT_EQ(c->matrixSp, 0);
    EXPECT_EQ(c->matrixStack.Length(), 384) << "the grown stack is kept for the next frames";

    // Popping with nothing pushed fails before the transform changes.
    EXPECT_RUNTIME_ERROR(PopMatrix(), "Array index out of range");

    PushMatrix();
    BeginRender();
    EXPECT_EQ(c->matrixSp, 0) << "every frame starts with an empty stack";
    ExpectMatrix(1, 0, 0, 1, 0, 0);
}

TEST_F(GraphicsTest, FramesAreCutRowByRowAndMustLieInsideTheSurface) {
    c_Image* sheet = LoadImage(String("sheet.png"), 64, 64, 6, 0);
    ASSERT_NE(sheet, nullptr);
    const int expected[6][2] = {{0, 0}, {64, 0}, {128, 0}, {0, 64}, {64, 64}, {128, 64}};
    ASSERT_EQ(sheet->frames.Length(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(sheet->frames[i]->x, expected[i][0]) << "frame " << i;
        EXPECT_EQ(sheet->frames[i]->y, expected[i][1]) << "frame " << i;
    }
    EXPECT_EQ(sheet->flags, 0);
    EXPECT_EQ(sheet->source, nullptr);

    // Cutting from an area of another image: positions are offset by the area's corner, and a
    // full row wraps to column 0 even when the cutting started further right.
    c_Image* part = (new c_Image())->Init(sheet->surface, 10, 0, 10, 10, 3, 0, sheet, 5, 7, 25, 20);
    EXPECT_EQ(part->source, sheet);
    EXPECT_EQ(part->frames[0]->x, 15);
    EXPECT_EQ(part->frames[0]->y, 7);
    EXPECT_EQ(part->frames[1]->x, 5);
    EXPECT_EQ(part->frames[1]->y, 17);
    EXPECT_EQ(part->frames[2]->x, 15);
    EXPECT_EQ(part->frames[2]->y, 17);

    // A single-row strip with padding columns, as the built-in font is cut.
    c_Image* strip = LoadImage(String("strip.png"), 96, c_Image::PaddedX);
    EXPECT_EQ(strip->width, 8);
    EXPECT_EQ(strip->height, 16);
    for (int i : {0, 1, 50, 95}) EXPECT_EQ(strip->frames[i]->x, 10 * i + 1);

    EXPECT_EQ(LoadImage(String("missing.png"), 1, 0), nullptr);
    EXPECT_EQ(LoadImage(String("missing.png"), 8, 8, 1, 0), nullptr);

    EXPECT_RUNTIME_ERROR(LoadImage(String("sheet.png"), 64, 64, 7, 0), "Image frame outside surface");
    EXPECT_RUNTIME_ERROR(LoadImage(String("sheet.png"), 200, 64, 1, 0), "Image frame outside surface");
    EXPECT_RUNTIME_ERROR(LoadImage(String("strip.png"), 0, 0), "Image frame count must be at least 1");
    EXPECT_RUNTIME_ERROR(LoadImage(String("sheet.png"), 64, 64, -1, 0), "Image frame count must be at least 1");
    EXPECT_RUNTIME_ERROR((new c_Image())->Init(nullptr, 1, 0), "Image needs a surface");
    EXPECT_RUNTIME_ERROR((SetGraphicsDevice(nullptr), LoadImage(String("box.png"), 1, 0)),
                         "Images can only be loaded from OnCreate onwards");
}

TEST_F(GraphicsTest, FlagsSetHandlesPaddingAndTheWholeSurfaceMark) {
    EXPECT_EQ(c_Image::DefaultFlags, 0);

    c_Image* box = LoadImage(String("box.png"), 1, c_Image::HandleCentered);
    EXPECT_EQ(box->tx, 16);
    EXPECT_EQ(box->ty, 8);
    EXPECT_EQ(box->flags, c_Image::FullSurfaceFrame) << "the centring bit is not kept";

    // Padding on both axes shrinks the frame first, so the centre is that of the padded frame.
    c_Image* padded = LoadImage(String("box.png"), 1, c_Image::PaddedX | c_Image::PaddedY | c_Image::HandleCentered);
    EXPECT_EQ(padded->width, 30);
    EXPECT_EQ(padded->height, 14);
    EXPECT_EQ(padded->frames[0]->x, 1);
    EXPECT_EQ(padded->frames[0]->y, 1);
    EXPECT_EQ(padded->tx, 15);
    EXPECT_EQ(padded->ty, 7);
    EXPECT_EQ(padded->flags, c_Image::PaddedX | c_Image::PaddedY);

    c_Image* pair = LoadImage(String("box.png"), 2, 0);
    EXPECT_EQ(pair->width, 16);
    EXPECT_EQ(pair->flags, 0) << "two frames never cover the whole surface alone";
    c_Image* cut = LoadImage(String("box.png"), 32, 16, 1, 0);
    EXPECT_EQ(cut->flags, c_Image::FullSurfaceFrame);

    box->flags |= c_Image::HandleCentered;
    EXPECT_EQ(box->SetHandle(-2.5f, 3), 0);
    EXPECT_EQ(box->tx, -2.5f);
    EXPECT_EQ(box->ty, 3);
    EXPECT_EQ(box->flags & c_Image::HandleCentered, 0);
}

TEST_F(GraphicsTest, DrawsPickTheWholeSurfaceOrAFrameAndCheckTheirArguments) {
    c_Image* box = LoadImage(String("box.png"), 1, c_Image::HandleCentered);
    c_Image* pair = LoadImage(String("box.png"), 2, 0);
    pair->SetHandle(1, 2);

    EXPECT_RUNTIME_ERROR(DrawImage(box, 0, 0, 0), "Rendering operations can only be performed inside OnRender");
    EXPECT_RUNTIME_ERROR(DrawImageRect(box, 0, 0, 0, 0, 1, 1, 0),
                         "Rendering operations can only be performed inside OnRender");
    EXPECT_RUNTIME_ERROR(Cls(0, 0, 0), "Rendering operations can only be performed inside OnRender");

    BeginFrame();
    DrawImage(box, 100, 50, 0);
    DrawImage(pair, 10, 20, 1);
    DrawImageRect(pair, 10, 20, 2, 3, 14, 13, 1);  // right and bottom edges exactly on the frame's
    DrawImageRect(box, 0, 0, 0, 0, 32, 16, 0);
    EXPECT_EQ(calls, (Calls{"SetMatrix 1 0 0 1 0 0", "DrawSurface 84 42", "DrawSurfaceRect 9 18 16 0 16 16",
                            "DrawSurfaceRect 9 18 18 3 14 13", "DrawSurfaceRect -16 -8 0 0 32 16"}));

    EXPECT_RUNTIME_ERROR(DrawImageRect(pair, 0, 0, 3, 0, 14, 1, 0), "Invalid image rectangle");
    EXPECT_RUNTIME_ERROR(DrawImageRect(pair, 0, 0, 0, 4, 1, 13, 0), "Invalid image rectangle");
    EXPECT_RUNTIME_ERROR(DrawImageRect(pair, 0, 0, -1, 0, 1, 1, 0), "Invalid image rectangle");
    EXPECT_RUNTIME_ERROR(DrawImageRect(pair, 0, 0, 0, 0, 1, 1, 0, 1, 1, 2), "Invalid image frame");
    EXPECT_RUNTIME_ERROR(DrawImage(pair, 0, 0, 2), "Invalid image frame");
    EXPECT_RUNTIME_ERROR(DrawImage(pair, 0, 0, -1), "Invalid image frame");
    EXPECT_RUNTIME_ERROR(DrawImage(nullptr, 0, 0, 0), "Cannot draw a null image");
    EXPECT_RUNTIME_ERROR(DrawImageRect(nullptr, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0), "Cannot draw a null image");
}

TEST_F(GraphicsTest, RotatedDrawsTurnAndScaleAboutTheHandleAndRestoreTheTransform) {
    c_Image* box = LoadImage(String("box.png"), 1, c_Image::HandleCentered);
    c_Image* pair = LoadImage(String("box.png"), 2, 0);
    BeginFrame();
    Translate(1, 1);
    PushMatrix();

    // Translate(100, 50), Rotate(90), Scale(2, 3), Translate(-16, -8) on top of Translate(1, 1):
    // the handle (16, 8) lands on (101, 51).
    DrawImage(box, 100, 50, 90, 2, 3, 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1], "DrawSurface 0 0");
    float m[6];
    ASSERT_EQ(std::sscanf(calls[0].c_str(), "SetMatrix %f %f %f %f %f %f", &m[0], &m[1], &m[2], &m[3], &m[4], &m[5]), 6);
    EXPECT_NEAR(16 * m[0] + 8 * m[2] + m[4], 101, 1e-4);
    EXPECT_NEAR(16 * m[1] + 8 * m[3] + m[5], 51, 1e-4);
    EXPECT_NEAR(m[1], -2, 1e-6) << "x turns to screen up at twice the size";
    EXPECT_NEAR(m[2], 3, 1e-6) << "y turns to screen right at three times the size";
    ExpectMatrix(1, 0, 0, 1, 1, 1);
    EXPECT_EQ(graphicsContext->matrixSp, 6);

    calls.clear();
    DrawImageRect(pair, 10, 20, 1, 2, 3, 4, 0, 1, 1, 1);
    EXPECT_EQ(calls, (Calls{"SetMatrix 1 0 0 1 11 21", "DrawSurfaceRect 0 0 17 2 3 4"}));
    ExpectMatrix(1, 0, 0, 1, 1, 1);
}

TEST_F(GraphicsTest, TheFrameBracketResetsStateAndSettersReachOnlyAnOpenFrame) {
    c_GraphicsContext* c = graphicsContext;
    SetColor(1, 2, 3);
    SetAlpha(0.25f);
    SetBlend(1);
    SetScissor(-1.5f, 2.9f, 10, 20);
    Translate(1, 0);
    c->Validate();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(c->matDirty, 1) << "a transform changed outside a frame waits for the next draw";
    EXPECT_EQ(c->color_g, 2);
    EXPECT_EQ(c->alpha, 0.25f);
    EXPECT_EQ(c->blend, 1);
    EXPECT_EQ(c->scissor_x, -1.5f);

    host.width = 800;  // the bracket uses the size of the last validation, not the host's
    BeginRender();
    EXPECT_EQ(renderDevice, renderer);
    EXPECT_EQ(calls, (Calls{"SetColor 255 255 255", "SetAlpha 1", "SetBlend 0", "SetScissor 0 0 640 480"}));
    EXPECT_EQ(c->matDirty, 1) << "the identity reaches the renderer with the first draw";

    calls.clear();
    SetScissor(-1.5f, 2.9f, 10.99f, 20);
    Cls(1, 2, 3);
    EXPECT_EQ(calls, (Calls{"SetScissor -1 2 10 20", "Cls 1 2 3"}));

    EndRender();
    EXPECT_EQ(renderDevice, nullptr);
    EXPECT_EQ(graphicsDevice, renderer);
}

TEST_F(GraphicsTest, SetFontLoadsTheBuiltInFontOnceAndKeepsCallersFonts) {
    SetFont(nullptr, 40);
    c_GraphicsContext* c = graphicsContext;
    ASSERT_NE(c->defaultFont, nullptr);
    EXPECT_EQ(c->font, c->defaultFont);
    EXPECT_EQ(c->firstChar, 32);
    EXPECT_EQ(c->defaultFont->frames.Length(), 96);
    EXPECT_EQ(c->defaultFont->width, 8);
    EXPECT_EQ(c->defaultFont->flags, c_Image::PaddedX);

    c_Image* box = LoadImage(String("box.png"), 1, 0);
    SetFont(box, 65);
    EXPECT_EQ(c->font, box);
    EXPECT_EQ(c->firstChar, 65);
    c_Image* builtIn = c->defaultFont;
    gc_full_collection();
    SetFont(nullptr, 0);
    EXPECT_EQ(c->font, builtIn);
    EXPECT_EQ(c->defaultFont->frames[95]->x, 951) << "the font survives collections";
    int fontLoads = 0;
    for (const std::string& path : renderer->loads) fontLoads += path == "zorvex://data/quon_font.png";
    EXPECT_EQ(fontLoads, 1);
}

}  // namespace
