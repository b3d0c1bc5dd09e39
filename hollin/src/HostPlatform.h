// The services of the system the library runs on, as the exports use them: the registry of the
// current user, and the way from the Windows paths Palm Desktop stores to files the host can open.
// The Linux build serves them from a Wine prefix; a Windows build would use the Win32 registry
// and take paths as they are.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "Registry.h"
#include "UserData.h"

namespace hollin {

class HostPlatform {
  public:
    virtual ~HostPlatform() = default;

    [[nodiscard]] virtual Registry& registry() = 0;
    // A path as Palm Desktop stores it ("C:\Palm\users.dat") as a path this host can open.
    [[nodiscard]] virtual std::optional<std::filesystem::path> hostPath(
        std::string_view windowsPath) const = 0;
    // A path a host program passes in: a Windows path, or on a POSIX host also one of its own.
    [[nodiscard]] virtual std::optional<std::filesystem::path> callerPath(
        std::string_view path) const = 0;

    [[nodiscard]] HostPathMapper pathMapper() const {
        return [this](std::string_view windowsPath) { return hostPath(windowsPath); };
    }
};

// The platform of this build, set up from the environment (on Linux: $WINEPREFIX, else ~/.wine).
[[nodiscard]] std::unique_ptr<HostPlatform> makeHostPlatform();

}  // namespace hollin
