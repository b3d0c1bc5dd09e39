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
    // An empty string means OK was pressed without a name; nullopt means the request was
    // cancelled, or no answer can ever come (for example, standard input is closed).
    virtual std::optional<std::string> askDatabaseName() = 0;

    // The file-open choice with a filter such as "PDB Files (*.pdb)|*.pdb||"; nullopt when the
    // user cancels.
    virtual std::optional<std::string> chooseFileToOpen(std::string_view filter) = 0;

    // A question with Yes and No buttons; true for Yes. Where nobody can answer (batch use) the
    // answer is No.
    virtual bool confirm(std::string_view question) = 0;

    // A batch run's report as it also appears on standard error, "Quillon: " before it.
    virtual void showOnConsole(std::string_view text);
};

}  // namespace quillon
