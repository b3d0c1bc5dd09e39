// Quillon's entry point on Windows. The command line after the program name decides: empty (or
// spaces only) shows the main dialog; anything else is batch mode, which reports through the
// error file "gostwick.err" and ends with exit code 0 (converted), 1 (failed) or 2 (the command
// line is not understood). Batch reports never appear in a message box. "--help" or "--version"
// as the whole command line prints the usage or the version line (InformationOutput.h) and ends
// with exit code 0.
#include <windows.h>

#include "ui/CommandLine.h"
#include "ui/ProgramInformation.h"
#include "upgrade/Win32ProcessRunner.h"
#include "win32/ConverterDialog.h"
#include "win32/InformationOutput.h"
#include "win32/Win32UserInterface.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR commandLine,
                   int /*show*/) {
    const char* line = commandLine != nullptr ? commandLine : "";
    switch (quillon::InformationRequested(line)) {
        case quillon::InformationRequest::Help:
            quillon::ShowInformation(quillon::QuillonHelpText());
            return 0;
        case quillon::InformationRequest::Version:
            quillon::ShowInformation(quillon::QuillonVersionLine());
            return 0;
        case quillon::InformationRequest::None:
            break;
    }
    quillon::Win32UserInterface ui;
    quillon::DatabaseJob job;
    quillon::BatchResult result = quillon::BatchResult::NotUnderstood;
    if (quillon::RunCommandLine(line, job, ui, &result) == quillon::StartMode::Batch) {
        return quillon::BatchExitCode(result);
    }
    quillon::Win32ProcessRunner runner;
    quillon::Win32ConverterDialog dialog(ui, runner);
    dialog.run();
    return 0;
}
