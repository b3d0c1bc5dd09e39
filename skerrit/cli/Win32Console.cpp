// Win32 console services. Escape is polled with the console's input functions: while a
// conversion runs, the pending input events are read without waiting and a key press of Escape
// among them cancels. The console's mode is not changed, so nothing needs restoring when the
// program ends, however it ends. When standard input is not a console (redirected from a file or
// a pipe), Escape is never seen and standard input is left alone.
#include <windows.h>

#include <cstdio>

#include "cli/Console.h"

namespace skerrit::console {

namespace {

constexpr WORD kEscapeKey = VK_ESCAPE;

HANDLE consoleInput() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE || GetConsoleMode(input, &mode) == 0)
        return nullptr;
    return input;
}

bool isEscapePress(const INPUT_RECORD& event) {
    return event.EventType == KEY_EVENT && event.Event.KeyEvent.bKeyDown != 0 &&
           event.Event.KeyEvent.wVirtualKeyCode == kEscapeKey;
}

// Identity of an existing file: its volume and its index on that volume.
bool fileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION& information) {
    const HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    return known;
}

}  // namespace

int readCharacter() {
    std::fflush(stdout);
    return std::getchar();
}

// GetConsoleMode succeeds only on a console handle; _isatty would also take the NUL device.
bool talkingToTerminal() {
    DWORD mode = 0;
    return consoleInput() != nullptr && GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

bool currentDirectory(char* out, std::size_t capacity) {
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(capacity), out);
    return length != 0 && length < capacity;
}

bool hasDriveDirectories() {
    return true;
}

// GetFullPathName of a bare "X:" is that drive's current directory (its root when the process
// has not been on the drive).
bool driveCurrentDirectory(char drive, char* out, std::size_t capacity) {
    const char bareDrive[] = {drive, ':', '\0'};
    const DWORD length = GetFullPathNameA(bareDrive, static_cast<DWORD>(capacity), out, nullptr);
    return length != 0 && length < capacity;
}

bool sameExistingFile(const char* first, const char* second) {
    BY_HANDLE_FILE_INFORMATION firstFile{};
    BY_HANDLE_FILE_INFORMATION secondFile{};
    return fileIdentity(first, firstFile) && fileIdentity(second, secondFile) &&
           firstFile.dwVolumeSerialNumber == secondFile.dwVolumeSerialNumber &&
           firstFile.nFileIndexHigh == secondFile.nFileIndexHigh &&
           firstFile.nFileIndexLow == secondFile.nFileIndexLow;
}

InterruptCleanup::InterruptCleanup() = default;

InterruptCleanup::~InterruptCleanup() = default;

EscapeWatcher::EscapeWatcher() : watching_(consoleInput() != nullptr) {}

EscapeWatcher::~EscapeWatcher() = default;

bool EscapeWatcher::escapePressed() {
    const HANDLE input = watching_ ? consoleInput() : nullptr;
    if (input == nullptr)
        return false;
    bool pressed = false;
    DWORD pending = 0;
    while (GetNumberOfConsoleInputEvents(input, &pending) != 0 && pending > 0) {
        INPUT_RECORD events[16];
        DWORD got = 0;
        if (ReadConsoleInputA(input, events, sizeof events / sizeof events[0], &got) == 0 ||
            got == 0)
            break;
        for (DWORD i = 0; i < got; ++i)
            pressed = pressed || isEscapePress(events[i]);
    }
    return pressed;
}

}  // namespace skerrit::console
