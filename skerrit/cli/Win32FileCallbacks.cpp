// File, temporary-file and memory callbacks on Win32 file handles, with the ANSI file functions
// since every path in the engine is 8-bit text. A temporary file is opened with
// FILE_FLAG_DELETE_ON_CLOSE: the system deletes it when its handle is closed, and also when the
// process ends without closing it, so no temporary file is left behind by a killed conversion.
//
// The destination (a kOpenCreate open) is made by GetTempFileName as "skrXXXX.tmp" in the folder
// of the file it names and published with MoveFileEx and MOVEFILE_REPLACE_EXISTING, which
// replaces the old file in one step. Until then it is marked for deletion through its handle
// (SetFileInformationByHandle, looked up at run time so that systems without it still run the
// program), so the system removes it if the process ends before the verdict, by Ctrl-C or
// otherwise; publishing takes the mark off, closes the handle and moves the file.
//
// Temporary files go through a buffer of their own: the HTML reader writes its style runs, block
// and link records a few bytes at a time, and the section writers and the compressor read them
// back the same way; a system call for each made the conversion of a large page several times
// slower. A temporary file keeps its own position and moves the handle's file pointer to it before
// each ReadFile or WriteFile it makes (offsets given in an OVERLAPPED structure cost more than that
// under Wine); its buffer holds either bytes written but not yet sent (sent before anything else
// is done with the file) or a window of the file's bytes for reading (dropped by any write). A
// failure to send written bytes fails the call that needed them and every later call.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "cli/ConsoleCallbacks.h"

namespace skerrit {

namespace {

// Names as the engine gave them, kept for the failure report; longer ones are cut.
constexpr std::size_t kNameCapacity = 1024;

// The last failure: which file and the system's error code.
struct FailureRecord {
    bool happened;
    DWORD error;
    char file[kNameCapacity];
};
FailureRecord lastFailure;

void copyName(char (&out)[kNameCapacity], const char* name) {
    std::strncpy(out, name, kNameCapacity - 1);
    out[kNameCapacity - 1] = '\0';
}

void recordFailure(const char* file, DWORD error) {
    lastFailure.happened = true;
    lastFailure.error = error;
    copyName(lastFailure.file, file);
}

void recordLastError(const char* file) {
    recordFailure(file, GetLastError());
}

// The destination under its temporary name, from its open until publishOutput or discardOutput.
struct PendingOutput {
    bool active;
    HANDLE handle;
    bool markedForDeletion;  // the system deletes the file when the handle is closed
    char name[kNameCapacity];
    char temporaryPath[MAX_PATH];
    char finalPath[MAX_PATH];
};
PendingOutput pendingOutput;

using SetFileInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// Sets or takes off the mark that deletes the file when its handle is closed; false where the
// system cannot do it.
bool markForDeletion(HANDLE handle, bool deleteOnClose) {
    static const auto setFileInformation =
        reinterpret_cast<SetFileInformationFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
    if (setFileInformation == nullptr)
        return false;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleteOnClose ? TRUE : FALSE;
    return setFileInformation(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// GetTempPath's answer must leave room for GetTempFileName's "tmpXXXX.tmp" within MAX_PATH.
constexpr DWORD kTempDirectoryCapacity = 240;

constexpr DWORD kBufferSize = 16384;

enum class BufferUse : uint8_t { kNone, kWriting, kReading };

enum class FileRole : uint8_t { kPlain, kTemporary, kOutput };

struct ConsoleFile {
    HANDLE handle;
    FileRole role;
    char* buffer;  // temporary files only; null: plain calls on the handle
    // The rest is used with a buffer only.
    uint64_t position;     // the file's position as the engine sees it
    BufferUse use;         // what the buffer holds
    uint64_t bufferStart;  // file offset of buffer[0]
    DWORD bufferCount;     // bytes held
    bool failed;           // written bytes could not be sent: the file's contents are lost
    char name[kNameCapacity];
};

ConsoleFile& consoleFile(FileObject file) {
    return *static_cast<ConsoleFile*>(file);
}

HANDLE handleOf(FileObject file) {
    return consoleFile(file).handle;
}

// Takes the handle over; on failure it is closed, unless it is the pending output's.
FileObject wrapHandle(HANDLE handle, FileRole role, const char* name) {
    const bool buffered = role == FileRole::kTemporary;
    char* buffer = buffered ? new (std::nothrow) char[kBufferSize] : nullptr;
    ConsoleFile* file = nullptr;
    if (!buffered || buffer != nullptr) {
        file = new (std::nothrow)
            ConsoleFile{handle, role, buffer, 0, BufferUse::kNone, 0, 0, false, {}};
    }
    if (file == nullptr) {
        recordFailure(name, ERROR_NOT_ENOUGH_MEMORY);
        delete[] buffer;
        if (role != FileRole::kOutput)
            CloseHandle(handle);
        return nullptr;
    }
    copyName(file->name, name);
    return file;
}

bool moveTo(HANDLE handle, uint64_t offset) {
    LARGE_INTEGER target{};
    target.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handle, target, nullptr, FILE_BEGIN) != 0;
}

// Loops over short transfers: fewer bytes than asked for means the end of the file (reads) or a
// failure (writes), never a transient condition.
bool writeAllAt(HANDLE handle, const char* bytes, DWORD count, uint64_t offset) {
    if (!moveTo(handle, offset))
        return false;
    DWORD done = 0;
    while (done < count) {
        DWORD put = 0;
        if (WriteFile(handle, bytes + done, count - done, &put, nullptr) == 0 || put == 0)
            return false;
        done += put;
    }
    return true;
}

// The byte count read, or -1. Reading at or past the end of the file is no failure.
int32_t readAllAt(HANDLE handle, char* bytes, DWORD count, uint64_t offset) {
    if (!moveTo(handle, offset))
        return -1;
    DWORD done = 0;
    while (done < count) {
        DWORD got = 0;
        if (ReadFile(handle, bytes + done, count - done, &got, nullptr) == 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return static_cast<int32_t>(done);
}

// Sends written bytes still in the buffer and empties it; false (for good) once sending failed.
bool settleBuffer(ConsoleFile& file) {
    if (file.use == BufferUse::kWriting && !file.failed) {
        file.failed = !writeAllAt(file.handle, file.buffer, file.bufferCount, file.bufferStart);
        if (file.failed)
            recordLastError(file.name);
    }
    file.use = BufferUse::kNone;
    file.bufferCount = 0;
    return !file.failed;
}

int32_t writeBuffered(ConsoleFile& file, const char* bytes, DWORD count) {
    if (file.failed)
        return -1;
    const bool appends = file.use == BufferUse::kWriting &&
                         file.position == file.bufferStart + file.bufferCount &&
                         file.bufferCount + count <= kBufferSize;
    if (!appends) {
        if (!settleBuffer(file))
            return -1;
        if (count >= kBufferSize) {
            if (!writeAllAt(file.handle, bytes, count, file.position)) {
                recordLastError(file.name);
                return -1;
            }
            file.position += count;
            return static_cast<int32_t>(count);
        }
        file.use = BufferUse::kWriting;
        file.bufferStart = file.position;
    }
    std::memcpy(file.buffer + file.bufferCount, bytes, count);
    file.bufferCount += count;
    file.position += count;
    return static_cast<int32_t>(count);
}

int32_t readBuffered(ConsoleFile& file, char* bytes, DWORD count) {
    if (file.use == BufferUse::kWriting && !settleBuffer(file))
        return -1;
    if (file.failed)
        return -1;
    DWORD done = 0;
    while (done < count) {
        const bool inWindow = file.use == BufferUse::kReading &&
                              file.position >= file.bufferStart &&
                              file.position < file.bufferStart + file.bufferCount;
        if (!inWindow) {
            if (count - done >= kBufferSize) {  // large reads skip the window
                const int32_t got =
                    readAllAt(file.handle, bytes + done, count - done, file.position);
                if (got < 0) {
                    recordLastError(file.name);
                    return -1;
                }
                done += static_cast<DWORD>(got);
                file.position += static_cast<uint64_t>(got);
                break;
            }
            const int32_t got = readAllAt(file.handle, file.buffer, kBufferSize, file.position);
            if (got < 0) {
                recordLastError(file.name);
                return -1;
            }
            file.use = BufferUse::kReading;
            file.bufferStart = file.position;
            file.bufferCount = static_cast<DWORD>(got);
            if (got == 0)
                break;  // the end of the file
        }
        const auto offset = static_cast<DWORD>(file.position - file.bufferStart);
        const DWORD taken = std::min<DWORD>(count - done, file.bufferCount - offset);
        std::memcpy(bytes + done, file.buffer + offset, taken);
        done += taken;
        file.position += taken;
    }
    return static_cast<int32_t>(done);
}

uint32_t seekBuffered(ConsoleFile& file, int32_t offset, int32_t origin) {
    int64_t base = 0;
    if (origin == kSeekFromCurrent) {
        base = static_cast<int64_t>(file.position);
    } else if (origin == kSeekFromEnd) {
        // The end counts the written bytes still in the buffer.
        if (!settleBuffer(file))
            return kSeekFailed;
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file.handle, &size) == 0) {
            recordLastError(file.name);
            return kSeekFailed;
        }
        base = size.QuadPart;
    } else if (origin != kSeekFromStart) {
        return kSeekFailed;
    }
    if (file.failed)
        return kSeekFailed;
    const int64_t target = base + offset;
    // Positions from 4 GiB - 1 on cannot be told apart from the failure answer.
    if (target < 0 || static_cast<uint64_t>(target) >= kSeekFailed) {
        recordFailure(file.name, target < 0 ? ERROR_NEGATIVE_SEEK : ERROR_FILE_TOO_LARGE);
        return kSeekFailed;
    }
    file.position = static_cast<uint64_t>(target);
    return static_cast<uint32_t>(target);
}

FileObject openWithFlags(const char* path, int32_t mode, DWORD flags, FileRole role,
                         const char* name) {
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
    if (handle == INVALID_HANDLE_VALUE) {
        recordLastError(name);
        return nullptr;
    }
    return wrapHandle(handle, role, name);
}

// An existing destination must be one the user may write, as creating it over the old one
// required; a folder is no destination.
bool existingDestinationWritable(const char* path, const char* fullPath) {
    const DWORD attributes = GetFileAttributesA(fullPath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;  // nothing there yet
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        recordFailure(path, ERROR_ACCESS_DENIED);
        return false;
    }
    const HANDLE probe =
        CreateFileA(fullPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        recordLastError(path);
        return false;
    }
    CloseHandle(probe);
    return true;
}

FileObject openOutput(const char* path) {
    if (pendingOutput.active) {
        recordFailure(path, ERROR_BUSY);
        return nullptr;
    }
    PendingOutput output{true, INVALID_HANDLE_VALUE, false, {}, {}, {}};
    copyName(output.name, path);
    char* fileName = nullptr;
    const DWORD length = GetFullPathNameA(path, MAX_PATH, output.finalPath, &fileName);
    if (length == 0 || length >= MAX_PATH || fileName == nullptr) {
        DWORD error = ERROR_INVALID_NAME;  // a name that ends in a separator names no file
        if (length == 0)
            error = GetLastError();
        else if (length >= MAX_PATH)
            error = ERROR_FILENAME_EXCED_RANGE;
        recordFailure(path, error);
        return nullptr;
    }
    if (!existingDestinationWritable(path, output.finalPath))
        return nullptr;
    char folder[MAX_PATH];
    const auto folderLength = static_cast<std::size_t>(fileName - output.finalPath);
    std::memcpy(folder, output.finalPath, folderLength);
    folder[folderLength] = '\0';
    // GetTempFileName's own answer for a missing folder says little of what is wrong.
    if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES) {
        recordLastError(path);
        return nullptr;
    }
    if (GetTempFileNameA(folder, "skr", 0, output.temporaryPath) == 0) {
        recordLastError(path);
        return nullptr;
    }
    output.handle = CreateFileA(output.temporaryPath, GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output.handle == INVALID_HANDLE_VALUE) {
        recordLastError(path);
        DeleteFileA(output.temporaryPath);  // GetTempFileName created it empty
        return nullptr;
    }
    output.markedForDeletion = markForDeletion(output.handle, true);
    pendingOutput = output;
    FileObject file = wrapHandle(output.handle, FileRole::kOutput, path);
    if (file == nullptr)
        discardOutput();
    return file;
}

FileObject openFile(void* /*context*/, const char* path, int32_t mode) {
    if (mode == kOpenCreate)
        return openOutput(path);
    return openWithFlags(path, mode, FILE_ATTRIBUTE_NORMAL, FileRole::kPlain, path);
}

int32_t closeFile(void* /*context*/, FileObject file) {
    ConsoleFile& console = consoleFile(file);
    // A temporary file vanishes on close; what it still held has been read back or is not wanted.
    const bool settled = console.buffer == nullptr || settleBuffer(console);
    // The output's handle stays open for publishOutput or discardOutput.
    if (console.role != FileRole::kOutput)
        CloseHandle(console.handle);
    delete[] console.buffer;
    delete &console;
    return settled ? 1 : 0;
}

uint32_t seekFile(void* /*context*/, FileObject file, int32_t offset, int32_t origin) {
    if (consoleFile(file).buffer != nullptr)
        return seekBuffered(consoleFile(file), offset, origin);
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
    if (position == INVALID_SET_FILE_POINTER) {
        recordLastError(consoleFile(file).name);
        return kSeekFailed;
    }
    return position;
}

int32_t readFile(void* /*context*/, FileObject file, uint32_t count, void* buffer) {
    const auto wanted = std::min<DWORD>(count, std::numeric_limits<int32_t>::max());
    if (consoleFile(file).buffer != nullptr)
        return readBuffered(consoleFile(file), static_cast<char*>(buffer), wanted);
    DWORD done = 0;
    if (ReadFile(handleOf(file), buffer, wanted, &done, nullptr) == 0) {
        recordLastError(consoleFile(file).name);
        return -1;
    }
    return static_cast<int32_t>(done);
}

int32_t writeFile(void* /*context*/, FileObject file, uint32_t count, const void* buffer) {
    const auto wanted = std::min<DWORD>(count, std::numeric_limits<int32_t>::max());
    if (consoleFile(file).buffer != nullptr)
        return writeBuffered(consoleFile(file), static_cast<const char*>(buffer), wanted);
    DWORD done = 0;
    if (WriteFile(handleOf(file), buffer, wanted, &done, nullptr) == 0) {
        recordLastError(consoleFile(file).name);
        return -1;
    }
    return static_cast<int32_t>(done);
}

FileObject createTempFile(void* /*context*/) {
    char directory[kTempDirectoryCapacity];
    const DWORD length = GetTempPathA(kTempDirectoryCapacity, directory);
    if (length == 0 || length >= kTempDirectoryCapacity) {
        recordFailure("temporary folder", length == 0 ? GetLastError() : ERROR_BUFFER_OVERFLOW);
        return nullptr;
    }
    char place[kTempDirectoryCapacity + 32];
    std::snprintf(place, sizeof place, "temporary file in %s", directory);
    char name[MAX_PATH];
    if (GetTempFileNameA(directory, "tmp", 0, name) == 0) {
        recordLastError(place);
        return nullptr;
    }
    FileObject file =
        openWithFlags(name, kOpenCreate, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                      FileRole::kTemporary, place);
    if (file == nullptr)
        DeleteFileA(name);  // GetTempFileName created it empty
    return file;
}

void* allocate(void* /*context*/, uint32_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        recordFailure("", ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

// The system's text for an error code, without its closing line end.
std::string systemText(DWORD error) {
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    if (message.empty())
        message = "system error " + std::to_string(error);
    return message;
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

SystemFailure lastSystemFailure() {
    if (!lastFailure.happened)
        return SystemFailure{};
    return SystemFailure{true, lastFailure.file, systemText(lastFailure.error)};
}

void forgetSystemFailure() {
    lastFailure.happened = false;
}

bool publishOutput() {
    if (!pendingOutput.active)
        return true;
    PendingOutput& output = pendingOutput;
    output.active = false;
    bool published = FlushFileBuffers(output.handle) != 0;
    if (!published)
        recordLastError(output.name);
    if (published && output.markedForDeletion && !markForDeletion(output.handle, false)) {
        recordLastError(output.name);
        published = false;
    }
    CloseHandle(output.handle);
    if (published && MoveFileExA(output.temporaryPath, output.finalPath,
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        recordLastError(output.name);
        published = false;
    }
    if (!published)
        DeleteFileA(output.temporaryPath);
    return published;
}

void discardOutput() {
    if (!pendingOutput.active)
        return;
    pendingOutput.active = false;
    CloseHandle(pendingOutput.handle);
    DeleteFileA(pendingOutput.temporaryPath);  // gone already when it was marked
}

// Nothing to do on Windows: the system removes the marked file when the process ends.
void discardOutputFromSignalHandler() {}

}  // namespace skerrit
