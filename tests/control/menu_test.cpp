// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The title menu, pass by pass, with the keys held as a player would hold them.
#include "control/menu.h"
#include "control_support.h"
#include "test_support.h"
#include "world/keys.h"

#include <SDL.h>

namespace {

class Menu : public ::testing::Test {
  protected:
    Menu() {
        game->images = sdl.FakeImages();
        game->clock = &clock;
        game->menu.MenuSelection = 1;
        SetOutputRoutine(game->console, [](std::string_view, int) {});
    }
    void Hold(int code) { game->keyboard.KeyState[code] = -1; }
    void Release(int code) { game->keyboard.KeyState[code] = 0; }
    MenuState& menu() { return game->menu; }

    SdlScreen sdl;
    FakeClock clock;
    std::unique_ptr<Game> game = std::make_unique<Game>();
};

void Push(int type, SDLKey key) {
    SDL_Event e{};
    e.type = static_cast<Uint8>(type);
    e.key.type = e.type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
}

void PushButton(int type, Uint8 button) {
    SDL_Event e{};
    e.type = static_cast<Uint8>(type);
    e.button.type = e.type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
}

} // namespace

TEST_F(Menu, PassPacingAndCursorPhases) {
    std::vector<int> phases;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(MenuPass(*game), MenuResult::Stay);
        phases.push_back(menu().CursorPhase);
    }
    EXPECT_EQ(phases, (std::vector<int>{1, 2, 3, 1})); // the first pass draws phase 1
    EXPECT_EQ(clock.delays, (std::vector<std::uint32_t>{250, 250, 250, 250}));
}

TEST_F(Menu, MovesStayInRangeAndActOnlyInRange) {
    // Up on item 1, with space in the same pass: the selection is briefly 0,
    // so the activation does nothing, and the clamp brings it back to 1.
    Hold(kKeyUp);
    Hold(kKeySpace);
    EXPECT_EQ(MenuPass(*game), MenuResult::Stay);
    EXPECT_EQ(menu().MenuSelection, 1);
    EXPECT_EQ(menu().GameStarted, 0);
    Release(kKeyUp);
    Release(kKeySpace);

    // A held arrow moves one item per pass, and stops at Quit.
    Hold(kKeyDown);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        MenuPass(*game);
        seen.push_back(menu().MenuSelection);
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 4}));
    // Down on item 4 with space: selection 5 for the pass, so no Quit.
    Hold(kKeySpace);
    EXPECT_EQ(MenuPass(*game), MenuResult::Stay);
    EXPECT_EQ(menu().MenuSelection, 4);

    // Up and down together cancel out.
    Release(kKeySpace);
    Hold(kKeyUp);
    MenuPass(*game);
    EXPECT_EQ(menu().MenuSelection, 4);
}

TEST_F(Menu, PlayerCountToggle) {
    // Down and space together on item 1: the move comes first, so the
    // players item is the one acted on.
    Hold(kKeyDown);
    Hold(kKeySpace);
    MenuPass(*game);
    EXPECT_EQ(menu().MenuSelection, 2);
    EXPECT_EQ(game->world.PlayerCount, 2); // from 0
    Release(kKeyDown);
    EXPECT_EQ(MenuCursorPosition(*game).x, 500);
    MenuPass(*game);
    EXPECT_EQ(game->world.PlayerCount, 1);
    EXPECT_EQ(MenuCursorPosition(*game).x, 473);
    EXPECT_EQ(MenuCursorPosition(*game).y, 245);
    // The left arrow acts exactly like space; the right arrow does nothing.
    Release(kKeySpace);
    Hold(kKeyLeft);
    MenuPass(*game);
    EXPECT_EQ(game->world.PlayerCount, 2);
    Release(kKeyLeft);
    Hold(kKeyRight);
    MenuPass(*game);
    EXPECT_EQ(game->world.PlayerCount, 2);
}

TEST_F(Menu, CursorPositions) {
    const std::vector<std::pair<int, CursorSpot>> table = {
        {1, {345, 195}}, {3, {345, 295}}, {4, {345, 370}}};
    for (const auto& [item, spot] : table) {
        menu().MenuSelection = item;
        EXPECT_EQ(MenuCursorPosition(*game).x, spot.x) << item;
        EXPECT_EQ(MenuCursorPosition(*game).y, spot.y) << item;
    }
    menu().MenuSelection = 2;
    game->world.PlayerCount = 0; // not 2: one player
    EXPECT_EQ(MenuCursorPosition(*game).x, 473);
}

TEST_F(Menu, StartAndQuit) {
    Hold(kKeyLeft);
    EXPECT_EQ(RunMenu(*game), MenuResult::Start);
    EXPECT_EQ(menu().GameStarted, 1);
    EXPECT_EQ(menu().CursorPhase, 1); // the cursor was still drawn once more

    auto quitting = std::make_unique<Game>();
    quitting->images = game->images;
    quitting->clock = &clock;
    quitting->menu.MenuSelection = 4;
    quitting->keyboard.KeyState[kKeySpace] = -1;
    SetOutputRoutine(quitting->console, [](std::string_view, int) {});
    EXPECT_EQ(RunMenu(*quitting), MenuResult::Quit);
    EXPECT_EQ(quitting->menu.CursorPhase, 0); // left at once, mid-pass
}

TEST_F(Menu, HelpStaysUntilANewKeyPressNotAClick) {
    menu().MenuSelection = 3;
    Push(SDL_KEYDOWN, SDLK_SPACE);
    // While the help is up, the player keeps space held for a while, lets
    // go, clicks every mouse button (which leaves the help up), then taps
    // Return.
    int sleeps = 0;
    clock.onDelay = [&](FakeClock&) {
        ++sleeps;
        if (sleeps == 10) Push(SDL_KEYUP, SDLK_SPACE);
        if (sleeps == 15 || sleeps == 20) {
            for (Uint8 button = SDL_BUTTON_LEFT; button <= SDL_BUTTON_WHEELDOWN; ++button)
                PushButton(sleeps == 15 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, button);
        }
        if (sleeps == 30) Push(SDL_KEYDOWN, SDLK_RETURN);
        if (sleeps == 35) Push(SDL_KEYUP, SDLK_RETURN);
    };
    EXPECT_EQ(MenuPass(*game), MenuResult::Stay);
    EXPECT_GE(sleeps, 35); // it waited for the press and its release
    EXPECT_LT(sleeps, 40);
    EXPECT_EQ(menu().MenuSelection, 3);
    // Every sleep but the pass delay was a short one: no busy waiting, no long stall.
    for (std::size_t i = 1; i < clock.delays.size(); ++i)
        EXPECT_LE(clock.delays[i], 50u);
    EXPECT_EQ(game->keyboard.KeyState[kKeySpace], 0);
    EXPECT_EQ(game->keyboard.KeyState[kKeyReturn], 0);

    // The next pass is an ordinary one: nothing held, no help.
    clock.onDelay = nullptr;
    clock.delays.clear();
    MenuPass(*game);
    EXPECT_EQ(clock.delays, (std::vector<std::uint32_t>{250}));
}
