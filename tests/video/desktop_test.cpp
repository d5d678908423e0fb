// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// How the game meets the desktop: when sdl12-compat is asked for its
// software framebuffer and kept from OpenGL, when SDL is told there is no
// Wayland to try, which video drivers mean there is no display, and what the
// game then says.
#include "video/desktop.h"

#include <gtest/gtest.h>

namespace {

// sdl12-compat on an X desktop, windowed, nothing set by the player.
DesktopFacts CompatOnX() {
    DesktopFacts facts;
    facts.sdlPatch = 68;
    facts.display = ":0";
    return facts;
}

// sdl12-compat with nothing to show on at all: no display and no session.
DesktopFacts CompatNowhere() {
    DesktopFacts facts;
    facts.sdlPatch = 78;
    return facts;
}

bool Has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(Presentation, SoftwareFramebufferOnlyWhereItIsTheCheapWayAndNobodyChoseOtherwise) {
    EXPECT_TRUE(WantsSoftwareFramebuffer(CompatOnX()));

    // Classic SDL 1.2 has no SDL2 underneath to ask.
    DesktopFacts classic = CompatOnX();
    classic.sdlPatch = 15;
    EXPECT_FALSE(WantsSoftwareFramebuffer(classic));
    for (int patch : {50, 64}) {
        DesktopFacts compat = CompatOnX();
        compat.sdlPatch = patch;
        EXPECT_TRUE(WantsSoftwareFramebuffer(compat)) << patch;
    }

    // The player's own setting of either variable stands, whatever it says.
    DesktopFacts player = CompatOnX();
    player.renderDriver = "opengl";
    EXPECT_FALSE(WantsSoftwareFramebuffer(player));
    player = CompatOnX();
    player.framebufferAcceleration = "";
    EXPECT_FALSE(WantsSoftwareFramebuffer(player));

    // Full screen scales: software only where there is no GPU to do it.
    DesktopFacts full = CompatOnX();
    full.fullScreen = true;
    EXPECT_TRUE(WantsSoftwareFramebuffer(full));
    full.gpuRenderNode = true;
    EXPECT_FALSE(WantsSoftwareFramebuffer(full));
    DesktopFacts windowedGpu = CompatOnX();
    windowedGpu.gpuRenderNode = true;
    EXPECT_TRUE(WantsSoftwareFramebuffer(windowedGpu));
}

TEST(Presentation, NativeWaylandHasNoWindowFramebufferToAskFor) {
    DesktopFacts wayland = CompatOnX();
    wayland.videoDriver = "wayland";
    EXPECT_FALSE(WantsSoftwareFramebuffer(wayland));
    wayland.videoDriver = "wayland,x11";
    EXPECT_FALSE(WantsSoftwareFramebuffer(wayland));

    // X11 named first, or XWayland's DISPLAY in a Wayland session: an X window.
    DesktopFacts x = CompatOnX();
    x.videoDriver = "x11,wayland";
    x.waylandDisplay = "wayland-1";
    EXPECT_TRUE(WantsSoftwareFramebuffer(x));
    x.videoDriver = nullptr;
    EXPECT_TRUE(WantsSoftwareFramebuffer(x));

    // A Wayland session with no X server: SDL2 can only go native.
    DesktopFacts only = CompatOnX();
    only.display = nullptr;
    only.waylandDisplay = "wayland-1";
    EXPECT_FALSE(WantsSoftwareFramebuffer(only));
}

TEST(Presentation, OpenGlIsKeptOutOfAnX11WindowOnTheSoftwareFramebufferOnly) {
    DesktopFacts x = CompatOnX();
    for (int patch : {72, 78, 90}) {
        x.sdlPatch = patch;
        EXPECT_TRUE(WantsOpenGlKeptOut(x)) << patch;
    }
    // 1.2.70 asks for OpenGL too but cannot do without it: it would get no
    // window at all.  Before that, and on classic SDL, nothing asks for it.
    for (int patch : {15, 60, 68, 70}) {
        x.sdlPatch = patch;
        EXPECT_FALSE(WantsOpenGlKeptOut(x)) << patch;
    }

    DesktopFacts player = CompatOnX();
    player.sdlPatch = 78;
    player.openGlLibrary = "";
    EXPECT_FALSE(WantsOpenGlKeptOut(player)) << "the player's own OpenGL library";
    player.openGlLibrary = nullptr;
    player.renderDriver = "software";
    EXPECT_FALSE(WantsOpenGlKeptOut(player)) << "the player chose the presentation";

    // Full screen with a GPU is scaled through OpenGL on purpose.
    DesktopFacts full = CompatOnX();
    full.sdlPatch = 78;
    full.fullScreen = true;
    EXPECT_TRUE(WantsOpenGlKeptOut(full));
    full.gpuRenderNode = true;
    EXPECT_FALSE(WantsOpenGlKeptOut(full));

    // Only an X11 window: not a native Wayland one, nor another driver named.
    DesktopFacts named = CompatOnX();
    named.sdlPatch = 78;
    named.videoDriver = "x11,wayland";
    EXPECT_TRUE(WantsOpenGlKeptOut(named));
    for (const char* driver : {"wayland", "kmsdrm"}) {
        named.videoDriver = driver;
        EXPECT_FALSE(WantsOpenGlKeptOut(named)) << driver;
    }
    DesktopFacts waylandOnly = CompatNowhere();
    waylandOnly.waylandDisplay = "wayland-1";
    EXPECT_FALSE(WantsOpenGlKeptOut(waylandOnly));
    EXPECT_FALSE(WantsOpenGlKeptOut(CompatNowhere())) << "no window to keep it out of";
}

TEST(NoDisplay, WaylandIsLeftOutOnlyWhereNoCompositorCanBeReached) {
    EXPECT_TRUE(WantsWaylandLeftOut(CompatNowhere()));
    DesktopFacts x = CompatOnX();
    EXPECT_TRUE(WantsWaylandLeftOut(x)) << "X with no runtime folder";
    x.runtimeDir = "run/user/1000";
    EXPECT_TRUE(WantsWaylandLeftOut(x)) << "libwayland takes only an absolute runtime folder";

    // Wherever libwayland could find a compositor, SDL may look.
    DesktopFacts session = CompatOnX();
    session.runtimeDir = "/run/user/1000";
    EXPECT_FALSE(WantsWaylandLeftOut(session));
    auto with = [](const char* DesktopFacts::*setting, const char* value) {
        DesktopFacts facts = CompatNowhere();
        facts.*setting = value;
        return facts;
    };
    for (const char* name : {"wayland-1", "/tmp/wayland-1", ""})
        EXPECT_FALSE(WantsWaylandLeftOut(with(&DesktopFacts::waylandDisplay, name))) << name;
    EXPECT_FALSE(WantsWaylandLeftOut(with(&DesktopFacts::waylandSocket, "3")));

    // The player's own session type and video driver stand.
    for (const char* type : {"tty", "wayland", ""})
        EXPECT_FALSE(WantsWaylandLeftOut(with(&DesktopFacts::sessionType, type))) << type;
    EXPECT_FALSE(WantsWaylandLeftOut(with(&DesktopFacts::videoDriver, "wayland")));

    DesktopFacts classic = CompatNowhere();
    classic.sdlPatch = 15;
    EXPECT_FALSE(WantsWaylandLeftOut(classic)) << "classic SDL 1.2 never tries Wayland";
}

TEST(NoDisplay, DriversThatShowNothingAreRefusedUnlessThePlayerNamedThem) {
    for (const char* driver : {"caca", "aalib", "offscreen", "dummy"}) {
        EXPECT_TRUE(ChoseDriverWithoutDisplay(driver, nullptr)) << driver;
        EXPECT_TRUE(ChoseDriverWithoutDisplay(driver, "")) << driver;
        EXPECT_TRUE(ChoseDriverWithoutDisplay(driver, "x11")) << driver;
        EXPECT_FALSE(ChoseDriverWithoutDisplay(driver, driver)) << driver;
    }
    for (const char* driver : {"x11", "wayland", "fbcon", "kmsdrm"})
        EXPECT_FALSE(ChoseDriverWithoutDisplay(driver, nullptr)) << driver;
    EXPECT_FALSE(ChoseDriverWithoutDisplay(nullptr, nullptr));
}

TEST(NoDisplay, TheMessageNamesWhatIsMissingOnOneLine) {
    // Every message is one line of the game's own, whatever it names.
    auto message = [](const DesktopFacts& facts, const std::string& reason = "") {
        const std::string text = NoGraphicalDisplayMessage(facts, reason);
        EXPECT_EQ(text.rfind("novawing: no graphical display is available", 0), 0u) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
        return text;
    };

    DesktopFacts x = CompatOnX();
    x.display = ":42";
    const std::string named = message(x);
    EXPECT_TRUE(Has(named, "X server on DISPLAY=:42")) << named;
    EXPECT_FALSE(Has(named, "Wayland")) << named;
    const std::string why = message(x, "No available video device");
    EXPECT_TRUE(Has(why, "(No available video device)")) << why;

    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        DesktopFacts nowhere = CompatNowhere();
        nowhere.display = unset;
        const std::string text = message(nowhere);
        EXPECT_TRUE(Has(text, "DISPLAY and WAYLAND_DISPLAY are both unset")) << text;
    }

    // A Wayland session with no Xwayland: on classic SDL it is the SDL that
    // is missing, on sdl12-compat the compositor, or the folder its socket
    // is looked for in.
    DesktopFacts classic = CompatNowhere();
    classic.sdlPatch = 15;
    classic.waylandDisplay = "wayland-1";
    classic.runtimeDir = "/run/user/1000";
    const std::string noDriver = message(classic);
    EXPECT_TRUE(Has(noDriver, "no Xwayland (WAYLAND_DISPLAY=wayland-1, DISPLAY unset)"))
        << noDriver;
    EXPECT_TRUE(Has(noDriver, "classic SDL 1.2 has no Wayland driver")) << noDriver;
    EXPECT_TRUE(Has(noDriver, "sdl12-compat")) << noDriver;

    DesktopFacts compat = classic;
    compat.sdlPatch = 78;
    const std::string noCompositor = message(compat);
    EXPECT_TRUE(Has(noCompositor, "Wayland compositor on WAYLAND_DISPLAY=wayland-1"))
        << noCompositor;
    EXPECT_FALSE(Has(noCompositor, "driver for")) << noCompositor;
    EXPECT_FALSE(Has(noCompositor, "XDG_RUNTIME_DIR")) << noCompositor;
    compat.runtimeDir = nullptr;
    const std::string noFolder = message(compat);
    EXPECT_TRUE(Has(noFolder, "WAYLAND_DISPLAY=wayland-1 names a socket in XDG_RUNTIME_DIR, "
                              "which is unset"))
        << noFolder;
    compat.waylandDisplay = "/tmp/wayland-1"; // needs no folder
    EXPECT_TRUE(Has(message(compat), "Wayland compositor on WAYLAND_DISPLAY=/tmp/wayland-1"));

    // X and Wayland both named and neither answering: both are said.
    DesktopFacts both = CompatOnX();
    both.waylandDisplay = "wayland-1";
    const std::string neither = message(both);
    EXPECT_TRUE(Has(neither, "DISPLAY=:0 nor a Wayland compositor on WAYLAND_DISPLAY=wayland-1"))
        << neither;
    both.sdlPatch = 15;
    const std::string classicBoth = message(both);
    EXPECT_TRUE(Has(classicBoth, "no Wayland driver for WAYLAND_DISPLAY=wayland-1")) << classicBoth;
}
