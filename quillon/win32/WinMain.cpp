// Quillon's entry point on Windows. The command line after the program name decides: empty (or
// spaces only) shows the main dialog; anything else is batch mode, which reports through the
// error file "gostwick.err" and ends with exit code 0 whatever happened.
#include <windows.h>

#include "ui/CommandLine.h"
#include "upgrade/Win32ProcessRunner.h"
#include "win32/ConverterDialog.h"
#include "win32/Win32UserInterface.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR commandLine,
                   int /*show*/) {
    quillon::Win32UserInterface ui;
    quillon::DatabaseJob job;
    if (quillon::RunCommandLine(commandLine != nullptr ? commandLine : "", job, ui) ==
        quillon::StartMode::Batch) {
        return 0;
    }
    quillon::Win32ProcessRunner runner;
    quillon::Win32ConverterDialog dialog(ui, runner);
    dialog.run();
    return 0;
}
