// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// How the game meets the desktop it runs on: the way sdl12-compat presents
// frames, what it need not load, and the video drivers that cannot show the
// game.
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
    const char* waylandSocket = nullptr;           // WAYLAND_SOCKET
    const char* runtimeDir = nullptr;              // XDG_RUNTIME_DIR
    const char* sessionType = nullptr;             // XDG_SESSION_TYPE
    const char* openGlLibrary = nullptr;           // SDL_OPENGL_LIBRARY
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

// Whether to make OpenGL unavailable to SDL (SDL_OPENGL_LIBRARY naming no
// library).  sdl12-compat 1.2.70 and later ask for an OpenGL window whenever
// SDL's first render driver is OpenGL, as it is on every Linux build,
// whatever renderer then draws, so even on the software framebuffer the
// process loads libGL, Mesa and libLLVM (80 MB more) and never uses them.
// From 1.2.72 on, sdl12-compat takes a plain window where OpenGL cannot be
// loaded.  Only for an X11 window on the software framebuffer, and never
// over the player's own choice of OpenGL library.
bool WantsOpenGlKeptOut(const DesktopFacts& facts);

// Whether to tell SDL that this is no Wayland session (XDG_SESSION_TYPE).
// Without WAYLAND_DISPLAY, SDL2 and SDL 3 still try the default Wayland
// socket unless the session type says otherwise, and with no absolute
// XDG_RUNTIME_DIR to find it in, libwayland prints an error on every try
// (four before the game's own message where there is no display at all).
// Only where no Wayland compositor can be reached, and no video driver and
// no session type was set.
bool WantsWaylandLeftOut(const DesktopFacts& facts);

// Looks at this process: the linked SDL, the environment, /dev/dri.
DesktopFacts GatherDesktopFacts(bool fullScreen);

// Before SDL starts: makes the settings the three decisions above ask for,
// each only where the variable is unset.
void ChoosePresentation(bool fullScreen);

// SDL's text-mode drivers (libcaca, aalib) draw into the very terminal the
// trace is on and take its keys, Ctrl-C included; SDL2's offscreen and
// dummy drivers, which sdl12-compat falls back on, show nothing at all and
// the game would run unseen for ever.  True when SDL picked one of these by
// itself, with no SDL_VIDEODRIVER naming it: there is no graphical display.
bool ChoseDriverWithoutDisplay(const char* chosenDriver, const char* requestedDriver);

// The one line that says so, naming what is missing (the X server on
// DISPLAY, the Wayland compositor, an SDL with a Wayland driver, or any
// display at all), with SDL's own reason where it gave one.
std::string NoGraphicalDisplayMessage(const DesktopFacts& facts, const std::string& reason = "");
