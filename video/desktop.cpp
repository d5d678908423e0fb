// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The presentation choice for sdl12-compat, what it need not load, and the
// refusal of video drivers that show the player nothing.
#include "video/desktop.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
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

DesktopFacts GatherDesktopFacts(bool fullScreen) {
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
    facts.fullScreen = fullScreen;
    facts.gpuRenderNode = fullScreen && AnyRenderNode(); // looked for only when it matters
    return facts;
}

void ChoosePresentation(bool fullScreen) {
    // All three decided on the player's environment, before any is set.
    const DesktopFacts facts = GatherDesktopFacts(fullScreen);
    const bool software = WantsSoftwareFramebuffer(facts);
    const bool noOpenGl = WantsOpenGlKeptOut(facts);
    const bool noWayland = WantsWaylandLeftOut(facts);
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
