// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The time seam.  The game paces itself on SDL's millisecond ticks and sleeps
// with SDL_Delay; tests and the benchmark put a clock of their own in its place.
#pragma once

#include <SDL.h>

#include <cstdint>

struct Clock {
    virtual ~Clock() = default;
    virtual std::uint32_t Ticks() = 0;
    virtual void Delay(std::uint32_t ms) = 0;
};

struct SdlClock final : Clock {
    std::uint32_t Ticks() override { return SDL_GetTicks(); }
    void Delay(std::uint32_t ms) override { SDL_Delay(ms); }
};
