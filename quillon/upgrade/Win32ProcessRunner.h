// ProcessRunner on Windows: CreateProcess with the command line as one text, which the started
// program takes apart itself, and a wait for its exit code.
#pragma once

#include "upgrade/ProcessRunner.h"

namespace quillon {

class Win32ProcessRunner : public ProcessRunner {
  public:
    [[nodiscard]] std::optional<int> run(const std::string& programPath,
                                         const std::string& commandLine) override;
};

}  // namespace quillon
