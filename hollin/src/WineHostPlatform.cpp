// The Linux platform: Palm Desktop runs under Wine, so its registry is the prefix's user.reg and
// its drive letters are the prefix's dosdevices links. Installs are serialised by the lock file
// beside user.reg.
#include "AnsiText.h"
#include "HostPlatform.h"
#include "WinePrefix.h"
#include "WineRegistry.h"
#include "WineRegistryLock.h"

namespace hollin {
namespace {

class WineHostPlatform final : public HostPlatform {
  public:
    explicit WineHostPlatform(WinePrefix prefix)
        : prefix_(std::move(prefix)), registry_(prefix_.userRegistryFile()) {}

    Registry& registry() override { return registry_; }

    std::optional<std::filesystem::path> hostPath(std::string_view windowsPath) const override {
        return prefix_.hostPath(windowsPath);
    }

    std::optional<std::filesystem::path> callerPath(std::string_view path) const override {
        if (hasDriveLetter(path)) {
            return prefix_.hostPath(path);
        }
        return std::filesystem::path(path);
    }

    // A Windows path is windows-1252 text like the paths Palm Desktop stores; a host path already
    // spells its names as the host does.
    std::optional<std::filesystem::path> callerFileIn(const std::filesystem::path& folder,
                                                      std::string_view callerPath,
                                                      std::string_view fileName) const override {
        const std::string hostName =
            hasDriveLetter(callerPath) ? utf8FromAnsi(fileName) : std::string(fileName);
        return WinePrefix::entryIn(folder, hostName);
    }

    std::unique_ptr<InstallLock> lockInstalls() override {
        return lockRegistryFile(prefix_.userRegistryFile());
    }

  private:
    WinePrefix prefix_;
    WineRegistry registry_;
};

}  // namespace

std::unique_ptr<HostPlatform> makeHostPlatform() {
    return std::make_unique<WineHostPlatform>(WinePrefix::fromEnvironment());
}

}  // namespace hollin
