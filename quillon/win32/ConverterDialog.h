// The main dialog of the Windows build, from the IDD_MAIN template: the three conversions, the
// delimiter and information-file choices, and the about box on the system menu.
#pragma once

#include <windows.h>

#include "ui/DatabaseJob.h"
#include "upgrade/LegacyUpgrade.h"
#include "win32/Win32UserInterface.h"

namespace quillon {

class Win32ConverterDialog {
  public:
    Win32ConverterDialog(Win32UserInterface& ui, ProcessRunner& runner)
        : ui_(ui), upgrade_(runner) {}

    // Shows the dialog modally; returns when it is closed.
    void run();

  private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    void initialise();
    void readControls();
    void convertPdbToCsv();
    void convertCsvToPdb();
    void upgradeLegacyDatabase();
    void paintMinimized();

    Win32UserInterface& ui_;
    LegacyUpgrade upgrade_;
    DatabaseJob job_;
    HWND window_ = nullptr;
    HICON largeIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
};

}  // namespace quillon
