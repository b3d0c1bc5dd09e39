// POSIX file services. Replacing goes through mkstemp in the target's own folder and rename(),
// which is atomic on one file system: a program reading the file at the same moment sees either
// the old or the new contents.
#include "HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <vector>

namespace hollin {
namespace {

bool writeAll(int descriptor, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(descriptor, contents.data(), contents.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

mode_t modeForReplacement(const std::filesystem::path& target) {
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) {
        return status.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t sizeLimit) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string contents;
    std::vector<char> block(64 * 1024);
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        contents.append(block.data(), static_cast<std::size_t>(in.gcount()));
        if (contents.size() > sizeLimit) {
            return std::nullopt;
        }
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return contents;
}

std::optional<std::filesystem::path> writeStagedFile(const std::filesystem::path& target,
                                                     std::string_view contents) {
    // A hidden name: a copy cut short by a crash must not look like a file to install.
    std::string hiddenName = ".";
    hiddenName += target.filename().string();
    hiddenName += ".XXXXXX";
    std::string staged = (target.parent_path() / hiddenName).string();
    const int descriptor = ::mkstemp(staged.data());
    if (descriptor < 0) {
        return std::nullopt;
    }
    bool ok = ::fchmod(descriptor, modeForReplacement(target)) == 0 &&
              writeAll(descriptor, contents) && ::fsync(descriptor) == 0;
    ok = (::close(descriptor) == 0) && ok;
    if (!ok) {
        ::unlink(staged.c_str());
        return std::nullopt;
    }
    return staged;
}

bool moveStagedFile(const std::filesystem::path& staged, const std::filesystem::path& target) {
    struct stat status {};
    if (::lstat(target.c_str(), &status) == 0 && !S_ISLNK(status.st_mode) &&
        ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return false;
    }
    return ::rename(staged.c_str(), target.c_str()) == 0;
}

void removeFile(const std::filesystem::path& file) {
    ::unlink(file.c_str());
}

bool createFolder(const std::filesystem::path& folder) {
    return ::mkdir(folder.c_str(), 0777) == 0;
}

void removeEmptyFolder(const std::filesystem::path& folder) {
    ::rmdir(folder.c_str());
}

std::optional<std::filesystem::path> resolveExistingPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::canonical(path, error);
    if (error) {
        return std::nullopt;
    }
    return resolved;
}

}  // namespace hollin
