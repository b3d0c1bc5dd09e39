// Starting an outside program and waiting for it: the one platform service of the legacy upgrade.
// The command line is one text, as a Win32 program receives it: the quoted program path first,
// then the arguments, which the started program takes apart by the batch-mode rules.
#pragma once

#include <optional>
#include <string>

namespace quillon {

class ProcessRunner {
  public:
    virtual ~ProcessRunner() = default;

    // Starts programPath with commandLine and waits until it ends. The exit code, or nullopt when
    // the program could not be started or did not end by itself (killed by a signal); then
    // failureText() says which, with the system's reason.
    [[nodiscard]] virtual std::optional<int> run(const std::string& programPath,
                                                 const std::string& commandLine) = 0;

    const std::string& failureText() const { return failureText_; }

  protected:
    std::string failureText_;
};

}  // namespace quillon
