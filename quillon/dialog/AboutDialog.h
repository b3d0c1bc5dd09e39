// The about box: "About Quillon", the program icon, "Tavlo Pro Converter Version 1.0e" and OK.
#pragma once

#include <QDialog>

namespace quillon {

class AboutDialog : public QDialog {
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace quillon
