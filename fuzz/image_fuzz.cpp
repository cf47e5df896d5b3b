// Image files as the renderer receives them: the host decodes the file, the renderer checks the
// depth, premultiplies its pixel copy and uploads it as a texture. OpenGL is replaced below by a
// driver that takes only power-of-two textures, so every upload goes through the padding, and
// that reads every byte it is given, so the sanitizer sees a short pixel copy.
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>

#include "fuzz/input_file.h"
#include "native/glfwgame.h"
#include "native/gxtk_graphics.h"
#include "runtime/gc.h"

namespace {

gxtkGraphics* graphics = nullptr;
GLsizei textureWidth = 0, textureHeight = 0;
GLenum pendingError = GL_NO_ERROR;

bool IsPowerOfTwo(GLsizei size) { return size > 0 && (size & (size - 1)) == 0; }

int Components(GLenum format) {
    switch (format) {
        case GL_LUMINANCE: return 1;
        case GL_LUMINANCE_ALPHA: return 2;
        case GL_RGB: return 3;
        case GL_RGBA: return 4;
    }
    std::abort();
}

}  // namespace

extern "C" {
void glGenTextures(GLsizei n, GLuint* textures) {
    for (GLsizei i = 0; i < n; ++i) textures[i] = 1;
}
void glDeleteTextures(GLsizei, const GLuint*) {}
void glBindTexture(GLenum, GLuint) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glPixelStorei(GLenum name, GLint value) {
    if (name == GL_UNPACK_ALIGNMENT && value != 1) std::abort();  // rows are packed
}
GLenum glGetError() {
    GLenum error = pendingError;
    pendingError = GL_NO_ERROR;
    return error;
}
void glTexImage2D(GLenum, GLint, GLint, GLsizei width, GLsizei height, GLint, GLenum, GLenum, const void*) {
    if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height)) {
        pendingError = GL_INVALID_VALUE;
        return;
    }
    textureWidth = width;
    textureHeight = height;
}
void glTexSubImage2D(GLenum, GLint, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum,
                     const void* pixels) {
    if (x != 0 || y != 0 || width > textureWidth || height > textureHeight) std::abort();
    const uint8_t* bytes = static_cast<const uint8_t*>(pixels);
    volatile unsigned sum = 0;
    for (size_t i = 0, n = size_t(width) * size_t(height) * size_t(Components(format)); i < n; ++i) sum = sum + bytes[i];
}
}

void gc_queue_roots() { gc_grey(graphics); }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gc_init();
    new ZVZorvexGame();
    graphicsSeq = 1;  // a context exists, as far as the surfaces can tell
    gc_store(graphics, new gxtkGraphics());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFolder folder;
    String path(folder.Write("image.png", data, size).c_str());

    textureWidth = textureHeight = 0;
    gxtkSurface* surface = graphics->LoadSurface(path);
    if (surface) {
        if (surface->width < 1 || surface->height < 1 || surface->depth < 1 || surface->depth > 4) std::abort();
        if (textureWidth < surface->width || textureHeight < surface->height) std::abort();
        if (surface->uscale != 1.0f / float(textureWidth) || surface->vscale != 1.0f / float(textureHeight)) std::abort();
        // Premultiplied: no colour channel is brighter than its pixel's alpha.
        int depth = surface->depth;
        if (depth == 2 || depth == 4) {
            const uint8_t* end = surface->data + size_t(surface->width) * size_t(surface->height) * size_t(depth);
            for (const uint8_t* p = surface->data; p != end; p += depth) {
                for (int c = 0; c < depth - 1; ++c)
                    if (p[c] > p[depth - 1]) std::abort();
            }
        }
    }
    gc_step();
    return 0;
}
