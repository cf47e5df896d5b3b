#include "native/gxtk_graphics.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "native/game.h"

namespace {

// A colour channel as a vertex byte. Out-of-range values are clamped rather than converted with
// undefined behaviour; NaN gives 0.
uint8_t ChannelByte(float value) {
    float truncated = std::trunc(value);
    if (!(truncated > 0)) return 0;
    if (truncated > 255) return 255;
    return uint8_t(truncated);
}

int PowerOfTwoAtLeast(int size) {
    int p = 1;
    while (p < size && p < (1 << 30)) p *= 2;
    return p;
}

// Whether `height` rows of `width` elements, the first at `offset` and each `pitch` after the one
// before, lie inside an array of `length`. The index is linear in the row, so the first and last
// rows decide.
bool RowsInside(int length, int offset, int pitch, int width, int height) {
    for (int64_t row : {int64_t(0), int64_t(height) - 1}) {
        int64_t first = int64_t(offset) + row * pitch;
        if (first < 0 || first + width > length) return false;
    }
    return true;
}

// A window rectangle's bottom row in OpenGL coordinates (y grows upward there).
int GlRow(int windowHeight, int y, int height) {
    int64_t row = int64_t(windowHeight) - y - height;
    if (row < INT32_MIN) return INT32_MIN;
    if (row > INT32_MAX) return INT32_MAX;
    return int(row);
}

void RequireSurface(gxtkSurface* surface) {
    if (!surface) raise_runtime_error("Null surface");
}

}  // namespace

// ---- gxtkSurface ----

gxtkSurface::~gxtkSurface() { Discard(); }

int gxtkSurface::Discard() {
    if (seq == graphicsSeq) {
        glDeleteTextures(1, &texture);
        seq = -1;
    }
    std::free(data);
    data = nullptr;
    return 0;
}

int gxtkSurface::Width() { return width; }
int gxtkSurface::Height() { return height; }
int gxtkSurface::IsLoaded() { return 1; }

void gxtkSurface::Bind() {
    if (graphicsSeq == 0) return;  // no context yet: the texture is made at the first bind under one
    if (seq == graphicsSeq) {
        glBindTexture(GL_TEXTURE_2D, texture);
        return;
    }
    seq = graphicsSeq;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    // An error left over from earlier calls must not be taken for a refused size.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    int textureWidth = width, textureHeight = height;
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), textureWidth, textureHeight, 0, format, GL_UNSIGNED_BYTE,
                 nullptr);
    if (glGetError() != GL_NO_ERROR) {
        // Some drivers take only power-of-two sizes; the image then fills the top-left corner.
        textureWidth = PowerOfTwoAtLeast(width);
        textureHeight = PowerOfTwoAtLeast(height);
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), textureWidth, textureHeight, 0, format, GL_UNSIGNED_BYTE,
                     nullptr);
    }
    uscale = 1.0f / float(textureWidth);
    vscale = 1.0f / float(textureHeight);

    if (data) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, data);
    }
}

void gxtkSurface::SetData(uint8_t* pixels, int pixelWidth, int pixelHeight, int pixelDepth) {
    // Replacing the pixels also drops the texture made from the old ones.
    if (pixels != data) Discard();
    data = pixels;
    width = pixelWidth;
    height = pixelHeight;
    depth = pixelDepth;
    static const unsigned formats[] = {GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    format = formats[depth - 1];

    size_t count = size_t(width) * size_t(height);
    if (depth == 2) {
        for (uint8_t* p = data; p != data + count * 2; p += 2) p[0] = uint8_t(p[0] * p[1] / 255);
    } else if (depth == 4) {
        for (uint8_t* p = data; p != data + count * 4; p += 4) {
            p[0] = uint8_t(p[0] * p[3] / 255);
            p[1] = uint8_t(p[1] * p[3] / 255);
            p[2] = uint8_t(p[2] * p[3] / 255);
        }
    }
}

// ---- gxtkGraphics ----

gxtkGraphics::gxtkGraphics() {
    width = gameInstance->GetDeviceWidth();
    height = gameInstance->GetDeviceHeight();
    for (int quad = 0; quad < MAX_QUADS; ++quad) {
        uint16_t* index = quadIndices + quad * 6;
        uint16_t first = uint16_t(quad * 4);
        index[0] = first;
        index[1] = uint16_t(first + 1);
        index[2] = uint16_t(first + 2);
        index[3] = first;
        index[4] = uint16_t(first + 2);
        index[5] = uint16_t(first + 3);
    }
}

int gxtkGraphics::Width() { return width; }
int gxtkGraphics::Height() { return height; }

int gxtkGraphics::BeginRender() {
    width = gameInstance->GetDeviceWidth();
    height = gameInstance->GetDeviceHeight();

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &vertices[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), vertices[0].colour);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);

    vertexCount = 0;
    batchSurface = nullptr;  // the surface of the last frame may since have been collected
    drawCalls = 0;
    return 1;
}

void gxtkGraphics::EndRender() { Flush(); }

void gxtkGraphics::DiscardGraphics() {}

gxtkSurface* gxtkGraphics::LoadSurface(const String& path) {
    gxtkSurface* surface = new gxtkSurface();
    if (!LoadSurfaceInto(surface, path)) return nullptr;
    surface->Bind();
    return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int surfaceWidth, int surfaceHeight) {
    if (surfaceWidth < 1 || surfaceHeight < 1 || surfaceWidth > MAX_SURFACE_SIDE ||
        surfaceHeight > MAX_SURFACE_SIDE) {
        return nullptr;
    }
    gxtkSurface* surface = new gxtkSurface();
    surface->width = surfaceWidth;
    surface->height = surfaceHeight;
    surface->depth = 4;
    surface->format = GL_RGBA;
    surface->Bind();
    return surface;
}

bool gxtkGraphics::LoadSurfaceInto(gxtkSurface* surface, const String& path) {
    RequireSurface(surface);
    int pixelWidth = 0, pixelHeight = 0, pixelDepth = 0;
    uint8_t* pixels = gameInstance->DecodeImageFile(path, pixelWidth, pixelHeight, pixelDepth);
    if (!pixels) return false;
    if (pixelDepth < 1 || pixelDepth > 4) {
        std::free(pixels);
        return false;
    }
    surface->SetData(pixels, pixelWidth, pixelHeight, pixelDepth);
    return true;
}

int gxtkGraphics::Cls(float red, float green, float blue) {
    vertexCount = 0;  // the clear would cover whatever is pending
    glClearColor(red / 255.0f, green / 255.0f, blue / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}

int gxtkGraphics::SetAlpha(float newAlpha) {
    alpha = newAlpha;
    return SetColor(r, g, b);
}

int gxtkGraphics::SetColor(float red, float green, float blue) {
    r = red;
    g = green;
    b = blue;
    colour[0] = ChannelByte(r * alpha);
    colour[1] = ChannelByte(g * alpha);
    colour[2] = ChannelByte(b * alpha);
    colour[3] = ChannelByte(255 * alpha);
    return 0;
}

int gxtkGraphics::SetBlend(int blend) {
    Flush();
    glBlendFunc(GL_ONE, blend == 1 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int scissorWidth, int scissorHeight) {
    Flush();
    if (x == 0 && y == 0 && scissorWidth == width && scissorHeight == height) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, GlRow(height, y, scissorHeight), scissorWidth, scissorHeight);
    }
    return 0;
}

int gxtkGraphics::SetMatrix(float newIx, float newIy, float newJx, float newJy, float newTx, float newTy) {
    ix = newIx;
    iy = newIy;
    jx = newJx;
    jy = newJy;
    tx = newTx;
    ty = newTy;
    // Written so that a NaN anywhere counts as transformed.
    transformed = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
    return 0;
}

gxtkGraphics::Vertex* gxtkGraphics::BeginPrimitive(int type, int count, gxtkSurface* surface) {
    if (type != primitiveType || surface != batchSurface || vertexCount + count > MAX_VERTICES) {
        Flush();
        primitiveType = type;
        batchSurface = surface;
    }
    Vertex* first = vertices + vertexCount;
    vertexCount += count;
    return first;
}

gxtkGraphics::Vertex* gxtkGraphics::BeginTextured(int type, int count, gxtkSurface* surface) {
    RequireSurface(surface);
    Vertex* first = BeginPrimitive(type, count, surface);
    // Texture coordinates need the scale of this context's texture, which the first bind decides.
    if (surface->seq != graphicsSeq) surface->Bind();
    return first;
}

void gxtkGraphics::Emit(Vertex* vertex, float x, float y) {
    if (transformed) {
        vertex->x = ix * x + jx * y + tx;
        vertex->y = iy * x + jy * y + ty;
    } else {
        vertex->x = x;
        vertex->y = y;
    }
    std::memcpy(vertex->colour, colour, 4);
}

void gxtkGraphics::EmitRect(Vertex* first, float x, float y, float rectWidth, float rectHeight) {
    Emit(first, x, y);
    Emit(first + 1, x + rectWidth, y);
    Emit(first + 2, x + rectWidth, y + rectHeight);
    Emit(first + 3, x, y + rectHeight);
}

void gxtkGraphics::Flush() {
    if (vertexCount == 0) return;
    if (batchSurface) {
        glEnable(GL_TEXTURE_2D);
        batchSurface->Bind();
    }
    switch (primitiveType) {
        case 1:
        case 2:
        case 3: {
            static const GLenum modes[] = {GL_POINTS, GL_LINES, GL_TRIANGLES};
            glDrawArrays(modes[primitiveType - 1], 0, vertexCount);
            ++drawCalls;
            break;
        }
        case 4:
            glDrawElements(GL_TRIANGLES, vertexCount / 4 * 6, GL_UNSIGNED_SHORT, quadIndices);
            ++drawCalls;
            break;
        default:
            for (int first = 0; first < vertexCount; first += primitiveType) {
                glDrawArrays(GL_TRIANGLE_FAN, first, primitiveType);
                ++drawCalls;
            }
            break;
    }
    if (batchSurface) glDisable(GL_TEXTURE_2D);
    vertexCount = 0;
}

int gxtkGraphics::DrawPoint(float x, float y) {
    Emit(BeginPrimitive(1, 1, nullptr), x, y);
    return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
    Vertex* first = BeginPrimitive(2, 2, nullptr);
    Emit(first, x1, y1);
    Emit(first + 1, x2, y2);
    return 0;
}

int gxtkGraphics::DrawRect(float x, float y, float rectWidth, float rectHeight) {
    EmitRect(BeginPrimitive(4, 4, nullptr), x, y, rectWidth, rectHeight);
    return 0;
}

int gxtkGraphics::OvalSegments(float rx, float ry) const {
    float segments;
    if (transformed) {
        segments = std::trunc(std::fabs(rx) * std::sqrt(ix * ix + iy * iy) +
                              std::fabs(ry) * std::sqrt(jx * jx + jy * jy));
    } else {
        segments = std::fabs(std::trunc(rx)) + std::fabs(std::trunc(ry));
    }
    // Compared as floats so that huge or NaN radii cannot overflow an Int conversion.
    if (!(segments >= 12)) return 12;
    if (segments <= MAX_VERTICES) return int(segments) & ~3;
    return MAX_VERTICES;
}

int gxtkGraphics::DrawOval(float x, float y, float ovalWidth, float ovalHeight) {
    float rx = ovalWidth / 2, ry = ovalHeight / 2;
    int n = OvalSegments(rx, ry);
    Vertex* first = BeginPrimitive(n, n, nullptr);
    for (int i = 0; i < n; ++i) {
        float angle = float(i) * 6.2831855f / float(n);
        Emit(first + i, x + rx + std::cos(angle) * rx, y + ry - std::sin(angle) * ry);
    }
    return 0;
}

int gxtkGraphics::DrawPoly(const Array<float>& coords) {
    int count = coords.Length();
    if (count < 2 || count >= 2 * MAX_VERTICES + 2) return 0;
    int n = count / 2;
    Vertex* first = BeginPrimitive(n, n, nullptr);
    const float* xy = coords.Data();
    for (int i = 0; i < n; ++i) Emit(first + i, xy[i * 2], xy[i * 2 + 1]);
    return 0;
}

int gxtkGraphics::DrawTexturedPoly(const Array<float>& coords, gxtkSurface* surface, int srcX, int srcY) {
    int count = coords.Length();
    if (count < 4 || count > 4 * MAX_VERTICES + 3) return 0;
    int n = count / 4;
    Vertex* first = BeginTextured(n, n, surface);
    const float* xyuv = coords.Data();
    for (int i = 0; i < n; ++i) {
        const float* q = xyuv + i * 4;
        Emit(first + i, q[0], q[1]);
        first[i].u = (q[2] + float(srcX)) * surface->uscale;
        first[i].v = (q[3] + float(srcY)) * surface->vscale;
    }
    return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
    RequireSurface(surface);
    return DrawSurfaceRect(surface, x, y, 0, 0, surface->width, surface->height);
}

int gxtkGraphics::DrawSurfaceRect(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcWidth,
                                  int srcHeight) {
    Vertex* first = BeginTextured(4, 4, surface);
    EmitRect(first, x, y, float(srcWidth), float(srcHeight));
    float u0 = float(srcX) * surface->uscale, u1 = (float(srcX) + float(srcWidth)) * surface->uscale;
    float v0 = float(srcY) * surface->vscale, v1 = (float(srcY) + float(srcHeight)) * surface->vscale;
    first[0].u = u0, first[0].v = v0;
    first[1].u = u1, first[1].v = v0;
    first[2].u = u1, first[2].v = v1;
    first[3].u = u0, first[3].v = v1;
    return 0;
}

int gxtkGraphics::ReadPixels(const Array<int>& pixels, int x, int y, int readWidth, int readHeight, int offset,
                             int pitch) {
    Flush();
    if (readWidth <= 0 || readHeight <= 0) return 0;
    if (!RowsInside(pixels.Length(), offset, pitch, readWidth, readHeight)) {
        raise_runtime_error("Array index out of range");
    }
    // RGBA, the one order WebGL reads in.
    std::vector<uint8_t> rgba(size_t(readWidth) * size_t(readHeight) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, GlRow(height, y, readHeight), readWidth, readHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());

    int* out = pixels.Data();
    for (int row = 0; row < readHeight; ++row) {
        // OpenGL returns the bottom row first.
        const uint8_t* in = rgba.data() + size_t(readHeight - 1 - row) * size_t(readWidth) * 4;
        int* dest = out + offset + int64_t(row) * pitch;
        for (int column = 0; column < readWidth; ++column, in += 4) {
            dest[column] = int(uint32_t(in[3]) << 24 | uint32_t(in[0]) << 16 | uint32_t(in[1]) << 8 | in[2]);
        }
    }
    return 0;
}

int gxtkGraphics::WriteSurfacePixels(gxtkSurface* surface, const Array<int>& pixels, int x, int y,
                                     int writeWidth, int writeHeight, int offset, int pitch) {
    Flush();
    RequireSurface(surface);
    if (surface->format != GL_RGBA) return 0;
    if (writeWidth <= 0 || writeHeight <= 0) return 0;
    if (x < 0 || y < 0 || int64_t(x) + writeWidth > surface->width || int64_t(y) + writeHeight > surface->height) {
        raise_runtime_error("Pixel rectangle outside surface");
    }
    if (!RowsInside(pixels.Length(), offset, pitch, writeWidth, writeHeight)) {
        raise_runtime_error("Array index out of range");
    }
    if (!surface->data) {
        // Cleared, so that a later rebuild of the texture uploads no stale memory.
        surface->data = static_cast<uint8_t*>(std::calloc(size_t(surface->width) * size_t(surface->height), 4));
        if (!surface->data) gc_out_of_memory();
    }

    const int* in = pixels.Data();
    for (int row = 0; row < writeHeight; ++row) {
        const int* source = in + offset + int64_t(row) * pitch;
        uint8_t* dest = surface->data + (size_t(y + row) * size_t(surface->width) + size_t(x)) * 4;
        for (int column = 0; column < writeWidth; ++column, dest += 4) {
            uint32_t argb = uint32_t(source[column]);
            uint32_t a = argb >> 24, red = argb >> 16 & 255, green = argb >> 8 & 255, blue = argb & 255;
            dest[0] = uint8_t(red * a / 255);
            dest[1] = uint8_t(green * a / 255);
            dest[2] = uint8_t(blue * a / 255);
            dest[3] = uint8_t(a);
        }
    }

    // Whole rows go up, since WebGL has no row length to cut a narrower rectangle from the copy.
    if (surface->seq == graphicsSeq) {
        glBindTexture(GL_TEXTURE_2D, surface->texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, surface->width, writeHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                        surface->data + size_t(y) * size_t(surface->width) * 4);
    }
    return 0;
}
