// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// How the game meets the desktop it runs on: the way sdl12-compat presents
// frames, and the video drivers that cannot show the game.
#pragma once

#include <string>

// What the presentation choice looks at, gathered once so the choice itself
// is a plain function.
struct DesktopFacts {
    int sdlMajor = 1, sdlMinor = 2, sdlPatch = 15; // the SDL 1.2 linked at run time
    const char* renderDriver = nullptr;            // SDL_RENDER_DRIVER, null when unset
    const char* framebufferAcceleration = nullptr; // SDL_FRAMEBUFFER_ACCELERATION
    const char* videoDriver = nullptr;             // SDL_VIDEODRIVER
    const char* display = nullptr;                 // DISPLAY
    const char* waylandDisplay = nullptr;          // WAYLAND_DISPLAY
    bool fullScreen = false;                       // the mode config.cfg asks for
    bool gpuRenderNode = false;                    // a /dev/dri/renderD* exists
};

// Whether SDL2's software framebuffer should be asked for.  sdl12-compat
// (SDL 1.2.50 and later) otherwise presents each frame through SDL2's
// renderer, which without a GPU means software OpenGL: several times the
// CPU and memory of copying the frame to the X server.  Windowed, the copy
// costs what classic SDL costs on any machine; full screen scales, which is
// cheap on a GPU, so there the software path is taken only without one.
// A native Wayland client has no window framebuffer at all, and a player's
// own setting of either variable always stands.
bool WantsSoftwareFramebuffer(const DesktopFacts& facts);

// Looks at this process: the linked SDL, the environment, /dev/dri.
DesktopFacts GatherDesktopFacts(bool fullScreen);

// Before SDL starts: asks sdl12-compat for the software framebuffer where
// WantsSoftwareFramebuffer says so.
void ChoosePresentation(bool fullScreen);

// SDL's text-mode drivers (libcaca, aalib) draw into the very terminal the
// trace is on and take its keys, Ctrl-C included; SDL2's offscreen and
// dummy drivers, which sdl12-compat falls back on, show nothing at all and
// the game would run unseen for ever.  True when SDL picked one of these by
// itself, with no SDL_VIDEODRIVER naming it: there is no graphical display.
bool ChoseDriverWithoutDisplay(const char* chosenDriver, const char* requestedDriver);

// The one line that says so, naming the display, with SDL's own reason
// where it gave one.
std::string NoGraphicalDisplayMessage(const char* display, const std::string& reason = "");
