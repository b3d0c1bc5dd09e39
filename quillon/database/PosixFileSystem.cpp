// The POSIX half of the file services: open(O_EXCL), fsync and rename(2), which replaces its
// target in one step within one file system, and a signal handler that removes the temporary
// files of an interrupted run.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "database/FileSystem.h"

namespace quillon::platform {

namespace {

// A conversion has at most two outputs open at once, the upgrade one more; the handler can only
// use memory that exists before it runs, so the table is fixed.
constexpr size_t kMaxTemporaryFiles = 8;

struct TemporaryFileSlot {
    volatile sig_atomic_t used = 0;
    std::array<char, PATH_MAX> path{};
};
std::array<TemporaryFileSlot, kMaxTemporaryFiles> temporaryFiles;

constexpr std::array<int, 3> kInterruptingSignals = {SIGINT, SIGTERM, SIGHUP};

// Only async-signal-safe calls: unlink, then the default action of the signal, so that the
// process ends as it would have without the handler (and its parent sees the signal).
extern "C" void removeTemporaryFilesAndEnd(int signalNumber) {
    for (const TemporaryFileSlot& slot : temporaryFiles) {
        if (slot.used != 0) {
            ::unlink(slot.path.data());
        }
    }
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void installSignalHandlers() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    for (const int signalNumber : kInterruptingSignals) {
        struct sigaction current {};
        // A signal that was ignored (nohup) or handled by someone else stays as it is.
        if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction handler {};
        handler.sa_handler = &removeTemporaryFilesAndEnd;
        sigemptyset(&handler.sa_mask);
        for (const int blocked : kInterruptingSignals) {
            sigaddset(&handler.sa_mask, blocked);
        }
        static_cast<void>(::sigaction(signalNumber, &handler, nullptr));
    }
}

}  // namespace

void rememberTemporaryFile(const std::string& path) {
    installSignalHandlers();
    for (TemporaryFileSlot& slot : temporaryFiles) {
        if (slot.used == 0 && path.size() < slot.path.size()) {
            std::memcpy(slot.path.data(), path.c_str(), path.size() + 1);
            slot.used = 1;  // only now may the handler read the path
            return;
        }
    }
}

void forgetTemporaryFile(const std::string& path) {
    for (TemporaryFileSlot& slot : temporaryFiles) {
        if (slot.used != 0 && path == slot.path.data()) {
            slot.used = 0;
            return;
        }
    }
}

std::FILE* createNewFile(const std::string& path) {
    // 0666 less the umask, as fopen gives a new file.
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(descriptor, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(descriptor);
        ::unlink(path.c_str());
        errno = error;
    }
    return file;
}

bool syncFile(std::FILE* file) {
    return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

int replaceError(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    if (S_ISDIR(status.st_mode)) {
        return EISDIR;
    }
    // rename(2) would replace a read-only file too; its owner made it read-only to keep it.
    return ::access(path.c_str(), W_OK) == 0 ? 0 : errno;
}

bool isDeviceOrPipe(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 &&
           (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) || S_ISFIFO(status.st_mode) ||
            S_ISSOCK(status.st_mode));
}

std::string followLinks(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
        return path;
    }
    // A link whose target is missing resolves as far as it can; the rest is kept as written.
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
    return error ? path : target.string();
}

void copyOwnerAndPermissions(const std::string& existing, const std::string& newFile) {
    struct stat status {};
    if (::stat(existing.c_str(), &status) != 0) {
        return;
    }
    // Only a privileged process may give a file away; others keep their own ownership, so a
    // refusal here is expected and not a failure of the conversion.
    [[maybe_unused]] const int ownerKept = ::chown(newFile.c_str(), status.st_uid, status.st_gid);
    [[maybe_unused]] const int modeKept = ::chmod(newFile.c_str(), status.st_mode & 07777);
}

bool moveOver(const std::string& from, const std::string& to, std::string& errorText) {
    if (std::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    errorText = std::strerror(errno);
    return false;
}

std::string lastErrorText() {
    return std::strerror(errno);
}

uint32_t processId() {
    return static_cast<uint32_t>(::getpid());
}

std::string_view pathSeparators() {
    return "/";
}

// Linux names the executable in /proc; elsewhere the folder stays unknown.
std::string executableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

}  // namespace quillon::platform
