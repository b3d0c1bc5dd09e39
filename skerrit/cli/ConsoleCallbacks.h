// The console program's ConverterCallbacks: real files, temporary files that vanish when closed,
// the heap, and a silent progress slot that the command line replaces before converting.
//
// A file opened with kOpenCreate (the engine's destination) is made under a temporary name in the
// folder of the file it names, and closing it does not put it in place: the outcome of the
// conversion decides, through publishOutput (moved over the named file in one step) or
// discardOutput (removed). Until then a file of that name stays as it was, and two programs
// writing one destination at once each write a file of their own; the last to finish wins.
// An existing destination the user may not write, or a folder in which no file can be made,
// fails the open: such a destination could not have been created over the old file either.
#pragma once

#include <string>

#include "engine/ConverterCallbacks.h"

namespace skerrit {

// A copy of the constant template; its context is null.
ConverterCallbacks consoleCallbacksTemplate();

// The last system call that failed through the callbacks, for the line that tells why a
// conversion failed.
struct SystemFailure {
    bool happened = false;
    std::string file;    // the file as the engine named it, or the temporary folder; may be empty
    std::string reason;  // the system's own text
};

[[nodiscard]] SystemFailure lastSystemFailure();
void forgetSystemFailure();

// Puts the output in place of the file it names. True when that worked or nothing was pending;
// false (the output removed, the failure recorded) when it could not be moved.
[[nodiscard]] bool publishOutput();

// Removes the output; the file it names is left as it was.
void discardOutput();

// discardOutput for a signal handler: async-signal-safe, it only removes the file by the name
// stored when it was made. The process must end afterwards.
void discardOutputFromSignalHandler();

}  // namespace skerrit
