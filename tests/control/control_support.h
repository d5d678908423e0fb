// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// Helpers for the control tests: a clock the test drives, a trace recorder,
// and a scratch directory to run start-up in.
#pragma once

#include "control/clock.h"
#include "support/console.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

// Time stands still until somebody sleeps; each sleep moves it on exactly.
struct FakeClock final : Clock {
    std::uint32_t now = 1000;
    std::uint32_t advancePerTick = 0; // added at every Ticks(), to model work taking time
    std::vector<std::uint32_t> delays;
    std::function<void(FakeClock&)> onDelay; // lets a test press keys while the game sleeps
    std::uint32_t Ticks() override {
        std::uint32_t t = now;
        now += advancePerTick;
        return t;
    }
    void Delay(std::uint32_t ms) override {
        delays.push_back(ms);
        now += ms;
        if (onDelay) onDelay(*this);
    }
};

// Collects the console trace as whole lines.
struct TraceRecorder {
    std::vector<std::string> lines;
    std::string partial;
    void Attach(Console& console) {
        SetOutputRoutine(console, [this](std::string_view text, int flags) {
            partial.append(text);
            if (flags & kPrintLineEnd) {
                if (!partial.empty() && partial.back() == '\n') partial.pop_back();
                lines.push_back(partial);
                partial.clear();
            }
        });
    }
};

// A fresh directory that becomes the working directory for one test.
class ScratchDir {
  public:
    ScratchDir() {
        char pattern[] = "/tmp/novawing-test-XXXXXX";
        path_ = mkdtemp(pattern);
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchDir() {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(path_);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    // Makes the game's generated images visible here as data/.
    void LinkData() { std::filesystem::create_directory_symlink(old_ / "data", path_ / "data"); }
    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& gameDir() const { return old_; }

  private:
    std::filesystem::path path_;
    std::filesystem::path old_;
};
