// Where a Wine prefix keeps what Palm Desktop sees: user.reg for HKEY_CURRENT_USER, and one link
// per drive letter in dosdevices/ through which Windows paths ("C:\Palm") reach host files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace hollin {

class WinePrefix {
  public:
    explicit WinePrefix(std::filesystem::path root) : root_(std::move(root)) {}

    // $WINEPREFIX when set and not empty, else ~/.wine, as Wine itself chooses.
    [[nodiscard]] static WinePrefix fromEnvironment();

    [[nodiscard]] const std::filesystem::path& root() const { return root_; }
    [[nodiscard]] std::filesystem::path userRegistryFile() const { return root_ / "user.reg"; }

    // The host path of a Windows path with a drive letter ("C:\Palm\users.dat"). Like Windows,
    // each existing folder or file is found without regard to the case of A-Z, "." and ".." are
    // resolved within the drive, and "/" separates like "\". Nothing for paths without a drive
    // letter or for a drive the prefix does not map. The path is windows-1252 text and each
    // component is looked up by its UTF-8 spelling, the name Wine gives the host file.
    [[nodiscard]] std::optional<std::filesystem::path> hostPath(std::string_view windowsPath) const;

    // The entry of the host folder `folder` named `hostName` (already spelt as the host spells
    // names), found as hostPath finds each component; `folder / hostName` when there is none.
    [[nodiscard]] static std::filesystem::path entryIn(const std::filesystem::path& folder,
                                                       const std::string& hostName);

  private:
    std::filesystem::path root_;
};

// True for "X:" followed by anything: a path of the Windows side rather than of the host.
[[nodiscard]] bool hasDriveLetter(std::string_view path);

}  // namespace hollin
