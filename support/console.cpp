// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The text console: the print region and its scrolling on the console's own
// picture of the screen, the one routine that sends the picture to the
// terminal, resizing, the plain-line fallback and the print operations.
// curses starts the terminal and ends it; putting the terminal back when the
// process ends otherwise is support/process.cpp's job.
#include "support/console.h"
#include "support/floating_point.h"
#include "support/process.h"

#include <curses.h>
#include <term.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr std::size_t kPieceLength = 2000; // longest text handed to the output routine at once
constexpr std::size_t kZoneWidth = 14;

// PC colour numbers 0..7 (black, blue, green, cyan, red, magenta, brown,
// white) to curses' own numbering.
constexpr short kColourMap[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                 COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};

// Set when the terminal has changed size, taken by the screen writer before
// its next line.  Process-wide for the same reason: it is the signal
// handler's only way to say so, and only a lock-free flag is safe to set
// there.
std::atomic<bool> resizePending{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void NoteResize(int) {
    resizePending.store(true, std::memory_order_relaxed);
}

bool Flag(const char* capability) {
    return tigetflag(const_cast<char*>(capability)) > 0;
}

// Writes all of `bytes` to the terminal.  A terminal that has gone (a
// hang-up) takes nothing more, and nothing is to be done about that.
void WriteAll(int fd, const char* bytes, std::size_t length) {
    while (length > 0 && fd >= 0) {
        const ssize_t written = write(fd, bytes, length);
        if (written > 0) {
            bytes += written;
            length -= static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EAGAIN) {
            pollfd ready{fd, POLLOUT, 0}; // someone made it non-blocking
            poll(&ready, 1, -1);
        } else if (written == 0 || errno != EINTR) {
            return;
        }
    }
}

// Switching the terminal's character set: ESC ( U selects the IBM PC set
// (on the Linux console), ESC ( B the standard one.
void SendEscape(int fd, const char (&sequence)[4]) {
    WriteAll(fd, sequence, 3);
}

void SetUpColourPairs() {
    if (!has_colors() || start_color() != OK || COLOR_PAIRS < 64) return;
    // Foreground from the low three bits of the pair number, background from
    // the next three; pair 0 stays the terminal's own default.
    for (short pair = 1; pair < 64; ++pair)
        init_pair(pair, kColourMap[pair % 8], kColourMap[pair / 8]);
}

// Where a terminfo string has padding, "$<" digits, an optional tenth, then
// '*' and '/' in any order and '>': the length of the padding, or 0 where
// the '$' is a plain character.  `mandatory` says whether it has the '/'.
std::size_t PaddingAt(const char* p, bool& mandatory) {
    if (p[0] != '$' || p[1] != '<') return 0;
    std::size_t n = 2;
    const std::size_t digits = n;
    while (p[n] >= '0' && p[n] <= '9')
        ++n;
    if (p[n] == '.') {
        ++n;
        while (p[n] >= '0' && p[n] <= '9')
            ++n;
    }
    if (n == digits) return 0;
    mandatory = false;
    for (; p[n] == '*' || p[n] == '/'; ++n)
        mandatory = mandatory || p[n] == '/';
    return p[n] == '>' ? n + 1 : 0;
}

// The terminal's cursor address for (row, column), from the template.
const char* CursorAddress(const ConsoleTerminal& terminal, int row, int column) {
    return tiparm(terminal.cursorAddress.bytes.data(), row, column);
}

// The bytes of one send, gathered in a fixed buffer and written to the
// terminal at once: one write a line, more only for a repaint too large for
// the buffer.
class TerminalOutput {
  public:
    explicit TerminalOutput(int fd) : fd_(fd) {}
    void Put(const char* bytes, std::size_t length) {
        if (used_ + length > buffer_.size()) {
            Flush();
            if (length > buffer_.size()) return WriteAll(fd_, bytes, length);
        }
        std::memcpy(buffer_.data() + used_, bytes, length);
        used_ += length;
    }
    void Put(const TerminalBytes& sequence) { Put(sequence.bytes.data(), sequence.length); }
    void Put(const char* sequence) { Put(sequence, std::strlen(sequence)); }
    void Flush() {
        WriteAll(fd_, buffer_.data(), used_);
        used_ = 0;
    }

  private:
    int fd_;
    std::array<char, 4096> buffer_;
    std::size_t used_ = 0;
};

std::size_t Kept(const ConsoleScreen& screen, int row) {
    return static_cast<std::size_t>((screen.top + row) % screen.rows);
}

char* RowCells(ConsoleScreen& screen, int row) {
    return screen.cells.data() + Kept(screen, row) * static_cast<std::size_t>(screen.cols);
}

// Whether the terminal's cursor gets to (row, column) without a cursor
// address: it is there, or a carriage return and a row up or down from the
// first column take it there.  Line feeds are only ever sent from the first
// column and never from the last row, so they mean the same whatever the
// terminal's output modes make of them.
bool StepsTo(const Console& console, int row, int column) {
    const ConsoleScreen& s = console.picture;
    const ConsoleTerminal& t = console.terminal;
    if (s.terminalRow < 0) return false;
    if (s.terminalRow == row && s.terminalColumn == column) return true;
    return column == 0 && t.carriageReturn.length > 0 &&
           (row == s.terminalRow || (row == s.terminalRow + 1 && t.down.length > 0) ||
            (row == s.terminalRow - 1 && t.up.length > 0));
}

// Moves the terminal's cursor by the shortest way the console knows: the
// steps above, "cursor right" along its row, else the cursor address.
void MoveTo(Console& console, TerminalOutput& out, int row, int column) {
    ConsoleScreen& s = console.picture;
    const ConsoleTerminal& t = console.terminal;
    if (s.terminalRow == row && s.terminalColumn == column) return;
    const auto right = static_cast<std::size_t>(column - s.terminalColumn);
    if (StepsTo(console, row, column)) {
        if (s.terminalColumn != 0) out.Put(t.carriageReturn);
        if (row != s.terminalRow) out.Put(row > s.terminalRow ? t.down : t.up);
    } else if (s.terminalRow == row && column > s.terminalColumn && right < t.skipRight.size() &&
               t.skipRight[right].length > 0) {
        out.Put(t.skipRight[right]);
    } else {
        out.Put(CursorAddress(t, row, column));
    }
    s.terminalRow = row;
    s.terminalColumn = column;
}

// Sends the cells [from, to) of a row whose cells from `from` on the
// terminal shows blank: its characters, a run of blanks as one "cursor
// right" where that is shorter.
void SendCells(Console& console, TerminalOutput& out, const char* cells, int from, int to) {
    const ConsoleTerminal& t = console.terminal;
    while (from < to) {
        int end = from;
        const bool blank = cells[from] == ' ';
        while (end < to && (cells[end] == ' ') == blank)
            ++end;
        const auto run = static_cast<std::size_t>(end - from);
        if (blank && run < t.skipRight.size() && t.skipRight[run].length > 0)
            out.Put(t.skipRight[run]);
        else
            out.Put(cells + from, run);
        from = end;
    }
}

// The one way the trace reaches the terminal.  Sends what the terminal does
// not show yet, in one write: the rows scrolled since the last send ("ind"
// from the last row, once a row), then the cells from the sent mark up to
// the cursor (blanks around them are already shown), and leaves the
// terminal's cursor at the start of the row it wrote last.  A repaint
// clears the screen first and sends every cell up to the cursor: after a
// resize, a stop or another curses screen, a scroll of the whole screen at
// once, and any scroll on a terminal without "ind".
//
// Where a character went into the last column, terminals differ on where
// the cursor is (waiting at the margin, on the next row, or still there), so
// the next move is a cursor address; and where such a character in the
// bottom-right cell would scroll the screen, that one cell is not sent.
void SendToTerminal(Console& console) {
    ConsoleScreen& s = console.picture;
    const ConsoleTerminal& t = console.terminal;
    TerminalOutput out(console.ttyFd);
    if (s.scrolledUnsent > 0 && t.scrollUp.length == 0) s.repaint = true;
    if (s.repaint) {
        out.Put(t.clear);
        ++console.repaints;
        s.repaint = false;
        s.scrolledUnsent = 0;
        s.sentRow = 0;
        s.sentColumn = 0;
        s.terminalRow = 0;
        s.terminalColumn = 0;
    }
    for (; s.scrolledUnsent > 0; --s.scrolledUnsent) {
        MoveTo(console, out, s.rows - 1, 0);
        out.Put(t.scrollUp);
    }
    for (int row = s.sentRow, from = s.sentColumn; row <= s.cursorRow; ++row, from = 0) {
        const char* cells = RowCells(s, row);
        int to = std::min(row == s.cursorRow ? s.cursorColumn : s.cols, s.written[Kept(s, row)]);
        if (t.lastCellScrolls && row == s.rows - 1) to = std::min(to, s.cols - 1);
        while (to > from && cells[to - 1] == ' ')
            --to;
        int first = from;
        while (first < to && cells[first] == ' ')
            ++first;
        if (first >= to) continue;
        // Leading blanks are skipped, unless going to the row's start saves
        // a cursor address.
        if (!StepsTo(console, row, from)) from = first;
        MoveTo(console, out, row, from);
        SendCells(console, out, cells, from, to);
        s.terminalColumn = to;
        if (to == s.cols) s.terminalRow = -1;
    }
    if (s.terminalRow >= 0 && s.terminalColumn != 0 && t.carriageReturn.length > 0) {
        out.Put(t.carriageReturn);
        s.terminalColumn = 0;
    }
    s.sentRow = s.cursorRow;
    s.sentColumn = s.cursorColumn;
    out.Flush();
}

bool SomethingUnsent(const ConsoleScreen& s) {
    return s.repaint || s.scrolledUnsent > 0 || s.sentRow != s.cursorRow ||
           s.sentColumn != s.cursorColumn;
}

// Scrolls the picture up by k rows; the rows that come in at the bottom are
// blank.  The cursor stays on its row number.
void ScrollUp(ConsoleScreen& s, int k) {
    if (k <= 0) return;
    s.rowsScrolledOff += k;
    k = std::min(k, s.rows);
    for (int row = 0; row < k; ++row) {
        std::memset(RowCells(s, row), ' ', static_cast<std::size_t>(s.written[Kept(s, row)]));
        s.written[Kept(s, row)] = 0;
    }
    s.top = (s.top + k) % s.rows;
    // As many "ind" as rows would be a screenful or more: clear instead.
    s.scrolledUnsent = std::min(s.scrolledUnsent + k, s.rows);
    if (s.scrolledUnsent == s.rows) s.repaint = true;
    s.sentRow -= k;
    if (s.sentRow < 0) {
        s.sentRow = 0;
        s.sentColumn = 0;
    }
}

// From past the end of a row to the start of the next one, scrolling from
// the bottom row.
void NextRow(ConsoleScreen& s) {
    if (s.cursorRow + 1 < s.rows)
        ++s.cursorRow;
    else
        ScrollUp(s, 1);
    s.cursorColumn = 0;
}

// Characters at the cursor.  Like curses, the cursor wraps at once from
// the last column, except on the bottom row: curses could not scroll there
// and left the cursor on the character, so the next one overwrote it.  The
// cursor waits past the end instead, and the next character starts a new
// row.
void PutCells(ConsoleScreen& s, const char* cells, std::size_t length) {
    while (length > 0) {
        if (s.cursorColumn >= s.cols) NextRow(s);
        const std::size_t n = std::min(length, static_cast<std::size_t>(s.cols - s.cursorColumn));
        std::memcpy(RowCells(s, s.cursorRow) + s.cursorColumn, cells, n);
        s.cursorColumn += static_cast<int>(n);
        int& written = s.written[Kept(s, s.cursorRow)];
        written = std::max(written, s.cursorColumn);
        cells += n;
        length -= n;
        if (s.cursorColumn == s.cols && s.cursorRow + 1 < s.rows) NextRow(s);
    }
}

// Text at the cursor, shown as curses shows it in the C locale: printable
// ASCII as it is, a tab as blanks to the next tab stop, any other byte as
// curses' unctrl() spells it (^A, ^?, ~@, M-a), and nothing from a NUL on
// (what printw("%s") writes).  A line break inside the text shows as ^J: the
// cursor only moves on.
void PutText(ConsoleScreen& s, std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end && *p != '\0') {
        const char* run = p;
        while (p < end && *p >= 0x20 && *p < 0x7f)
            ++p;
        if (p > run) {
            PutCells(s, run, static_cast<std::size_t>(p - run));
            continue;
        }
        if (*p == '\0') break;
        const auto byte = static_cast<unsigned char>(*p++);
        if (byte == '\t') {
            do
                PutCells(s, " ", 1);
            while (s.cursorColumn < s.cols && s.cursorColumn % TABSIZE != 0);
        } else if (const char* shown = unctrl(byte)) {
            PutCells(s, shown, std::strlen(shown));
        }
    }
}

// A line's end: the cursor to the first column of the row below.  On the
// bottom row it stays (the next line scrolls first), unless text stands
// before it there.
void EndLine(ConsoleScreen& s) {
    if (s.cursorRow + 1 < s.rows)
        ++s.cursorRow;
    else if (s.cursorColumn > 0)
        ScrollUp(s, 1);
    s.cursorColumn = 0;
}

// A blank picture of the given size, the cursor at the top left.
void BlankPicture(ConsoleScreen& s, int rows, int cols) {
    s = ConsoleScreen{};
    s.rows = rows;
    s.cols = cols;
    s.cells.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), ' ');
    s.written.assign(static_cast<std::size_t>(rows), 0);
}

// The terminal has changed size: curses takes the new size (endwin leaves
// the cursor on the last row), and the trace is laid out as it would stand
// on a terminal that had that size from the start, the newest line just
// above the cursor on the last row once the screen has filled.  The newest
// lines are the ones kept: a shrinking screen first scrolls them up into
// the rows that remain; a growing one moves what it shows down, as far as
// lines have scrolled off the top (those lines are gone, so the rows above
// stay blank until the trace fills them).  Rows narrower than before lose
// their ends.  What the terminal shows after a resize is its own affair
// (some reflow the text, some clear it), so the next send repaints.
void FollowResize(Console& console) {
    // Cleared before the size is read, so a resize after the read is seen
    // at the next line.
    resizePending.store(false, std::memory_order_relaxed);
    winsize size{};
    if (ioctl(console.ttyFd, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0)
        return; // no size to go by: keep the one we have
    const int rows = size.ws_row;
    const int cols = size.ws_col;
    ConsoleScreen& old = console.picture;
    if (rows == old.rows && cols == old.cols) return;
    if (resizeterm(rows, cols) != OK) return;

    if (old.cursorRow > rows - 1) {
        ScrollUp(old, old.cursorRow - (rows - 1));
        old.cursorRow = rows - 1;
    }
    const int down =
        static_cast<int>(std::min<long long>(old.rowsScrolledOff, rows - 1 - old.cursorRow));
    ConsoleScreen resized;
    BlankPicture(resized, rows, cols);
    const auto kept = static_cast<std::size_t>(std::min(cols, old.cols));
    for (int row = 0; row < old.rows && row + down < rows; ++row) {
        std::memcpy(RowCells(resized, row + down), old.Row(row).data(), kept);
        resized.written[Kept(resized, row + down)] = std::min(cols, old.written[Kept(old, row)]);
    }
    resized.rowsScrolledOff = old.rowsScrolledOff - down;
    resized.cursorRow = old.cursorRow + down;
    resized.cursorColumn = std::min(old.cursorColumn, cols);
    if (resized.cursorColumn == cols && resized.cursorRow + 1 < rows) NextRow(resized);
    resized.repaint = true;
    old = std::move(resized);
    // The print region is the whole screen, whatever its size now.
    console.regionTop = 1;
    console.regionBottom = rows;
}

// Puts NoteResize on SIGWINCH, keeping what was there to give back.  curses
// has a handler of its own, but it takes the new size only inside its next
// refresh, and the console never asks for one.  A game started with
// SIGWINCH ignored leaves it ignored.
void CatchResize(Console& console) {
    struct sigaction previous {};
    if (sigaction(SIGWINCH, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = NoteResize;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a resize must not cut the game's writes or sleeps short
    if (sigaction(SIGWINCH, &action, &console.previousResize) == 0) console.resizeCaught = true;
}

// The default output routine on the curses screen.  Rows and columns are
// 1-based here, as the cursor arithmetic below is worked out that way.  The
// game never narrows the print region, so it is always the whole screen,
// and the region's own scroll is the screen's.
void WriteToScreen(Console& console, std::string_view text, int flags) {
    if (resizePending.load(std::memory_order_relaxed)) FollowResize(console);
    ConsoleScreen& s = console.picture;
    if (console.repaintPending) {
        // Back from a stop: the shell has drawn over the screen meanwhile.
        console.repaintPending = 0;
        s.repaint = true;
    }
    if (console.regionTop < 0) console.regionTop = 1;
    if (console.regionBottom < 0) console.regionBottom = s.rows;
    const long long height = s.rows;
    const long long width = s.cols;
    const long long row = s.cursorRow + 1;
    const long long column = s.cursorColumn + 1;

    // The extra lines this output needs: one for the line break (which is
    // not written itself), plus the rows the text wraps onto.
    auto length = static_cast<long long>(text.size());
    long long extra = 0;
    if ((flags & kPrintLineEnd) && length > 0) {
        --length;
        extra = 1;
    }
    if (column - 1 + length > width) extra += (length - 1 - (width - column)) / width + 1;

    // Make room by scrolling.  A text taller than the whole screen starts on
    // the top row rather than at a row that does not exist.
    if (row + extra > height) {
        ScrollUp(s, static_cast<int>(std::min(row + extra - height, height)));
        s.cursorRow = static_cast<int>(std::max(height - extra, 1LL) - 1);
    }
    PutText(s, text.substr(0, static_cast<std::size_t>(length)));

    // A line goes to the terminal once it is complete; the pieces before its
    // end (a label, then numbers) wait for it, so every line is sent in one
    // write, before the next one is produced.
    if (flags & kPrintLineEnd) {
        EndLine(s);
        SendToTerminal(console);
    }
}

// The default output routine when there is no curses screen: plain lines on
// the stream the console was started with, each pushed out as it ends.  A
// console that was never started, or whose terminal has been restored,
// shows nothing.
void WriteDefault(Console& console, std::string_view text, int flags) {
    if (console.cursesActive) {
        WriteToScreen(console, text, flags);
        return;
    }
    if (!console.plain || !console.plainOut) return;
    std::fwrite(text.data(), 1, text.size(), console.plainOut);
    if (flags & kPrintLineEnd) std::fflush(console.plainOut);
    // Whoever read the trace has gone (a closed pipe): the game plays on
    // without it.
    if (std::ferror(console.plainOut)) console.plainOut = nullptr;
}

void Emit(Console& console, std::string_view text, int flags) {
    if (console.output)
        console.output(text, flags);
    else
        WriteDefault(console, text, flags);
}

// Looks up the strings the screen writer sends on the terminal curses has
// just opened; false where the trace cannot be laid out on it, which then
// gets plain lines: no cursor address or clear, or one that would need
// padding; the Hazeltine tilde, or padding after every character.  The
// other strings are used only where they need no padding.
bool LookUpTerminal(ConsoleTerminal& t) {
    t = ConsoleTerminal{};
    t.cursorAddress = TerminalSequence("cup");
    t.clear = TerminalSequence("clear");
    if (t.cursorAddress.length == 0 || t.clear.length == 0 || Flag("hz") || TerminalString("rmp"))
        return false;
    t.scrollUp = TerminalSequence("ind");
    t.down = TerminalSequence("cud1");
    t.up = TerminalSequence("cuu1");
    t.carriageReturn = TerminalSequence("cr");
    t.lastCellScrolls = Flag("am") && !Flag("xenl");
    const TerminalBytes right = TerminalSequence("cuf");
    for (std::size_t n = 2; right.length > 0 && n < t.skipRight.size(); ++n) {
        const char* bytes = tiparm(right.bytes.data(), static_cast<int>(n));
        const std::size_t length = bytes ? std::strlen(bytes) : n;
        if (length >= n || length >= t.skipRight[n].bytes.size()) continue;
        std::memcpy(t.skipRight[n].bytes.data(), bytes, length);
        t.skipRight[n].length = length;
    }
    return true;
}

} // namespace

const char* TerminalString(const char* capability) {
    const char* bytes = tigetstr(const_cast<char*>(capability));
    return bytes == reinterpret_cast<const char*>(-1) ? nullptr : bytes;
}

TerminalBytes TerminalSequence(const char* capability) {
    TerminalBytes sequence;
    const char* p = TerminalString(capability);
    if (!p) return sequence;
    const bool flowControl = Flag("xon");
    std::size_t used = 0;
    while (*p) {
        bool mandatory = false;
        if (const std::size_t padding = PaddingAt(p, mandatory)) {
            if (mandatory || !flowControl) return TerminalBytes{};
            p += padding;
            continue;
        }
        if (used + 1 >= sequence.bytes.size()) return TerminalBytes{};
        sequence.bytes[used++] = *p++;
    }
    sequence.length = used;
    return sequence;
}

void StartConsole(Console& console, std::FILE* out, std::FILE* in) {
    SetUpFloatingPoint();
    if (console.cursesActive) RestoreTerminal(console);
    console.plain = false;
    console.plainOut = nullptr;
    console.screen = nullptr;
    console.regionTop = -1;
    console.regionBottom = -1;
    console.ttyFd = -1;
    if (!out) out = stdout;
    std::fflush(out);

    // newterm rather than initscr: initscr ends the process when it cannot
    // drive the terminal, and a game started from a launcher or with its
    // output in a file should simply run with plain lines.
    resizePending.store(false); // curses reads the size as it starts
    const char* term = std::getenv("TERM");
    SCREEN* screen = nullptr;
    console.modesSaved = false;
    if (in && isatty(fileno(out)) && term && *term) {
        console.modesSaved = tcgetattr(fileno(out), &console.savedModes) == 0;
        console.ttyFd = fileno(out);
        CatchSuspend(console);
        screen = newterm(nullptr, out, in);
    }
    if (screen && !LookUpTerminal(console.terminal)) {
        // A terminal the trace cannot be laid out on (TERM=dumb, an
        // editor's shell buffer) would get every line as a screenful of
        // filler.
        endwin();
        delscreen(screen);
        screen = nullptr;
    }
    if (!screen) {
        ReleaseSuspend(console);
        console.ttyFd = -1;
        console.plain = true;
        console.plainOut = out;
        // A trace piped into a reader that stops reading (`novawing | head`)
        // must not kill the game: writes then fail and the trace stops instead.
        std::signal(SIGPIPE, SIG_IGN);
        return;
    }
    set_term(screen);
    console.screen = screen;
    console.cursesActive = true;
    console.ttyFd = fileno(out);
    HoldErrors(console);

    SendEscape(console.ttyFd, "\033(U");
    CatchResize(console);
    cbreak();
    noecho();
    nonl();
    nodelay(stdscr, TRUE);
    keypad(stdscr, TRUE);
    scrollok(stdscr, FALSE);
    // Nothing is typed at this console, so its cursor is hidden (endwin
    // shows it again).
    curs_set(0);
    SetUpColourPairs();
    PrepareSignalRestore(console);
    // curses' first refresh clears the screen (and sends what it has kept
    // back); from here on the console sends the trace itself.  curses is
    // never asked to draw again, so it keeps believing its cursor is where
    // that refresh left it, at the top left.
    wrefresh(stdscr);
    BlankPicture(console.picture, LINES, COLS);
    console.repaints = 0;
    console.repaintPending = 0;
}

void RestoreTerminal(Console& console) {
    if (console.plain) {
        if (console.plainOut) std::fflush(console.plainOut);
        return;
    }
    if (!console.cursesActive) return;
    ReleaseSuspend(console);
    // A piece of a line still waiting for its line's end is shown first.
    if (SomethingUnsent(console.picture)) SendToTerminal(console);
    // The cursor goes where curses believes it is (StartConsole), so that
    // curses' own last moves and clears in endwin land where it means them.
    TerminalOutput out(console.ttyFd);
    out.Put(CursorAddress(console.terminal, 0, 0));
    out.Flush();
    console.cursesActive = false;
    if (console.resizeCaught) {
        sigaction(SIGWINCH, &console.previousResize, nullptr);
        console.resizeCaught = false;
    }
    // Another curses screen may have become the current one since (libcaca
    // draws through curses too, when SDL tried its text-mode driver), and
    // endwin ends only the current screen: ours holds the shell's modes.
    set_term(static_cast<SCREEN*>(console.screen));
    endwin();
    // The modes the shell last had: the ones the game started with, or the
    // ones it was given while the game was stopped (Ctrl-Z, stty, fg).
    if (console.modesSaved) tcsetattr(console.ttyFd, TCSADRAIN, &console.savedModes);
    SendEscape(console.ttyFd, "\033(B");
    StopHoldingErrors(console);
    delscreen(static_cast<SCREEN*>(console.screen));
    console.screen = nullptr;
}

void ReclaimTerminal(Console& console) {
    if (!console.cursesActive) return;
    set_term(static_cast<SCREEN*>(console.screen));
    reset_prog_mode();
    // The other screen's end left the program's screen, and drew over it.
    WriteAll(console.ttyFd, console.resumeBytes.data(), console.resumeLength);
    console.picture.repaint = true;
}

OutputRoutine SetOutputRoutine(Console& console, OutputRoutine routine) {
    OutputRoutine previous = std::move(console.output);
    console.output = std::move(routine);
    return previous;
}

void PrintText(Console& console, std::string_view text, int flags) {
    // Long texts go out in pieces; only the last one ends the line or fills
    // the print zone.
    while (text.size() > kPieceLength) {
        Emit(console, text.substr(0, kPieceLength), 0);
        text.remove_prefix(kPieceLength);
    }
    // The last piece with its line break or zone padding, built on the stack:
    // this runs for every progress line of every frame.
    char line[kPieceLength + kZoneWidth + 2];
    std::size_t length = text.size();
    std::memcpy(line, text.data(), length);
    if (flags & kPrintLineEnd) {
        line[length++] = '\n';
    } else if (flags & kPrintZone) {
        while (length < kZoneWidth)
            line[length++] = ' ';
    }
    Emit(console, std::string_view(line, length), flags);
}

void PrintInt(Console& console, std::int32_t value, int flags) {
    const char* format = "% d";
    if (flags & kPrintLineEnd)
        format = "% d\n";
    else if (flags & kPrintZone)
        format = "% -14d";
    char digits[32];
    int length = std::snprintf(digits, sizeof digits, format, static_cast<int>(value));
    Emit(console, std::string_view(digits, static_cast<std::size_t>(length)), flags);
}
