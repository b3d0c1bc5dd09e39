// Controls at the positions of the main template (229 x 137 dialog units), and the handlers.
#include "dialog/ConverterDialog.h"

#include <QGroupBox>
#include <QKeySequence>

#include "convert/CsvToPdb.h"
#include "convert/PdbToCsv.h"
#include "dialog/AboutDialog.h"
#include "dialog/BusyCursor.h"
#include "dialog/DialogUnits.h"
#include "dialog/DialogWindowFlags.h"
#include "dialog/ProgramIcon.h"
#include "ui/DialogActions.h"

namespace quillon {

namespace {

QPushButton* addButton(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

}  // namespace

ConverterDialog::ConverterDialog(UserInterface& ui, ProcessRunner& runner, QWidget* parent)
    : QDialog(parent, kModalFrameDialogFlags), ui_(ui), upgrade_(runner) {
    setWindowTitle(QStringLiteral("Tavlo Pro Converter 1.0e"));
    setWindowIcon(programIcon());
    buildControls();

    // Linux has no system menu for a program to extend: the about box is offered in the window's
    // context menu and on F1.
    about_ = new QAction(QStringLiteral("&About Quillon..."), this);
    about_->setShortcut(QKeySequence(Qt::Key_F1));
    connect(about_, &QAction::triggered, this, &ConverterDialog::showAbout);
    addAction(about_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ConverterDialog::buildControls() {
    const DialogUnits units(font());
    setFixedSize(units.toPixels(229, 137));

    auto* toCsv = addButton(this, "convertPdbToCsv", "Convert Tavlo Pro .PDB to .CSV",
                            units.toPixels(7, 7, 215, 14));
    auto* toPdb = addButton(this, "convertCsvToPdb", "Convert Tavlo Pro .CSV to .PDB",
                            units.toPixels(7, 26, 215, 14));

    // The radio buttons sit inside the group box, at their template positions less the box's.
    const QRect groupRect = units.toPixels(22, 47, 67, 39);
    auto* group = new QGroupBox(QStringLiteral("Field Delimiter"), this);
    group->setObjectName(QStringLiteral("fieldDelimiter"));
    group->setGeometry(groupRect);
    comma_ = new QRadioButton(QStringLiteral("Comma"), group);
    comma_->setObjectName(QStringLiteral("comma"));
    comma_->setGeometry(units.toPixels(30, 58, 39, 10).translated(-groupRect.topLeft()));
    comma_->setChecked(true);
    semicolon_ = new QRadioButton(QStringLiteral("Semicolon"), group);
    semicolon_->setObjectName(QStringLiteral("semicolon"));
    semicolon_->setGeometry(units.toPixels(30, 71, 49, 10).translated(-groupRect.topLeft()));
    widenToText(comma_);
    widenToText(semicolon_);

    useInfoFile_ = new QCheckBox(QStringLiteral("Use/Create Info file"), this);
    useInfoFile_->setObjectName(QStringLiteral("useInfoFile"));
    useInfoFile_->setGeometry(units.toPixels(133, 50, 75, 8));
    useInfoFile_->setChecked(job_.useInfoFile);
    widenToText(useInfoFile_);

    auto* upgrade = addButton(this, "upgrade", "Convert Tavlo .pdb file to Tavlo Pro .pdb file",
                              units.toPixels(7, 95, 215, 14));
    auto* exit = addButton(this, "exit", "Exit", units.toPixels(89, 116, 50, 14));
    exit->setDefault(true);

    connect(toCsv, &QPushButton::clicked, this, &ConverterDialog::convertPdbToCsv);
    connect(toPdb, &QPushButton::clicked, this, &ConverterDialog::convertCsvToPdb);
    connect(upgrade, &QPushButton::clicked, this, &ConverterDialog::upgradeLegacyDatabase);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
}

void ConverterDialog::readControls() {
    job_.useInfoFile = useInfoFile_->isChecked();
    job_.delimiter = comma_->isChecked() ? ',' : ';';
}

void ConverterDialog::convertPdbToCsv() {
    readControls();
    if (!PrepareDatabaseToCsv(job_, ui_)) {
        return;
    }
    const BusyCursor busy;
    static_cast<void>(ConvertPdbToCsv(job_, ui_));
}

void ConverterDialog::convertCsvToPdb() {
    readControls();
    if (!PrepareCsvToDatabase(job_, ui_)) {
        return;
    }
    const BusyCursor busy;
    static_cast<void>(ConvertCsvToPdb(job_, ui_));
}

void ConverterDialog::upgradeLegacyDatabase() {
    const BusyCursor busy;
    upgrade_.run(job_, ui_);
}

void ConverterDialog::showAbout() {
    AboutDialog about(this);
    about.exec();
}

}  // namespace quillon
