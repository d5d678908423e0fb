// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// How the game meets the desktop: when sdl12-compat is asked for its
// software framebuffer and kept from OpenGL, when SDL is told there is no
// Wayland to try, which video drivers mean there is no display, and what the
// game then says.
#include "video/desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

// The same with the game's usual 640x480 window on a 3840x2160 screen.
DesktopFacts CompatOnLargeX() {
    DesktopFacts facts = CompatOnX();
    facts.windowWidth = 640;
    facts.windowHeight = 480;
    facts.screenWidth = 3840;
    facts.screenHeight = 2160;
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

TEST(WindowScale, TheDesktopsScaleRoundedDownFromTheFirstOfItsSettings) {
    DesktopFacts x = CompatOnLargeX();
    EXPECT_EQ(WindowScale(x), 1) << "a desktop that says nothing";
    for (auto [dpi, scale] : {std::pair{"192", 2},
                              {"288", 3},
                              {"96", 1},
                              {"191.9", 1},
                              {"144", 1},
                              {"  240.0 ", 2},
                              {"384", 4}}) {
        x.xftDpi = dpi;
        EXPECT_EQ(WindowScale(x), scale) << "Xft.dpi " << dpi;
    }
    x.xftDpi = "";
    for (auto [factor, scale] : {std::pair{"2", 2}, {"2.75", 2}, {"1.5", 1}, {"3", 3}}) {
        x.qtScaleFactor = factor;
        EXPECT_EQ(WindowScale(x), scale) << "QT_SCALE_FACTOR " << factor;
    }

    // GDK_SCALE before QT_SCALE_FACTOR before Xft.dpi, each when set at all.
    DesktopFacts all = CompatOnLargeX();
    all.gdkScale = "3";
    all.qtScaleFactor = "2";
    all.xftDpi = "96";
    EXPECT_EQ(WindowScale(all), 3);
    all.gdkScale = "";
    EXPECT_EQ(WindowScale(all), 2);
    all.gdkScale = "1";
    all.xftDpi = "288";
    EXPECT_EQ(WindowScale(all), 1) << "the desktop's own 1 stands";
}

TEST(WindowScale, NoNumberAPositiveFiniteOneIsNoScaleAtAll) {
    const char* nonsense[] = {"abc",   "-2",  "0",   "2x", "x2", "nan", "inf", "-inf",
                              "1e999", "0x2", "2,5", " ",  "+2", "2 2", "\t-"};
    for (const char* text : nonsense) {
        DesktopFacts gdk = CompatOnLargeX();
        gdk.gdkScale = text;
        gdk.xftDpi = "192"; // not asked: the first one set decides
        EXPECT_EQ(WindowScale(gdk), 1) << "GDK_SCALE " << text;
        DesktopFacts dpi = CompatOnLargeX();
        dpi.xftDpi = text;
        EXPECT_EQ(WindowScale(dpi), 1) << "Xft.dpi " << text;
    }
}

TEST(WindowScale, TheWindowStaysWithinTheScreenAndWhatXCanHold) {
    DesktopFacts x = CompatOnLargeX();
    x.gdkScale = "8";
    EXPECT_EQ(WindowScale(x), 4) << "2160 rows hold 4 x 480";
    x.gdkScale = "65535";
    EXPECT_EQ(WindowScale(x), 4);
    x.screenWidth = 1920;
    x.screenHeight = 1080;
    EXPECT_EQ(WindowScale(x), 2);
    x.screenHeight = 900;
    EXPECT_EQ(WindowScale(x), 1) << "not even 2 x 480 fits";

    // Where the screen is not known, X's largest side still holds.
    DesktopFacts unknown = CompatOnLargeX();
    unknown.screenWidth = unknown.screenHeight = 0;
    unknown.gdkScale = "1000";
    EXPECT_EQ(WindowScale(unknown), 102) << "65535 / 640";
    unknown.gdkScale = "1e300"; // no desktop's scale, and saturated by FloorToInt
    EXPECT_EQ(WindowScale(unknown), 1);
    unknown.gdkScale = "65536";
    EXPECT_EQ(WindowScale(unknown), 1);
    unknown.windowWidth = 40000;
    unknown.windowHeight = 10;
    EXPECT_EQ(WindowScale(unknown), 1);
}

TEST(WindowScale, OnlyTheGamesToChooseForAWindowedX11WindowOnSdl12Compat) {
    DesktopFacts base = CompatOnLargeX();
    base.xftDpi = "192";
    ASSERT_EQ(WindowScale(base), 2);

    // Any of sdl12-compat's own three variables, whatever it says, is the
    // player's choice of how the window is shown.
    for (const char* DesktopFacts::*own :
         {&DesktopFacts::windowScaling, &DesktopFacts::scaleMethod, &DesktopFacts::highDpi})
        for (const char* value : {"1", "2", "linear", ""}) {
            DesktopFacts player = base;
            player.*own = value;
            EXPECT_EQ(WindowScale(player), 1) << value;
        }

    DesktopFacts classic = base;
    classic.sdlPatch = 15;
    EXPECT_EQ(WindowScale(classic), 1) << "classic SDL 1.2 cannot scale a window";
    DesktopFacts full = base;
    full.fullScreen = true;
    EXPECT_EQ(WindowScale(full), 1) << "full screen is scaled to the screen already";
    DesktopFacts chosen = base;
    chosen.windowWidth = 0;
    EXPECT_EQ(WindowScale(chosen), 1) << "a mode SDL chooses, the desktop's own size";
    chosen = base;
    chosen.windowHeight = -480;
    EXPECT_EQ(WindowScale(chosen), 1);

    // A native Wayland window follows the output's scale in SDL itself; an
    // X11 one named first, or Xwayland's, is the game's to scale.
    DesktopFacts wayland = base;
    wayland.display = nullptr;
    wayland.waylandDisplay = "wayland-1";
    EXPECT_EQ(WindowScale(wayland), 1);
    wayland.display = ":0";
    wayland.videoDriver = "wayland,x11";
    EXPECT_EQ(WindowScale(wayland), 1);
    wayland.videoDriver = "x11,wayland";
    EXPECT_EQ(WindowScale(wayland), 2);
    for (const char* driver : {"dummy", "kmsdrm", "offscreen"}) {
        DesktopFacts other = base;
        other.videoDriver = driver;
        EXPECT_EQ(WindowScale(other), 1) << driver;
    }
}

TEST(WindowScale, NearestPixelsWhereTheWindowIsScaledAndOnNativeWayland) {
    DesktopFacts x = CompatOnLargeX();
    EXPECT_FALSE(WantsNearestPixels(x)) << "an unscaled X11 window is never scaled";
    x.xftDpi = "192";
    EXPECT_TRUE(WantsNearestPixels(x));

    // SDL draws a native Wayland window at the output's scale: whatever the
    // desktop's variables say, and whatever the mode.
    DesktopFacts wayland = CompatNowhere();
    wayland.waylandDisplay = "wayland-1";
    EXPECT_TRUE(WantsNearestPixels(wayland));
    wayland.display = ":0";
    wayland.videoDriver = "wayland";
    EXPECT_TRUE(WantsNearestPixels(wayland));

    DesktopFacts full = wayland;
    full.fullScreen = true;
    EXPECT_FALSE(WantsNearestPixels(full));
    DesktopFacts classic = wayland;
    classic.sdlPatch = 15;
    EXPECT_FALSE(WantsNearestPixels(classic));
    for (const char* DesktopFacts::*own :
         {&DesktopFacts::windowScaling, &DesktopFacts::scaleMethod, &DesktopFacts::highDpi}) {
        DesktopFacts player = wayland;
        player.*own = "1";
        EXPECT_FALSE(WantsNearestPixels(player));
        player = x;
        player.*own = "1";
        EXPECT_FALSE(WantsNearestPixels(player));
    }
}

TEST(WindowScale, SdlSizesANativeWaylandWindowInTheDesktopsUnits) {
    DesktopFacts wayland = CompatNowhere();
    wayland.waylandDisplay = "wayland-1";
    EXPECT_TRUE(WantsWaylandOutputScale(wayland));
    DesktopFacts player = wayland;
    player.waylandScaleToDisplay = "1";
    EXPECT_FALSE(WantsWaylandOutputScale(player));
    player = wayland;
    player.windowScaling = "2";
    EXPECT_FALSE(WantsWaylandOutputScale(player)) << "the player sizes the window";
    DesktopFacts full = wayland;
    full.fullScreen = true;
    EXPECT_FALSE(WantsWaylandOutputScale(full));
    DesktopFacts x = CompatOnLargeX();
    x.xftDpi = "192";
    x.waylandDisplay = "wayland-1";
    EXPECT_FALSE(WantsWaylandOutputScale(x)) << "an X11 window, through Xwayland";
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
