// Quillon's program icon, drawn here rather than loaded, so that its source is this code: a
// handheld whose screen shows a small table, with a two-way arrow for the conversions.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace quillon {

// The icon drawn at size x size pixels.
QPixmap drawProgramIcon(int size);
// The icon at the usual sizes (16, 32, 48, 64, 128).
QIcon programIcon();

}  // namespace quillon
