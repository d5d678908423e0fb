// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// For the tests of the floating-point set-up: a mode the game never runs in,
// put in place for one test and taken away after it, and the checks that the
// game's own mode is back.
#pragma once

#include <gtest/gtest.h>

#include <cfenv>

#if __has_include(<fpu_control.h>)
#include <fpu_control.h>
#endif

#if defined(_FPU_GETCW) && defined(_FPU_EXTENDED) && defined(_FPU_RC_ZERO)
#define NOVAWING_TEST_X87 1
#endif

// Double (53-bit) precision for the x87 unit and rounding upwards everywhere,
// until the end of the scope, when the mode from before comes back.
class SkewedFloatingPoint {
  public:
    SkewedFloatingPoint() {
        savedRounding = std::fegetround();
#ifdef NOVAWING_TEST_X87
        _FPU_GETCW(saved);
        skewed = static_cast<fpu_control_t>((saved & ~(_FPU_EXTENDED | _FPU_RC_ZERO)) |
                                            _FPU_DOUBLE | _FPU_RC_UP);
        _FPU_SETCW(skewed);
#endif
        std::fesetround(FE_UPWARD);
    }
    ~SkewedFloatingPoint() {
#ifdef NOVAWING_TEST_X87
        _FPU_SETCW(saved);
#endif
        std::fesetround(savedRounding);
    }
    SkewedFloatingPoint(const SkewedFloatingPoint&) = delete;
    SkewedFloatingPoint& operator=(const SkewedFloatingPoint&) = delete;

    // The control word's other bits (the exception masks) as they were skewed.
    unsigned OtherBits() const {
#ifdef NOVAWING_TEST_X87
        return static_cast<unsigned>(skewed & ~(_FPU_EXTENDED | _FPU_RC_ZERO));
#else
        return 0;
#endif
    }

  private:
    int savedRounding = FE_TONEAREST;
#ifdef NOVAWING_TEST_X87
    fpu_control_t saved{};
    fpu_control_t skewed{};
#endif
};

// The game's mode: extended precision and round-to-nearest, seen in the
// control word and in what arithmetic gives.  `otherBits` are the control
// word's bits the set-up must leave alone.
inline void ExpectTheGamesFloatingPoint(unsigned otherBits) {
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
#ifdef NOVAWING_TEST_X87
    fpu_control_t word;
    _FPU_GETCW(word);
    EXPECT_EQ(word & _FPU_EXTENDED, _FPU_EXTENDED);
    EXPECT_EQ(word & _FPU_RC_ZERO, _FPU_RC_NEAREST);
    EXPECT_EQ(static_cast<unsigned>(word & ~(_FPU_EXTENDED | _FPU_RC_ZERO)), otherBits);
    // 1 + 2^-60 only survives with a 64-bit mantissa.
    volatile long double tiny = 0x1p-60L;
    volatile long double sum = 1.0L + tiny;
    EXPECT_NE(sum, 1.0L);
#else
    (void)otherBits;
#endif
    // A third worked out now, in both units, is the one the compiler worked
    // out with round-to-nearest: rounding upwards or at a shorter precision
    // gives another last bit.
    volatile long double oneL = 1.0L, threeL = 3.0L;
    EXPECT_EQ(oneL / threeL, 1.0L / 3.0L);
    volatile double one = 1.0, three = 3.0;
    EXPECT_EQ(one / three, 1.0 / 3.0);
}
