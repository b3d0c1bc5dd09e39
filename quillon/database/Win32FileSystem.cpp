// The Windows half of the file services: _open(_O_EXCL), _commit and MoveFileEx with
// MOVEFILE_REPLACE_EXISTING. The C library's errors keep their errno texts, which are the same
// as on POSIX, so that a report reads alike on both systems.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "database/FileSystem.h"

namespace quillon::platform {

namespace {

// Another program (a virus scanner, an indexer, a second converter) may hold the destination
// open for a moment; such a refusal is tried again for about a second.
constexpr int kMoveAttempts = 20;
constexpr DWORD kMoveRetryMilliseconds = 50;

std::string windowsErrorText(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text != nullptr ? std::string(text, length)
                                                        : "Windows error " + std::to_string(code);
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

std::FILE* createNewFile(const std::string& path) {
    const int descriptor =
        _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        const int error = errno;
        _close(descriptor);
        _unlink(path.c_str());
        errno = error;
    }
    return file;
}

bool syncFile(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

int replaceError(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return 0;  // nothing there yet, or a folder that is missing: creating says which
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return EISDIR;
    }
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? EACCES : 0;
}

bool isDeviceOrPipe(const std::string& /*path*/) {
    return false;
}

std::string followLinks(const std::string& path) {
    return path;
}

void copyOwnerAndPermissions(const std::string& /*existing*/, const std::string& /*newFile*/) {
    // A new file takes the permissions of its folder, as the replaced file did.
}

bool moveOver(const std::string& from, const std::string& to, std::string& errorText) {
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
            return true;
        }
        error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) {
            break;
        }
        Sleep(kMoveRetryMilliseconds);
    }
    errorText = windowsErrorText(error);
    return false;
}

std::string lastErrorText() {
    return windowsErrorText(GetLastError());
}

// A Windows program ends without a handler of ours (a closed console, a Ctrl+C of a companion);
// an interrupted run can leave its temporary file, never a changed destination.
void rememberTemporaryFile(const std::string& /*path*/) {}
void forgetTemporaryFile(const std::string& /*path*/) {}

uint32_t processId() {
    return static_cast<uint32_t>(GetCurrentProcessId());
}

std::string_view pathSeparators() {
    return "/\\:";
}

std::string executableFolder() {
    std::array<char, MAX_PATH> path{};
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::string folder(path.data(), length);
    const std::size_t separator = folder.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : folder.substr(0, separator);
}

}  // namespace quillon::platform
