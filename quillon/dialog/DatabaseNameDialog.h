// The database-name request of the CSV-to-database conversion: "Name for the database in Tavlo:"
// over an edit box of at most 30 characters, with a default OK button and a Cancel button (also
// Escape and the close box). Title "Dialog".
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace quillon {

class DatabaseNameDialog : public QDialog {
  public:
    explicit DatabaseNameDialog(QWidget* parent = nullptr);

    // The edit box's text when closed with OK, otherwise empty.
    QString name() const { return result() == QDialog::Accepted ? edit_->text() : QString(); }
    QLineEdit* edit() const { return edit_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    QLineEdit* edit_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace quillon
