// The three dialogs are modal-frame dialogs with a caption and a close box (the system menu's
// part that Linux window managers show), without minimize or maximize boxes.
#pragma once

#include <Qt>

namespace quillon {

inline constexpr Qt::WindowFlags kModalFrameDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint;

}  // namespace quillon
