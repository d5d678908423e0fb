// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The process's way out.  However the game ends (its own exit, an error a
// person can act on, or a signal), the console's terminal is put back first.
#pragma once

#include "support/console.h"

#include <string_view>

// Restores the terminal on SIGINT, SIGTERM, SIGHUP, SIGQUIT and the fatal
// signals (SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL), then lets the signal's
// own default action end the process (a core dump where the system wants
// one).  The handler only writes saved bytes and sets saved modes.  The same
// restore runs when the process ends through exit() without RestoreTerminal
// (Xlib ends it so when the X server goes away or refuses a request) and,
// in a sanitizer build, when a sanitizer's report ends it.
void InstallTerminalRestore(Console& console);

// Works out, while curses is up, the bytes a signal handler writes to put the
// terminal back (a handler may not call curses).  StartConsole calls it.
void PrepareSignalRestore(Console& console);

// While curses is up on the terminal that is also standard error, what is
// written to standard error goes to a file of the console's own instead of
// the screen: on the alternate screen it would be drawn over and lost with
// it.  It is written out to the terminal once the terminal has been put
// back (RestoreTerminal, a signal, exit; and while the game is stopped).
// StartConsole calls it.
void HoldErrors(Console& console);
// Standard error back to the terminal, with what it was given meanwhile.
// Only async-signal-safe calls.
void StopHoldingErrors(Console& console);

// Ctrl-Z and fg while curses is up.  Put in place before curses starts (so
// curses keeps its own handler out, and with it a pair of system calls on
// every refresh): on SIGTSTP the handler puts the terminal back as the shell
// had it and stops the process; when it is continued it brings the program's
// modes and screen back and asks the next line to repaint the screen.  A
// game started with SIGTSTP ignored leaves it ignored.  Only writes saved
// bytes and reads and sets the terminal's modes.
void CatchSuspend(Console& console);
// Gives SIGTSTP back to whoever had it.
void ReleaseSuspend(Console& console);

// The program's only exit: restores the terminal, then exit(code).
[[noreturn]] void ExitProgram(Console& console, int code);
// For errors a person can act on: restores the terminal first, then writes the
// message as one line on standard error and exits with code 1.
[[noreturn]] void ExitWithError(Console& console, std::string_view message);
