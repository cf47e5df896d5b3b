// Two jobs for make-assets, both on pictures:
//   sheet normalise <in.png> <out.png>   re-encode a rendered PNG so the bytes depend on the pixels only
//   sheet contact <data folder> <out.png> draw every sprite on the sea the way the game draws it
//
// The contact sheet copies the game's drawing rules: bilinear sampling without mipmaps, colour
// tint and alpha on premultiplied pixels, rotation anticlockwise on screen, the handle on the
// position. On the left a staged game screen, on the right each sprite with its name.
#include "pixels.h"

#include <cstring>
#include <map>

namespace {

constexpr float kPi = 3.14159265f;
const Rgba kSea{32 / 255.f, 96 / 255.f, 128 / 255.f, 1};

// A sprite as the renderer keeps it: premultiplied floats.
struct Texture {
    int width = 0, height = 0;
    std::vector<float> texels;  // r, g, b, a premultiplied
    explicit Texture(const Picture &p) : width(p.width), height(p.height), texels(size_t(p.width) * p.height * 4) {
        for (int i = 0; i < width * height; ++i) {
            float a = p.bytes[i * 4 + 3] / 255.f;
            for (int c = 0; c < 3; ++c) texels[i * 4 + c] = p.bytes[i * 4 + c] / 255.f * a;
            texels[i * 4 + 3] = a;
        }
    }
    Texture() = default;
    // Linear filtering with clamp-to-edge; (u, v) in pixels, texel centres at +0.5.
    void sample(float u, float v, float out[4]) const {
        u -= 0.5f, v -= 0.5f;
        int x0 = int(std::floor(u)), y0 = int(std::floor(v));
        float fx = u - x0, fy = v - y0;
        auto texel = [&](int x, int y, int c) {
            x = std::clamp(x, 0, width - 1), y = std::clamp(y, 0, height - 1);
            return texels[(size_t(y) * width + x) * 4 + c];
        };
        for (int c = 0; c < 4; ++c)
            out[c] = (texel(x0, y0, c) * (1 - fx) + texel(x0 + 1, y0, c) * fx) * (1 - fy) +
                     (texel(x0, y0 + 1, c) * (1 - fx) + texel(x0 + 1, y0 + 1, c) * fx) * fy;
    }
};

struct Canvas {
    int width, height;
    std::vector<float> rgb;
    Canvas(int w, int h, Rgba colour) : width(w), height(h), rgb(size_t(w) * h * 3) {
        for (int i = 0; i < w * h; ++i) rgb[i * 3] = colour.r, rgb[i * 3 + 1] = colour.g, rgb[i * 3 + 2] = colour.b;
    }
    void rect(int x0, int y0, int w, int h, Rgba colour) {
        for (int y = std::max(0, y0); y < std::min(height, y0 + h); ++y)
            for (int x = std::max(0, x0); x < std::min(width, x0 + w); ++x) {
                float *d = &rgb[(size_t(y) * width + x) * 3];
                d[0] = colour.r, d[1] = colour.g, d[2] = colour.b;
            }
    }
    Picture picture() const {
        Picture p(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const float *s = &rgb[(size_t(y) * width + x) * 3];
                p.set(x, y, {s[0], s[1], s[2], 1});
            }
        return p;
    }
};

struct Draw {
    float x = 0, y = 0, rotation = 0, scale_x = 1, scale_y = 1;
    float handle_x = 0, handle_y = 0;
    Rgba tint{1, 1, 1, 1};  // colour 0..1 and alpha
    // Source rectangle in the texture; width 0 means the whole texture.
    int src_x = 0, src_y = 0, src_w = 0, src_h = 0;
    // Clip to this window of the canvas (the staged game screen).
    int clip_x = 0, clip_y = 0, clip_w = 1 << 20, clip_h = 1 << 20;
};

void draw(Canvas &canvas, const Texture &t, Draw d) {
    if (d.src_w == 0) d.src_w = t.width, d.src_h = t.height;
    float c = std::cos(d.rotation * kPi / 180), s = std::sin(d.rotation * kPi / 180);
    // local (x, y) -> screen: (x*c + y*s, -x*s + y*c) after scaling; the inverse below.
    float min_x = 1e9f, min_y = 1e9f, max_x = -1e9f, max_y = -1e9f;
    for (int corner = 0; corner < 4; ++corner) {
        float lx = ((corner & 1) ? d.src_w : 0) - d.handle_x, ly = ((corner & 2) ? d.src_h : 0) - d.handle_y;
        lx *= d.scale_x, ly *= d.scale_y;
        float sx = d.x + lx * c + ly * s, sy = d.y - lx * s + ly * c;
        min_x = std::min(min_x, sx), max_x = std::max(max_x, sx), min_y = std::min(min_y, sy), max_y = std::max(max_y, sy);
    }
    int x0 = std::max({0, d.clip_x, int(std::floor(min_x))});
    int x1 = std::min({canvas.width, d.clip_x + d.clip_w, int(std::ceil(max_x)) + 1});
    int y0 = std::max({0, d.clip_y, int(std::floor(min_y))});
    int y1 = std::min({canvas.height, d.clip_y + d.clip_h, int(std::ceil(max_y)) + 1});
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px) {
            float dx = px + 0.5f - d.x, dy = py + 0.5f - d.y;
            float lx = (dx * c - dy * s) / d.scale_x + d.handle_x, ly = (dx * s + dy * c) / d.scale_y + d.handle_y;
            if (lx < 0 || ly < 0 || lx >= d.src_w || ly >= d.src_h) continue;
            float texel[4];
            t.sample(d.src_x + lx, d.src_y + ly, texel);
            float a = texel[3] * d.tint.a;
            float *dst = &canvas.rgb[(size_t(py) * canvas.width + px) * 3];
            dst[0] = texel[0] * d.tint.r * d.tint.a + dst[0] * (1 - a);
            dst[1] = texel[1] * d.tint.g * d.tint.a + dst[1] * (1 - a);
            dst[2] = texel[2] * d.tint.b * d.tint.a + dst[2] * (1 - a);
        }
}

// The game font, read from font.fnt the simple way: one element per line, as fontgen writes it.
struct Font {
    struct Glyph { int x, y, width, height, xoffset, yoffset, xadvance; };
    std::map<int, Glyph> glyphs;
    std::map<std::pair<int, int>, int> kerning;
    Texture page;

    static int attribute(const std::string &line, const char *name) {
        std::string key = std::string(" ") + name + "=\"";
        size_t at = line.find(key);
        if (at == std::string::npos) die(std::string("font.fnt: no ") + name + " in: " + line);
        return std::atoi(line.c_str() + at + key.size());
    }
    explicit Font(const std::string &folder) {
        FILE *f = std::fopen((folder + "/font.fnt").c_str(), "rb");
        if (!f) die("cannot read font.fnt");
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, f)) {
            std::string line = buffer;
            if (line.find("<char ") != std::string::npos)
                glyphs[attribute(line, "id")] = {attribute(line, "x"),       attribute(line, "y"),
                                                 attribute(line, "width"),   attribute(line, "height"),
                                                 attribute(line, "xoffset"), attribute(line, "yoffset"),
                                                 attribute(line, "xadvance")};
            else if (line.find("<kerning ") != std::string::npos)
                kerning[{attribute(line, "first"), attribute(line, "second")}] = attribute(line, "amount");
        }
        std::fclose(f);
        page = Texture(load_png(folder + "/font.png"));
    }
    // Pen at (x, y) is the top of the line; every glyph is one scaled rectangle, as in the game.
    void text(Canvas &canvas, const std::string &s, float x, float y, float scale, Draw base = {}) const {
        float pen = 0;
        int previous = 0;
        for (unsigned char ch : s) {
            auto g = glyphs.find(ch);
            if (g == glyphs.end()) continue;
            if (auto k = kerning.find({previous, ch}); k != kerning.end()) pen += k->second;
            Draw d = base;
            d.x = x + (pen + g->second.xoffset) * scale, d.y = y + g->second.yoffset * scale;
            d.scale_x = d.scale_y = scale;
            d.src_x = g->second.x, d.src_y = g->second.y, d.src_w = g->second.width, d.src_h = g->second.height;
            if (d.src_w > 0) draw(canvas, page, d);
            pen += g->second.xadvance;
            previous = ch;
        }
    }
};

// Fixed-seed numbers for staging the scene.
struct Dice {
    uint32_t state = 12345;
    float next(float lo, float hi) {
        state = state * 1664525u + 1013904223u;
        return lo + (hi - lo) * float(state >> 8) / float(1 << 24);
    }
};

struct Sprites {
    std::map<std::string, Texture> t;
    explicit Sprites(const std::string &folder) {
        for (const char *name : {"waves", "wake", "whale", "manta", "dolfin", "fish", "squid", "jelly", "hammer",
                                 "nessy", "sub", "boat", "ropedown", "rope", "skier", "wipeout", "floater",
                                 "splash", "buoy1", "buoy2", "cloud", "wasted", "title", "quon_font"})
            t[name] = Texture(load_png(folder + "/" + name + ".png"));
    }
    const Texture &operator[](const std::string &name) const { return t.at(name); }
};

struct CreatureArt { const char *name; float handle_x, handle_y; };
const CreatureArt kCreatures[9] = {{"whale", 110, 32}, {"manta", 38, 24}, {"dolfin", 34, 9.5f},
                                   {"fish", 31, 15},   {"squid", 220, 60}, {"jelly", 23, 31},
                                   {"hammer", 34, 9.5f}, {"nessy", 140, 55}, {"sub", 120, 29.5f}};

Rgba creature_tint(float depth) {
    float k = depth * 0.35f + 0.65f;
    return {kSea.r * k, kSea.g * k, kSea.b * k, 1};
}
Rgba whiteness(float w, float alpha = 1) {
    return {kSea.r + (1 - kSea.r) * w, kSea.g + (1 - kSea.g) * w, kSea.b + (1 - kSea.b) * w, alpha};
}

// A moment of a run: the boat in the top-right corner towing the skier, creatures, buoys,
// wave crests, wakes and a cloud, with the title and the score lines on top.
void stage_game_screen(Canvas &canvas, const Sprites &sprites, const Font &font, int left, int top) {
    canvas.rect(left, top, 640, 480, kSea);
    Dice dice;
    auto at = [&](Draw d) {
        d.x += left, d.y += top;
        d.clip_x = left, d.clip_y = top, d.clip_w = 640, d.clip_h = 480;
        return d;
    };
    auto creature = [&](int kind, float x, float y, float heading, float depth) {
        const CreatureArt &art = kCreatures[kind];
        draw(canvas, sprites[art.name], at({x, y, -heading, 1, 1, art.handle_x, art.handle_y, creature_tint(depth)}));
    };
    creature(0, 200, 150, 20, 0.55f);
    creature(4, 420, 330, 200, 0.4f);
    creature(7, 120, 390, -30, 0.2f);
    creature(1, 520, 200, 160, 0.1f);
    creature(3, 300, 260, 60, 0.05f);
    creature(2, 80, 200, -100, 0.0f);
    creature(6, 560, 420, 230, 0.0f);

    for (int i = 0; i < 500; ++i) {
        float x = dice.next(0, 640), y = dice.next(0, 480), scale = dice.next(0.1f, 0.25f);
        float angle = dice.next(0, 360), w = dice.next(0, 1), age = dice.next(1, 180);
        int frame = int(dice.next(0, 10));
        if (w < 0.33f) w = 0;
        float swell = std::sin(age * kPi / 180) * scale;
        Draw d = at({x, y, angle, swell, swell, 32, 32, whiteness(w)});
        d.src_x = frame * 64, d.src_w = 64, d.src_h = 64;
        draw(canvas, sprites["waves"], d);
    }
    // The boat's and the skier's wakes: one every five updates. Wakes move at 2 along the
    // boat's course while the view moves at 2 in each axis, so they fall back as they age.
    const float rope_angle = 20 + 135;
    const float skier_x = 630 + std::cos(rope_angle * kPi / 180) * 400;
    const float skier_y = 10 + std::sin(rope_angle * kPi / 180) * 400;
    for (int age = 100; age > 0; age -= 5) {
        float back = age * (2 - 1.4142f);
        float grow_x = 0.035f * age, grow_y = 0.07f * age;
        float col = dice.next(0.33f, 1), alpha = 1 - age * 0.01f;
        draw(canvas, sprites["wake"], at({670 - back, -30 + back, 45, 0.35f + grow_x, 0.35f + grow_y, 60, 16, whiteness(col, alpha)}));
        draw(canvas, sprites["wake"], at({630 - back, 10 + back, 45, 0.25f + grow_x * 0.7f, 0.25f + grow_y * 0.7f, 60, 16, whiteness(col, alpha)}));
        draw(canvas, sprites["wake"], at({skier_x - back, skier_y + back, 45 - 20, 0.25f + grow_x * 0.7f, 0.25f + grow_y * 0.7f, 60, 16, whiteness(col, alpha)}));
    }
    draw(canvas, sprites["boat"], at({640, 0, 45, 1, 1, 32, 14}));
    draw(canvas, sprites["rope"], at({630, 10, -rope_angle, 4, 1, 0, 2.5f}));
    draw(canvas, sprites["skier"], at({skier_x, skier_y, 45 + 10, 0.375f, 0.375f, 34, 13}));
    for (auto [x, y, angle] : {std::tuple{560.f, 90.f, 30.f}, {330.f, 40.f, 200.f}}) {
        draw(canvas, sprites["buoy1"], at({x, y, angle, 0.5f, 0.5f, 16, 16}));
        draw(canvas, sprites["buoy2"], at({x + 1.2f, y - 0.8f, angle, 0.5f, 0.5f, 8, 8}));
    }
    draw(canvas, sprites["cloud"], at({150, 60, 30, 3, 3, 64, 48}));

    draw(canvas, sprites["title"], at({440, 385, 0, 1, 1, 180, 60}));
    Draw text_at = at({});
    font.text(canvas, "Hit 'space' to play", left + 20, top + 20, 0.35f, text_at);
    font.text(canvas, "Score: 1234", left + 20, top + 400, 0.35f, text_at);
    font.text(canvas, "Last score: 987", left + 20, top + 420, 0.35f, text_at);
    font.text(canvas, "Best score: 2048", left + 20, top + 440, 0.35f, text_at);
}

// Every sprite once more, by name, at the scale the game uses; creatures near the surface
// and half way down, each both ways round.
void lay_out_sprites(Canvas &canvas, const Sprites &sprites, const Font &font, int left, int top) {
    auto label = [&](const std::string &s, float x, float y) { font.text(canvas, s, x, y, 0.35f); };
    float x = left, y = top;
    for (int kind = 0; kind < 9; ++kind) {
        const CreatureArt &art = kCreatures[kind];
        const Texture &t = sprites[art.name];
        float cell_w = std::max(100, t.width + 16);
        if (x + cell_w * 2 > canvas.width) x = left, y += 150;
        label(art.name, x, y);
        draw(canvas, t, {x + art.handle_x, y + 24 + art.handle_y, 0, 1, 1, art.handle_x, art.handle_y, creature_tint(0)});
        draw(canvas, t, {x + cell_w + art.handle_x, y + 24 + art.handle_y, 0, 1, 1, art.handle_x, art.handle_y, creature_tint(0.5f)});
        x += cell_w * 2;
    }
    x = left, y += 150;
    label("boat", x, y);
    draw(canvas, sprites["boat"], {x + 40, y + 60, 45, 1, 1, 32, 14});
    label("rope", x + 100, y);
    draw(canvas, sprites["rope"], {x + 100, y + 40, 0, 2, 1, 0, 2.5f});
    draw(canvas, sprites["ropedown"], {x + 100, y + 60, 0, 2, 1, 0, 2.5f});
    label("skier", x + 320, y);
    draw(canvas, sprites["skier"], {x + 350, y + 50, 45, 0.375f, 0.375f, 34, 13});
    draw(canvas, sprites["skier"], {x + 400, y + 50, 0, 1, 1, 34, 13});
    label("wipeout", x + 460, y);
    draw(canvas, sprites["wipeout"], {x + 480, y + 50, 20, 0.375f, 0.375f, 17, 14});
    draw(canvas, sprites["wipeout"], {x + 530, y + 50, 0, 1, 1, 17, 14});
    y += 110;
    label("floater", x, y);
    for (int phase : {30, 80}) {
        Draw ring{x + 60, y + 70, 0, phase * 0.005f, phase * 0.005f, 64, 64, {1, 1, 1, (100 - phase) * 0.01f}};
        draw(canvas, sprites["splash"], ring);
    }
    draw(canvas, sprites["floater"], {x + 60, y + 70, 0, 0.375f, 0.375f, 16, 16});
    draw(canvas, sprites["floater"], {x + 120, y + 70, 0, 1, 1, 16, 16});
    label("buoys", x + 170, y);
    draw(canvas, sprites["buoy1"], {x + 190, y + 60, 0, 0.5f, 0.5f, 16, 16});
    draw(canvas, sprites["buoy2"], {x + 191.5f, y + 59, 0, 0.5f, 0.5f, 8, 8});
    draw(canvas, sprites["buoy1"], {x + 235, y + 60, 0, 1, 1, 16, 16});
    draw(canvas, sprites["buoy2"], {x + 238, y + 58, 0, 1, 1, 8, 8});
    label("waves, wake", x + 280, y);
    for (int frame = 0; frame < 10; ++frame) {
        Draw d{x + 300 + frame * 26.f, y + 50, 0, 0.35f, 0.35f, 32, 32, whiteness(0.9f)};
        d.src_x = frame * 64, d.src_w = d.src_h = 64;
        draw(canvas, sprites["waves"], d);
        d.y += 30, d.scale_x = d.scale_y = 0.2f, d.tint = whiteness(0.6f);
        draw(canvas, sprites["waves"], d);
    }
    draw(canvas, sprites["wake"], {x + 620, y + 60, 0, 1, 1, 60, 16, whiteness(0.8f)});
    y += 110;
    label("wasted", x, y);
    draw(canvas, sprites["wasted"], {x + 170, y + 60, 0, 1, 1, 160, 40});
    label("built-in font", x + 360, y);
    Draw strip{x + 360, y + 30, 0, 1, 1, 0, 0};
    strip.src_w = 320, strip.src_h = 16;
    for (int row = 0; row < 3; ++row) {
        strip.src_x = row * 320, strip.y = y + 30 + row * 18;
        draw(canvas, sprites["quon_font"], strip);
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::strcmp(argv[1], "normalise") == 0) {
        save_png(argv[3], load_png(argv[2]));
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "contact") == 0) {
        Sprites sprites(argv[2]);
        Font font(argv[2]);
        Canvas canvas(1580, 1000, {0.12f, 0.14f, 0.16f, 1});
        canvas.rect(670, 0, 910, 1000, kSea);
        stage_game_screen(canvas, sprites, font, 10, 10);
        draw(canvas, sprites["cloud"], {330, 760, 0, 3, 3, 64, 48});
        font.text(canvas, "The quick brown fox jumps over the lazy dog. 0123456789", 20, 520, 0.35f);
        font.text(canvas, "AVAST! Tow me, WAVY Yacht. ({[<@#$%&*>]})", 20, 545, 0.5f);
        lay_out_sprites(canvas, sprites, font, 690, 10);
        save_png(argv[3], canvas.picture());
        return 0;
    }
    die("usage: sheet normalise <in.png> <out.png> | sheet contact <data folder> <out.png>");
}
