// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The title menu.  One pass about every quarter second: the title image, the
// keys read once, the selection acted on, and the animated cursor beside the
// selected item.  The labels are part of the title image itself.
#include "control/menu.h"

#include "video/draw.h"
#include "video/keyboard.h"
#include "world/events.h"

#include <SDL.h>

#include <algorithm>
#include <array>

namespace {

constexpr std::uint32_t kPassDelay = 250;
constexpr std::uint32_t kHelpPoll = 20; // how often the help screen looks at the keys

void MenuEvent(Game& game, int slot) {
    std::int32_t a1 = 0, a2 = 0, a3 = 0, a4 = 0, a5 = 0, a6 = 0, a7 = 0, a8 = 0;
    GameEvent(a1, a2, a3, a4, a5, a6, a7, a8, game.world.EventSlot[slot]);
}

// Waits, sleeping between looks, until `held` reports no key down.
template <typename Held>
void WaitUntilReleased(Game& game, Held held) {
    while (held())
        game.clock->Delay(kHelpPoll);
}

// The key table keeps the mouse buttons on top of the last few key codes, so
// the keyboard's codes end below the left button's.
constexpr int kKeyboardCodes = kMouseButtonLeft;

// Any key on the keyboard (not the mouse) that is down now but was up at the
// previous look counts as a fresh press; returns its code.
int WaitForFreshKey(Game& game) {
    std::array<std::int16_t, kKeyboardCodes> before{};
    KeyDown(game.keyboard, 0); // drain the queue before the first look
    std::copy_n(game.keyboard.KeyState.begin(), kKeyboardCodes, before.begin());
    for (;;) {
        game.clock->Delay(kHelpPoll);
        KeyDown(game.keyboard, 0);
        for (int code = 0; code < kKeyboardCodes; ++code) {
            if (game.keyboard.KeyState[code] && !before[code]) return code;
            before[code] = game.keyboard.KeyState[code];
        }
    }
}

// The help screen stays up until the key that chose it has been let go and
// another key is pressed; that key must be let go too, or the menu would act
// on it in its next pass (a held Space would bring the help straight back).
void ShowHelp(Game& game) {
    SDL_Surface* screen = game.images.screen;
    BlitAt(screen, 0, 0, game.images.HelpScreenImage);
    PageFlip(screen);
    WaitUntilReleased(game, [&] {
        return KeyDown(game.keyboard, kKeySpace) || KeyDown(game.keyboard, kKeyLeft);
    });
    int key = WaitForFreshKey(game);
    WaitUntilReleased(game, [&] { return KeyDown(game.keyboard, key) != 0; });
    // Back to the menu: the title goes under the cursor this pass draws.
    BlitAt(screen, 0, 0, game.images.TitleImage);
}

} // namespace

CursorSpot MenuCursorPosition(const Game& game) {
    switch (game.menu.MenuSelection) {
    case 1:
        return {345, 195};
    case 2:
        return {game.world.PlayerCount == 2 ? 500 : 473, 245};
    case 3:
        return {345, 295};
    default:
        return {345, 370};
    }
}

MenuResult MenuPass(Game& game) {
    MenuState& menu = game.menu;
    SDL_Surface* screen = game.images.screen;

    BlitAt(screen, 0, 0, game.images.TitleImage);
    game.clock->Delay(kPassDelay);

    if (KeyDown(game.keyboard, kKeyUp)) {
        menu.MenuSelection -= 1;
        MenuEvent(game, 1);
    }
    if (KeyDown(game.keyboard, kKeyDown)) {
        menu.MenuSelection += 1;
        MenuEvent(game, 1);
    }

    // Both activation keys are read in every pass.
    bool space = KeyDown(game.keyboard, kKeySpace) != 0;
    bool left = KeyDown(game.keyboard, kKeyLeft) != 0;
    if (space || left) {
        switch (menu.MenuSelection) {
        case 1:
            menu.GameStarted = 1;
            MenuEvent(game, 2);
            break;
        case 2:
            game.world.PlayerCount = game.world.PlayerCount == 2 ? 1 : 2;
            MenuEvent(game, 2);
            break;
        case 3:
            ShowHelp(game);
            break;
        case 4:
            MenuEvent(game, 2);
            return MenuResult::Quit;
        default:
            break; // a move this pass left the range; clamped below
        }
    }

    menu.CursorPhase += 1;
    if (menu.CursorPhase > 3) menu.CursorPhase = 1;
    if (menu.MenuSelection < 1) menu.MenuSelection = 1;
    if (menu.MenuSelection > 4) menu.MenuSelection = 4;

    CursorSpot spot = MenuCursorPosition(game);
    BlitAt(screen, spot.x, spot.y, game.images.BulletImage[menu.CursorPhase]);
    PageFlip(screen);
    return menu.GameStarted == 1 ? MenuResult::Start : MenuResult::Stay;
}

MenuResult RunMenu(Game& game) {
    MenuResult result;
    do {
        result = MenuPass(game);
    } while (result == MenuResult::Stay);
    return result;
}
