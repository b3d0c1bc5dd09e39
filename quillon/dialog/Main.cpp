// Quillon's entry point. With arguments it runs batch mode, which reports through the error file
// "gostwick.err" and ends with exit code 0 whatever happened; without, it shows the main dialog
// and ends when the dialog closes.
#include <cstdio>
#include <string>
#include <vector>

#include "dialog/ConverterDialog.h"
#include "dialog/GuiSession.h"
#include "dialog/QtUserInterface.h"
#include "ui/CommandLine.h"
#include "upgrade/PosixProcessRunner.h"

namespace {

int runMainDialog() {
    quillon::QtUserInterface ui;
    quillon::PosixProcessRunner runner;
    quillon::ConverterDialog dialog(ui, runner);
    ui.setOwner(&dialog);
    dialog.exec();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    quillon::GuiSession session(argc, argv);
    quillon::BatchUserInterface batchUi(session);
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (quillon::RunArguments(arguments, batchUi) == quillon::StartMode::Batch) {
        return 0;
    }
    if (session.application() == nullptr) {
        std::fputs(
            "Quillon: the dialog cannot be shown: there is no display (DISPLAY and "
            "WAYLAND_DISPLAY are not set).\n"
            "Batch mode: Quillon 1 csv-file pdb-file database-name [ifo-file]\n"
            "            Quillon 2 pdb-file csv-file [ifo-file]\n",
            stderr);
        return 1;
    }
    return runMainDialog();
}
