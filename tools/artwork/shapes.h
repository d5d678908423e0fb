// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Signed distances to simple shapes, in pixels: negative inside, positive
// outside.  Sprites are built from these, so one description can be drawn at
// any size and seen from any roll angle.
#pragma once

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

struct Vec2 {
    float x = 0, y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, float k) {
    return {a.x * k, a.y * k};
}
inline float Dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}
inline float Length(Vec2 a) {
    return std::sqrt(Dot(a, a));
}

inline float SdCircle(Vec2 p, Vec2 centre, float radius) {
    return Length(p - centre) - radius;
}

// Not an exact distance away from the axes, but close enough for the bevels.
inline float SdEllipse(Vec2 p, Vec2 centre, float rx, float ry) {
    const Vec2 q{(p.x - centre.x) / rx, (p.y - centre.y) / ry};
    return (Length(q) - 1.0f) * std::min(rx, ry);
}

inline float SdBox(Vec2 p, Vec2 centre, Vec2 half, float rounding = 0) {
    const Vec2 d{std::fabs(p.x - centre.x) - half.x + rounding,
                 std::fabs(p.y - centre.y) - half.y + rounding};
    const Vec2 outside{std::max(d.x, 0.0f), std::max(d.y, 0.0f)};
    return Length(outside) + std::min(std::max(d.x, d.y), 0.0f) - rounding;
}

// A stroke of the given half-width from a to b with round ends.
inline float SdCapsule(Vec2 p, Vec2 a, Vec2 b, float radius) {
    const Vec2 pa = p - a, ba = b - a;
    const float len2 = Dot(ba, ba);
    const float t = len2 > 0 ? std::clamp(Dot(pa, ba) / len2, 0.0f, 1.0f) : 0.0f;
    return Length(pa - ba * t) - radius;
}

// Any simple polygon, corners in order.
inline float SdPolygon(Vec2 p, const std::vector<Vec2>& v) {
    float d = Dot(p - v[0], p - v[0]);
    float sign = 1.0f;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
        const Vec2 e = v[j] - v[i], w = p - v[i];
        const Vec2 b = w - e * std::clamp(Dot(w, e) / Dot(e, e), 0.0f, 1.0f);
        d = std::min(d, Dot(b, b));
        const bool c1 = p.y >= v[i].y, c2 = p.y<v[j].y, c3 = e.x * w.y> e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) sign = -sign;
    }
    return sign * std::sqrt(d);
}

// A polygon and its mirror image across the vertical line x = axis: the left
// half of a symmetric ship is enough to describe it.
inline float SdMirrored(Vec2 p, float axis, const std::vector<Vec2>& leftHalf) {
    const Vec2 q{axis - std::fabs(p.x - axis), p.y};
    return SdPolygon(q, leftHalf);
}

inline std::vector<Vec2> Points(std::initializer_list<Vec2> list) {
    return list;
}
