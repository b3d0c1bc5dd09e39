// The POSIX half of the file services: open(O_EXCL), fsync and rename(2), which replaces its
// target in one step within one file system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "database/FileSystem.h"

namespace quillon::platform {

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
    // Only a privileged process may give a file away; others keep their own ownership.
    static_cast<void>(::chown(newFile.c_str(), status.st_uid, status.st_gid));
    static_cast<void>(::chmod(newFile.c_str(), status.st_mode & 07777));
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

}  // namespace quillon::platform
