// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The game's own lettering: a 5 by 7 pixel font, drawn either as square
// pixels (small print) or as round strokes joining the pixels (big titles and
// score digits), so that both styles share one set of letter shapes.
#pragma once

#include "image.h"
#include "shapes.h"

#include <string_view>
#include <vector>

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Whether the pixel (column, row) of a character is set; unknown characters
// and lower-case letters fall back to blank and capitals.
bool GlyphPixel(char c, int column, int row);

// Width of a line of pixel text: characters 6 font pixels apart.
int TextWidth(std::string_view text, int scale);

// Pixel text with its top-left at (x, y), shaded from `top` to `bottom`, with
// a one-pixel shadow below and to the right when `shadow` is set.
void DrawText(Image& image, int x, int y, std::string_view text, int scale, Color top, Color bottom,
              bool shadow = true, Rgb shadowColour = {8, 8, 24});

// Text centred on the column `centreX`.
void DrawTextCentred(Image& image, int centreX, int y, std::string_view text, int scale, Color top,
                     Color bottom, bool shadow = true);

struct Stroke {
    Vec2 a, b;
};

// The strokes of a line of text: each font pixel becomes a node `cell` pixels
// from its neighbours, joined to the set pixels next to it (diagonally only
// where no square path exists).  Characters are `advance` cells apart.
std::vector<Stroke> TextStrokes(std::string_view text, Vec2 origin, float cell, float advance);

float StrokeTextWidth(std::string_view text, float cell, float advance);

// Distance to the strokes, drawn with round ends of the given radius.
float SdStrokes(Vec2 p, const std::vector<Stroke>& strokes, float radius);
