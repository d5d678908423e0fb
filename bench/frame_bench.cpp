// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The frame figures: the busy scene played in-process on the dummy driver,
// RunFrame timed whole and in its three parts, and one full-screen clear.
#include "bench/frame_bench.h"

#include "bench/bench_clock.h"
#include "bench/scene.h"
#include "bench/stats.h"
#include "control/frame_loop.h"
#include "control/game.h"
#include "control/startup.h"
#include "support/random.h"
#include "video/draw.h"
#include "video/images.h"
#include "video/render.h"
#include "world/bullets.h"
#include "world/enemies.h"
#include "world/player.h"

#include <SDL.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

using Steady = std::chrono::steady_clock;

double Ms(Steady::time_point from, Steady::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

constexpr long kWarmUpFrames = 300;

struct SplitTimes {
    double update = 0, draw = 0, flip = 0;
};

// RunFrame's three parts, with the clock read where the world update ends,
// where drawing ends and after the flip.
SplitTimes SplitFrame(Game& game) {
    const Steady::time_point start = Steady::now();
    FrameUpdate(game);
    const Steady::time_point updated = Steady::now();
    FrameDraw(game);
    const Steady::time_point drawn = Steady::now();
    FrameFlip(game);
    const Steady::time_point flipped = Steady::now();
    return {Ms(start, updated), Ms(updated, drawn), Ms(drawn, flipped)};
}

// The full-screen clear: the least any frame that touches every pixel costs.
double TimeClear(SDL_Surface* screen) {
    const Steady::time_point start = Steady::now();
    SDL_FillRect(screen, nullptr, 0);
    return Ms(start, Steady::now());
}

long InvoluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nivcsw;
}

// How busy the scene is, counted outside the timed part.
struct SceneCounts {
    double bullets = 0, enemies = 0, stars = 0;
    long frames = 0;
    void Count(const Game& game) {
        for (const Bullet& b : game.world.bullets)
            bullets += b.kind != kFree;
        for (const Enemy& e : game.world.enemies)
            enemies += e.state > 0;
        const int h = ScreenHeight(game.images);
        for (const Star& s : game.render.stars)
            stars += s.image != 0 && s.y >= 0 && s.y < h;
        ++frames;
    }
};

} // namespace

bool OpenBenchScreen(Game& game, int depth, std::string& error) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = std::string("SDL_Init: ") + SDL_GetError();
        return false;
    }
    if (!OpenScreen(game.images, 640, 480, depth, SDL_SWSURFACE)) {
        error = "the video mode 640x480x" + std::to_string(depth) + ": " + SDL_GetError();
        SDL_Quit();
        return false;
    }
    LoadFailure failure;
    if (!LoadGraphics(game.images, game.console, failure)) {
        error = "cannot load image " + failure.file + ": " + failure.reason;
        SDL_Quit();
        return false;
    }
    game.world.sizes = MeasureWorldSizes(game.images);
    return true;
}

bool RunFrameBench(const BenchOptions& options, Report& report, std::vector<TracePiece>& trace) {
    auto game = std::make_unique<Game>();
    NoSleepClock clock;
    game->clock = &clock;
    std::uint64_t sinkBytes = 0;
    OutputRoutine sink = [&sinkBytes](std::string_view text, int) { sinkBytes += text.size(); };
    SetOutputRoutine(game->console, sink);

    std::string error;
    if (!OpenBenchScreen(*game, options.depth, error)) {
        report.Note("frame figures skipped: " + error);
        return false;
    }
    SDL_Surface* screen = game->images.screen;
    SeedRandom(game->random, 1.0);
    BeginFrameLoop(*game);
    BusyScene scene;
    scene.Populate(*game);

    std::int64_t frame = 0;
    for (long i = 0; i < kWarmUpFrames; ++i, ++frame) {
        scene.BeforeFrame(*game, frame);
        RunFrame(*game);
    }

    // One whole iteration of the loop as the game runs it: the waiting pass
    // before the deadline ("checking", "SDL_Delay") and then the frame.
    // Taken right after the warm-up, whatever the number of frames timed,
    // so the scores it prints (and so its lines) do not depend on it.
    OutputRoutine capture = [&trace](std::string_view text, int flags) {
        trace.push_back({std::string(text), flags});
    };
    SetOutputRoutine(game->console, capture);
    scene.BeforeFrame(*game, frame++);
    game->loop.OldTimer = clock.now + 1;
    LoopPass(*game);
    LoopPass(*game);
    SetOutputRoutine(game->console, sink);
    report.Note("console trace taken after " + std::to_string(kWarmUpFrames) +
                " frames of the busy scene, scores " +
                std::to_string(game->world.players[1].score) + " and " +
                std::to_string(game->world.players[2].score));

    const long n = options.frames;
    std::vector<double> update(n), draw(n), flip(n), split(n), whole(n), clear;
    clear.reserve(2 * n);
    SceneCounts counts;
    for (long i = 0; i < n; ++i, ++frame) {
        scene.BeforeFrame(*game, frame);
        counts.Count(*game);
        SplitTimes t = SplitFrame(*game);
        update[i] = t.update;
        draw[i] = t.draw;
        flip[i] = t.flip;
        split[i] = t.update + t.draw + t.flip;
        clear.push_back(TimeClear(screen));
    }

    // Frames during which the scheduler gave the processor to someone else
    // are counted, so the tail can also be told without them: what other
    // work on the machine adds is not the frame's own cost.
    std::vector<double> unpreempted;
    unpreempted.reserve(n);
    long preempted = 0;
    for (long i = 0; i < n; ++i, ++frame) {
        scene.BeforeFrame(*game, frame);
        counts.Count(*game);
        const long switchesBefore = InvoluntarySwitches();
        const Steady::time_point start = Steady::now();
        RunFrame(*game);
        whole[i] = Ms(start, Steady::now());
        if (InvoluntarySwitches() != switchesBefore)
            ++preempted;
        else
            unpreempted.push_back(whole[i]);
        clear.push_back(TimeClear(screen));
    }
    SDL_Quit();

    const Summary played = Summarise(whole);
    const Summary parts = Summarise(split);
    const Summary wipe = Summarise(clear);
    double sumUpdate = 0, sumDraw = 0, sumFlip = 0;
    for (long i = 0; i < n; ++i) {
        sumUpdate += update[i];
        sumDraw += draw[i];
        sumFlip += flip[i];
    }
    const double sumAll = sumUpdate + sumDraw + sumFlip;
    const double ratio = played.median / wipe.median;

    report.AddWithGoal("frame_median_ms", played.median, "ms", "frame (RunFrame), median",
                       "<= 0.5 ms", played.median <= 0.5);
    report.AddWithGoal("frame_p99_ms", played.p99, "ms", "frame (RunFrame), 99th percentile",
                       "<= 1.5 ms", played.p99 <= 1.5);
    report.Add("frame_max_ms", played.max, "ms", "frame (RunFrame), maximum");
    const Summary own = Summarise(unpreempted);
    report.Add("frames_preempted", static_cast<double>(preempted), "",
               "  frames the scheduler took the CPU away in", 0);
    report.Add("frame_p99_unpreempted_ms", own.p99, "ms", "  99th percentile of the others");
    report.Add("frame_max_unpreempted_ms", own.max, "ms", "  maximum of the others");
    const std::string mode = "640x480x" + std::to_string(options.depth);
    report.Add("clear_ms", wipe.median, "ms", "full-screen clear " + mode + ", median", 4);
    report.AddWithGoal("frame_to_clear_ratio", ratio, "x", "frame median / clear median", "<= 6",
                       ratio <= 6.0, 2);
    report.Add("frame_split_median_ms", parts.median, "ms", "frame (timed in parts), median");
    report.Add("frame_split_p99_ms", parts.p99, "ms", "frame (timed in parts), 99th pct");
    report.Add("update_median_ms", Summarise(update).median, "ms", "  update steps, median", 4);
    report.Add("draw_median_ms", Summarise(draw).median, "ms", "  DrawEverything, median", 4);
    report.Add("flip_median_ms", Summarise(flip).median, "ms", "  PageFlip, median", 4);
    report.Add("update_share", sumUpdate / sumAll, "", "  update share of frame time", 3);
    report.Add("draw_share", sumDraw / sumAll, "", "  draw share of frame time", 3);
    report.Add("flip_share", sumFlip / sumAll, "", "  flip share of frame time", 3);
    report.Add("frames_timed", static_cast<double>(n), "", "frames timed per run", 0);
    report.Add("scene_bullets_mean", counts.bullets / counts.frames, "",
               "scene: bullet entries in play, mean", 1);
    report.Add("scene_enemies_mean", counts.enemies / counts.frames, "",
               "scene: enemies alive, mean", 1);
    report.Add("scene_stars_visible_mean", counts.stars / counts.frames, "",
               "scene: stars on screen, mean", 1);
    report.Note("busy scene: both players hold guns and missiles and weave (64-frame cycle); "
                "before each frame, outside the timing, both ships get health 100, 100 missiles "
                "and 5 spare ships back, enemies are added until 15 slots are taken, and empty "
                "star slots get a new star above the top edge");
    report.Note("frame figures: " + std::to_string(n) +
                " frames timed as RunFrame and again in parts, after " +
                std::to_string(kWarmUpFrames) + " warm-up frames; SDL dummy driver " + mode +
                ", a clock that never sleeps, "
                "console output to a sink; one clear timed after every frame");
    return true;
}
