// Rasterises our two bitmap fonts from DejaVu outlines with FreeType:
//   font.fnt + font.png  the game's text: DejaVu Sans Bold, white with a dark rim, drawn at 0.35
//   quon_font.png        the built-in strip: 96 monospaced cells of 1 + 8 + 1 by 16 pixels
// usage: fontgen <sans-bold.ttf> <mono.ttf> <output folder>
#include "pixels.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_STROKER_H

#include <map>

namespace {

constexpr int kFirstChar = 32, kLastChar = 126;  // printable ASCII
constexpr int kPixelSize = 48;                    // glyphs come out 48-60 px high with the rim
constexpr int kRimPixels = 4;                     // still about one screen pixel at scale 0.35
constexpr int kGap = 4;                           // keeps linear filtering from bleeding between glyphs
constexpr int kPageWidth = 512;
const Rgba kRimColour{0.05f, 0.12f, 0.20f, 1};

FT_Library library;

FT_Face open_face(const char *path, int pixel_size) {
    FT_Face face;
    if (FT_New_Face(library, path, 0, &face)) die(std::string("cannot open font ") + path);
    FT_Set_Pixel_Sizes(face, 0, pixel_size);
    return face;
}

// A glyph bitmap with its top-left corner relative to the pen on the baseline (y grows down).
struct Coverage {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> alpha;
    uint8_t at(int x, int y) const {  // x, y relative to the pen
        x -= left, y -= top;
        return x < 0 || y < 0 || x >= width || y >= height ? 0 : alpha[size_t(y) * width + x];
    }
};

Coverage render(FT_Glyph glyph) {
    if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1)) die("cannot render a glyph");
    auto *bitmap_glyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
    const FT_Bitmap &bitmap = bitmap_glyph->bitmap;
    Coverage c;
    c.left = bitmap_glyph->left;
    c.top = -bitmap_glyph->top;
    c.width = int(bitmap.width);
    c.height = int(bitmap.rows);
    c.alpha.resize(size_t(c.width) * c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) c.alpha[size_t(y) * c.width + x] = bitmap.buffer[y * bitmap.pitch + x];
    FT_Done_Glyph(glyph);
    return c;
}

struct Glyph {
    int id = 0;
    Picture picture;           // white fill over the dark rim
    int xoffset = 0, yoffset = 0;  // from the pen at the top of the line
    int xadvance = 0;
    int x = 0, y = 0;          // place on the page
};

Glyph make_outlined_glyph(FT_Face face, FT_Stroker stroker, int id) {
    if (FT_Load_Char(face, id, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP)) die("missing glyph " + std::to_string(id));
    Glyph g;
    g.id = id;
    g.xadvance = int(face->glyph->advance.x >> 6);
    if (face->glyph->outline.n_points == 0) return g;  // the space: an advance and nothing to draw

    FT_Glyph fill_outline, rim_outline;
    FT_Get_Glyph(face->glyph, &fill_outline);
    FT_Get_Glyph(face->glyph, &rim_outline);
    FT_Glyph_Stroke(&rim_outline, stroker, 1);
    Coverage fill = render(fill_outline), rim = render(rim_outline);

    // The rim covers the fill's box and then some; take the union anyway.
    int left = std::min(fill.left, rim.left), top = std::min(fill.top, rim.top);
    int right = std::max(fill.left + fill.width, rim.left + rim.width);
    int bottom = std::max(fill.top + fill.height, rim.top + rim.height);
    g.picture = Picture(right - left, bottom - top);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            Rgba white{1, 1, 1, fill.at(x, y) / 255.f};
            Rgba dark = kRimColour;
            dark.a = std::max(rim.at(x, y), fill.at(x, y)) / 255.f;
            g.picture.set(x - left, y - top, over(white, dark));
        }
    int ascender = int(face->size->metrics.ascender >> 6);
    g.xoffset = left;
    g.yoffset = ascender + top;
    return g;
}

// Shelf packing in id order: rows of glyphs, each row as high as its tallest glyph.
int pack(std::vector<Glyph> &glyphs) {
    int x = kGap, y = kGap, row_height = 0;
    for (Glyph &g : glyphs) {
        if (x + g.picture.width + kGap > kPageWidth) x = kGap, y += row_height + kGap, row_height = 0;
        g.x = x, g.y = y;
        x += g.picture.width + kGap;
        row_height = std::max(row_height, g.picture.height);
    }
    int used = y + row_height + kGap, height = 64;
    while (height < used) height *= 2;
    return height;
}

void write_game_font(const char *font_path, const std::string &folder) {
    FT_Face face = open_face(font_path, kPixelSize);
    FT_Stroker stroker;
    FT_Stroker_New(library, &stroker);
    FT_Stroker_Set(stroker, kRimPixels * 64, FT_STROKER_LINECAP_ROUND, FT_STROKER_LINEJOIN_ROUND, 0);

    std::vector<Glyph> glyphs;
    for (int id = kFirstChar; id <= kLastChar; ++id) glyphs.push_back(make_outlined_glyph(face, stroker, id));
    int page_height = pack(glyphs);
    Picture page(kPageWidth, page_height);
    for (const Glyph &g : glyphs)
        for (int y = 0; y < g.picture.height; ++y)
            for (int x = 0; x < g.picture.width; ++x) page.set(g.x + x, g.y + y, g.picture.get(x, y));
    save_png(folder + "/font.png", page);

    std::map<std::pair<int, int>, int> kernings;
    if (FT_HAS_KERNING(face))
        for (int first = kFirstChar; first <= kLastChar; ++first)
            for (int second = kFirstChar; second <= kLastChar; ++second) {
                FT_Vector k;
                FT_Get_Kerning(face, FT_Get_Char_Index(face, first), FT_Get_Char_Index(face, second),
                               FT_KERNING_DEFAULT, &k);
                if (k.x >> 6) kernings[{first, second}] = int(k.x >> 6);
            }

    // The game's markup reader takes no tabs and no declaration beyond the first line.
    std::string path = folder + "/font.fnt";
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out) die("cannot write " + path);
    int ascender = int(face->size->metrics.ascender >> 6);
    int line_height = int(face->size->metrics.height >> 6);
    std::fprintf(out, "<?xml version=\"1.0\"?>\n<font>\n");
    std::fprintf(out, "  <info face=\"%s %s\" size=\"%d\" bold=\"1\" italic=\"0\" outline=\"%d\"/>\n",
                 face->family_name, face->style_name, kPixelSize, kRimPixels);
    std::fprintf(out, "  <common lineHeight=\"%d\" base=\"%d\" scaleW=\"%d\" scaleH=\"%d\" pages=\"1\"/>\n",
                 line_height, ascender, kPageWidth, page_height);
    std::fprintf(out, "  <pages>\n    <page id=\"0\" file=\"font.png\"/>\n  </pages>\n");
    std::fprintf(out, "  <chars count=\"%zu\">\n", glyphs.size());
    for (const Glyph &g : glyphs)
        std::fprintf(out,
                     "    <char id=\"%d\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" xoffset=\"%d\" "
                     "yoffset=\"%d\" xadvance=\"%d\" page=\"0\"/>\n",
                     g.id, g.x, g.y, g.picture.width, g.picture.height, g.xoffset, g.yoffset, g.xadvance);
    std::fprintf(out, "  </chars>\n  <kernings count=\"%zu\">\n", kernings.size());
    for (const auto &[pair, amount] : kernings)
        std::fprintf(out, "    <kerning first=\"%d\" second=\"%d\" amount=\"%d\"/>\n", pair.first, pair.second,
                     amount);
    std::fprintf(out, "  </kernings>\n</font>\n");
    std::fclose(out);
    FT_Stroker_Done(stroker);
    FT_Done_Face(face);
}

// Characters 32 to 127 in 10-pixel cells: a padding column, 8 columns of glyph, a padding column.
// Code 127 has no picture and stays an empty cell.
void write_builtin_font(const char *font_path, const std::string &folder) {
    constexpr int kCell = 10, kCellHeight = 16, kBaseline = 12;
    FT_Face face = open_face(font_path, 13);
    Picture strip(96 * kCell, kCellHeight);
    for (int id = 32; id < 127; ++id) {
        if (FT_Load_Char(face, id, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) die("missing glyph " + std::to_string(id));
        FT_GlyphSlot slot = face->glyph;
        int advance = int(slot->advance.x >> 6);
        int pen = 1 + (8 - advance) / 2;
        for (int y = 0; y < int(slot->bitmap.rows); ++y)
            for (int x = 0; x < int(slot->bitmap.width); ++x) {
                int px = pen + slot->bitmap_left + x, py = kBaseline - slot->bitmap_top + y;
                if (px < 1 || px > 8 || py < 0 || py >= kCellHeight) continue;  // never into the padding
                float a = slot->bitmap.buffer[y * slot->bitmap.pitch + x] / 255.f;
                strip.set((id - 32) * kCell + px, py, {1, 1, 1, a});
            }
    }
    save_png(folder + "/quon_font.png", strip);
    FT_Done_Face(face);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) die("usage: fontgen <sans-bold.ttf> <mono.ttf> <output folder>");
    if (FT_Init_FreeType(&library)) die("cannot start FreeType");
    write_game_font(argv[1], argv[3]);
    write_builtin_font(argv[2], argv[3]);
    FT_Done_FreeType(library);
    return 0;
}
