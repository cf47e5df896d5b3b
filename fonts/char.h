// One glyph of a bitmap font: where it sits on its page image and how it moves the pen.
#pragma once

#include "framework/graphics.h"

class c_Char : public Object {
public:
    static constexpr const char* debug_name = "Char";

    int x = 0;  // top-left on the page image
    int y = 0;
    int width = 0;
    int height = 0;
    int xOffset = 0;  // from the pen position to the glyph's top-left
    int yOffset = 0;
    int xAdvance = 0;
    int page = 0;

    String debug_dump() override;

    c_Char(int x, int y, int width, int height, int xOffset, int yOffset, int xAdvance, int page);

    // Draws the glyph with the pen at (linex, liney).
    int Draw(c_Image* fontImage, int linex, int liney);
};
