// The game's own font, data/font.fnt, as the loader reads it and as pugixml reads it.
#include <pugixml.hpp>

#include <map>
#include <utility>

#include "tests/fonts/font_fixture.h"

namespace {

struct Glyph {
    std::vector<int> values;  // x, y, width, height, xoffset, yoffset, xadvance, page
};

struct IndependentFont {
    std::map<int, Glyph> glyphs;
    std::map<std::pair<int, int>, int> kernings;  // the first amount given for a pair

    int Width(const std::string& text) const {
        int width = 0, previous = 0;
        for (unsigned char c : text) {
            auto glyph = glyphs.find(c);
            if (glyph == glyphs.end()) continue;
            auto kerning = kernings.find({previous, c});
            if (kerning != kernings.end()) width += kerning->second;
            width += glyph->second.values[6];
            previous = c;
        }
        return width;
    }
};

IndependentFont ReadWithPugixml(const std::string& path) {
    IndependentFont font;
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file(path.c_str())) << path;
    for (const pugi::xpath_node& node : document.select_nodes("/font/chars/char")) {
        pugi::xml_node c = node.node();
        Glyph glyph;
        for (const char* name : {"x", "y", "width", "height", "xoffset", "yoffset", "xadvance", "page"}) {
            glyph.values.push_back(c.attribute(name).as_int());
        }
        font.glyphs[c.attribute("id").as_int()] = glyph;
    }
    for (const pugi::xpath_node& node : document.select_nodes("/font/kernings/kerning")) {
        pugi::xml_node k = node.node();
        font.kernings.emplace(std::make_pair(k.attribute("first").as_int(), k.attribute("second").as_int()),
                              k.attribute("amount").as_int());
    }
    return font;
}

TEST_F(FontTest, TheGameFontHoldsWhatItsDescriptionSays) {
    host.folder = std::string(ZV_SOURCE_DIR) + "/data";
    AddPage("font.png");
    c_AngelFont* font = NewFont();
    font->LoadFontXml(String("font"));
    IndependentFont expected = ReadWithPugixml(host.folder + "/font.fnt");

    ASSERT_GE(expected.glyphs.size(), 95u) << "printable ASCII at least";
    int glyphs = 0;
    for (int id = 0; id < c_AngelFont::GlyphCount; ++id) {
        c_Char* c = font->chars[id];
        auto want = expected.glyphs.find(id);
        ASSERT_EQ(c != nullptr, want != expected.glyphs.end()) << "glyph " << id;
        if (!c) continue;
        ++glyphs;
        EXPECT_EQ((std::vector<int>{c->x, c->y, c->width, c->height, c->xOffset, c->yOffset, c->xAdvance, c->page}),
                  want->second.values)
            << "glyph " << id;
    }
    EXPECT_EQ(glyphs, int(expected.glyphs.size()));

    ASSERT_FALSE(expected.kernings.empty());
    for (const auto& [pair, amount] : expected.kernings) {
        c_IntMap<c_KernPair*>* seconds = font->kernPairs->Get(pair.first);
        ASSERT_NE(seconds, nullptr) << pair.first;
        c_KernPair* kern = seconds->Get(pair.second);
        ASSERT_NE(kern, nullptr) << pair.first << "," << pair.second;
        EXPECT_EQ(kern->amount, amount) << pair.first << "," << pair.second;
    }

    for (std::string text : {"Hit 'space' to play", "Score: 0", "Last score: 1234567890", "Best score: 99",
                             "AV To Wa LT yo"}) {
        EXPECT_EQ(font->TextWidth(String(text.c_str())), expected.Width(text)) << text;
    }
    EXPECT_NE(font->image[0], nullptr);
}

}  // namespace
