// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The floating-point set-up every program runs first.
#include "support/floating_point.h"

#include "support/floating_point_support.h"

#include <gtest/gtest.h>

TEST(FloatingPoint, SetUpPutsTheGamesModeBackFromAnyOther) {
    SkewedFloatingPoint skewed;
    // The skew is real: a third comes out another way before the set-up.
    volatile long double oneL = 1.0L, threeL = 3.0L;
    EXPECT_NE(oneL / threeL, 1.0L / 3.0L);

    SetUpFloatingPoint();
    ExpectTheGamesFloatingPoint(skewed.OtherBits());

    // Running it again changes nothing.
    SetUpFloatingPoint();
    ExpectTheGamesFloatingPoint(skewed.OtherBits());
}
