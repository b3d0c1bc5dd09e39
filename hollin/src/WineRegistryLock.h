// The lock file beside a Wine prefix's user.reg. Setting a value means reading user.reg whole,
// changing one line and writing the file back; two processes doing that at once would each write
// over the other's change. Every install therefore holds an exclusive lock on "user.reg.lock"
// beside the file (beside the file a link points to, so that prefixes sharing one user.reg share
// one lock) from before it reads user.reg until it has written it.
#pragma once

#include <filesystem>
#include <memory>

#include "HostPlatform.h"

namespace hollin {

[[nodiscard]] std::filesystem::path registryLockFile(const std::filesystem::path& userRegistryFile);

// Waits for the lock and holds it until the result is destroyed; null when the lock file can be
// neither opened nor created.
[[nodiscard]] std::unique_ptr<InstallLock> lockRegistryFile(
    const std::filesystem::path& userRegistryFile);

}  // namespace hollin
