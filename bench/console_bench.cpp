// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The console figures: one loop iteration's trace replayed through the real
// console on a pseudo-terminal, measuring bytes written and CPU per line.
#include "bench/console_bench.h"

#include "support/console.h"

#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

double ThreadCpuUs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// The terminal's side: a thread that reads everything sent to the pty as it
// comes, as a terminal does, so the writer never stalls on a full buffer
// whatever one line costs.  Bytes are counted up to each mark byte (0x01,
// which neither curses nor the trace ever sends); Settle writes a mark and
// waits for the reader to reach it, so the count is exact at that point.
class PtyReader {
  public:
    PtyReader(int master, int slave) : master_(master), slave_(slave), thread_([this] { Run(); }) {}
    ~PtyReader() { thread_.join(); } // returns once every slave descriptor is closed

    // Bytes before the mark, everything the terminal had been sent by now.
    std::uint64_t Settle() {
        std::unique_lock lock(mutex_);
        const long want = marks_ + 1;
        lock.unlock();
        const char mark = '\x01';
        while (write(slave_, &mark, 1) < 0 && errno == EINTR) {
        }
        lock.lock();
        seen_.wait(lock, [&] { return marks_ >= want || ended_; });
        return bytes_;
    }

  private:
    void Run() {
        char buffer[65536];
        for (;;) {
            ssize_t got = read(master_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break; // EIO: the slave side has gone
            std::lock_guard lock(mutex_);
            for (ssize_t i = 0; i < got; ++i) {
                if (buffer[i] == '\x01')
                    ++marks_;
                else
                    ++bytes_;
            }
            seen_.notify_all();
        }
        std::lock_guard lock(mutex_);
        ended_ = true;
        seen_.notify_all();
    }

    int master_;
    int slave_;
    std::mutex mutex_;
    std::condition_variable seen_;
    std::uint64_t bytes_ = 0;
    long marks_ = 0;
    bool ended_ = false;
    std::thread thread_;
};

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
    double floorUsPerLine = 0; // one write of a line's bytes to the same pty
};

// The floor: what the kernel takes to carry a line's worth of bytes to the
// same pseudo-terminal with one write, as many times as the console wrote
// lines.
double MeasureWriteFloor(int slave, std::size_t bytesPerLine, long lines) {
    std::string bytes(std::max<std::size_t>(bytesPerLine, 1), 'x');
    const double before = ThreadCpuUs();
    for (long i = 0; i < lines; ++i) {
        ssize_t written = write(slave, bytes.data(), bytes.size());
        (void)written;
    }
    return (ThreadCpuUs() - before) / static_cast<double>(lines);
}

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
    std::FILE* out = fdopen(slave, "w");
    std::FILE* in = fdopen(dup(slave), "r");
    bool ok = false;
    {
        PtyReader reader(master, slave);
        Console console;
        StartConsole(console, out, in);
        ok = console.cursesActive;
        if (!ok) error = "curses did not start on the pseudo-terminal";
        if (ok) {
            // Past the first screenful, into the scrolling state the game lives in.
            long warmLines = 0;
            while (warmLines < 3L * rows)
                warmLines += ReplayIteration(console, trace);
            const std::uint64_t before = reader.Settle();

            double cpu = 0;
            long lines = 0;
            for (long i = 0; i < iterations; ++i) {
                const double start = ThreadCpuUs();
                lines += ReplayIteration(console, trace);
                cpu += ThreadCpuUs() - start;
            }
            const std::uint64_t bytes = reader.Settle() - before;
            figures.lines = lines;
            figures.bytesPerLine = static_cast<double>(bytes) / static_cast<double>(lines);
            figures.usPerLine = cpu / static_cast<double>(lines);
            // The pty is in curses' raw modes still; the same bytes now go
            // out in one write per line.
            figures.floorUsPerLine = MeasureWriteFloor(
                slave, static_cast<std::size_t>(figures.bytesPerLine + 0.5), lines);
        }
        RestoreTerminal(console);
        std::fclose(in);
        std::fclose(out); // the reader sees the slave side go and ends
    }
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
    struct Size {
        int cols;
        int rows;
        TerminalFigures figures;
    };
    Size sizes[] = {{80, 24, {}}, {200, 60, {}}, {300, 100, {}}};
    std::string error;
    for (Size& size : sizes) {
        if (!MeasureTerminal(size.cols, size.rows, options.consoleFrames, pieces, size.figures,
                             error)) {
            report.Note("console figures skipped: " + error);
            return false;
        }
    }
    long numbers = 0;
    for (const Replay& piece : pieces)
        numbers += piece.number;
    long linesPerIteration = 0;
    for (const TracePiece& piece : trace)
        linesPerIteration += (piece.flags & kPrintLineEnd) != 0;
    const TerminalFigures& small = sizes[0].figures;
    double worstUs = 0;
    for (const Size& size : sizes) {
        const std::string name = std::to_string(size.cols) + "x" + std::to_string(size.rows);
        const TerminalFigures& f = size.figures;
        report.AddWithGoal("console_bytes_per_line_" + name, f.bytesPerLine, "B",
                           "console bytes per line, " + name, "<= 31.7 B", f.bytesPerLine <= 31.7,
                           1);
        report.Add("console_us_per_line_" + name, f.usPerLine, "us",
                   "console CPU per line, " + name, 2);
        report.Add("console_write_floor_us_" + name, f.floorUsPerLine, "us",
                   "one write of a line's bytes, " + name, 2);
        const double ratio = f.floorUsPerLine > 0 ? f.usPerLine / f.floorUsPerLine : 0;
        report.AddWithGoal("console_floor_ratio_" + name, ratio, "",
                           "console CPU / write floor, " + name, "<= 3", ratio <= 3, 2);
        if (&size != &sizes[0]) {
            const double growth = small.usPerLine > 0 ? f.usPerLine / small.usPerLine : 0;
            report.AddWithGoal("console_growth_" + name, growth, "",
                               "console CPU per line, " + name + " / 80x24", "<= 1.5",
                               growth <= 1.5, 2);
        }
        worstUs = std::max(worstUs, f.usPerLine);
    }
    report.AddWithGoal("console_us_per_line", worstUs, "us", "console CPU per line (worst size)",
                       "<= 20 us", worstUs <= 20, 2);
    report.Add("console_lines_per_frame", static_cast<double>(linesPerIteration), "",
               "console lines per loop iteration", 0);
    report.Note("console figures: the trace of one loop iteration (waiting pass and frame, " +
                std::to_string(linesPerIteration) + " lines, " + std::to_string(pieces.size()) +
                " pieces of which " + std::to_string(numbers) +
                " numbers) captured from the busy scene and replayed " +
                std::to_string(options.consoleFrames) +
                " times through PrintText and PrintInt and the real console (TERM=xterm) on a "
                "pseudo-terminal, after three screenfuls of warm-up; bytes read off the master "
                "side after each "
                "iteration, CPU time of the writing thread only");
    return true;
}
