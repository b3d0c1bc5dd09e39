#include "UserListDiagnosis.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <system_error>

#include "HostFiles.h"
#include "UserData.h"
#include "UsersDatReader.h"
#include "WinePrefix.h"
#include "WineRegistry.h"

namespace hollin {
namespace {

constexpr std::array<std::string_view, 2> kVendorKeys = {"Software\\U.S. Robotics",
                                                         "Software\\Palm Computing"};
constexpr std::size_t kLargestUsersFile = std::size_t{64} << 20;

bool pathExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::string userListProblem(const WinePrefix& prefix, const std::string& dataFolder) {
    const std::string windowsPath = dataFolder + "\\users.dat";
    if (!hasDriveLetter(dataFolder)) {
        return "the data folder \"" + dataFolder + "\" is not a path with a drive letter";
    }
    const std::optional<std::filesystem::path> host = prefix.hostPath(windowsPath);
    if (!host) {
        return windowsPath + ": the prefix has no drive " + windowsPath.substr(0, 2) +
               " (no link " + (prefix.root() / "dosdevices").string() + "/" +
               static_cast<char>(windowsPath[0] | 0x20) + ":)";
    }
    const std::string where = windowsPath + " (" + host->string() + ")";
    if (!pathExists(*host)) {
        return where + " does not exist";
    }
    const std::optional<std::string> bytes = readWholeFile(*host, kLargestUsersFile);
    if (!bytes) {
        return where + " cannot be read";
    }
    const std::optional<UserList> list = readUsersDat(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()), "");
    if (!list) {
        return where + " ends before its user entries do";
    }
    if (list->users.empty()) {
        return where + " holds no users";
    }
    return {};
}

}  // namespace

std::vector<std::string> explainMissingUserList() {
    const WinePrefix prefix = WinePrefix::fromEnvironment();
    if (!pathExists(prefix.root())) {
        return {"the Wine prefix " + prefix.root().string() +
                " does not exist (set WINEPREFIX to choose another)"};
    }
    const std::filesystem::path userReg = prefix.userRegistryFile();
    if (!pathExists(userReg)) {
        return {userReg.string() +
                " does not exist: Palm Desktop's registry keys (HKEY_CURRENT_USER) are kept there"};
    }
    WineRegistry registry(userReg);
    std::unique_ptr<RegistryKey> vendor;
    std::string vendorName;
    for (const std::string_view name : kVendorKeys) {
        if ((vendor = registry.openCurrentUserKey(name))) {
            vendorName = std::string(name);
            break;
        }
    }
    if (!vendor) {
        return {userReg.string() + " has neither HKEY_CURRENT_USER\\" +
                std::string(kVendorKeys[0]) + " nor HKEY_CURRENT_USER\\" +
                std::string(kVendorKeys[1])};
    }
    const std::string coreName = "HKEY_CURRENT_USER\\" + vendorName + "\\Pilot Desktop\\Core";
    const std::unique_ptr<RegistryKey> core = vendor->openSubKey("Pilot Desktop\\Core");
    if (!core) {
        return {userReg.string() + " has no key " + coreName};
    }
    const std::optional<std::string> dataFolder = core->readText("Path", kCorePathFieldSize);
    if (!dataFolder) {
        return {coreName + " in " + userReg.string() +
                " has no \"Path\" value (the data folder), or one longer than 255 characters"};
    }
    if (std::string problem = userListProblem(prefix, *dataFolder); !problem.empty()) {
        return {std::move(problem)};
    }
    return {};
}

}  // namespace hollin
