#include "tests/fonts/font_fixture.h"

namespace {

using Loads = std::vector<std::string>;

void ExpectGlyph(c_AngelFont* font, int id, std::vector<int> values) {
    c_Char* c = font->chars[id];
    ASSERT_NE(c, nullptr) << "no glyph " << id;
    EXPECT_EQ((std::vector<int>{c->x, c->y, c->width, c->height, c->xOffset, c->yOffset, c->xAdvance, c->page}),
              values)
        << "glyph " << id;
}

int GlyphCount(c_AngelFont* font) {
    int count = 0;
    for (int i = 0; i < font->chars.Length(); ++i) count += font->chars[i] != nullptr;
    return count;
}

c_KernPair* Pair(c_AngelFont* font, int first, int second) {
    c_IntMap<c_KernPair*>* seconds = font->kernPairs->Get(first);
    return seconds ? seconds->Get(second) : nullptr;
}

TEST_F(FontTest, TextDescriptionReadsGlyphsKerningsAndCountsFields) {
    dir.Write("t.txt",
              "id,x,y,width,height,xoffset,yoffset,xadvance,page\n"
              " 65, 1, 2, 3, 40, 5, 6, 7, 0\r\n"
              "\n"
              "66,10,0,8,30,-2,9,11,0,ignored\n"
              "first,second,amount\n"
              "65, 66, -3\n"
              "65,66,5\n"           // a repeated pair keeps its first amount
              "1,2,3,4\n"           // neither a glyph nor a pair
              "300,0,0,8,99,0,0,10,0\n"  // beyond the glyph table: skipped
              "-1,0,0,8,99,-50,0,10,0\n"
              "65,300,4\n");        // names a skipped glyph
    AddPage("t.png");
    c_AngelFont* font = new c_AngelFont(String("t"));
    CollectEverything();  // the font lives on through _list alone

    EXPECT_EQ(c_AngelFont::err.ToUtf8(), "9,10,3,3,4,9,9,3,");
    EXPECT_EQ(c_AngelFont::current, font);
    EXPECT_EQ(c_AngelFont::_list->Get(String("t")), font);
    EXPECT_EQ(font->name.ToUtf8(), "t");
    ExpectGlyph(font, 65, {1, 2, 3, 40, 5, 6, 7, 0});
    ExpectGlyph(font, 66, {10, 0, 8, 30, -2, 9, 11, 0});
    EXPECT_EQ(GlyphCount(font), 2);
    EXPECT_EQ(font->height, 40);
    EXPECT_EQ(font->heightOffset, 6);

    c_KernPair* pair = Pair(font, 65, 66);
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(pair->first.ToUtf8(), "65");
    EXPECT_EQ(pair->second.ToUtf8(), "66");
    EXPECT_EQ(pair->amount, -3);
    EXPECT_EQ(Pair(font, 65, 300), nullptr);

    EXPECT_EQ(renderer->loads, Loads{"zorvex://data/t.png"});
    EXPECT_NE(font->image[0], nullptr);

    // A second description adds to the first: A is replaced, B kept.
    dir.Write("u.txt", "65,0,0,1,1,0,0,2,0\n");
    font->LoadFont(String("u"));
    ExpectGlyph(font, 65, {0, 0, 1, 1, 0, 0, 2, 0});
    EXPECT_NE(font->chars[66], nullptr);
    EXPECT_EQ(c_AngelFont::err.ToUtf8(), "9,");
    EXPECT_EQ(font->image[0], nullptr) << "u.png is missing";
}

const char* kTwoPages = R"(<font>
  <info face="Test" size="32"/>
  <chars count="4">
    <char id="65" x="1" y="2" width="3" height="4" xoffset="-5" yoffset="6" xadvance="7" page="0" chnl="15"/>
    <char id="66" x="8" y="9" width="10" height="11" xoffset="12" yoffset="-13" xadvance="14" page="1"/>
    <char id="8364" x="0" y="0" width="30" height="90" xoffset="0" yoffset="0" xadvance="30" page="0"/>
    <char id="70"/>
  </chars>
  <kernings count="3">
    <kerning first="65" second="66" amount="-2"/>
    <kerning first="65" second="66" amount="9"/>
    <kerning first="8364" second="65" amount="1"/>
  </kernings>
</font>)";

TEST_F(FontTest, XmlDescriptionReadsGlyphsKerningsAndOnePageImagePerPage) {
    dir.Write("two.fnt", std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n") + kTwoPages);
    AddPage("two_0.png");
    AddPage("two_1.png");
    AddPage("two.png");  // not looked for when pages above 0 are used
    c_AngelFont* font = NewFont();
    font->LoadFontXml(String("two"));

    EXPECT_EQ(c_AngelFont::current, font);
    ExpectGlyph(font, 65, {1, 2, 3, 4, -5, 6, 7, 0});
    ExpectGlyph(font, 66, {8, 9, 10, 11, 12, -13, 14, 1});
    ExpectGlyph(font, 70, {0, 0, 0, 0, 0, 0, 0, 0});  // missing attributes read as 0
    EXPECT_EQ(GlyphCount(font), 3);
    EXPECT_EQ(font->height, 11);
    EXPECT_EQ(font->heightOffset, -13);
    ASSERT_NE(Pair(font, 65, 66), nullptr);
    EXPECT_EQ(Pair(font, 65, 66)->amount, -2);
    EXPECT_EQ(font->kernPairs->Get(8364), nullptr);
    EXPECT_EQ(renderer->loads, (Loads{"zorvex://data/two_0.png", "zorvex://data/two_1.png"}));
    ASSERT_EQ(font->image.Length(), 2);
    EXPECT_NE(font->image[0], nullptr);
    EXPECT_NE(font->image[1], nullptr);

    // Only page 0, no declaration: NAME.png, or NAME_0.png when that is missing.
    std::string onePage = kTwoPages;
    onePage.replace(onePage.find("page=\"1\""), 8, "page=\"0\"");
    dir.Write("one.fnt", onePage);
    AddPage("one.png");
    AddPage("one_0.png");
    renderer->loads.clear();
    c_AngelFont* plain = NewFont();
    plain->LoadFontXml(String("one"));
    EXPECT_EQ(renderer->loads, Loads{"zorvex://data/one.png"});
    EXPECT_EQ(GlyphCount(plain), 3);

    renderer->files.erase("zorvex://data/one.png");
    renderer->loads.clear();
    c_AngelFont* fallback = NewFont();
    fallback->LoadFontXml(String("one"));
    EXPECT_EQ(renderer->loads, (Loads{"zorvex://data/one.png", "zorvex://data/one_0.png"}));
    EXPECT_NE(fallback->image[0], nullptr);
}

TEST_F(FontTest, BadDescriptionsDefineNothingAndNeverEndTheGame) {
    c_AngelFont* font = NewFont();
    font->LoadFont(String("missing"));
    font->LoadFontXml(String("missing"));
    EXPECT_EQ(GlyphCount(font), 0);
    EXPECT_EQ(font->image[0], nullptr);
    EXPECT_EQ(font->TextWidth(String("abc")), 0);

    const char* descriptions[] = {
        "<font><chars><char id=\"65\" width=\"3\"/></font>",                 // mismatched closing tag
        "<font><chars><char id=\"65\" width=\"3\"/></chars>",                // never closed
        "<font><chars><char id=\"65\" width=\"3 /></chars></font>",          // open quote
        "<font><kernings><kerning first=\"65\" second=\"66\"/></kernings></font>",  // no chars
        "<font><chars><char id=\"99999999999\"/><char id=\"-65\"/><char id=\"256\"/></chars></font>",
        "",
    };
    for (const char* description : descriptions) {
        dir.Write("bad.fnt", description);
        c_AngelFont* bad = NewFont();
        bad->LoadFontXml(String("bad"));
        EXPECT_EQ(GlyphCount(bad), 0) << description;
    }

    // A glyph without a kernings section loads; an absurd page number does not make the
    // loader look for millions of page images.
    dir.Write("pages.fnt", "<font><chars><char id=\"65\" xadvance=\"5\" page=\"2000000000\"/></chars></font>");
    renderer->loads.clear();
    c_AngelFont* pages = NewFont();
    pages->LoadFontXml(String("pages"));
    EXPECT_EQ(pages->TextWidth(String("A")), 5);
    EXPECT_EQ(renderer->loads, (Loads{"zorvex://data/pages.png", "zorvex://data/pages_0.png"}));
}

TEST_F(FontTest, MeasuringFollowsGlyphsAndKerningAndSkipsCharactersWithoutGlyphs) {
    dir.Write("m.txt",
              "65,0,0,8,16,0,3,12,0\n"   // A
              "66,0,0,8,20,0,-1,10,0\n"  // B
              "60,0,0,4,30,0,0,6,0\n"    // <
              "46,0,0,2,2,0,-5,4,0\n"    // . above the pen line
              "65,66,-4\n");
    c_AngelFont* font = NewFont();
    font->LoadFont(String("m"));

    EXPECT_EQ(font->TextWidth(String()), 0);
    EXPECT_EQ(font->TextWidth(String("AB")), 12 - 4 + 10);
    EXPECT_EQ(font->TextWidth(String("BA")), 22);
    // Characters without a glyph, in or beyond the table, neither move the pen nor break the pair.
    EXPECT_EQ(font->TextWidth(String(U"A\u20ACzB\U0001F600")), 18);
    EXPECT_EQ(font->TextWidth(String("<b>")), 6) << "tags are not interpreted";
    font->useKerning = false;
    EXPECT_EQ(font->TextWidth(String("AB")), 22);

    EXPECT_EQ(font->TextHeight(String()), 0);
    EXPECT_EQ(font->TextHeight(String("A")), 19);
    EXPECT_EQ(font->TextHeight(String(U"AB\u20ACz")), 19);
    EXPECT_EQ(font->TextHeight(String("<A")), 30);
    EXPECT_EQ(font->TextHeight(String(".")), -3);

    // Metrics beyond Int read as its largest value, and sums of them wrap around as Int does.
    dir.Write("huge.txt", "90,0,0,1,99999999999,99999999999,99999999999,99999999999,0\n");
    c_AngelFont* huge = NewFont();
    huge->LoadFont(String("huge"));
    EXPECT_EQ(huge->TextWidth(String("ZZ")), -2);
    EXPECT_EQ(huge->TextHeight(String("Z")), -2);

    EXPECT_EQ(c_AngelFont::StripHTML(String("<b>x</b>")).ToUtf8(), "x");
    EXPECT_EQ(c_AngelFont::StripHTML(String("<i>a</i> <b>b</b>")).ToUtf8(), "a b");
    EXPECT_EQ(c_AngelFont::StripHTML(String("<u>x</u>")).ToUtf8(), "<u>x<u>");
}

}  // namespace
