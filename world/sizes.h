// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The sizes the world works with, as plain numbers: the screen, the ships by
// banking frame, the enemies by image and the shots' heights by image.  They
// are measured from the loaded images once, after loading, and handed to the
// world, which never sees an image itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct Size {
    std::int32_t w = 0;
    std::int32_t h = 0;
};

struct WorldSizes {
    std::int32_t screenWidth = 0;
    std::int32_t screenHeight = 0;
    std::array<Size, 6> ship{};                  // 1..5, like ShipImage
    std::array<Size, 7> enemy{};                 // 1..6, like EnemyImage
    std::array<std::int32_t, 16> bulletHeight{}; // 1..15, like BulletImage
};

// The entry at `index`, or a zero one when the index lies outside the table.
// Indices come from game records; an unexpected one, like an empty image slot,
// counts as 0 by 0, so a stray record can only miss, never crash a frame.
template <typename T, std::size_t N>
T SizeAt(const std::array<T, N>& table, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) return T{};
    return table[index];
}
