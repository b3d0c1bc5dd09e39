// File, temporary-file and memory callbacks on POSIX descriptors. A temporary file is created
// with mkstemp and unlinked at once: it is gone from the directory while still usable, so it
// vanishes when closed and is not left behind when the process is killed.
//
// The destination (a kOpenCreate open) is made with mkstemp as ".name.XXXXXX" beside the file it
// names, with the permissions that file has (or would get), and published with rename, which
// replaces the old file in one step; before that it is fsync'ed, so a crash afterwards does not
// leave an empty file in its place. A destination that is a symbolic link is published over the
// file the link points to, as writing through the link would have changed that file. The
// temporary name is kept in static storage for the signal handlers of the console
// (PosixConsole.cpp).
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
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

// The temporary directory's name must leave room for the file name in the system's 260-byte
// path limit, which the program keeps on every platform.
constexpr std::size_t kTempDirectoryCapacity = 240;

constexpr uint32_t kBufferSize = 16384;

// Names as the engine gave them, kept for the failure report; longer ones are cut.
constexpr std::size_t kNameCapacity = 1024;
// The file-name part of an output's temporary name stays well within NAME_MAX.
constexpr std::size_t kOutputBaseNameLimit = 200;

// The signals on whose arrival the console removes the output (PosixConsole.cpp); they are held
// back while the output's name is being made or taken down, so the name a handler reads is whole.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

enum class BufferUse : uint8_t { kNone, kWriting, kReading };

enum class FileRole : uint8_t { kPlain, kTemporary, kOutput };

struct ConsoleFile {
    int descriptor;
    FileRole role;
    char* buffer;  // temporary files only; null: plain calls on the descriptor
    // The rest is used with a buffer only.
    uint64_t position;     // the file's position as the engine sees it
    BufferUse use;         // what the buffer holds
    uint64_t bufferStart;  // file offset of buffer[0]
    uint32_t bufferCount;  // bytes held
    bool failed;           // written bytes could not be sent: the file's contents are lost
    char name[kNameCapacity];
};

// The last failure: which file and the errno value.
struct FailureRecord {
    bool happened;
    int error;
    char file[kNameCapacity];
};
FailureRecord lastFailure;

void copyName(char (&out)[kNameCapacity], const char* name) {
    std::strncpy(out, name, kNameCapacity - 1);
    out[kNameCapacity - 1] = '\0';
}

void recordFailure(const char* file, int error) {
    lastFailure.happened = true;
    lastFailure.error = error;
    copyName(lastFailure.file, file);
}

// The destination under its temporary name, from its open until publishOutput or discardOutput.
struct PendingOutput {
    bool active;
    int descriptor;
    char name[kNameCapacity];  // as the engine named it
    char finalPath[PATH_MAX];  // the file it replaces
};
PendingOutput pendingOutput;
// Read by the signal handlers: set only while temporaryPath holds a whole name.
char temporaryPath[PATH_MAX];
volatile sig_atomic_t temporaryPathSet = 0;

// Holds the ending signals back for its lifetime.
class EndingSignalsHeld {
  public:
    EndingSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int signalNumber : kEndingSignals)
            sigaddset(&held, signalNumber);
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~EndingSignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

  private:
    sigset_t previous_;
};

ConsoleFile& consoleFile(FileObject file) {
    return *static_cast<ConsoleFile*>(file);
}

// Takes the descriptor over; on failure it is closed, unless it is the pending output's.
FileObject wrapDescriptor(int descriptor, FileRole role, const char* name) {
    const bool buffered = role == FileRole::kTemporary;
    char* buffer = buffered ? new (std::nothrow) char[kBufferSize] : nullptr;
    ConsoleFile* file = nullptr;
    if (!buffered || buffer != nullptr) {
        file = new (std::nothrow)
            ConsoleFile{descriptor, role, buffer, 0, BufferUse::kNone, 0, 0, false, {}};
    }
    if (file == nullptr) {
        recordFailure(name, ENOMEM);
        delete[] buffer;
        if (role != FileRole::kOutput)
            close(descriptor);
        return nullptr;
    }
    copyName(file->name, name);
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
        if (put == 0)
            errno = EIO;
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
    if (file.use == BufferUse::kWriting && !file.failed) {
        file.failed = !writeAllAt(file.descriptor, file.buffer, file.bufferCount, file.bufferStart);
        if (file.failed)
            recordFailure(file.name, errno);
    }
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
            if (!writeAllAt(file.descriptor, bytes, count, file.position)) {
                recordFailure(file.name, errno);
                return -1;
            }
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
                if (got < 0) {
                    recordFailure(file.name, errno);
                    return -1;
                }
                done += static_cast<std::size_t>(got);
                file.position += static_cast<uint64_t>(got);
                break;
            }
            const ssize_t got = readAllAt(file.descriptor, file.buffer, kBufferSize, file.position);
            if (got < 0) {
                recordFailure(file.name, errno);
                return -1;
            }
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

// A position the 32-bit answer can carry: positions from 4 GiB - 1 on cannot be told apart from
// the failure answer.
uint32_t reachablePosition(const ConsoleFile& file, int64_t target) {
    if (target < 0) {
        recordFailure(file.name, EINVAL);
        return kSeekFailed;
    }
    if (static_cast<uint64_t>(target) >= kSeekFailed) {
        recordFailure(file.name, EFBIG);
        return kSeekFailed;
    }
    return static_cast<uint32_t>(target);
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
        if (fstat(file.descriptor, &status) != 0) {
            recordFailure(file.name, errno);
            return kSeekFailed;
        }
        base = static_cast<int64_t>(status.st_size);
    } else if (origin != kSeekFromStart) {
        return kSeekFailed;
    }
    if (file.failed)
        return kSeekFailed;
    const uint32_t position = reachablePosition(file, base + offset);
    if (position != kSeekFailed)
        file.position = position;
    return position;
}

// The permissions a new output gets: those of the file it replaces, else what creating the file
// would have given.
mode_t outputPermissions(const struct stat* existing) {
    if (existing != nullptr)
        return existing->st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// An existing destination must be one the user may write, as creating it over the old one
// required; a folder is no destination.
bool existingDestinationWritable(const char* path, const struct stat& status) {
    if (S_ISDIR(status.st_mode)) {
        recordFailure(path, EISDIR);
        return false;
    }
    const int probe = open(path, O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (probe < 0) {
        recordFailure(path, errno);
        return false;
    }
    close(probe);
    return true;
}

// ".name.XXXXXX" in the folder of finalPath.
bool outputTemplate(const char* finalPath, char (&out)[PATH_MAX]) {
    const char* slash = std::strrchr(finalPath, '/');
    const std::size_t folderLength =
        slash == nullptr ? 0 : static_cast<std::size_t>(slash - finalPath) + 1;
    const char* baseName = finalPath + folderLength;
    const std::size_t baseLength = std::min(std::strlen(baseName), kOutputBaseNameLimit);
    const int length =
        std::snprintf(out, sizeof out, "%.*s.%.*s.XXXXXX", static_cast<int>(folderLength),
                      finalPath, static_cast<int>(baseLength), baseName);
    return length > 0 && static_cast<std::size_t>(length) < sizeof out;
}

FileObject openOutput(const char* path) {
    if (pendingOutput.active) {
        recordFailure(path, EBUSY);
        return nullptr;
    }
    struct stat status {};
    const bool exists = stat(path, &status) == 0;
    if (exists && !existingDestinationWritable(path, status))
        return nullptr;
    PendingOutput output{true, -1, {}, {}};
    copyName(output.name, path);
    if (!exists || realpath(path, output.finalPath) == nullptr) {
        if (std::strlen(path) >= sizeof output.finalPath) {
            recordFailure(path, ENAMETOOLONG);
            return nullptr;
        }
        std::strcpy(output.finalPath, path);
    }
    {
        const EndingSignalsHeld held;
        if (!outputTemplate(output.finalPath, temporaryPath)) {
            recordFailure(path, ENAMETOOLONG);
            return nullptr;
        }
        output.descriptor = mkostemp(temporaryPath, O_CLOEXEC);
        if (output.descriptor < 0) {
            recordFailure(path, errno);
            return nullptr;
        }
        temporaryPathSet = 1;
    }
    // Without the right permissions the file still holds the database; nothing to fail for.
    static_cast<void>(fchmod(output.descriptor, outputPermissions(exists ? &status : nullptr)));
    pendingOutput = output;
    FileObject file = wrapDescriptor(output.descriptor, FileRole::kOutput, path);
    if (file == nullptr)
        discardOutput();
    return file;
}

FileObject openFile(void* /*context*/, const char* path, int32_t mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case kOpenRead:
            flags |= O_RDONLY;
            break;
        case kOpenCreate:
            return openOutput(path);
        case kOpenReadWrite:
            flags |= O_RDWR | O_CREAT;
            break;
        default:
            return nullptr;
    }
    const int descriptor = open(path, flags, 0666);
    if (descriptor < 0) {
        recordFailure(path, errno);
        return nullptr;
    }
    // A directory opens for reading on POSIX but is no file to convert or to ask about.
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        recordFailure(path, EISDIR);
        close(descriptor);
        return nullptr;
    }
    return wrapDescriptor(descriptor, FileRole::kPlain, path);
}

int32_t closeFile(void* /*context*/, FileObject file) {
    ConsoleFile& console = consoleFile(file);
    // A temporary file vanishes on close; what it still held has been read back or is not wanted.
    const bool settled = console.buffer == nullptr || settleBuffer(console);
    // The output's descriptor stays open for publishOutput or discardOutput.
    if (console.role != FileRole::kOutput)
        close(console.descriptor);
    delete[] console.buffer;
    delete &console;
    return settled ? 1 : 0;
}

uint32_t seekFile(void* /*context*/, FileObject file, int32_t offset, int32_t origin) {
    ConsoleFile& console = consoleFile(file);
    if (console.buffer != nullptr)
        return seekBuffered(console, offset, origin);
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
    const off_t position = lseek(console.descriptor, offset, whence);
    if (position < 0) {
        recordFailure(console.name, errno);
        return kSeekFailed;
    }
    return reachablePosition(console, position);
}

// Reads and writes loop over short transfers and interruptions, so a count below the one asked
// for means the end of the file, never a transient condition.
int32_t readFile(void* /*context*/, FileObject file, uint32_t count, void* buffer) {
    const std::size_t wanted = std::min<std::size_t>(count, std::numeric_limits<int32_t>::max());
    ConsoleFile& console = consoleFile(file);
    if (console.buffer != nullptr)
        return readBuffered(console, static_cast<char*>(buffer), wanted);
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t got =
            read(console.descriptor, static_cast<char*>(buffer) + done, wanted - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            recordFailure(console.name, errno);
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<int32_t>(done);
}

int32_t writeFile(void* /*context*/, FileObject file, uint32_t count, const void* buffer) {
    const std::size_t wanted = std::min<std::size_t>(count, std::numeric_limits<int32_t>::max());
    const auto* bytes = static_cast<const char*>(buffer);
    ConsoleFile& console = consoleFile(file);
    if (console.buffer != nullptr)
        return writeBuffered(console, bytes, wanted);
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t put = write(console.descriptor, bytes + done, wanted - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            recordFailure(console.name, put < 0 ? errno : EIO);
            return -1;
        }
        done += static_cast<std::size_t>(put);
    }
    return static_cast<int32_t>(done);
}

FileObject createTempFile(void* /*context*/) {
    const char* directory = std::getenv("TMPDIR");
    if (directory == nullptr || directory[0] == '\0')
        directory = "/tmp";
    const std::string place = std::string("temporary file in ") + directory;
    if (std::strlen(directory) >= kTempDirectoryCapacity) {
        recordFailure(place.c_str(), ENAMETOOLONG);
        return nullptr;
    }
    std::string name = directory;
    if (name.back() != '/')
        name += '/';
    name += "tmpXXXXXX";
    const int descriptor = mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) {
        recordFailure(place.c_str(), errno);
        return nullptr;
    }
    unlink(name.c_str());
    return wrapDescriptor(descriptor, FileRole::kTemporary, place.c_str());
}

void* allocate(void* /*context*/, uint32_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        recordFailure("", ENOMEM);
    return block;
}

int32_t release(void* /*context*/, void* block) {
    std::free(block);
    return 1;
}

int32_t silentProgress(void* /*context*/, int32_t /*code*/, const void* /*data*/) {
    return 1;
}

void forgetTemporaryPath() {
    const EndingSignalsHeld held;
    temporaryPathSet = 0;
}

}  // namespace

ConverterCallbacks consoleCallbacksTemplate() {
    return ConverterCallbacks{nullptr,    &openFile,       &closeFile, &seekFile, &readFile,
                              &writeFile, &createTempFile, &allocate,  &release,  &silentProgress};
}

SystemFailure lastSystemFailure() {
    if (!lastFailure.happened)
        return SystemFailure{};
    return SystemFailure{true, lastFailure.file, std::strerror(lastFailure.error)};
}

void forgetSystemFailure() {
    lastFailure.happened = false;
}

bool publishOutput() {
    if (!pendingOutput.active)
        return true;
    PendingOutput& output = pendingOutput;
    bool published = fsync(output.descriptor) == 0;
    if (!published)
        recordFailure(output.name, errno);
    if (close(output.descriptor) != 0 && published) {
        recordFailure(output.name, errno);
        published = false;
    }
    {
        const EndingSignalsHeld held;
        if (published && rename(temporaryPath, output.finalPath) != 0) {
            recordFailure(output.name, errno);
            published = false;
        }
        if (!published)
            unlink(temporaryPath);
        temporaryPathSet = 0;
    }
    output.active = false;
    return published;
}

void discardOutput() {
    if (!pendingOutput.active)
        return;
    close(pendingOutput.descriptor);
    unlink(temporaryPath);
    forgetTemporaryPath();
    pendingOutput.active = false;
}

void discardOutputFromSignalHandler() {
    if (temporaryPathSet != 0)
        unlink(temporaryPath);
}

}  // namespace skerrit

#endif  // !defined(_WIN32)
