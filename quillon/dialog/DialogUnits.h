// Dialog templates give positions and sizes in dialog units: a quarter of the font's average
// character width across, an eighth of its height down. Laying the controls out in those units,
// scaled to the font in use, keeps the arrangement of the templates whatever the font.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace quillon {

class DialogUnits {
  public:
    // Base units of a font: the average width of the 52 Latin letters (rounded) and the height.
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseWidth, int baseHeight) : baseWidth_(baseWidth), baseHeight_(baseHeight) {}

    int toPixelsX(int units) const { return scaled(units, baseWidth_, 4); }
    int toPixelsY(int units) const { return scaled(units, baseHeight_, 8); }
    QRect toPixels(int x, int y, int width, int height) const {
        return {toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height)};
    }
    QSize toPixels(int width, int height) const { return {toPixelsX(width), toPixelsY(height)}; }

  private:
    // units * base / divisor, rounded to the nearest pixel.
    static int scaled(int units, int base, int divisor) {
        return (2 * units * base + divisor) / (2 * divisor);
    }

    int baseWidth_;
    int baseHeight_;
};

// A control keeps its template place but grows to show its whole text when the font in use is
// wider for its size than the one the templates were drawn for; a centred one grows both ways.
void widenToText(QWidget* control, bool keepCentred = false);

}  // namespace quillon
