// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The console: print operations, the trace on a real pseudo-terminal checked
// against a model of the terminal, the plain fallback and restoring the
// terminal however the process ends.
#include "support/console.h"
#include "support/process.h"

#include "support/floating_point_support.h"

#include <gtest/gtest.h>

#include <curses.h>
#include <term.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Piece = std::pair<std::string, int>;

// Collects what the print operations hand to the output routine.
struct Capture {
    std::vector<Piece> pieces;
    OutputRoutine Routine() {
        return [this](std::string_view text, int flags) { pieces.emplace_back(text, flags); };
    }
};

// A real pseudo-terminal of a given size; the test reads what the game
// writes to it from the master side.
class Pty {
  public:
    explicit Pty(int rows = 24, int cols = 80) {
        winsize size{};
        size.ws_row = static_cast<unsigned short>(rows);
        size.ws_col = static_cast<unsigned short>(cols);
        openpty(&master, &slave, nullptr, nullptr, &size);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        out = fdopen(dup(slave), "w");
        in = fdopen(dup(slave), "r");
    }
    ~Pty() {
        std::fclose(out);
        std::fclose(in);
        close(slave);
        close(master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Everything written to the terminal up to now.  The kernel hands
    // written bytes to the master side a little later, so a mark byte (which
    // the console never sends) is written after them, and the bytes are read
    // up to it: exact, however busy the machine.  No mark within a minute is
    // a fault, not a slow machine.
    std::string Take() {
        const char mark = '\x01';
        if (write(slave, &mark, 1) != 1) return Arrived();
        std::string bytes = std::move(early_);
        early_.clear();
        for (std::size_t at; (at = bytes.find(mark)) == std::string::npos;) {
            pollfd ready{master, POLLIN, 0};
            if (poll(&ready, 1, 60000) <= 0) break;
            bytes += Arrived();
        }
        const std::size_t at = bytes.find(mark);
        if (at == std::string::npos) return bytes;
        early_ = bytes.substr(at + 1); // written meanwhile by a process still running
        bytes.resize(at);
        return bytes;
    }

    // Only what has arrived so far.
    std::string Arrived() {
        std::string bytes;
        char chunk[4096];
        for (ssize_t n; (n = read(master, chunk, sizeof chunk)) > 0;)
            bytes.append(chunk, static_cast<std::size_t>(n));
        return bytes;
    }

    int master = -1;
    int slave = -1;
    std::FILE* out = nullptr;
    std::FILE* in = nullptr;

  private:
    std::string early_;
};

void UseTerminal(const char* term) {
    if (term)
        setenv("TERM", term, 1);
    else
        unsetenv("TERM");
    // The size must come from the pseudo-terminal itself.
    unsetenv("LINES");
    unsetenv("COLUMNS");
}

// Terminal descriptions of our own, compiled with tic into a directory that
// curses looks in first, for the kinds of terminal the tests need and no
// system need have: "source" is terminfo source such as
// "xterm-noind|xterm without ind, ind@, use=xterm,".
class CompiledTerminals {
  public:
    explicit CompiledTerminals(const std::string& source) {
        char name[] = "/tmp/novawing-terminfo-XXXXXX";
        dir_ = mkdtemp(name) ? name : "";
        const std::string file = dir_ + "/terminals.src";
        std::ofstream(file) << source << "\n";
        const std::string command = "tic -x -o '" + dir_ + "' '" + file + "' 2>&1";
        compiled_ = !dir_.empty() && std::system(command.c_str()) == 0;
        setenv("TERMINFO", dir_.c_str(), 1);
    }
    ~CompiledTerminals() {
        unsetenv("TERMINFO");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    CompiledTerminals(const CompiledTerminals&) = delete;
    CompiledTerminals& operator=(const CompiledTerminals&) = delete;
    bool compiled() const { return compiled_; }

  private:
    std::string dir_;
    bool compiled_ = false;
};

std::string Trimmed(std::string_view row) {
    while (!row.empty() && row.back() == ' ')
        row.remove_suffix(1);
    return std::string(row);
}

// The console's own picture of its screen, one row a string without its
// trailing blanks.
std::vector<std::string> Picture(const Console& console) {
    std::vector<std::string> rows;
    for (int row = 0; row < console.picture.rows; ++row)
        rows.push_back(Trimmed(console.picture.Row(row)));
    return rows;
}

std::string Numbered(int n) {
    return "trace line " + std::to_string(n);
}

bool Contains(const std::string& bytes, const std::string& part) {
    return bytes.find(part) != std::string::npos;
}

std::string Sequence(const char* capability) {
    const TerminalBytes bytes = TerminalSequence(capability);
    return std::string(bytes.bytes.data(), bytes.length);
}

// What a console started on a terminal of this size shows once it has
// printed trace lines 1 to `last`.
std::vector<std::string> FreshScreen(int height, int width, int last) {
    Pty pty(height, width);
    UseTerminal("xterm");
    Console console;
    StartConsole(console, pty.out, pty.in);
    for (int n = 1; n <= last; ++n) {
        PrintLine(console, Numbered(n));
        if (n % 20 == 0) pty.Take();
    }
    std::vector<std::string> screen = Picture(console);
    RestoreTerminal(console);
    return screen;
}

// Gives the terminal a new size and tells the process, as a terminal window
// does when it is dragged.  (The pseudo-terminal is not this process's
// controlling terminal, so the kernel would not send SIGWINCH itself.)
void Resize(Pty& pty, int rows, int cols) {
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(cols);
    ioctl(pty.master, TIOCSWINSZ, &size);
    std::raise(SIGWINCH);
}

// A terminal that shows what xterm would show for the bytes it is given, as
// far as the console and curses use xterm (and the VT100): text with
// wrapping at the right margin (xterm waits at the last column until the
// next character), the cursor moves, line feed and "ind" scrolling the
// scroll region, erasing, and the scroll region itself.
// Attributes, modes and the character set change nothing here; a cursor
// address off the screen fails the test, and any other sequence that moves
// the cursor shows up as a screen that differs from the console's picture.
class XtermScreen {
  public:
    XtermScreen(int rows, int cols)
        : rows_(rows), cols_(cols), cells_(rows, std::string(cols, ' ')), bottom_(rows - 1) {}

    void Feed(const std::string& bytes) {
        for (char c : bytes)
            Byte(static_cast<unsigned char>(c));
    }

    // The terminal window dragged to a new size: what it shows is its own
    // affair, here the top left kept.
    void Resize(int rows, int cols) {
        cells_.resize(rows, std::string(cols, ' '));
        for (std::string& row : cells_)
            row.resize(cols, ' ');
        rows_ = rows;
        cols_ = cols;
        top_ = 0;
        bottom_ = rows - 1;
        y_ = std::min(y_, rows - 1);
        x_ = std::min(x_, cols - 1);
    }

    // One row without its trailing blanks.
    std::string Row(int row) const { return Trimmed(cells_[row]); }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int row = 0; row < rows_; ++row)
            rows.push_back(Row(row));
        return rows;
    }

  private:
    void Byte(unsigned char c) {
        if (state_ == State::kEscape) {
            state_ = State::kText;
            if (c == '[') {
                state_ = State::kControl;
                params_.clear();
            } else if (c == '(' || c == ')') {
                state_ = State::kCharset;
            } else if (c == 'D') {
                LineFeed();
            }
            return; // ESC = and ESC > (keypad) change nothing shown
        }
        if (state_ == State::kCharset) {
            state_ = State::kText;
            return;
        }
        if (state_ == State::kControl) {
            if ((c >= '0' && c <= '9') || c == ';' || c == '?' || c == '>' || c == '!') {
                params_ += static_cast<char>(c);
                return;
            }
            state_ = State::kText;
            Control(c);
            return;
        }
        switch (c) {
        case 0x1b:
            state_ = State::kEscape;
            return;
        case '\r':
            x_ = 0;
            return;
        case '\n':
            LineFeed();
            return;
        case '\b':
            if (x_ > 0) --x_;
            return;
        case '\t':
            x_ = std::min(cols_ - 1, (x_ / 8 + 1) * 8);
            return;
        default:
            break;
        }
        if (c < 0x20) return;
        Print(static_cast<char>(c));
    }

    void Print(char c) {
        if (x_ >= cols_) { // the wrap waiting at the right margin
            x_ = 0;
            LineFeed();
        }
        cells_[y_][x_++] = c;
    }

    int Param(std::size_t index, int otherwise) const {
        std::vector<int> values;
        std::string digits;
        for (char c : params_ + ";") {
            if (c == ';') {
                values.push_back(digits.empty() ? -1 : std::stoi(digits));
                digits.clear();
            } else if (c >= '0' && c <= '9') {
                digits += c;
            }
        }
        return index < values.size() && values[index] > 0 ? values[index] : otherwise;
    }

    void Control(unsigned char final) {
        const bool privateMode = !params_.empty() && (params_[0] == '?' || params_[0] == '>');
        if (privateMode) {
            // Only the alternate screen changes what is shown: it starts blank.
            if (params_.rfind("?1049", 0) == 0) Clear(0, rows_);
            return;
        }
        const int n = Param(0, 1);
        switch (final) {
        case 'H':
        case 'f':
            EXPECT_LE(Param(0, 1), rows_) << "a cursor address below the screen";
            EXPECT_LE(Param(1, 1), cols_) << "a cursor address right of the screen";
            y_ = std::clamp(Param(0, 1) - 1, 0, rows_ - 1);
            x_ = std::clamp(Param(1, 1) - 1, 0, cols_ - 1);
            break;
        case 'A':
            y_ = std::max(y_ - n, y_ >= top_ ? top_ : 0);
            x_ = std::min(x_, cols_ - 1);
            break;
        case 'B':
            y_ = std::min(y_ + n, y_ <= bottom_ ? bottom_ : rows_ - 1);
            x_ = std::min(x_, cols_ - 1);
            break;
        case 'C':
            x_ = std::min(std::min(x_, cols_ - 1) + n, cols_ - 1);
            break;
        case 'D':
            x_ = std::max(std::min(x_, cols_ - 1) - n, 0);
            break;
        case 'd':
            y_ = std::clamp(n - 1, 0, rows_ - 1);
            x_ = std::min(x_, cols_ - 1);
            break;
        case 'G':
            x_ = std::clamp(n - 1, 0, cols_ - 1);
            break;
        case 'K': {
            const int mode = Param(0, 0);
            const int from = mode == 0 ? std::min(x_, cols_ - 1) : 0;
            const int to = mode == 1 ? std::min(x_, cols_ - 1) + 1 : cols_;
            std::fill(cells_[y_].begin() + from, cells_[y_].begin() + to, ' ');
            break;
        }
        case 'J':
            if (Param(0, 0) == 2) {
                Clear(0, rows_);
            } else {
                std::fill(cells_[y_].begin() + std::min(x_, cols_ - 1), cells_[y_].end(), ' ');
                Clear(y_ + 1, rows_);
            }
            break;
        case 'r':
            top_ = Param(0, 1) - 1;
            bottom_ = std::min(Param(1, rows_), rows_) - 1;
            y_ = 0;
            x_ = 0;
            break;
        default:
            break; // attributes, modes, window reports: nothing moves
        }
    }

    void Clear(int from, int to) {
        for (int row = from; row < to; ++row)
            cells_[row].assign(cols_, ' ');
    }

    void ScrollUp() {
        cells_.erase(cells_.begin() + top_);
        cells_.insert(cells_.begin() + bottom_, std::string(cols_, ' '));
    }

    void LineFeed() {
        x_ = std::min(x_, cols_ - 1);
        if (y_ == bottom_)
            ScrollUp();
        else if (y_ < rows_ - 1)
            ++y_;
    }

    enum class State { kText, kEscape, kControl, kCharset };
    int rows_;
    int cols_;
    std::vector<std::string> cells_;
    int top_ = 0;
    int bottom_;
    int y_ = 0;
    int x_ = 0;
    State state_ = State::kText;
    std::string params_;
};

// Feeds what the terminal has been sent to the model and checks that it
// shows the console's picture, row for row.
void ExpectTerminalShowsPicture(Pty& pty, XtermScreen& terminal, const Console& console,
                                const std::string& when) {
    terminal.Feed(pty.Take());
    EXPECT_EQ(terminal.Rows(), Picture(console)) << when;
}

// Runs body in a child process and returns its wait status.
template <typename Body>
int InChild(Body body) {
    std::fflush(nullptr); // nothing buffered gets written twice
    pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(99);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

// In a child process: the console on `pty`, which is standard error too, as
// the game starts it, one trace line, and a library's message to standard
// error.
void PlayOn(Pty& pty, Console& console, const char* line, const char* message) {
    dup2(pty.slave, 2);
    UseTerminal("xterm");
    StartConsole(console, pty.out, pty.in);
    InstallTerminalRestore(console);
    PrintLine(console, line);
    std::fputs(message, stderr);
}

// The pieces one score digit is printed in (DrawNumber), and the whole line
// they make.
void PrintDigitLine(Console& console, int d, int x, int y) {
    PrintInt(console, d, 0);
    PrintText(console, "It was ok, at", 0);
    PrintInt(console, x, kPrintZone);
    PrintInt(console, y, kPrintZone);
    PrintInt(console, d, kPrintLineEnd);
}

std::string DigitLine(int d, int x, int y) {
    char line[64];
    std::snprintf(line, sizeof line, "% dIt was ok, at% -14d% -14d% d", d, x, y, d);
    return line;
}

} // namespace

TEST(ConsolePrint, FlagsChooseLineEndZoneOrNothing) {
    Console console;
    Capture capture;
    SetOutputRoutine(console, capture.Routine());

    PrintInt(console, 5, 0);
    PrintInt(console, -5, 0);
    PrintInt(console, 5, kPrintZone);
    PrintInt(console, 5, kPrintLineEnd);
    PrintInt(console, -5, kPrintLineEnd | kPrintZone);
    PrintInt(console, INT_MIN, kPrintZone);
    PrintText(console, "abc", 0);
    PrintText(console, "abc", kPrintLineEnd);
    PrintText(console, "abc", kPrintZone);
    PrintText(console, "abc", kPrintLineEnd | kPrintZone);
    PrintText(console, "fifteen chars!!", kPrintZone);
    PrintText(console, "", kPrintLineEnd);
    PrintLine(console, "initilizing sdl");

    std::vector<Piece> expected = {
        {" 5", 0},
        {"-5", 0},
        {" 5            ", kPrintZone},
        {" 5\n", kPrintLineEnd},
        {"-5\n", kPrintLineEnd | kPrintZone},
        {"-2147483648   ", kPrintZone},
        {"abc", 0},
        {"abc\n", kPrintLineEnd},
        {"abc           ", kPrintZone},
        {"abc\n", kPrintLineEnd | kPrintZone},
        {"fifteen chars!!", kPrintZone},
        {"\n", kPrintLineEnd},
        {"initilizing sdl\n", kPrintLineEnd},
    };
    EXPECT_EQ(capture.pieces, expected);
}

TEST(ConsolePrint, LongTextsGoOutInPiecesWithTheFlagsOnTheLast) {
    Console console;
    Capture capture;
    SetOutputRoutine(console, capture.Routine());

    std::string text;
    for (int i = 0; i < 4501; ++i)
        text += static_cast<char>('a' + i % 26);
    PrintText(console, text, kPrintLineEnd);
    ASSERT_EQ(capture.pieces.size(), 3u);
    EXPECT_EQ(capture.pieces[0], Piece(text.substr(0, 2000), 0));
    EXPECT_EQ(capture.pieces[1], Piece(text.substr(2000, 2000), 0));
    EXPECT_EQ(capture.pieces[2], Piece(text.substr(4000) + "\n", kPrintLineEnd));

    capture.pieces.clear();
    PrintText(console, std::string(2000, 'x'), kPrintZone);
    EXPECT_EQ(capture.pieces, (std::vector<Piece>{{std::string(2000, 'x'), kPrintZone}}));

    capture.pieces.clear();
    PrintText(console, std::string(2001, 'y'), kPrintZone);
    EXPECT_EQ(capture.pieces,
              (std::vector<Piece>{{std::string(2000, 'y'), 0}, {"y             ", kPrintZone}}));
}

TEST(ConsolePrint, OutputRoutineIsReplaceable) {
    Console console;
    Capture first;
    Capture second;
    EXPECT_FALSE(SetOutputRoutine(console, first.Routine())); // was the screen writer
    OutputRoutine previous = SetOutputRoutine(console, second.Routine());
    ASSERT_TRUE(previous);
    PrintLine(console, "to second");
    previous("to first", 0);
    OutputRoutine back = SetOutputRoutine(console, previous);
    PrintLine(console, "first again");
    EXPECT_EQ(first.pieces, (std::vector<Piece>{{"to first", 0}, {"first again\n", 1}}));
    EXPECT_EQ(second.pieces, (std::vector<Piece>{{"to second\n", 1}}));
    ASSERT_TRUE(back);

    // Back to the default writer: a console that was never started shows
    // nothing and does not touch curses.
    SetOutputRoutine(console, nullptr);
    PrintLine(console, "nowhere");
    PrintInt(console, 7, kPrintZone);
    EXPECT_FALSE(console.cursesActive);
    RestoreTerminal(console);
}

TEST(ConsolePlain, NoUsableTerminalMeansPlainLines) {
    // A pipe.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::FILE* pipeOut = fdopen(ends[1], "w");
    {
        Console console;
        StartConsole(console, pipeOut, stdin);
        EXPECT_TRUE(console.plain);
        EXPECT_FALSE(console.cursesActive);
        PrintLine(console, "initilizing sdl");
        PrintText(console, "a", kPrintZone);
        PrintInt(console, 5, kPrintLineEnd);
        RestoreTerminal(console);
        RestoreTerminal(console);
    }
    std::fclose(pipeOut);
    char got[256] = {};
    ssize_t n = read(ends[0], got, sizeof got - 1);
    close(ends[0]);
    EXPECT_EQ(std::string(got, n > 0 ? static_cast<std::size_t>(n) : 0),
              "initilizing sdl\na              5\n");

    // A terminal, but no TERM, an unknown one, one that cannot move its
    // cursor, one that cannot show a tilde (Hazeltine), or one whose cursor
    // address needs padding curses would send: plain lines there too, and no
    // escape sequences at all.
    CompiledTerminals compiled("xterm-hz|xterm that shows no tilde, hz, use=xterm,\n"
                               "xterm-slow|xterm whose cursor address needs a delay,\n"
                               "\txon@, cup=\\E[%i%p1%d;%p2%dH$<5>, use=xterm,");
    ASSERT_TRUE(compiled.compiled());
    for (const char* term : {static_cast<const char*>(nullptr), "no-such-terminal", "dumb",
                             "xterm-hz", "xterm-slow"}) {
        Pty pty;
        UseTerminal(term);
        Console console;
        StartConsole(console, pty.out, pty.in);
        EXPECT_TRUE(console.plain) << (term ? term : "unset");
        PrintLine(console, "starting menu");
        RestoreTerminal(console);
        std::string bytes = pty.Take();
        EXPECT_TRUE(Contains(bytes, "starting menu")) << bytes;
        if (term && std::string(term).rfind("xterm", 0) == 0) continue; // curses came and went
        EXPECT_FALSE(Contains(bytes, "\033")) << (term ? term : "unset");
    }
}

TEST(ConsolePlain, ReaderThatGoesAwayDoesNotEndTheGame) {
    // `novawing | head`: the reader exits, and the game must play on.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::FILE* pipeOut = fdopen(ends[1], "w");
    close(ends[0]);
    Console console;
    StartConsole(console, pipeOut, stdin);
    for (int i = 0; i < 100; ++i)
        PrintLine(console, "checking");
    EXPECT_EQ(console.plainOut, nullptr); // the trace has stopped
    PrintLine(console, "still here");
    std::signal(SIGPIPE, SIG_DFL);
    std::fclose(pipeOut);
}

TEST(ConsoleScreen, NewestLineOnTheSecondToLastRow) {
    Pty pty;
    UseTerminal("xterm");
    Console console;
    StartConsole(console, pty.out, pty.in);
    ASSERT_TRUE(console.cursesActive);
    ASSERT_EQ(console.picture.rows, 24);
    ASSERT_EQ(console.picture.cols, 80);
    EXPECT_TRUE(Contains(pty.Take(), "\033(U"));

    // A fresh screen fills from the top without scrolling.
    for (int n = 1; n <= 23; ++n)
        PrintLine(console, Numbered(n));
    EXPECT_EQ(console.regionTop, 1);
    EXPECT_EQ(console.regionBottom, 24);
    std::vector<std::string> rows = Picture(console);
    EXPECT_EQ(rows[0], Numbered(1));
    EXPECT_EQ(rows[22], Numbered(23));
    EXPECT_EQ(rows[23], "");
    EXPECT_EQ(console.picture.cursorRow, 23);
    EXPECT_EQ(console.picture.cursorColumn, 0);
    pty.Take();

    // The next line scrolls by one, and so does every line after it.  Each
    // goes out as the scroll (down to the last row, "ind", back up), its
    // own characters and a carriage return, in one piece; nothing reaches
    // the process's standard output (which need not be that terminal).
    int captured[2];
    ASSERT_EQ(pipe(captured), 0);
    fcntl(captured[0], F_SETFL, O_NONBLOCK);
    std::fflush(stdout);
    const int savedOut = dup(1);
    dup2(captured[1], 1);
    PrintLine(console, Numbered(24));
    std::fflush(stdout);
    dup2(savedOut, 1);
    close(savedOut);
    close(captured[1]);
    char stray[64];
    EXPECT_LE(read(captured[0], stray, sizeof stray), 0) << "terminal bytes on standard output";
    close(captured[0]);
    const std::string scroll = Sequence("cud1") + Sequence("ind") + Sequence("cuu1");
    EXPECT_EQ(pty.Take(), scroll + Numbered(24) + Sequence("cr"));
    rows = Picture(console);
    EXPECT_EQ(rows[0], Numbered(2));
    EXPECT_EQ(rows[22], Numbered(24));
    EXPECT_EQ(rows[23], "");

    // A gap goes out as one cursor move where that is shorter; the pieces
    // of a score line wait for its end and go out with it.
    PrintText(console, "gap", 0);
    EXPECT_EQ(pty.Take(), "");
    PrintText(console, std::string(20, ' ') + "end", kPrintLineEnd);
    EXPECT_EQ(pty.Take(), scroll + "gap" + tiparm(TerminalString("cuf"), 20) + "end" + "\r");
    PrintDigitLine(console, 5, 120, -10);
    const std::string right10 = tiparm(TerminalString("cuf"), 10);
    const std::string right12 = tiparm(TerminalString("cuf"), 12);
    EXPECT_EQ(pty.Take(), scroll + " 5It was ok, at 120" + right10 + "-10" + right12 + "5\r");
    for (int n = 27; n <= 64; ++n)
        PrintLine(console, Numbered(n));
    rows = Picture(console);
    for (int row = 0; row <= 22; ++row)
        EXPECT_EQ(rows[row], Numbered(42 + row));
    EXPECT_EQ(rows[23], "");
    EXPECT_EQ(console.repaints, 0);
    RestoreTerminal(console);
}

TEST(ConsoleScreen, WrappingAndPartLines) {
    Pty pty;
    UseTerminal("xterm");
    Console console;
    StartConsole(console, pty.out, pty.in);
    ASSERT_TRUE(console.cursesActive);

    // Output without a line end leaves the cursor after it.
    PrintText(console, "ab", 0);
    PrintText(console, "cd", kPrintLineEnd);
    PrintInt(console, 5, kPrintZone);
    PrintInt(console, -12, kPrintLineEnd);
    EXPECT_EQ(Picture(console)[0], "abcd");
    EXPECT_EQ(Picture(console)[1], " 5            -12");
    for (int n = 3; n <= 23; ++n)
        PrintLine(console, Numbered(n));
    EXPECT_EQ(console.picture.cursorRow, 23);

    // A line of exactly 80 columns needs one extra line only.
    std::string full(80, '=');
    PrintLine(console, full);
    std::vector<std::string> rows = Picture(console);
    EXPECT_EQ(rows[21], Numbered(23));
    EXPECT_EQ(rows[22], full);
    EXPECT_EQ(rows[23], "");

    // A 100-column line wraps onto a second row: the screen scrolls by two.
    std::string wide;
    for (int i = 0; i < 100; ++i)
        wide += static_cast<char>('0' + i % 10);
    PrintLine(console, wide);
    rows = Picture(console);
    EXPECT_EQ(rows[20], full);
    EXPECT_EQ(rows[21], wide.substr(0, 80));
    EXPECT_EQ(rows[22], wide.substr(80));
    EXPECT_EQ(rows[23], "");

    // Control characters show as curses shows them, a tab as blanks to the
    // next stop, and nothing from a NUL on.
    PrintLine(console, std::string("c\x01t\tl\x7f\x80\xe9\n~", 10) + std::string("\0hidden", 7));
    EXPECT_EQ(Picture(console)[22], std::string("c^At    l^?~@") + unctrl(0xe9) + "^J~");

    // Taller than the screen: starts on the top row, no crash.
    PrintLine(console, std::string(3000, '#'));
    EXPECT_EQ(Picture(console)[0], std::string(80, '#'));
    PrintLine(console, "after");
    PrintLine(console, "again");
    rows = Picture(console);
    EXPECT_EQ(rows[22], "again");
    EXPECT_EQ(rows[23], "");
    RestoreTerminal(console);
}

// What the terminal itself shows, worked out from the bytes the console
// sent, is the console's own picture, line after line, at several sizes, on
// xterm and on the VT100, whose strings carry padding that curses would not
// send (it has XON/XOFF), so that "$<2>" would show as text if it were sent.
TEST(ConsoleScreen, TheTerminalShowsWhatTheConsoleThinksItShows) {
    struct Case {
        const char* term;
        int rows;
        int cols;
    };
    for (const Case& c : {Case{"xterm", 24, 80}, Case{"xterm", 60, 200}, Case{"xterm", 100, 300},
                          Case{"xterm", 6, 20}, Case{"vt100", 24, 80}}) {
        const std::string size =
            std::string(c.term) + " " + std::to_string(c.cols) + "x" + std::to_string(c.rows);
        SCOPED_TRACE(size);
        Pty pty(c.rows, c.cols);
        UseTerminal(c.term);
        Console console;
        StartConsole(console, pty.out, pty.in);
        ASSERT_TRUE(console.cursesActive);
        XtermScreen terminal(c.rows, c.cols);
        const int total = 3 * c.rows + 40;
        for (int n = 1; n <= total; ++n) {
            // Plain lines, lines in pieces with print zones (as the score
            // lines are printed), an empty line, lines as wide as the
            // screen and wider, control characters (which show as two
            // cells), a gap longer than a cursor move is worth, and a piece
            // that fills the last row to its end.
            switch (n % 9) {
            case 0:
                PrintDigitLine(console, n % 10, n, -n);
                break;
            case 3:
                PrintLine(console, std::string(static_cast<std::size_t>(c.cols), 'a' + n % 26));
                break;
            case 4:
                PrintText(console, std::string(static_cast<std::size_t>(c.cols), '-'), 0);
                PrintLine(console, "after a full row");
                break;
            case 5:
                PrintLine(console, std::string(static_cast<std::size_t>(c.cols) + 7, 'A' + n % 26));
                break;
            case 6:
                PrintLine(console, "");
                break;
            case 7:
                PrintLine(console, "c\x01t\tl ~");
                break;
            case 8:
                PrintLine(console, "g" + std::string(std::min(40, c.cols - 3), ' ') + "p");
                break;
            default:
                PrintLine(console, Numbered(n));
                break;
            }
            terminal.Feed(pty.Take());
            if (n % 5 != 0) continue;
            terminal.Feed(pty.Take());
            std::vector<std::string> shown = terminal.Rows();
            const std::vector<std::string> picture = Picture(console);
            ASSERT_EQ(shown.size(), picture.size());
            EXPECT_EQ(shown.back(), "") << "line " << n;
            for (int row = 0; row < c.rows; ++row)
                ASSERT_EQ(shown[row], picture[row]) << "row " << row << ", line " << n;
        }
        EXPECT_EQ(console.repaints, 0);
        RestoreTerminal(console);
    }
}

// A piece of a line that ends in the last column of the bottom row leaves
// the cursor past the end, and the next piece starts a new row: every
// character of the trace stands on the screen.  At these widths the score
// lines' pieces meet the margin: "Drawing number " is 15 columns, the label
// and a zone 29, with the second zone 43, and at 2 columns every piece does.
TEST(ConsoleScreen, NoCharacterIsLostAtTheLastColumn) {
    for (int cols : {2, 15, 29, 43}) {
        SCOPED_TRACE(std::to_string(cols) + " columns");
        const int rows = 40;
        Pty pty(rows, cols);
        UseTerminal("xterm");
        Console console;
        StartConsole(console, pty.out, pty.in);
        ASSERT_TRUE(console.cursesActive);
        XtermScreen terminal(rows, cols);
        bool steady = false;
        for (int n = 0; n < 30; ++n) {
            std::vector<std::string> frame;
            const int score = 97 * n;
            PrintText(console, "Drawing number ", 0);
            PrintText(console, std::to_string(score), kPrintLineEnd);
            frame.push_back("Drawing number " + std::to_string(score));
            int x = 20;
            for (char digit : std::to_string(score)) {
                PrintDigitLine(console, digit - '0', x, 10);
                frame.push_back(DigitLine(digit - '0', x, 10));
                x += 57;
            }
            PrintLine(console, "Rendering score");
            frame.push_back("Rendering score");
            terminal.Feed(pty.Take());
            // Checked once a whole frame has gone by on a full screen.
            if (!steady) {
                steady = console.picture.rowsScrolledOff > 0;
                continue;
            }

            // The newest lines stand whole above the empty last row, each on
            // as many rows as its length takes.
            const ConsoleScreen& s = console.picture;
            int end = rows - 1;
            for (auto line = frame.rbegin(); line != frame.rend(); ++line) {
                const int height = std::max(1, (static_cast<int>(line->size()) + cols - 1) / cols);
                if (end - height < 0) break; // scrolled off the top
                std::string shown;
                for (int row = end - height; row < end; ++row)
                    shown += s.Row(row);
                EXPECT_EQ(shown, *line + std::string(height * cols - line->size(), ' '))
                    << "frame " << n;
                end -= height;
            }
            EXPECT_EQ(Trimmed(s.Row(rows - 1)), "");
            terminal.Feed(pty.Take());
            EXPECT_EQ(terminal.Rows(), Picture(console)) << "frame " << n;
        }
        RestoreTerminal(console);
    }
}

// A repaint clears the terminal and sends the picture whole.  Each way to
// one, taken on purpose: a resize, fg after Ctrl-Z, another curses screen
// in the process (SDL's text-mode driver), a scroll of the whole screen at
// once, and every scroll on a terminal that cannot scroll from its last
// row.  After each, the terminal shows the picture, and the next line goes
// out as a plain line again.
TEST(ConsoleScreen, EachWayToARepaint) {
    CompiledTerminals compiled("xterm-noind|xterm without ind, ind@, indn@, use=xterm,");
    ASSERT_TRUE(compiled.compiled());
    Pty pty;
    UseTerminal("xterm");
    Console console;
    StartConsole(console, pty.out, pty.in);
    ASSERT_TRUE(console.cursesActive);
    XtermScreen terminal(24, 80);
    for (int n = 1; n <= 40; ++n)
        PrintLine(console, Numbered(n));
    ExpectTerminalShowsPicture(pty, terminal, console, "before");
    const std::string clear = Sequence("clear");

    const auto repaints = [&](const std::string& why, auto cause) {
        SCOPED_TRACE(why);
        const long long before = console.repaints;
        cause();
        PrintLine(console, "repainted");
        const std::string bytes = pty.Take();
        EXPECT_EQ(console.repaints, before + 1);
        EXPECT_TRUE(Contains(bytes, clear));
        terminal.Feed(bytes);
        EXPECT_EQ(terminal.Rows(), Picture(console));
        PrintLine(console, "plain again");
        const std::string plain = pty.Take();
        EXPECT_FALSE(Contains(plain, clear));
        EXPECT_EQ(console.repaints, before + 1);
        terminal.Feed(plain);
        EXPECT_EQ(terminal.Rows(), Picture(console));
        EXPECT_EQ(Picture(console)[console.picture.rows - 2], "plain again");
    };
    repaints("a resize", [&] {
        Resize(pty, 30, 100);
        terminal.Resize(30, 100);
    });
    repaints("fg", [&] { console.repaintPending = 1; });
    repaints("another curses screen", [&] {
        SCREEN* other = newterm(nullptr, pty.out, pty.in);
        ASSERT_NE(other, nullptr);
        set_term(other);
        wrefresh(stdscr);
        endwin();
        delscreen(other);
        terminal.Feed(pty.Take()); // the other screen's own bytes
        ReclaimTerminal(console);
        termios modes{};
        ASSERT_EQ(tcgetattr(pty.slave, &modes), 0);
        EXPECT_EQ(modes.c_lflag & (ECHO | ICANON), 0u) << "the program's modes are not back";
    });
    repaints("a scroll of the whole screen",
             [&] { PrintText(console, std::string(30 * 100, '#'), 0); });
    RestoreTerminal(console);

    // No "ind": every scroll is a repaint.
    UseTerminal("xterm-noind");
    Console noScroll;
    StartConsole(noScroll, pty.out, pty.in);
    ASSERT_TRUE(noScroll.cursesActive);
    EXPECT_EQ(noScroll.terminal.scrollUp.length, 0u);
    XtermScreen plain(30, 100);
    for (int n = 1; n <= 35; ++n)
        PrintLine(noScroll, Numbered(n));
    EXPECT_EQ(noScroll.repaints, 35 - 29);
    ExpectTerminalShowsPicture(pty, plain, noScroll, "without ind");
    RestoreTerminal(noScroll);
}

TEST(ConsoleScreen, ColourPairsFollowThePcColourMap) {
    Pty pty;
    UseTerminal("xterm");
    Console console;
    StartConsole(console, pty.out, pty.in);
    ASSERT_TRUE(console.cursesActive);
    ASSERT_GE(COLOR_PAIRS, 64);
    const short map[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                          COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
    for (short pair = 1; pair < 64; ++pair) {
        short fg = -1;
        short bg = -1;
        pair_content(pair, &fg, &bg);
        EXPECT_EQ(fg, map[pair % 8]) << pair;
        EXPECT_EQ(bg, map[pair / 8]) << pair;
    }
    RestoreTerminal(console);
}

TEST(ConsoleScreen, RestoreEndsCursesThenSendsTheStandardCharacterSet) {
    Pty pty;
    UseTerminal("xterm");
    Console console;
    StartConsole(console, pty.out, pty.in);
    ASSERT_TRUE(console.cursesActive);
    PrintLine(console, "Game loop begins");
    std::string leaveScreen = tigetstr(const_cast<char*>("rmcup"));
    pty.Take();

    RestoreTerminal(console);
    std::string bytes = pty.Take();
    EXPECT_FALSE(console.cursesActive);
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(bytes.substr(bytes.size() - 3), "\033(B");
    EXPECT_TRUE(Contains(bytes, leaveScreen));

    // Once restored, nothing more reaches the terminal.
    RestoreTerminal(console);
    PrintLine(console, "late line");
    EXPECT_EQ(pty.Take(), "");

    // A line's first pieces wait for its end to go out; a game that ends
    // before the end still shows them, before the screen is left.
    Pty cut;
    Console ending;
    StartConsole(ending, cut.out, cut.in);
    ASSERT_TRUE(ending.cursesActive);
    PrintText(ending, "Drawing number ", 0);
    PrintInt(ending, 7, kPrintZone);
    RestoreTerminal(ending);
    bytes = cut.Take();
    const std::size_t piece = bytes.find("Drawing number");
    ASSERT_NE(piece, std::string::npos);
    EXPECT_NE(bytes.find(" 7", piece), std::string::npos);
    EXPECT_LT(piece, bytes.rfind(leaveScreen));

    // Such a piece may fill the last row.  It goes out whole, but for the
    // bottom-right cell on a terminal that wraps at once from the last
    // column, where that cell would scroll the screen.
    CompiledTerminals compiled("xterm-eager|xterm that wraps at once, xenl@, use=xterm,");
    ASSERT_TRUE(compiled.compiled());
    for (const char* term : {"xterm", "xterm-eager"}) {
        Pty small(6, 20);
        UseTerminal(term);
        Console full;
        StartConsole(full, small.out, small.in);
        ASSERT_TRUE(full.cursesActive);
        for (int n = 1; n <= 10; ++n)
            PrintLine(full, Numbered(n));
        small.Take();
        PrintText(full, std::string(20, '-'), 0);
        RestoreTerminal(full);
        bytes = small.Take();
        EXPECT_TRUE(Contains(bytes, std::string(19, '-'))) << term;
        EXPECT_EQ(Contains(bytes, std::string(20, '-')), std::string(term) == "xterm") << term;
    }
}

TEST(ConsoleResize, ShrinkAndGrowKeepTheNewestLineOnTheSecondToLastRow) {
    // What terminals that had each size from the start would show.
    const std::vector<std::string> shrunk = FreshScreen(10, 60, 101);
    const std::vector<std::string> grownSoon = FreshScreen(40, 100, 102);
    const std::vector<std::string> grown = FreshScreen(40, 100, 141);

    Pty pty;
    UseTerminal("xterm");
    Console console;
    StartConsole(console, pty.out, pty.in);
    ASSERT_TRUE(console.cursesActive);
    XtermScreen terminal(24, 80);
    for (int n = 1; n <= 100; ++n) {
        PrintLine(console, Numbered(n));
        if (n % 20 == 0) terminal.Feed(pty.Take());
    }
    ExpectTerminalShowsPicture(pty, terminal, console, "80x24");

    // The size is taken before the next line: the newest lines are kept.
    Resize(pty, 10, 60);
    terminal.Resize(10, 60);
    PrintLine(console, Numbered(101));
    EXPECT_EQ(LINES, 10); // curses knows the size too, for its own end
    EXPECT_EQ(COLS, 60);
    EXPECT_EQ(console.regionBottom, 10);
    EXPECT_EQ(Picture(console), shrunk);
    ExpectTerminalShowsPicture(pty, terminal, console, "60x10");

    // Growing: the newest line goes straight to the new second-to-last row.
    // The lines still shown come down with it; those that had scrolled off
    // are gone, so the rows above them stay blank until the trace fills them.
    Resize(pty, 40, 100);
    terminal.Resize(40, 100);
    PrintLine(console, Numbered(102));
    std::vector<std::string> screen = Picture(console);
    ASSERT_EQ(screen.size(), 40u);
    EXPECT_EQ(screen[38], Numbered(102));
    EXPECT_EQ(screen[39], "");
    for (int row = 0; row < 40; ++row) {
        bool lost = row < 29; // above the nine lines the 10-row screen held
        EXPECT_EQ(screen[row], lost ? "" : grownSoon[row]) << "row " << row;
    }
    ExpectTerminalShowsPicture(pty, terminal, console, "100x40");
    for (int n = 103; n <= 141; ++n) {
        PrintLine(console, Numbered(n));
        if (n % 20 == 0) terminal.Feed(pty.Take());
    }
    EXPECT_EQ(Picture(console), grown);
    ExpectTerminalShowsPicture(pty, terminal, console, "100x40, later");
    RestoreTerminal(console);
}

TEST(ConsoleResize, TinyTerminalsAndBackAndAnUnchangedSize) {
    const std::vector<std::string> tiny = FreshScreen(5, 20, 53);
    const std::vector<std::string> back = FreshScreen(24, 80, 100);

    Pty pty;
    UseTerminal("xterm");
    struct sigaction before {};
    sigaction(SIGWINCH, nullptr, &before);
    Console console;
    StartConsole(console, pty.out, pty.in);
    ASSERT_TRUE(console.cursesActive);
    XtermScreen terminal(24, 80);
    for (int n = 1; n <= 50; ++n)
        PrintLine(console, Numbered(n));
    terminal.Feed(pty.Take());

    Resize(pty, 5, 20);
    terminal.Resize(5, 20);
    for (int n = 51; n <= 53; ++n)
        PrintLine(console, Numbered(n));
    EXPECT_EQ(Picture(console), tiny);
    ExpectTerminalShowsPicture(pty, terminal, console, "20x5");

    // A single row: lines, a part line and a text longer than the screen.
    Resize(pty, 1, 20);
    terminal.Resize(1, 20);
    for (int n = 54; n <= 60; ++n)
        PrintLine(console, Numbered(n));
    PrintInt(console, 5, kPrintZone);
    PrintLine(console, std::string(3000, '#'));
    EXPECT_EQ(console.picture.rows, 1);
    EXPECT_EQ(console.regionBottom, 1);
    ExpectTerminalShowsPicture(pty, terminal, console, "20x1");

    // A terminal that reports no size keeps the one it had.
    Resize(pty, 0, 0);
    PrintLine(console, "no size");
    EXPECT_EQ(console.picture.rows, 1);
    EXPECT_EQ(console.picture.cols, 20);

    // Back to full size: once a screenful has gone by, it is a fresh 80x24.
    Resize(pty, 24, 80);
    terminal.Resize(24, 80);
    for (int n = 61; n <= 100; ++n) {
        PrintLine(console, Numbered(n));
        if (n % 20 == 0) terminal.Feed(pty.Take());
    }
    EXPECT_EQ(Picture(console), back);
    ExpectTerminalShowsPicture(pty, terminal, console, "80x24 again");

    // A signal without a change of size costs the next line no repaint.
    const long long repaints = console.repaints;
    std::raise(SIGWINCH);
    PrintLine(console, Numbered(101));
    EXPECT_EQ(console.repaints, repaints);

    // SIGWINCH goes back to what it did before the console.
    RestoreTerminal(console);
    struct sigaction after {};
    sigaction(SIGWINCH, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);

    // Plain lines leave SIGWINCH alone.
    std::FILE* file = std::tmpfile();
    Console plain;
    StartConsole(plain, file, stdin);
    sigaction(SIGWINCH, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    RestoreTerminal(plain);
    std::fclose(file);
}

TEST(ConsoleStart, FloatingPointIsExtendedAndRoundsToNearest) {
    SkewedFloatingPoint skewed;
    std::FILE* file = std::tmpfile();
    Console console;
    StartConsole(console, file, stdin);
    ExpectTheGamesFloatingPoint(skewed.OtherBits());
    RestoreTerminal(console);
    std::fclose(file);
}

TEST(ConsoleExit, SignalsRestoreTheTerminalBeforeTheProcessDies) {
    // The ones a player sends (Ctrl-C, Ctrl-\, a closed terminal, kill)
    // and the ones a crash raises: each leaves the terminal as it found it,
    // and what standard error (this terminal) was given meanwhile stands
    // after it, on the normal screen.
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
        Pty pty;
        termios before{};
        ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
        int status = InChild([&] {
            rlimit noCore{0, 0}; // the test wants the signal, not a core file
            setrlimit(RLIMIT_CORE, &noCore);
            Console console;
            PlayOn(pty, console, "Game loop begins", "a library's complaint\n");
            kill(getpid(), sig);
        });
        bool diedOfIt = WIFSIGNALED(status) && WTERMSIG(status) == sig;
        bool exitedWithIt = WIFEXITED(status) && WEXITSTATUS(status) == 128 + sig;
        EXPECT_TRUE(diedOfIt || exitedWithIt) << "signal " << sig << " status " << status;
        std::string bytes = pty.Take();
        EXPECT_TRUE(Contains(bytes, "\033(U"));
        EXPECT_TRUE(Contains(bytes, "Game loop begins"));
        std::size_t leave = bytes.find("\033[?1049l"); // xterm's leave-screen sequence
        std::size_t standard = bytes.rfind("\033(B");
        ASSERT_NE(leave, std::string::npos) << sig;
        ASSERT_NE(standard, std::string::npos) << sig;
        EXPECT_LT(leave, standard);
        EXPECT_EQ(bytes.substr(standard + 3), "a library's complaint\r\n") << sig; // onlcr again
        std::size_t cursorOn = bytes.rfind("\033[?25h"); // xterm's cursor-on
        ASSERT_NE(cursorOn, std::string::npos) << sig;
        EXPECT_GT(cursorOn, bytes.find("Game loop begins")) << sig;
        // The modes curses changed (no echo, no line editing, no CR/NL
        // mapping) are back as they were.
        termios after{};
        ASSERT_EQ(tcgetattr(pty.slave, &after), 0);
        EXPECT_EQ(after.c_lflag, before.c_lflag) << sig;
        EXPECT_EQ(after.c_iflag, before.c_iflag) << sig;
        EXPECT_EQ(after.c_oflag, before.c_oflag) << sig;
    }

    // A hang-up the game was started to ignore (nohup) stays ignored.
    Pty pty;
    int status = InChild([&] {
        UseTerminal("xterm");
        std::signal(SIGHUP, SIG_IGN);
        Console console;
        StartConsole(console, pty.out, pty.in);
        InstallTerminalRestore(console);
        kill(getpid(), SIGHUP);
        PrintLine(console, "still running");
        ExitProgram(console, 7);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    std::string bytes = pty.Take();
    EXPECT_TRUE(Contains(bytes, "still running"));
    EXPECT_EQ(bytes.substr(bytes.size() - 3), "\033(B");
}

namespace {

// Reads what the terminal is sent into `bytes` until `done` says it has
// what it waits for; false if that has not come within a generous time (a
// fault, not a slow machine: the game writes a line every few milliseconds).
template <typename Done>
bool ReadUntil(Pty& pty, std::string& bytes, Done done) {
    for (int waited = 0; waited < 60000 && !done(bytes); waited += 20) {
        bytes += pty.Take();
        if (!done(bytes)) poll(nullptr, 0, 20);
    }
    return done(bytes);
}

// One byte from a pipe, or 0 when none came within a minute.
char ReadReport(int fd) {
    pollfd ready{fd, POLLIN, 0};
    char c = 0;
    if (poll(&ready, 1, 60000) > 0 && read(fd, &c, 1) == 1) return c;
    return 0;
}

// The highest n of "trace line n" in `bytes`.
int LastNumbered(const std::string& bytes) {
    int last = 0;
    const std::string word = "trace line ";
    for (std::size_t at = bytes.find(word); at != std::string::npos; at = bytes.find(word, at + 1))
        last = std::max(last, std::atoi(bytes.c_str() + at + word.size()));
    return last;
}

} // namespace

TEST(ConsoleSuspend, CtrlZGivesTheShellItsTerminalAndFgDrawsTheTraceAgain) {
    // A shell of our own in a session of its own on the pseudo-terminal
    // runs the game as a foreground job, as a terminal window's shell does:
    // Ctrl-Z typed at the terminal stops the job and the shell takes the
    // terminal back; "fg" gives it to the job again and continues it.
    Pty pty;
    termios shellModes{};
    ASSERT_EQ(tcgetattr(pty.slave, &shellModes), 0);
    int report[2];
    int command[2];
    ASSERT_EQ(pipe(report), 0);
    ASSERT_EQ(pipe(command), 0);
    std::fflush(nullptr);
    const pid_t shell = fork();
    if (shell == 0) {
        std::signal(SIGTTOU, SIG_IGN); // a shell sets the foreground from the background
        if (setsid() < 0 || ioctl(pty.slave, TIOCSCTTY, 0) != 0) _exit(90);
        int go[2];
        if (pipe(go) != 0) _exit(91);
        const pid_t job = fork();
        if (job == 0) {
            // A shell's jobs start with the job-control signals at their defaults.
            std::signal(SIGTTOU, SIG_DFL);
            std::signal(SIGTSTP, SIG_DFL);
            setpgid(0, 0);
            for (int fd = 0; fd < 3; ++fd) // its standard streams are the terminal
                dup2(pty.slave, fd);
            char c = 0;
            if (read(go[0], &c, 1) != 1) _exit(92); // in the foreground now
            UseTerminal("xterm");
            Console console;
            StartConsole(console, pty.out, pty.in);
            InstallTerminalRestore(console);
            for (int n = 1;; ++n) {
                PrintLine(console, Numbered(n));
                poll(nullptr, 0, 5);
            }
        }
        setpgid(job, job);
        tcsetpgrp(pty.slave, job);
        if (write(report[1], &job, sizeof job) != sizeof job) _exit(93);
        if (write(go[1], "g", 1) != 1) _exit(93);
        for (;;) {
            int status = 0;
            if (waitpid(job, &status, WUNTRACED) != job) _exit(94);
            if (WIFSTOPPED(status)) {
                tcsetpgrp(pty.slave, getpgrp()); // the terminal is the shell's again
                if (write(report[1], "s", 1) != 1) _exit(95);
                char c = 0;
                if (read(command[0], &c, 1) != 1) _exit(96);
                tcsetpgrp(pty.slave, job); // fg
                kill(-job, SIGCONT);
                continue;
            }
            const char ended = WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM ? 't' : 'x';
            if (write(report[1], &ended, 1) != 1) _exit(97);
            _exit(0);
        }
    }
    ASSERT_GT(shell, 0);
    close(report[1]);
    close(command[0]);
    auto finish = [&] {
        close(command[1]);
        close(report[0]);
        int status = 0;
        waitpid(shell, &status, 0);
        return status;
    };

    pid_t job = -1;
    pollfd started{report[0], POLLIN, 0};
    ASSERT_GT(poll(&started, 1, 60000), 0);
    ASSERT_EQ(read(report[0], &job, sizeof job), static_cast<ssize_t>(sizeof job));
    std::string bytes;
    const bool playing =
        ReadUntil(pty, bytes, [](const std::string& b) { return LastNumbered(b) >= 30; });
    EXPECT_TRUE(playing) << "the trace did not start";
    if (!playing) {
        kill(job, SIGKILL);
        finish();
        return;
    }

    // Ctrl-Z: the job stops, and the terminal is as the shell had it.
    ASSERT_EQ(write(pty.master, "\x1a", 1), 1);
    EXPECT_EQ(ReadReport(report[0]), 's') << "the game did not stop";
    bytes += pty.Take();
    const std::size_t stop = bytes.rfind("\033(B");
    ASSERT_NE(stop, std::string::npos);
    EXPECT_EQ(stop, bytes.size() - 3) << "nothing may follow the restore while stopped";
    const std::string before = bytes.substr(0, stop);
    EXPECT_NE(before.rfind("\033[?1049l"), std::string::npos);        // the normal screen
    EXPECT_GT(before.rfind("\033[?25h"), before.rfind("trace line")); // cursor on
    termios stopped{};
    ASSERT_EQ(tcgetattr(pty.slave, &stopped), 0);
    EXPECT_EQ(stopped.c_lflag, shellModes.c_lflag);
    EXPECT_EQ(stopped.c_iflag, shellModes.c_iflag);
    EXPECT_EQ(stopped.c_oflag, shellModes.c_oflag);
    const int lastShown = LastNumbered(before);

    // fg: the program's screen and modes come back, the lines that were on
    // the screen are drawn again, and the trace goes on from where it was.
    ASSERT_EQ(write(command[1], "c", 1), 1);
    std::string after;
    const bool resumed = ReadUntil(
        pty, after, [&](const std::string& b) { return LastNumbered(b) > lastShown + 30; });
    EXPECT_TRUE(resumed) << "the trace did not go on after fg";
    const std::size_t enter = after.find("\033[?1049h");
    ASSERT_NE(enter, std::string::npos);
    EXPECT_NE(after.find(Numbered(lastShown), enter), std::string::npos)
        << "the line shown before the stop was not drawn again";
    EXPECT_NE(after.find(Numbered(lastShown - 5), enter), std::string::npos)
        << "the screen was not drawn again";
    termios playingModes{};
    ASSERT_EQ(tcgetattr(pty.slave, &playingModes), 0);
    EXPECT_EQ(playingModes.c_lflag & (ECHO | ICANON), 0u) << "the program's modes are not back";

    // The end: SIGTERM to the job puts the terminal back as the shell had it.
    kill(job, SIGTERM);
    const char ended = ReadReport(report[0]);
    EXPECT_EQ(ended, 't');
    finish();
    termios last{};
    ASSERT_EQ(tcgetattr(pty.slave, &last), 0);
    EXPECT_EQ(last.c_lflag, shellModes.c_lflag);
}

TEST(ConsoleExit, EveryExitRestoresFirstAndShowsStandardErrorAfter) {
    Pty pty;
    int status = InChild([&] {
        UseTerminal("xterm");
        Console console;
        StartConsole(console, pty.out, pty.in);
        PrintLine(console, "Exiting");
        ExitProgram(console, 3);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    std::string bytes = pty.Take();
    EXPECT_TRUE(Contains(bytes, "\033[?1049l"));
    EXPECT_EQ(bytes.substr(bytes.size() - 3), "\033(B");

    int errors[2];
    ASSERT_EQ(pipe(errors), 0);
    Pty failing;
    status = InChild([&] {
        dup2(errors[1], 2);
        UseTerminal("xterm");
        Console console;
        StartConsole(console, failing.out, failing.in);
        ExitWithError(console, "Creating Screen Surface: no such video mode");
    });
    close(errors[1]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    char message[128] = {};
    ssize_t n = read(errors[0], message, sizeof message - 1);
    close(errors[0]);
    EXPECT_EQ(std::string(message, n > 0 ? static_cast<std::size_t>(n) : 0),
              "Creating Screen Surface: no such video mode\n");
    bytes = failing.Take();
    EXPECT_EQ(bytes.substr(bytes.size() - 3), "\033(B");

    // exit() from elsewhere, as Xlib's handlers end the process when the X
    // server goes away, after printing their message to standard error,
    // here the console's own terminal: the terminal is put back as after a
    // signal, and the message follows on the normal screen.
    Pty lost;
    termios shell{};
    ASSERT_EQ(tcgetattr(lost.slave, &shell), 0);
    status = InChild([&] {
        Console console;
        PlayOn(lost, console, "PageFlip", "XIO:  fatal IO error 11 on X server \":9\"\n");
        std::exit(1);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    bytes = lost.Take();
    const std::size_t standard = bytes.rfind("\033(B");
    ASSERT_NE(standard, std::string::npos);
    EXPECT_LT(bytes.find("PageFlip"), bytes.find("\033[?1049l"));
    EXPECT_LT(bytes.find("\033[?1049l"), standard);
    EXPECT_EQ(bytes.substr(standard + 3), "XIO:  fatal IO error 11 on X server \":9\"\r\n");
    termios after{};
    ASSERT_EQ(tcgetattr(lost.slave, &after), 0);
    EXPECT_EQ(after.c_lflag, shell.c_lflag);
    EXPECT_EQ(after.c_oflag, shell.c_oflag);

    // In plain mode the exit adds nothing to the output.
    std::FILE* file = std::tmpfile();
    status = InChild([&] {
        Console console;
        StartConsole(console, file, stdin);
        PrintLine(console, "plain");
        ExitProgram(console, 0);
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::rewind(file);
    char plain[32] = {};
    std::size_t length = std::fread(plain, 1, sizeof plain - 1, file);
    std::fclose(file);
    EXPECT_EQ(std::string(plain, length), "plain\n");
}
