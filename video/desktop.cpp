// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The presentation choice for sdl12-compat, the window's scale, what it
// need not load, and the refusal of video drivers that show the player
// nothing.
#include "video/desktop.h"

#include "support/rounding.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <thread>
#include <tuple>

namespace {

// What SDL_OPENGL_LIBRARY names to keep OpenGL out: never a shared library,
// so loading it fails at once, with no search along the library path.
constexpr const char* kNoLibrary = "/dev/null";

// systemd's own word for a session of no known type.
constexpr const char* kNoSessionType = "unspecified";

bool Set(const char* value) {
    return value != nullptr && *value != '\0';
}

bool LinkedAtLeast(const DesktopFacts& facts, int major, int minor, int patch) {
    return std::tie(facts.sdlMajor, facts.sdlMinor, facts.sdlPatch) >=
           std::tie(major, minor, patch);
}

// sdl12-compat calls itself 1.2.50 and later; classic SDL 1.2 ended at 1.2.15.
bool Compat(const DesktopFacts& facts) {
    return LinkedAtLeast(facts, 1, 2, 50);
}

// SDL2 takes a comma-separated list of drivers, tried in order; the first
// one decides.
bool FirstDriverIs(const char* list, std::string_view name) {
    if (!Set(list)) return false;
    std::string_view drivers(list);
    return drivers.substr(0, drivers.find(',')) == name;
}

// Whether SDL2 under sdl12-compat will make a native Wayland window: asked
// for by name, or a Wayland session with no X server to fall back to.
bool NativeWayland(const DesktopFacts& facts) {
    if (Set(facts.videoDriver)) return FirstDriverIs(facts.videoDriver, "wayland");
    return !Set(facts.display) && Set(facts.waylandDisplay);
}

// Whether the window will be an X11 one: asked for by name, or the X
// server's DISPLAY with no native Wayland window in its place.
bool X11Window(const DesktopFacts& facts) {
    if (Set(facts.videoDriver)) return FirstDriverIs(facts.videoDriver, "x11");
    return Set(facts.display) && !NativeWayland(facts);
}

// X's own figure for a screen of no particular density: Xft.dpi 96 is a
// scale of 1, 192 one of 2.
constexpr long double kPlainDpi = 96.0L;

// A desktop's number as the desktop wrote it, in the C locale whatever the
// process's own: 0 for anything but a positive finite number, which is no
// scale at all.
long double DesktopNumber(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return 0.0L;
    if (!std::isfinite(value) || value <= 0.0) return 0.0L;
    return value;
}

// The desktop's scale for its programs, 0 where it says none.  The first
// of the three that is set decides, as the toolkits that read them do.
long double DesktopScale(const DesktopFacts& facts) {
    if (Set(facts.gdkScale)) return DesktopNumber(facts.gdkScale);
    if (Set(facts.qtScaleFactor)) return DesktopNumber(facts.qtScaleFactor);
    if (!facts.xftDpi.empty()) return DesktopNumber(facts.xftDpi) / kPlainDpi;
    return 0.0L;
}

// Whether how sdl12-compat shows a window is the game's to choose:
// sdl12-compat, windowed, and none of its own variables for it set by the
// player.
bool ShowingIsOurs(const DesktopFacts& facts) {
    if (!Compat(facts) || facts.fullScreen) return false;
    return facts.windowScaling == nullptr && facts.scaleMethod == nullptr &&
           facts.highDpi == nullptr;
}

// Whether the window's scale is the game's to choose: that, for a window of
// known sides on X.
bool ScaleIsOurs(const DesktopFacts& facts) {
    return ShowingIsOurs(facts) && X11Window(facts) && facts.windowWidth > 0 &&
           facts.windowHeight > 0;
}

// What the X server says: its screen's size and the Xft.dpi resource.  A
// busy server refuses a connection now and then, so it is asked up to three
// times; without an answer there is no scale, and SDL meets the same server
// on its own.
void ReadXServer(DesktopFacts& facts) {
    Display* display = nullptr;
    for (int attempt = 0; attempt < 3 && display == nullptr; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        display = XOpenDisplay(facts.display);
    }
    if (display == nullptr) return;
    const int screen = DefaultScreen(display);
    facts.screenWidth = DisplayWidth(display, screen);
    facts.screenHeight = DisplayHeight(display, screen);
    if (const char* resources = XResourceManagerString(display)) {
        XrmInitialize();
        if (XrmDatabase database = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value{};
            if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) &&
                value.addr != nullptr)
                facts.xftDpi.assign(value.addr, strnlen(value.addr, value.size));
            XrmDestroyDatabase(database);
        }
    }
    XCloseDisplay(display);
}

bool AnyRenderNode() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error))
        if (entry.path().filename().string().rfind("renderD", 0) == 0) return true;
    return false;
}

} // namespace

bool WantsSoftwareFramebuffer(const DesktopFacts& facts) {
    if (!Compat(facts)) return false;
    if (facts.renderDriver != nullptr || facts.framebufferAcceleration != nullptr) return false;
    if (NativeWayland(facts)) return false;
    return !facts.fullScreen || !facts.gpuRenderNode;
}

bool WantsOpenGlKeptOut(const DesktopFacts& facts) {
    // 1.2.70 asks for the OpenGL window too, but has no way back from a
    // window that cannot have OpenGL: the game would get none.
    if (!LinkedAtLeast(facts, 1, 2, 72)) return false;
    if (facts.openGlLibrary != nullptr) return false;
    return WantsSoftwareFramebuffer(facts) && X11Window(facts);
}

bool WantsWaylandLeftOut(const DesktopFacts& facts) {
    if (!Compat(facts)) return false; // classic SDL 1.2 has no Wayland driver
    if (facts.sessionType != nullptr || facts.videoDriver != nullptr) return false;
    // libwayland finds a compositor by WAYLAND_SOCKET, by an absolute
    // WAYLAND_DISPLAY, or by a name in an absolute XDG_RUNTIME_DIR
    // (wayland-0 where WAYLAND_DISPLAY is unset).
    if (facts.waylandDisplay != nullptr || facts.waylandSocket != nullptr) return false;
    return facts.runtimeDir == nullptr || facts.runtimeDir[0] != '/';
}

std::int32_t WindowScale(const DesktopFacts& facts) {
    if (!ScaleIsOurs(facts)) return 1;
    std::int32_t scale = FloorToInt(DesktopScale(facts));
    // Beyond the largest side any window can have, it describes no desktop.
    if (scale < 2 || scale > kLargestWindowSide) return 1;
    // Whole window sides: the integer quotients are the largest that fit.
    scale = std::min(
        {scale, kLargestWindowSide / facts.windowWidth, kLargestWindowSide / facts.windowHeight});
    if (facts.screenWidth > 0 && facts.screenHeight > 0)
        scale = std::min({scale, facts.screenWidth / facts.windowWidth,
                          facts.screenHeight / facts.windowHeight});
    return std::max(scale, 1);
}

bool WantsNearestPixels(const DesktopFacts& facts) {
    if (!ShowingIsOurs(facts)) return false;
    return NativeWayland(facts) || WindowScale(facts) > 1;
}

bool WantsWaylandOutputScale(const DesktopFacts& facts) {
    return ShowingIsOurs(facts) && NativeWayland(facts) && facts.waylandScaleToDisplay == nullptr;
}

DesktopFacts GatherDesktopFacts(bool fullScreen, int width, int height) {
    DesktopFacts facts;
    const SDL_version* linked = SDL_Linked_Version();
    facts.sdlMajor = linked->major;
    facts.sdlMinor = linked->minor;
    facts.sdlPatch = linked->patch;
    facts.renderDriver = std::getenv("SDL_RENDER_DRIVER");
    facts.framebufferAcceleration = std::getenv("SDL_FRAMEBUFFER_ACCELERATION");
    facts.videoDriver = std::getenv("SDL_VIDEODRIVER");
    facts.display = std::getenv("DISPLAY");
    facts.waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    facts.waylandSocket = std::getenv("WAYLAND_SOCKET");
    facts.runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    facts.sessionType = std::getenv("XDG_SESSION_TYPE");
    facts.openGlLibrary = std::getenv("SDL_OPENGL_LIBRARY");
    facts.windowScaling = std::getenv("SDL12COMPAT_WINDOW_SCALING");
    facts.scaleMethod = std::getenv("SDL12COMPAT_SCALE_METHOD");
    facts.highDpi = std::getenv("SDL12COMPAT_HIGHDPI");
    facts.waylandScaleToDisplay = std::getenv("SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY");
    facts.gdkScale = std::getenv("GDK_SCALE");
    facts.qtScaleFactor = std::getenv("QT_SCALE_FACTOR");
    facts.fullScreen = fullScreen;
    facts.windowWidth = width;
    facts.windowHeight = height;
    facts.gpuRenderNode = fullScreen && AnyRenderNode(); // looked for only when it matters
    // The X server is asked only where its answer can matter: a window whose
    // scale is ours, and no desktop variable that has already put the scale
    // below 2 (GDK_SCALE and QT_SCALE_FACTOR come before Xft.dpi).
    const bool decided = Set(facts.gdkScale) || Set(facts.qtScaleFactor);
    if (ScaleIsOurs(facts) && (!decided || FloorToInt(DesktopScale(facts)) >= 2))
        ReadXServer(facts);
    return facts;
}

void ChoosePresentation(bool fullScreen, int width, int height) {
    // All six decided on the player's environment, before any is set.
    const DesktopFacts facts = GatherDesktopFacts(fullScreen, width, height);
    const bool software = WantsSoftwareFramebuffer(facts);
    const bool noOpenGl = WantsOpenGlKeptOut(facts);
    const bool noWayland = WantsWaylandLeftOut(facts);
    const std::int32_t scale = WindowScale(facts);
    const bool nearest = WantsNearestPixels(facts);
    const bool outputScale = WantsWaylandOutputScale(facts);
    if (scale > 1) setenv("SDL12COMPAT_WINDOW_SCALING", std::to_string(scale).c_str(), 0);
    // Whole pixels, each a block of one colour: a blurred game pixel helps
    // nobody.
    if (nearest) setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
    // SDL 3 lets the environment override a hint of normal priority, as
    // sdl2-compat's is; SDL2 has the same default.
    if (outputScale) setenv("SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY", "0", 0);
    if (software) {
        setenv("SDL_RENDER_DRIVER", "software", 0);
        setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    }
    if (noOpenGl) setenv("SDL_OPENGL_LIBRARY", kNoLibrary, 0);
    if (noWayland) setenv("XDG_SESSION_TYPE", kNoSessionType, 0);
}

bool ChoseDriverWithoutDisplay(const char* chosenDriver, const char* requestedDriver) {
    if (chosenDriver == nullptr) return false;
    const std::string_view chosen(chosenDriver);
    if (chosen != "caca" && chosen != "aalib" && chosen != "offscreen" && chosen != "dummy")
        return false;
    // Named by the player, it is what the player wants.
    return !Set(requestedDriver) || std::strstr(requestedDriver, chosenDriver) == nullptr;
}

std::string NoGraphicalDisplayMessage(const DesktopFacts& facts, const std::string& reason) {
    const bool x = Set(facts.display);
    const bool wayland = Set(facts.waylandDisplay);
    const std::string waylandName = wayland ? facts.waylandDisplay : "";
    std::string what;
    std::string advice = "start the game from a desktop session, or name a video driver in "
                         "SDL_VIDEODRIVER";
    if (x) {
        what = "cannot reach an X server on DISPLAY=" + std::string(facts.display);
        if (wayland)
            what += Compat(facts) ? " nor a Wayland compositor on WAYLAND_DISPLAY=" + waylandName
                                  : ", and classic SDL 1.2 has no Wayland driver for "
                                    "WAYLAND_DISPLAY=" +
                                        waylandName;
    } else if (wayland && !Compat(facts)) {
        what = "a Wayland session with no Xwayland (WAYLAND_DISPLAY=" + waylandName +
               ", DISPLAY unset), and classic SDL 1.2 has no Wayland driver";
        advice = "start it where Xwayland runs, or on sdl12-compat, which opens Wayland windows";
    } else if (wayland && waylandName[0] != '/' &&
               (facts.runtimeDir == nullptr || facts.runtimeDir[0] != '/')) {
        // libwayland looks for a relative name in XDG_RUNTIME_DIR only.
        what = "WAYLAND_DISPLAY=" + waylandName + " names a socket in XDG_RUNTIME_DIR, which " +
               (Set(facts.runtimeDir) ? "is not an absolute path" : "is unset") +
               ", and DISPLAY is unset";
    } else if (wayland) {
        what = "cannot reach a Wayland compositor on WAYLAND_DISPLAY=" + waylandName +
               ", and DISPLAY is unset";
    } else {
        what = "DISPLAY and WAYLAND_DISPLAY are both unset, as outside a desktop session";
    }
    std::string message = "novawing: no graphical display is available: " + what;
    if (!reason.empty()) message += " (" + reason + ")";
    return message + "; " + advice;
}
