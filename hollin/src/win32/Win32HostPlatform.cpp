// The Windows platform: the registry is the real one, and the paths Palm Desktop stores and the
// paths host programs pass are already paths of this system. Narrow paths are in the ANSI code
// page; they are widened with it here so that the file functions see the same names the ANSI
// Win32 functions would. Installs are serialised by a named mutex.
#include <windows.h>

#include "HostPlatform.h"
#include "Win32InstallMutex.h"
#include "Win32Registry.h"

namespace hollin {
namespace {

std::optional<std::filesystem::path> widenAnsiPath(std::string_view path) {
    if (path.empty()) {
        return std::nullopt;
    }
    const auto length = static_cast<int>(path.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, path.data(), length, nullptr, 0);
    if (units <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, path.data(), length, wide.data(), units) != units) {
        return std::nullopt;
    }
    return std::filesystem::path(std::move(wide));
}

class Win32HostPlatform final : public HostPlatform {
  public:
    Registry& registry() override { return registry_; }

    std::optional<std::filesystem::path> hostPath(std::string_view windowsPath) const override {
        return widenAnsiPath(windowsPath);
    }

    std::optional<std::filesystem::path> callerPath(std::string_view path) const override {
        return widenAnsiPath(path);
    }

    std::optional<std::filesystem::path> callerFileIn(const std::filesystem::path& folder,
                                                      std::string_view /*callerPath*/,
                                                      std::string_view fileName) const override {
        const std::optional<std::filesystem::path> name = widenAnsiPath(fileName);
        if (!name) {
            return std::nullopt;
        }
        return folder / *name;
    }

    std::unique_ptr<InstallLock> lockInstalls() override { return lockInstallMutex(); }

  private:
    Win32Registry registry_;
};

}  // namespace

std::unique_ptr<HostPlatform> makeHostPlatform() {
    return std::make_unique<Win32HostPlatform>();
}

}  // namespace hollin
