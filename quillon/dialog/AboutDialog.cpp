// Layout of the about template (217 x 55 dialog units). The icon keeps the 32-pixel size of a
// standard icon at its template position.
#include "dialog/AboutDialog.h"

#include <QLabel>
#include <QPushButton>

#include "dialog/DialogUnits.h"
#include "dialog/DialogWindowFlags.h"
#include "dialog/ProgramIcon.h"

namespace quillon {

namespace {

constexpr int kIconSize = 32;

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent, kModalFrameDialogFlags) {
    const DialogUnits units(font());
    setWindowTitle(QStringLiteral("About Quillon"));
    setFixedSize(units.toPixels(217, 55));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(drawProgramIcon(kIconSize));
    icon->setGeometry(units.toPixelsX(11), units.toPixelsY(17), kIconSize, kIconSize);

    auto* version = new QLabel(QStringLiteral("Tavlo Pro Converter Version 1.0e"), this);
    version->setGeometry(units.toPixels(40, 10, 119, 8));
    widenToText(version);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(units.toPixels(178, 7, 32, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace quillon
