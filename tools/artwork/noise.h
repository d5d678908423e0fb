// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Repeatable noise for texture: the same numbers on every build, from an
// integer hash rather than a seeded generator.
#pragma once

#include <cmath>
#include <cstdint>

inline std::uint32_t Hash(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// A number in [0, 1) for the lattice point (x, y) of noise layer `seed`.
inline float HashUnit(int x, int y, std::uint32_t seed) {
    const std::uint32_t h = Hash(static_cast<std::uint32_t>(x) * 73856093U ^
                                 Hash(static_cast<std::uint32_t>(y) * 19349663U ^ seed));
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

// Smooth value noise in [0, 1).
inline float ValueNoise(float x, float y, std::uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const float a = HashUnit(ix, iy, seed), b = HashUnit(ix + 1, iy, seed);
    const float c = HashUnit(ix, iy + 1, seed), d = HashUnit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Four octaves of value noise, in [0, 1).
inline float Fractal(float x, float y, std::uint32_t seed) {
    float sum = 0, amplitude = 0.5f, total = 0;
    for (int octave = 0; octave < 4; ++octave) {
        sum += ValueNoise(x, y, seed + static_cast<std::uint32_t>(octave) * 101U) * amplitude;
        total += amplitude;
        x *= 2.03f;
        y *= 2.03f;
        amplitude *= 0.5f;
    }
    return sum / total;
}
