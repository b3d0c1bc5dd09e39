// flock() rather than fcntl() record locks: a record lock belongs to the process and goes away
// when the process closes any descriptor of the file, which a library cannot rule out for its
// host; a flock belongs to the descriptor opened here, and also keeps two threads apart. The file
// stays when the lock is released: removing it would let one process lock the removed file while
// another locks a new one. It is opened for reading only, so that a lock file another account of a
// shared prefix created still serves.
#include "WineRegistryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace hollin {
namespace {

class FileLock final : public InstallLock {
  public:
    explicit FileLock(int descriptor) : descriptor_(descriptor) {}
    ~FileLock() override { ::close(descriptor_); }  // closing releases the lock
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int descriptor_;
};

}  // namespace

std::filesystem::path registryLockFile(const std::filesystem::path& userRegistryFile) {
    std::error_code error;
    std::filesystem::path file = std::filesystem::weakly_canonical(userRegistryFile, error);
    if (error) {
        file = userRegistryFile;
    }
    file += ".lock";
    return file;
}

std::unique_ptr<InstallLock> lockRegistryFile(const std::filesystem::path& userRegistryFile) {
    const std::filesystem::path lockFile = registryLockFile(userRegistryFile);
    const int descriptor = ::open(lockFile.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    int locked = 0;
    while ((locked = ::flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        ::close(descriptor);
        return nullptr;
    }
    return std::make_unique<FileLock>(descriptor);
}

}  // namespace hollin
