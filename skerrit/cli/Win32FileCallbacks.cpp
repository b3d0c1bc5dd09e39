// File, temporary-file and memory callbacks on Win32 file handles, with the ANSI file functions
// since every path in the engine is 8-bit text. A temporary file is opened with
// FILE_FLAG_DELETE_ON_CLOSE: the system deletes it when its handle is closed, and also when the
// process ends without closing it, so no temporary file is left behind by a killed conversion.
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
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "cli/ConsoleCallbacks.h"

namespace skerrit {

namespace {

// GetTempPath's answer must leave room for GetTempFileName's "tmpXXXX.tmp" within MAX_PATH.
constexpr DWORD kTempDirectoryCapacity = 240;

constexpr DWORD kBufferSize = 16384;

enum class BufferUse : uint8_t { kNone, kWriting, kReading };

struct ConsoleFile {
    HANDLE handle;
    char* buffer;  // temporary files only; null: plain calls on the handle
    // The rest is used with a buffer only.
    uint64_t position;     // the file's position as the engine sees it
    BufferUse use;         // what the buffer holds
    uint64_t bufferStart;  // file offset of buffer[0]
    DWORD bufferCount;     // bytes held
    bool failed;           // written bytes could not be sent: the file's contents are lost
};

ConsoleFile& consoleFile(FileObject file) {
    return *static_cast<ConsoleFile*>(file);
}

HANDLE handleOf(FileObject file) {
    return consoleFile(file).handle;
}

FileObject wrapHandle(HANDLE handle, bool buffered) {
    char* buffer = buffered ? new (std::nothrow) char[kBufferSize] : nullptr;
    ConsoleFile* file = nullptr;
    if (!buffered || buffer != nullptr)
        file = new (std::nothrow) ConsoleFile{handle, buffer, 0, BufferUse::kNone, 0, 0, false};
    if (file == nullptr) {
        delete[] buffer;
        CloseHandle(handle);
    }
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
    if (file.use == BufferUse::kWriting && !file.failed)
        file.failed = !writeAllAt(file.handle, file.buffer, file.bufferCount, file.bufferStart);
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
            if (!writeAllAt(file.handle, bytes, count, file.position))
                return -1;
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
                if (got < 0)
                    return -1;
                done += static_cast<DWORD>(got);
                file.position += static_cast<uint64_t>(got);
                break;
            }
            const int32_t got = readAllAt(file.handle, file.buffer, kBufferSize, file.position);
            if (got < 0)
                return -1;
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
        if (GetFileSizeEx(file.handle, &size) == 0)
            return kSeekFailed;
        base = size.QuadPart;
    } else if (origin != kSeekFromStart) {
        return kSeekFailed;
    }
    if (file.failed)
        return kSeekFailed;
    const int64_t target = base + offset;
    // Positions from 4 GiB - 1 on cannot be told apart from the failure answer.
    if (target < 0 || static_cast<uint64_t>(target) >= kSeekFailed)
        return kSeekFailed;
    file.position = static_cast<uint64_t>(target);
    return static_cast<uint32_t>(target);
}

FileObject openWithFlags(const char* path, int32_t mode, DWORD flags, bool buffered) {
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
    return wrapHandle(handle, buffered);
}

FileObject openFile(void* /*context*/, const char* path, int32_t mode) {
    return openWithFlags(path, mode, FILE_ATTRIBUTE_NORMAL, false);
}

int32_t closeFile(void* /*context*/, FileObject file) {
    ConsoleFile& console = consoleFile(file);
    // A temporary file vanishes on close; what it still held has been read back or is not wanted.
    const bool settled = console.buffer == nullptr || settleBuffer(console);
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
    return position == INVALID_SET_FILE_POINTER ? kSeekFailed : position;
}

int32_t readFile(void* /*context*/, FileObject file, uint32_t count, void* buffer) {
    const auto wanted = std::min<DWORD>(count, std::numeric_limits<int32_t>::max());
    if (consoleFile(file).buffer != nullptr)
        return readBuffered(consoleFile(file), static_cast<char*>(buffer), wanted);
    DWORD done = 0;
    if (ReadFile(handleOf(file), buffer, wanted, &done, nullptr) == 0)
        return -1;
    return static_cast<int32_t>(done);
}

int32_t writeFile(void* /*context*/, FileObject file, uint32_t count, const void* buffer) {
    const auto wanted = std::min<DWORD>(count, std::numeric_limits<int32_t>::max());
    if (consoleFile(file).buffer != nullptr)
        return writeBuffered(consoleFile(file), static_cast<const char*>(buffer), wanted);
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
    FileObject file = openWithFlags(name, kOpenCreate,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, true);
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
