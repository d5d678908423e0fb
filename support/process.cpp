// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The process's way out: the signals that end the game put the console's
// terminal back before the process dies of them, and so do the program's two
// exits.
#include "support/process.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// The console whose terminal the signal handler puts back.  It is the one
// piece of process-wide state here, and it has to be: a signal handler gets
// no arguments, and a process has only the one terminal to restore.
std::atomic<Console*> signalConsole{nullptr};

// The signals after which the terminal is put back before the process ends.
constexpr int kRestoreSignals[] = {SIGINT,  SIGTERM, SIGHUP, SIGQUIT, SIGABRT,
                                   SIGSEGV, SIGBUS,  SIGFPE, SIGILL};

// Appends the terminal's own string for `capability`, if it has one.
void AppendCapability(Console& console, const char* capability) {
    const char* bytes = TerminalString(capability);
    if (!bytes) return;
    std::size_t length = std::strlen(bytes);
    if (length > console.restoreBytes.size() - 3 - console.restoreLength) return;
    std::memcpy(console.restoreBytes.data() + console.restoreLength, bytes, length);
    console.restoreLength += length;
}

// Only async-signal-safe calls: write, tcsetattr, sigaction, sigprocmask,
// raise.  A crash in curses itself must still leave a usable terminal.
extern "C" void RestoreAndDie(int sig) {
    Console* console = signalConsole.load();
    if (console && console->cursesActive) {
        console->cursesActive = false;
        if (console->modesSaved) tcsetattr(console->ttyFd, TCSANOW, &console->savedModes);
        ssize_t written =
            write(console->ttyFd, console->restoreBytes.data(), console->restoreLength);
        (void)written; // nothing to be done about a terminal that will not take it
    }
    // Die of the same signal, so whoever started the game sees why it ended
    // and a core dump is made where one would be.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(sig, &fallback, nullptr);
    sigset_t pending;
    sigemptyset(&pending);
    sigaddset(&pending, sig);
    sigprocmask(SIG_UNBLOCK, &pending, nullptr);
    raise(sig);
    _exit(128 + sig);
}

} // namespace

Console::~Console() {
    Console* self = this;
    signalConsole.compare_exchange_strong(self, nullptr);
}

// What endwin sends, worked out now, for a handler that may not call curses.
void PrepareSignalRestore(Console& console) {
    console.restoreLength = 0;
    for (const char* capability : {"sgr0", "rmkx", "cnorm", "rmcup"})
        AppendCapability(console, capability);
    std::memcpy(console.restoreBytes.data() + console.restoreLength, "\033(B", 3);
    console.restoreLength += 3;
}

void InstallTerminalRestore(Console& console) {
    signalConsole.store(&console);
    struct sigaction action {};
    action.sa_handler = RestoreAndDie;
    sigemptyset(&action.sa_mask);
    // One restore at a time: the other signals wait while it runs.
    for (int sig : kRestoreSignals)
        sigaddset(&action.sa_mask, sig);
    for (int sig : kRestoreSignals) {
        struct sigaction previous {};
        sigaction(sig, nullptr, &previous);
        // A signal the game was started to ignore (nohup) stays ignored.
        if (previous.sa_handler == SIG_IGN) continue;
        sigaction(sig, &action, nullptr);
    }
}

void ExitProgram(Console& console, int code) {
    RestoreTerminal(console);
    std::fflush(stdout);
    std::exit(code);
}

void ExitWithError(Console& console, std::string_view message) {
    RestoreTerminal(console);
    std::fflush(stdout);
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
    std::exit(1);
}
