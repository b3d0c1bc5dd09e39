#include "win32/InformationOutput.h"

#include <windows.h>

#include <string>

#include "win32/Win32UserInterface.h"

namespace quillon {

namespace {

// Windows text ends its lines with CR LF, as the console programs' output does.
std::string withWindowsLineEnds(std::string_view text) {
    std::string converted;
    for (const char character : text) {
        if (character == '\n') {
            converted.push_back('\r');
        }
        converted.push_back(character);
    }
    return converted;
}

bool writeAll(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
               0 &&
           written == bytes.size();
}

bool leadsSomewhere(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool writeToParentConsole(const std::string& bytes) {
    if (AttachConsole(ATTACH_PARENT_PROCESS) == 0) {
        return false;
    }
    const HANDLE console =
        CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool written = console != INVALID_HANDLE_VALUE && writeAll(console, bytes);
    if (console != INVALID_HANDLE_VALUE) {
        CloseHandle(console);
    }
    FreeConsole();
    return written;
}

}  // namespace

void ShowInformation(std::string_view text) {
    const std::string bytes = withWindowsLineEnds(text);
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (leadsSomewhere(output) && writeAll(output, bytes)) {
        return;
    }
    if (writeToParentConsole(bytes)) {
        return;
    }
    const std::string message(text);
    const std::string title = programTitle();
    MessageBoxA(nullptr, message.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace quillon
