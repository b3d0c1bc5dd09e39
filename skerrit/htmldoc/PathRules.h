// The string rules that turn references into page names: classify a path, take a page's
// directory, join a base and a reference, fold "." and ".." segments and split off a "#" fragment.
// They touch no file system; the command line uses the same join and folding for the source path.
#pragma once

#include <cstddef>
#include <cstdint>

namespace skerrit {

// Every buffer these routines fill: at most 1023 characters and the terminator.
inline constexpr std::size_t kPathCapacity = 1024;
inline constexpr std::size_t kMaxPathLength = kPathCapacity - 1;

enum PathKind : int32_t {
    kPathRelative = 0,
    kPathDrive = 1,   // "C:\..." or "C:/..."
    kPathUnc = 2,     // "\\server\share..."
    kPathRooted = 3,  // "/..."
    kPathHttp = 4,    // "http://...", the scheme in any case
};

[[nodiscard]] PathKind pathKind(const char* path);

// A drive letter and ":" not followed by a separator ("C:book.txt", "C:").
[[nodiscard]] bool isDriveRelative(const char* path);

// The prefix of the path up to and including its last separator; "" when it has none.
void directoryPart(const char* path, char* out);

// Joins a relative reference to a base of kind 1 to 4; any other reference is the result as it
// is. Fails (false, out unspecified) for a relative or overlong base.
[[nodiscard]] bool joinPath(const char* base, const char* reference, char* out);

// Removes "/./" and "segment/../" in place and, for drive and UNC names, turns slashes into
// backslashes. Fails when ".." climbs above the first separator.
[[nodiscard]] bool normalisePath(char* path);

// name := everything before the first "#", fragment := everything after it. Fails when either
// part is longer than 1023 characters.
[[nodiscard]] bool splitFragment(const char* reference, char* name, char* fragment);

}  // namespace skerrit
