// The markup parser against a real XML parser on random documents in the subset both read the
// same way: nested elements, quoted attributes without tabs, newlines or entities, text without
// '<', '>' or '&', comments. Both must give the same tree and the same tag positions.
#include <random>
#include <string>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "fonts/config.h"
#include "tests/support/test_program.h"

namespace {

class DocumentGenerator {
public:
    explicit DocumentGenerator(unsigned seed) : random_(seed) {}

    std::string Document() {
        std::string document;
        if (Chance(3)) document += Spacing();
        Element(document, 0);
        return document;
    }

private:
    bool Chance(int inverse) { return random_() % unsigned(inverse) == 0; }
    int Below(int n) { return int(random_() % unsigned(n)); }

    std::string Name() {
        static const char first[] = "abcXYZ_";
        static const char rest[] = "abcdefxyzABCXYZ_0123456789";
        std::string name(1, first[Below(sizeof first - 1)]);
        for (int n = Below(6); n > 0; --n) name += rest[Below(sizeof rest - 1)];
        return name;
    }

    // Spaces and newlines only: those are what separate inside a tag.
    std::string Spacing() {
        std::string s;
        for (int n = 1 + Below(3); n > 0; --n) s += Chance(4) ? '\n' : ' ';
        return s;
    }

    std::string Characters(const char* pool, int most) {
        std::string s;
        for (int n = Below(most + 1); n > 0; --n) {
            if (Chance(12)) {
                s += "\xc3\xa9";  // a character beyond ASCII, two bytes in UTF-8
            } else {
                s += pool[Below(int(std::char_traits<char>::length(pool)))];
            }
        }
        return s;
    }

    void Element(std::string& out, int depth) {
        std::string name = Name();
        out += "<" + name;
        std::string seen = "|";
        for (int n = Below(4); n > 0; --n) {
            std::string attribute = Name();
            std::string lower;
            for (char c : attribute) lower += char(std::tolower(static_cast<unsigned char>(c)));
            if (seen.find("|" + lower + "|") != std::string::npos) continue;  // XML forbids repeats
            seen += lower + "|";
            char quote = Chance(2) ? '"' : '\'';
            out += Spacing() + attribute + (Chance(4) ? " = " : "=") + quote +
                   Characters(quote == '"' ? "ab z09.,;:!?/=>'-+*$ " : "ab z09.,;:!?/=>\"-+*$ ", 8) + quote;
        }
        if (Chance(3)) out += Spacing();
        if (depth >= 4 || Chance(4)) {
            out += "/>";
            return;
        }
        out += ">";
        for (int n = Below(5); n > 0; --n) {
            switch (Below(3)) {
                case 0: out += Characters("abc xyz 019 \n\t\"'=/!?-", 12); break;
                case 1: out += "<!--" + Characters("ab <x> \n\"'", 8) + "-->"; break;
                default: Element(out, depth + 1); break;
            }
        }
        out += "</" + name + (Chance(4) ? "\n" : "") + ">";
    }

    std::mt19937 random_;
};

std::string Field(const std::string& text) { return std::to_string(text.size()) + ":" + text; }

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Line and column (in characters) of the '<' before a name at a byte offset of the document.
std::string PositionOfTag(const std::string& document, ptrdiff_t nameOffset) {
    int line = 1, column = 0;
    for (ptrdiff_t i = 0; i < nameOffset - 1; ++i) {
        unsigned char byte = static_cast<unsigned char>(document[size_t(i)]);
        if (byte == '\n') {
            line += 1;
            column = 0;
        } else if ((byte & 0xc0) != 0x80) {
            column += 1;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column + 1);
}

std::string Dump(const std::string& document, const pugi::xml_node& node) {
    std::string out = "(" + Field(Lower(node.name())) + "@" + PositionOfTag(document, node.offset_debug());
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        out += " " + Field(Lower(attribute.name())) + "=" + Field(attribute.value());
    }
    std::string text;
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_pcdata) text += child.value();
    }
    out += " text " + Field(text);
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element) out += Dump(document, child);
    }
    return out + ")";
}

std::string Dump(c_ConfigNode* node) {
    std::string out = "(" + Field(node->name.ToUtf8()) + "@" + std::to_string(node->line) + ":" +
                      std::to_string(node->column);
    if (node->attributes) {
        Array<c_ConfigAttribute*> attributes = node->attributes->ToArray();
        for (int i = 0; i < attributes.Length(); ++i) {
            out += " " + Field(attributes[i]->name.ToUtf8()) + "=" + Field(attributes[i]->value.ToUtf8());
        }
    }
    out += " text " + Field(node->value.ToUtf8());
    if (node->children) {
        Array<c_ConfigNode*> children = node->children->ToArray();
        for (int i = 0; i < children.Length(); ++i) out += Dump(children[i]);
    }
    return out + ")";
}

TEST(ConfigDifferentialTest, RandomDocumentsReadAsAnXmlParserReadsThem) {
    reset_runtime();
    DocumentGenerator generator(20261207);
    for (int round = 0; round < 3000; ++round) {
        std::string document = generator.Document();

        pugi::xml_document reference;
        pugi::xml_parse_result result =
            reference.load_buffer(document.data(), document.size(), pugi::parse_default | pugi::parse_ws_pcdata,
                                  pugi::encoding_utf8);
        ASSERT_TRUE(result) << "the generator made bad XML: " << result.description() << "\n" << document;

        c_Config* config =
            LoadConfig(String::FromBytes(reinterpret_cast<const uint8_t*>(document.data()), document.size()));
        ASSERT_EQ(config->error, nullptr) << config->error->message.ToUtf8() << " at " << config->error->line << ":"
                                          << config->error->column << "\n" << document;
        ASSERT_TRUE(config->children && config->children->Count() == 1) << document;
        ASSERT_EQ(Dump(config->children->Last()), Dump(document, reference.document_element())) << document;
    }
}

}  // namespace
