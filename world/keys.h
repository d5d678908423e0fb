// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The key-query seam: how the world asks whether a key is held, and the codes
// of the keys the game asks about.  The keyboard (video/keyboard.h) answers
// each question by draining SDL's event queue first, so every question the
// ships ask is behaviour: their number and order must stay as they are.
#pragma once

#include <cstdint>

// Codes 0 to 322 are SDL key codes; kMouseButtonBase + n is mouse button n;
// kMouseMoveLeft to kMouseMoveDown (326 to 329) are the mouse moving left,
// right, up and down.
constexpr int kKeyCodes = 1025;

// The keys the game asks about, by their SDL key codes; each is checked
// against SDL's own value where the keyboard is defined.
constexpr std::int32_t kKeyBackspace = 8;
constexpr std::int32_t kKeyReturn = 13;
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

// Mouse button n reads as code kMouseButtonBase + n (SDL numbers the left
// button 1), and the mouse's moves as the four codes after the buttons.
constexpr std::int32_t kMouseButtonBase = 320;
constexpr std::int32_t kMouseButtonLeft = kMouseButtonBase + 1;
constexpr std::int32_t kMouseButtonMiddle = kMouseButtonBase + 2;
constexpr std::int32_t kMouseButtonRight = kMouseButtonBase + 3;
constexpr std::int32_t kMouseMoveLeft = 326;
constexpr std::int32_t kMouseMoveRight = 327;
constexpr std::int32_t kMouseMoveUp = 328;
constexpr std::int32_t kMouseMoveDown = 329;

// One question: is this key held now?  -1 for held, 0 for not.
class KeyQuery {
  public:
    virtual std::int32_t Down(std::int32_t code) = 0;

  protected:
    ~KeyQuery() = default;
};
