// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The whole-game figures: the real game run under Xvfb in a terminal, its CPU
// share, frame rate and intervals, memory and the time from launch to the title.
#include "bench/whole_game.h"

#include "bench/sdl_library.h"
#include "bench/stats.h"
#include "bench/x_display.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kWidth = 640; // the mode config.cfg asks for
constexpr int kHeight = 480;
constexpr double kSettleSeconds = 1.5; // after the join, before the window opens

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

double Seconds(Steady::time_point from, Steady::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

// The environment for the programs started here: ours, with the display and
// terminal set and nothing that would choose another video driver or size;
// with `libraryPath`, that LD_LIBRARY_PATH in place of ours.
std::vector<std::string> ChildEnvironment(const std::string& display,
                                          const std::string& libraryPath = "") {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        // The desktop's scale too: only the run at 200 % sets one, on its
        // X server.
        for (const char* drop : {"DISPLAY=", "TERM=", "SDL_VIDEODRIVER=", "LINES=", "COLUMNS=",
                                 "SDL12COMPAT_WINDOW_SCALING=", "SDL12COMPAT_SCALE_METHOD=",
                                 "SDL12COMPAT_HIGHDPI=", "GDK_SCALE=", "QT_SCALE_FACTOR="})
            if (entry.rfind(drop, 0) == 0) entry.clear();
        if (!libraryPath.empty() && entry.rfind("LD_LIBRARY_PATH=", 0) == 0) entry.clear();
        if (!entry.empty()) env.push_back(entry);
    }
    env.push_back("DISPLAY=" + display);
    env.push_back("TERM=xterm");
    if (!libraryPath.empty()) env.push_back("LD_LIBRARY_PATH=" + libraryPath);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// An X server of our own on a display number it picks itself, with a
// screen of the mode's size unless told otherwise.
struct Xvfb {
    pid_t pid = -1;
    std::string display;
    std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";

    bool Start(const std::string& binary, std::string& error, int scale = 1) {
        screen = std::to_string(kWidth * scale) + "x" + std::to_string(kHeight * scale) + "x24";
        int fds[2];
        if (pipe(fds) != 0) return false;
        std::string fd = std::to_string(fds[1]);
        std::vector<std::string> args = {binary, "-displayfd", fd,    "-screen", "0",
                                         screen, "-nolisten",  "tcp", "-br",     "-noreset"};
        std::vector<char*> argv = Pointers(args);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (rc != 0) {
            close(fds[0]);
            error = "cannot start Xvfb";
            return false;
        }
        // Xvfb writes its display number to the pipe once it takes clients.
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (poll(&p, 1, 10000) > 0) {
            char c = 0;
            if (read(fds[0], &c, 1) != 1 || c == '\n') break;
            number += c;
        }
        close(fds[0]);
        if (number.empty()) {
            error = "Xvfb did not report a display";
            Stop();
            return false;
        }
        display = ":" + number;
        return true;
    }
    void Stop() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
};

// Runs xdotool with the given words and waits for it.
bool Xdotool(const std::string& binary, std::vector<std::string>& env,
             std::initializer_list<std::string> words) {
    std::vector<std::string> args = {binary};
    args.insert(args.end(), words);
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    pid_t pid = -1;
    if (posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// One step of the weave: presses the keys of phase[0] or, when it is empty,
// lets go of those of phase[1] (space-separated), in one xdotool run.
void ChangeKeys(const std::string& xdotool, std::vector<char*>& envp,
                const char* const (&phase)[2]) {
    const char* down = phase[0];
    std::istringstream keys(*down ? down : phase[1]);
    std::vector<std::string> args = {xdotool, *down ? "keydown" : "keyup"};
    for (std::string key; keys >> key;)
        args.push_back(key);
    std::vector<char*> argv = Pointers(args);
    pid_t pid = -1;
    if (posix_spawn(&pid, xdotool.c_str(), nullptr, nullptr, argv.data(), envp.data()) == 0)
        waitpid(pid, nullptr, 0);
}

// Reads the game's terminal and timestamps the trace lines that matter.
class PtyWatch {
  public:
    PtyWatch(int master, Steady::time_point launch) : master_(master), launch_(launch) {}
    void Start() {
        thread_ = std::thread([this] { Run(); });
    }
    void Join() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

    double MenuAt() {
        std::lock_guard<std::mutex> lock(mutex_);
        return menuAt_;
    }
    // First arrival of each start-up stage's line: where start-up spends its time.
    double VideoAt() {
        std::lock_guard<std::mutex> lock(mutex_);
        return videoAt_;
    }
    double BitmapsAt() {
        std::lock_guard<std::mutex> lock(mutex_);
        return bitmapsAt_;
    }
    double LoopAt() {
        std::lock_guard<std::mutex> lock(mutex_);
        return loopAt_;
    }
    std::vector<double> Flips() {
        std::lock_guard<std::mutex> lock(mutex_);
        return flips_;
    }
    // Arrivals of "Working" (a frame's first line after player 1's update)
    // and "Resetting OldTimer" (just before the deadline is re-armed).
    std::vector<double> Workings() {
        std::lock_guard<std::mutex> lock(mutex_);
        return workings_;
    }
    std::vector<double> Resets() {
        std::lock_guard<std::mutex> lock(mutex_);
        return resets_;
    }
    long PlayerTwoDrawn() {
        std::lock_guard<std::mutex> lock(mutex_);
        return playerTwoDrawn_;
    }
    std::uint64_t Bytes() const { return bytes_; }

  private:
    void Run() {
        std::string tail;
        char buffer[65536];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            ssize_t got = read(master_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break; // the game has gone and closed its terminal
            const double at = Seconds(launch_, Steady::now());
            bytes_ += static_cast<std::uint64_t>(got);
            std::string text = tail + std::string(buffer, static_cast<std::size_t>(got));
            std::lock_guard<std::mutex> lock(mutex_);
            Scan(text, tail.size(), "PageFlip", at, [this](double t) { flips_.push_back(t); });
            Scan(text, tail.size(), "Working", at, [this](double t) { workings_.push_back(t); });
            Scan(text, tail.size(), "Resetting OldTimer", at,
                 [this](double t) { resets_.push_back(t); });
            Scan(text, tail.size(), "RenderPlayerTwosShip", at,
                 [this](double) { ++playerTwoDrawn_; });
            Scan(text, tail.size(), "starting menu", at, [this](double t) {
                if (menuAt_ < 0) menuAt_ = t;
            });
            Scan(text, tail.size(), "Creating Screen Surface", at, [this](double t) {
                if (videoAt_ < 0) videoAt_ = t;
            });
            Scan(text, tail.size(), "Loading Bitmaps", at, [this](double t) {
                if (bitmapsAt_ < 0) bitmapsAt_ = t;
            });
            Scan(text, tail.size(), "Game loop begins", at, [this](double t) {
                if (loopAt_ < 0) loopAt_ = t;
            });
            // Enough of the end to find a word split across two reads.
            tail = text.substr(text.size() > 24 ? text.size() - 24 : 0);
        }
    }
    // Counts the matches that end in the new part of `text` (past `old`).
    template <typename Found>
    static void Scan(const std::string& text, std::size_t old, const char* word, double at,
                     Found found) {
        const std::size_t n = std::strlen(word);
        for (std::size_t pos = text.find(word); pos != std::string::npos;
             pos = text.find(word, pos + 1))
            if (pos + n > old) found(at);
    }

    int master_;
    Steady::time_point launch_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> bytes_{0};
    std::mutex mutex_;
    std::vector<double> flips_;
    std::vector<double> workings_;
    std::vector<double> resets_;
    long playerTwoDrawn_ = 0;
    double menuAt_ = -1;
    double loopAt_ = -1;
    double videoAt_ = -1;
    double bitmapsAt_ = -1;
};

// CPU time of a process so far, in seconds: utime + stime of /proc/PID/stat.
double ProcessCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::size_t close = all.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(all.substr(close + 2));
    std::vector<std::string> f;
    std::string word;
    while (fields >> word)
        f.push_back(word);
    if (f.size() < 13) return -1;
    // After the name: state is field 3, utime 14 and stime 15.
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (std::stod(f[11]) + std::stod(f[12])) / ticks;
}

// The same from the scheduler's nanosecond counts, summed over the threads.
double ProcessCpuSecondsFine(pid_t pid) {
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* tasks = opendir(dir.c_str());
    if (!tasks) return -1;
    double total = 0;
    while (dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream schedstat(dir + "/" + entry->d_name + "/schedstat");
        double ns = 0;
        if (schedstat >> ns) total += ns / 1e9;
    }
    closedir(tasks);
    return total;
}

// Times the scheduler took the processor away from the game while it was
// ready to run: each one may have made a frame late.
long InvoluntarySwitches(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(27));
    return -1;
}

double PeakResidentMb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) != 0) continue;
        return std::stod(line.substr(6)) / 1024.0;
    }
    return -1;
}

// Waits until the menu's picture changes: the flip of the next pass, whose
// cursor has stepped to its next phase or moved.
// The column of the four cursor spots, beside the item labels, in a window
// that shows the game at `scale`.
std::uint64_t MenuSpots(XProbe& probe, int scale) {
    return probe.RegionHash(330 * scale, 180 * scale, 260 * scale, 240 * scale);
}

bool WaitMenuFlip(XProbe& probe, std::uint64_t& last, int timeoutMs, int scale) {
    const Steady::time_point until = Steady::now() + std::chrono::milliseconds(timeoutMs);
    while (Steady::now() < until) {
        std::uint64_t now = MenuSpots(probe, scale);
        if (now != last) {
            last = now;
            return true;
        }
        SleepMs(3);
    }
    return false;
}

struct GameRun {
    pid_t pid = -1;
    int master = -1;
    bool Reap(int timeoutMs, int& status) {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return true;
            }
            SleepMs(10);
        }
        return false;
    }
    void Kill() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        int status = 0;
        if (!Reap(2000, status)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        pid = -1;
    }
};

// What the comparison across runs needs of one run in play.
struct PlayFigures {
    double cpuPercent = -1; // of one core, over the play window
    double fps = -1;
    double peakMb = -1;
};

} // namespace

bool WholeGameToolsPresent(std::string& missing) {
    missing.clear();
    for (const char* tool : {"Xvfb", "xdotool"})
        if (FindOnPath(tool).empty()) missing += std::string(missing.empty() ? "" : ", ") + tool;
    if (!XProbe::Available())
        missing += std::string(missing.empty() ? "" : ", ") + "Xlib at build time";
    return missing.empty();
}

namespace {

// One run of the game with its console on a pseudo-terminal of the given
// size, on the SDL 1.2 that `libraryPath` leads to (ours when empty); with
// `scale` above 1, on a desktop at that scale (Xft.dpi 96 x scale) whose
// screen just holds the window at that size.
bool RunGameOnTerminal(const BenchOptions& options, const TerminalSize& terminal, Report& report,
                       PlayFigures& played, const std::string& libraryPath = "", int scale = 1) {
    const std::string binary = options.gameDir + "/novawing";
    if (access(binary.c_str(), X_OK) != 0) {
        report.Note("whole game skipped: no game at " + binary);
        return false;
    }
    const std::string xdotool = FindOnPath("xdotool");
    Xvfb server;
    std::string error;
    if (!server.Start(FindOnPath("Xvfb"), error, scale)) {
        report.Note("whole game skipped: " + error);
        return false;
    }
    if (scale > 1) {
        // Xvfb runs with -noreset: the resources stay after this client goes.
        XProbe desktop;
        if (!desktop.Open(server.display) ||
            !desktop.SetResources("Xft.dpi:\t" + std::to_string(96 * scale) + "\n")) {
            server.Stop();
            report.Note("whole game skipped: cannot set the X server's Xft.dpi");
            return false;
        }
    }
    std::vector<std::string> env = ChildEnvironment(server.display, libraryPath);
    std::vector<char*> envp = Pointers(env);

    // The console on a pseudo-terminal of the size asked for (80 x 24 is a
    // default terminal window, 300 x 100 a maximised one on a large screen).
    winsize size{};
    size.ws_col = static_cast<unsigned short>(terminal.cols);
    size.ws_row = static_cast<unsigned short>(terminal.rows);
    GameRun game;
    const Steady::time_point launch = Steady::now();
    game.pid = forkpty(&game.master, nullptr, nullptr, &size);
    if (game.pid == 0) {
        if (chdir(options.gameDir.c_str()) != 0) _exit(126);
        char* argv[] = {const_cast<char*>("novawing"), nullptr};
        execve(binary.c_str(), argv, envp.data());
        _exit(127);
    }
    if (game.pid < 0) {
        server.Stop();
        report.Note("whole game skipped: forkpty failed");
        return false;
    }
    PtyWatch watch(game.master, launch);
    watch.Start();
    XProbe probe;

    auto fail = [&](const std::string& why) {
        game.Kill();
        watch.Join();
        close(game.master);
        probe.Close();
        server.Stop();
        report.Note("whole game stopped: " + why);
        return false;
    };

    // Start-up seen from outside: the "starting menu" line on the terminal,
    // and the first title picture on the display.
    double titleAt = -1;
    const Steady::time_point giveUp = launch + std::chrono::seconds(10);
    while (titleAt < 0 && Steady::now() < giveUp) {
        if (!probe.IsOpen()) probe.Open(server.display);
        if (probe.IsOpen() && probe.FindWindow(kWidth * scale, kHeight * scale) && probe.AnyLit())
            titleAt = Seconds(launch, Steady::now());
        else
            SleepMs(2);
    }
    const double menuAt = watch.MenuAt();
    if (titleAt < 0 || menuAt < 0) return fail("the title screen did not appear");

    // The menu: Down, Space (two players), Up, Space (Start), each held for
    // exactly one menu pass: pressed just after a pass has flipped and let go
    // as soon as the next one has.
    std::uint64_t picture = MenuSpots(probe, scale);
    WaitMenuFlip(probe, picture, 700, scale);
    for (const char* key : {"Down", "space", "Up", "space"}) {
        SleepMs(30);
        Xdotool(xdotool, env, {"keydown", key});
        bool flipped = WaitMenuFlip(probe, picture, 1000, scale);
        Xdotool(xdotool, env, {"keyup", key});
        if (!flipped) return fail(std::string("the menu did not answer ") + key);
    }
    for (int waited = 0; waited < 3000 && watch.LoopAt() < 0; waited += 10)
        SleepMs(10);
    if (watch.LoopAt() < 0) return fail("the menu did not start the game");

    // Player 2 in, should the menu have left one player: the 2 key held
    // over a few frames (pressing it with two players does nothing).
    Xdotool(xdotool, env, {"keydown", "2"});
    SleepMs(200);
    Xdotool(xdotool, env, {"keyup", "2"});

    // Both players fire guns and missiles throughout and weave: one way for
    // half a second, let go, the other way, let go.
    Xdotool(xdotool, env, {"keydown", "space", "Alt_R", "f", "g"});
    const Steady::time_point playStart = Steady::now();
    const double settle = kSettleSeconds;
    double windowStart = -1, windowEnd = -1;
    double cpuStart = 0, cpuEnd = 0, fineStart = 0, fineEnd = 0, serverStart = 0, serverEnd = 0;
    double peakMb = -1;
    MappedSdl mapped;
    long twoDrawnStart = 0, twoDrawnEnd = 0, switchesStart = 0, switchesEnd = 0;
    static const char* const kPhases[4][2] = {
        {"Left Up d w", ""}, {"", "Left Up d w"}, {"Right Down a s", ""}, {"", "Right Down a s"}};
    for (int step = 0;; ++step) {
        const double elapsed = Seconds(playStart, Steady::now());
        if (windowStart < 0 && elapsed >= settle) {
            windowStart = Seconds(launch, Steady::now());
            cpuStart = ProcessCpuSeconds(game.pid);
            fineStart = ProcessCpuSecondsFine(game.pid);
            serverStart = ProcessCpuSeconds(server.pid);
            twoDrawnStart = watch.PlayerTwoDrawn();
            switchesStart = InvoluntarySwitches(game.pid);
        }
        const double inWindow = windowStart < 0 ? 0 : Seconds(launch, Steady::now()) - windowStart;
        if (windowStart >= 0 && inWindow >= options.playSeconds) {
            windowEnd = Seconds(launch, Steady::now());
            cpuEnd = ProcessCpuSeconds(game.pid);
            fineEnd = ProcessCpuSecondsFine(game.pid);
            serverEnd = ProcessCpuSeconds(server.pid);
            peakMb = PeakResidentMb(game.pid);
            mapped = SdlMappedBy(game.pid);
            twoDrawnEnd = watch.PlayerTwoDrawn();
            switchesEnd = InvoluntarySwitches(game.pid);
            break;
        }
        ChangeKeys(xdotool, envp, kPhases[step % 4]);
        if (waitpid(game.pid, nullptr, WNOHANG) == game.pid) {
            game.pid = -1;
            return fail("the game ended during play");
        }
        // Half a second per step, the last one cut to end the window on time.
        const double left = windowStart < 0 ? settle - Seconds(playStart, Steady::now())
                                            : options.playSeconds - inWindow;
        SleepMs(std::clamp(static_cast<int>(left * 1000.0), 1, 500));
    }

    Xdotool(
        xdotool, env,
        {"keyup", "space", "Alt_R", "f", "g", "Left", "Right", "Up", "Down", "a", "d", "w", "s"});
    Xdotool(xdotool, env, {"keydown", "Escape"});
    int status = -1;
    const bool ended = game.Reap(3000, status);
    Xdotool(xdotool, env, {"keyup", "Escape"});
    if (!ended) return fail("Escape did not end the game");
    watch.Join();
    close(game.master);
    probe.Close();
    server.Stop();

    // Frames whose flip line arrived inside the window.
    std::vector<double> flips;
    for (double t : watch.Flips())
        if (t >= windowStart && t <= windowEnd) flips.push_back(t);
    if (flips.size() < 10) {
        report.Note("whole game: too few frames seen in the play window");
        return false;
    }
    std::vector<double> intervals;
    for (std::size_t i = 1; i < flips.size(); ++i)
        intervals.push_back((flips[i] - flips[i - 1]) * 1000.0);
    const Summary gaps = Summarise(intervals);

    // Where the time between frames goes, from the same arrivals: a frame
    // runs from "Working" to "Resetting OldTimer" before the deadline is
    // re-armed, and the next "Working" should follow 33 ms after that.
    std::vector<double> updates, lateness;
    {
        std::vector<double> work, reset;
        for (double t : watch.Workings())
            if (t >= windowStart && t <= windowEnd) work.push_back(t);
        for (double t : watch.Resets())
            if (t >= windowStart && t <= windowEnd) reset.push_back(t);
        std::size_t r = 0;
        for (std::size_t w = 0; w < work.size(); ++w) {
            while (r < reset.size() && reset[r] < work[w])
                ++r;
            if (r < reset.size()) updates.push_back((reset[r] - work[w]) * 1000.0);
            if (r > 0 && w > 0) lateness.push_back((work[w] - reset[r - 1]) * 1000.0 - 33.0);
        }
    }
    const double fps = static_cast<double>(flips.size() - 1) / (flips.back() - flips.front());
    const double seconds = windowEnd - windowStart;
    const double cpu = (cpuEnd - cpuStart) / seconds * 100.0;
    const double fine = (fineEnd - fineStart) / seconds * 100.0;
    const double serverCpu = (serverEnd - serverStart) / seconds * 100.0;
    const bool twoPlayers = twoDrawnEnd - twoDrawnStart >= static_cast<long>(flips.size()) - 2;

    // The game inherits our environment, so it should have loaded our SDL;
    // its own mappings say for certain, what lies beneath it, and whether
    // OpenGL and LLVM were loaded (which says nothing of what draws).
    report.Text("game_sdl_library", mapped.sdl12File.empty() ? "unknown" : mapped.sdl12File);
    report.Text("game_sdl_beneath", mapped.sdl3   ? "sdl2-compat over SDL 3"
                                    : mapped.sdl2 ? "SDL2"
                                                  : "nothing (classic SDL 1.2, straight to X11)");
    std::string openGl;
    for (const std::string& file : mapped.openGl)
        openGl += (openGl.empty() ? "" : " ") + file;
    report.Text("game_opengl_mapped", openGl.empty() ? "none" : openGl);
    report.Text("game_llvm_mapped", mapped.llvm ? "yes" : "no");
    report.AddWithGoal("game_cpu_percent", cpu, "%", "whole game: CPU of one core (stat)", "<= 5 %",
                       cpu <= 5.0, 2);
    report.Add("game_cpu_percent_schedstat", fine, "%", "  the same from schedstat", 2);
    report.AddWithGoal("game_fps", fps, "fps", "whole game: frame rate", "29.5 .. 30.3 fps",
                       fps >= 29.5 && fps <= 30.3, 2);
    report.AddWithGoal("game_frame_interval_p99_ms", gaps.p99, "ms",
                       "whole game: frame interval, 99th pct", "<= 36 ms", gaps.p99 <= 36.0, 1);
    report.Add("game_frame_interval_median_ms", gaps.median, "ms", "  frame interval, median", 2);
    report.Add("game_frame_interval_max_ms", gaps.max, "ms", "  frame interval, maximum", 1);
    report.Add("game_update_to_rearm_ms", Summarise(updates).median, "ms",
               "  \"Working\" to \"Resetting OldTimer\", median", 2);
    report.Add("game_rearm_to_next_frame_extra_ms", Summarise(lateness).median, "ms",
               "  re-arm to next \"Working\", beyond 33 ms, median", 2);
    report.Add("game_preemptions", static_cast<double>(switchesEnd - switchesStart), "",
               "  involuntary context switches in the window", 0);
    report.AddWithGoal("game_peak_rss_mb", peakMb, "MB", "whole game: peak resident (VmHWM)",
                       "<= 48 MB", peakMb >= 0 && peakMb <= 48.0, 1);
    const double loaded = static_cast<double>(mapped.openGl.size()) + (mapped.llvm ? 1 : 0);
    report.AddWithGoal("game_opengl_files_mapped", loaded, "",
                       "  OpenGL and LLVM files mapped in play", "0", loaded == 0, 0);
    report.Add("game_play_seconds", seconds, "s", "whole game: play window", 1);
    report.Add("game_console_bytes_per_s", static_cast<double>(watch.Bytes()) / windowEnd, "B/s",
               "  console bytes per second (whole run)", 0);
    report.Add("xvfb_cpu_percent", serverCpu, "%", "  Xvfb's CPU meanwhile (not the game's)", 2);
    report.Add("startup_launch_to_menu_ms", menuAt * 1000.0, "ms",
               "start-up: launch to \"starting menu\"", 1);
    report.Add("startup_launch_to_video_ms", watch.VideoAt() * 1000.0, "ms",
               "  launch to \"Creating Screen Surface\"", 1);
    report.Add("startup_video_mode_ms", (watch.BitmapsAt() - watch.VideoAt()) * 1000.0, "ms",
               "  the video mode (to \"Loading Bitmaps\")", 1);
    report.Add("startup_bitmaps_ms", (menuAt - watch.BitmapsAt()) * 1000.0, "ms",
               "  loading the images (to \"starting menu\")", 1);
    report.AddWithGoal("startup_launch_to_title_ms", titleAt * 1000.0, "ms",
                       "start-up: launch to title on display", "<= 300 ms",
                       titleAt * 1000.0 <= 300.0, 1);
    played.cpuPercent = cpu;
    played.fps = fps;
    played.peakMb = peakMb;
    report.Note("whole game: novawing under Xvfb " + server.display + " (" + server.screen +
                (scale > 1 ? ", Xft.dpi " + std::to_string(96 * scale) : std::string()) +
                "), console on "
                "a pseudo-terminal of " +
                terminal.Name() +
                " (TERM=xterm), keys by xdotool; menu Down, Space, Up, "
                "Space; " +
                std::string(twoPlayers ? "two players" : "NOT two players") +
                " played; the window opens " + std::to_string(settle).substr(0, 3) +
                " s after the join; frames counted from \"PageFlip\" lines as they arrive on the "
                "terminal; exit status " +
                std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
    report.Note("start-up from outside: launch (fork) to the first non-black picture of the "
                "game window, which includes the title menu's own 250 ms pass delay before its "
                "first flip");
    return true;
}

// The peer: Debian's powermanga, a shooter of the same kind, run (never
// read) under an Xvfb of its own and played with the keys a player would
// press.  Intro and menu: Return, then Return on "PLAY"; in play: Space fires,
// the arrows weave as the game's players do.  Its own settings and scores go
// to a home directory made for the run and removed after it.
bool RunPeer(const BenchOptions& options, Report& report, PlayFigures& played) {
    const std::string binary = "/usr/games/powermanga";
    if (access(binary.c_str(), X_OK) != 0) {
        report.Note("peer skipped: " + binary + " is not installed (apt-get install powermanga)");
        return false;
    }
    char home[] = "/tmp/novawing-bench-peer-XXXXXX";
    if (!mkdtemp(home)) {
        report.Note("peer skipped: no temporary home directory");
        return false;
    }
    const std::string homeDir = home;
    std::error_code ignored;
    std::filesystem::create_directories(homeDir + "/.config", ignored);
    auto cleanUp = [&] { std::filesystem::remove_all(homeDir, ignored); };

    const std::string xdotool = FindOnPath("xdotool");
    Xvfb server;
    std::string error;
    if (!server.Start(FindOnPath("Xvfb"), error)) {
        cleanUp();
        report.Note("peer skipped: " + error);
        return false;
    }
    std::vector<std::string> env = ChildEnvironment(server.display);
    std::erase_if(env, [](const std::string& e) { return e.rfind("HOME=", 0) == 0; });
    env.push_back("HOME=" + homeDir);
    std::vector<char*> envp = Pointers(env);

    std::vector<std::string> args = {"powermanga", "--window", "--nosound"};
    std::vector<char*> argv = Pointers(args);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    GameRun peer;
    const int spawned =
        posix_spawn(&peer.pid, binary.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        server.Stop();
        cleanUp();
        report.Note("peer skipped: powermanga did not start");
        return false;
    }
    XProbe probe;
    auto stop = [&](const std::string& why) {
        peer.Kill();
        probe.Close();
        server.Stop();
        cleanUp();
        if (!why.empty()) report.Note("peer stopped: " + why);
        return why.empty();
    };

    // Its window is 640 x 400; the intro shows once it is lit.
    constexpr int kPeerWidth = 640;
    constexpr int kPeerHeight = 400;
    bool shown = false;
    for (int waited = 0; waited < 10000 && !shown; waited += 20) {
        if (!probe.IsOpen()) probe.Open(server.display);
        shown = probe.IsOpen() && probe.FindWindow(kPeerWidth, kPeerHeight) && probe.AnyLit();
        if (!shown) SleepMs(20);
    }
    if (!shown) return stop("its window did not appear");
    for (int i = 0; i < 2; ++i) {
        SleepMs(1500);
        Xdotool(xdotool, env, {"key", "Return"});
    }
    SleepMs(1500);
    // The score, along the top edge: it changes only in play.
    const std::uint64_t scoreBefore = probe.RegionHash(130, 0, 270, 30);
    Xdotool(xdotool, env, {"keydown", "space"});

    static const char* const kWeave[4][2] = {
        {"Left Up", ""}, {"", "Left Up"}, {"Right Down", ""}, {"", "Right Down"}};
    const Steady::time_point start = Steady::now();
    double windowStart = -1;
    double cpuStart = 0, fineStart = 0, serverStart = 0;
    for (int step = 0;; ++step) {
        const double elapsed = Seconds(start, Steady::now());
        if (windowStart < 0 && elapsed >= kSettleSeconds) {
            windowStart = elapsed;
            cpuStart = ProcessCpuSeconds(peer.pid);
            fineStart = ProcessCpuSecondsFine(peer.pid);
            serverStart = ProcessCpuSeconds(server.pid);
        }
        if (windowStart >= 0 && elapsed - windowStart >= options.playSeconds) break;
        ChangeKeys(xdotool, envp, kWeave[step % 4]);
        if (waitpid(peer.pid, nullptr, WNOHANG) == peer.pid) {
            peer.pid = -1;
            return stop("powermanga ended during play");
        }
        const double left = windowStart < 0 ? kSettleSeconds - elapsed
                                            : options.playSeconds - (elapsed - windowStart);
        SleepMs(std::clamp(static_cast<int>(left * 1000.0), 1, 500));
    }
    const double seconds = Seconds(start, Steady::now()) - windowStart;
    const double cpu = (ProcessCpuSeconds(peer.pid) - cpuStart) / seconds * 100.0;
    const double fine = (ProcessCpuSecondsFine(peer.pid) - fineStart) / seconds * 100.0;
    const double serverCpu = (ProcessCpuSeconds(server.pid) - serverStart) / seconds * 100.0;
    const double peakMb = PeakResidentMb(peer.pid);
    const bool inPlay = probe.RegionHash(130, 0, 270, 30) != scoreBefore;
    Xdotool(xdotool, env, {"keyup", "space", "Left", "Right", "Up", "Down"});
    stop("");

    played.cpuPercent = cpu;
    report.Add("peer_cpu_percent", cpu, "%", "peer (powermanga in play): CPU of one core (stat)",
               2);
    report.Add("peer_cpu_percent_schedstat", fine, "%", "  the same from schedstat", 2);
    report.Add("peer_peak_rss_mb", peakMb, "MB", "  peer's peak resident (VmHWM)", 1);
    report.Add("peer_xvfb_cpu_percent", serverCpu, "%", "  Xvfb's CPU meanwhile (not the peer's)",
               2);
    report.Note(
        "peer: " + binary + " --window --nosound under Xvfb " + server.display +
        " (640x480x24), keys by xdotool: Return twice (intro, PLAY), then Space held and "
        "the arrows weaving, " +
        std::to_string(static_cast<int>(seconds + 0.5)) + " s measured after " +
        std::to_string(kSettleSeconds).substr(0, 3) + " s; " +
        (inPlay ? "in play (its score changed)" : "NOT seen in play (its score unchanged)"));
    return true;
}

} // namespace

bool RunWholeGameBench(const BenchOptions& options, Report& report) {
    // One run of the game per terminal; with more than one, each figure's
    // name and label say which terminal it is from (80 x 24 keeps the plain
    // names).
    const bool several = options.gameTerminals.size() > 1;
    bool ran = true;
    std::vector<std::pair<TerminalSize, PlayFigures>> games;
    for (const TerminalSize& terminal : options.gameTerminals) {
        if (several)
            std::fprintf(stderr, "novawing-bench: the whole game, trace on %s...\n",
                         terminal.Name().c_str());
        Report part;
        PlayFigures played;
        const bool done = RunGameOnTerminal(options, terminal, part, played);
        ran = ran && done;
        const bool plain = terminal.cols == 80 && terminal.rows == 24;
        for (Figure figure : part.figures) {
            if (!plain) figure.key += "_" + terminal.Name();
            if (several) figure.label += " [" + terminal.Name() + "]";
            report.figures.push_back(figure);
        }
        for (const auto& text : part.texts)
            if (std::none_of(report.texts.begin(), report.texts.end(),
                             [&](const auto& t) { return t.first == text.first; }))
                report.texts.push_back(text);
        for (const std::string& note : part.notes)
            report.Note(several ? "[" + terminal.Name() + "] " + note : note);
        if (done) games.emplace_back(terminal, played);
    }

    // The game once more on the machine's other SDL 1.2, where it has one,
    // so that the two are measured side by side under the same load.
    const SdlLibrary self = LinkedSdl();
    PlayFigures other;
    if (options.otherSdl) {
        const OtherSdl found = FindOtherSdl(self);
        if (!found.found) {
            report.Note(std::string("no ") + (self.compat ? "classic SDL 1.2" : "sdl12-compat") +
                        " beside " + self.Describe() +
                        ": the whole game ran on this SDL alone; compare with a run on a "
                        "machine that has both, taken just before or after");
        } else {
            std::fprintf(stderr, "novawing-bench: the whole game again, on %s (%s)...\n",
                         found.Kind().c_str(), found.file.c_str());
            Report part;
            const bool done = RunGameOnTerminal(options, TerminalSize{}, part, other, found.folder);
            ran = ran && done;
            const std::string prefix = found.compat ? "compat_" : "classic_";
            for (Figure figure : part.figures) {
                figure.key = prefix + figure.key;
                figure.label += " [" + found.Kind() + "]";
                report.figures.push_back(figure);
            }
            for (const auto& [key, value] : part.texts)
                report.Text(prefix + key, value);
            report.Text(prefix + "sdl_library_path", found.folder);
            for (const std::string& note : part.notes)
                report.Note("[" + found.Kind() + ", LD_LIBRARY_PATH=" + found.folder + "] " + note);
            if (!done) other = PlayFigures{};
        }
    }

    // And on sdl12-compat on a desktop at 200 %, its window at twice the
    // mode's size, beside the run of the plain window on sdl12-compat.
    PlayFigures scaled;
    if (options.scaledWindow) {
        OtherSdl compat;
        compat.found = compat.compat = self.compat;
        if (!self.compat) compat = FindOtherSdl(self);
        if (!compat.found || !compat.compat) {
            report.Note("no sdl12-compat: the game's window at 200 % was not measured (classic "
                        "SDL 1.2 cannot show a window larger than its mode)");
        } else {
            std::fprintf(stderr, "novawing-bench: the whole game again, on sdl12-compat with the "
                                 "desktop at 200 %%...\n");
            Report part;
            const bool done =
                RunGameOnTerminal(options, TerminalSize{}, part, scaled, compat.folder, 2);
            ran = ran && done;
            for (Figure figure : part.figures) {
                figure.key = "scaled_" + figure.key;
                figure.label += " [sdl12-compat, window at 2x]";
                report.figures.push_back(figure);
            }
            for (const auto& [key, value] : part.texts)
                report.Text("scaled_" + key, value);
            for (const std::string& note : part.notes)
                report.Note("[sdl12-compat, desktop at 200 %] " + note);
            if (!done) scaled = PlayFigures{};
        }
    }

    PlayFigures peer;
    if (options.peer) {
        std::fprintf(stderr, "novawing-bench: the peer, powermanga, in play...\n");
        ran = RunPeer(options, report, peer) && ran;
    }
    // The comparisons, from the same run.
    const auto plain = std::find_if(games.begin(), games.end(), [](const auto& game) {
        return game.first.cols == 80 && game.first.rows == 24;
    });
    if (other.peakMb > 0 && plain != games.end() && plain->second.peakMb > 0) {
        const PlayFigures& compat = self.compat ? plain->second : other;
        const PlayFigures& classic = self.compat ? other : plain->second;
        report.Add("compat_over_classic_peak_rss", compat.peakMb / classic.peakMb, "",
                   "whole game, sdl12-compat / classic: peak resident", 2);
        report.Add("compat_over_classic_cpu", compat.cpuPercent / classic.cpuPercent, "",
                   "whole game, sdl12-compat / classic: CPU", 2);
    }
    const PlayFigures* unscaled =
        self.compat ? (plain != games.end() ? &plain->second : nullptr) : &other;
    if (scaled.cpuPercent > 0 && unscaled != nullptr && unscaled->cpuPercent > 0)
        report.Add("scaled_over_unscaled_cpu", scaled.cpuPercent / unscaled->cpuPercent, "",
                   "whole game on sdl12-compat, window at 2x / at 1x: CPU", 2);
    if (scaled.cpuPercent > 0 && peer.cpuPercent > 0) {
        const double ratio = scaled.cpuPercent / peer.cpuPercent;
        report.AddWithGoal("scaled_game_cpu_over_peer", ratio, "",
                           "whole game CPU, window at 2x on sdl12-compat / peer's", "<= 1",
                           ratio <= 1.0, 2);
    }
    for (const auto& [terminal, played] : games) {
        const std::string key =
            terminal.cols == 80 && terminal.rows == 24 ? "" : "_" + terminal.Name();
        if (peer.cpuPercent > 0) {
            const double ratio = played.cpuPercent / peer.cpuPercent;
            report.AddWithGoal("game_cpu_over_peer" + key, ratio, "",
                               "whole game CPU / peer's, trace on " + terminal.Name(), "<= 1",
                               ratio <= 1.0, 2);
        }
        if (&played != &games.front().second && games.front().second.fps > 0) {
            const double ratio = played.fps / games.front().second.fps;
            report.AddWithGoal("game_fps_ratio" + key, ratio, "",
                               "whole game fps, " + terminal.Name() + " / " +
                                   games.front().first.Name(),
                               ">= 0.98", ratio >= 0.98, 3);
        }
    }
    return ran;
}
