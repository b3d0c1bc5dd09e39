// Start-up from a command line: batch mode 1 (CSV to database) and 2 (database to CSV). The
// arguments are taken from one command-line text by the program's own rules: only the space
// separates, a double quote groups up to the next one, and "" is an empty argument.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"

namespace quillon {

enum class StartMode { Interactive, Batch };

// What a batch run did, and the exit code that tells a caller: Quillon's batch mode and both
// companion programs end with it.
enum class BatchResult {
    Converted,      // exit code 0
    Failed,         // exit code 1: the reason is in gostwick.err and on standard error
    NotUnderstood,  // exit code 2: nothing was run or written; the reason is on standard error
};
int BatchExitCode(BatchResult result);

// Takes one argument from commandLine at position and moves position past it.
std::string TakeArgument(std::string_view commandLine, size_t& position);

// Runs what the command line asks for. An empty (or all-space) line asks for the dialog, which
// the caller shows; anything else is batch mode. A batch command line is understood when its
// first argument is exactly 1 or 2 and it names the two files of that mode (mode 1 may leave the
// database name and the information file empty, mode 2 the information file) and nothing more.
StartMode RunCommandLine(std::string_view commandLine, DatabaseJob& job, UserInterface& ui,
                         BatchResult* result = nullptr);

// Where the system hands the program an argument vector (POSIX), the command-line text is
// rebuilt from it so that TakeArgument gives back the same arguments: an empty argument or one
// holding a space is enclosed in double quotes. An argument that itself holds a double quote
// cannot be passed under these rules: nullopt.
std::optional<std::string> RebuildCommandLine(std::span<const std::string> arguments);

// main()'s work on POSIX: rebuild the line from the arguments after the program name and run it.
// An argument with a double quote makes the command line not understood.
StartMode RunArguments(std::span<const std::string> arguments, UserInterface& ui,
                       BatchResult* result = nullptr);

}  // namespace quillon
