// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The artwork's lettering: a small stroke font, its glyphs and text widths.
#include "font.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

struct Glyph {
    char c;
    std::array<const char*, kGlyphHeight> rows;
};

// clang-format off
constexpr std::array kGlyphs = {
    Glyph{'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    Glyph{'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    Glyph{'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    Glyph{'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    Glyph{'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    Glyph{'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    Glyph{'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    Glyph{'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    Glyph{'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    Glyph{'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    Glyph{'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    Glyph{'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    Glyph{'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    Glyph{'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    Glyph{'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    Glyph{'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    Glyph{'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    Glyph{'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    Glyph{'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    Glyph{'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    Glyph{'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    Glyph{'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    Glyph{'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    Glyph{'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    Glyph{'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    Glyph{'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    Glyph{'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    Glyph{'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    Glyph{'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    Glyph{'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    Glyph{'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    Glyph{'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    Glyph{'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    Glyph{'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    Glyph{'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    Glyph{'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    Glyph{'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    Glyph{',', {".....", ".....", ".....", ".....", ".##..", "..#..", ".#..."}},
    Glyph{':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    Glyph{'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    Glyph{'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    Glyph{'?', {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},
    Glyph{'/', {".....", "....#", "...#.", "..#..", ".#...", "#....", "....."}},
    Glyph{'(', {"...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#."}},
    Glyph{')', {".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#..."}},
    Glyph{'+', {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."}},
    Glyph{'=', {".....", ".....", "#####", ".....", "#####", ".....", "....."}},
    Glyph{'<', {"...#.", "..#..", ".#...", "#....", ".#...", "..#..", "...#."}},
    Glyph{'>', {".#...", "..#..", "...#.", "....#", "...#.", "..#..", ".#..."}},
    Glyph{'\'', {"..#..", "..#..", ".#...", ".....", ".....", ".....", "....."}},
};
// clang-format on

const Glyph* Find(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph& g : kGlyphs)
        if (g.c == c) return &g;
    return nullptr;
}

} // namespace

bool GlyphPixel(char c, int column, int row) {
    if (column < 0 || row < 0 || column >= kGlyphWidth || row >= kGlyphHeight) return false;
    const Glyph* g = Find(c);
    return g != nullptr && g->rows[static_cast<std::size_t>(row)][column] == '#';
}

int TextWidth(std::string_view text, int scale) {
    if (text.empty()) return 0;
    return static_cast<int>(text.size()) * (kGlyphWidth + 1) * scale - scale;
}

void DrawText(Image& image, int x, int y, std::string_view text, int scale, Color top, Color bottom,
              bool shadow, Rgb shadowColour) {
    const int height = kGlyphHeight * scale;
    for (int pass = shadow ? 0 : 1; pass < 2; ++pass) {
        const int offset = pass == 0 ? std::max(1, scale / 2) : 0;
        for (std::size_t n = 0; n < text.size(); ++n) {
            const int left = x + static_cast<int>(n) * (kGlyphWidth + 1) * scale + offset;
            for (int row = 0; row < kGlyphHeight; ++row)
                for (int column = 0; column < kGlyphWidth; ++column) {
                    if (!GlyphPixel(text[n], column, row)) continue;
                    for (int j = 0; j < scale; ++j) {
                        const int py = y + row * scale + j + offset;
                        const Color c = Mix(top, bottom,
                                            static_cast<float>(row * scale + j) /
                                                static_cast<float>(std::max(1, height - 1)));
                        for (int i = 0; i < scale; ++i)
                            image.Set(left + column * scale + i, py,
                                      pass == 0 ? shadowColour : ToRgb(c));
                    }
                }
        }
    }
}

void DrawTextCentred(Image& image, int centreX, int y, std::string_view text, int scale, Color top,
                     Color bottom, bool shadow) {
    DrawText(image, centreX - TextWidth(text, scale) / 2, y, text, scale, top, bottom, shadow);
}

std::vector<Stroke> TextStrokes(std::string_view text, Vec2 origin, float cell, float advance) {
    std::vector<Stroke> strokes;
    for (std::size_t n = 0; n < text.size(); ++n) {
        const char c = text[n];
        const Vec2 corner = origin + Vec2{static_cast<float>(n) * advance * cell, 0};
        auto node = [&](int column, int row) {
            return corner + Vec2{(column + 0.5f) * cell, (row + 0.5f) * cell};
        };
        for (int row = 0; row < kGlyphHeight; ++row)
            for (int column = 0; column < kGlyphWidth; ++column) {
                if (!GlyphPixel(c, column, row)) continue;
                const bool right = GlyphPixel(c, column + 1, row);
                const bool down = GlyphPixel(c, column, row + 1);
                const bool left = GlyphPixel(c, column - 1, row);
                const bool downRight = GlyphPixel(c, column + 1, row + 1);
                const bool downLeft = GlyphPixel(c, column - 1, row + 1);
                const bool up = GlyphPixel(c, column, row - 1);
                const bool upLeft = GlyphPixel(c, column - 1, row - 1);
                const bool upRight = GlyphPixel(c, column + 1, row - 1);
                const Vec2 here = node(column, row);
                if (right) strokes.push_back({here, node(column + 1, row)});
                if (down) strokes.push_back({here, node(column, row + 1)});
                if (downRight && !right && !down)
                    strokes.push_back({here, node(column + 1, row + 1)});
                if (downLeft && !left && !down)
                    strokes.push_back({here, node(column - 1, row + 1)});
                // A pixel with no neighbour at all is a dot.
                if (!right && !down && !left && !up && !downRight && !downLeft && !upLeft &&
                    !upRight)
                    strokes.push_back({here, here});
            }
    }
    return strokes;
}

float StrokeTextWidth(std::string_view text, float cell, float advance) {
    if (text.empty()) return 0;
    return (static_cast<float>(text.size() - 1) * advance + kGlyphWidth) * cell;
}

float SdStrokes(Vec2 p, const std::vector<Stroke>& strokes, float radius) {
    float d = std::numeric_limits<float>::max();
    for (const Stroke& s : strokes) {
        // No point of a stroke lies nearer than its sideways distance, so a
        // stroke that is farther off sideways than the nearest so far is skipped.
        const float lo = std::min(s.a.x, s.b.x), hi = std::max(s.a.x, s.b.x);
        const float sideways = p.x < lo ? lo - p.x : (p.x > hi ? p.x - hi : 0.0f);
        if (sideways - radius >= d) continue;
        d = std::min(d, SdCapsule(p, s.a, s.b, radius));
    }
    return d;
}
