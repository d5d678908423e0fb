// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The game's one source of chance: enemy types, positions and intervals, and
// the stars.  Draws come from the C library's rand(); a test may script them.
#pragma once

#include <cstdint>
#include <functional>

struct Random {
    double last = 0.0; // the most recent RandomUnit result
    // When set, each draw takes its r in [0, 1) from here instead of rand().
    std::function<double()> scripted;
};

double RandomUnit(Random& random, std::int32_t n); // n != 0 draws, n == 0 repeats the last
void SeedRandom(Random& random, double x);         // x == -1 seeds from ProcessTimer()
double ProcessTimer();                             // processor time, clock() / 1000.0
