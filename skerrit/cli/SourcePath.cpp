// Making the typed source name absolute with the same join and folding as page names, so the
// engine always receives a full path.
#include "cli/SourcePath.h"

#include <cstring>

#include "cli/Console.h"

namespace skerrit {

// The typed source name made absolute: a relative name is joined to the current directory (of
// its drive, where the system keeps one per drive) and folded. A path that would not fit in
// 1023 characters is refused rather than cut, since a cut path names another file.
bool fullSourcePath(const std::string& typed, std::array<char, kPathCapacity>& full) {
    if (pathKind(typed.c_str()) != kPathRelative) {
        if (typed.size() > kMaxPathLength)
            return false;
        std::memcpy(full.data(), typed.c_str(), typed.size() + 1);
        return true;
    }
    std::array<char, kPathCapacity> directory{};
    const char* reference = typed.c_str();
    if (console::hasDriveDirectories() && isDriveRelative(reference)) {
        if (!console::driveCurrentDirectory(reference[0], directory.data(), directory.size())) {
            return false;
        }
        reference += 2;
    } else if (!console::currentDirectory(directory.data(), directory.size())) {
        return false;
    }
    if (std::strlen(directory.data()) + 1 + std::strlen(reference) > kMaxPathLength)
        return false;
    if (!joinPath(directory.data(), reference, full.data()))
        return false;
    // A ".." above the root stays as it is; opening the file then decides.
    static_cast<void>(normalisePath(full.data()));
    return true;
}

}  // namespace skerrit
