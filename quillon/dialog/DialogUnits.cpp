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

}  // namespace quillon
