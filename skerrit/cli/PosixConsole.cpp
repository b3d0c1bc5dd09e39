// POSIX console services. While a conversion runs, a terminal on standard input is put into
// non-canonical mode with VMIN = VTIME = 0, so a read returns at once with whatever was typed.
// O_NONBLOCK is deliberately not used: the terminal's open file is usually shared with standard
// output, which would then fail its writes with EAGAIN. The saved settings are put back by the
// destructor and by the handlers of the signals that end or stop the process.
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/Console.h"

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

void applyWatchingMode() {
    struct termios watching = savedTerminal;
    watching.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    watching.c_cc[VMIN] = 0;
    watching.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &watching);
}

void restoreTerminal() {
    tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
}

// tcsetattr, signal, raise and sigaction are async-signal-safe.
extern "C" void onTerminalSignal(int signalNumber) {
    const int savedErrno = errno;
    if (signalNumber == SIGCONT) {
        if (terminalChanged != 0)
            applyWatchingMode();
        errno = savedErrno;
        return;
    }
    if (terminalChanged != 0)
        restoreTerminal();
    if (signalNumber == SIGTSTP) {
        // Stop as the default action would; the handler stays for the SIGCONT that follows.
        signal(SIGTSTP, SIG_DFL);
        raise(SIGTSTP);
        struct sigaction again {};
        again.sa_handler = &onTerminalSignal;
        sigemptyset(&again.sa_mask);
        sigaction(SIGTSTP, &again, nullptr);
        errno = savedErrno;
        return;
    }
    // End the process the way the signal would have without us.
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
    errno = savedErrno;
}

void installHandlers() {
    for (std::size_t i = 0; i < kRestoringSignalCount; ++i) {
        struct sigaction action {};
        action.sa_handler = &onTerminalSignal;
        sigemptyset(&action.sa_mask);
        sigaction(kRestoringSignals[i], &action, &previousActions[i]);
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

EscapeWatcher::EscapeWatcher() {
    if (isatty(STDIN_FILENO) == 0 || tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
        return;
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
    if (!watching_)
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
