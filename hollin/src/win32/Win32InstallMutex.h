// Installs of all processes of the session wait for one another on one named mutex, so that two
// programs queueing files at once never see each other's copy half done.
#pragma once

#include <memory>

#include "HostPlatform.h"

namespace hollin {

// Waits for the mutex HOLLIN_INSTALL_MUTEX and holds it until the result is destroyed; null when
// the mutex cannot be made or waited for.
[[nodiscard]] std::unique_ptr<InstallLock> lockInstallMutex();

}  // namespace hollin
