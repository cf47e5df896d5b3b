#include "fonts/config.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/support/test_program.h"

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override { reset_runtime(); }
};

std::string Text(const String& s) { return s.ToUtf8(); }

// A node and its subtree on one line: name, [attributes (segments when more than one)], "text",
// {children}.
std::string Tree(c_ConfigNode* node) {
    std::string out = Text(node->name);
    if (node->attributes) {
        out += "[";
        Array<c_ConfigAttribute*> attributes = node->attributes->ToArray();
        for (int a = 0; a < attributes.Length(); ++a) {
            Array<String> segments = attributes[a]->segments;
            out += " " + Text(attributes[a]->name) + "=" + Text(attributes[a]->value);
            if (segments.Length() > 1) {
                out += "(";
                for (int i = 0; i < segments.Length(); ++i) out += (i ? "|" : "") + Text(segments[i]);
                out += ")";
            }
        }
        out += " ]";
    }
    if (!node->value.IsEmpty()) out += "\"" + Text(node->value) + "\"";
    if (node->children && !node->children->IsEmpty()) {
        out += "{";
        Array<c_ConfigNode*> children = node->children->ToArray();
        for (int i = 0; i < children.Length(); ++i) out += (i ? " " : "") + Tree(children[i]);
        out += "}";
    }
    return out;
}

std::string ParsedTree(const char* text) {
    c_Config* config = LoadConfig(String(text));
    if (config->error) return "error: " + Text(config->error->message);
    return Tree(config);
}

// "message @line:column" of a text that must fail.
std::string ErrorOf(const char* text) {
    c_Config* config = LoadConfig(String(text));
    if (!config->error) return "parsed: " + Tree(config);
    return Text(config->error->message) + " @" + std::to_string(config->error->line) + ":" +
           std::to_string(config->error->column);
}

TEST_F(ConfigTest, NestedFontExampleIsFoundByPath) {
    c_Config* config =
        LoadConfig(String("<font><chars count=\"2\"><char id=\"65\" x=\"0\"/><char id=\"66\"/></chars></font>"));
    ASSERT_EQ(config->error, nullptr);
    EXPECT_EQ(Tree(config), "root{font{chars[ count=2 ]{char[ id=65 x=0 ] char[ id=66 ]}}}");

    c_List<c_ConfigNode*>* chars = config->FindNodesByPath(String("FONT/Chars/char"));
    ASSERT_NE(chars, nullptr);
    Array<c_ConfigNode*> found = chars->ToArray();
    ASSERT_EQ(found.Length(), 2);
    EXPECT_EQ(Text(found[0]->GetAttribute(String("ID"), String())), "65");
    EXPECT_EQ(Text(found[1]->GetAttribute(String("id"), String())), "66");
    EXPECT_EQ(Text(found[1]->GetAttribute(String("x"), String("none"))), "none");
    EXPECT_EQ(found[0]->parent, found[1]->parent);
    EXPECT_EQ(Text(found[0]->parent->name), "chars");
    EXPECT_EQ(found[1]->column, 45);

    // The empty path is the node itself; empty parts and misses are null, as is a leaf.
    Array<c_ConfigNode*> self = config->FindNodesByPath(String())->ToArray();
    EXPECT_TRUE(self.Length() == 1 && self[0] == config);
    EXPECT_EQ(config->FindNodesByPath(String("font//chars")), nullptr);
    EXPECT_EQ(config->FindNodesByPath(String("/font")), nullptr);
    EXPECT_EQ(config->FindNodesByPath(String("font/")), nullptr);
    EXPECT_EQ(config->FindNodesByPath(String("font/char")), nullptr);
    EXPECT_EQ(found[0]->FindNodesByPath(String("x")), nullptr);
}

TEST_F(ConfigTest, TextGoesToTheInnermostOpenElement) {
    EXPECT_EQ(ParsedTree("top<a>x<b>y</b>z<c/>w</a>tail"), "root\"top\"{a\"xzw\"{b\"y\" c}}");
    // Comments give neither nodes nor text, and may hold tags and newlines.
    EXPECT_EQ(ParsedTree("<a>1<!-- <b>\n --></a>"), "root{a\"1\"}");
    EXPECT_EQ(ParsedTree("<a/><!--x-->"), "root{a}");
    // An element still open when the text runs out after one character is never attached.
    EXPECT_EQ(ParsedTree("<a>"), "root");
    EXPECT_EQ(ParsedTree("<a>x"), "root");

    // Long texts interleaved with children arrive whole and in order.
    std::string text = "<a>";
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        std::string piece = "t" + std::to_string(i);
        text += piece + "<b/>";
        expected += piece;
    }
    c_Config* config = LoadConfig(String(text.c_str()) + String("</a>"));
    ASSERT_EQ(config->error, nullptr);
    c_ConfigNode* a = config->children->Last();
    EXPECT_EQ(Text(a->value), expected);
    EXPECT_EQ(a->children->Count(), 20000);
}

TEST_F(ConfigTest, CarriageReturnLineFeedReadsLikeLineFeed) {
    const char* unix = "<a>\n<b x=\"1\"\n y='2'/>\n<c>\n</a>";
    const char* dos = "<a>\r\n<b x=\"1\"\r\n y='2'/>\r\n<c>\r\n</a>";
    c_Config* lf = LoadConfig(String(unix));
    c_Config* crlf = LoadConfig(String(dos));
    ASSERT_NE(lf->error, nullptr);
    ASSERT_NE(crlf->error, nullptr);
    EXPECT_EQ(Text(crlf->script), unix);
    EXPECT_EQ(Text(crlf->error->message), Text(lf->error->message));
    EXPECT_EQ(crlf->error->line, 5);
    EXPECT_EQ(crlf->error->column, 1);
    EXPECT_EQ(lf->error->line, 5);

    c_Config* ok = LoadConfig(String("<a>\r\n<b/>\r\n</a>\r\n"));
    ASSERT_EQ(ok->error, nullptr);
    c_ConfigNode* b = ok->children->Last()->children->Last();
    EXPECT_EQ(b->line, 2);
    EXPECT_EQ(b->column, 1);
    // A lone carriage return is text.
    EXPECT_EQ(ParsedTree("<a>x\ry</a>"), "root{a\"x\ry\"}");
}

TEST_F(ConfigTest, AttributesFromSegmentsAndOperators) {
    // A name without '=' is dropped; the next attribute may follow a closed value directly.
    EXPECT_EQ(ParsedTree("<a x/>"), "root{a}");
    EXPECT_EQ(ParsedTree("<a x y=1/>"), "root{a[ y=1 ]}");
    EXPECT_EQ(ParsedTree("<a x=\"1\"y=\"2\"/>"), "root{a[ x=1 y=2 ]}");
    EXPECT_EQ(ParsedTree("<a x=\"1\" y=\"2\">"), "root");
    // Segments: quoted parts, unquoted runs, operators; a leading minus is a sign.
    EXPECT_EQ(ParsedTree("<a b=\"x\"+'y'/>"), "root{a[ b=x+y(x|+|y) ]}");
    EXPECT_EQ(ParsedTree("<a n=-5/>"), "root{a[ n=-5 ]}");
    EXPECT_EQ(ParsedTree("<a n=1-2/>"), "root{a[ n=1-2(1|-|2) ]}");
    EXPECT_EQ(ParsedTree("<a n=2*3/4 m=$x.y/>"), "root{a[ n=2*3/4(2|*|3|/|4) m=$x.y ]}");
    EXPECT_EQ(ParsedTree("<a n=\"1\" - \"2\"/>"), "root{a[ n=1-2(1|-|2) ]}");
    // A repeated name adds to the first attribute of that name, whatever its case.
    EXPECT_EQ(ParsedTree("<a X=1 y=2 x=3/>"), "root{a[ x=13(1|3) y=2 ]}");
    // The completed tag name also names a value that follows it directly.
    EXPECT_EQ(ParsedTree("<a =1/>"), "root{a[ a=1 ]}");
    EXPECT_EQ(ParsedTree("<A=1/>"), "root{a[ a=1 ]}");
    // Names are lower-cased; quoted values keep everything but newlines.
    EXPECT_EQ(ParsedTree("<Font Face=\"Deja Vu\tSans\n\" size = 48 />"), "root{font[ face=Deja Vu\tSans size=48 ]}");
    EXPECT_EQ(ParsedTree("< a/>"), "root{a}");
    EXPECT_EQ(ParsedTree("<a\nx='<>'\n/>"), "root{a[ x=<> ]}");
    EXPECT_EQ(ParsedTree("<a x=\"\"/>"), "root{a[ x= ]}");
}

TEST_F(ConfigTest, EveryErrorSaysWhereItHappened) {
    // A character's own position.
    EXPECT_EQ(ErrorOf("<?xml version=\"1.0\"?>\n<a/>"), "illegal character asc='63' chr='?' @1:2");
    EXPECT_EQ(ErrorOf("<a>\n<b\tx=1/></a>"), "illegal character asc='9' chr='\t' @2:3");
    EXPECT_EQ(ErrorOf("<x>a < b</x>"), "unexpected opening bracket @1:9");
    EXPECT_EQ(ErrorOf("<b/>\n< =x/>"), "expecting tag or attribute name @2:3");
    EXPECT_EQ(ErrorOf("<a x=\"1\"\"2\"/>"), "illegal character asc='34' chr='\"' @1:9");
    EXPECT_EQ(ErrorOf("<a x=1\"2\"/>"), "unexpected opening quote @1:7");
    EXPECT_EQ(ErrorOf("<a x=+1/>"), "unexpected operator asc='43' chr='+' @1:6");
    EXPECT_EQ(ErrorOf("<a x=1 ! />"), "illegal character asc='33' chr='!' @1:8");
    EXPECT_EQ(ErrorOf("<a x!=1/>"), "illegal character asc='33' chr='!' @1:5");
    EXPECT_EQ(ErrorOf("<a x =\n\n %/>"), "illegal character asc='37' chr='%' @3:2");
    // The last character of the tag content.
    EXPECT_EQ(ErrorOf("<a x=/>"), "expecting attribute value @1:5");
    EXPECT_EQ(ErrorOf("<a\nx=\n>"), "expecting attribute value @2:3");
    EXPECT_EQ(ErrorOf("<a x=1+/>"), "unexcpected end of attribute @1:7");
    // The end of the text: the last character's column, 0 after a final newline.
    EXPECT_EQ(ErrorOf("<a x='1/>"), "expecting ending quote @1:9");
    EXPECT_EQ(ErrorOf("<a>\n<b x\n"), "expecting ending bracket @3:0");
    EXPECT_EQ(ErrorOf("<a>xy"), "unexpected end of file @1:5");
    EXPECT_EQ(ErrorOf("<a>\n<b>\n</b>\n\n"), "unexpected end of file @5:0");
    // The closing tag's '<'.
    EXPECT_EQ(ErrorOf("<a>\n  </b>"), "open tag name 'a' doesn't match closing tag name 'b' @2:3");
    EXPECT_EQ(ErrorOf("<a/></b>"), "open tag name 'root' doesn't match closing tag name 'b' @1:5");
    EXPECT_EQ(ErrorOf("<a/>\n </ROOT><b/>"), "unexpected closing tag 'root' @2:2");
    // A nested element may still be called root.
    EXPECT_EQ(ParsedTree("<root><a/></root>"), "root{root{a}}");
}

TEST_F(ConfigTest, FailureEmptiesTheRootButKeepsItsText) {
    c_Config* config = new c_Config();
    config->path = String("fonts/x.fnt");
    config->SetAttribute(String("kept"), String("no"));
    EXPECT_FALSE(config->Parse(String("top<a/><b>text<c/></a>")));
    ASSERT_NE(config->error, nullptr);
    EXPECT_EQ(Text(config->error->context), "fonts/x.fnt");
    EXPECT_EQ(Text(config->error->data), "");
    ASSERT_NE(config->children, nullptr);
    EXPECT_TRUE(config->children->IsEmpty());
    ASSERT_NE(config->attributes, nullptr);
    EXPECT_TRUE(config->attributes->IsEmpty());
    EXPECT_EQ(Text(config->value), "top");

    c_Config* good = new c_Config();
    EXPECT_TRUE(good->Parse(String("<a/>")));
    EXPECT_EQ(good->error, nullptr);
}

// What the font loader may call besides the parser: a set value replaces all segments, and
// setting an attribute again changes it instead of adding a second.
TEST_F(ConfigTest, SettingAttributesReplacesValues) {
    auto* attribute = new c_ConfigAttribute(String("NaMe"), String("v"));
    attribute->AddSegment(String("w"));
    EXPECT_EQ(Text(attribute->value), "vw");
    attribute->SetValue(String("z"));
    EXPECT_EQ(attribute->segments.Length(), 1);
    EXPECT_EQ(Text(attribute->name) + "=" + Text(attribute->value), "name=z");

    auto* node = new c_ConfigNode(String("Kept"));
    node->SetAttribute(String("A"), String("1"));
    node->SetAttribute(String("a"), String("2"));
    EXPECT_EQ(Tree(node), "Kept[ a=2 ]");
}

// Rooted, the whole tree survives collections; a field missing from mark_children would be
// freed and then read (the sanitizer and torture builds report it).
TEST_F(ConfigTest, TreeSurvivesCollection) {
    c_Config* config = LoadConfig(String("<a x=\"1\"+2><b y=3/>text</a></c>"));
    test_roots.push_back(config);
    for (int i = 0; i < 4; ++i) gc_step();
    gc_full_collection();
    gc_step();
    EXPECT_EQ(Text(config->error->message), "open tag name 'root' doesn't match closing tag name 'c'");

    c_Config* parsed = LoadConfig(String("<a x=\"1\"+2><b y=3/>text</a>"));
    test_roots.push_back(parsed);
    for (int i = 0; i < 4; ++i) gc_step();
    gc_full_collection();
    gc_step();
    EXPECT_EQ(Tree(parsed), "root{a[ x=1+2(1|+|2) ]\"text\"{b[ y=3 ]}}");
    EXPECT_EQ(parsed->children->Last()->children->Last()->parent, parsed->children->Last());
}

TEST_F(ConfigTest, GameFontDescription) {
    String text = String::LoadFile(ZV_SOURCE_DIR "/data/font.fnt");
    ASSERT_TRUE(text.StartsWith(String("<?xml")));
    text = text.Slice(text.Find(String("\n")) + 1);
    c_Config* config = LoadConfig(text);
    ASSERT_EQ(config->error, nullptr) << Text(config->error->message);

    c_List<c_ConfigNode*>* chars = config->FindNodesByPath(String("font/chars/char"));
    ASSERT_NE(chars, nullptr);
    EXPECT_EQ(chars->Count(), 95);
    EXPECT_EQ(Text(chars->ToArray()[0]->GetAttribute(String("id"), String())), "32");
    c_List<c_ConfigNode*>* kernings = config->FindNodesByPath(String("font/kernings/kerning"));
    ASSERT_NE(kernings, nullptr);
    int expected = 0;
    for (int at = text.Find(String("<kerning ")); at != -1; at = text.Find(String("<kerning "), at + 1)) ++expected;
    EXPECT_GT(expected, 0);
    EXPECT_EQ(kernings->Count(), expected);
    Array<c_ConfigNode*> page = config->FindNodesByPath(String("font/pages/page"))->ToArray();
    EXPECT_EQ(Text(page[0]->GetAttribute(String("file"), String())), "font.png");
}

}  // namespace
