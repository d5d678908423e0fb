// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Shading a sprite's shapes into a lit, bevelled picture.
#include "render.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSamples = 4; // per pixel and axis

// Light from the upper left and a little in front, the same for every sprite
// so that the whole game reads as lit by one sun.
struct Vec3 {
    float x, y, z;
};

Vec3 Normalised(Vec3 v) {
    const float n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / n, v.y / n, v.z / n};
}

float Dot3(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

const Vec3 kLight = Normalised({-0.45f, -0.6f, 0.66f});
const Vec3 kHalfway = Normalised({kLight.x, kLight.y, kLight.z + 1.0f});
constexpr float kAmbient = 0.35f;
constexpr float kDiffuse = 0.8f;

struct Sample {
    bool covered = false;
    float height = 0;
    float depth = -1e9f;
    Vec3 normal{0, 0, 1};
    int material = 0;
    float gradientY = 0; // where in the material's gradient the sample lies
};

// The rounded relief of a layer: a quarter circle rising over the bevel.
float Relief(float inside, float bevel) {
    const float t = std::clamp(inside / std::max(bevel, 0.01f), 0.0f, 1.0f);
    return std::sqrt(1.0f - (1.0f - t) * (1.0f - t));
}

Color Shade(const Material& m, const Sample& s) {
    const float span = m.gradientBottom - m.gradientTop;
    const float t = span != 0 ? std::clamp((s.gradientY - m.gradientTop) / span, 0.0f, 1.0f) : 0;
    const Color base = Mix(m.top, m.bottom, t);
    if (m.emissive >= 1.0f) return base;
    const float diffuse = std::max(0.0f, Dot3(s.normal, kLight));
    const float highlight =
        m.specular * std::pow(std::max(0.0f, Dot3(s.normal, kHalfway)), m.shininess);
    const Color lit = base * (kAmbient + kDiffuse * diffuse) + Hex(255, 250, 240) * highlight;
    return Mix(lit, base, m.emissive);
}

// The sprite seen straight from above: the height field of its layers.
std::vector<Sample> Flat(const Sprite& sprite, int gw, int gh) {
    std::vector<Sample> grid(static_cast<std::size_t>(gw) * gh);
    for (int j = 0; j < gh; ++j)
        for (int i = 0; i < gw; ++i) {
            Vec2 p{(i + 0.5f) / kSamples, (j + 0.5f) / kSamples};
            if (sprite.flipVertically) p.y = static_cast<float>(sprite.h) - p.y;
            Sample& s = grid[static_cast<std::size_t>(j) * gw + i];
            s.gradientY = p.y;
            for (std::size_t k = 0; k < sprite.layers.size(); ++k) {
                const Layer& layer = sprite.layers[k];
                const float d = layer.shape(p);
                if (d >= 0) continue;
                const float relief = layer.height * Relief(-d, layer.bevel);
                const int index = static_cast<int>(k);
                if (layer.mode == LayerMode::Paint) {
                    if (s.covered) s.material = index;
                } else if (layer.mode == LayerMode::Raised && s.covered) {
                    s.height += relief;
                    s.material = index;
                } else if (!s.covered || layer.base + relief >= s.height) {
                    s.covered = true;
                    s.height = layer.base + relief;
                    s.material = index;
                }
            }
        }

    // Normals from the slope of the height field; the ground round the sprite
    // counts as height 0, so edges lean outwards.
    const float step = 2.0f / kSamples;
    auto heightAt = [&](int i, int j) {
        if (i < 0 || j < 0 || i >= gw || j >= gh) return 0.0f;
        const Sample& s = grid[static_cast<std::size_t>(j) * gw + i];
        return s.covered ? s.height : 0.0f;
    };
    for (int j = 0; j < gh; ++j)
        for (int i = 0; i < gw; ++i) {
            Sample& s = grid[static_cast<std::size_t>(j) * gw + i];
            if (!s.covered) continue;
            const float dx = (heightAt(i + 1, j) - heightAt(i - 1, j)) / step;
            const float dy = (heightAt(i, j + 1) - heightAt(i, j - 1)) / step;
            s.normal = Normalised({-dx, -dy, 1.0f});
            s.depth = s.height;
        }
    return grid;
}

// Rolls the sprite about its vertical centre line: every point moves sideways
// by its height above the roll axis, so raised parts (the canopy) shift
// towards the raised wing, low ones the other way, and each surface turns its
// normal with the roll.
std::vector<Sample> Rolled(const std::vector<Sample>& flat, int gw, int gh, float roll,
                           float axisHeight) {
    std::vector<Sample> out(flat.size());
    const float c = std::cos(roll), s = std::sin(roll);
    const float centre = gw * 0.5f;
    for (int j = 0; j < gh; ++j) {
        const Sample* row = &flat[static_cast<std::size_t>(j) * gw];
        Sample* target = &out[static_cast<std::size_t>(j) * gw];
        auto moved = [&](int i, float& x, float& depth) {
            const float local = i + 0.5f - centre;
            const float lift = (row[i].height - axisHeight) * kSamples;
            x = local * c + lift * s + centre;
            depth = -local * s + lift * c;
        };
        auto put = [&](int k, const Sample& from, float depth) {
            if (k < 0 || k >= gw || target[k].depth >= depth) return;
            Sample& to = target[k];
            to = from;
            to.depth = depth;
            to.normal = {from.normal.x * c + from.normal.z * s, from.normal.y,
                         -from.normal.x * s + from.normal.z * c};
        };
        for (int i = 0; i < gw; ++i) {
            if (!row[i].covered) continue;
            float x0, d0;
            moved(i, x0, d0);
            put(static_cast<int>(std::floor(x0)), row[i], d0);
            if (i + 1 >= gw || !row[i + 1].covered) continue;
            // Fill every output sample between this sample and the next.
            float x1, d1;
            moved(i + 1, x1, d1);
            const float lo = std::min(x0, x1), hi = std::max(x0, x1);
            for (int k = static_cast<int>(std::ceil(lo - 0.5f));
                 k <= static_cast<int>(std::floor(hi - 0.5f)); ++k) {
                const float t = hi > lo ? ((k + 0.5f) - x0) / (x1 - x0) : 0.0f;
                put(k, t < 0.5f ? row[i] : row[i + 1], d0 + (d1 - d0) * t);
            }
        }
    }
    return out;
}

} // namespace

Coverage Render(const Sprite& sprite, float roll) {
    const int gw = sprite.w * kSamples, gh = sprite.h * kSamples;
    std::vector<Sample> grid = Flat(sprite, gw, gh);
    if (roll != 0) grid = Rolled(grid, gw, gh, roll, sprite.rollAxisHeight);

    Coverage out(sprite.w, sprite.h);
    for (int y = 0; y < sprite.h; ++y)
        for (int x = 0; x < sprite.w; ++x) {
            Color sum;
            int covered = 0;
            for (int j = 0; j < kSamples; ++j)
                for (int i = 0; i < kSamples; ++i) {
                    const Sample& s =
                        grid[static_cast<std::size_t>(y * kSamples + j) * gw + x * kSamples + i];
                    if (!s.covered) continue;
                    sum = sum +
                          Shade(sprite.layers[static_cast<std::size_t>(s.material)].material, s);
                    ++covered;
                }
            const std::size_t k = out.Index(x, y);
            out.cover[k] = static_cast<float>(covered) / (kSamples * kSamples);
            if (covered > 0) out.colour[k] = sum * (1.0f / static_cast<float>(covered));
        }
    return out;
}
