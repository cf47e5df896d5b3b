// The data folder as the game reads it: every file it loads is there, decodes, and has the
// shape the game cuts it into or tints it with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
// stb_vorbis has no static switch; this executable links no layer that decodes Vorbis itself.
#if __has_include(<stb/stb_vorbis.c>)
#include <stb/stb_vorbis.c>
#else
#include <stb/stb_vorbis.h>  // Debian ships the implementation under this name
#endif

namespace {

std::string data_path(const std::string &name) { return std::string(ZV_SOURCE_DIR) + "/data/" + name; }

struct Pixels {
    int width = 0, height = 0;
    std::unique_ptr<unsigned char, void (*)(void *)> rgba{nullptr, stbi_image_free};

    explicit Pixels(const std::string &name) {
        int channels;
        rgba.reset(stbi_load(data_path(name).c_str(), &width, &height, &channels, 4));
    }
    bool loaded() const { return rgba != nullptr; }
    const unsigned char *at(int x, int y) const { return rgba.get() + (size_t(y) * width + x) * 4; }
    int alpha(int x, int y) const { return at(x, y)[3]; }
    int opaque_pixels(int x0, int y0, int w, int h, int threshold = 128) const {
        int n = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) n += alpha(x, y) >= threshold;
        return n;
    }
};

std::string read_file(const std::string &name) {
    std::ifstream in(data_path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Sprite {
    const char *file;
    float handle_x, handle_y;  // what the game sets; 0, 0 for images it centres
};

// Creatures: drawn tinted with the sea colour, head at the handle.
const Sprite kCreatures[] = {
    {"whale.png", 110, 32}, {"manta.png", 38, 24}, {"dolfin.png", 34, 9.5f},
    {"fish.png", 31, 15},   {"squid.png", 220, 60}, {"jelly.png", 23, 31},
    {"hammer.png", 34, 9.5f}, {"nessy.png", 140, 55}, {"sub.png", 120, 29.5f},
};
// Everything else the game loads as a single-frame image.
const Sprite kOthers[] = {
    {"wake.png", 60, 16},  {"boat.png", 0, 0},     {"ropedown.png", 0, 2.5f},
    {"rope.png", 0, 2.5f}, {"skier.png", 34, 13}, {"wipeout.png", 17, 14},
    {"floater.png", 16, 16}, {"splash.png", 0, 0}, {"buoy1.png", 0, 0},
    {"buoy2.png", 0, 0},    {"cloud.png", 0, 0},    {"wasted.png", 0, 0},
    {"title.png", 0, 0},
};

TEST(DataImages, EveryImageLoadsWithItsHandleInsideAndSomethingToDraw) {
    std::vector<Sprite> all(std::begin(kCreatures), std::end(kCreatures));
    all.insert(all.end(), std::begin(kOthers), std::end(kOthers));
    for (const Sprite &s : all) {
        SCOPED_TRACE(s.file);
        Pixels p(s.file);
        ASSERT_TRUE(p.loaded()) << stbi_failure_reason();
        EXPECT_GE(p.width, 16);
        EXPECT_LE(p.width, 512);
        EXPECT_GE(p.height, 5);
        EXPECT_LE(p.height, 256);
        EXPECT_LE(s.handle_x, p.width);
        EXPECT_LE(s.handle_y, p.height);
        EXPECT_GT(p.opaque_pixels(0, 0, p.width, p.height, 16), p.width * p.height / 50);
    }
}

TEST(DataImages, CreaturesAreLightGreyShapesWithTheHeadAtTheHandle) {
    for (const Sprite &s : kCreatures) {
        SCOPED_TRACE(s.file);
        Pixels p(s.file);
        ASSERT_TRUE(p.loaded());
        // The tint gives the colour, so the art itself is grey and light, and mostly opaque.
        double sum = 0;
        int count = 0, coloured = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const unsigned char *c = p.at(x, y);
                if (c[3] < 200) continue;
                sum += (c[0] + c[1] + c[2]) / 3.0 / 255.0, ++count;
                coloured += std::max({c[0], c[1], c[2]}) - std::min({c[0], c[1], c[2]}) > 12;
            }
        ASSERT_GT(count, 0);
        EXPECT_GT(sum / count, 0.7);
        EXPECT_EQ(coloured, 0);
        // The handle is where the creature collides from, so the body must be right there.
        int hx = int(s.handle_x), hy = int(s.handle_y);
        EXPECT_GT(p.opaque_pixels(std::max(0, hx - 4), std::max(0, hy - 2), 8, 4), 0);
        // Art facing right: more of the body lies behind (left of) the handle than in front.
        EXPECT_GT(p.opaque_pixels(0, 0, hx, p.height), p.opaque_pixels(hx, 0, p.width - hx, p.height));
    }
}

TEST(DataImages, WavesCutIntoTenWhiteFramesThatStayInside) {
    Pixels p("waves.png");
    ASSERT_TRUE(p.loaded());
    ASSERT_EQ(p.width, 640);
    ASSERT_EQ(p.height, 64);
    for (int frame = 0; frame < 10; ++frame) {
        SCOPED_TRACE(frame);
        EXPECT_GT(p.opaque_pixels(frame * 64, 0, 64, 64), 40);
        // Frames are spun and filtered: nothing may touch the frame edge and bleed into the next.
        EXPECT_EQ(p.opaque_pixels(frame * 64, 0, 1, 64, 1) + p.opaque_pixels(frame * 64 + 63, 0, 1, 64, 1), 0);
    }
    // Waves and wakes are tinted between the sea colour and white: the art is white.
    for (const char *file : {"waves.png", "wake.png"}) {
        SCOPED_TRACE(file);
        Pixels w(file);
        ASSERT_TRUE(w.loaded());
        int dark = 0;
        for (int y = 0; y < w.height; ++y)
            for (int x = 0; x < w.width; ++x)
                dark += w.alpha(x, y) > 0 && std::min({w.at(x, y)[0], w.at(x, y)[1], w.at(x, y)[2]}) < 240;
        EXPECT_EQ(dark, 0);
    }
}

TEST(DataImages, BuiltInFontStripHasNinetySixPaddedCells) {
    Pixels p("quon_font.png");
    ASSERT_TRUE(p.loaded());
    ASSERT_EQ(p.width, 960);
    EXPECT_EQ(p.height, 16);
    for (int cell = 0; cell < 96; ++cell) {
        SCOPED_TRACE(cell + 32);
        int x = cell * 10;
        EXPECT_EQ(p.opaque_pixels(x, 0, 1, p.height, 1) + p.opaque_pixels(x + 9, 0, 1, p.height, 1), 0);
        int ink = p.opaque_pixels(x + 1, 0, 8, p.height, 64);
        if (cell == 0 || cell == 95)
            EXPECT_EQ(ink, 0);  // space and DEL
        else
            EXPECT_GT(ink, 0);
    }
}

// The font description as the game's loader reads it: <char> and <kerning> attributes by name.
struct FontDescription {
    std::string text;
    std::map<int, std::map<std::string, int>> chars;
    std::vector<std::map<std::string, int>> kernings;
    std::vector<std::string> page_files;

    FontDescription() : text(read_file("font.fnt")) {
        std::regex element(R"(<(char|kerning|page)\s([^>]*)/>)"), attribute(R"((\w+)=\"([^\"]*)\")");
        for (std::sregex_iterator e(text.begin(), text.end(), element), end; e != end; ++e) {
            std::map<std::string, int> values;
            std::string file;
            std::string attributes = (*e)[2];
            for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a) {
                if ((*a)[1] == "file") file = (*a)[2];
                else values[(*a)[1]] = std::atoi((*a)[2].str().c_str());
            }
            if ((*e)[1] == "char") chars[values["id"]] = values;
            else if ((*e)[1] == "kerning") kernings.push_back(values);
            else page_files.push_back(file);
        }
    }
    int text_height(const std::string &s) {
        int h = 0;
        for (unsigned char c : s) h = std::max(h, chars[c]["height"] + chars[c]["yoffset"]);
        return h;
    }
};

TEST(DataFont, DescriptionCoversPrintableAsciiOnAPageThatExists) {
    FontDescription font;
    ASSERT_FALSE(font.text.empty());
    // The loader drops a first line starting with "<?xml"; its markup reader takes no tabs
    // or carriage returns inside tags, and no second declaration.
    EXPECT_EQ(font.text.rfind("<?xml", 0), 0u);
    EXPECT_EQ(font.text.find('\t'), std::string::npos);
    EXPECT_EQ(font.text.find('\r'), std::string::npos);
    EXPECT_EQ(font.text.find("<?", 1), std::string::npos);

    // Every glyph is on page 0, so the loader loads "font.png".
    ASSERT_EQ(font.page_files, std::vector<std::string>{"font.png"});
    Pixels page("font.png");
    ASSERT_TRUE(page.loaded());
    int tallest = 0;
    for (int id = 32; id <= 126; ++id) {
        SCOPED_TRACE(id);
        ASSERT_EQ(font.chars.count(id), 1u);
        auto &c = font.chars[id];
        for (const char *name : {"x", "y", "width", "height", "xoffset", "yoffset", "xadvance", "page"})
            EXPECT_EQ(c.count(name), 1u) << name;
        EXPECT_EQ(c["page"], 0);
        EXPECT_GT(c["xadvance"], 0);
        EXPECT_GE(c["x"], 0);
        EXPECT_GE(c["y"], 0);
        EXPECT_LE(c["x"] + c["width"], page.width);
        EXPECT_LE(c["y"] + c["height"], page.height);
        if (id != ' ') {
            EXPECT_GT(page.opaque_pixels(c["x"], c["y"], c["width"], c["height"]), 0);
        }
        tallest = std::max(tallest, c["height"]);
    }
    EXPECT_GE(tallest, 48);
    EXPECT_LE(tallest, 64);
    for (auto &k : font.kernings) {
        EXPECT_EQ(font.chars.count(k["first"]), 1u);
        EXPECT_EQ(font.chars.count(k["second"]), 1u);
        EXPECT_NE(k["amount"], 0);
    }
    // The score lines are 20 screen pixels apart at scale 0.35 and must not overlap.
    EXPECT_LE(font.text_height("Last score: 0123456789") * 0.35, 20.0);
}

// Sound loops: the step from the last sample back to the first is no bigger than a few
// ordinary steps of the signal, so looping does not click. (A cut at a random place jumps
// between unrelated samples, typically ten times an ordinary step.)
template <class Sample>
void expect_seamless(const std::vector<Sample> &samples, int channels) {
    size_t frames = samples.size() / channels;
    for (int ch = 0; ch < channels; ++ch) {
        double steps = 0;
        for (size_t i = 1; i < frames; ++i) {
            double step = double(samples[i * channels + ch]) - samples[(i - 1) * channels + ch];
            steps += step * step;
        }
        double ordinary_step = std::sqrt(steps / (frames - 1));
        double seam = std::fabs(double(samples[ch]) - samples[(frames - 1) * channels + ch]);
        EXPECT_LE(seam, 3 * ordinary_step) << "channel " << ch;
    }
}

uint32_t little_endian(const std::string &s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(s[at + i]);
    return v;
}

TEST(DataSounds, EngineIsALoopOfPlainPcm) {
    std::string wav = read_file("engine.wav");
    ASSERT_GE(wav.size(), 44u);
    ASSERT_EQ(wav.substr(0, 4), "RIFF");
    ASSERT_EQ(wav.substr(8, 4), "WAVE");
    EXPECT_EQ(little_endian(wav, 4, 4), wav.size() - 8);
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::string data;
    for (size_t at = 12; at + 8 <= wav.size();) {
        std::string id = wav.substr(at, 4);
        uint32_t size = little_endian(wav, at + 4, 4);
        ASSERT_LE(at + 8 + size, wav.size()) << id;
        if (id == "fmt ") {
            format = little_endian(wav, at + 8, 2), channels = little_endian(wav, at + 10, 2);
            rate = little_endian(wav, at + 12, 4), bits = little_endian(wav, at + 22, 2);
        } else if (id == "data") {
            data = wav.substr(at + 8, size);
        }
        at += 8 + size + (size & 1);
    }
    EXPECT_EQ(format, 1);
    EXPECT_TRUE(channels == 1 || channels == 2) << channels;
    EXPECT_TRUE(bits == 8 || bits == 16) << bits;
    EXPECT_TRUE(rate == 22050 || rate == 44100) << rate;
    ASSERT_FALSE(data.empty());
    double seconds = double(data.size()) / (channels * bits / 8) / rate;
    EXPECT_GE(seconds, 1.0);
    EXPECT_LE(seconds, 3.0);
    if (bits == 16) {
        std::vector<int16_t> samples(data.size() / 2);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(little_endian(data, i * 2, 2));
        expect_seamless(samples, channels);
    }
}

TEST(DataSounds, SeaDecodesToSixteenBitStereoOfTenToThirtySeconds) {
    int channels = 0, rate = 0;
    short *decoded = nullptr;
    int frames = stb_vorbis_decode_filename(data_path("sea.ogg").c_str(), &channels, &rate, &decoded);
    std::unique_ptr<short, void (*)(void *)> owner(decoded, free);
    ASSERT_GT(frames, 0);
    EXPECT_EQ(channels, 2);
    double seconds = double(frames) / rate;
    EXPECT_GE(seconds, 10.0);
    EXPECT_LE(seconds, 30.0);
    std::vector<short> samples(decoded, decoded + size_t(frames) * channels);
    double energy = 0;
    for (short s : samples) energy += double(s) * s;
    EXPECT_GT(std::sqrt(energy / samples.size()), 1000.0);  // audible, not near silence
    expect_seamless(samples, channels);
}

}  // namespace
