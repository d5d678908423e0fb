// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Start-up as the game runs it: the trace, the settings, the images and the
// ships' entry values; and the two ways it refuses to go on.
#include "control/startup.h"
#include "control_support.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::vector<std::string> kVideoLines = {"dimensioning memory", "loading video config",
                                              "initilizing sdl", "Creating Screen Surface"};

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Reads both pipes to their ends together, so neither can fill up and stall the child.
void SlurpBoth(int outFd, int errFd, std::string& out, std::string& err) {
    std::array<pollfd, 2> fds{{{outFd, POLLIN, 0}, {errFd, POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&out, &err};
    int open = 2;
    std::array<char, 4096> buf;
    while (open > 0 && poll(fds.data(), fds.size(), -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            ssize_t n = read(fds[i].fd, buf.data(), buf.size());
            if (n > 0) {
                sinks[i]->append(buf.data(), n);
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

// Runs the real game in `dir` with its output going to pipes, as from a
// launcher: no terminal, so the trace arrives as plain lines.
Outcome RunGame(const std::filesystem::path& game, const std::filesystem::path& dir,
                const char* driver = "dummy") {
    int out[2], err[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        if (chdir(dir.c_str()) != 0) _exit(98);
        setenv("SDL_VIDEODRIVER", driver, 1);
        alarm(20); // a start-up that hangs must not hang the suite
        execl(game.c_str(), "novawing", nullptr);
        _exit(99);
    }
    close(out[1]);
    close(err[1]);
    Outcome o;
    SlurpBoth(out[0], err[0], o.out, o.err);
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return o;
}

// What this process's SDL makes of a mode request on the dummy driver.
struct VideoModeTry {
    bool granted = false;
    int width = 0, height = 0, bitsPerPixel = 0;
    std::string reason;
};

VideoModeTry TryVideoMode(int w, int h, int bpp) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO);
    VideoModeTry t;
    if (SDL_Surface* s = SDL_SetVideoMode(w, h, bpp, 0)) {
        t = {true, s->w, s->h, s->format->BitsPerPixel, ""};
    } else {
        t.reason = SDL_GetError();
    }
    SDL_Quit();
    return t;
}

std::filesystem::path GameBinary(const ScratchDir& dir) {
    return dir.gameDir() / "novawing";
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines)
        s += l + "\n";
    return s;
}

} // namespace

TEST(StartUp, TraceSettingsImagesAndEntryValues) {
    auto game = std::make_unique<Game>();
    TraceRecorder trace;
    trace.Attach(game->console);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    StartUp(*game); // in the game directory: its config.cfg and data/

    ASSERT_GE(trace.lines.size(), 6u);
    std::vector<std::string> first(trace.lines.begin(), trace.lines.begin() + 5);
    std::vector<std::string> expected = kVideoLines;
    expected.push_back("Loading Bitmaps");
    EXPECT_EQ(first, expected);
    EXPECT_EQ(trace.lines[5], "Loading Graphics:");
    EXPECT_EQ(trace.lines.back(), "starting menu");
    EXPECT_EQ(trace.lines[trace.lines.size() - 2], "6");

    EXPECT_EQ(game->video.width, 640);
    EXPECT_EQ(game->video.height, 480);
    EXPECT_EQ(game->video.bitsPerPixel, 32);
    ASSERT_NE(game->images.screen, nullptr);
    EXPECT_EQ(game->images.screen->w, 640);
    EXPECT_EQ(game->images.screen->format->BitsPerPixel, 32);
    EXPECT_NE(game->images.TitleImage, nullptr);
    EXPECT_EQ(game->menu.MenuSelection, 1);
    char* title = nullptr;
    char* iconTitle = nullptr;
    SDL_WM_GetCaption(&title, &iconTitle);
    EXPECT_STREQ(title, "Nova Wing");
    EXPECT_STREQ(iconTitle, "Nova Wing");
    EXPECT_EQ(game->world.PlayerCount, 0); // one player until the menu says otherwise

    const Player& p1 = game->world.players[1];
    const Player& p2 = game->world.players[2];
    int shipW = game->images.ShipImage[3]->w;
    EXPECT_EQ(p1.x, 0);
    EXPECT_EQ(p2.x, 640 - shipW);
    EXPECT_EQ(p1.y, 480);
    EXPECT_EQ(p2.y, 480);
    EXPECT_EQ(p1.vx, 80);
    EXPECT_EQ(p2.vx, -80);
    EXPECT_EQ(p2.lives, 5);
    EXPECT_EQ(p2.health, 100);
    FreeGraphics(game->images);
    SDL_Quit();
}

TEST(StartUp, WindowIconThatDoesNotLoadIsLeftOutWithOneLine) {
    // Missing, cut short, a FIFO: start-up runs its usual course each time.
    // Only one that is there but cannot be used is worth a line on standard
    // error, naming the file and why.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ScratchDir dir;
    std::filesystem::copy(dir.gameDir() / "config.cfg", dir.path() / "config.cfg");
    std::filesystem::copy(dir.gameDir() / "data", dir.path() / "data");
    const auto icon = dir.path() / "data" / "icon.bmp";
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { std::filesystem::remove(icon); }, ""},
        {[&] { dir.Write("data/icon.bmp", "BM\x36"); }, "data/icon.bmp: "},
        {[&] {
             std::filesystem::remove(icon);
             ASSERT_EQ(mkfifo(icon.c_str(), 0600), 0);
         },
         "not a regular file"},
    };
    std::vector<std::string> traces[std::size(cases)];
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        auto game = std::make_unique<Game>();
        TraceRecorder trace;
        trace.Attach(game->console);
        cases[i].first();
        std::FILE* errors = std::tmpfile();
        ASSERT_NE(errors, nullptr);
        std::fflush(stderr);
        const int savedErr = dup(2);
        dup2(fileno(errors), 2);
        StartUp(*game);
        std::fflush(stderr);
        dup2(savedErr, 2);
        close(savedErr);
        std::string said(4096, '\0');
        std::rewind(errors);
        said.resize(std::fread(said.data(), 1, said.size(), errors));
        std::fclose(errors);
        ASSERT_NE(game->images.screen, nullptr);
        if (cases[i].second.empty()) {
            EXPECT_EQ(said, "");
        } else {
            EXPECT_EQ(said.rfind("novawing: cannot load image data/icon.bmp: ", 0), 0u) << said;
            EXPECT_NE(said.find(cases[i].second), std::string::npos) << said;
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        }
        traces[i] = trace.lines;
        FreeGraphics(game->images);
        SDL_Quit();
    }
    EXPECT_EQ(traces[0].back(), "starting menu");
    EXPECT_EQ(traces[0], traces[1]);
    EXPECT_EQ(traces[0], traces[2]);
}

TEST(StartUp, WindowIsDressedWhenTheFirstVideoStartFailed) {
    // SDL_Init's first try failed, as it does now and then when the X server
    // refuses one connection: the title and icon step opens video itself.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Quit();
    ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    SetWindowTitleAndIcon();
    EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    char* title = nullptr;
    char* iconTitle = nullptr;
    SDL_WM_GetCaption(&title, &iconTitle);
    EXPECT_STREQ(title, "Nova Wing");
    SDL_Quit();
}

TEST(StartUp, VideoModeThatCannotBeSet) {
    ScratchDir dir;
    dir.Write("config.cfg", "xres\n640\nyres\n480\ndepth\n3\n");
    // SDL's own reason, in its own words: each SDL says it differently.
    const VideoModeTry sdl = TryVideoMode(640, 480, 3);
    ASSERT_FALSE(sdl.granted) << "this SDL sets a 3-bit mode";
    Outcome o = RunGame(GameBinary(dir), dir.path());
    EXPECT_EQ(o.exitCode, 1);
    // The trace stops at the mode; nothing else is printed there.
    EXPECT_EQ(o.out, Lines(kVideoLines));
    // A person learns what was asked for and why it failed, in one line.
    EXPECT_NE(o.err.find("640x480 at 3 bits per pixel"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("config.cfg"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find(": " + sdl.reason + "\n"), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
}

TEST(StartUp, SideLargerThanAWindowCanHaveIsRefusedBeforeTheMode) {
    // X would refuse the window, and Xlib would end the game for it; even
    // the dummy driver, which would take it, is never asked.
    for (const auto& [config, setting] : {std::pair{"xres\n65536\nyres\n480\n", "xres 65536"},
                                          std::pair{"xres\n640\nyres\n100000\n", "yres 100000"}}) {
        ScratchDir dir;
        dir.Write("config.cfg", config);
        Outcome o = RunGame(GameBinary(dir), dir.path());
        EXPECT_EQ(o.exitCode, 1) << setting;
        EXPECT_EQ(o.out, Lines(kVideoLines)) << setting;
        EXPECT_NE(o.err.find(std::string(setting) + " is more than 65535"), std::string::npos)
            << o.err;
        EXPECT_NE(o.err.find("(from config.cfg)"), std::string::npos) << o.err;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    }
}

TEST(StartUp, VideoThatDoesNotStartEndsAtTheMode) {
    // SDL_Init fails; the window's title and icon are skipped, and the failure
    // shows where the mode is set, as the one line on standard error.
    ScratchDir dir;
    std::filesystem::copy(dir.gameDir() / "config.cfg", dir.path() / "config.cfg");
    dir.LinkData();
    Outcome o = RunGame(GameBinary(dir), dir.path(), "no-such-video-driver");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.out, Lines(kVideoLines));
    EXPECT_NE(o.err.find("cannot set the video mode 640x480"), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
}

TEST(StartUp, NoConfigAsksForModeZeroAndGoesOnInWhatSdlGives) {
    // Without config.cfg SDL is asked for 0 x 0 x 0 and the mode is SDL's
    // choice: classic SDL's dummy driver refuses it, sdl12-compat's gives one.
    ScratchDir dir;
    const VideoModeTry sdl = TryVideoMode(0, 0, 0);
    if (!sdl.granted) {
        Outcome o = RunGame(GameBinary(dir), dir.path());
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_EQ(o.out, Lines(kVideoLines));
        EXPECT_NE(o.err.find("0x0 at 0 bits per pixel"), std::string::npos) << o.err;
        EXPECT_NE(o.err.find("no config.cfg"), std::string::npos) << o.err;
        EXPECT_NE(o.err.find(": " + sdl.reason + "\n"), std::string::npos) << o.err;
        return;
    }
    // Granted: start-up goes on to the menu in that mode, and places the
    // ships by its size.
    dir.LinkData();
    auto game = std::make_unique<Game>();
    TraceRecorder trace;
    trace.Attach(game->console);
    StartUp(*game);
    EXPECT_EQ(game->video.width, 0);
    EXPECT_EQ(game->video.height, 0);
    EXPECT_EQ(game->video.bitsPerPixel, 0);
    EXPECT_EQ(game->video.flags, 0);
    ASSERT_NE(game->images.screen, nullptr);
    EXPECT_EQ(game->images.screen->w, sdl.width);
    EXPECT_EQ(game->images.screen->h, sdl.height);
    EXPECT_EQ(game->images.screen->format->BitsPerPixel, sdl.bitsPerPixel);
    ASSERT_FALSE(trace.lines.empty());
    EXPECT_EQ(trace.lines.back(), "starting menu");
    EXPECT_EQ(game->world.players[2].x, sdl.width - game->images.ShipImage[3]->w);
    EXPECT_EQ(game->world.players[1].y, sdl.height);
    FreeGraphics(game->images);
    SDL_Quit();
}

TEST(StartUp, MissingOrBrokenImageStopsBeforeTheMenu) {
    ScratchDir dir;
    dir.Write("config.cfg", "xres\n640\nyres\n480\ndepth\n32\n");
    std::filesystem::copy(dir.gameDir() / "data", dir.path() / "data");
    std::filesystem::remove(dir.path() / "data" / "enemy2.bmp");
    Outcome o = RunGame(GameBinary(dir), dir.path());
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.err.find("data/enemy2.bmp"), std::string::npos) << o.err;
    EXPECT_EQ(o.out.find("starting menu"), std::string::npos);
    EXPECT_NE(o.out.find("Loading Bitmaps\n"), std::string::npos);

    // A file cut short is refused the same way.
    std::filesystem::copy_file(dir.gameDir() / "data" / "enemy2.bmp",
                               dir.path() / "data" / "enemy2.bmp");
    std::filesystem::resize_file(dir.path() / "data" / "title.bmp", 100);
    o = RunGame(GameBinary(dir), dir.path());
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.err.find("data/title.bmp"), std::string::npos) << o.err;

    // So is one whose header claims a picture of 6 GB: one line naming it.
    std::filesystem::copy_file(dir.gameDir() / "data" / "title.bmp",
                               dir.path() / "data" / "title.bmp",
                               std::filesystem::copy_options::overwrite_existing);
    {
        std::fstream title(dir.path() / "data" / "title.bmp",
                           std::ios::binary | std::ios::in | std::ios::out);
        title.seekp(18); // width and height, 40000 x 40000
        title.write("\x40\x9c\x00\x00\x40\x9c\x00\x00", 8);
    }
    o = RunGame(GameBinary(dir), dir.path());
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.err.find("data/title.bmp"), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
}
