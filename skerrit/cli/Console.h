// Console services the command line needs beyond standard output: one character from standard
// input, the current directory, and the Escape key watched while a conversion runs. This header
// is the platform boundary; PosixConsole.cpp implements it for POSIX systems.
#pragma once

#include <cstddef>

namespace skerrit::console {

// One character from standard input (the user's answer or the Enter of the usage pause), or EOF.
int readCharacter();

// True when standard input and standard output are both the user's terminal (console): only then
// is someone there to read a prompt and answer it.
[[nodiscard]] bool talkingToTerminal();

// The process's current directory, without a trailing separator unless it is the root.
[[nodiscard]] bool currentDirectory(char* out, std::size_t capacity);

// Whether the system keeps a current directory per drive letter, so that "C:book.txt" means
// book.txt in drive C's current directory. Where it does not, such a name is an ordinary
// relative name.
[[nodiscard]] bool hasDriveDirectories();
[[nodiscard]] bool driveCurrentDirectory(char drive, char* out, std::size_t capacity);

// True when both names exist and denote one file (through a link, "./", or letter case on a
// system that ignores it).
[[nodiscard]] bool sameExistingFile(const char* first, const char* second);

// While it lives, a signal that ends the process (interrupt, termination, hang-up, quit, a broken
// pipe on standard output) first puts back what the conversion has left half done: the terminal's
// mode (see EscapeWatcher) and the destination still under its temporary name, which is removed
// (ConsoleCallbacks.h); then the process ends as the signal would have ended it. A file size limit
// makes the write that passes it fail, with a reason, instead of ending the process. On Windows
// the system removes that file itself however the process ends, so this does nothing there.
class InterruptCleanup {
  public:
    InterruptCleanup();
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;
};

// Watches the keyboard for Escape while it lives. When standard input is a terminal, the terminal
// is switched to reading without waiting for the duration and put back as it was on every way
// out, an interrupt or termination signal included. When standard input is not a terminal,
// nothing is changed and Escape is never seen.
class EscapeWatcher {
  public:
    EscapeWatcher();
    ~EscapeWatcher();
    EscapeWatcher(const EscapeWatcher&) = delete;
    EscapeWatcher& operator=(const EscapeWatcher&) = delete;

    // True when Escape was pressed since the last call. Never waits.
    [[nodiscard]] bool escapePressed();

  private:
    bool watching_ = false;
};

}  // namespace skerrit::console
