// Font descriptions, as the game reads them: any bytes, read as a comma-separated description and
// as an XML one, load without a fault, keep every glyph in the 256-entry table, and measure and
// draw-strip any text. Built and run by tools/fuzz font.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fonts/angelfont.h"
#include "framework/app.h"
#include "framework/graphics.h"
#include "runtime/startup.h"

namespace {

// Answers every description with the fuzzer's bytes; page images are all missing.
class FuzzHost : public ZVGame {
public:
    String description;
    String LoadString(const String&) override { return description; }
};

c_AngelFont* font;

}  // namespace

void zv_init_globals() {
    app_init_globals();
    graphics_init_globals();
    angelfont_init_globals();
}

void gc_queue_roots() {
    app_queue_roots();
    graphics_queue_roots();
    angelfont_queue_roots();
    gc_grey(font);
}

int Main() { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzHost* host = [] {
        auto* h = new FuzzHost();
        gc_init();
        zv_init_globals();
        SetGraphicsDevice(new gxtkGraphics());
        return h;
    }();
    host->description = String::FromBytes(data, size);
    gc_store(font, new c_AngelFont(String()));
    font->LoadFont(String("fuzz"));
    font->LoadFontXml(String("fuzz"));
    if (font->chars.Length() != c_AngelFont::GlyphCount || font->image.Length() > 256) std::abort();
    font->TextWidth(c_AngelFont::StripHTML(host->description));
    font->TextHeight(host->description);
    gc_step();
    return 0;
}
