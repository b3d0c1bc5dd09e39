// ProcessRunner on POSIX: posix_spawn and waitpid. The command line is cut into the argument
// vector by the batch-mode rules (TakeArgument), so the started program rebuilds the same line.
#pragma once

#include <string>
#include <vector>

#include "upgrade/ProcessRunner.h"

namespace quillon {

class PosixProcessRunner : public ProcessRunner {
  public:
    [[nodiscard]] std::optional<int> run(const std::string& programPath,
                                         const std::string& commandLine) override;
};

// The argument vector of a command line, program name first.
std::vector<std::string> splitCommandLine(const std::string& commandLine);

}  // namespace quillon
