// SPDX-FileCopyrightText: 2026 The Nova Wing authors
// SPDX-License-Identifier: GPL-2.0-or-later

// The process's way out: the signals that end the game put the console's
// terminal back before the process dies of them, and so do the program's two
// exits.
#include "support/process.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define NOVAWING_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NOVAWING_SANITIZED 1
#endif
#endif
#if NOVAWING_SANITIZED
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

// The console whose terminal the signal handler puts back.  It is the one
// piece of process-wide state here, and it has to be: a signal handler gets
// no arguments, and a process has only the one terminal to restore.
std::atomic<Console*> signalConsole{nullptr};

// The signals after which the terminal is put back before the process ends.
constexpr int kRestoreSignals[] = {SIGINT,  SIGTERM, SIGHUP, SIGQUIT, SIGABRT,
                                   SIGSEGV, SIGBUS,  SIGFPE, SIGILL};

// Appends the terminal's own string for `capability`, if it has one, to a
// byte list, leaving room for the three bytes of a character-set escape.
void AppendCapability(std::array<char, 128>& list, std::size_t& used, const char* capability) {
    const TerminalBytes bytes = TerminalSequence(capability);
    if (bytes.length == 0 || bytes.length > list.size() - 3 - used) return;
    std::memcpy(list.data() + used, bytes.bytes.data(), bytes.length);
    used += bytes.length;
}

void WriteSaved(int fd, const char* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t written = write(fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return; // nothing to be done about a terminal that will not take it
        bytes += written;
        length -= static_cast<std::size_t>(written);
    }
}

void WriteSaved(int fd, const std::array<char, 128>& bytes, std::size_t length) {
    WriteSaved(fd, bytes.data(), length);
}

// Standard error back on the terminal, with what was held written out to
// it, and the held file emptied.  Only async-signal-safe calls.
void ShowHeldErrors(Console& console) {
    if (console.heldErrors < 0) return;
    dup2(console.standardError, STDERR_FILENO);
    char chunk[1024];
    for (off_t at = 0;;) {
        const ssize_t got = pread(console.heldErrors, chunk, sizeof chunk, at);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        WriteSaved(STDERR_FILENO, chunk, static_cast<std::size_t>(got));
        at += got;
    }
    if (ftruncate(console.heldErrors, 0) == 0) lseek(console.heldErrors, 0, SEEK_SET);
}

// Puts the terminal back as the shell had it, with the saved modes and
// bytes, and shows what standard error was given meanwhile.  Only
// async-signal-safe calls.
void RestoreFromHandler(Console* console) {
    if (!console) return;
    if (console->cursesActive) {
        console->cursesActive = false;
        if (console->modesSaved) tcsetattr(console->ttyFd, TCSANOW, &console->savedModes);
        WriteSaved(console->ttyFd, console->restoreBytes, console->restoreLength);
    }
    StopHoldingErrors(*console);
}

// The process ends without RestoreTerminal: exit() from elsewhere (Xlib's
// handlers for a lost X server or a refused request call it), or a
// sanitizer's report.
extern "C" void RestoreAtExit() {
    RestoreFromHandler(signalConsole.load());
}

void SetSuspendHandler(void (*handler)(int), struct sigaction* previous) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // the game's writes and sleeps go on after fg
    sigaction(SIGTSTP, &action, previous);
}

// Takes the signal's default action now, from inside its handler: the
// action put back, the signal let through, and raised again.
void RaiseWithDefaultAction(int sig) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(sig, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(sig);
}

// Only async-signal-safe calls: tcgetattr, tcsetattr, write, dup2, pread,
// ftruncate, lseek, sigaction, sigprocmask, raise.
extern "C" void SuspendAndResume(int sig) {
    const int savedErrno = errno;
    Console* console = signalConsole.load();
    const bool up = console && console->cursesActive && console->ttyFd >= 0;
    termios program{};
    const bool haveProgram = up && tcgetattr(console->ttyFd, &program) == 0;
    if (up) {
        if (console->modesSaved) tcsetattr(console->ttyFd, TCSADRAIN, &console->savedModes);
        WriteSaved(console->ttyFd, console->restoreBytes, console->restoreLength);
        ShowHeldErrors(*console);
    }
    // Stop as the signal's default action does.
    RaiseWithDefaultAction(sig);
    // Continued (fg): the terminal's modes now are the shell's, kept for the
    // end of the game; the program's come back, and its screen.
    SetSuspendHandler(SuspendAndResume, nullptr);
    if (up && console->cursesActive) {
        termios shell{};
        if (console->modesSaved && tcgetattr(console->ttyFd, &shell) == 0)
            console->savedModes = shell;
        if (haveProgram) tcsetattr(console->ttyFd, TCSADRAIN, &program);
        if (console->heldErrors >= 0) dup2(console->heldErrors, STDERR_FILENO);
        WriteSaved(console->ttyFd, console->resumeBytes, console->resumeLength);
        console->repaintPending = 1;
    }
    errno = savedErrno;
}

// Only async-signal-safe calls.  A crash in curses itself must still leave
// a usable terminal.
extern "C" void RestoreAndDie(int sig) {
    RestoreFromHandler(signalConsole.load());
    // Die of the same signal, so whoever started the game sees why it ended
    // and a core dump is made where one would be.
    RaiseWithDefaultAction(sig);
    _exit(128 + sig);
}

} // namespace

Console::~Console() {
    Console* self = this;
    signalConsole.compare_exchange_strong(self, nullptr);
    StopHoldingErrors(*this);
}

void HoldErrors(Console& console) {
    struct stat errors {};
    struct stat terminal {};
    if (console.heldErrors >= 0 || fstat(STDERR_FILENO, &errors) != 0 ||
        fstat(console.ttyFd, &terminal) != 0 || !S_ISCHR(errors.st_mode) ||
        errors.st_rdev != terminal.st_rdev)
        return;
    const int held = memfd_create("novawing-stderr", MFD_CLOEXEC);
    const int kept = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    std::fflush(stderr);
    if (held < 0 || kept < 0 || dup2(held, STDERR_FILENO) < 0) {
        if (held >= 0) close(held);
        if (kept >= 0) close(kept);
        return;
    }
    console.heldErrors = held;
    console.standardError = kept;
}

void StopHoldingErrors(Console& console) {
    if (console.heldErrors < 0) return;
    ShowHeldErrors(console);
    const int held = console.heldErrors;
    const int kept = console.standardError;
    console.heldErrors = -1;
    console.standardError = -1;
    close(held);
    close(kept);
}

// What endwin sends, worked out now, for a handler that may not call curses;
// and what brings the program's screen back after a stop.
void PrepareSignalRestore(Console& console) {
    console.restoreLength = 0;
    for (const char* capability : {"sgr0", "rmkx", "cnorm", "rmcup"})
        AppendCapability(console.restoreBytes, console.restoreLength, capability);
    std::memcpy(console.restoreBytes.data() + console.restoreLength, "\033(B", 3);
    console.restoreLength += 3;
    console.resumeLength = 0;
    for (const char* capability : {"smcup", "smkx", "civis"})
        AppendCapability(console.resumeBytes, console.resumeLength, capability);
    std::memcpy(console.resumeBytes.data() + console.resumeLength, "\033(U", 3);
    console.resumeLength += 3;
}

void CatchSuspend(Console& console) {
    struct sigaction previous {};
    if (sigaction(SIGTSTP, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) return;
    signalConsole.store(&console);
    SetSuspendHandler(SuspendAndResume, &console.previousSuspend);
    console.suspendCaught = true;
}

void ReleaseSuspend(Console& console) {
    if (!console.suspendCaught) return;
    sigaction(SIGTSTP, &console.previousSuspend, nullptr);
    console.suspendCaught = false;
}

void InstallTerminalRestore(Console& console) {
    signalConsole.store(&console);
    // Once for the process: the handler finds whichever console is current.
    static const bool atExit = std::atexit(RestoreAtExit) == 0;
    (void)atExit;
#if NOVAWING_SANITIZED
    __sanitizer_set_death_callback(RestoreAtExit);
#endif
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
