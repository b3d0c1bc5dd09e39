// Quillon's main dialog, "Tavlo Pro Converter 1.0e": the two conversion buttons, the field
// delimiter choice, the information-file box, the legacy upgrade and Exit. It owns the one
// DatabaseJob of the run, so that values carry over from one action to the next; each button
// reads the controls, asks for a file and runs its conversion to completion on this thread.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>

#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"
#include "upgrade/LegacyUpgrade.h"
#include "upgrade/ProcessRunner.h"

namespace quillon {

class ConverterDialog : public QDialog {
  public:
    // ui answers the file choice, the messages and the name request; runner starts the upgrade's
    // companion programs. Both must outlive the dialog.
    ConverterDialog(UserInterface& ui, ProcessRunner& runner, QWidget* parent = nullptr);

    const DatabaseJob& job() const { return job_; }
    QAction* aboutAction() const { return about_; }

    // The button handlers, also reachable by clicking.
    void convertPdbToCsv();
    void convertCsvToPdb();
    void upgradeLegacyDatabase();
    void showAbout();

  private:
    void buildControls();
    void readControls();

    UserInterface& ui_;
    LegacyUpgrade upgrade_;
    DatabaseJob job_;
    QCheckBox* useInfoFile_ = nullptr;
    QRadioButton* comma_ = nullptr;
    QRadioButton* semicolon_ = nullptr;
    QAction* about_ = nullptr;
};

}  // namespace quillon
