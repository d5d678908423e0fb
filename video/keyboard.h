// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The key table.  KeyDown is the game's only input query: it drains SDL's
// event queue into the table at every call and answers whether an input is
// held (-1) or not (0).  There is no edge detection and no key repeat.
#pragma once

#include "world/keys.h"

#include <array>
#include <cstdint>

struct Keyboard;
std::int32_t KeyDown(Keyboard& keyboard, std::int32_t code);

// The world's key questions, each passed to KeyDown as it is asked: one
// question, one drain of the queue.
struct Keyboard final : KeyQuery {
    std::array<std::int16_t, kKeyCodes> KeyState{};

    std::int32_t Down(std::int32_t code) override { return KeyDown(*this, code); }
};
