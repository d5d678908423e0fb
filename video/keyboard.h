// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The key table.  KeyDown is the game's only input query: it drains SDL's
// event queue into the table at every call and answers whether an input is
// held (-1) or not (0).  There is no edge detection and no key repeat.
#pragma once

#include <array>
#include <cstdint>

// Codes 0 to 322 are SDL key codes; 320 + n is mouse button n; 326 to 329 are
// the mouse moving left, right, up and down.
constexpr int kKeyCodes = 1025;

// The keys the game asks about, by their SDL key codes; each is checked
// against SDL's own value where KeyDown is defined.
constexpr std::int32_t kKeyEscape = 27;
constexpr std::int32_t kKeySpace = 32;
constexpr std::int32_t kKey2 = 50;
constexpr std::int32_t kKeyA = 97;
constexpr std::int32_t kKeyD = 100;
constexpr std::int32_t kKeyF = 102;
constexpr std::int32_t kKeyG = 103;
constexpr std::int32_t kKeyS = 115;
constexpr std::int32_t kKeyW = 119;
constexpr std::int32_t kKeyUp = 273;
constexpr std::int32_t kKeyDown = 274;
constexpr std::int32_t kKeyRight = 275;
constexpr std::int32_t kKeyLeft = 276;
constexpr std::int32_t kKeyRightAlt = 307;

struct Keyboard {
    std::array<std::int16_t, kKeyCodes> KeyState{};
};

std::int32_t KeyDown(Keyboard& keyboard, std::int32_t code);
