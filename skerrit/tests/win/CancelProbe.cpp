// cancel-probe: Skerrit's whole run with an Escape key press already waiting in the console's
// input, since a test harness cannot press keys: the conversion is canceled at its first progress
// report, so the run must end with status 3 and leave the destination as it was. Takes Skerrit's
// arguments. Run with a console on standard input (under Wine: through a pseudo-terminal).
#include <windows.h>

#include <cstdio>

#include "cli/SkerritMain.h"

namespace {

INPUT_RECORD escapeKey(bool down) {
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = VK_ESCAPE;
    record.Event.KeyEvent.uChar.AsciiChar = 27;
    return record;
}

}  // namespace

int main(int argc, char** argv) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode) == 0) {
        std::printf("FAILED standard input is not a console\n");
        return 100;
    }
    FlushConsoleInputBuffer(input);
    const INPUT_RECORD press[] = {escapeKey(true), escapeKey(false)};
    DWORD written = 0;
    if (WriteConsoleInputA(input, press, 2, &written) == 0 || written != 2) {
        std::printf("FAILED the Escape key could not be put into the console input\n");
        return 100;
    }
    return skerrit::runSkerrit(argc, argv);
}
