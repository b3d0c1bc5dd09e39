// The conversions run on the dialog's thread, so the dialog cannot answer meanwhile: a busy
// cursor says so. A modal box shown in the middle (a report, the name request) pauses it, so that
// the user is not shown a busy cursor over a box waiting for an answer.
#pragma once

#include <QGuiApplication>

namespace quillon {

class BusyCursor {
  public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

class BusyCursorPause {
  public:
    BusyCursorPause() : paused_(QGuiApplication::overrideCursor() != nullptr) {
        if (paused_) {
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~BusyCursorPause() {
        if (paused_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    BusyCursorPause(const BusyCursorPause&) = delete;
    BusyCursorPause& operator=(const BusyCursorPause&) = delete;

  private:
    bool paused_;
};

}  // namespace quillon
