// Test fixtures: a throwaway Wine prefix in a temporary folder (user.reg, drive_c, the dosdevices
// link for C:), a user.reg writer in Wine's own layout and a users.dat writer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace hollin::test {

// Writes user.reg text as Wine does: header, one "[Key\\Path] time" section per key, values.
class UserRegWriter {
  public:
    // Without the header, the text continues a file already written.
    explicit UserRegWriter(bool withHeader = true) {
        if (!withHeader) {
            text_.clear();
        }
    }
    UserRegWriter& key(std::string_view path);
    UserRegWriter& text(std::string_view name, std::string_view value);
    UserRegWriter& number(std::string_view name, std::uint32_t value);
    [[nodiscard]] std::string str() const { return text_; }

  private:
    std::string text_ =
        "WINE REGISTRY Version 2\n;; All keys relative to "
        "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n";
};

// Escapes backslashes and quotes the way Wine writes them.
[[nodiscard]] std::string escapeRegText(std::string_view text);

struct UsersDatEntry {
    std::uint16_t magic = 0;
    std::string name;
    std::string folder;
};

// users.dat bytes: count, 12 filler bytes, then each entry followed (all but the last) by a few
// bytes of other data and the 0x01 0x80 marker; the last entry is followed by `tail`.
[[nodiscard]] std::string usersDatBytes(const std::vector<UsersDatEntry>& users,
                                        std::string_view tail = std::string_view("\x07\x00\x00",
                                                                                 3));

class TempWinePrefix {
  public:
    TempWinePrefix();
    ~TempWinePrefix();
    TempWinePrefix(const TempWinePrefix&) = delete;
    TempWinePrefix& operator=(const TempWinePrefix&) = delete;

    [[nodiscard]] const std::filesystem::path& root() const { return root_; }
    [[nodiscard]] std::filesystem::path driveC() const { return root_ / "drive_c"; }
    [[nodiscard]] std::filesystem::path userReg() const { return root_ / "user.reg"; }

    // Writes `bytes` to a file, creating its folders; `relative` is relative to the prefix root.
    void writeFile(const std::filesystem::path& relative, std::string_view bytes) const;
    [[nodiscard]] std::string readFile(const std::filesystem::path& relative) const;

    // A prefix with Palm Desktop as it is usually installed: the vendor key with the data folder
    // C:\Palm, the last user name, a HotSync Manager key, and users.dat with user folders.
    void installPalmDesktop(const std::vector<UsersDatEntry>& users, std::string_view lastUser,
                            std::string_view vendor = "U.S. Robotics") const;

  private:
    std::filesystem::path root_;
};

// Every file below `folder` with its contents, one "relative/path=contents" line each, sorted:
// shows in one string what a call wrote.
[[nodiscard]] std::string listFiles(const std::filesystem::path& folder);

}  // namespace hollin::test
