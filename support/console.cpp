// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The text console: the curses print region, its scrolling and resizing,
// the plain-line fallback and the print operations.  Putting the terminal
// back when the process ends is support/process.cpp's job.
#include "support/console.h"
#include "support/floating_point.h"
#include "support/process.h"

#include <curses.h>
#include <term.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

// curses' own output routine and the flush behind every refresh: a byte
// handed to the first goes into the screen's output buffer, and the second
// writes that buffer to the terminal.  libtinfo exports both (libncurses
// calls them for all its output) under versioned names, but curses.h does
// not declare them.
extern "C" int _nc_outch_sp(SCREEN* screen, int byte);
extern "C" void _nc_flush_sp(SCREEN* screen);

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

// Switching the terminal's character set: ESC ( U selects the IBM PC set
// (on the Linux console), ESC ( B the standard one.  Written straight to the
// terminal, which also keeps this usable from the signal handler.
void SendEscape(int fd, const char (&sequence)[4]) {
    if (fd < 0) return;
    ssize_t written = write(fd, sequence, 3);
    (void)written; // nothing to be done about a terminal that will not take it
}

// Whether the terminal curses just opened can move its cursor to any cell,
// which the scrolling trace depends on.
bool CanAddressCursor() {
    return TerminalString("cup") != nullptr;
}

void SetUpColourPairs() {
    if (!has_colors() || start_color() != OK || COLOR_PAIRS < 64) return;
    // Foreground from the low three bits of the pair number, background from
    // the next three; pair 0 stays the terminal's own default.
    for (short pair = 1; pair < 64; ++pair)
        init_pair(pair, kColourMap[pair % 8], kColourMap[pair / 8]);
}

// Scrolls the print region up by k lines (down by -k when k is negative),
// the screen itself never scrolling on its own.  The sub-window shares its
// characters with stdscr; touching every row makes the next refresh look at
// all of them.  Used where the next refresh repaints the screen anyway (after
// a resize); the trace's own scrolling goes through ScrollScreen.
void ScrollRegion(int top, int bottom, int k) {
    int height = bottom - top + 1;
    if (height < 1) return;
    k = std::clamp(k, -height, height);
    WINDOW* region = subwin(stdscr, height, COLS, top - 1, 0);
    if (!region) return;
    scrollok(region, TRUE);
    wscrl(region, k);
    wtouchln(stdscr, 0, LINES, 1);
    // The rows that came in are blank: the last k, or the first -k.
    for (int row = k > 0 ? height - k : 0; row < (k > 0 ? height : -k); ++row) {
        wmove(region, row, 0);
        wclrtoeol(region);
    }
    delwin(region);
}

// How ncurses keeps one row of a window: its cells, the first and last
// column changed since the last refresh, and where the row was before a
// scroll.  curses.h names this record (struct ldat) but does not spell it
// out; RowRecordsAsExpected checks the layout on the running library before
// the console relies on it.
struct CursesRow {
    chtype* text;
    NCURSES_SIZE_T firstchar;
    NCURSES_SIZE_T lastchar;
    NCURSES_SIZE_T oldindex;
};

// The start of ncurses' window record (struct _win_st), up to its rows, as
// curses.h spells it out where it is not opaque.  Where it is (Debian 13
// builds ncurses so, as most current systems do) the record is the same
// but hidden, so the console keeps its own copy of the head;
// RowRecordsAsExpected compares every field of it with what curses' own
// calls say before the rows are used.
struct CursesWindowHead {
    NCURSES_SIZE_T cury, curx;
    NCURSES_SIZE_T maxy, maxx;
    NCURSES_SIZE_T begy, begx;
    short flags;
    attr_t attrs;
    chtype bkgd;
    bool notimeout, clear, leaveok, scroll, idlok, idcok, immed, sync, useKeypad;
    int delay;
    CursesRow* line;
};

#if !NCURSES_OPAQUE
static_assert(offsetof(WINDOW, _line) == offsetof(CursesWindowHead, line));
static_assert(offsetof(WINDOW, _delay) == offsetof(CursesWindowHead, delay));
static_assert(offsetof(WINDOW, _bkgd) == offsetof(CursesWindowHead, bkgd));
#endif

const CursesWindowHead* HeadOf(const WINDOW* window) {
    return reinterpret_cast<const CursesWindowHead*>(window);
}

CursesRow* RowsOf(WINDOW* window) {
    return HeadOf(window)->line;
}

// Whether a window's head reads as curses' own calls describe the window.
bool HeadAsExpected(WINDOW* window) {
    const CursesWindowHead* head = HeadOf(window);
    return head->cury == getcury(window) && head->curx == getcurx(window) &&
           head->maxy == getmaxy(window) - 1 && head->maxx == getmaxx(window) - 1 &&
           head->begy == getbegy(window) && head->begx == getbegx(window) &&
           head->attrs == static_cast<attr_t>(getattrs(window)) && head->bkgd == getbkgd(window) &&
           head->notimeout == is_notimeout(window) && head->clear == is_cleared(window) &&
           head->leaveok == is_leaveok(window) && head->scroll == is_scrollok(window) &&
           head->idlok == is_idlok(window) && head->idcok == is_idcok(window) &&
           head->immed == is_immedok(window) && head->sync == is_syncok(window) &&
           head->useKeypad == is_keypad(window) && head->delay == wgetdelay(window) &&
           head->line != nullptr;
}

// Whether the rows of curses' windows are laid out as CursesRow says, tried
// on the fresh stdscr: its head matches curses' calls in two different
// states, a character written shows in the record's cells and its column
// in the record's changed range, each row with cells of its own.
bool RowRecordsAsExpected() {
    if (LINES < 2 || COLS < 3) return false;
    wmove(stdscr, 1, 2);
    wtimeout(stdscr, 123);
    const bool firstState = HeadAsExpected(stdscr);
    wmove(stdscr, 0, 0);
    nodelay(stdscr, TRUE); // as StartConsole set it
    if (!firstState || !HeadAsExpected(stdscr) || !HeadAsExpected(curscr) ||
        !HeadAsExpected(newscr))
        return false;
    wtouchln(stdscr, 0, LINES, 0);
    mvwaddch(stdscr, 1, 2, 'Q');
    const CursesRow* rows = RowsOf(stdscr);
    const bool expected = rows[0].text != rows[1].text && rows[0].text && rows[1].text &&
                          (rows[1].text[2] & A_CHARTEXT) == 'Q' && rows[1].firstchar == 2 &&
                          rows[1].lastchar == 2 && rows[0].firstchar == _NOCHANGE &&
                          is_linetouched(stdscr, 1) && !is_linetouched(stdscr, 0);
    mvwaddch(stdscr, 1, 2, ' ');
    wmove(stdscr, 0, 0);
    touchwin(stdscr); // as a fresh stdscr is: every row to be drawn
    return expected;
}

// Whether a terminal string is sent as it stands: no padding for tputs to
// work out.
bool Unpadded(const char* bytes) {
    return bytes && !std::strstr(bytes, "$<");
}

// Works out whether finished lines may go to this terminal without a
// refresh (WriteLineDirect): the row records must be as expected, and the
// terminal must show a plain character as the character itself (no
// Hazeltine tilde, no padding after each character), with a carriage
// return to bring the cursor back.  Also the "cursor right" strings for
// the short runs of blanks a line skips.
void SetUpDirectWrites(Console& console) {
    console.directWrites = false;
    console.directRow = -1;
    console.skipRight = {};
    console.carriageReturn = TerminalString("cr");
    if (!console.moveRowRecords || !Unpadded(console.carriageReturn) ||
        tigetflag(const_cast<char*>("hz")) > 0 || TerminalString("rmp"))
        return;
    if (const char* right = TerminalString("cuf")) {
        for (std::size_t n = 2; n < console.skipRight.size(); ++n) {
            const char* bytes = tiparm(right, static_cast<int>(n));
            if (!Unpadded(bytes)) continue;
            const std::size_t length = std::strlen(bytes);
            Console::CursorSkip& skip = console.skipRight[n];
            if (length >= n || length > skip.bytes.size()) continue;
            std::memcpy(skip.bytes.data(), bytes, length);
            skip.length = static_cast<std::uint8_t>(length);
        }
    }
    console.directWrites = true;
}

// Fills a row's cells with one value by copying what is already filled onto
// the rest, doubling each time: a few copies of the C library's, which moves
// many cells an instruction, instead of a store a cell.
void FillCells(chtype* cells, int count, chtype value) {
    if (count <= 0) return;
    cells[0] = value;
    for (int filled = 1; filled < count;) {
        const int n = std::min(filled, count - filled);
        std::memcpy(cells + filled, cells, static_cast<std::size_t>(n) * sizeof(chtype));
        filled += n;
    }
}

// Scrolls one of curses' whole-screen windows up by k rows.  With the row
// records it can rely on, it moves the records round and blanks the k rows
// that come in: a cost in rows, not in cells.  A row's cells and its changed
// marks go with its record, so whatever was still to be sent stays marked
// on the text it belongs to.  The rows that come in are copied from
// `blankRow` (one of another window's, just blanked) where that holds this
// window's blank; the first of them is returned for the next window.
// Without the records wscrl copies every row's cells, and the marks are
// worked out again: those of the picture curses is building stay with the
// rows they were on (`keepMarks`), the others are cleared.
const chtype* ShiftWindow(WINDOW* window, int k, bool moveRecords, bool keepMarks,
                          const chtype* blankRow = nullptr) {
    const int rows = getmaxy(window);
    if (moveRecords) {
        CursesRow* row = RowsOf(window);
        std::rotate(row, row + k, row + rows);
        const chtype blank = getbkgd(window);
        const auto cols = static_cast<std::size_t>(getmaxx(window));
        for (int r = rows - k; r < rows; ++r) {
            if (blankRow && blankRow[0] == blank)
                std::memcpy(row[r].text, blankRow, cols * sizeof(chtype));
            else
                FillCells(row[r].text, static_cast<int>(cols), blank);
            row[r].firstchar = _NOCHANGE;
            row[r].lastchar = _NOCHANGE;
            row[r].oldindex = _NEWINDEX;
        }
        return row[rows - k].text;
    }
    int first = rows;
    int last = -1;
    for (int r = k; keepMarks && r < rows; ++r) {
        if (!is_linetouched(window, r)) continue;
        first = std::min(first, r - k);
        last = r - k;
    }
    scrollok(window, TRUE);
    wscrl(window, k);
    scrollok(window, FALSE);
    wtouchln(window, 0, rows, 0);
    if (last >= first) wtouchln(window, first, last - first + 1, 1);
    return nullptr;
}

// Scrolls the whole screen up by k rows, the terminal first.  Left to the
// refresh, curses would have to find the scroll by comparing every row of
// the screen with what the terminal shows, and a trace that repeats itself
// (the same lines every frame) on a screen taller than the repeat gives it no
// row it can match, so it would redraw them all.  Instead the terminal is
// told to scroll, and curses' three pictures of the screen (ours, the one it
// is building and the terminal's own) are shifted the same way, each row
// keeping its changed marks: what follows (a refresh, or WriteLineDirect)
// then sends only the new line.  The bytes go into the screen's own output
// buffer, so they leave with the line's one write, on the console's
// terminal.
bool ScrollScreen(Console& console, int k) {
    console.directRow = -1;
    const char* index = console.scrollUp;
    if (!index || k < 1 || k >= LINES) return false;
    // Moved by their records, our picture and the one being built keep
    // their changed marks (text written on the current line before this
    // scroll moves up with them, still to be sent).  Moved by wscrl, our
    // picture's changes go into the one being built first, so that the two
    // hold the same rows when they shift.  After a resize the next refresh
    // repaints everything anyway: the slow way then costs nothing more.
    if (!console.moveRowRecords) wnoutrefresh(stdscr);
    if (is_cleared(curscr) || is_cleared(stdscr)) return false;
    // "ind" scrolls only from the last row.  The last refresh left the
    // terminal's cursor at the start of the newest line (cursorRow), where
    // curses knows it is; the cursor steps down to the last row, the
    // terminal scrolls, and the cursor steps back up the same number of rows.
    // It ends where curses left it, now at the start of the row the new line
    // goes on, so curses' idea of the cursor stays right and the line needs
    // no move of its own.  In the first column, a "cursor down" that is a
    // line feed means the same whatever the terminal does with line feeds.
    const int row = console.cursorRow;
    if (row < 0 || row >= LINES) return false;
    const int steps = LINES - 1 - row;
    if (steps > 0 && (!console.cursorDown || !console.cursorUp)) return false;
    // Not putp or mvcur: they write to the process's standard output, which
    // need not be this terminal, and through its own buffer.
    SCREEN* screen = static_cast<SCREEN*>(console.screen);
    for (int i = 0; i < steps; ++i)
        tputs_sp(screen, console.cursorDown, 1, _nc_outch_sp);
    for (int i = 0; i < k; ++i)
        tputs_sp(screen, index, 1, _nc_outch_sp);
    for (int i = 0; i < steps; ++i)
        tputs_sp(screen, console.cursorUp, 1, _nc_outch_sp);
    // Rows that still differ from the terminal keep their marks as they move
    // up; the rows scrolled away take theirs with them.
    const chtype* blanks = ShiftWindow(curscr, k, console.moveRowRecords, false);
    ShiftWindow(newscr, k, console.moveRowRecords, true, blanks);
    ShiftWindow(stdscr, k, console.moveRowRecords, false, blanks);
    // The usual case once the screen is full: one row, from the newest
    // line's row, onto a row the terminal shows blank (as blank as the last
    // row, which has just come in).  The line written there may go out
    // without a refresh (WriteLineDirect).
    if (console.directWrites && k == 1 && steps == 1 && getbkgd(curscr) == ' ') {
        const CursesRow* terminalRows = RowsOf(curscr);
        if (std::memcmp(terminalRows[row].text, terminalRows[LINES - 1].text,
                        static_cast<std::size_t>(COLS) * sizeof(chtype)) == 0)
            console.directRow = row;
    }
    return true;
}

// Sends a finished line that stands alone on a row the terminal shows blank
// (directRow) straight from stdscr's cells, with the bytes a refresh would
// send for it, and makes curses' pictures agree; false, having sent
// nothing, where it must take a refresh instead.
//
// A refresh costs what curses does around the one row that changed: it
// looks every row up for a scroll it will not find, walks and compares rows
// across the width, and prices its cursor move back to the line's start
// against every way the terminal could make it.  On a large terminal that
// is most of a line's cost, and it grows with the terminal.  Here a line
// costs its own cells: its characters (a run of blanks skipped with one
// "cursor right" where that is shorter), then "cr", which brings the
// cursor back to the line's start, where curses left it after the scroll
// and still thinks it is.  The bytes go through curses' own output buffer
// and leave in one write, as a refresh's would, before the next line is
// produced.  Then the terminal's picture (curscr) and the one curses builds
// (newscr) are given the row as stdscr has it, all three with nothing left
// to send, so the next refresh (a resize, a long line) starts from the
// truth.
bool WriteLineDirect(Console& console, int y) {
    // A resize or a stop since the scroll has left the screen to be
    // repainted: that takes a refresh.
    if (console.directRow != y || is_cleared(curscr) || is_cleared(stdscr)) return false;
    CursesRow* const records[] = {RowsOf(stdscr), RowsOf(newscr), RowsOf(curscr)};
    // Only this row may have something to send.
    for (int row = 0; row < LINES; ++row) {
        if (row == y) continue;
        if (records[0][row].firstchar != _NOCHANGE || records[1][row].firstchar != _NOCHANGE)
            return false;
    }
    // What differs from the blank row the terminal shows lies within the
    // changed marks of our picture and the one being built (outside them
    // each picture holds what the one after it does).  Plain characters
    // only, and none in the last column, where terminals differ on when the
    // cursor wraps.
    const chtype* cells = records[0][y].text;
    const int cols = COLS;
    int first = cols;
    int last = -1;
    for (const CursesRow* window : {records[0], records[1]}) {
        if (window[y].firstchar == _NOCHANGE) continue;
        first = std::min<int>(first, window[y].firstchar);
        last = std::max<int>(last, window[y].lastchar);
    }
    first = std::max(first, 0);
    last = std::min(last, cols - 1);
    int end = 0;
    for (int x = first; x <= last; ++x) {
        const chtype cell = cells[x];
        if (cell == ' ') continue;
        const chtype c = cell & A_CHARTEXT;
        if (cell != c || c < 0x20 || c == 0x7f) return false;
        end = x + 1;
    }
    if (end >= cols) return false;

    SCREEN* screen = static_cast<SCREEN*>(console.screen);
    for (int x = 0; x < end;) {
        if (cells[x] != ' ') {
            _nc_outch_sp(screen, static_cast<int>(cells[x]));
            ++x;
            continue;
        }
        int run = 1;
        while (cells[x + run] == ' ') // ends at the last character, before `end`
            ++run;
        const auto skip = static_cast<std::size_t>(run);
        if (skip < console.skipRight.size() && console.skipRight[skip].length > 0) {
            const Console::CursorSkip& right = console.skipRight[skip];
            for (std::size_t i = 0; i < right.length; ++i)
                _nc_outch_sp(screen, static_cast<unsigned char>(right.bytes[i]));
        } else {
            for (int i = 0; i < run; ++i)
                _nc_outch_sp(screen, ' ');
        }
        x += run;
    }
    tputs_sp(screen, console.carriageReturn, 1, _nc_outch_sp);
    _nc_flush_sp(screen);

    // Outside the marks all three already agree.
    for (CursesRow* window : {records[1], records[2]})
        if (last >= first) std::copy(cells + first, cells + last + 1, window[y].text + first);
    for (CursesRow* window : records) {
        window[y].firstchar = _NOCHANGE;
        window[y].lastchar = _NOCHANGE;
    }
    ++console.directLines;
    return true;
}

// The terminal has changed size: curses takes the new size, and the trace is
// laid out as it would stand on a terminal that had that size from the
// start, the newest line just above the cursor on the last row once the
// screen has filled.  The newest lines are the ones kept: a shrinking screen
// first scrolls them up into the rows that remain; a growing one moves what
// it shows down, as far as lines have scrolled off the top (those lines are
// gone, so the rows above stay blank until the trace fills them).
void FollowResize(Console& console) {
    // Cleared before the size is read, so a resize after the read is seen
    // at the next line.
    resizePending.store(false, std::memory_order_relaxed);
    winsize size{};
    if (ioctl(console.ttyFd, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0)
        return; // no size to go by: keep the one we have
    const int rows = size.ws_row;
    const int cols = size.ws_col;
    if (rows == LINES && cols == COLS) return;

    int y = 0;
    int x = 0;
    getyx(stdscr, y, x);
    if (y > rows - 1) {
        ScrollRegion(1, LINES, y - (rows - 1));
        console.rowsScrolledOff += y - (rows - 1);
        y = rows - 1;
    }
    if (resizeterm(rows, cols) != OK) return;
    const int down = static_cast<int>(std::min<long long>(console.rowsScrolledOff, rows - 1 - y));
    if (down > 0) {
        ScrollRegion(1, LINES, -down);
        console.rowsScrolledOff -= down;
        y += down;
    }
    wmove(stdscr, y, std::min(x, cols - 1));
    // The print region is the whole screen, whatever its size now.
    console.regionTop = 1;
    console.regionBottom = LINES;
    // What the terminal shows after a resize is its own affair (some reflow
    // the text, some clear it): the next refresh repaints every row.
    clearok(curscr, TRUE);
}

// Puts NoteResize on SIGWINCH, keeping what was there to give back.  curses
// has a handler of its own, but it takes the new size only inside its next
// refresh, after the line has been placed for the old size, and it keeps the
// top rows, the oldest lines, where the trace wants the newest.  A game
// started with SIGWINCH ignored leaves it ignored.
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
// 1-based here, as the cursor arithmetic below is worked out that way.
void WriteToScreen(Console& console, std::string_view text, int flags) {
    if (resizePending.load(std::memory_order_relaxed)) FollowResize(console);
    if (console.repaintPending) {
        // Back from a stop: the shell has drawn over the screen meanwhile.
        console.repaintPending = 0;
        clearok(curscr, TRUE);
    }
    int y = 0;
    int x = 0;
    getyx(stdscr, y, x);
    long long row = y + 1;
    long long column = x + 1;
    long long cols = COLS;
    if (console.regionTop < 0) console.regionTop = 1;
    if (console.regionBottom < 0) console.regionBottom = LINES;
    long long top = console.regionTop;
    long long bottom = console.regionBottom;

    // A cursor left below a region that stops short of the last row goes to
    // the row just under the region.
    if (row > bottom && bottom != LINES) {
        row = bottom + 1;
        wmove(stdscr, static_cast<int>(row - 1), static_cast<int>(column - 1));
    }

    // The extra lines this output needs: one for the line break (which is
    // not written itself), plus the rows the text wraps onto.
    auto length = static_cast<long long>(text.size());
    long long extra = 0;
    if ((flags & kPrintLineEnd) && length > 0) {
        --length;
        extra = 1;
    }
    if (column - 1 + length > cols) extra += (length - 1 - (cols - column)) / cols + 1;

    // Make room by scrolling.  A text taller than the whole screen starts on
    // the top row rather than at a row that does not exist.
    long long scroll = 0;
    long long target = 0;
    if (row + extra > LINES) {
        scroll = std::min<long long>(row + extra - LINES, LINES);
        target = LINES - extra;
    } else if (extra > bottom + 1 - row) {
        scroll = std::min<long long>(extra - (bottom + 1 - row), LINES);
        target = bottom - extra + 1;
    }
    if (scroll > 0) {
        if (top != 1 || bottom != LINES || !ScrollScreen(console, static_cast<int>(scroll)))
            ScrollRegion(static_cast<int>(top), static_cast<int>(bottom), static_cast<int>(scroll));
        console.rowsScrolledOff += scroll;
        if (target < 1) target = 1;
        wmove(stdscr, static_cast<int>(target - 1), static_cast<int>(column - 1));
    }

    // What printw("%s") would write: the text up to a NUL byte, if any.
    waddnstr(stdscr, text.data(), static_cast<int>(std::min<long long>(length, 1 << 20)));
    // Text that ran onto another row (a wrap curses made of it) goes out
    // with a refresh.
    if (getcury(stdscr) != console.directRow) console.directRow = -1;

    // Each line goes out with its own refresh once it is complete; the
    // pieces before its end (a label, then numbers) wait for it, so a line
    // costs one refresh however many pieces it is printed in.  The refresh
    // leaves the terminal's cursor at the start of the line's last row,
    // where the next scroll starts from (ScrollScreen); the next text goes
    // on the row under it.
    if (flags & kPrintLineEnd) {
        y = getcury(stdscr);
        wmove(stdscr, y, 0);
        if (!WriteLineDirect(console, y)) wrefresh(stdscr);
        console.directRow = -1;
        console.cursorRow = y;
        wmove(stdscr, y + 1, 0);
        console.refreshPending = false;
    } else {
        console.refreshPending = true;
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

} // namespace

const char* TerminalString(const char* capability) {
    const char* bytes = tigetstr(const_cast<char*>(capability));
    return bytes == reinterpret_cast<const char*>(-1) ? nullptr : bytes;
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
    console.rowsScrolledOff = 0;
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
    if (screen && !CanAddressCursor()) {
        // A terminal that cannot place its cursor (TERM=dumb, an editor's
        // shell buffer) would get every line as a screenful of filler.
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

    SendEscape(console.ttyFd, "\033(U");
    CatchResize(console);
    cbreak();
    noecho();
    nonl();
    nodelay(stdscr, TRUE);
    keypad(stdscr, TRUE);
    scrollok(stdscr, FALSE);
    // The trace scrolls the terminal itself (ScrollScreen); curses is not to
    // insert or delete lines of its own.  (Its search for scrolled rows still
    // runs at every refresh on a terminal that can scroll: ncurses decides
    // that from the terminal's description alone.)
    idlok(stdscr, FALSE);
    console.scrollUp = TerminalString("ind");
    console.cursorDown = TerminalString("cud1");
    console.cursorUp = TerminalString("cuu1");
    // Nothing is typed at this console, so its cursor is hidden (endwin
    // shows it again); each refresh still leaves it on stdscr's cursor, so
    // that curses and the console both know where it is.
    leaveok(stdscr, FALSE);
    curs_set(0);
    console.cursorRow = -1;
    // Nor is anything read from it, so curses need not look for typed-ahead
    // input before every refresh: one system call less per line.
    typeahead(-1);
    console.moveRowRecords = RowRecordsAsExpected();
    SetUpDirectWrites(console);
    console.refreshPending = false;
    console.repaintPending = 0;
    SetUpColourPairs();
    PrepareSignalRestore(console);
    // Until a screen has once been ended and taken up again, ncurses pushes
    // its output to the terminal after every cursor move it makes inside a
    // refresh, so a trace line went out in two to five writes.  Ending and
    // resuming it here, before anything is shown, lets each refresh leave
    // in one write.
    endwin();
    doupdate();
}

void RestoreTerminal(Console& console) {
    if (console.plain) {
        if (console.plainOut) std::fflush(console.plainOut);
        return;
    }
    if (!console.cursesActive) return;
    ReleaseSuspend(console);
    console.cursesActive = false;
    // curses' terminal description goes with its screen
    console.scrollUp = nullptr;
    console.cursorDown = nullptr;
    console.cursorUp = nullptr;
    console.carriageReturn = nullptr;
    console.directWrites = false;
    if (console.resizeCaught) {
        sigaction(SIGWINCH, &console.previousResize, nullptr);
        console.resizeCaught = false;
    }
    // Another curses screen may have become the current one since (libcaca
    // draws through curses too, when SDL tried its text-mode driver), and
    // endwin ends only the current screen: ours holds the shell's modes.
    set_term(static_cast<SCREEN*>(console.screen));
    // A piece of a line still waiting for its line's end is shown first.
    if (console.refreshPending) wrefresh(stdscr);
    console.refreshPending = false;
    endwin();
    // The modes the shell last had: the ones the game started with, or the
    // ones it was given while the game was stopped (Ctrl-Z, stty, fg).
    if (console.modesSaved) tcsetattr(console.ttyFd, TCSADRAIN, &console.savedModes);
    SendEscape(console.ttyFd, "\033(B");
    delscreen(static_cast<SCREEN*>(console.screen));
    console.screen = nullptr;
}

void ReclaimTerminal(Console& console) {
    if (!console.cursesActive) return;
    set_term(static_cast<SCREEN*>(console.screen));
    reset_prog_mode();
    clearok(curscr, TRUE); // the other screen drew over ours
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
