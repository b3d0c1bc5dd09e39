// Lazy creation of the application object.
#include "dialog/GuiSession.h"

#include <cstdio>
#include <cstdlib>

#include "dialog/ProgramIcon.h"
#include "dialog/QtUserInterface.h"

namespace quillon {

namespace {

bool environmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

GuiSession::~GuiSession() = default;

bool GuiSession::displayAvailable() {
    return environmentSet("DISPLAY") || environmentSet("WAYLAND_DISPLAY") ||
           environmentSet("QT_QPA_PLATFORM");
}

QApplication* GuiSession::application() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return existing;  // a host (such as a test) made one already
    }
    if (!application_ && displayAvailable()) {
        application_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setWindowIcon(programIcon());
    }
    return application_.get();
}

void BatchUserInterface::showMessage(std::string_view text) {
    showOnConsole(text);
}

std::optional<std::string> BatchUserInterface::askDatabaseName() {
    if (session_.application() == nullptr) {
        std::fputs(
            "Quillon: the database-name dialog cannot be shown: there is no display (DISPLAY and "
            "WAYLAND_DISPLAY are not set); give the name on the command line.\n",
            stderr);
        return std::nullopt;
    }
    return QtUserInterface().askDatabaseName();
}

std::optional<std::string> BatchUserInterface::chooseFileToOpen(std::string_view) {
    return std::nullopt;  // batch mode takes its files from the command line
}

}  // namespace quillon
