// Reads the game's text back from a screenshot: the glyphs of data/font.fnt and data/font.png,
// read here independently of the game's loader, are drawn in the mind at the game's text scale
// over the sea colour and compared with the screen, cell by cell. A cell is one character's
// advance wide and a line high; "blank" (sea only) competes with every candidate character.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/game/running_game.h"

class ScreenText {
public:
    ScreenText();  // reads the font from the repository's data folder

    // Whether `text` is drawn with the pen starting at (x, y): every visible character must
    // match its cell better than the bare sea does.
    bool Shows(const Screenshot& shot, int x, int y, const std::string& text) const;
    // The decimal number drawn right after `label`, or "" when no digit follows it.
    std::string NumberAfter(const Screenshot& shot, int x, int y, const std::string& label) const;

private:
    struct Glyph {
        int x = 0, y = 0, width = 0, height = 0, xoffset = 0, yoffset = 0, xadvance = 0;
    };
    // Mean squared difference of luminance over the cell whose pen is at (penX, y) and which
    // `advance` font pixels wide, between the screen and `glyph` drawn there (null: sea only).
    double Mismatch(const Screenshot& shot, float penX, int y, int advance, const Glyph* glyph) const;
    float Advance(const std::string& text) const;  // in screen pixels

    std::map<int, Glyph> glyphs_;
    std::map<std::pair<int, int>, int> kernings_;
    int pageWidth_ = 0, pageHeight_ = 0;
    std::vector<unsigned char> page_;  // RGBA
};
