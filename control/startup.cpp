// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Start-up: everything that happens once before the title menu.
#include "control/startup.h"

#include "support/process.h"
#include "support/regular_file.h"
#include "support/rounding.h"
#include "support/text.h"
#include "video/desktop.h"
#include "video/draw.h"
#include "world/player.h"

#include <SDL.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

// The keys config.cfg understands, compared in this order.  A value key takes
// its number from the next item; a flag key adds an SDL video flag.
struct ConfigKey {
    const char* name;
    std::int32_t VideoSettings::*value; // null for a flag key
    std::uint32_t flag;
};

constexpr std::array<ConfigKey, 9> kConfigKeys{{
    {"xres", &VideoSettings::width, 0},
    {"yres", &VideoSettings::height, 0},
    {"depth", &VideoSettings::bitsPerPixel, 0},
    {"sdl_hwsurface", nullptr, SDL_HWSURFACE},
    {"sdl_swsurface", nullptr, SDL_SWSURFACE},
    {"sdl_doublebuf", nullptr, SDL_DOUBLEBUF},
    {"sdl_fullscreen", nullptr, SDL_FULLSCREEN},
    {"sdl_hwaccel", nullptr, SDL_HWACCEL},
    {"sdl_hwpalette", nullptr, SDL_HWPALETTE},
}};

std::string Normalised(const std::string& item) {
    return LowerCase(TrimLeft(TrimRight(item)));
}

// Copies the size of each image in a table into the same slot of a table of
// sizes; an empty slot stays 0 by 0.
template <std::size_t N>
std::array<Size, N> SizesOf(const std::array<SDL_Surface*, N>& images) {
    std::array<Size, N> sizes{};
    for (std::size_t i = 0; i < N; ++i)
        sizes[i] = {ImageWidth(images[i]), ImageHeight(images[i])};
    return sizes;
}

// A busy X server refuses a connection now and then, and SDL then goes on to
// those drivers as if there were no display at all.  With DISPLAY set, X is
// asked again a few times before the game gives up on it; a player's own
// SDL_VIDEODRIVER is never replaced, so then SDL's answer stands.
bool ReopenOnX11() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return false;
    const char* named = std::getenv("SDL_VIDEODRIVER");
    if (named != nullptr && *named != '\0') return false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Delay(100);
        setenv("SDL_VIDEODRIVER", "x11", 1); // the player named none
        const int status = SDL_InitSubSystem(SDL_INIT_VIDEO);
        unsetenv("SDL_VIDEODRIVER");
        if (status == 0) return true;
    }
    return false;
}

// The mode asked for, as a person reads it, and where it came from: without
// a readable config.cfg it was SDL's own choice.
std::string DescribeMode(const VideoSettings& v) {
    char mode[96];
    std::snprintf(mode, sizeof mode, "%dx%d at %d bits per pixel, flags 0x%08X", v.width, v.height,
                  v.bitsPerPixel, static_cast<unsigned>(v.flags));
    const char* source = IsRegularFile("config.cfg") && access("config.cfg", R_OK) == 0
                             ? " (from config.cfg)"
                             : " (no config.cfg)";
    return mode + std::string(source);
}

// With no graphical display, classic SDL falls back on a driver that draws
// in the terminal and takes its keys, so the player could not even leave;
// sdl12-compat falls back on one that shows nothing.
void RefuseDriverWithoutDisplay(Console& console) {
    char driver[32] = "";
    if (SDL_VideoDriverName(driver, sizeof driver) == nullptr) return;
    if (!ChoseDriverWithoutDisplay(driver, std::getenv("SDL_VIDEODRIVER"))) return;
    if (ReopenOnX11()) {
        ReclaimTerminal(console);
        return;
    }
    SDL_Quit(); // gives the terminal back before the message
    ExitWithError(console, NoGraphicalDisplayMessage(GatherDesktopFacts(false),
                                                     "SDL fell back on its " + std::string(driver) +
                                                         " driver"));
}

} // namespace

WorldSizes MeasureWorldSizes(const Images& images) {
    WorldSizes sizes;
    sizes.screenWidth = ScreenWidth(images);
    sizes.screenHeight = ScreenHeight(images);
    sizes.ship = SizesOf(images.ShipImage);
    sizes.enemy = SizesOf(images.EnemyImage);
    const std::array<Size, 16> bullets = SizesOf(images.BulletImage);
    for (std::size_t i = 0; i < bullets.size(); ++i)
        sizes.bulletHeight[i] = bullets[i].h;
    return sizes;
}

VideoSettings ReadVideoConfig(FileTable& files) {
    VideoSettings video;
    // A missing file leaves the number closed, and a closed number is at its
    // end, so the loop does not run and every setting stays 0.
    std::int32_t n = FreeFileNumber(files);
    OpenFile(files, "config.cfg", kModeInput, n);

    std::string item;
    while (!AtEndOfFile(files, n)) {
        InputText(files, n, item);
        std::string key = Normalised(item);
        for (const ConfigKey& entry : kConfigKeys) {
            if (CompareText(key, entry.name) != 0) continue;
            if (entry.value) {
                // The next item is the value, whatever it says.
                InputText(files, n, item);
                video.*entry.value = RoundToInt(ParseNumber(Normalised(item)));
            } else {
                video.flags =
                    static_cast<std::int32_t>(static_cast<std::uint32_t>(video.flags) | entry.flag);
            }
            break;
        }
    }
    CloseFile(files, n);
    return video;
}

void StartUp(Game& game) {
    Console& console = game.console;

    SeedRandom(game.random, ProcessTimer() / 3);
    PrintLine(console, "dimensioning memory"); // every table is fixed; nothing to allocate
    PrintLine(console, "loading video config");
    game.video = ReadVideoConfig(game.files);

    PrintLine(console, "initilizing sdl");
    ChoosePresentation((static_cast<std::uint32_t>(game.video.flags) & SDL_FULLSCREEN) != 0,
                       game.video.width, game.video.height);
    SDL_Init(SDL_INIT_VIDEO);
    RefuseDriverWithoutDisplay(console);
    SetWindowTitleAndIcon();

    PrintLine(console, "Creating Screen Surface");
    const VideoSettings& v = game.video;
    for (const auto& [name, side] : {std::pair{"xres", v.width}, std::pair{"yres", v.height}}) {
        if (side <= kLargestWindowSide) continue;
        SDL_Quit();
        ExitWithError(console, "novawing: cannot set the video mode " + DescribeMode(v) + ": " +
                                   name + " " + std::to_string(side) + " is more than " +
                                   std::to_string(kLargestWindowSide) +
                                   ", the largest side a window can have");
    }
    if (!OpenScreen(game.images, v.width, v.height, v.bitsPerPixel,
                    static_cast<std::uint32_t>(v.flags))) {
        std::string reason = SDL_GetError();
        // No video driver at all would start, and the player named none:
        // there is no display to set a mode on, which is what to hear.
        const char* named = std::getenv("SDL_VIDEODRIVER");
        const bool noDisplay = SDL_WasInit(SDL_INIT_VIDEO) == 0 && (named == nullptr || !*named);
        SDL_Quit();
        if (noDisplay)
            ExitWithError(console, NoGraphicalDisplayMessage(GatherDesktopFacts(false), reason));
        ExitWithError(console,
                      "novawing: cannot set the video mode " + DescribeMode(v) + ": " + reason);
    }

    PrintLine(console, "Loading Bitmaps");
    LoadFailure failure;
    if (!LoadGraphics(game.images, console, failure)) {
        SDL_Quit();
        ExitWithError(console,
                      "novawing: cannot load image " + failure.file + ": " + failure.reason);
    }

    // From here on the world knows the images only by their sizes.
    game.world.sizes = MeasureWorldSizes(game.images);

    // Player 2 gets its entry values too, though it may never join.
    SetEntryValues(game.world, 1);
    SetEntryValues(game.world, 2);

    game.menu.MenuSelection = 1;
    PrintLine(console, "starting menu");
}
