// The user interface of the console companions: message boxes go to standard error and the
// database name is asked on the terminal.
#pragma once

#include <cstdio>

#include "ui/UserInterface.h"

namespace quillon {

class TerminalUserInterface : public UserInterface {
  public:
    // programName prefixes every message ("Quillon: ...", "gostwick: ...").
    TerminalUserInterface(std::FILE* input, std::FILE* output, const char* programName = "Quillon")
        : input_(input), output_(output), programName_(programName) {}

    void showMessage(std::string_view text) override;
    std::optional<std::string> askDatabaseName() override;
    std::optional<std::string> chooseFileToOpen(std::string_view filter) override;
    // The companions run unattended: they never replace a file on a question's answer.
    bool confirm(std::string_view) override { return false; }
    void showOnConsole(std::string_view text) override { showMessage(text); }

  private:
    std::FILE* input_;
    std::FILE* output_;
    const char* programName_;
};

}  // namespace quillon
