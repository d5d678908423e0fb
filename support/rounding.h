// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The one way the game turns a fractional value into an integer.
//
// Every division, factor or random product in the game is worked out in
// x86-64 extended precision and then rounded to the nearest integer, an exact
// half going to the even neighbour.  The result is what a 32-bit game field
// can hold: values beyond the signed 32-bit range saturate at its ends, and a
// NaN (which nothing in the game produces) gives 0, so no input can reach
// undefined behaviour here.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// The whole part of a value, towards minus infinity: for the few places that
// must never round up, as a scale factor that may not grow a window past
// what was asked.  The same limits as RoundToInt: saturation at the signed
// 32-bit ends, 0 for a NaN.
inline std::int32_t FloorToInt(long double value) {
    if (std::isnan(value)) return 0;
    constexpr long double lo = std::numeric_limits<std::int32_t>::min();
    constexpr long double hi = std::numeric_limits<std::int32_t>::max();
    if (value <= lo) return std::numeric_limits<std::int32_t>::min();
    if (value >= hi) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::floor(value));
}

inline std::int32_t RoundToInt(long double value) {
    // Done by hand so that the result never depends on the FPU's current
    // mode; the nearest whole number is exact in long double, and FloorToInt
    // takes it to the 32-bit range (an infinity or a NaN passes through).
    long double whole = std::floor(value);
    long double rest = value - whole; // exact: |value| < 2^31 fits the 64-bit mantissa
    if (rest > 0.5L || (rest == 0.5L && std::fmod(whole, 2.0L) != 0.0L)) whole += 1.0L;
    return FloorToInt(whole);
}
