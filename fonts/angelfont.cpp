#include "fonts/angelfont.h"

#include "fonts/config.h"
#include "framework/app.h"

c_StringMap<c_AngelFont*>* c_AngelFont::_list;
c_IntMap<c_KernPair*>* c_AngelFont::firstKp;
c_KernPair* c_AngelFont::secondKp;
c_AngelFont* c_AngelFont::current;
String c_AngelFont::err;

void angelfont_init_globals() {
    gc_store(c_AngelFont::_list, new c_StringMap<c_AngelFont*>());
    c_AngelFont::firstKp = nullptr;
    c_AngelFont::secondKp = nullptr;
    c_AngelFont::current = nullptr;
    c_AngelFont::err = String();
}

void angelfont_queue_roots() {
    gc_grey(c_AngelFont::_list);
    gc_grey(c_AngelFont::firstKp);
    gc_grey(c_AngelFont::secondKp);
    gc_grey(c_AngelFont::current);
}

void c_AngelFont::mark_children() {
    Object::mark_children();
    gc_grey(image.Storage());
    gc_grey(chars.Storage());
    gc_grey(kernPairs);
}

String c_AngelFont::debug_dump() {
    String t = dbg_dump_header("AngelFont");
    dbg_dump_field(t, "_list", _list);
    dbg_dump_field(t, "image", image);
    dbg_dump_field(t, "chars", chars);
    dbg_dump_field(t, "kernPairs", kernPairs);
    dbg_dump_field(t, "firstKp", firstKp);
    dbg_dump_field(t, "secondKp", secondKp);
    dbg_dump_field(t, "iniText", iniText);
    dbg_dump_field(t, "xOffset", xOffset);
    dbg_dump_field(t, "current", current);
    dbg_dump_field(t, "err", err);
    dbg_dump_field(t, "name", name);
    dbg_dump_field(t, "useKerning", useKerning);
    dbg_dump_field(t, "height", height);
    dbg_dump_field(t, "heightOffset", heightOffset);
    dbg_dump_field(t, "italicSkew", italicSkew);
    return t;
}

c_AngelFont::c_AngelFont(const String& url) {
    ZV_FUNC("AngelFont.new");
    ZV_SELF;
    ZV_LOCAL(url);
    ZV_AT gc_store_array(image, Array<c_Image*>(1));
    ZV_AT gc_store_array(chars, Array<c_Char*>(GlyphCount));
    ZV_AT gc_store(kernPairs, new c_IntMap<c_IntMap<c_KernPair*>*>());
    ZV_AT if (!url.IsEmpty()) {
        ZV_BLOCK;
        ZV_AT LoadFont(url);
        ZV_AT name = url;
        ZV_AT _list->Insert(url, this);
    }
}

// ---- Loading ----

namespace {

bool IsGlyphCode(int code) { return code >= 0 && code < c_AngelFont::GlyphCount; }

// Page images are looked for on every page up to the highest one used, but never beyond this
// one: an absurd page number must not make the loader try millions of files. Glyphs on a page
// without an image are kept for measuring and skipped when drawn.
constexpr int MaxPages = 256;

}  // namespace

int c_AngelFont::StoreGlyph(int id, c_Char* glyph) {
    ZV_FUNC("AngelFont.StoreGlyph");
    ZV_SELF;
    ZV_LOCAL(id);
    ZV_LOCAL(glyph);
    ZV_AT if (!IsGlyphCode(id)) return 0;  // beyond the table: a euro sign, Cyrillic, CJK
    ZV_AT chars.Set(id, glyph);
    ZV_AT if (glyph->height > height) height = glyph->height;
    ZV_AT if (glyph->yOffset < heightOffset) heightOffset = glyph->yOffset;
    return 0;
}

// A repeated pair keeps its first amount (Add never replaces).
int c_AngelFont::AddKerning(int first, int second, int amount) {
    ZV_FUNC("AngelFont.AddKerning");
    ZV_SELF;
    ZV_LOCAL(first);
    ZV_LOCAL(second);
    ZV_LOCAL(amount);
    ZV_AT if (!IsGlyphCode(first) || !IsGlyphCode(second)) return 0;  // names a skipped glyph
    ZV_AT c_IntMap<c_KernPair*>* seconds = kernPairs->Get(first);
    ZV_LOCAL(seconds);
    ZV_AT if (!seconds) {
        ZV_BLOCK;
        ZV_AT kernPairs->Add(first, new c_IntMap<c_KernPair*>());
        ZV_AT seconds = kernPairs->Get(first);
    }
    ZV_AT seconds->Add(second, new c_KernPair(first, second, amount));
    return 0;
}

int c_AngelFont::LoadPage(int page, const String& path) {
    ZV_FUNC("AngelFont.LoadPage");
    ZV_SELF;
    ZV_LOCAL(page);
    ZV_LOCAL(path);
    ZV_AT if (image.Length() < page + 1) gc_store_array(image, image.Resize(page + 1));
    ZV_AT image.Set(page, LoadImage(path, 1, c_Image::DefaultFlags));
    return 0;
}

int c_AngelFont::LoadFont(const String& url) {
    ZV_FUNC("AngelFont.LoadFont");
    ZV_SELF;
    ZV_LOCAL(url);
    ZV_AT err = String();
    ZV_AT gc_store(current, this);
    ZV_AT iniText = LoadString(url + String(".txt"));
    ZV_AT Array<String> lines = iniText.Split(String("\n"));
    ZV_LOCAL(lines);
    // Each data line's field count, joined once at the end: growing err line by line was quadratic.
    ZV_AT Array<String> fieldCounts(lines.Length());
    ZV_LOCAL(fieldCounts);
    ZV_AT for (int l = 0; l < lines.Length(); ++l) {
        ZV_BLOCK;
        ZV_LOCAL(l);
        ZV_AT String line = lines[l].Trim();
        ZV_LOCAL(line);
        ZV_AT if (line.IsEmpty() || line.StartsWith(String("id,")) || line.StartsWith(String("first,"))) continue;
        ZV_AT Array<String> fields = line.Split(String(","));
        ZV_LOCAL(fields);
        ZV_AT for (int f = 0; f < fields.Length(); ++f) {
            ZV_BLOCK;
            ZV_LOCAL(f);
            ZV_AT fields[f] = fields[f].Trim();
        }
        ZV_AT fieldCounts[l] = String::FromInt(fields.Length()) + String(",");
        ZV_AT if (fields.Length() == 3) {
            ZV_BLOCK;
            ZV_AT AddKerning(fields[0].ToInt(), fields[1].ToInt(), fields[2].ToInt());
        } else if (fields.Length() >= 9) {
            ZV_BLOCK;
            ZV_AT StoreGlyph(fields[0].ToInt(),
                             new c_Char(fields[1].ToInt(), fields[2].ToInt(), fields[3].ToInt(), fields[4].ToInt(),
                                        fields[5].ToInt(), fields[6].ToInt(), fields[7].ToInt(), fields[8].ToInt()));
        }
    }
    ZV_AT err = String().Join(fieldCounts);
    ZV_AT LoadPage(0, url + String(".png"));  // this form has a single page
    return 0;
}

int c_AngelFont::LoadFontXml(const String& url) {
    ZV_FUNC("AngelFont.LoadFontXml");
    ZV_SELF;
    ZV_LOCAL(url);
    ZV_AT gc_store(current, this);
    ZV_AT iniText = LoadString(url + String(".fnt"));
    // The markup parser does not accept the declaration line.
    ZV_AT Array<String> lines = iniText.Split(String("\n"));
    ZV_LOCAL(lines);
    ZV_AT if (lines[0].StartsWith(String("<?xml"))) iniText = String("\n").Join(lines.Slice(1));
    ZV_AT int pageCount = 0;
    ZV_LOCAL(pageCount);
    ZV_AT c_Config* config = LoadConfig(iniText);
    ZV_LOCAL(config);
    // A description without the section, or one that failed to parse, finds no nodes (null).
    ZV_AT c_List<c_ConfigNode*>* nodes = config->FindNodesByPath(String("font/chars/char"));
    ZV_LOCAL(nodes);
    ZV_AT if (nodes) {
        ZV_BLOCK;
        ZV_AT c_Enumerator<c_ConfigNode*>* each = nodes->ObjectEnumerator();
        ZV_LOCAL(each);
        ZV_AT while (each->HasNext()) {
            ZV_BLOCK;
            ZV_AT c_ConfigNode* node = each->NextObject();
            ZV_LOCAL(node);
            ZV_AT int id = node->GetAttribute(String("id"), String()).ToInt();
            ZV_LOCAL(id);
            ZV_AT int page = node->GetAttribute(String("page"), String()).ToInt();
            ZV_LOCAL(page);
            ZV_AT if (page > pageCount && page < MaxPages) pageCount = page;
            ZV_AT StoreGlyph(id, new c_Char(node->GetAttribute(String("x"), String()).ToInt(),
                                            node->GetAttribute(String("y"), String()).ToInt(),
                                            node->GetAttribute(String("width"), String()).ToInt(),
                                            node->GetAttribute(String("height"), String()).ToInt(),
                                            node->GetAttribute(String("xoffset"), String()).ToInt(),
                                            node->GetAttribute(String("yoffset"), String()).ToInt(),
                                            node->GetAttribute(String("xadvance"), String()).ToInt(), page));
        }
    }
    ZV_AT nodes = config->FindNodesByPath(String("font/kernings/kerning"));
    ZV_AT if (nodes) {
        ZV_BLOCK;
        ZV_AT c_Enumerator<c_ConfigNode*>* each = nodes->ObjectEnumerator();
        ZV_LOCAL(each);
        ZV_AT while (each->HasNext()) {
            ZV_BLOCK;
            ZV_AT c_ConfigNode* node = each->NextObject();
            ZV_LOCAL(node);
            ZV_AT AddKerning(node->GetAttribute(String("first"), String()).ToInt(),
                             node->GetAttribute(String("second"), String()).ToInt(),
                             node->GetAttribute(String("amount"), String()).ToInt());
        }
    }
    ZV_AT if (pageCount == 0) {
        ZV_BLOCK;
        ZV_AT LoadPage(0, url + String(".png"));
        ZV_AT if (!image[0]) LoadPage(0, url + String("_0.png"));
    } else {
        ZV_BLOCK;
        ZV_AT for (int page = 0; page <= pageCount; ++page) {
            ZV_BLOCK;
            ZV_LOCAL(page);
            ZV_AT LoadPage(page, url + String("_") + String::FromInt(page) + String(".png"));
        }
    }
    return 0;
}

// ---- Measuring ----

c_Char* c_AngelFont::Glyph(int code) {
    ZV_FUNC("AngelFont.Glyph");
    ZV_SELF;
    ZV_LOCAL(code);
    ZV_AT return IsGlyphCode(code) ? chars[code] : nullptr;
}

// The pixels kerning adds to the pen before thisChar when it follows prevChar.
int c_AngelFont::Kerning(int prevChar, int thisChar) {
    ZV_FUNC("AngelFont.Kerning");
    ZV_SELF;
    ZV_LOCAL(prevChar);
    ZV_LOCAL(thisChar);
    ZV_AT if (!useKerning) return 0;
    ZV_AT gc_store(firstKp, kernPairs->Get(prevChar));
    ZV_AT if (!firstKp) return 0;
    ZV_AT gc_store(secondKp, firstKp->Get(thisChar));
    ZV_AT if (!secondKp) return 0;
    ZV_AT return secondKp->amount;
}

int c_AngelFont::TextWidth(const String& txt) {
    ZV_FUNC("AngelFont.TextWidth");
    ZV_SELF;
    ZV_LOCAL(txt);
    ZV_AT int prevChar = 0;
    ZV_LOCAL(prevChar);
    ZV_AT int width = 0;
    ZV_LOCAL(width);
    ZV_AT for (int i = 0; i < txt.Length(); ++i) {
        ZV_BLOCK;
        ZV_LOCAL(i);
        ZV_AT int c = txt.CharAt(i);
        ZV_LOCAL(c);
        ZV_AT c_Char* ac = Glyph(c);
        ZV_LOCAL(ac);
        ZV_AT if (ac) {
            ZV_BLOCK;
            ZV_AT width += Kerning(prevChar, c);
            ZV_AT width += ac->xAdvance;
            ZV_AT prevChar = c;
        }
    }
    ZV_AT return width;
}

int c_AngelFont::TextHeight(const String& txt) {
    ZV_FUNC("AngelFont.TextHeight");
    ZV_SELF;
    ZV_LOCAL(txt);
    // 0 when no character has a glyph; otherwise the largest bottom, even a negative one.
    ZV_AT int result = 0;
    ZV_LOCAL(result);
    ZV_AT bool measured = false;
    ZV_LOCAL(measured);
    ZV_AT for (int i = 0; i < txt.Length(); ++i) {
        ZV_BLOCK;
        ZV_LOCAL(i);
        ZV_AT c_Char* ac = Glyph(txt.CharAt(i));
        ZV_LOCAL(ac);
        ZV_AT if (ac && (!measured || ac->height + ac->yOffset > result)) {
            ZV_BLOCK;
            ZV_AT result = ac->height + ac->yOffset;
            ZV_AT measured = true;
        }
    }
    ZV_AT return result;
}

String c_AngelFont::StripHTML(const String& txt) {
    ZV_FUNC("AngelFont.StripHTML");
    ZV_LOCAL(txt);
    ZV_AT String plain = txt.Replace(String("</"), String("<"));
    ZV_LOCAL(plain);
    ZV_AT plain = plain.Replace(String("<b>"), String());
    ZV_AT return plain.Replace(String("<i>"), String());
}

// ---- Drawing ----

// A glyph whose page has no image is skipped; the caller still advances the pen.
int c_AngelFont::DrawGlyph(c_Char* glyph, int linex, int liney, bool bold) {
    ZV_FUNC("AngelFont.DrawGlyph");
    ZV_SELF;
    ZV_LOCAL(glyph);
    ZV_LOCAL(linex);
    ZV_LOCAL(liney);
    ZV_LOCAL(bold);
    ZV_AT if (glyph->page < 0 || glyph->page >= image.Length() || !image[glyph->page]) return 0;
    ZV_AT c_Image* page = image[glyph->page];
    ZV_LOCAL(page);
    ZV_AT glyph->Draw(page, linex, liney);
    ZV_AT if (bold) glyph->Draw(page, linex + 1, liney);  // bold: the glyph again, a pixel to the right
    return 0;
}

namespace {

// Whether `tag` follows the character at i.
bool TagFollows(const String& txt, int i, const char* tag) {
    String expected(tag);
    return txt.Slice(i + 1, i + 1 + expected.Length()) == expected;
}

}  // namespace

int c_AngelFont::DrawHTML(const String& txt, int x, int y) {
    ZV_FUNC("AngelFont.DrawHTML");
    ZV_SELF;
    ZV_LOCAL(txt);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT int prevChar = 0;
    ZV_LOCAL(prevChar);
    ZV_AT xOffset = 0;
    ZV_AT bool italic = false;
    ZV_LOCAL(italic);
    ZV_AT bool bold = false;
    ZV_LOCAL(bold);
    // Italic shears about this row, measured with the tags, so the baseline region stays put.
    ZV_AT float th = float(TextHeight(txt));
    ZV_LOCAL(th);
    ZV_AT int i = 0;
    ZV_LOCAL(i);
    ZV_AT while (i < txt.Length()) {
        ZV_BLOCK;
        // Only <i>, <b>, </i> and </b> are tags; any other '<' is dropped and the rest drawn.
        ZV_AT while (i < txt.Length() && txt.CharAt(i) == '<') {
            ZV_BLOCK;
            ZV_AT if (TagFollows(txt, i, "i>")) {
                ZV_BLOCK;
                ZV_AT italic = true;
                ZV_AT i += 3;
            } else if (TagFollows(txt, i, "b>")) {
                ZV_BLOCK;
                ZV_AT bold = true;
                ZV_AT i += 3;
            } else if (TagFollows(txt, i, "/i>")) {
                ZV_BLOCK;
                ZV_AT italic = false;
                ZV_AT i += 4;
            } else if (TagFollows(txt, i, "/b>")) {
                ZV_BLOCK;
                ZV_AT bold = false;
                ZV_AT i += 4;
            } else {
                ZV_BLOCK;
                ZV_AT i += 1;
            }
        }
        ZV_AT if (i >= txt.Length()) break;
        ZV_AT int c = txt.CharAt(i);
        ZV_LOCAL(c);
        ZV_AT c_Char* ac = Glyph(c);
        ZV_LOCAL(ac);
        ZV_AT if (ac) {
            ZV_BLOCK;
            ZV_AT xOffset += Kerning(prevChar, c);
            ZV_AT if (!italic) {
                ZV_BLOCK;
                ZV_AT DrawGlyph(ac, x + xOffset, y, bold);
            } else {
                ZV_BLOCK;
                ZV_AT PushMatrix();
                ZV_AT Transform(1, 0, -italicSkew, 1, float(x + xOffset) + italicSkew * th, float(y));
                ZV_AT DrawGlyph(ac, 0, 0, bold);
                ZV_AT PopMatrix();
            }
            ZV_AT xOffset += ac->xAdvance;
            ZV_AT prevChar = c;
        }
        ZV_AT i += 1;
    }
    return 0;
}

int c_AngelFont::DrawHTML(const String& txt, int x, int y, int align) {
    ZV_FUNC("AngelFont.DrawHTML");
    ZV_SELF;
    ZV_LOCAL(txt);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(align);
    ZV_AT xOffset = 0;
    ZV_AT if (align == 0) {
        ZV_BLOCK;
        ZV_AT DrawHTML(txt, x, y);
    } else if (align == 1) {
        ZV_BLOCK;
        ZV_AT DrawHTML(txt, x - TextWidth(StripHTML(txt)) / 2, y);
    } else if (align == 2) {
        ZV_BLOCK;
        ZV_AT DrawHTML(txt, x - TextWidth(StripHTML(txt)), y);
    }
    return 0;
}

int c_AngelFont::DrawHTML(const String& txt, int x, int y, float xalign, float yalign) {
    ZV_FUNC("AngelFont.DrawHTML");
    ZV_SELF;
    ZV_LOCAL(txt);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(xalign);
    ZV_LOCAL(yalign);
    ZV_AT xOffset = 0;
    ZV_AT String plain = StripHTML(txt);
    ZV_LOCAL(plain);
    ZV_AT DrawHTML(txt, int(float(x) - xalign * float(TextWidth(plain))),
                   int(float(y) - yalign * float(TextHeight(plain))));
    return 0;
}

int c_AngelFont::DrawHTML(const String& txt, int x, int y, float xalign, float yalign, float rotation,
                          float scaleX, float scaleY) {
    ZV_FUNC("AngelFont.DrawHTML");
    ZV_SELF;
    ZV_LOCAL(txt);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(xalign);
    ZV_LOCAL(yalign);
    ZV_LOCAL(rotation);
    ZV_LOCAL(scaleX);
    ZV_LOCAL(scaleY);
    ZV_AT xOffset = 0;
    ZV_AT String plain = StripHTML(txt);
    ZV_LOCAL(plain);
    ZV_AT PushMatrix();
    ZV_AT Translate(float(x), float(y));
    ZV_AT Scale(scaleX, scaleY);
    ZV_AT Rotate(rotation);
    ZV_AT Translate(-float(TextWidth(plain)) * xalign, -float(TextHeight(plain)) * yalign);
    ZV_AT DrawHTML(txt, 0, 0);
    ZV_AT PopMatrix();
    return 0;
}
