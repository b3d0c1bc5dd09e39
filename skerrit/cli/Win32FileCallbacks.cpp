// File, temporary-file and memory callbacks on Win32 file handles, with the ANSI file functions
// since every path in the engine is 8-bit text. A temporary file is opened with
// FILE_FLAG_DELETE_ON_CLOSE: the system deletes it when its handle is closed, and also when the
// process ends without closing it, so no temporary file is left behind by a killed conversion.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "cli/ConsoleCallbacks.h"

namespace skerrit {

namespace {

// GetTempPath's answer must leave room for GetTempFileName's "tmpXXXX.tmp" within MAX_PATH.
constexpr DWORD kTempDirectoryCapacity = 240;

struct ConsoleFile {
    HANDLE handle;
};

HANDLE handleOf(FileObject file) {
    return static_cast<ConsoleFile*>(file)->handle;
}

FileObject wrapHandle(HANDLE handle) {
    auto* file = new (std::nothrow) ConsoleFile{handle};
    if (file == nullptr)
        CloseHandle(handle);
    return file;
}

FileObject openWithFlags(const char* path, int32_t mode, DWORD flags) {
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD sharing = 0;
    DWORD disposition = 0;
    switch (mode) {
        case kOpenRead:
            access = GENERIC_READ;
            sharing = FILE_SHARE_READ;
            disposition = OPEN_EXISTING;
            break;
        case kOpenCreate:
            disposition = CREATE_ALWAYS;
            break;
        case kOpenReadWrite:
            disposition = OPEN_ALWAYS;
            break;
        default:
            return nullptr;
    }
    const HANDLE handle = CreateFileA(path, access, sharing, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return wrapHandle(handle);
}

FileObject openFile(void* /*context*/, const char* path, int32_t mode) {
    return openWithFlags(path, mode, FILE_ATTRIBUTE_NORMAL);
}

int32_t closeFile(void* /*context*/, FileObject file) {
    CloseHandle(handleOf(file));
    delete static_cast<ConsoleFile*>(file);
    return 1;
}

uint32_t seekFile(void* /*context*/, FileObject file, int32_t offset, int32_t origin) {
    DWORD method = FILE_BEGIN;
    switch (origin) {
        case kSeekFromStart:
            method = FILE_BEGIN;
            break;
        case kSeekFromCurrent:
            method = FILE_CURRENT;
            break;
        case kSeekFromEnd:
            method = FILE_END;
            break;
        default:
            return kSeekFailed;
    }
    // Without a high part the offset is signed and a position beyond 32 bits fails, so the
    // failure answer (all ones) is never also a position.
    const DWORD position = SetFilePointer(handleOf(file), offset, nullptr, method);
    return position == INVALID_SET_FILE_POINTER ? kSeekFailed : position;
}

int32_t readFile(void* /*context*/, FileObject file, uint32_t count, void* buffer) {
    const auto wanted = std::min<DWORD>(count, std::numeric_limits<int32_t>::max());
    DWORD done = 0;
    if (ReadFile(handleOf(file), buffer, wanted, &done, nullptr) == 0)
        return -1;
    return static_cast<int32_t>(done);
}

int32_t writeFile(void* /*context*/, FileObject file, uint32_t count, const void* buffer) {
    const auto wanted = std::min<DWORD>(count, std::numeric_limits<int32_t>::max());
    DWORD done = 0;
    if (WriteFile(handleOf(file), buffer, wanted, &done, nullptr) == 0)
        return -1;
    return static_cast<int32_t>(done);
}

FileObject createTempFile(void* /*context*/) {
    char directory[kTempDirectoryCapacity];
    const DWORD length = GetTempPathA(kTempDirectoryCapacity, directory);
    if (length == 0 || length >= kTempDirectoryCapacity)
        return nullptr;
    char name[MAX_PATH];
    if (GetTempFileNameA(directory, "tmp", 0, name) == 0)
        return nullptr;
    FileObject file =
        openWithFlags(name, kOpenCreate, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    if (file == nullptr)
        DeleteFileA(name);  // GetTempFileName created it empty
    return file;
}

void* allocate(void* /*context*/, uint32_t size) {
    return std::malloc(size == 0 ? 1 : size);
}

int32_t release(void* /*context*/, void* block) {
    std::free(block);
    return 1;
}

int32_t silentProgress(void* /*context*/, int32_t /*code*/, const void* /*data*/) {
    return 1;
}

}  // namespace

ConverterCallbacks consoleCallbacksTemplate() {
    return ConverterCallbacks{nullptr,    &openFile,       &closeFile, &seekFile, &readFile,
                              &writeFile, &createTempFile, &allocate,  &release,  &silentProgress};
}

}  // namespace skerrit
