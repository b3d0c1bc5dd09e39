// File, temporary-file and memory callbacks on POSIX descriptors. A temporary file is created
// with mkstemp and unlinked at once: it is gone from the directory while still usable, so it
// vanishes when closed and is not left behind when the process is killed.
//
// Temporary files go through a buffer of their own: the HTML reader writes its style runs, block
// and link records a few bytes at a time, and the section writers and the compressor read them
// back the same way; a system call for each made the conversion of a large page several times
// slower. A temporary file keeps its own position and reaches the file with pread and pwrite at
// explicit offsets; its buffer holds either bytes written but not yet sent (sent before anything
// else is done with the file) or a window of the file's bytes for reading (dropped by any write).
// A failure to send written bytes fails the call that needed them and every later call.
#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "cli/ConsoleCallbacks.h"

namespace skerrit {

namespace {

// The temporary directory's name must leave room for the file name in the system's 260-byte
// path limit, which the program keeps on every platform.
constexpr std::size_t kTempDirectoryCapacity = 240;

constexpr uint32_t kBufferSize = 16384;

enum class BufferUse : uint8_t { kNone, kWriting, kReading };

struct ConsoleFile {
    int descriptor;
    char* buffer;  // temporary files only; null: plain calls on the descriptor
    // The rest is used with a buffer only.
    uint64_t position;     // the file's position as the engine sees it
    BufferUse use;         // what the buffer holds
    uint64_t bufferStart;  // file offset of buffer[0]
    uint32_t bufferCount;  // bytes held
    bool failed;           // written bytes could not be sent: the file's contents are lost
};

ConsoleFile& consoleFile(FileObject file) {
    return *static_cast<ConsoleFile*>(file);
}

int descriptorOf(FileObject file) {
    return consoleFile(file).descriptor;
}

FileObject wrapDescriptor(int descriptor, bool buffered) {
    char* buffer = buffered ? new (std::nothrow) char[kBufferSize] : nullptr;
    ConsoleFile* file = nullptr;
    if (!buffered || buffer != nullptr) {
        file = new (std::nothrow) ConsoleFile{descriptor, buffer, 0, BufferUse::kNone, 0, 0, false};
    }
    if (file == nullptr) {
        delete[] buffer;
        close(descriptor);
    }
    return file;
}

// Loops over short transfers and interruptions: fewer bytes than asked for means the end of the
// file (reads) or a failure (writes), never a transient condition.
bool writeAllAt(int descriptor, const char* bytes, std::size_t count, uint64_t offset) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put =
            pwrite(descriptor, bytes + done, count - done, static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

ssize_t readAllAt(int descriptor, char* bytes, std::size_t count, uint64_t offset) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got =
            pread(descriptor, bytes + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

// Sends written bytes still in the buffer and empties it; false (for good) once sending failed.
bool settleBuffer(ConsoleFile& file) {
    if (file.use == BufferUse::kWriting && !file.failed)
        file.failed = !writeAllAt(file.descriptor, file.buffer, file.bufferCount, file.bufferStart);
    file.use = BufferUse::kNone;
    file.bufferCount = 0;
    return !file.failed;
}

int32_t writeBuffered(ConsoleFile& file, const char* bytes, std::size_t count) {
    if (file.failed)
        return -1;
    const bool appends = file.use == BufferUse::kWriting &&
                         file.position == file.bufferStart + file.bufferCount &&
                         file.bufferCount + count <= kBufferSize;
    if (!appends) {
        if (!settleBuffer(file))
            return -1;
        if (count >= kBufferSize) {
            if (!writeAllAt(file.descriptor, bytes, count, file.position))
                return -1;
            file.position += count;
            return static_cast<int32_t>(count);
        }
        file.use = BufferUse::kWriting;
        file.bufferStart = file.position;
    }
    std::memcpy(file.buffer + file.bufferCount, bytes, count);
    file.bufferCount += static_cast<uint32_t>(count);
    file.position += count;
    return static_cast<int32_t>(count);
}

int32_t readBuffered(ConsoleFile& file, char* bytes, std::size_t count) {
    if (file.use == BufferUse::kWriting && !settleBuffer(file))
        return -1;
    if (file.failed)
        return -1;
    std::size_t done = 0;
    while (done < count) {
        const bool inWindow = file.use == BufferUse::kReading &&
                              file.position >= file.bufferStart &&
                              file.position < file.bufferStart + file.bufferCount;
        if (!inWindow) {
            if (count - done >= kBufferSize) {  // large reads skip the window
                const ssize_t got =
                    readAllAt(file.descriptor, bytes + done, count - done, file.position);
                if (got < 0)
                    return -1;
                done += static_cast<std::size_t>(got);
                file.position += static_cast<uint64_t>(got);
                break;
            }
            const ssize_t got = readAllAt(file.descriptor, file.buffer, kBufferSize, file.position);
            if (got < 0)
                return -1;
            file.use = BufferUse::kReading;
            file.bufferStart = file.position;
            file.bufferCount = static_cast<uint32_t>(got);
            if (got == 0)
                break;  // the end of the file
        }
        const std::size_t offset = static_cast<std::size_t>(file.position - file.bufferStart);
        const std::size_t taken = std::min<std::size_t>(count - done, file.bufferCount - offset);
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
        struct stat status {};
        if (fstat(file.descriptor, &status) != 0)
            return kSeekFailed;
        base = static_cast<int64_t>(status.st_size);
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

FileObject openFile(void* /*context*/, const char* path, int32_t mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case kOpenRead:
            flags |= O_RDONLY;
            break;
        case kOpenCreate:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
        case kOpenReadWrite:
            flags |= O_RDWR | O_CREAT;
            break;
        default:
            return nullptr;
    }
    const int descriptor = open(path, flags, 0666);
    if (descriptor < 0)
        return nullptr;
    // A directory opens for reading on POSIX but is no file to convert or to ask about.
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    return wrapDescriptor(descriptor, false);
}

int32_t closeFile(void* /*context*/, FileObject file) {
    ConsoleFile& console = consoleFile(file);
    // A temporary file vanishes on close; what it still held has been read back or is not wanted.
    const bool settled = console.buffer == nullptr || settleBuffer(console);
    close(console.descriptor);
    delete[] console.buffer;
    delete &console;
    return settled ? 1 : 0;
}

uint32_t seekFile(void* /*context*/, FileObject file, int32_t offset, int32_t origin) {
    if (consoleFile(file).buffer != nullptr)
        return seekBuffered(consoleFile(file), offset, origin);
    int whence = SEEK_SET;
    switch (origin) {
        case kSeekFromStart:
            whence = SEEK_SET;
            break;
        case kSeekFromCurrent:
            whence = SEEK_CUR;
            break;
        case kSeekFromEnd:
            whence = SEEK_END;
            break;
        default:
            return kSeekFailed;
    }
    const off_t position = lseek(descriptorOf(file), offset, whence);
    // Positions from 4 GiB - 1 on cannot be told apart from the failure answer.
    if (position < 0 || static_cast<uint64_t>(position) >= kSeekFailed)
        return kSeekFailed;
    return static_cast<uint32_t>(position);
}

// Reads and writes loop over short transfers and interruptions, so a count below the one asked
// for means the end of the file, never a transient condition.
int32_t readFile(void* /*context*/, FileObject file, uint32_t count, void* buffer) {
    const std::size_t wanted = std::min<std::size_t>(count, std::numeric_limits<int32_t>::max());
    if (consoleFile(file).buffer != nullptr)
        return readBuffered(consoleFile(file), static_cast<char*>(buffer), wanted);
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t got =
            read(descriptorOf(file), static_cast<char*>(buffer) + done, wanted - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<int32_t>(done);
}

int32_t writeFile(void* /*context*/, FileObject file, uint32_t count, const void* buffer) {
    const std::size_t wanted = std::min<std::size_t>(count, std::numeric_limits<int32_t>::max());
    const auto* bytes = static_cast<const char*>(buffer);
    if (consoleFile(file).buffer != nullptr)
        return writeBuffered(consoleFile(file), bytes, wanted);
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t put = write(descriptorOf(file), bytes + done, wanted - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return -1;
        done += static_cast<std::size_t>(put);
    }
    return static_cast<int32_t>(done);
}

FileObject createTempFile(void* /*context*/) {
    const char* directory = std::getenv("TMPDIR");
    if (directory == nullptr || directory[0] == '\0')
        directory = "/tmp";
    if (std::strlen(directory) >= kTempDirectoryCapacity)
        return nullptr;
    std::string name = directory;
    if (name.back() != '/')
        name += '/';
    name += "tmpXXXXXX";
    const int descriptor = mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    unlink(name.c_str());
    return wrapDescriptor(descriptor, true);
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

#endif  // !defined(_WIN32)
