// The services of the system the library runs on, as the exports use them: the registry of the
// current user, the way from the Windows paths Palm Desktop stores to files the host can open, and
// the lock that serialises installs across processes. The Linux build serves them from a Wine
// prefix; the Windows build uses the Win32 registry and takes paths as they are.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "Registry.h"
#include "UserData.h"

namespace hollin {

// Held while an install places its file and sets its flag; released when destroyed.
class InstallLock {
  public:
    virtual ~InstallLock() = default;
};

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
    // The file `fileName` (the last part of `callerPath`, a path a host program passed in) in the
    // host folder `folder`, spelt as the host spells the file's name there.
    [[nodiscard]] virtual std::optional<std::filesystem::path> callerFileIn(
        const std::filesystem::path& folder, std::string_view callerPath,
        std::string_view fileName) const = 0;

    // Waits until no other install (of this or another process) runs, and keeps others waiting
    // until the result is destroyed. Null when the lock cannot be made: the registry could then
    // not be changed either.
    [[nodiscard]] virtual std::unique_ptr<InstallLock> lockInstalls() = 0;

    [[nodiscard]] HostPathMapper pathMapper() const {
        return [this](std::string_view windowsPath) { return hostPath(windowsPath); };
    }
};

// The platform of this build, set up from the environment (on Linux: $WINEPREFIX, else ~/.wine).
[[nodiscard]] std::unique_ptr<HostPlatform> makeHostPlatform();

}  // namespace hollin
