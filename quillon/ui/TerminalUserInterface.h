// The user interface of the build without the dialog: message boxes go to standard error and the
// database name is asked on the terminal.
#pragma once

#include <cstdio>

#include "ui/UserInterface.h"

namespace quillon {

class TerminalUserInterface : public UserInterface {
  public:
    TerminalUserInterface(std::FILE* input, std::FILE* output) : input_(input), output_(output) {}

    void showMessage(std::string_view text) override;
    std::optional<std::string> askDatabaseName() override;
    std::optional<std::string> chooseFileToOpen(std::string_view filter) override;

  private:
    std::FILE* input_;
    std::FILE* output_;
};

}  // namespace quillon
