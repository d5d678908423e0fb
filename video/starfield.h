// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The drifting starfield behind the play field.
#pragma once

#include <array>
#include <cstdint>

struct Images;
struct Random;

struct Star {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t image = 0; // 0: empty slot; 1..20: index into StarImage
};

constexpr int kStarCount = 201; // slots 1..200 are used

// One pass over slots 1..200: move each star, maybe spawn into empty slots,
// and draw.
void RenderStarfield(std::array<Star, kStarCount>& stars, const Images& images, Random& random);
