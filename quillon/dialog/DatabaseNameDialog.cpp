// Layout of the database-name template (186 x 76 dialog units).
#include "dialog/DatabaseNameDialog.h"

#include <QLabel>

#include "dialog/DialogUnits.h"
#include "dialog/DialogWindowFlags.h"

namespace quillon {

namespace {

constexpr int kMaxNameCharacters = 30;

}  // namespace

DatabaseNameDialog::DatabaseNameDialog(QWidget* parent)
    : QDialog(parent, kModalFrameDialogFlags),
      edit_(new QLineEdit(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    const DialogUnits units(font());
    setWindowTitle(QStringLiteral("Dialog"));
    setFixedSize(units.toPixels(186, 76));

    auto* label = new QLabel(QStringLiteral("Name for the database in Tavlo:"), this);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    label->setGeometry(units.toPixels(35, 18, 105, 8));
    widenToText(label, true);

    edit_->setObjectName(QStringLiteral("databaseName"));
    edit_->setMaxLength(kMaxNameCharacters);
    edit_->setGeometry(units.toPixels(28, 29, 123, 14));

    // OK and Cancel side by side, centred under the edit box as OK alone was.
    ok_->setDefault(true);
    ok_->setGeometry(units.toPixels(37, 55, 50, 14));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setGeometry(units.toPixels(99, 55, 50, 14));
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    edit_->setFocus();
}

}  // namespace quillon
