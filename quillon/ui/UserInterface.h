// Everything the conversions and batch mode ask of a user interface. Conversions never touch a
// toolkit: the terminal build implements this with standard error and standard input, the dialog
// build with its widgets, and the tests with a scripted double.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // A message box with an OK button only, titled with the program's name.
    virtual void showMessage(std::string_view text) = 0;

    // The database-name request ("Name for the database in Tavlo:", at most 30 characters).
    // An empty string means the request was closed without a name; nullopt means no answer can
    // ever come (for example, standard input is closed), so the caller must stop asking.
    virtual std::optional<std::string> askDatabaseName() = 0;

    // The file-open choice with a filter such as "PDB Files (*.pdb)|*.pdb||"; nullopt when the
    // user cancels.
    virtual std::optional<std::string> chooseFileToOpen(std::string_view filter) = 0;
};

}  // namespace quillon
