// Bitmap-font text: glyph rectangles on one or more page images plus kerning pairs, read from a
// comma-separated text description (LoadFont) or an XML description (LoadFontXml), drawn glyph by
// glyph with kerning, inline <i> and <b> tags, alignment, rotation and scale.
//
// The glyph table covers character codes 0-255. Glyphs and kerning pairs a description gives for
// other codes are skipped, and other codes in a text are characters without a glyph: nothing is
// drawn for them and the pen does not move.
#pragma once

#include "fonts/char.h"
#include "fonts/kernpair.h"
#include "framework/graphics.h"
#include "runtime/std/map.h"

class c_AngelFont : public Object {
public:
    static constexpr const char* debug_name = "AngelFont";

    static constexpr int GlyphCount = 256;

    static c_StringMap<c_AngelFont*>* _list;  // fonts created with a name, by name
    Array<c_Image*> image;                    // page images, index = page
    Array<c_Char*> chars;                     // glyph per character code
    c_IntMap<c_IntMap<c_KernPair*>*>* kernPairs = nullptr;  // first code -> second code -> pair
    static c_IntMap<c_KernPair*>* firstKp;    // kerning look-up scratch
    static c_KernPair* secondKp;
    String iniText;                           // the description file read last
    int xOffset = 0;                          // pen offset while drawing
    static c_AngelFont* current;              // the font that loaded a description last
    static String err;                        // field count and "," per data line of a text description
    String name;
    bool useKerning = true;
    int height = 0;           // largest glyph height
    int heightOffset = 9999;  // smallest glyph yOffset
    float italicSkew = 0.25f; // horizontal shear per pixel of height

    void mark_children() override;
    String debug_dump() override;

    // A non-empty url loads that text description and registers the font under it in _list.
    explicit c_AngelFont(const String& url);

    // "url.txt" with "url.png".
    int LoadFont(const String& url);
    // "url.fnt" with "url.png" (or "url_0.png"), or "url_N.png" per page when pages above 0 are used.
    int LoadFontXml(const String& url);

    // Draws with the pen starting at (x, y): each glyph's top-left is the pen plus its offsets.
    int DrawHTML(const String& txt, int x, int y);
    // align 0: starts at x; 1: centred on x; 2: ends at x; any other value draws nothing.
    int DrawHTML(const String& txt, int x, int y, int align);
    // Puts the point (xalign, yalign) of the text's box, in fractions of its size, at (x, y).
    int DrawHTML(const String& txt, int x, int y, float xalign, float yalign);
    // The same, then rotated about that point and scaled in screen axes.
    int DrawHTML(const String& txt, int x, int y, float xalign, float yalign, float rotation, float scaleX,
                 float scaleY);

    // Both measure text without tags: pass StripHTML(txt).
    int TextWidth(const String& txt);
    int TextHeight(const String& txt);
    // Drops <b>, <i>, </b> and </i>; any other tag stays.
    static String StripHTML(const String& txt);

private:
    c_Char* Glyph(int code);
    int StoreGlyph(int id, c_Char* glyph);
    int AddKerning(int first, int second, int amount);
    int Kerning(int prevChar, int thisChar);
    int DrawGlyph(c_Char* glyph, int linex, int liney, bool bold);
    int LoadPage(int page, const String& path);
};

void angelfont_init_globals();
void angelfont_queue_roots();
