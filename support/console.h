// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The text console: a scrolling trace of progress lines on the terminal that
// started the game, drawn with curses.  When there is no usable terminal (the
// game was started from a launcher, or its output goes to a pipe or a file)
// the same lines are written to standard output as plain lines instead.
#pragma once

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string_view>
#include <termios.h>

// Flags of the print operations.
constexpr int kPrintLineEnd = 1; // end the line after the value
constexpr int kPrintZone = 2;    // pad to a 14-column print zone (when no line end)

// Receives every piece of console text.  With kPrintLineEnd the text ends in
// the line break that the print operation added.
using OutputRoutine = std::function<void(std::string_view text, int flags)>;

struct Console {
    OutputRoutine output;      // empty: the default screen writer
    bool cursesActive = false; // the curses screen is up
    bool plain = false;        // no usable terminal: plain lines to `plainOut`
    std::FILE* plainOut = nullptr;
    void* screen = nullptr; // the curses SCREEN, when up
    int regionTop = -1;     // print region bounds, 1-based; -1 until first use
    int regionBottom = -1;
    int ttyFd = -1; // where the character-set escapes go, and where the size is read
    // Rows the trace has scrolled off the top of the screen; when the
    // terminal grows, as many of the lines still shown move down with it.
    long long rowsScrolledOff = 0;
    // The terminal's "scroll up one line", "cursor down" and "cursor up"
    // strings, looked up once when curses starts (null where it has none,
    // and the slower scroll is used).
    const char* scrollUp = nullptr;
    const char* cursorDown = nullptr;
    const char* cursorUp = nullptr;
    bool resizeCaught = false;          // our SIGWINCH handler is in place
    struct sigaction previousResize {}; // what SIGWINCH did before it
    // What a signal handler writes to put the terminal back, worked out while
    // curses is up (a handler may not call curses): leave the alternate
    // screen, cursor on, keypad and attributes off, ESC ( B.
    std::array<char, 128> restoreBytes{};
    std::size_t restoreLength = 0;
    termios savedModes{}; // the terminal's modes before curses changed them
    bool modesSaved = false;
    // Bytes that bring the program's screen back after a stop (Ctrl-Z, then
    // fg): the alternate screen, keypad on, cursor off, ESC ( U.
    std::array<char, 128> resumeBytes{};
    std::size_t resumeLength = 0;
    bool suspendCaught = false;          // our SIGTSTP handler is in place
    struct sigaction previousSuspend {}; // what SIGTSTP did before it
    // Set by the SIGTSTP handler once the process is continued: the next
    // line repaints the whole screen, which the shell drew over meanwhile.
    volatile std::sig_atomic_t repaintPending = 0;
    // Whether curses' rows can be moved by their row records (checked when
    // curses starts); otherwise a scroll copies every row's cells.
    bool moveRowRecords = false;
    bool refreshPending = false; // text written since the last refresh
    // Whether a finished line may go to the terminal straight from its row
    // (WriteLineDirect), worked out when curses starts: the row records are
    // as expected and the terminal shows plain characters as they are.
    bool directWrites = false;
    const char* carriageReturn = nullptr; // the terminal's "cr"
    // "Cursor right n columns" for n below the table's size, where it is
    // shorter than n spaces (length 0: spaces are as short).
    struct CursorSkip {
        std::array<char, 15> bytes{};
        std::uint8_t length = 0;
    };
    std::array<CursorSkip, 32> skipRight{};
    // The row the line being written can go out on directly, set by the
    // scroll that made room for it; -1 when it must take a refresh.
    int directRow = -1;
    long long directLines = 0; // lines that went out directly, for the tests and the bench
    // The row the terminal's cursor was left on by the last line (its
    // refresh or WriteLineDirect), always at its first column; -1 unknown.
    int cursorRow = -1;

    ~Console(); // no longer the one the signal handler restores
};

// Brings the console up on `out`/`in` (the process's own stdout/stdin in the
// game, a pseudo-terminal in tests).  Sets the FPU to extended precision with
// round-to-nearest, sends ESC ( U, starts curses and its colour pairs.  Falls
// back to plain lines when `out` is not a usable terminal.  On a terminal it
// also catches SIGWINCH, so a resized terminal is noticed before the next
// line is written.
void StartConsole(Console& console, std::FILE* out = stdout, std::FILE* in = stdin);

// Ends curses and sends ESC ( B, and gives SIGWINCH back to whoever had it.
// Safe to call more than once.
void RestoreTerminal(Console& console);

// Makes the console's own curses screen the current one again, in the
// program's modes, after another user of curses in this process (SDL's
// text-mode video driver) has started and stopped its own.
void ReclaimTerminal(Console& console);

// The terminal's own string for `capability` while curses is up, or null
// where it has none.
const char* TerminalString(const char* capability);

// Installs a replacement output routine and returns the one it replaces.
OutputRoutine SetOutputRoutine(Console& console, OutputRoutine routine);

// The print operations (destination 0, the console, is the only one the game uses).
void PrintText(Console& console, std::string_view text, int flags);
void PrintInt(Console& console, std::int32_t value, int flags);
inline void PrintLine(Console& console, std::string_view text) {
    PrintText(console, text, kPrintLineEnd);
}
