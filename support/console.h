// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The text console: a scrolling trace of progress lines on the terminal that
// started the game.  curses sets the terminal up and puts it back; the trace
// itself is kept in the console's own picture of the screen and sent from
// there.  When there is no usable terminal (the game was started from a
// launcher, or its output goes to a pipe or a file) the same lines are
// written to standard output as plain lines instead.
#pragma once

#include <array>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string_view>
#include <termios.h>
#include <vector>

// Flags of the print operations.
constexpr int kPrintLineEnd = 1; // end the line after the value
constexpr int kPrintZone = 2;    // pad to a 14-column print zone (when no line end)

// Receives every piece of console text.  With kPrintLineEnd the text ends in
// the line break that the print operation added.
using OutputRoutine = std::function<void(std::string_view text, int flags)>;

// One of the terminal's strings as the console sends it: its padding
// ("$<5>", a delay for tputs to make) left out, as ncurses itself leaves it
// out on a terminal with XON/XOFF flow control.  Empty (length 0) where the
// terminal has no such string, or where it would need its padding.
struct TerminalBytes {
    std::array<char, 128> bytes{}; // NUL-terminated, so a template can go to tiparm
    std::size_t length = 0;
};

// The terminal's string for `capability` while curses is up, as the console
// sends it (above).
TerminalBytes TerminalSequence(const char* capability);

// The strings the screen writer sends, looked up once when curses starts.
struct ConsoleTerminal {
    TerminalBytes cursorAddress; // "cup", a template for tiparm
    TerminalBytes clear;         // clears the screen, the cursor to the top left
    TerminalBytes scrollUp;      // "ind": from the last row, scrolls the screen up one row
    TerminalBytes down;          // "cud1", "cuu1", "cr"
    TerminalBytes up;
    TerminalBytes carriageReturn;
    // "Cursor right n columns" for n below the table's size, where that is
    // shorter than n blanks (length 0: blanks are as short).
    std::array<TerminalBytes, 32> skipRight{};
    // Automatic margins without the VT100's wait at the last column: a
    // character in the bottom-right cell scrolls the whole screen.
    bool lastCellScrolls = false;
};

// The console's own picture of the terminal's screen: each cell as the
// terminal shows it once the bytes still to be sent have gone, and where the
// next text goes.  Text is only ever written at the cursor, onto cells the
// terminal shows blank, and the cursor only moves on (a scroll brings blank
// rows), so what is still to be sent is exactly the cells from the sent mark
// up to the cursor.  Rows and columns are 0-based.
struct ConsoleScreen {
    int rows = 0;
    int cols = 0;
    // rows x cols characters.  Screen row r is kept at row (top + r) % rows,
    // so a scroll blanks rows instead of moving them all.
    std::vector<char> cells;
    // For each kept row, how far from its start characters may stand: past
    // that the row is blank.
    std::vector<int> written;
    int top = 0;
    int cursorRow = 0;
    // cols: past the end of its row; the next character starts a new row.
    // Only the bottom row keeps its cursor there (curses could not wrap
    // from it), the others wrap at once as curses does.
    int cursorColumn = 0;
    int sentRow = 0; // every cell before this one is on the terminal
    int sentColumn = 0;
    int scrolledUnsent = 0; // rows scrolled since the last send
    bool repaint = false;   // the terminal is to be cleared and drawn again
    int terminalRow = -1;   // where the terminal's cursor is; -1: not known
    int terminalColumn = -1;
    // Rows the trace has scrolled off the top of the screen; when the
    // terminal grows, as many of the lines still shown move down with it.
    long long rowsScrolledOff = 0;

    std::string_view Row(int row) const {
        return {cells.data() + static_cast<std::size_t>((top + row) % rows * cols),
                static_cast<std::size_t>(cols)};
    }
};

struct Console {
    OutputRoutine output;      // empty: the default screen writer
    bool cursesActive = false; // the curses screen is up
    bool plain = false;        // no usable terminal: plain lines to `plainOut`
    std::FILE* plainOut = nullptr;
    void* screen = nullptr; // the curses SCREEN, when up
    int regionTop = -1;     // print region bounds, 1-based; -1 until first use
    int regionBottom = -1;
    int ttyFd = -1; // the console's terminal: the trace, the escapes, the size
    ConsoleScreen picture;
    ConsoleTerminal terminal;
    long long repaints = 0;             // screens drawn again whole, for the tests
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
    // Standard error, while it is this terminal and curses is up, goes to a
    // file of its own (`heldErrors`) and is shown once the terminal is back
    // (support/process.h); `standardError` is the terminal kept aside.
    int heldErrors = -1;
    int standardError = -1;

    ~Console(); // no longer the one the signal handler restores
};

// Brings the console up on `out`/`in` (the process's own stdout/stdin in the
// game, a pseudo-terminal in tests).  Sets the FPU to extended precision with
// round-to-nearest, sends ESC ( U, starts curses and its colour pairs.  Falls
// back to plain lines when `out` is not a terminal the trace can be laid out
// on.  On a terminal it also catches SIGWINCH, so a resized terminal is
// noticed before the next line is written.
void StartConsole(Console& console, std::FILE* out = stdout, std::FILE* in = stdin);

// Shows a line's pieces still waiting for its end, ends curses, sends
// ESC ( B, shows what standard error was given meanwhile, and gives SIGWINCH
// back to whoever had it.  Safe to call more than once.
void RestoreTerminal(Console& console);

// Makes the console's own curses screen the current one again, in the
// program's modes and on its screen, after another user of curses in this
// process (SDL's text-mode video driver) has started and stopped its own.
// The next line draws the whole trace again.
void ReclaimTerminal(Console& console);

// The terminal's own string for `capability` while curses is up, as
// terminfo has it, or null where it has none.
const char* TerminalString(const char* capability);

// Installs a replacement output routine and returns the one it replaces.
OutputRoutine SetOutputRoutine(Console& console, OutputRoutine routine);

// The print operations (destination 0, the console, is the only one the game uses).
void PrintText(Console& console, std::string_view text, int flags);
void PrintInt(Console& console, std::int32_t value, int flags);
inline void PrintLine(Console& console, std::string_view text) {
    PrintText(console, text, kPrintLineEnd);
}
