// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The effects: engine flames, shots, missiles, sparks, explosions and stars.
#include "effects.h"

#include "noise.h"
#include "palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kSamples = 4;

// A colour ramp: stops at evenly spaced positions from 0 to 1.
template <std::size_t N>
Color Ramp(const std::array<Color, N>& stops, float t) {
    t = std::clamp(t, 0.0f, 1.0f) * static_cast<float>(N - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(t), N - 2);
    return Mix(stops[i], stops[i + 1], t - static_cast<float>(i));
}

// A flame from its root at distance 0 to its tip at `length`, `root` wide at
// the root; `along` and `across` are the point's distance from the root and
// from the flame's axis.
bool PaintFlame(float along, float across, float length, float root, float wobble,
                const std::array<Color, 5>& ramp, Color& out) {
    if (along < 0 || along > length) return false;
    const float t = along / length;
    const float half = root * 0.5f * std::pow(1.0f - t, 0.65f) * (1.0f + wobble * std::sin(t * 9));
    if (std::fabs(across) > half) return false;
    const float core = 1.0f - std::fabs(across) / std::max(half, 0.01f);
    out = Ramp(ramp, t * 0.85f + (1.0f - core) * 0.35f);
    return true;
}

} // namespace

Coverage SampleField(int w, int h, const std::function<bool(Vec2, Color&)>& paint) {
    Coverage out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Color sum;
            int inside = 0;
            for (int j = 0; j < kSamples; ++j)
                for (int i = 0; i < kSamples; ++i) {
                    const Vec2 p{x + (i + 0.5f) / kSamples, y + (j + 0.5f) / kSamples};
                    Color c;
                    if (!paint(p, c)) continue;
                    sum = sum + c;
                    ++inside;
                }
            const std::size_t k = out.Index(x, y);
            out.cover[k] = static_cast<float>(inside) / (kSamples * kSamples);
            if (inside > 0) out.colour[k] = sum * (1.0f / static_cast<float>(inside));
        }
    return out;
}

bool PaintSphere(Vec2 p, Vec2 centre, float radius,
                 const std::function<Color(float, float)>& surface, Color& out) {
    const float dx = (p.x - centre.x) / radius, dy = (p.y - centre.y) / radius;
    const float r2 = dx * dx + dy * dy;
    if (r2 >= 1.0f) return false;
    const float dz = std::sqrt(1.0f - r2);
    // The same sun as the ships: upper left, a little in front.
    const float lx = -0.45f, ly = -0.6f, lz = 0.66f;
    const float light = std::max(0.0f, dx * lx + dy * ly + dz * lz);
    const Color base = surface(dy, dx / std::max(dz, 0.2f) * 0.5f);
    // A faint rim keeps the night side from vanishing into space.
    const float rim = std::pow(1.0f - dz, 3.0f) * 0.25f;
    out = base * (0.14f + 0.95f * light) + Hex(120, 160, 255) * rim;
    return true;
}

Image PlayerFlame(int frame) {
    // A blue-white ion flame; the second frame is shorter and flickers.
    static const std::array<Color, 5> kRamp{Hex(240, 252, 255), Hex(150, 222, 255),
                                            Hex(70, 150, 255), Hex(40, 80, 230), Hex(30, 40, 170)};
    const float length = frame == 0 ? 14.0f : 11.0f;
    const float wobble = frame == 0 ? 0.06f : -0.1f;
    return Keyed(SampleField(6, 14,
                             [&](Vec2 p, Color& c) {
                                 return PaintFlame(p.y, p.x - 3.0f, length, 5.4f, wobble, kRamp, c);
                             }),
                 kMagenta);
}

Image EnemyFlame(int frame) {
    static const std::array<Color, 5> kRamp{Hex(255, 250, 215), Hex(255, 206, 80),
                                            Hex(250, 128, 34), Hex(214, 56, 22), Hex(150, 30, 16)};
    const float length = frame == 0 ? 12.0f : 9.0f;
    const float wobble = frame == 0 ? -0.08f : 0.1f;
    return Keyed(SampleField(10, 12,
                             [&](Vec2 p, Color& c) {
                                 return PaintFlame(12.0f - p.y, p.x - 5.0f, length, 6.2f, wobble,
                                                   kRamp, c);
                             }),
                 kMagenta);
}

Image GunShot(int frame) {
    // A cyan bolt, brightest at its head, with a pulse running down it from
    // frame to frame.
    const float pulse = 3.0f + 4.0f * static_cast<float>(frame);
    return Keyed(SampleField(4, 14,
                             [&](Vec2 p, Color& c) {
                                 const float radius = 1.9f - 0.06f * p.y;
                                 const float d = SdCapsule(p, {2, 2}, {2, 12}, radius);
                                 if (d >= 0) return false;
                                 const float core = std::clamp(-d / radius, 0.0f, 1.0f);
                                 const float glow = std::exp(-std::pow((p.y - pulse) / 1.8f, 2));
                                 const float fade = 1.0f - 0.2f * (p.y / 14.0f);
                                 const Color edge = Hex(70, 200, 255);
                                 const Color mid = Hex(180, 248, 255);
                                 c = Mix(Mix(edge, mid, std::min(1.0f, core * 2.0f)),
                                         Hex(255, 255, 255),
                                         std::min(1.0f, std::max(core, glow * 0.9f))) *
                                     fade;
                                 return true;
                             }),
                 kMagenta);
}

Image Missile() {
    return Keyed(
        SampleField(5, 12,
                    [](Vec2 p, Color& c) {
                        const bool body = SdCapsule(p, {2.5f, 2.2f}, {2.5f, 9.5f}, 1.35f) < 0;
                        const bool fins = p.y > 8.0f && p.y < 11.2f &&
                                          std::fabs(p.x - 2.5f) < 0.6f + (p.y - 8.0f) * 0.7f;
                        const bool flame = p.y >= 10.8f && std::fabs(p.x - 2.5f) < 0.9f;
                        if (!body && !fins && !flame) return false;
                        // Round body lit from the left.
                        const float side = std::clamp((p.x - 2.5f) / 1.35f, -1.0f, 1.0f);
                        const float light = 1.05f - 0.45f * (side + 1.0f) * 0.5f;
                        if (flame && !body)
                            c = Hex(255, 190, 80);
                        else if (fins && !body)
                            c = Hex(120, 128, 150) * light;
                        else if (p.y < 3.6f)
                            c = Hex(232, 60, 48) * light;
                        else
                            c = Hex(226, 230, 238) * light;
                        return true;
                    }),
        kMagenta);
}

Image EnemyBolt() {
    // A falling drop of red plasma, its head at the bottom.
    static const std::array<Color, 4> kRamp{Hex(150, 28, 20), Hex(235, 70, 30), Hex(255, 170, 60),
                                            Hex(255, 245, 200)};
    return Keyed(SampleField(5, 10,
                             [](Vec2 p, Color& c) {
                                 const float radius = 0.7f + 1.55f * std::min(1.0f, p.y / 7.5f);
                                 const float d = SdCapsule(p, {2.5f, 1.2f}, {2.5f, 7.6f}, radius);
                                 if (d >= 0) return false;
                                 const float core = std::clamp(-d / radius, 0.0f, 1.0f);
                                 c = Ramp(kRamp,
                                          0.25f + 0.5f * core + 0.35f * (p.y / 10.0f) - 0.1f);
                                 return true;
                             }),
                 kMagenta);
}

Image EnemyOrb() {
    static const std::array<Color, 4> kRamp{Hex(40, 150, 60), Hex(110, 235, 90), Hex(200, 255, 150),
                                            Hex(250, 255, 235)};
    return Keyed(SampleField(7, 7,
                             [](Vec2 p, Color& c) {
                                 const float r = Length(p - Vec2{3.5f, 3.5f});
                                 if (r >= 3.45f) return false;
                                 // Hot core, darker band, bright rim: an energy shell.
                                 const float t = r / 3.45f;
                                 const float shell = std::exp(-std::pow((t - 0.82f) / 0.12f, 2));
                                 c = Ramp(kRamp, std::max(1.0f - t * 1.3f, shell * 0.7f));
                                 return true;
                             }),
                 kMagenta);
}

Image HitSpark() {
    static const std::array<Color, 4> kRamp{Hex(230, 110, 30), Hex(255, 190, 60),
                                            Hex(255, 240, 160), Hex(255, 255, 245)};
    return Keyed(SampleField(11, 11,
                             [](Vec2 p, Color& c) {
                                 const float dx = std::fabs(p.x - 5.5f), dy = std::fabs(p.y - 5.5f);
                                 const float r = std::sqrt(dx * dx + dy * dy);
                                 // Four long rays, four short diagonal ones, a round core.
                                 const float straight = std::min(dx, dy);
                                 const float diagonal = std::fabs(dx - dy) * 0.7071f;
                                 const bool ray = straight < 0.9f - r * 0.16f;
                                 const bool shortRay = diagonal < 0.7f - r * 0.2f && r < 3.6f;
                                 const bool core = r < 1.9f;
                                 if (!ray && !shortRay && !core) return false;
                                 c = Ramp(kRamp, 1.0f - r / 5.5f);
                                 return true;
                             }),
                 kMagenta);
}

Image Explosion(int size, unsigned seed) {
    static const std::array<Color, 6> kRamp{Hex(96, 38, 28),    Hex(190, 54, 22),
                                            Hex(244, 116, 28),  Hex(255, 186, 60),
                                            Hex(255, 236, 150), Hex(255, 252, 232)};
    const float half = static_cast<float>(size) * 0.5f;
    return Keyed(SampleField(size, size,
                             [&](Vec2 p, Color& c) {
                                 const Vec2 d = p - Vec2{half, half};
                                 const float r = Length(d) / (half - 0.5f);
                                 const float angle = std::atan2(d.y, d.x);
                                 // A ragged edge: noise round the rim, sampled on a circle so
                                 // that it joins up.
                                 const float edge =
                                     0.68f + 0.34f * Fractal(std::cos(angle) * 2.2f + 5,
                                                             std::sin(angle) * 2.2f + 5, seed);
                                 // Flying sparks outside the fireball.
                                 const int cx = static_cast<int>(p.x / 3),
                                           cy = static_cast<int>(p.y / 3);
                                 const bool spark =
                                     r < 1.0f && r > edge && HashUnit(cx, cy, seed + 7) > 0.9f &&
                                     Length(p - Vec2{cx * 3 + 1.5f, cy * 3 + 1.5f}) < 0.8f;
                                 if (r >= edge && !spark) return false;
                                 if (spark) {
                                     c = kRamp[4];
                                     return true;
                                 }
                                 const float turbulence =
                                     Fractal(p.x * 4.0f / half, p.y * 4.0f / half, seed + 3) - 0.5f;
                                 const float heat = (1.0f - r / edge) * 1.15f + turbulence * 0.7f;
                                 c = Ramp(kRamp, heat);
                                 return true;
                             }),
                 kMagenta);
}

namespace {

Image DotStar(int size, const std::array<Rgb, 9>& pixels) {
    Image star(size, size, kBlack);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            star.At(x, y) = pixels[static_cast<std::size_t>(y * 3 + x)];
    KeepClearOfKey(star, kBlack);
    return star;
}

// Distant bodies are kept dim, so that they stay behind the play.
Image Body(int w, int h, const std::function<bool(Vec2, Color&)>& paint) {
    return Keyed(SampleField(w, h,
                             [&](Vec2 p, Color& c) {
                                 if (!paint(p, c)) return false;
                                 c = c * 0.72f;
                                 return true;
                             }),
                 kMagenta);
}

Color Banded(float latitude, Color a, Color b, float bands, unsigned seed) {
    const float wave =
        0.5f + 0.5f * std::sin(latitude * bands + 3.0f * ValueNoise(latitude * 6, 0, seed));
    return Mix(a, b, wave);
}

} // namespace

Image Star(int number) {
    const Rgb o = kBlack; // transparent
    switch (number) {
    case 1:
        return DotStar(1, {Rgb{112, 112, 134}});
    case 2:
        return DotStar(1, {Rgb{176, 176, 196}});
    case 3:
        return DotStar(1, {Rgb{136, 160, 226}});
    case 4:
        return DotStar(2, {Rgb{168, 168, 190}, {96, 96, 118}, o, {96, 96, 118}, {64, 64, 84}});
    case 5:
        return DotStar(2, {Rgb{236, 214, 170}, {140, 120, 98}, o, {140, 120, 98}, {92, 80, 70}});
    case 6:
        return DotStar(2, {Rgb{184, 204, 255}, {100, 120, 192}, o, {100, 120, 192}, {70, 82, 144}});
    case 7:
        return DotStar(3, {o,
                           Rgb{120, 120, 150},
                           o,
                           {120, 120, 150},
                           {255, 255, 255},
                           {120, 120, 150},
                           o,
                           {120, 120, 150},
                           o});
    case 8:
        return DotStar(3, {o,
                           Rgb{90, 112, 184},
                           o,
                           {90, 112, 184},
                           {214, 232, 255},
                           {90, 112, 184},
                           o,
                           {90, 112, 184},
                           o});
    case 9:
        return DotStar(3, {Rgb{64, 58, 50},
                           {172, 144, 92},
                           {64, 58, 50},
                           {172, 144, 92},
                           {255, 242, 204},
                           {172, 144, 92},
                           {64, 58, 50},
                           {172, 144, 92},
                           {64, 58, 50}});
    case 10: // a small rust-red world
        return Body(6, 6, [](Vec2 p, Color& c) {
            return PaintSphere(
                p, {3, 3}, 2.9f,
                [](float lat, float lon) {
                    return Mix(Hex(180, 82, 52), Hex(120, 50, 36),
                               ValueNoise(lat * 3 + 2, lon * 3 + 2, 11));
                },
                c);
        });
    case 11: // a ringed planet, the ring in front below and behind above
        return Body(15, 9, [](Vec2 p, Color& c) {
            const Vec2 centre{7.5f, 4.5f};
            const Vec2 d = p - centre;
            const float ring = std::sqrt(d.x * d.x / 49.0f + d.y * d.y / 4.0f);
            const bool onRing = ring > 0.72f && ring < 1.0f;
            Color planet;
            const bool onPlanet = PaintSphere(
                p, centre, 3.3f,
                [](float lat, float) {
                    return Banded(lat, Hex(214, 184, 130), Hex(170, 130, 86), 9, 12);
                },
                planet);
            if (onRing && (d.y > 0 || !onPlanet)) {
                c = Mix(Hex(200, 190, 160), Hex(120, 110, 96), (ring - 0.72f) / 0.28f) *
                    (d.y > 0 ? 1.0f : 0.7f);
                return true;
            }
            c = planet;
            return onPlanet;
        });
    case 12: // a blue ocean world with clouds
        return Body(8, 8, [](Vec2 p, Color& c) {
            return PaintSphere(
                p, {4, 4}, 3.9f,
                [](float lat, float lon) {
                    const float cloud = ValueNoise(lat * 4 + 1, lon * 5 + 3, 13);
                    return cloud > 0.62f ? Hex(220, 230, 240)
                                         : Mix(Hex(40, 90, 180), Hex(60, 150, 130),
                                               ValueNoise(lat * 3, lon * 3, 14));
                },
                c);
        });
    case 13: // a faint nebula
        return Body(28, 18, [](Vec2 p, Color& c) {
            const Vec2 d{(p.x - 14) / 13.5f, (p.y - 9) / 8.5f};
            const float falloff = 1.0f - Length(d);
            const float cloud = Fractal(p.x * 0.18f, p.y * 0.22f, 21);
            const float density = falloff * 1.4f + (cloud - 0.5f) * 1.3f;
            if (density < 0.2f) return false;
            c = Mix(Hex(46, 34, 96), Hex(110, 86, 180), std::min(1.0f, (density - 0.2f) * 1.2f));
            c = Mix(c, Hex(80, 140, 190), std::max(0.0f, cloud - 0.6f) * 1.5f);
            return true;
        });
    case 14: // a grey moon with craters
        return Body(5, 5, [](Vec2 p, Color& c) {
            return PaintSphere(
                p, {2.5f, 2.5f}, 2.45f,
                [](float lat, float lon) {
                    const bool crater = Length(Vec2{lon - 0.15f, lat - 0.2f}) < 0.3f;
                    return crater ? Hex(110, 110, 116) : Hex(170, 170, 176);
                },
                c);
        });
    default: // 15: a banded gas giant
        return Body(18, 18, [](Vec2 p, Color& c) {
            return PaintSphere(
                p, {9, 9}, 8.8f,
                [](float lat, float lon) {
                    Color band = Banded(lat + 0.05f * std::sin(lon * 6), Hex(222, 176, 120),
                                        Hex(168, 102, 62), 11, 15);
                    // A storm in the southern belt.
                    if (Length(Vec2{(lon + 0.15f) * 1.2f, (lat - 0.35f) * 2.2f}) < 0.22f)
                        band = Hex(200, 90, 60);
                    return band;
                },
                c);
        });
    }
}
