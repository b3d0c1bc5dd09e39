// users.dat comes from outside the library, so a user folder is trusted only as a single folder
// name: one with separators, a drive colon or a "." or ".." name would put the Install folder (and
// the copied file) somewhere else under or outside the data folder, and is refused before anything
// is written. The file name of the given path is likewise taken after its last separator. Links
// are the other way out: the user's folder or its Install folder may be a symbolic link (or on
// Windows a junction), so the Install folder is followed to where it really is, must lie below the
// data folder (itself followed), and is then written through that resolved path.
//
// The copy is staged in the Install folder, the flag set, and only then the copy moved into place;
// a failure at any step leaves the Install folder as it was (one the install created is removed
// again). The whole sequence runs under the platform's install lock, so that installs of other
// processes neither write over this one's flag nor see a copy half done.
#include "InstallFile.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "Hollin.h"
#include "HostFiles.h"
#include "StagedFile.h"

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

// True when `inner` is a folder below `outer`, compared name by name (so "Palm2" is not below
// "Palm"); both are resolved paths.
bool liesBelow(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    const auto [outerRest, innerRest] =
        std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return outerRest == outer.end() && innerRest != inner.end() && !innerRest->empty();
}

// Where the Install folder really is: the folder itself followed when it exists (a link that
// leads nowhere is refused), else where it will be made, in its resolved parent.
std::optional<std::filesystem::path> resolveInstallFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(folder, error))) {
        return resolveExistingPath(folder);
    }
    const std::optional<std::filesystem::path> parent = resolveExistingPath(folder.parent_path());
    if (!parent) {
        return std::nullopt;
    }
    return *parent / folder.filename();
}

bool setInstallFlag(Registry& registry, std::uint16_t magic) {
    const std::unique_ptr<RegistryKey> vendor = openVendorKey(registry);
    if (!vendor) {
        return false;
    }
    const std::unique_ptr<RegistryKey> hotSync =
        vendor->openSubKey("Pilot Desktop\\HotSync Manager");
    return hotSync && hotSync->setNumber("Install" + std::to_string(magic), 1);
}

// Makes the Install folder when it is missing, and removes it again unless told to keep it: a
// failed install leaves no empty folder behind.
class NewFolder {
  public:
    explicit NewFolder(std::filesystem::path folder)
        : folder_(std::move(folder)), created_(createFolder(folder_)) {}
    ~NewFolder() {
        if (created_ && !kept_) {
            removeEmptyFolder(folder_);
        }
    }
    NewFolder(const NewFolder&) = delete;
    NewFolder& operator=(const NewFolder&) = delete;

    void keep() { kept_ = true; }

  private:
    std::filesystem::path folder_;
    bool created_;
    bool kept_ = false;
};

// The Install folder resolved, when it lies below the resolved data folder.
std::optional<std::filesystem::path> installFolderInside(const std::filesystem::path& dataFolder,
                                                         const std::filesystem::path& folder) {
    const auto resolvedData = resolveExistingPath(dataFolder);
    auto resolved = resolveInstallFolder(folder);
    if (!resolvedData || !resolved || !liesBelow(*resolved, *resolvedData)) {
        return std::nullopt;
    }
    return resolved;
}

// The steps that change something, under the install lock. Declared in this order, a copy that is
// not committed goes before the folder it was staged in.
std::int32_t placeAndFlag(const std::filesystem::path& installFolder,
                          const std::filesystem::path& fileName, std::string_view contents,
                          std::uint16_t magic, Registry& registry) {
    NewFolder folder(installFolder);
    StagedFile copy(installFolder / fileName, contents);
    if (!copy.written()) {
        return HOLLIN_COPY_FAILED;
    }
    if (!setInstallFlag(registry, magic)) {
        return HOLLIN_FLAG_NOT_SET;
    }
    // A move that fails now leaves the flag set over the earlier copy, or over none: the HotSync
    // Manager then installs what the folder holds, which does no harm.
    if (!copy.commit()) {
        return HOLLIN_COPY_FAILED;
    }
    folder.keep();
    return HOLLIN_DONE;
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
    const auto dataOnHost = platform.hostPath(data.corePath);
    const auto folderOnHost = platform.hostPath(installFolder);
    const auto source = platform.callerPath(filePath);
    if (!dataOnHost || !folderOnHost || !source) {
        return HOLLIN_COPY_FAILED;
    }
    const auto target = platform.callerFileIn(*folderOnHost, filePath, fileName);
    if (!target) {
        return HOLLIN_COPY_FAILED;
    }
    // Read before anything is locked or written: the source may be large or slow to read, and
    // one that cannot be read leaves nothing behind.
    const std::optional<std::string> contents = readWholeFile(*source, kLargestInstallFile);
    if (!contents) {
        return HOLLIN_COPY_FAILED;
    }
    // Written through the resolved path, so that the links just checked are not followed again.
    const auto resolvedFolder = installFolderInside(*dataOnHost, *folderOnHost);
    if (!resolvedFolder) {
        return HOLLIN_COPY_FAILED;
    }
    const std::unique_ptr<InstallLock> lock = platform.lockInstalls();
    if (!lock) {
        return HOLLIN_FLAG_NOT_SET;
    }
    // The copy's name as an existing file of that name is spelt, which a Wine prefix finds
    // without regard to case.
    return placeAndFlag(*resolvedFolder, target->filename(), *contents, user->magic,
                        platform.registry());
}

}  // namespace hollin
