// The icon is drawn on a 32 x 32 grid and scaled, so every size shows the same picture.
#include "dialog/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace quillon {

namespace {

constexpr double kGrid = 32.0;

void drawHandheld(QPainter& painter) {
    painter.setPen(QPen(QColor(40, 44, 52), 1.0));
    painter.setBrush(QColor(88, 96, 112));
    painter.drawRoundedRect(QRectF(5.5, 1.5, 21, 29), 3.5, 3.5);
    // The screen, in the green-grey of an early handheld display.
    painter.setPen(QPen(QColor(40, 44, 52), 0.8));
    painter.setBrush(QColor(188, 204, 164));
    painter.drawRect(QRectF(8.5, 4.5, 15, 15));
    // Buttons below the screen.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 206, 216));
    for (const double x : {9.0, 14.5, 20.0}) {
        painter.drawEllipse(QRectF(x, 23.5, 3, 3));
    }
}

void drawTable(QPainter& painter) {
    // A header row and three record rows with a column line: a database.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(36, 84, 156));
    painter.drawRect(QRectF(9.5, 5.5, 13, 3));
    painter.setPen(QPen(QColor(60, 72, 60), 0.7));
    for (const double y : {11.0, 14.0, 17.0}) {
        painter.drawLine(QPointF(10, y), QPointF(22, y));
    }
    painter.drawLine(QPointF(14.5, 9), QPointF(14.5, 18.5));
}

void drawArrows(QPainter& painter) {
    // A two-way arrow over the lower right corner: CSV and back.
    painter.setPen(QPen(QColor(255, 255, 255), 3.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(18, 27), QPointF(27, 27));
    painter.setPen(QPen(QColor(214, 92, 30), 1.8, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(18, 27), QPointF(27, 27));
    QPainterPath heads;
    heads.moveTo(15, 27);
    heads.lineTo(18.5, 24.3);
    heads.lineTo(18.5, 29.7);
    heads.closeSubpath();
    heads.moveTo(30.5, 27);
    heads.lineTo(27, 24.3);
    heads.lineTo(27, 29.7);
    heads.closeSubpath();
    painter.setPen(QPen(QColor(255, 255, 255), 0.8));
    painter.setBrush(QColor(214, 92, 30));
    painter.drawPath(heads);
}

}  // namespace

QPixmap drawProgramIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    drawHandheld(painter);
    drawTable(painter);
    drawArrows(painter);
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        icon.addPixmap(drawProgramIcon(size));
    }
    return icon;
}

}  // namespace quillon
