// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The pictures the generator draws: plain 24-bit pixel grids, and a floating
// point colour for the arithmetic of shading and blending.
#pragma once

#include <cstdint>
#include <vector>

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The transparent colours the game keys its images on.
constexpr Rgb kMagenta{255, 0, 255};
constexpr Rgb kBlack{0, 0, 0};

struct Color {
    float r = 0, g = 0, b = 0;
};

inline Color operator+(Color a, Color b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Color operator-(Color a, Color b) {
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Color operator*(Color a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Color operator*(Color a, Color b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Color Mix(Color a, Color b, float t) {
    return a + (b - a) * t;
}

// 0..255 per channel, so palettes read like the colours they name.
constexpr Color Hex(int r, int g, int b) {
    return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
}

Rgb ToRgb(Color c);
Color ToColor(Rgb c);

struct Image {
    int w = 0, h = 0;
    std::vector<Rgb> px;

    Image() = default;
    Image(int width, int height, Rgb fill);

    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Rgb& At(int x, int y) { return px[static_cast<std::size_t>(y) * w + x]; }
    const Rgb& At(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
    void Set(int x, int y, Rgb c) {
        if (Inside(x, y)) At(x, y) = c;
    }
    // Lays `c` over the pixel with opacity `a` (0..1); off-image points are ignored.
    void Blend(int x, int y, Color c, float a);
    void FillRect(int x, int y, int w, int h, Rgb c);
    // Copies `src` with its top-left at (x, y), leaving out its `key` pixels.
    void Paste(const Image& src, int x, int y, Rgb key);
};

// A sprite as drawn, before it meets a key colour or a background: a colour
// and a coverage (0..1) per pixel.
struct Coverage {
    int w = 0, h = 0;
    std::vector<Color> colour;
    std::vector<float> cover;

    Coverage(int width, int height)
        : w(width), h(height), colour(static_cast<std::size_t>(width) * height),
          cover(static_cast<std::size_t>(width) * height, 0.0f) {}
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * w + x; }
};

// A keyed sprite: every pixel at least half covered is solid, every other one
// is exactly the key.  No edge pixel is blended towards the key colour, so no
// fringe of near-key colour can appear round the sprite.
Image Keyed(const Coverage& art, Rgb key);

// Blends the drawing onto an opaque picture (title and help screens), where
// soft edges are welcome since nothing is keyed there.
void Composite(Image& target, const Coverage& art, int x, int y, float opacity = 1.0f);

// Moves any sprite colour that comes close to the key away from it, so a
// sprite pixel never turns transparent, or looks as if it should, by accident.
void KeepClearOfKey(Image& image, Rgb key);
