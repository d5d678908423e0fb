// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The artwork's image: pixels, blending, filling, pasting and colour keys.
#include "image.h"

#include "support/rounding.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::uint8_t Channel(float v) {
    return static_cast<std::uint8_t>(std::clamp(RoundToInt(v), 0, 255));
}

// How far a colour lies from the key, channel by channel.
int KeyDistance(Rgb c, Rgb key) {
    return std::max({std::abs(c.r - key.r), std::abs(c.g - key.g), std::abs(c.b - key.b)});
}

// Any colour nearer than this to its key counts as a fringe; the artwork tests
// check the same margin.
constexpr int kKeyMargin = 40;

} // namespace

Rgb ToRgb(Color c) {
    return {Channel(c.r), Channel(c.g), Channel(c.b)};
}
Color ToColor(Rgb c) {
    return Hex(c.r, c.g, c.b);
}

Image::Image(int width, int height, Rgb fill)
    : w(width), h(height), px(static_cast<std::size_t>(width) * height, fill) {}

void Image::Blend(int x, int y, Color c, float a) {
    if (!Inside(x, y)) return;
    a = std::clamp(a, 0.0f, 1.0f);
    At(x, y) = ToRgb(Mix(ToColor(At(x, y)), c, a));
}

void Image::FillRect(int x, int y, int width, int height, Rgb c) {
    for (int j = y; j < y + height; ++j)
        for (int i = x; i < x + width; ++i)
            Set(i, j, c);
}

void Image::Paste(const Image& src, int x, int y, Rgb key) {
    for (int j = 0; j < src.h; ++j)
        for (int i = 0; i < src.w; ++i)
            if (!(src.At(i, j) == key)) Set(x + i, y + j, src.At(i, j));
}

Image Keyed(const Coverage& art, Rgb key) {
    Image out(art.w, art.h, key);
    for (int y = 0; y < art.h; ++y)
        for (int x = 0; x < art.w; ++x) {
            const std::size_t i = art.Index(x, y);
            if (art.cover[i] >= 0.5f) out.At(x, y) = ToRgb(art.colour[i]);
        }
    KeepClearOfKey(out, key);
    return out;
}

void Composite(Image& target, const Coverage& art, int x, int y, float opacity) {
    for (int j = 0; j < art.h; ++j)
        for (int i = 0; i < art.w; ++i) {
            const std::size_t k = art.Index(i, j);
            if (art.cover[k] > 0.0f)
                target.Blend(x + i, y + j, art.colour[k], art.cover[k] * opacity);
        }
}

void KeepClearOfKey(Image& image, Rgb key) {
    for (Rgb& c : image.px) {
        if (c == key || KeyDistance(c, key) > kKeyMargin) continue;
        if (key == kBlack) {
            // A dark sprite pixel on a black key: lift it to a dim grey.
            const int lift = kKeyMargin + 1;
            c = {static_cast<std::uint8_t>(std::max<int>(c.r, lift)),
                 static_cast<std::uint8_t>(std::max<int>(c.g, lift)),
                 static_cast<std::uint8_t>(std::max<int>(c.b, lift))};
        } else {
            // Near the key colour: push the farthest-off channel further off.
            // For magenta that turns a pink pixel lighter and a purple one bluer.
            Rgb moved = c;
            moved.g = static_cast<std::uint8_t>(key.g < 128 ? std::min(255, key.g + kKeyMargin + 1)
                                                            : key.g - kKeyMargin - 1);
            c = moved;
        }
    }
}
