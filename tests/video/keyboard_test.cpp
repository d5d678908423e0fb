// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// KeyDown: SDL's queue drained into the key table, mouse motion and buttons.
#include "test_support.h"
#include "video/keyboard.h"
#include "world/keys.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

void PushKey(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void PushMotion(Sint16 xrel, Sint16 yrel) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.type = SDL_MOUSEMOTION;
    event.motion.xrel = xrel;
    event.motion.yrel = yrel;
    SDL_PushEvent(&event);
}

void PushButton(Uint8 type, Uint8 button) {
    SDL_Event event{};
    event.type = type;
    event.button.type = type;
    event.button.button = button;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

} // namespace

TEST(KeyboardState, HeldKeysReadDownUntilTheirRelease) {
    SdlScreen sdl;
    Keyboard keyboard;
    EXPECT_EQ(KeyDown(keyboard, SDLK_SPACE), 0);

    PushKey(SDL_KEYDOWN, SDLK_SPACE);
    PushKey(SDL_KEYDOWN, SDLK_LEFT);
    for (int frame = 0; frame < 50; ++frame) {
        EXPECT_EQ(KeyDown(keyboard, SDLK_SPACE), -1);
        EXPECT_EQ(KeyDown(keyboard, SDLK_LEFT), -1);
    }
    EXPECT_EQ(KeyDown(keyboard, SDLK_RIGHT), 0);

    PushKey(SDL_KEYUP, SDLK_SPACE);
    EXPECT_EQ(KeyDown(keyboard, SDLK_SPACE), 0);
    EXPECT_EQ(KeyDown(keyboard, SDLK_LEFT), -1); // still held

    // Pressed and released between two queries: the press is never seen.
    PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    PushKey(SDL_KEYUP, SDLK_ESCAPE);
    EXPECT_EQ(KeyDown(keyboard, SDLK_ESCAPE), 0);

    // Every query drains the whole queue, whatever code it asks about.
    PushKey(SDL_KEYDOWN, SDLK_2);
    EXPECT_EQ(KeyDown(keyboard, SDLK_w), 0);
    EXPECT_EQ(keyboard.KeyState[SDLK_2], -1);
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0);

    // The table outlives any one query: a fresh query with an empty queue
    // answers from it.
    EXPECT_EQ(KeyDown(keyboard, SDLK_2), -1);
    EXPECT_EQ(KeyDown(keyboard, SDLK_RALT), 0);
    PushKey(SDL_KEYDOWN, SDLK_RALT);
    EXPECT_EQ(KeyDown(keyboard, kKeyRightAlt), -1);
}

TEST(KeyboardState, MouseMotionAndButtonsShareTheTable) {
    SdlScreen sdl;
    Keyboard keyboard;

    PushMotion(-3, 4);
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveLeft), -1); // left
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveRight), 0); // right
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveUp), 0);    // up
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveDown), -1); // down

    // Left stays down until a motion without leftward movement.
    PushKey(SDL_KEYDOWN, SDLK_a);
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveLeft), -1);
    PushMotion(0, -1);
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveLeft), 0);
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveRight), 0);
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveUp), -1);
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveDown), 0);
    PushMotion(5, 0);
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveRight), -1);
    EXPECT_EQ(KeyDown(keyboard, kMouseMoveUp), 0);

    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    EXPECT_EQ(KeyDown(keyboard, kMouseButtonLeft), -1);
    EXPECT_EQ(KeyDown(keyboard, kMouseButtonRight), -1);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    EXPECT_EQ(KeyDown(keyboard, kMouseButtonLeft), 0);
    EXPECT_EQ(KeyDown(keyboard, kMouseButtonRight), -1);
    PushButton(SDL_MOUSEBUTTONDOWN, 255); // the highest button still lands in the table
    EXPECT_EQ(KeyDown(keyboard, kMouseButtonBase + 255), -1);
    EXPECT_EQ(KeyDown(keyboard, SDLK_a), -1);
}

TEST(KeyboardState, QuitAndOutOfRangeCodesChangeNothing) {
    SdlScreen sdl;
    Keyboard keyboard;
    PushKey(SDL_KEYDOWN, SDLK_UP);
    EXPECT_EQ(KeyDown(keyboard, SDLK_UP), -1);
    Keyboard before = keyboard;

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    SDL_Event active{};
    active.type = SDL_ACTIVEEVENT;
    SDL_PushEvent(&active);
    EXPECT_EQ(KeyDown(keyboard, SDLK_UP), -1);
    EXPECT_EQ(keyboard.KeyState, before.KeyState);

    for (int code : {-1, 1025, 100000, -2147483647 - 1})
        EXPECT_EQ(KeyDown(keyboard, code), 0);
    EXPECT_EQ(KeyDown(keyboard, 0), 0);
    EXPECT_EQ(KeyDown(keyboard, 1024), 0);
    EXPECT_EQ(keyboard.KeyState, before.KeyState);
}
