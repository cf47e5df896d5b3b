// RGBA pictures for the asset generators: load and save PNG, sample, blend.
// Pixels are 8-bit straight (non-premultiplied) alpha, rows top to bottom, as the game expects.
// Every generator includes this header once, so the stb implementations live here.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

// stb's own deflate is weak; zlib at level 9 keeps the committed PNGs small. Same input, same bytes.
static unsigned char *zlib_compress_for_stbiw(unsigned char *data, int length, int *out_length, int) {
    uLongf size = compressBound(length);
    auto *out = static_cast<unsigned char *>(malloc(size));
    if (!out || compress2(out, &size, data, length, Z_BEST_COMPRESSION) != Z_OK) {
        free(out);
        return nullptr;
    }
    *out_length = static_cast<int>(size);
    return out;
}
#define STBIW_ZLIB_COMPRESS zlib_compress_for_stbiw
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

[[noreturn]] inline void die(const std::string &message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::exit(1);
}

struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;  // 0..1, straight alpha
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> bytes;  // width * height * 4

    Picture() = default;
    Picture(int w, int h) : width(w), height(h), bytes(size_t(w) * h * 4, 0) {}

    uint8_t *at(int x, int y) { return &bytes[(size_t(y) * width + x) * 4]; }
    const uint8_t *at(int x, int y) const { return &bytes[(size_t(y) * width + x) * 4]; }

    Rgba get(int x, int y) const {
        const uint8_t *p = at(x, y);
        return {p[0] / 255.f, p[1] / 255.f, p[2] / 255.f, p[3] / 255.f};
    }
    void set(int x, int y, Rgba c) {
        uint8_t *p = at(x, y);
        auto byte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.f, 1.f) * 255.f)); };
        p[0] = byte(c.r), p[1] = byte(c.g), p[2] = byte(c.b), p[3] = byte(c.a);
    }
    void fill(Rgba c) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) set(x, y, c);
    }
};

inline Picture load_png(const std::string &path) {
    int w, h, n;
    unsigned char *data = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!data) die("cannot read " + path + ": " + stbi_failure_reason());
    Picture p(w, h);
    std::copy(data, data + size_t(w) * h * 4, p.bytes.begin());
    stbi_image_free(data);
    return p;
}

// Fully transparent pixels get colour 0 so that what the encoder sees depends on the picture alone.
inline void save_png(const std::string &path, Picture p) {
    for (size_t i = 0; i < p.bytes.size(); i += 4)
        if (p.bytes[i + 3] == 0) p.bytes[i] = p.bytes[i + 1] = p.bytes[i + 2] = 0;
    if (!stbi_write_png(path.c_str(), p.width, p.height, 4, p.bytes.data(), p.width * 4))
        die("cannot write " + path);
}

// Porter-Duff "over" in straight alpha.
inline Rgba over(Rgba top, Rgba below) {
    float a = top.a + below.a * (1 - top.a);
    if (a <= 0) return {};
    auto mix = [&](float t, float b) { return (t * top.a + b * below.a * (1 - top.a)) / a; };
    return {mix(top.r, below.r), mix(top.g, below.g), mix(top.b, below.b), a};
}
