// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// A clock for measuring in-process: time moves only when the game sleeps, and
// sleeping costs nothing, so only the work itself is timed.
#pragma once

#include "control/clock.h"

#include <cstdint>

struct NoSleepClock final : Clock {
    std::uint32_t now = 1000;
    std::uint32_t sleptMs = 0; // what the game asked to sleep, in total
    std::uint32_t Ticks() override { return now; }
    void Delay(std::uint32_t ms) override {
        now += ms;
        sleptMs += ms;
    }
};
