// The few registry services the library needs, behind an interface: the Linux build reads and
// edits a Wine prefix's user.reg, a Windows build would call the Win32 registry. Every path is
// relative to HKEY_CURRENT_USER and uses single backslashes ("Software\Palm Computing").
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace hollin {

class RegistryKey {
  public:
    virtual ~RegistryKey() = default;

    // A text value as 8-bit text up to its first NUL. Empty when the value is missing, is not
    // text, or needs more than `capacity` bytes with its terminating NUL: like a fixed buffer
    // that is too small, a value that does not fit is not read at all rather than cut.
    [[nodiscard]] virtual std::optional<std::string> readText(std::string_view valueName,
                                                              std::size_t capacity) = 0;
    // Sets a 32-bit number value, creating it if needed; false when it could not be stored.
    [[nodiscard]] virtual bool setNumber(std::string_view valueName, std::uint32_t value) = 0;
    // Opens an existing key below this one; null when there is none.
    [[nodiscard]] virtual std::unique_ptr<RegistryKey> openSubKey(std::string_view path) = 0;
};

class Registry {
  public:
    virtual ~Registry() = default;

    // Opens an existing key under HKEY_CURRENT_USER; null when there is none.
    [[nodiscard]] virtual std::unique_ptr<RegistryKey> openCurrentUserKey(
        std::string_view path) = 0;
};

}  // namespace hollin
