// POSIX console services. While a conversion runs, a terminal on standard input is put into
// non-canonical mode with VMIN = VTIME = 0, so a read returns at once with whatever was typed.
// O_NONBLOCK is deliberately not used: the terminal's open file is usually shared with standard
// output, which would then fail its writes with EAGAIN. The saved settings are put back by the
// destructor and by the handlers of the signals that end or stop the process. The same handler
// serves InterruptCleanup, which also removes the unfinished destination, terminal or not.
#if !defined(_WIN32)
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/Console.h"
#include "cli/ConsoleCallbacks.h"

namespace skerrit::console {

namespace {

constexpr unsigned char kEscape = 27;

// Shared with the signal handlers, hence plain globals set before any handler is installed.
struct termios savedTerminal;
volatile sig_atomic_t terminalChanged = 0;

constexpr int kRestoringSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT};
constexpr std::size_t kRestoringSignalCount =
    sizeof kRestoringSignals / sizeof kRestoringSignals[0];
struct sigaction previousActions[kRestoringSignalCount];

// The signals after which InterruptCleanup removes the destination: those that end the process.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
constexpr std::size_t kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];
struct sigaction previousEndingActions[kEndingSignalCount];
struct sigaction previousFileSizeAction;

// Only the foreground job may change or read the terminal; a background one would be stopped
// by SIGTTOU or SIGTTIN for trying.
bool inForeground() {
    return tcgetpgrp(STDIN_FILENO) == getpgrp();
}

void applyWatchingMode() {
    struct termios watching = savedTerminal;
    watching.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    watching.c_cc[VMIN] = 0;
    watching.c_cc[VTIME] = 0;
    if (inForeground())
        tcsetattr(STDIN_FILENO, TCSANOW, &watching);
}

void restoreTerminal() {
    if (inForeground())
        tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
}

void installHandler(int signalNumber, struct sigaction* previous);

// Everything called here is async-signal-safe (tcgetpgrp, getpgrp, tcsetattr, signal,
// sigprocmask, raise, sigaction, and unlink in discardOutputFromSignalHandler).
extern "C" void onTerminalSignal(int signalNumber) {
    const int savedErrno = errno;
    if (signalNumber == SIGCONT) {
        // Back in the foreground after a stop: watch the keyboard again.
        if (terminalChanged != 0)
            applyWatchingMode();
    } else if (signalNumber == SIGTSTP) {
        // Ctrl-Z: give the shell its terminal back, stop as the default action would, and carry
        // on from here once continued. The signal is unblocked first so that it stops the process
        // now rather than coming back to this handler when it returns.
        if (terminalChanged != 0)
            restoreTerminal();
        signal(SIGTSTP, SIG_DFL);
        sigset_t stopSignal;
        sigemptyset(&stopSignal);
        sigaddset(&stopSignal, SIGTSTP);
        sigprocmask(SIG_UNBLOCK, &stopSignal, nullptr);
        raise(SIGTSTP);
        installHandler(SIGTSTP, nullptr);
        if (terminalChanged != 0)
            applyWatchingMode();
    } else {
        // End the process the way the signal would have without us, once this handler returns.
        if (terminalChanged != 0)
            restoreTerminal();
        discardOutputFromSignalHandler();
        signal(signalNumber, SIG_DFL);
        raise(signalNumber);
    }
    errno = savedErrno;
}

void installHandler(int signalNumber, struct sigaction* previous) {
    struct sigaction action {};
    action.sa_handler = &onTerminalSignal;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, previous);
}

void installHandlers() {
    for (std::size_t i = 0; i < kRestoringSignalCount; ++i) {
        installHandler(kRestoringSignals[i], &previousActions[i]);
    }
}

void removeHandlers() {
    for (std::size_t i = 0; i < kRestoringSignalCount; ++i) {
        sigaction(kRestoringSignals[i], &previousActions[i], nullptr);
    }
}

}  // namespace

int readCharacter() {
    std::fflush(stdout);
    return std::getchar();
}

bool talkingToTerminal() {
    return isatty(STDIN_FILENO) != 0 && isatty(STDOUT_FILENO) != 0;
}

bool currentDirectory(char* out, std::size_t capacity) {
    return getcwd(out, capacity) != nullptr;
}

bool hasDriveDirectories() {
    return false;
}

bool driveCurrentDirectory(char /*drive*/, char* /*out*/, std::size_t /*capacity*/) {
    return false;
}

bool sameExistingFile(const char* first, const char* second) {
    struct stat firstStatus {};
    struct stat secondStatus {};
    return stat(first, &firstStatus) == 0 && stat(second, &secondStatus) == 0 &&
           firstStatus.st_dev == secondStatus.st_dev && firstStatus.st_ino == secondStatus.st_ino;
}

InterruptCleanup::InterruptCleanup() {
    // A signal the program was started to ignore (nohup, a background job of a script) stays
    // ignored: it would not have ended the conversion.
    for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
        sigaction(kEndingSignals[i], nullptr, &previousEndingActions[i]);
        if (previousEndingActions[i].sa_handler != SIG_IGN)
            installHandler(kEndingSignals[i], nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &previousFileSizeAction);
}

InterruptCleanup::~InterruptCleanup() {
    sigaction(SIGXFSZ, &previousFileSizeAction, nullptr);
    for (std::size_t i = 0; i < kEndingSignalCount; ++i)
        sigaction(kEndingSignals[i], &previousEndingActions[i], nullptr);
}

EscapeWatcher::EscapeWatcher() {
    // A job started in the background leaves the terminal alone and is never canceled by it.
    if (isatty(STDIN_FILENO) == 0 || !inForeground() ||
        tcgetattr(STDIN_FILENO, &savedTerminal) != 0) {
        return;
    }
    terminalChanged = 1;
    installHandlers();
    applyWatchingMode();
    watching_ = true;
}

EscapeWatcher::~EscapeWatcher() {
    if (!watching_)
        return;
    restoreTerminal();
    terminalChanged = 0;
    removeHandlers();
}

bool EscapeWatcher::escapePressed() {
    if (!watching_ || !inForeground())
        return false;
    bool pressed = false;
    unsigned char typed[64];
    for (;;) {
        const ssize_t count = read(STDIN_FILENO, typed, sizeof typed);
        if (count <= 0)
            break;
        const auto length = static_cast<std::size_t>(count);
        for (std::size_t i = 0; i < length; ++i) {
            if (typed[i] != kEscape)
                continue;
            // Cursor and function keys arrive as Escape followed by "[" or "O" in one read;
            // only a lone Escape is the key itself.
            const bool keySequence = i + 1 < length && (typed[i + 1] == '[' || typed[i + 1] == 'O');
            if (!keySequence)
                pressed = true;
        }
    }
    return pressed;
}

}  // namespace skerrit::console

#endif  // !defined(_WIN32)
