// TUserData: what the library knows of Palm Desktop on this computer, read once from the registry
// and users.dat and then kept unchanged until the library is unloaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "Registry.h"
#include "UsersDatReader.h"

namespace hollin {

// Turns a Windows path as Palm Desktop stores it into a path of the host; nothing when the path
// leads nowhere on this host.
using HostPathMapper =
    std::function<std::optional<std::filesystem::path>(std::string_view windowsPath)>;

// Sizes of the registry text fields, terminating NUL included: the largest values read.
inline constexpr std::size_t kCorePathFieldSize = 256;
inline constexpr std::size_t kLastUserNameFieldSize = 32;

class TUserData {
  public:
    virtual ~TUserData() = default;

    // Reads what the registry and users.dat hold. The result has `rootFound` false when neither
    // vendor key exists; callers discard such an instance.
    [[nodiscard]] static std::unique_ptr<TUserData> create(Registry& registry,
                                                           const HostPathMapper& hostPath);

    // 0 with the entry, -2 without a user list, -3 for an index outside it.
    [[nodiscard]] std::int32_t findUser(std::int32_t userIndex, const TUserEntry*& entry) const;

    std::uint8_t userCount = 0;
    std::int32_t lastUserIndex = 0;
    char corePath[kCorePathFieldSize] = {};
    char lastUserName[kLastUserNameFieldSize] = {};
    std::unique_ptr<TUserEntry[]> users;
    bool rootFound = false;

  private:
    void loadUserList(const HostPathMapper& hostPath);
};

// "Software\U.S. Robotics" when it exists, else "Software\Palm Computing"; null when neither does.
[[nodiscard]] std::unique_ptr<RegistryKey> openVendorKey(Registry& registry);

}  // namespace hollin
