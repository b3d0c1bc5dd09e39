// The file services the library needs on the host: reading a whole file, folders, writing a file's
// new contents beside it and moving them over it in one step (so that no reader ever sees half of
// a file), and following links to where a path really leads. StagedFile builds on these.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace hollin {

// The file's bytes; nothing when it cannot be opened or read to its end, or is larger than
// `sizeLimit` (the files read here are small, and a limit keeps a stray device file harmless).
[[nodiscard]] std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                                       std::size_t sizeLimit);

// Writes `contents` to a new file with a hidden name in `target`'s folder and returns its path;
// nothing, and no file left behind, when it could not be written whole. The new file gets the
// mode of the file it is to replace, or the usual mode for new files.
[[nodiscard]] std::optional<std::filesystem::path> writeStagedFile(
    const std::filesystem::path& target, std::string_view contents);

// Moves a staged file over `target` in one step. False, both left as they were, when that fails
// or when `target` is a file this user may not change: the folder alone would allow the move, but
// a read-only file says the user wants it kept.
[[nodiscard]] bool moveStagedFile(const std::filesystem::path& staged,
                                  const std::filesystem::path& target);

void removeFile(const std::filesystem::path& file);

// Creates the folder's last level; false when it could not be created (an existing folder too).
bool createFolder(const std::filesystem::path& folder);
// Removes the folder if it is empty.
void removeEmptyFolder(const std::filesystem::path& folder);

// Where an existing path really leads: every symbolic link (on Windows also every junction)
// followed, "." and ".." resolved, an absolute path. Nothing when it leads nowhere.
[[nodiscard]] std::optional<std::filesystem::path> resolveExistingPath(
    const std::filesystem::path& path);

}  // namespace hollin
