// Palm Desktop's users.dat as the library reads it: a user count, then one entry per user (number,
// name, folder), the entries separated by bytes the library skips up to a 0x01 0x80 marker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace hollin {

// Field sizes of a user entry, terminating NUL included; longer names and folders are cut to fit.
inline constexpr std::size_t kUserTextFieldSize = 32;

struct TUserEntry {
    std::uint16_t magic = 0;
    char name[kUserTextFieldSize] = {};
    char subDir[kUserTextFieldSize] = {};
};
static_assert(sizeof(TUserEntry) == 66, "a user entry is 66 bytes: magic, name, folder");

struct UserList {
    std::vector<TUserEntry> users;
    std::int32_t lastUserIndex = 0;
};

// The users in file order, and the index of the last one whose whole name equals `lastUserName`
// (0 when none does or `lastUserName` is empty). Nothing when the file ends before its entries do:
// a list cut short is never handed out.
[[nodiscard]] std::optional<UserList> readUsersDat(std::span<const std::uint8_t> bytes,
                                                   std::string_view lastUserName);

}  // namespace hollin
