// The user interface of the Windows build: message boxes, the database-name dialog from the
// resources and the system's file-open dialog, all owned by the main dialog when there is one.
#pragma once

#include <windows.h>

#include "ui/UserInterface.h"

namespace quillon {

class Win32UserInterface : public UserInterface {
  public:
    void setOwner(HWND owner) { owner_ = owner; }

    void showMessage(std::string_view text) override;
    // Cancel, Escape and the close box give nullopt.
    std::optional<std::string> askDatabaseName() override;
    std::optional<std::string> chooseFileToOpen(std::string_view filter) override;
    // Yes and No, with No as the default button.
    bool confirm(std::string_view question) override;

  private:
    HWND owner_ = nullptr;
};

// The program's file name without folder and extension: the title of its message boxes.
std::string programTitle();

// "PDB Files (*.pdb)|*.pdb||" as the file-open dialog takes it: each '|' becomes a NUL.
std::string openFileFilter(std::string_view filter);

}  // namespace quillon
