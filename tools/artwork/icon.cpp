// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

#include "icon.h"

#include "render.h"
#include "ships.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kSamples = 4; // per pixel and axis, for the badge's round edge

// The sky of the badge, darker at the rim and lit towards the upper left.
Color Sky(Vec2 p, float radius) {
    const float glow =
        std::clamp(1.0f - Length(p - Vec2{-0.35f, -0.4f} * radius) / (1.6f * radius), 0.0f, 1.0f);
    return Mix(Hex(10, 12, 34), Hex(64, 42, 120), glow * glow);
}

// A few stars at fixed places, sized with the icon but never below a pixel.
struct IconStar {
    Vec2 at; // in radii from the centre
    float size;
    Color colour;
};
constexpr std::array<IconStar, 6> kStars{{
    {{-0.62f, -0.30f}, 0.030f, Hex(255, 255, 255)},
    {{0.55f, -0.55f}, 0.025f, Hex(190, 210, 255)},
    {{0.68f, 0.12f}, 0.020f, Hex(255, 236, 190)},
    {{-0.50f, 0.45f}, 0.018f, Hex(210, 210, 240)},
    {{-0.15f, -0.78f}, 0.016f, Hex(220, 230, 255)},
    {{0.30f, 0.70f}, 0.016f, Hex(200, 200, 230)},
}};

} // namespace

Coverage GameIcon(int size) {
    Coverage icon(size, size);
    const float half = static_cast<float>(size) / 2;
    const float radius = half - std::max(0.5f, size / 32.0f);
    const float rim = std::max(1.0f, size / 24.0f);

    // The badge: sky inside a light rim, its edge sampled for smoothness.
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float inside = 0;
            Color sum{};
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Vec2 p{x + (sx + 0.5f) / kSamples - half,
                                 y + (sy + 0.5f) / kSamples - half};
                    const float d = Length(p);
                    if (d > radius) continue;
                    inside += 1;
                    Color c = d > radius - rim ? Hex(150, 170, 220) : Sky(p, radius);
                    for (const IconStar& star : kStars) {
                        const float r = std::max(0.6f, star.size * radius);
                        if (Length(p - star.at * radius) < r) c = star.colour;
                    }
                    sum = sum + c;
                }
            const std::size_t i = icon.Index(x, y);
            icon.cover[i] = inside / (kSamples * kSamples);
            icon.colour[i] = inside > 0 ? sum * (1.0f / inside) : Color{};
        }

    // The ship, nose up, laid over the sky a little above the centre.
    const int shipSize = std::max(11, static_cast<int>(std::lround(size * 0.72f)));
    const Coverage ship = Render(PlayerShip(static_cast<float>(shipSize)));
    const int left = (size - ship.w) / 2;
    const int top = (size - ship.h) / 2 - size / 32;
    for (int y = 0; y < ship.h; ++y)
        for (int x = 0; x < ship.w; ++x) {
            const int tx = left + x, ty = top + y;
            if (tx < 0 || ty < 0 || tx >= size || ty >= size) continue;
            const float a = ship.cover[ship.Index(x, y)];
            if (a <= 0) continue;
            const std::size_t i = icon.Index(tx, ty);
            const float under = icon.cover[i] * (1.0f - a);
            const float out = a + under;
            icon.colour[i] =
                (ship.colour[ship.Index(x, y)] * a + icon.colour[i] * under) * (1.0f / out);
            icon.cover[i] = out;
        }
    return icon;
}
