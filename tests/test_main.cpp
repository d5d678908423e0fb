// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The entry of every test program: the floating-point set-up the game runs
// first, then Google Test.  World tests, the golden replay and the soak tests
// never start the console, so they get the game's mode from here.
#include "support/floating_point.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    SetUpFloatingPoint();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
