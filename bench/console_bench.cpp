// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The console figures: one loop iteration's trace replayed through the real
// curses console on a pseudo-terminal, measuring bytes written and CPU per line.
#include "bench/console_bench.h"

#include "support/console.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

namespace {

double ThreadCpuUs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// Everything the terminal has been sent so far, read off the master side.
std::uint64_t Drain(int master) {
    std::uint64_t total = 0;
    char buffer[65536];
    for (;;) {
        ssize_t got = read(master, buffer, sizeof buffer);
        if (got > 0) {
            total += static_cast<std::uint64_t>(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return total; // EAGAIN: nothing more for now
    }
}

// One captured piece, ready to be printed again the way the game printed it.
struct Replay {
    std::string text; // without the line break PrintText adds back
    int flags = 0;
    bool number = false; // printed with PrintInt
    std::int32_t value = 0;
};

// The output routine sees only finished text.  A piece that is exactly what
// PrintInt makes of a number with those flags was a PrintInt call (the game
// prints no text of that shape); anything else was PrintText.
std::vector<Replay> ClassifyPieces(const std::vector<TracePiece>& trace) {
    std::vector<Replay> pieces;
    for (const TracePiece& piece : trace) {
        Replay r;
        r.flags = piece.flags;
        r.text = piece.text;
        if ((r.flags & kPrintLineEnd) && !r.text.empty() && r.text.back() == '\n')
            r.text.pop_back();
        char* end = nullptr;
        const long value = std::strtol(r.text.c_str(), &end, 10);
        if (end != r.text.c_str() && value >= INT32_MIN && value <= INT32_MAX) {
            const char* format = (r.flags & kPrintLineEnd) ? "% d\n"
                                 : (r.flags & kPrintZone)  ? "% -14d"
                                                           : "% d";
            char again[32];
            std::snprintf(again, sizeof again, format, static_cast<int>(value));
            r.number = piece.text == again;
            r.value = static_cast<std::int32_t>(value);
        }
        pieces.push_back(std::move(r));
    }
    return pieces;
}

long ReplayIteration(Console& console, const std::vector<Replay>& pieces) {
    long lines = 0;
    for (const Replay& piece : pieces) {
        if (piece.number)
            PrintInt(console, piece.value, piece.flags);
        else
            PrintText(console, piece.text, piece.flags);
        lines += (piece.flags & kPrintLineEnd) != 0;
    }
    return lines;
}

struct TerminalFigures {
    double bytesPerLine = 0;
    double usPerLine = 0;
    long lines = 0;
};

bool MeasureTerminal(int cols, int rows, long iterations, const std::vector<Replay>& trace,
                     TerminalFigures& figures, std::string& error) {
    int master = -1;
    int slave = -1;
    winsize size{};
    size.ws_col = static_cast<unsigned short>(cols);
    size.ws_row = static_cast<unsigned short>(rows);
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
        error = "openpty failed";
        return false;
    }
    ioctl(slave, TIOCSWINSZ, &size);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    std::FILE* out = fdopen(slave, "w");
    std::FILE* in = fdopen(dup(slave), "r");

    Console console;
    StartConsole(console, out, in);
    bool ok = console.cursesActive;
    if (!ok) error = "curses did not start on the pseudo-terminal";
    if (ok) {
        // Past the first screenful, into the scrolling state the game lives in.
        long warmLines = 0;
        // Drained after every iteration: a full terminal buffer would stall
        // the writer.
        while (warmLines < 3L * rows) {
            warmLines += ReplayIteration(console, trace);
            Drain(master);
        }

        double cpu = 0;
        std::uint64_t bytes = 0;
        long lines = 0;
        for (long i = 0; i < iterations; ++i) {
            const double before = ThreadCpuUs();
            lines += ReplayIteration(console, trace);
            cpu += ThreadCpuUs() - before;
            bytes += Drain(master); // not timed: the terminal's side of the work
        }
        figures.lines = lines;
        figures.bytesPerLine = static_cast<double>(bytes) / static_cast<double>(lines);
        figures.usPerLine = cpu / static_cast<double>(lines);
    }
    RestoreTerminal(console);
    Drain(master);
    std::fclose(in);
    std::fclose(out);
    close(master);
    return ok;
}

} // namespace

bool RunConsoleBench(const BenchOptions& options, const std::vector<TracePiece>& trace,
                     Report& report) {
    if (trace.empty()) {
        report.Note("console figures skipped: no trace was captured");
        return false;
    }
    // The terminal the trace is shown on, as an xterm would describe itself;
    // LINES and COLUMNS would override the size the pseudo-terminal reports.
    setenv("TERM", "xterm", 1);
    unsetenv("LINES");
    unsetenv("COLUMNS");

    const std::vector<Replay> pieces = ClassifyPieces(trace);
    TerminalFigures small;
    TerminalFigures large;
    std::string error;
    if (!MeasureTerminal(80, 24, options.consoleFrames, pieces, small, error) ||
        !MeasureTerminal(200, 60, options.consoleFrames, pieces, large, error)) {
        report.Note("console figures skipped: " + error);
        return false;
    }
    long numbers = 0;
    for (const Replay& piece : pieces)
        numbers += piece.number;
    long linesPerIteration = 0;
    for (const TracePiece& piece : trace)
        linesPerIteration += (piece.flags & kPrintLineEnd) != 0;
    const double worstUs = std::max(small.usPerLine, large.usPerLine);
    report.AddWithGoal("console_bytes_per_line_80x24", small.bytesPerLine, "B",
                       "console bytes per line, 80x24", "<= 32 B", small.bytesPerLine <= 32, 1);
    report.AddWithGoal("console_bytes_per_line_200x60", large.bytesPerLine, "B",
                       "console bytes per line, 200x60", "<= 32 B", large.bytesPerLine <= 32, 1);
    report.Add("console_us_per_line_80x24", small.usPerLine, "us", "console CPU per line, 80x24",
               2);
    report.Add("console_us_per_line_200x60", large.usPerLine, "us", "console CPU per line, 200x60",
               2);
    report.AddWithGoal("console_us_per_line", worstUs, "us", "console CPU per line (worse size)",
                       "<= 20 us", worstUs <= 20, 2);
    report.Add("console_lines_per_frame", static_cast<double>(linesPerIteration), "",
               "console lines per loop iteration", 0);
    report.Note("console figures: the trace of one loop iteration (waiting pass and frame, " +
                std::to_string(linesPerIteration) + " lines, " + std::to_string(pieces.size()) +
                " pieces of which " + std::to_string(numbers) +
                " numbers) captured from the busy scene and replayed " +
                std::to_string(options.consoleFrames) +
                " times through PrintText and PrintInt and the real curses console (TERM=xterm) on "
                "a pseudo-terminal, after "
                "three screenfuls of warm-up; bytes read off the master side after each "
                "iteration, CPU time of the writing thread only");
    return true;
}
