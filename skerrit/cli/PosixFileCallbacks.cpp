// File, temporary-file and memory callbacks on POSIX descriptors. A temporary file is created
// with mkstemp and unlinked at once: it is gone from the directory while still usable, so it
// vanishes when closed and is not left behind when the process is killed.
//
// Temporary files gather small writes in a buffer of their own: the HTML reader writes its style
// runs, block records and link records a few bytes at a time, and a system call for each made the
// conversion of a large page several times slower. The buffer is written out before any read,
// seek or close of that file, so the engine sees exactly the bytes it wrote; a failure to write
// it out fails that read or seek (and every later call on the file), which is the point where the
// lost bytes would have been needed.
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

constexpr uint32_t kWriteBufferSize = 16384;

struct ConsoleFile {
    int descriptor;
    char* writeBuffer;  // temporary files only; null: every write goes straight to the file
    uint32_t pending;   // bytes in writeBuffer not yet written to the file
    bool failed;        // writing out the buffer failed: the file's contents are lost
};

ConsoleFile& consoleFile(FileObject file) {
    return *static_cast<ConsoleFile*>(file);
}

int descriptorOf(FileObject file) {
    return consoleFile(file).descriptor;
}

FileObject wrapDescriptor(int descriptor, bool buffered) {
    char* buffer = buffered ? new (std::nothrow) char[kWriteBufferSize] : nullptr;
    auto* file = buffered && buffer == nullptr ? nullptr
                                               : new (std::nothrow)
                                                     ConsoleFile{descriptor, buffer, 0, false};
    if (file == nullptr) {
        delete[] buffer;
        close(descriptor);
    }
    return file;
}

// Writes all of the bytes, looping over short transfers and interruptions.
bool writeAll(int descriptor, const char* bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = write(descriptor, bytes + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Writes the buffered bytes out; false (for good) once that has failed.
bool writePending(ConsoleFile& file) {
    if (file.pending > 0 && !file.failed) {
        file.failed = !writeAll(file.descriptor, file.writeBuffer, file.pending);
        file.pending = 0;
    }
    return !file.failed;
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
    const bool written = writePending(console);
    close(console.descriptor);
    delete[] console.writeBuffer;
    delete &console;
    return written ? 1 : 0;
}

uint32_t seekFile(void* /*context*/, FileObject file, int32_t offset, int32_t origin) {
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
    if (!writePending(consoleFile(file)))
        return kSeekFailed;
    const off_t position = lseek(descriptorOf(file), offset, whence);
    // Positions from 4 GiB - 1 on cannot be told apart from the failure answer.
    if (position < 0 || static_cast<uint64_t>(position) >= kSeekFailed)
        return kSeekFailed;
    return static_cast<uint32_t>(position);
}

// Reads and writes loop over short transfers and interruptions, so a count below the one asked
// for means the end of the file, never a transient condition.
int32_t readFile(void* /*context*/, FileObject file, uint32_t count, void* buffer) {
    if (!writePending(consoleFile(file)))
        return -1;
    const std::size_t wanted = std::min<std::size_t>(count, std::numeric_limits<int32_t>::max());
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
    ConsoleFile& console = consoleFile(file);
    const std::size_t wanted = std::min<std::size_t>(count, std::numeric_limits<int32_t>::max());
    const auto* bytes = static_cast<const char*>(buffer);
    if (console.writeBuffer != nullptr && wanted < kWriteBufferSize) {
        if (console.pending + wanted > kWriteBufferSize && !writePending(console))
            return -1;
        if (console.failed)
            return -1;
        std::memcpy(console.writeBuffer + console.pending, bytes, wanted);
        console.pending += static_cast<uint32_t>(wanted);
        return static_cast<int32_t>(wanted);
    }
    if (!writePending(console) || !writeAll(console.descriptor, bytes, wanted))
        return -1;
    return static_cast<int32_t>(wanted);
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
