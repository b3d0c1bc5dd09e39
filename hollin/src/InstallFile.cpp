// users.dat comes from outside the library, so a user folder is trusted only as a single folder
// name: one with separators, a drive colon or a "." or ".." name would put the Install folder (and
// the copied file) somewhere else under or outside the data folder, and is refused before anything
// is written. The file name of the given path is likewise taken after its last separator.
#include "InstallFile.h"

#include <string>
#include <string_view>

#include "Hollin.h"
#include "HostFiles.h"

namespace hollin {
namespace {

// Install files are databases of at most a few megabytes; the limit only stops a runaway read.
constexpr std::size_t kLargestInstallFile = std::size_t{1} << 30;

bool isSingleName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string_view::npos;
}

// The part after the last backslash or colon, and on the host also after the last slash.
std::string_view fileNameOf(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\:/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

void setInstallFlag(Registry& registry, std::uint16_t magic) {
    const std::unique_ptr<RegistryKey> vendor = openVendorKey(registry);
    if (!vendor) {
        return;
    }
    const std::unique_ptr<RegistryKey> hotSync =
        vendor->openSubKey("Pilot Desktop\\HotSync Manager");
    if (!hotSync) {
        return;
    }
    // The flag is best effort: the file is already in place, and the HotSync Manager also finds
    // files in the Install folder when the user asks it to install.
    [[maybe_unused]] const bool stored = hotSync->setNumber("Install" + std::to_string(magic), 1);
}

}  // namespace

std::int32_t installFileForUser(const TUserData& data, std::int32_t userIndex, const char* filePath,
                                HostPlatform& platform) {
    const TUserEntry* user = nullptr;
    if (const std::int32_t found = data.findUser(userIndex, user); found != HOLLIN_DONE) {
        return found;
    }
    if (filePath == nullptr) {
        return HOLLIN_COPY_FAILED;
    }
    const std::string_view fileName = fileNameOf(filePath);
    if (!isSingleName(user->subDir) || !isSingleName(fileName)) {
        return HOLLIN_COPY_FAILED;
    }
    const std::string installFolder =
        std::string(data.corePath) + "\\" + user->subDir + "\\Install";
    const auto folderOnHost = platform.hostPath(installFolder);
    const auto target = platform.hostPath(installFolder + "\\" + std::string(fileName));
    const auto source = platform.callerPath(filePath);
    if (!folderOnHost || !target || !source) {
        return HOLLIN_COPY_FAILED;
    }
    // Read first, so that a source that cannot be read leaves no empty Install folder behind.
    const std::optional<std::string> contents = readWholeFile(*source, kLargestInstallFile);
    if (!contents) {
        return HOLLIN_COPY_FAILED;
    }
    createFolder(*folderOnHost);
    if (!replaceFileContents(*target, *contents)) {
        return HOLLIN_COPY_FAILED;
    }
    setInstallFlag(platform.registry(), user->magic);
    return HOLLIN_DONE;
}

}  // namespace hollin
