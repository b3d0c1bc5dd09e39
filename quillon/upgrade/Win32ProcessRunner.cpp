// The companions are console programs: they are started without a console window of their own,
// since the dialog waits for them and they ask nothing of the user when given a full command line.
#include "upgrade/Win32ProcessRunner.h"

#include <windows.h>

#include <vector>

#include "database/FileSystem.h"

namespace quillon {

std::optional<int> Win32ProcessRunner::run(const std::string& programPath,
                                           const std::string& commandLine) {
    // CreateProcess may write into the command line, so it gets a copy of its own.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    failureText_.clear();
    if (CreateProcessA(programPath.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &process) == 0) {
        failureText_ = programPath + " could not be started: " + platform::lastErrorText();
        return std::nullopt;
    }
    CloseHandle(process.hThread);
    std::optional<int> exitCode;
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process.hProcess, &code) != 0) {
        exitCode = static_cast<int>(code);
    } else {
        failureText_ = programPath + " could not be waited for: " + platform::lastErrorText();
    }
    CloseHandle(process.hProcess);
    return exitCode;
}

}  // namespace quillon
