// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The presentation choice for sdl12-compat and the refusal of video
// drivers that show the player nothing.
#include "video/desktop.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace {

bool Set(const char* value) {
    return value != nullptr && *value != '\0';
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

bool AnyRenderNode() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error))
        if (entry.path().filename().string().rfind("renderD", 0) == 0) return true;
    return false;
}

} // namespace

bool WantsSoftwareFramebuffer(const DesktopFacts& facts) {
    const bool compat = facts.sdlMajor > 1 ||
                        (facts.sdlMajor == 1 &&
                         (facts.sdlMinor > 2 || (facts.sdlMinor == 2 && facts.sdlPatch >= 50)));
    if (!compat) return false;
    if (facts.renderDriver != nullptr || facts.framebufferAcceleration != nullptr) return false;
    if (NativeWayland(facts)) return false;
    return !facts.fullScreen || !facts.gpuRenderNode;
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
    facts.fullScreen = fullScreen;
    facts.gpuRenderNode = fullScreen && AnyRenderNode(); // looked for only when it matters
    return facts;
}

void ChoosePresentation(bool fullScreen) {
    if (!WantsSoftwareFramebuffer(GatherDesktopFacts(fullScreen))) return;
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
}

bool ChoseDriverWithoutDisplay(const char* chosenDriver, const char* requestedDriver) {
    if (chosenDriver == nullptr) return false;
    const std::string_view chosen(chosenDriver);
    if (chosen != "caca" && chosen != "aalib" && chosen != "offscreen" && chosen != "dummy")
        return false;
    // Named by the player, it is what the player wants.
    return !Set(requestedDriver) || std::strstr(requestedDriver, chosenDriver) == nullptr;
}

std::string NoGraphicalDisplayMessage(const char* display, const std::string& reason) {
    std::string message = "novawing: no graphical display is available ";
    message += Set(display) ? "on DISPLAY=" + std::string(display) : "with DISPLAY unset";
    if (!reason.empty()) message += " (" + reason + ")";
    return message + "; start the game from a desktop session, or name a video driver in "
                     "SDL_VIDEODRIVER";
}
