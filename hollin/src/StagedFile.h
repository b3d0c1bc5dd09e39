// A file's new contents written beside it under a hidden name and moved over it only by commit():
// until then the file (or its absence) stays as it was, and contents never committed are removed
// when the StagedFile goes. An install writes its copy this way, sets the install flag, and only
// then lets the copy take the file's place, so that a failure in between changes nothing.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace hollin {

class StagedFile {
  public:
    StagedFile(std::filesystem::path target, std::string_view contents);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // False when the contents could not be written; nothing is then left behind.
    [[nodiscard]] bool written() const { return staged_.has_value(); }
    // Moves the contents over the target; false, the target as it was, when that fails.
    [[nodiscard]] bool commit();

  private:
    std::filesystem::path target_;
    std::optional<std::filesystem::path> staged_;
};

// Replaces the file's contents in one step; the old file (or its absence) stays as it was on any
// failure.
[[nodiscard]] bool replaceFileContents(const std::filesystem::path& target,
                                       std::string_view contents);

}  // namespace hollin
