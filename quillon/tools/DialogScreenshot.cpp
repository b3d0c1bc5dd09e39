// Renders Quillon's main dialog offscreen into a PNG for the README, and optionally the program
// icon at 128 pixels, the about box and the database-name dialog.
// Usage: quillon_dialog_screenshot dialog.png [icon.png [about.png name.png]]
// No display is needed: without QT_QPA_PLATFORM the offscreen platform is chosen.
#include <QApplication>
#include <cstdio>

#include "dialog/AboutDialog.h"
#include "dialog/ConverterDialog.h"
#include "dialog/DatabaseNameDialog.h"
#include "dialog/ProgramIcon.h"

namespace {

// The dialog is only looked at: nothing is chosen, started or reported.
class NoUserInterface : public quillon::UserInterface {
  public:
    void showMessage(std::string_view) override {}
    std::optional<std::string> askDatabaseName() override { return std::nullopt; }
    std::optional<std::string> chooseFileToOpen(std::string_view) override { return std::nullopt; }
    bool confirm(std::string_view) override { return false; }
};

class NoProcessRunner : public quillon::ProcessRunner {
  public:
    std::optional<int> run(const std::string&, const std::string&) override { return std::nullopt; }
};

constexpr int kIconPictureSize = 128;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3 && argc != 5) {
        std::fputs("Usage: quillon_dialog_screenshot dialog.png [icon.png [about.png name.png]]\n",
                   stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    NoUserInterface ui;
    NoProcessRunner runner;
    quillon::ConverterDialog dialog(ui, runner);
    dialog.show();
    QApplication::processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "Cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc >= 3 &&
        !quillon::drawProgramIcon(kIconPictureSize).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "Cannot write %s\n", argv[2]);
        return 1;
    }
    if (argc == 5) {
        quillon::AboutDialog about;
        quillon::DatabaseNameDialog name;
        for (const auto& [widget, path] : {std::pair<QWidget*, const char*>{&about, argv[3]},
                                           std::pair<QWidget*, const char*>{&name, argv[4]}}) {
            widget->show();
            QApplication::processEvents();
            if (!widget->grab().save(QString::fromLocal8Bit(path), "PNG")) {
                std::fprintf(stderr, "Cannot write %s\n", path);
                return 1;
            }
        }
    }
    return 0;
}
