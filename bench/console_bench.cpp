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

// The game prints each piece with PrintText or PrintInt; both hand the output
// routine the finished text.  Printing the finished text again with its flags
// (less the line break, which PrintText adds back) hands it exactly the same.
long ReplayIteration(Console& console, const std::vector<TracePiece>& trace) {
    long lines = 0;
    for (const TracePiece& piece : trace) {
        std::string_view text = piece.text;
        if (piece.flags & kPrintLineEnd) {
            if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
            ++lines;
        }
        PrintText(console, text, piece.flags);
    }
    return lines;
}

struct TerminalFigures {
    double bytesPerLine = 0;
    double usPerLine = 0;
    long lines = 0;
};

bool MeasureTerminal(int cols, int rows, long iterations, const std::vector<TracePiece>& trace,
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

    TerminalFigures small;
    TerminalFigures large;
    std::string error;
    if (!MeasureTerminal(80, 24, options.consoleFrames, trace, small, error) ||
        !MeasureTerminal(200, 60, options.consoleFrames, trace, large, error)) {
        report.Note("console figures skipped: " + error);
        return false;
    }
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
                std::to_string(linesPerIteration) +
                " lines) captured from the busy scene and replayed " +
                std::to_string(options.consoleFrames) +
                " times through the real curses console (TERM=xterm) on a pseudo-terminal, after "
                "three screenfuls of warm-up; bytes read off the master side after each "
                "iteration, CPU time of the writing thread only");
    return true;
}
