// Batch mode must run on machines without a display, so the application object of the toolkit
// is created only when a dialog must be shown: the main dialog, or in batch mode a message box or
// the database-name request. Where there is no display, the session says so on standard error
// instead of letting the toolkit abort the program.
#pragma once

#include <QApplication>
#include <memory>

#include "ui/UserInterface.h"

namespace quillon {

class GuiSession {
  public:
    // argc and argv must outlive the session, as the application object keeps them.
    GuiSession(int& argc, char** argv) : argc_(argc), argv_(argv) {}
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

    // True when a display can be reached: DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM
    // names a platform (such as offscreen) that needs none.
    static bool displayAvailable();

    // The application object, created on first use; null when there is no display.
    QApplication* application();

  private:
    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> application_;
};

// The user interface of batch mode. Reports never appear in a message box, which would hold the
// run until somebody closed it: they go to the error file and standard error. The one dialog batch
// mode shows is the database-name request when the name argument is empty; without a display it
// gets no answer.
class BatchUserInterface : public UserInterface {
  public:
    explicit BatchUserInterface(GuiSession& session) : session_(session) {}

    void showMessage(std::string_view text) override;
    std::optional<std::string> askDatabaseName() override;
    std::optional<std::string> chooseFileToOpen(std::string_view filter) override;
    bool confirm(std::string_view) override { return false; }

  private:
    GuiSession& session_;
};

}  // namespace quillon
