// Queueing a file for a user's next HotSync: a copy in the user's Install folder under the data
// folder, and the user's install flag in the registry, which the HotSync Manager acts on.
#pragma once

#include <cstdint>

#include "HostPlatform.h"
#include "UserData.h"

namespace hollin {

// 0, or -2 without a user list, -3 for an index outside it, -4 when the file could not be placed
// (the copy failed, or the user's folder or the file name would lead out of the Install folder).
// A missing HotSync Manager key is not a failure: the file then waits without the flag.
[[nodiscard]] std::int32_t installFileForUser(const TUserData& data, std::int32_t userIndex,
                                              const char* filePath, HostPlatform& platform);

}  // namespace hollin
