// Quillon's entry point on Windows. The command line after the program name decides: empty (or
// spaces only) shows the main dialog; anything else is batch mode, which reports through the
// error file "gostwick.err" and ends with exit code 0 (converted), 1 (failed) or 2 (the command
// line is not understood). Batch reports never appear in a message box.
#include <windows.h>

#include "ui/CommandLine.h"
#include "upgrade/Win32ProcessRunner.h"
#include "win32/ConverterDialog.h"
#include "win32/Win32UserInterface.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR commandLine,
                   int /*show*/) {
    quillon::Win32UserInterface ui;
    quillon::DatabaseJob job;
    quillon::BatchResult result = quillon::BatchResult::NotUnderstood;
    if (quillon::RunCommandLine(commandLine != nullptr ? commandLine : "", job, ui, &result) ==
        quillon::StartMode::Batch) {
        return quillon::BatchExitCode(result);
    }
    quillon::Win32ProcessRunner runner;
    quillon::Win32ConverterDialog dialog(ui, runner);
    dialog.run();
    return 0;
}
