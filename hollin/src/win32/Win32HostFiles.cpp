// Windows file services. A replacement is written to a new file beside the target and moved over
// it with MoveFileEx, which replaces the target in one step on the same volume: a program reading
// the file at that moment (the HotSync Manager, say) sees either the old or the new contents.
// MoveFileEx also refuses to replace a read-only file, as the POSIX side does by itself. Where a
// path really leads is asked of the file system (GetFinalPathNameByHandle), which follows
// symbolic links and junctions alike.
#include <windows.h>

#include <string>

#include "HostFiles.h"

namespace hollin {
namespace {

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    [[nodiscard]] HANDLE get() const { return handle_; }
    [[nodiscard]] bool close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

bool writeAll(HANDLE file, std::string_view contents) {
    while (!contents.empty()) {
        const DWORD chunk =
            contents.size() > 1u << 20 ? 1u << 20 : static_cast<DWORD>(contents.size());
        DWORD written = 0;
        if (WriteFile(file, contents.data(), chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        contents.remove_prefix(written);
    }
    return true;
}

// A hidden-looking name in the target's folder that no other file has yet; the file is created.
std::filesystem::path createReplacementFile(const std::filesystem::path& target, HANDLE& handle) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::wstring name = L".";
        name += target.filename().wstring();
        name += L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
        const std::filesystem::path candidate = target.parent_path() / name;
        handle = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return candidate;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    handle = INVALID_HANDLE_VALUE;
    return {};
}

}  // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t sizeLimit) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return std::nullopt;
    }
    std::string contents;
    std::string block(64 * 1024, '\0');
    for (;;) {
        DWORD got = 0;
        if (ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) ==
            0) {
            return std::nullopt;
        }
        if (got == 0) {
            return contents;
        }
        contents.append(block.data(), got);
        if (contents.size() > sizeLimit) {
            return std::nullopt;
        }
    }
}

std::optional<std::filesystem::path> writeStagedFile(const std::filesystem::path& target,
                                                     std::string_view contents) {
    HANDLE created = INVALID_HANDLE_VALUE;
    const std::filesystem::path staged = createReplacementFile(target, created);
    FileHandle file(created);
    if (!file.valid()) {
        return std::nullopt;
    }
    bool ok = writeAll(file.get(), contents) && FlushFileBuffers(file.get()) != 0;
    ok = file.close() && ok;
    if (!ok) {
        DeleteFileW(staged.c_str());
        return std::nullopt;
    }
    return staged;
}

bool moveStagedFile(const std::filesystem::path& staged, const std::filesystem::path& target) {
    return MoveFileExW(staged.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeFile(const std::filesystem::path& file) {
    DeleteFileW(file.c_str());
}

bool createFolder(const std::filesystem::path& folder) {
    return CreateDirectoryW(folder.c_str(), nullptr) != 0;
}

void removeEmptyFolder(const std::filesystem::path& folder) {
    RemoveDirectoryW(folder.c_str());
}

std::optional<std::filesystem::path> resolveExistingPath(const std::filesystem::path& path) {
    // No access asked for: only the name is wanted. Backup semantics let folders be opened too.
    FileHandle opened(CreateFileW(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!opened.valid()) {
        return std::nullopt;
    }
    constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD needed = GetFinalPathNameByHandleW(opened.get(), nullptr, 0, kFlags);
    if (needed == 0) {
        return std::nullopt;
    }
    std::wstring resolved(needed, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(opened.get(), resolved.data(), needed, kFlags);
    if (length == 0 || length >= needed) {
        return std::nullopt;
    }
    resolved.resize(length);
    return std::filesystem::path(std::move(resolved));
}

}  // namespace hollin
