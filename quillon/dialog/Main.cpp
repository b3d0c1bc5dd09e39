// Quillon's entry point. With arguments it runs batch mode, which reports through the error file
// "gostwick.err" and standard error and ends with exit code 0 (converted), 1 (failed) or 2 (the
// command line is not understood); without, it shows the main dialog and ends when it closes.
// "--help" or "--version" as the only argument prints the usage or the version line on standard
// output and ends with exit code 0, display or not.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/ConverterDialog.h"
#include "dialog/GuiSession.h"
#include "dialog/QtUserInterface.h"
#include "ui/CommandLine.h"
#include "ui/ProgramInformation.h"
#include "upgrade/PosixProcessRunner.h"

namespace {

constexpr const char* kBatchUsage =
    "Batch mode: Quillon 1 csv-file pdb-file database-name [ifo-file]\n"
    "            Quillon 2 pdb-file csv-file [ifo-file]\n";

void printText(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

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
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (arguments.size() == 1) {
        switch (quillon::InformationRequested(arguments[0])) {
            case quillon::InformationRequest::Help:
                printText(quillon::QuillonHelpText());
                return 0;
            case quillon::InformationRequest::Version:
                printText(quillon::QuillonVersionLine());
                return 0;
            case quillon::InformationRequest::None:
                break;
        }
    }
    quillon::GuiSession session(argc, argv);
    quillon::BatchUserInterface batchUi(session);
    quillon::BatchResult result = quillon::BatchResult::NotUnderstood;
    if (quillon::RunArguments(arguments, batchUi, &result) == quillon::StartMode::Batch) {
        if (result == quillon::BatchResult::NotUnderstood) {
            std::fputs(kBatchUsage, stderr);
        }
        return quillon::BatchExitCode(result);
    }
    if (session.application() == nullptr) {
        std::fputs(
            "Quillon: the dialog cannot be shown: there is no display (DISPLAY and "
            "WAYLAND_DISPLAY are not set).\n",
            stderr);
        std::fputs(kBatchUsage, stderr);
        return 1;
    }
    return runMainDialog();
}
