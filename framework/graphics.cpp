#include "framework/graphics.h"

#include <cmath>

#include "framework/app.h"
#include "framework/data.h"
#include "runtime/std/math.h"

// ---- Frame ----

c_Frame::c_Frame() {
    ZV_FUNC("Frame.new");
    ZV_SELF;
}

c_Frame::c_Frame(int x, int y) {
    ZV_FUNC("Frame.new");
    ZV_SELF;
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT this->x = x;
    ZV_AT this->y = y;
}

String c_Frame::debug_dump() {
    String t = dbg_dump_header("Frame");
    dbg_dump_field(t, "x", x);
    dbg_dump_field(t, "y", y);
    return t;
}

// ---- Image ----

int c_Image::DefaultFlags;

c_Image::c_Image() {
    ZV_FUNC("Image.new");
    ZV_SELF;
}

void c_Image::mark_children() {
    Object::mark_children();
    gc_grey(source);
    gc_grey(surface);
    gc_grey(frames.Storage());
}

String c_Image::debug_dump() {
    String t = dbg_dump_header("Image");
    dbg_dump_field(t, "DefaultFlags", DefaultFlags);
    dbg_dump_field(t, "source", source);
    dbg_dump_field(t, "surface", surface);
    dbg_dump_field(t, "width", width);
    dbg_dump_field(t, "height", height);
    dbg_dump_field(t, "flags", flags);
    dbg_dump_field(t, "frames", frames);
    dbg_dump_field(t, "tx", tx);
    dbg_dump_field(t, "ty", ty);
    return t;
}

namespace {

// A frame count below 1 would divide by zero or leave an image with nothing to draw.
void CheckImageInit(gxtkSurface* surf, int nframes) {
    ZV_FUNC("CheckImageInit");
    ZV_LOCAL(surf);
    ZV_LOCAL(nframes);
    ZV_AT if (!surf) raise_runtime_error("Image needs a surface");
    ZV_AT if (nframes < 1) raise_runtime_error("Image frame count must be at least 1");
}

}  // namespace

c_Image* c_Image::Init(gxtkSurface* surf, int nframes, int iflags) {
    ZV_FUNC("Image.Init");
    ZV_SELF;
    ZV_LOCAL(surf);
    ZV_LOCAL(nframes);
    ZV_LOCAL(iflags);
    ZV_AT CheckImageInit(surf, nframes);
    ZV_AT gc_store(surface, surf);
    ZV_AT width = surface->Width() / nframes;
    ZV_AT height = surface->Height();
    ZV_AT gc_store_array(frames, Array<c_Frame*>(nframes));
    ZV_AT for (int i = 0; i < nframes; ++i) {
        ZV_BLOCK;
        ZV_LOCAL(i);
        ZV_AT frames.Set(i, new c_Frame(i * width, 0));
    }
    ZV_AT ApplyFlags(iflags);
    ZV_AT return this;
}

c_Image* c_Image::Init(gxtkSurface* surf, int x, int y, int iwidth, int iheight, int nframes, int iflags,
                       c_Image* src, int srcx, int srcy, int srcw, int srch) {
    ZV_FUNC("Image.Init");
    ZV_SELF;
    ZV_LOCAL(surf);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(iwidth);
    ZV_LOCAL(iheight);
    ZV_LOCAL(nframes);
    ZV_LOCAL(iflags);
    ZV_LOCAL(src);
    ZV_LOCAL(srcx);
    ZV_LOCAL(srcy);
    ZV_LOCAL(srcw);
    ZV_LOCAL(srch);
    ZV_AT CheckImageInit(surf, nframes);
    ZV_AT gc_store(surface, surf);
    ZV_AT gc_store(source, src);
    ZV_AT width = iwidth;
    ZV_AT height = iheight;
    ZV_AT gc_store_array(frames, Array<c_Frame*>(nframes));
    ZV_AT int ix = x;
    ZV_LOCAL(ix);
    ZV_AT int iy = y;
    ZV_LOCAL(iy);
    ZV_AT for (int i = 0; i < nframes; ++i) {
        ZV_BLOCK;
        ZV_LOCAL(i);
        // A row that is full wraps to the next one, always at column 0.
        ZV_AT if (ix + width > srcw) {
            ZV_BLOCK;
            ZV_AT ix = 0;
            ZV_AT iy += height;
        }
        ZV_AT if (ix + width > srcw || iy + height > srch) raise_runtime_error("Image frame outside surface");
        ZV_AT frames.Set(i, new c_Frame(ix + srcx, iy + srcy));
        ZV_AT ix += width;
    }
    ZV_AT ApplyFlags(iflags);
    ZV_AT return this;
}

int c_Image::ApplyFlags(int iflags) {
    ZV_FUNC("Image.ApplyFlags");
    ZV_SELF;
    ZV_LOCAL(iflags);
    ZV_AT flags = iflags;
    ZV_AT if (flags & PaddedX) {
        ZV_BLOCK;
        ZV_AT for (int i = 0; i < frames.Length(); ++i) {
            ZV_BLOCK;
            ZV_LOCAL(i);
            ZV_AT frames[i]->x += 1;
        }
        ZV_AT width -= 2;
    }
    ZV_AT if (flags & PaddedY) {
        ZV_BLOCK;
        ZV_AT for (int i = 0; i < frames.Length(); ++i) {
            ZV_BLOCK;
            ZV_LOCAL(i);
            ZV_AT frames[i]->y += 1;
        }
        ZV_AT height -= 2;
    }
    ZV_AT if (flags & HandleCentered) SetHandle(float(width) * 0.5f, float(height) * 0.5f);
    ZV_AT if (frames.Length() == 1 && frames[0]->x == 0 && frames[0]->y == 0 && width == surface->Width() &&
              height == surface->Height()) {
        ZV_BLOCK;
        ZV_AT flags |= FullSurfaceFrame;
    }
    ZV_AT return 0;
}

int c_Image::SetHandle(float tx, float ty) {
    ZV_FUNC("Image.SetHandle");
    ZV_SELF;
    ZV_LOCAL(tx);
    ZV_LOCAL(ty);
    ZV_AT this->tx = tx;
    ZV_AT this->ty = ty;
    ZV_AT flags &= ~HandleCentered;
    ZV_AT return 0;
}

// ---- GraphicsContext ----

c_GraphicsContext::c_GraphicsContext() {
    ZV_FUNC("GraphicsContext.new");
    ZV_SELF;
    ZV_AT matrixStack = Array<float>(InitialMatrixLevels * 6);
}

void c_GraphicsContext::mark_children() {
    Object::mark_children();
    gc_grey(matrixStack.Storage());
    gc_grey(font);
    gc_grey(defaultFont);
}

String c_GraphicsContext::debug_dump() {
    String t = dbg_dump_header("GraphicsContext");
    dbg_dump_field(t, "color_r", color_r);
    dbg_dump_field(t, "color_g", color_g);
    dbg_dump_field(t, "color_b", color_b);
    dbg_dump_field(t, "alpha", alpha);
    dbg_dump_field(t, "blend", blend);
    dbg_dump_field(t, "ix", ix);
    dbg_dump_field(t, "iy", iy);
    dbg_dump_field(t, "jx", jx);
    dbg_dump_field(t, "jy", jy);
    dbg_dump_field(t, "tx", tx);
    dbg_dump_field(t, "ty", ty);
    dbg_dump_field(t, "tformed", tformed);
    dbg_dump_field(t, "matDirty", matDirty);
    dbg_dump_field(t, "scissor_x", scissor_x);
    dbg_dump_field(t, "scissor_y", scissor_y);
    dbg_dump_field(t, "scissor_width", scissor_width);
    dbg_dump_field(t, "scissor_height", scissor_height);
    dbg_dump_field(t, "matrixStack", matrixStack);
    dbg_dump_field(t, "matrixSp", matrixSp);
    dbg_dump_field(t, "font", font);
    dbg_dump_field(t, "firstChar", firstChar);
    dbg_dump_field(t, "defaultFont", defaultFont);
    return t;
}

int c_GraphicsContext::Validate() {
    ZV_FUNC("GraphicsContext.Validate");
    ZV_SELF;
    // Outside the frame bracket the transform stays dirty for the first draw of the next frame.
    ZV_AT if (matDirty && renderDevice) {
        ZV_BLOCK;
        ZV_AT renderDevice->SetMatrix(ix, iy, jx, jy, tx, ty);
        ZV_AT matDirty = 0;
    }
    ZV_AT return 0;
}

// ---- Module globals ----

gxtkGraphics* graphicsDevice;
gxtkGraphics* renderDevice;
c_GraphicsContext* graphicsContext;

void graphics_init_globals() {
    graphicsDevice = nullptr;
    renderDevice = nullptr;
    gc_store(graphicsContext, new c_GraphicsContext());
    c_Image::DefaultFlags = 0;
}

void graphics_queue_roots() {
    gc_grey(graphicsDevice);
    gc_grey(renderDevice);
    gc_grey(graphicsContext);
}

// ---- Loading ----

void SetGraphicsDevice(gxtkGraphics* dev) {
    ZV_FUNC("SetGraphicsDevice");
    ZV_LOCAL(dev);
    ZV_AT gc_store(graphicsDevice, dev);
}

namespace {

gxtkSurface* LoadImageSurface(const String& path) {
    ZV_FUNC("LoadImageSurface");
    ZV_LOCAL(path);
    ZV_AT if (!graphicsDevice) raise_runtime_error("Images can only be loaded from OnCreate onwards");
    ZV_AT return graphicsDevice->LoadSurface(FixDataPath(path));
}

}  // namespace

c_Image* LoadImage(const String& path, int frameCount, int flags) {
    ZV_FUNC("LoadImage");
    ZV_LOCAL(path);
    ZV_LOCAL(frameCount);
    ZV_LOCAL(flags);
    ZV_AT gxtkSurface* surface = LoadImageSurface(path);
    ZV_LOCAL(surface);
    ZV_AT if (!surface) return nullptr;
    ZV_AT return (new c_Image())->Init(surface, frameCount, flags);
}

c_Image* LoadImage(const String& path, int frameWidth, int frameHeight, int frameCount, int flags) {
    ZV_FUNC("LoadImage");
    ZV_LOCAL(path);
    ZV_LOCAL(frameWidth);
    ZV_LOCAL(frameHeight);
    ZV_LOCAL(frameCount);
    ZV_LOCAL(flags);
    ZV_AT gxtkSurface* surface = LoadImageSurface(path);
    ZV_LOCAL(surface);
    ZV_AT if (!surface) return nullptr;
    ZV_AT return (new c_Image())->Init(surface, 0, 0, frameWidth, frameHeight, frameCount, flags, nullptr, 0, 0,
                                      surface->Width(), surface->Height());
}

// ---- Frame bracket and state ----

void BeginRender() {
    ZV_FUNC("BeginRender");
    ZV_AT gc_store(renderDevice, graphicsDevice);
    ZV_AT graphicsContext->matrixSp = 0;
    ZV_AT SetMatrix(1, 0, 0, 1, 0, 0);
    ZV_AT SetColor(255, 255, 255);
    ZV_AT SetAlpha(1);
    ZV_AT SetBlend(0);
    ZV_AT SetScissor(0, 0, float(DeviceWidth()), float(DeviceHeight()));
}

void EndRender() {
    ZV_FUNC("EndRender");
    ZV_AT renderDevice = nullptr;
}

void DebugRenderDevice() {
    ZV_FUNC("DebugRenderDevice");
    ZV_AT if (!renderDevice) raise_runtime_error("Rendering operations can only be performed inside OnRender");
}

// The setters keep the context current at any time but reach the renderer only inside the frame
// bracket; BeginRender sets every one of them again before a frame is drawn.

void SetColor(float r, float g, float b) {
    ZV_FUNC("SetColor");
    ZV_LOCAL(r);
    ZV_LOCAL(g);
    ZV_LOCAL(b);
    ZV_AT graphicsContext->color_r = r;
    ZV_AT graphicsContext->color_g = g;
    ZV_AT graphicsContext->color_b = b;
    ZV_AT if (renderDevice) renderDevice->SetColor(r, g, b);
}

void SetAlpha(float alpha) {
    ZV_FUNC("SetAlpha");
    ZV_LOCAL(alpha);
    ZV_AT graphicsContext->alpha = alpha;
    ZV_AT if (renderDevice) renderDevice->SetAlpha(alpha);
}

void SetBlend(int blend) {
    ZV_FUNC("SetBlend");
    ZV_LOCAL(blend);
    ZV_AT graphicsContext->blend = blend;
    ZV_AT if (renderDevice) renderDevice->SetBlend(blend);
}

void SetScissor(float x, float y, float width, float height) {
    ZV_FUNC("SetScissor");
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(width);
    ZV_LOCAL(height);
    ZV_AT graphicsContext->scissor_x = x;
    ZV_AT graphicsContext->scissor_y = y;
    ZV_AT graphicsContext->scissor_width = width;
    ZV_AT graphicsContext->scissor_height = height;
    ZV_AT if (renderDevice) renderDevice->SetScissor(int(x), int(y), int(width), int(height));
}

void Cls(float r, float g, float b) {
    ZV_FUNC("Cls");
    ZV_LOCAL(r);
    ZV_LOCAL(g);
    ZV_LOCAL(b);
    ZV_AT DebugRenderDevice();
    ZV_AT renderDevice->Cls(r, g, b);
}

void SetFont(c_Image* font, int firstChar) {
    ZV_FUNC("SetFont");
    ZV_LOCAL(font);
    ZV_LOCAL(firstChar);
    ZV_AT if (!font) {
        ZV_BLOCK;
        ZV_AT if (!graphicsContext->defaultFont) {
            ZV_BLOCK;
            ZV_AT gc_store(graphicsContext->defaultFont, LoadImage(String("quon_font.png"), 96, c_Image::PaddedX));
        }
        ZV_AT font = graphicsContext->defaultFont;
        ZV_AT firstChar = 32;
    }
    ZV_AT gc_store(graphicsContext->font, font);
    ZV_AT graphicsContext->firstChar = firstChar;
}

// ---- Transform ----

void SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
    ZV_FUNC("SetMatrix");
    ZV_LOCAL(ix);
    ZV_LOCAL(iy);
    ZV_LOCAL(jx);
    ZV_LOCAL(jy);
    ZV_LOCAL(tx);
    ZV_LOCAL(ty);
    ZV_AT c_GraphicsContext* context = graphicsContext;
    ZV_LOCAL(context);
    ZV_AT context->ix = ix;
    ZV_AT context->iy = iy;
    ZV_AT context->jx = jx;
    ZV_AT context->jy = jy;
    ZV_AT context->tx = tx;
    ZV_AT context->ty = ty;
    // Written so that a NaN anywhere also counts as transformed.
    ZV_AT context->tformed = (ix != 1 || iy != 0 || jx != 0 || jy != 1 || tx != 0 || ty != 0) ? 1 : 0;
    ZV_AT context->matDirty = 1;
}

void SetMatrix(const Array<float>& m) {
    ZV_FUNC("SetMatrix");
    ZV_LOCAL(m);
    ZV_AT SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
}

void Transform(float ix, float iy, float jx, float jy, float tx, float ty) {
    ZV_FUNC("Transform");
    ZV_LOCAL(ix);
    ZV_LOCAL(iy);
    ZV_LOCAL(jx);
    ZV_LOCAL(jy);
    ZV_LOCAL(tx);
    ZV_LOCAL(ty);
    ZV_AT c_GraphicsContext* context = graphicsContext;
    ZV_LOCAL(context);
    ZV_AT float ix2 = ix * context->ix + iy * context->jx;
    ZV_LOCAL(ix2);
    ZV_AT float iy2 = ix * context->iy + iy * context->jy;
    ZV_LOCAL(iy2);
    ZV_AT float jx2 = jx * context->ix + jy * context->jx;
    ZV_LOCAL(jx2);
    ZV_AT float jy2 = jx * context->iy + jy * context->jy;
    ZV_LOCAL(jy2);
    ZV_AT float tx2 = tx * context->ix + ty * context->jx + context->tx;
    ZV_LOCAL(tx2);
    ZV_AT float ty2 = tx * context->iy + ty * context->jy + context->ty;
    ZV_LOCAL(ty2);
    ZV_AT SetMatrix(ix2, iy2, jx2, jy2, tx2, ty2);
}

void Transform(const Array<float>& m) {
    ZV_FUNC("Transform");
    ZV_LOCAL(m);
    ZV_AT Transform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

void Translate(float x, float y) {
    ZV_FUNC("Translate");
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT Transform(1, 0, 0, 1, x, y);
}

void Scale(float x, float y) {
    ZV_FUNC("Scale");
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT Transform(x, 0, 0, y, 0, 0);
}

void Rotate(float angle) {
    ZV_FUNC("Rotate");
    ZV_LOCAL(angle);
    ZV_AT float r = angle * degToRad;
    ZV_LOCAL(r);
    ZV_AT float c = float(std::cos(double(r)));
    ZV_LOCAL(c);
    ZV_AT float s = float(std::sin(double(r)));
    ZV_LOCAL(s);
    ZV_AT Transform(c, -s, s, c, 0, 0);
}

void PushMatrix() {
    ZV_FUNC("PushMatrix");
    ZV_AT c_GraphicsContext* context = graphicsContext;
    ZV_LOCAL(context);
    ZV_AT int sp = context->matrixSp;
    ZV_LOCAL(sp);
    // The stack doubles when full, so deep pushes allocate only at each power of two.
    ZV_AT if (sp == context->matrixStack.Length()) {
        ZV_BLOCK;
        ZV_AT gc_store_array(context->matrixStack, context->matrixStack.Resize(sp * 2));
    }
    ZV_AT context->matrixStack[sp] = context->ix;
    ZV_AT context->matrixStack[sp + 1] = context->iy;
    ZV_AT context->matrixStack[sp + 2] = context->jx;
    ZV_AT context->matrixStack[sp + 3] = context->jy;
    ZV_AT context->matrixStack[sp + 4] = context->tx;
    ZV_AT context->matrixStack[sp + 5] = context->ty;
    ZV_AT context->matrixSp = sp + 6;
}

void PopMatrix() {
    ZV_FUNC("PopMatrix");
    ZV_AT c_GraphicsContext* context = graphicsContext;
    ZV_LOCAL(context);
    ZV_AT int sp = context->matrixSp - 6;
    ZV_LOCAL(sp);
    // Popping an empty stack fails on the first index, before anything changes.
    ZV_AT Array<float> m = context->matrixStack;
    ZV_LOCAL(m);
    ZV_AT SetMatrix(m[sp], m[sp + 1], m[sp + 2], m[sp + 3], m[sp + 4], m[sp + 5]);
    ZV_AT context->matrixSp = sp;
}

// ---- Drawing ----

namespace {

// The checks every draw makes first; returns the frame to draw.
c_Frame* DrawableFrame(c_Image* image, int frame) {
    ZV_FUNC("DrawableFrame");
    ZV_LOCAL(image);
    ZV_LOCAL(frame);
    ZV_AT DebugRenderDevice();
    // LoadImage answers null for a missing file; drawing that must fail plainly, not crash.
    ZV_AT if (!image) raise_runtime_error("Cannot draw a null image");
    ZV_AT if (frame < 0 || frame >= image->frames.Length()) raise_runtime_error("Invalid image frame");
    ZV_AT return image->frames[frame];
}

void CheckImageRect(c_Image* image, int srcX, int srcY, int srcWidth, int srcHeight) {
    ZV_FUNC("CheckImageRect");
    ZV_LOCAL(image);
    ZV_LOCAL(srcX);
    ZV_LOCAL(srcY);
    ZV_LOCAL(srcWidth);
    ZV_LOCAL(srcHeight);
    ZV_AT if (srcX < 0 || srcY < 0 || srcX + srcWidth > image->width || srcY + srcHeight > image->height) {
        ZV_BLOCK;
        ZV_AT raise_runtime_error("Invalid image rectangle");
    }
}

// Places the image's handle at (x, y), rotated and scaled about it. The caller pops the matrix.
void PushImageTransform(c_Image* image, float x, float y, float rotation, float scaleX, float scaleY) {
    ZV_FUNC("PushImageTransform");
    ZV_LOCAL(image);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(rotation);
    ZV_LOCAL(scaleX);
    ZV_LOCAL(scaleY);
    ZV_AT PushMatrix();
    ZV_AT Translate(x, y);
    ZV_AT Rotate(rotation);
    ZV_AT Scale(scaleX, scaleY);
    ZV_AT Translate(-image->tx, -image->ty);
    ZV_AT graphicsContext->Validate();
}

// Draws a frame with its top-left corner at (x, y) under the renderer's current matrix.
void DrawFrame(c_Image* image, c_Frame* f, float x, float y) {
    ZV_FUNC("DrawFrame");
    ZV_LOCAL(image);
    ZV_LOCAL(f);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT if (image->flags & c_Image::FullSurfaceFrame) {
        ZV_BLOCK;
        ZV_AT renderDevice->DrawSurface(image->surface, x, y);
    } else {
        ZV_BLOCK;
        ZV_AT renderDevice->DrawSurfaceRect(image->surface, x, y, f->x, f->y, image->width, image->height);
    }
}

}  // namespace

void DrawImage(c_Image* image, float x, float y, int frame) {
    ZV_FUNC("DrawImage");
    ZV_LOCAL(image);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(frame);
    ZV_AT c_Frame* f = DrawableFrame(image, frame);
    ZV_LOCAL(f);
    ZV_AT graphicsContext->Validate();
    ZV_AT DrawFrame(image, f, x - image->tx, y - image->ty);
}

void DrawImage(c_Image* image, float x, float y, float rotation, float scaleX, float scaleY, int frame) {
    ZV_FUNC("DrawImage");
    ZV_LOCAL(image);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(rotation);
    ZV_LOCAL(scaleX);
    ZV_LOCAL(scaleY);
    ZV_LOCAL(frame);
    ZV_AT c_Frame* f = DrawableFrame(image, frame);
    ZV_LOCAL(f);
    ZV_AT PushImageTransform(image, x, y, rotation, scaleX, scaleY);
    ZV_AT DrawFrame(image, f, 0, 0);
    ZV_AT PopMatrix();
}

void DrawImageRect(c_Image* image, float x, float y, int srcX, int srcY, int srcWidth, int srcHeight,
                   int frame) {
    ZV_FUNC("DrawImageRect");
    ZV_LOCAL(image);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(srcX);
    ZV_LOCAL(srcY);
    ZV_LOCAL(srcWidth);
    ZV_LOCAL(srcHeight);
    ZV_LOCAL(frame);
    ZV_AT c_Frame* f = DrawableFrame(image, frame);
    ZV_LOCAL(f);
    ZV_AT CheckImageRect(image, srcX, srcY, srcWidth, srcHeight);
    ZV_AT graphicsContext->Validate();
    ZV_AT renderDevice->DrawSurfaceRect(image->surface, x - image->tx, y - image->ty, srcX + f->x, srcY + f->y,
                                        srcWidth, srcHeight);
}

void DrawImageRect(c_Image* image, float x, float y, int srcX, int srcY, int srcWidth, int srcHeight,
                   float rotation, float scaleX, float scaleY, int frame) {
    ZV_FUNC("DrawImageRect");
    ZV_LOCAL(image);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(srcX);
    ZV_LOCAL(srcY);
    ZV_LOCAL(srcWidth);
    ZV_LOCAL(srcHeight);
    ZV_LOCAL(rotation);
    ZV_LOCAL(scaleX);
    ZV_LOCAL(scaleY);
    ZV_LOCAL(frame);
    ZV_AT c_Frame* f = DrawableFrame(image, frame);
    ZV_LOCAL(f);
    ZV_AT CheckImageRect(image, srcX, srcY, srcWidth, srcHeight);
    ZV_AT PushImageTransform(image, x, y, rotation, scaleX, scaleY);
    ZV_AT renderDevice->DrawSurfaceRect(image->surface, 0, 0, srcX + f->x, srcY + f->y, srcWidth, srcHeight);
    ZV_AT PopMatrix();
}
