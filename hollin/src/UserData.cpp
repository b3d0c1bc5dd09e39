#include "UserData.h"

#include <cstring>

#include "Hollin.h"
#include "HostFiles.h"

namespace hollin {
namespace {

// users.dat holds at most 255 entries of a few hundred bytes; a file far larger is not Palm
// Desktop's, and reading it whole would only waste memory.
constexpr std::size_t kLargestUsersFile = std::size_t{64} << 20;

template <std::size_t FieldSize>
void storeText(char (&field)[FieldSize], const std::string& text) {
    static_assert(FieldSize > 0);
    const std::size_t length = std::min(text.size(), FieldSize - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

}  // namespace

std::unique_ptr<RegistryKey> openVendorKey(Registry& registry) {
    if (auto key = registry.openCurrentUserKey("Software\\U.S. Robotics")) {
        return key;
    }
    return registry.openCurrentUserKey("Software\\Palm Computing");
}

std::unique_ptr<TUserData> TUserData::create(Registry& registry, const HostPathMapper& hostPath) {
    auto data = std::make_unique<TUserData>();
    const std::unique_ptr<RegistryKey> vendor = openVendorKey(registry);
    if (!vendor) {
        return data;
    }
    data->rootFound = true;
    if (const auto preferences = vendor->openSubKey("Pilot Desktop\\Preferences")) {
        if (const auto name = preferences->readText("LastUserName", kLastUserNameFieldSize)) {
            storeText(data->lastUserName, *name);
        }
    }
    if (const auto core = vendor->openSubKey("Pilot Desktop\\Core")) {
        if (const auto path = core->readText("Path", kCorePathFieldSize)) {
            storeText(data->corePath, *path);
            data->loadUserList(hostPath);
        }
    }
    return data;
}

void TUserData::loadUserList(const HostPathMapper& hostPath) {
    const std::optional<std::filesystem::path> file =
        hostPath(std::string(corePath) + "\\users.dat");
    if (!file) {
        return;
    }
    const std::optional<std::string> bytes = readWholeFile(*file, kLargestUsersFile);
    if (!bytes) {
        return;
    }
    const std::optional<UserList> list =
        readUsersDat(std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()),
                     lastUserName);
    if (!list || list->users.empty()) {
        return;
    }
    userCount = static_cast<std::uint8_t>(list->users.size());
    users = std::make_unique<TUserEntry[]>(userCount);
    std::copy(list->users.begin(), list->users.end(), users.get());
    lastUserIndex = list->lastUserIndex;
}

std::int32_t TUserData::findUser(std::int32_t userIndex, const TUserEntry*& entry) const {
    entry = nullptr;
    if (userCount == 0) {
        return HOLLIN_NO_USER_LIST;
    }
    if (userIndex < 0 || userIndex >= userCount) {
        return HOLLIN_BAD_INDEX;
    }
    entry = &users[static_cast<std::size_t>(userIndex)];
    return HOLLIN_DONE;
}

}  // namespace hollin
