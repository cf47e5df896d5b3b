#include "fonts/char.h"

c_Char::c_Char(int x, int y, int width, int height, int xOffset, int yOffset, int xAdvance, int page) {
    ZV_FUNC("Char.new");
    ZV_SELF;
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(width);
    ZV_LOCAL(height);
    ZV_LOCAL(xOffset);
    ZV_LOCAL(yOffset);
    ZV_LOCAL(xAdvance);
    ZV_LOCAL(page);
    ZV_AT this->x = x;
    ZV_AT this->y = y;
    ZV_AT this->width = width;
    ZV_AT this->height = height;
    ZV_AT this->xOffset = xOffset;
    ZV_AT this->yOffset = yOffset;
    ZV_AT this->xAdvance = xAdvance;
    ZV_AT this->page = page;
}

String c_Char::debug_dump() {
    String t = dbg_dump_header("Char");
    dbg_dump_field(t, "x", x);
    dbg_dump_field(t, "y", y);
    dbg_dump_field(t, "width", width);
    dbg_dump_field(t, "height", height);
    dbg_dump_field(t, "xOffset", xOffset);
    dbg_dump_field(t, "yOffset", yOffset);
    dbg_dump_field(t, "xAdvance", xAdvance);
    dbg_dump_field(t, "page", page);
    return t;
}

int c_Char::Draw(c_Image* fontImage, int linex, int liney) {
    ZV_FUNC("Char.Draw");
    ZV_SELF;
    ZV_LOCAL(fontImage);
    ZV_LOCAL(linex);
    ZV_LOCAL(liney);
    ZV_AT DrawImageRect(fontImage, float(linex + xOffset), float(liney + yOffset), x, y, width, height, 0);
    return 0;
}
