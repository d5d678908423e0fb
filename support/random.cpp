// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The game's one source of chance: RandomUnit over rand(), SeedRandom and
// ProcessTimer.
#include "support/random.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

double RandomUnit(Random& random, std::int32_t n) {
    if (n == 0) return random.last;
    // rand() yields 0 .. 2^31 - 1 with glibc, so r lies in [0, 1).
    double r = random.scripted ? random.scripted() : std::rand() * (1.0 / 2147483648.0);
    random.last = r;
    return r;
}

void SeedRandom(Random&, double x) {
    if (x == -1.0) x = ProcessTimer();
    // Truncated toward zero; a value beyond int's range (which nothing in
    // the game produces) saturates instead of being undefined.
    long long seed = 0;
    if (std::isfinite(x)) {
        if (x >= 2147483647.0)
            seed = 2147483647;
        else if (x <= -2147483648.0)
            seed = -2147483648LL;
        else
            seed = static_cast<long long>(x);
    }
    std::srand(static_cast<unsigned>(static_cast<int>(seed)));
    std::rand(); // the first value after seeding is thrown away
}

double ProcessTimer() {
    return static_cast<double>(std::clock()) / 1000.0;
}
