// The drawing interface of the game: images cut into frames, the current colour, alpha, blend and
// scissor, and a 2D affine transform with a push/pop stack.
//
// All state lives in the one GraphicsContext. Drawing goes to the renderer only between
// BeginRender and EndRender (the frame bracket the delegate puts around OnRender). The transform
// reaches the renderer lazily: operations only mark it dirty, and the next draw hands it over once
// (GraphicsContext.Validate), however many changes came before.
#pragma once

#include "native/gxtk_graphics.h"
#include "runtime/array.h"
#include "runtime/object.h"

// The top-left corner of one frame inside an image's surface.
class c_Frame : public Object {
public:
    static constexpr const char* debug_name = "Frame";

    int x = 0;
    int y = 0;

    String debug_dump() override;

    c_Frame();
    c_Frame(int x, int y);
};

class c_Image : public Object {
public:
    static constexpr const char* debug_name = "Image";

    // Flag bits of LoadImage and ApplyFlags.
    static constexpr int HandleCentered = 1;  // handle at the frame's centre; not kept in `flags`
    static constexpr int PaddedX = 2;         // one padding column each side of every frame
    static constexpr int PaddedY = 4;         // one padding row above and below every frame
    static constexpr int FullSurfaceFrame = 65536;  // one frame covering the whole surface

    // What callers pass as flags when they have none of their own.
    static int DefaultFlags;

    c_Image* source = nullptr;  // the image this one was cut from; shared, not owned
    gxtkSurface* surface = nullptr;
    int width = 0;   // of one frame
    int height = 0;
    int flags = 0;
    Array<c_Frame*> frames;
    float tx = 0;  // the handle: the point of a frame that lands on the drawing position
    float ty = 0;

    void mark_children() override;
    String debug_dump() override;

    c_Image();

    // nframes frames side by side across the whole surface.
    c_Image* Init(gxtkSurface* surf, int nframes, int iflags);
    // nframes frames of iwidth x iheight cut row by row from the area (srcx, srcy, srcw, srch),
    // starting at (x, y) inside it.
    c_Image* Init(gxtkSurface* surf, int x, int y, int iwidth, int iheight, int nframes, int iflags,
                  c_Image* src, int srcx, int srcy, int srcw, int srch);
    int ApplyFlags(int iflags);
    int SetHandle(float tx, float ty);
};

class c_GraphicsContext : public Object {
public:
    static constexpr const char* debug_name = "GraphicsContext";

    static constexpr int InitialMatrixLevels = 32;

    float color_r = 0;
    float color_g = 0;
    float color_b = 0;
    float alpha = 0;
    int blend = 0;
    float ix = 1;
    float iy = 0;
    float jx = 0;
    float jy = 1;
    float tx = 0;
    float ty = 0;
    int tformed = 0;   // 1 when the transform is not the identity
    int matDirty = 0;  // 1 when the renderer has not seen the current transform
    float scissor_x = 0;
    float scissor_y = 0;
    float scissor_width = 0;
    float scissor_height = 0;
    Array<float> matrixStack;  // 6 floats per saved transform
    int matrixSp = 0;          // floats in use
    c_Image* font = nullptr;
    int firstChar = 0;
    c_Image* defaultFont = nullptr;

    void mark_children() override;
    String debug_dump() override;

    c_GraphicsContext();

    // Hands a dirty transform to the renderer.
    int Validate();
};

extern gxtkGraphics* graphicsDevice;
extern gxtkGraphics* renderDevice;  // graphicsDevice inside the frame bracket, else null
extern c_GraphicsContext* graphicsContext;

void graphics_init_globals();
void graphics_queue_roots();

void SetGraphicsDevice(gxtkGraphics* dev);
// Null when the file cannot be loaded.
c_Image* LoadImage(const String& path, int frameCount, int flags);
c_Image* LoadImage(const String& path, int frameWidth, int frameHeight, int frameCount, int flags);

// The frame bracket around OnRender.
void BeginRender();
void EndRender();
void DebugRenderDevice();

void SetColor(float r, float g, float b);
void SetAlpha(float alpha);
void SetBlend(int blend);
void SetScissor(float x, float y, float width, float height);
void Cls(float r, float g, float b);
// A null font installs the built-in one, whose first character is 32.
void SetFont(c_Image* font, int firstChar);

void SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
void SetMatrix(const Array<float>& m);
// Applies the given transform first, then the current one.
void Transform(float ix, float iy, float jx, float jy, float tx, float ty);
void Transform(const Array<float>& m);
void Translate(float x, float y);
void Scale(float x, float y);
// Degrees; positive turns drawings counter-clockwise on screen.
void Rotate(float angle);
void PushMatrix();
void PopMatrix();

void DrawImage(c_Image* image, float x, float y, int frame);
// Rotates and scales about the image's handle.
void DrawImage(c_Image* image, float x, float y, float rotation, float scaleX, float scaleY, int frame);
void DrawImageRect(c_Image* image, float x, float y, int srcX, int srcY, int srcWidth, int srcHeight,
                   int frame);
void DrawImageRect(c_Image* image, float x, float y, int srcX, int srcY, int srcWidth, int srcHeight,
                   float rotation, float scaleX, float scaleY, int frame);
