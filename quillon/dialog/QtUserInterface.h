// The user interface of the dialog build: message boxes, the database-name dialog and the
// file-open dialog, all modal and owned by the main dialog when there is one.
#pragma once

#include <QString>
#include <QWidget>

#include "ui/UserInterface.h"

namespace quillon {

class QtUserInterface : public UserInterface {
  public:
    explicit QtUserInterface(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    void showMessage(std::string_view text) override;
    // Cancel, Escape and the close box give nullopt.
    std::optional<std::string> askDatabaseName() override;
    std::optional<std::string> chooseFileToOpen(std::string_view filter) override;
    // Yes and No, with No as the default button and on Escape.
    bool confirm(std::string_view question) override;

  private:
    QWidget* owner_;
};

// The title of the message boxes: the program's file name without its extension.
QString messageBoxTitle();

// A filter in the "Description|patterns|...||" form as Qt's file dialog takes it, one
// "Description (patterns)" per line: "PDB Files (*.pdb)|*.pdb||" gives "PDB Files (*.pdb)".
QString qtFileFilter(std::string_view filter);

// Text of the conversions is 8-bit (the handheld's character set); paths use the local encoding.
QString textFromBytes(std::string_view text);
std::string nameToBytes(const QString& name);

}  // namespace quillon
