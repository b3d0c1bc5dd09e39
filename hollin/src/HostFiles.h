// The file services the library needs on the host: reading a whole file, creating a folder, and
// (for copies and registry edits) replacing a file's contents in one step so that no reader ever
// sees half of it.
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

// Writes `contents` to a temporary file beside `target` and renames it over `target`; the old
// file (or its absence) stays as it was on any failure. A new file gets the mode of the file it
// replaces, or the usual mode for new files.
[[nodiscard]] bool replaceFileContents(const std::filesystem::path& target,
                                       std::string_view contents);

// Creates the folder's last level; false when it could not be created (an existing folder too).
bool createFolder(const std::filesystem::path& folder);

}  // namespace hollin
