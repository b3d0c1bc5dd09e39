// Fuzzes the users.dat reader: any bytes give either no list or exactly the counted users, each
// with NUL-terminated fields, and a last-user index inside the list.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "UsersDatReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    // The first user's name is a likely last user; so is a name with nothing in common.
    for (const char* lastUser : {"", "John Smith"}) {
        const auto list = hollin::readUsersDat(bytes, lastUser);
        if (!list) {
            continue;
        }
        if (list->users.size() != (size > 0 ? data[0] : 0U) || list->lastUserIndex < 0 ||
            (!list->users.empty() &&
             static_cast<std::size_t>(list->lastUserIndex) >= list->users.size())) {
            std::abort();
        }
        for (const hollin::TUserEntry& user : list->users) {
            if (std::memchr(user.name, 0, sizeof user.name) == nullptr ||
                std::memchr(user.subDir, 0, sizeof user.subDir) == nullptr) {
                std::abort();
            }
        }
    }
    return 0;
}
