// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// How the game meets the desktop: when sdl12-compat is asked for its
// software framebuffer, and which video drivers mean there is no display.
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

TEST(NoDisplay, TheMessageNamesTheDisplayOnOneLine) {
    const std::string named = NoGraphicalDisplayMessage(":42");
    EXPECT_NE(named.find("DISPLAY=:42"), std::string::npos) << named;
    EXPECT_NE(named.find("no graphical display is available"), std::string::npos) << named;
    EXPECT_EQ(named.rfind("novawing: ", 0), 0u) << named;
    const std::string why = NoGraphicalDisplayMessage(":42", "No available video device");
    EXPECT_NE(why.find("No available video device"), std::string::npos) << why;
    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        const std::string message = NoGraphicalDisplayMessage(unset);
        EXPECT_NE(message.find("DISPLAY unset"), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}
