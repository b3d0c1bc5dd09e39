// Base units from the font's metrics.
#include "dialog/DialogUnits.h"

#include <QFontMetrics>

namespace quillon {

namespace {

constexpr int kLetterCount = 52;

int averageLetterWidth(const QFontMetrics& metrics) {
    const int total = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (2 * total + kLetterCount) / (2 * kLetterCount);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font)
    : DialogUnits(averageLetterWidth(QFontMetrics(font)), QFontMetrics(font).height()) {}

void widenToText(QWidget* control, bool keepCentred) {
    const int needed = control->sizeHint().width();
    if (control->width() >= needed) {
        return;
    }
    const int growth = needed - control->width();
    control->setGeometry(control->x() - (keepCentred ? growth / 2 : 0), control->y(), needed,
                         control->height());
}

}  // namespace quillon
