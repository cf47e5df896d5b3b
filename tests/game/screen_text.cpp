#include "tests/game/screen_text.h"

#include <stb/stb_image.h>

#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

constexpr float kScale = 0.35f;  // the game's text scale
constexpr int kLineHeight = 56;  // font pixels, from the pen line down
constexpr float kSea[3] = {32, 96, 128};

float Luminance(float r, float g, float b) { return 0.299f * r + 0.587f * g + 0.114f * b; }

}  // namespace

ScreenText::ScreenText() {
    std::string data = std::string(ZV_SOURCE_DIR) + "/data/";
    std::ifstream description(data + "font.fnt");
    std::string line;
    while (std::getline(description, line)) {
        size_t start = line.find('<');
        if (start == std::string::npos) continue;
        const char* text = line.c_str() + start;
        Glyph g;
        int id = 0, first = 0, second = 0, amount = 0;
        if (std::sscanf(text, "<char id=\"%d\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" xoffset=\"%d\" "
                              "yoffset=\"%d\" xadvance=\"%d\"",
                        &id, &g.x, &g.y, &g.width, &g.height, &g.xoffset, &g.yoffset, &g.xadvance) == 8) {
            glyphs_[id] = g;
        } else if (std::sscanf(text, "<kerning first=\"%d\" second=\"%d\" amount=\"%d\"", &first, &second,
                               &amount) == 3) {
            kernings_.emplace(std::make_pair(first, second), amount);
        }
    }
    int depth = 0;
    unsigned char* pixels = stbi_load((data + "font.png").c_str(), &pageWidth_, &pageHeight_, &depth, 4);
    if (pixels) page_.assign(pixels, pixels + pageWidth_ * pageHeight_ * 4);
    stbi_image_free(pixels);
}

double ScreenText::Mismatch(const Screenshot& shot, float penX, int y, int advance, const Glyph* glyph) const {
    double sum = 0;
    int count = 0;
    int bottom = y + int(kLineHeight * kScale);
    for (int sy = y; sy < bottom && sy < shot.height; ++sy) {
        for (int sx = int(std::ceil(penX)); sx < penX + advance * kScale && sx < shot.width; ++sx) {
            float r = kSea[0], g = kSea[1], b = kSea[2];
            if (glyph) {
                // The font pixel under this screen pixel's centre.
                float u = (sx + 0.5f - penX) / kScale - glyph->xoffset;
                float v = (sy + 0.5f - y) / kScale - glyph->yoffset;
                if (u >= 0 && v >= 0 && u < glyph->width && v < glyph->height) {
                    const unsigned char* p = &page_[size_t(((glyph->y + int(v)) * pageWidth_ + glyph->x + int(u)) * 4)];
                    float a = p[3] / 255.0f;
                    r = p[0] * a + r * (1 - a);
                    g = p[1] * a + g * (1 - a);
                    b = p[2] * a + b * (1 - a);
                }
            }
            const unsigned char* s = &shot.rgb[size_t((sy * shot.width + sx) * 3)];
            double d = Luminance(s[0], s[1], s[2]) - Luminance(r, g, b);
            sum += d * d;
            ++count;
        }
    }
    return count ? sum / count : 0;
}

float ScreenText::Advance(const std::string& text) const {
    int width = 0, previous = 0;
    for (unsigned char c : text) {
        auto glyph = glyphs_.find(c);
        if (glyph == glyphs_.end()) continue;
        auto kerning = kernings_.find({previous, c});
        if (kerning != kernings_.end()) width += kerning->second;
        width += glyph->second.xadvance;
        previous = c;
    }
    return width * kScale;
}

bool ScreenText::Shows(const Screenshot& shot, int x, int y, const std::string& text) const {
    if (page_.empty()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        auto glyph = glyphs_.find((unsigned char)text[i]);
        if (glyph == glyphs_.end() || glyph->second.width == 0) continue;
        float pen = x + Advance(text.substr(0, i + 1)) - glyph->second.xadvance * kScale;
        int advance = glyph->second.xadvance;
        if (Mismatch(shot, pen, y, advance, &glyph->second) >= 0.5 * Mismatch(shot, pen, y, advance, nullptr)) {
            return false;
        }
    }
    return true;
}

std::string ScreenText::NumberAfter(const Screenshot& shot, int x, int y, const std::string& label) const {
    std::string number;
    if (page_.empty()) return number;
    int advance = glyphs_.at('0').xadvance;  // the font's digits share one advance and no kerning
    float pen = x + Advance(label);
    for (; number.size() < 10; pen += advance * kScale) {
        char best = 0;
        double bestMismatch = Mismatch(shot, pen, y, advance, nullptr);
        for (char digit = '0'; digit <= '9'; ++digit) {
            double mismatch = Mismatch(shot, pen, y, advance, &glyphs_.at(digit));
            if (mismatch < bestMismatch) {
                best = digit;
                bestMismatch = mismatch;
            }
        }
        if (!best) break;
        number += best;
    }
    return number;
}
