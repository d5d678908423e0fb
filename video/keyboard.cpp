// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// KeyDown: drains SDL's event queue into the key table and answers for one key.
#include "video/keyboard.h"

#include <SDL.h>

static_assert(kKeyBackspace == SDLK_BACKSPACE);
static_assert(kKeyReturn == SDLK_RETURN);
static_assert(kKeyEscape == SDLK_ESCAPE);
static_assert(kKeySpace == SDLK_SPACE);
static_assert(kKey2 == SDLK_2);
static_assert(kKeyA == SDLK_a);
static_assert(kKeyD == SDLK_d);
static_assert(kKeyF == SDLK_f);
static_assert(kKeyG == SDLK_g);
static_assert(kKeyS == SDLK_s);
static_assert(kKeyW == SDLK_w);
static_assert(kKeyUp == SDLK_UP);
static_assert(kKeyDown == SDLK_DOWN);
static_assert(kKeyRight == SDLK_RIGHT);
static_assert(kKeyLeft == SDLK_LEFT);
static_assert(kKeyRightAlt == SDLK_RALT);
static_assert(kMouseButtonLeft == kMouseButtonBase + SDL_BUTTON_LEFT);
static_assert(kMouseButtonMiddle == kMouseButtonBase + SDL_BUTTON_MIDDLE);
static_assert(kMouseButtonRight == kMouseButtonBase + SDL_BUTTON_RIGHT);
static_assert(kMouseMoveLeft > kMouseButtonBase + SDL_BUTTON_WHEELDOWN);

namespace {

void Set(Keyboard& keyboard, int code, std::int16_t value) {
    if (code >= 0 && code < kKeyCodes) keyboard.KeyState[code] = value;
}

} // namespace

std::int32_t KeyDown(Keyboard& keyboard, std::int32_t code) {
    // Drain the whole queue first, so that every query in a row sees the
    // same state unless new events arrive in between.
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            Set(keyboard, event.key.keysym.sym, -1);
            break;
        case SDL_KEYUP:
            Set(keyboard, event.key.keysym.sym, 0);
            break;
        case SDL_MOUSEMOTION:
            Set(keyboard, kMouseMoveLeft, event.motion.xrel < 0 ? -1 : 0);
            Set(keyboard, kMouseMoveRight, event.motion.xrel > 0 ? -1 : 0);
            Set(keyboard, kMouseMoveUp, event.motion.yrel < 0 ? -1 : 0);
            Set(keyboard, kMouseMoveDown, event.motion.yrel > 0 ? -1 : 0);
            break;
        case SDL_MOUSEBUTTONDOWN:
            Set(keyboard, kMouseButtonBase + event.button.button, -1);
            break;
        case SDL_MOUSEBUTTONUP:
            Set(keyboard, kMouseButtonBase + event.button.button, 0);
            break;
        default:
            break; // SDL_QUIT included: closing the window does not end the game
        }
    }
    if (code < 0 || code >= kKeyCodes) return 0;
    return keyboard.KeyState[code];
}
