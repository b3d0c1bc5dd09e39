// escape-probe: checks the console's Escape polling against key events put into this process's
// own console input, since a test harness cannot press keys. Run with a console on standard input
// (under Wine: through a pseudo-terminal); prints one line per case and exits 1 on any failure.
#include <windows.h>

#include <cstdio>

#include "cli/Console.h"

namespace {

INPUT_RECORD keyEvent(WORD virtualKey, char character, bool down) {
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
    record.Event.KeyEvent.uChar.AsciiChar = character;
    return record;
}

bool put(const INPUT_RECORD* events, DWORD count) {
    DWORD written = 0;
    return WriteConsoleInputA(GetStdHandle(STD_INPUT_HANDLE), events, count, &written) != 0 &&
           written == count;
}

int failures = 0;

void expect(const char* name, bool actual, bool expected) {
    std::printf("%s %s\n", actual == expected ? "ok" : "FAILED", name);
    failures += actual == expected ? 0 : 1;
}

}  // namespace

int main() {
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) == 0) {
        std::printf("FAILED standard input is not a console\n");
        return 1;
    }
    FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
    skerrit::console::EscapeWatcher watcher;
    expect("nothing typed", watcher.escapePressed(), false);

    const INPUT_RECORD letters[] = {keyEvent('A', 'a', true), keyEvent('A', 'a', false),
                                    keyEvent(VK_RETURN, '\r', true)};
    expect("other keys", put(letters, 3) && watcher.escapePressed(), false);

    const INPUT_RECORD release[] = {keyEvent(VK_ESCAPE, 27, false)};
    expect("Escape released only", put(release, 1) && watcher.escapePressed(), false);

    const INPUT_RECORD mixed[] = {keyEvent('B', 'b', true), keyEvent(VK_ESCAPE, 27, true),
                                  keyEvent(VK_ESCAPE, 27, false), keyEvent('C', 'c', true)};
    expect("Escape among other keys", put(mixed, 4) && watcher.escapePressed(), true);
    expect("Escape seen once", watcher.escapePressed(), false);
    return failures == 0 ? 0 : 1;
}
