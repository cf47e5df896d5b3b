// The renderer: immediate-mode drawing on the fixed-function OpenGL pipeline, through one batch.
//
// Batching. Every drawing operation turns its primitive into vertices (position, texture
// coordinates, colour) with the current colour and matrix already applied, and appends them to
// one vertex buffer of 1024 vertices. The buffer is drawn with one OpenGL call per primitive run
// (quads: one indexed draw of up to 256 quads; polygons of 5 or more vertices: one fan each) when
//   - the primitive type changes (point, line, triangle, quad, or an n-gon of another size),
//   - the texture changes (another surface, or textured to untextured),
//   - the next primitive would not fit in the 1024 vertices,
//   - blend, scissor, ReadPixels or WriteSurfacePixels need what was drawn before them,
//   - or the frame ends (EndRender).
// Colour, alpha and matrix changes never flush: they are baked into the vertices as they are
// written. Cls drops the pending batch instead of drawing it, since the clear would cover it.
// So N sprites from one image cost ceil(N / 256) draw calls.
//
// Colours are premultiplied by alpha (blend GL_ONE, GL_ONE_MINUS_SRC_ALPHA) and so are the pixels
// of every surface. A surface keeps a copy of its pixels and makes its texture on first Bind under
// each OpenGL context (graphicsSeq), so surfaces load before any window exists and survive a new
// window.
//
// Main thread only; drawing only between BeginRender and EndRender.
#pragma once

#include <cstdint>

#include "runtime/array.h"
#include "runtime/object.h"

class gxtkSurface : public Object {
public:
    uint8_t* data = nullptr;  // the premultiplied pixel copy, malloc'd; owned
    int width = 0;
    int height = 0;
    int depth = 0;            // components per pixel, 1 to 4
    unsigned format = 0;      // GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB or GL_RGBA, by depth
    int seq = -1;             // graphicsSeq under which `texture` was made; -1: none
    unsigned texture = 0;
    float uscale = 1;         // 1 / texture width (the texture may be larger than the image)
    float vscale = 1;

    ~gxtkSurface() override;

    virtual int Discard();
    virtual int Width();
    virtual int Height();
    virtual int IsLoaded();
    virtual void Bind();

    // Takes ownership of malloc'd `pixels` and premultiplies them (depths 2 and 4).
    void SetData(uint8_t* pixels, int width, int height, int depth);
};

class gxtkGraphics : public Object {
public:
    static constexpr int MAX_VERTICES = 1024;
    static constexpr int MAX_QUADS = MAX_VERTICES / 4;
    // Largest surface side CreateSurface accepts; bounds the pixel copy it may allocate.
    static constexpr int MAX_SURFACE_SIDE = 16384;

    struct Vertex {
        float x, y, u, v;
        uint8_t colour[4];  // R, G, B, A, premultiplied
    };
    static_assert(sizeof(Vertex) == 20, "OpenGL reads the vertex buffer with stride 20");

    int width = 0;
    int height = 0;
    uint8_t colour[4] = {0, 0, 0, 0};
    float r = 0, g = 0, b = 0;
    float alpha = 0;
    float ix = 1, iy = 0, jx = 0, jy = 1, tx = 0, ty = 0;
    bool transformed = false;
    Vertex vertices[MAX_VERTICES];
    uint16_t quadIndices[MAX_QUADS * 6];
    int primitiveType = 0;  // 1 points, 2 lines, 3 triangles, 4 quads, n >= 5 n-gons
    int vertexCount = 0;
    gxtkSurface* batchSurface = nullptr;  // compared and drawn within a frame only; not traced
    int drawCalls = 0;                    // OpenGL draw calls since the last BeginRender

    gxtkGraphics();

    virtual int Width();
    virtual int Height();
    virtual int BeginRender();
    virtual void EndRender();
    virtual void DiscardGraphics();
    virtual gxtkSurface* LoadSurface(const String& path);
    virtual gxtkSurface* CreateSurface(int width, int height);
    virtual bool LoadSurfaceInto(gxtkSurface* surface, const String& path);
    virtual int Cls(float r, float g, float b);
    virtual int SetAlpha(float alpha);
    virtual int SetColor(float r, float g, float b);
    virtual int SetBlend(int blend);
    virtual int SetScissor(int x, int y, int width, int height);
    virtual int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
    virtual int DrawPoint(float x, float y);
    virtual int DrawRect(float x, float y, float width, float height);
    virtual int DrawLine(float x1, float y1, float x2, float y2);
    virtual int DrawOval(float x, float y, float width, float height);
    virtual int DrawPoly(const Array<float>& vertices);
    virtual int DrawTexturedPoly(const Array<float>& vertices, gxtkSurface* surface, int srcX, int srcY);
    virtual int DrawSurface(gxtkSurface* surface, float x, float y);
    virtual int DrawSurfaceRect(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcWidth,
                                int srcHeight);
    virtual int ReadPixels(const Array<int>& pixels, int x, int y, int width, int height, int offset,
                           int pitch);
    virtual int WriteSurfacePixels(gxtkSurface* surface, const Array<int>& pixels, int x, int y, int width,
                                   int height, int offset, int pitch);

    // Draws and empties the batch.
    void Flush();
    // Vertices an oval of radii rx, ry gets under the current matrix: 12 to 1024, a multiple of 4.
    int OvalSegments(float rx, float ry) const;

private:
    // Reserves `count` vertices of the batch, flushing first if they cannot join it.
    Vertex* BeginPrimitive(int type, int count, gxtkSurface* surface);
    Vertex* BeginTextured(int type, int count, gxtkSurface* surface);
    // Writes a position, transformed, with the current colour.
    void Emit(Vertex* vertex, float x, float y);
    void EmitRect(Vertex* first, float x, float y, float width, float height);
};
