// The key table.  KeyDown is the game's only input query: it drains SDL's
// event queue into the table at every call and answers whether an input is
// held (-1) or not (0).  There is no edge detection and no key repeat.
#pragma once

#include <array>
#include <cstdint>

// Codes 0 to 322 are SDL key codes; 320 + n is mouse button n; 326 to 329 are
// the mouse moving left, right, up and down.
constexpr int kKeyCodes = 1025;

struct Keyboard {
    std::array<std::int16_t, kKeyCodes> KeyState{};
};

std::int32_t KeyDown(Keyboard& keyboard, std::int32_t code);
