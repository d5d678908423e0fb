// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// How the game meets the desktop it runs on: the way sdl12-compat presents
// frames, the size it shows them at, what it need not load, and the video
// drivers that cannot show the game.
#pragma once

#include <cstdint>
#include <string>

// X keeps a window's width and height in 16 bits, as SDL 1.2 keeps its
// rectangles'.  Classic SDL asks X for a larger window all the same, and X's
// refusal is an error whose handler in Xlib ends the process; a side that
// wraps round to a smaller one is granted, as a window of the wrong size.
constexpr std::int32_t kLargestWindowSide = 65535;

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
    const char* windowScaling = nullptr;           // SDL12COMPAT_WINDOW_SCALING
    const char* scaleMethod = nullptr;             // SDL12COMPAT_SCALE_METHOD
    const char* highDpi = nullptr;                 // SDL12COMPAT_HIGHDPI
    const char* waylandScaleToDisplay = nullptr;   // SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY
    const char* gdkScale = nullptr;                // GDK_SCALE
    const char* qtScaleFactor = nullptr;           // QT_SCALE_FACTOR
    std::string xftDpi;                            // X's Xft.dpi resource, empty when none
    bool fullScreen = false;                       // the mode config.cfg asks for
    int windowWidth = 0, windowHeight = 0;         // its sides, 0 when SDL chooses
    int screenWidth = 0, screenHeight = 0;         // the X screen's, 0 when unknown
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

// The whole factor sdl12-compat should show the window at
// (SDL12COMPAT_WINDOW_SCALING, with nearest-neighbour pixels), 1 for none.
// A desktop at 200 % makes every program's window twice as large; the game's
// screen, and everything it computes, stays the mode config.cfg asks for,
// only the window shows each pixel as a 2 x 2 block.  The desktop's scale is
// the first of GDK_SCALE, QT_SCALE_FACTOR and X's Xft.dpi (96 is 1) that is
// set, rounded down; one that is no positive finite number, or larger than
// any window's side, means no scale.
// Only windowed, for an X11 window of a mode of known sides, kept within the
// screen and within kLargestWindowSide, and never where the player set any
// of sdl12-compat's own three variables for this.  A native Wayland window
// is left to SDL, which follows the output's scale there itself.
std::int32_t WindowScale(const DesktopFacts& facts);

// Whether sdl12-compat should scale the picture to its window with
// nearest-neighbour pixels (SDL12COMPAT_SCALE_METHOD): wherever the game
// scales the window, and for every native Wayland window, which SDL draws
// at the output's scale (a 640x480 window is 1280x960 pixels at 200 %) and
// would otherwise blur.  Windowed only (full screen keeps SDL's smooth
// scaling to the screen) and, again, never over the player's own settings.
bool WantsNearestPixels(const DesktopFacts& facts);

// Whether to ask SDL 3 to size a native Wayland window in the desktop's
// units (SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY=0), as SDL2 does.  sdl2-compat
// (the SDL2 of sdl12-compat on SDL 3) sets it to 1, and a 640x480 window is
// then 640x480 of the output's pixels: at 200 % a quarter of the size of
// every other window.  Where the same conditions hold as for nearest pixels
// on Wayland, and never over the player's own setting.
bool WantsWaylandOutputScale(const DesktopFacts& facts);

// Looks at this process: the linked SDL, the environment, /dev/dri, and
// where a scaled window is possible the X server's Xft.dpi and screen size.
DesktopFacts GatherDesktopFacts(bool fullScreen, int width = 0, int height = 0);

// Before SDL starts: makes the settings the six decisions above ask for,
// each only where the variable is unset.  `width` and `height` are the
// mode config.cfg asks for.
void ChoosePresentation(bool fullScreen, int width, int height);

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
