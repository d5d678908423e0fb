// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// One fixed stretch of play, drawn headless, and the finished pictures taken
// out of it: render_frames saves them for people to look at, and the depth
// tests compare them with the pictures classic SDL 1.2.15 drew.  It runs the
// real start-up (config.cfg, the images in data/, the entry values) and the
// real frame, RunFrame, on SDL's dummy video driver; a picture is taken at
// the moment its page flip is announced on the console, when the screen
// holds the finished frame and has not been cleared yet.
//
// Picture 0 is the title menu as its first pass draws it (the title with
// the cursor by Start), and the others are frames of play, by number.
#pragma once

#include "control/frame_loop.h"
#include "control/game.h"
#include "control/menu.h"
#include "control/startup.h"
#include "video/draw.h"

#include <SDL.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace frames {

// What the players do: at frame `at`, key `key` goes down (or up).
struct KeyStep {
    int at;
    SDLKey key;
    bool down;
};

constexpr std::array<KeyStep, 18> kScript{{
    {1, SDLK_SPACE, true}, // player 1 fires all the way through
    {20, SDLK_LEFT, true},
    {45, SDLK_LEFT, false},
    {60, SDLK_UP, true},
    {75, SDLK_UP, false},
    {90, SDLK_RIGHT, true},
    {130, SDLK_RIGHT, false},
    {140, SDLK_RALT, true}, // a burst of missiles
    {170, SDLK_RALT, false},
    {330, SDLK_2, true}, // player 2 joins after player 1 is out
    {332, SDLK_2, false},
    {335, SDLK_f, true},
    {340, SDLK_a, true},
    {380, SDLK_a, false},
    {381, SDLK_g, true},
    {400, SDLK_g, false},
    {420, SDLK_w, true},
    {440, SDLK_w, false},
}};

// Pictures worth a look: the title menu, early play, missiles in flight,
// the explosion of the last ship, the game-over screen in both blink
// phases, the join, and two players with player 1 out.
constexpr std::array<int, 13> kPictures{
    {0, 2, 30, 100, 150, 175, 230, 262, 300, 320, 345, 390, 430}};
constexpr int kFrames = 450;
constexpr int kLastShipLost = 219; // the frame whose update finds player 1 without ships

inline void PushKey(SDLKey key, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

inline bool IsPicture(int frame) {
    for (int picture : kPictures)
        if (picture == frame) return true;
    return false;
}

// Plays the script in the working directory, which must hold config.cfg and
// data/, and hands each picture of kPictures to `take` with its number.
// Start-up is the game's own: a mode that cannot be set or an image that
// does not load ends the process with the game's message.
inline void PlayScript(Game& game, const std::function<void(int, SDL_Surface*)>& take) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    int frame = 0;
    std::string line;
    // The trace goes nowhere; its "PageFlip" line says a frame is finished.
    SetOutputRoutine(game.console, [&](std::string_view text, int flags) {
        line += text;
        if (!(flags & kPrintLineEnd)) return;
        if (frame > 0 && line.rfind("PageFlip", 0) == 0 && IsPicture(frame))
            take(frame, game.images.screen);
        line.clear();
    });

    StartUp(game);
    SeedRandom(game.random, 7); // the same play every run

    // The menu's first pass: the title, and the cursor by Start.
    SDL_Surface* screen = game.images.screen;
    BlitAt(screen, 0, 0, game.images.TitleImage);
    const CursorSpot spot = MenuCursorPosition(game);
    BlitAt(screen, spot.x, spot.y, game.images.BulletImage[1]);
    take(0, screen);
    PageFlip(screen);

    BeginFrameLoop(game);
    for (frame = 1; frame <= kFrames; ++frame) {
        for (const KeyStep& step : kScript)
            if (step.at == frame) PushKey(step.key, step.down);
        if (frame == kLastShipLost) {
            // Cut the story short: player 1's last ship has just been
            // destroyed, and this frame's update finds it out of ships.
            Player& one = game.world.players[1];
            one.lives = 0;
            one.health = 0;
            game.world.control[1].Dead = 1;
            game.world.control[1].RespawnDelay = 0;
        }
        RunFrame(game);
    }
    FreeGraphics(game.images);
    SDL_Quit();
}

// The colours a picture shows, three bytes a pixel (red, green, blue), row
// by row, worked out from the surface's own layout: an 8-bit screen's pixel
// is an index into its palette, and a packed pixel's channels are read
// through its masks, a channel of fewer than 8 bits shifted up to the top
// of its byte (as classic SDL reads it back).  The same picture gives the
// same bytes whatever SDL drew it or in whatever layout.
inline std::vector<std::uint8_t> PictureColours(SDL_Surface* screen) {
    const SDL_PixelFormat* f = screen->format;
    const int bytes = f->BytesPerPixel;
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(screen->w) * screen->h * 3);
    auto channel = [](Uint32 pixel, Uint32 mask) -> std::uint8_t {
        if (mask == 0) return 0;
        int shift = 0, bits = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        while (shift + bits < 32 && ((mask >> (shift + bits)) & 1))
            ++bits;
        const Uint32 value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
    };
    SDL_LockSurface(screen);
    for (int y = 0; y < screen->h; ++y) {
        const auto* row = static_cast<const Uint8*>(screen->pixels) + y * screen->pitch;
        for (int x = 0; x < screen->w; ++x) {
            Uint32 pixel = 0;
            for (int i = 0; i < bytes; ++i) // little-endian, as this machine stores them
                pixel |= static_cast<Uint32>(row[x * bytes + i]) << (8 * i);
            if (f->palette != nullptr) {
                const SDL_Color& c =
                    f->palette
                        ->colors[pixel < static_cast<Uint32>(f->palette->ncolors) ? pixel : 0];
                rgb.insert(rgb.end(), {c.r, c.g, c.b});
            } else {
                rgb.insert(rgb.end(), {channel(pixel, f->Rmask), channel(pixel, f->Gmask),
                                       channel(pixel, f->Bmask)});
            }
        }
    }
    SDL_UnlockSurface(screen);
    return rgb;
}

// A scratch game directory for one screen depth: config.cfg asks for
// 640 x 480 at that depth, and data/ is the game directory's own, linked.
// The working directory is the scratch one for the object's life.
class DepthGameDir {
  public:
    explicit DepthGameDir(int depth) : home_(std::filesystem::current_path()) {
        char pattern[] = "/tmp/novawing-depth-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        root_ = pattern;
        std::filesystem::create_directory_symlink(home_ / "data", root_ / "data");
        std::ofstream(root_ / "config.cfg") << "xres\n640\nyres\n480\ndepth\n"
                                            << depth << "\nsdl_swsurface\n";
        std::filesystem::current_path(root_);
    }
    ~DepthGameDir() {
        if (root_.empty()) return;
        std::error_code ignored;
        std::filesystem::current_path(home_, ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    DepthGameDir(const DepthGameDir&) = delete;
    DepthGameDir& operator=(const DepthGameDir&) = delete;
    bool Ready() const { return !root_.empty(); }

  private:
    std::filesystem::path home_, root_;
};

} // namespace frames
