// Queueing a file for a user's next HotSync: a copy in the user's Install folder under the data
// folder, and the user's install flag in the registry, which the HotSync Manager acts on.
#pragma once

#include <cstdint>

#include "HostPlatform.h"
#include "UserData.h"

namespace hollin {

// 0 when the copy is in place and the flag set; otherwise nothing is changed (an earlier copy of
// that name stays as it was) and the result says why: -2 without a user list, -3 for an index
// outside it, -4 when the file could not be placed (the copy failed, or the user's folder, its
// Install folder or the file name would lead outside the data folder), -5 when the install flag
// could not be set (no HotSync Manager key, or the registry cannot be written).
[[nodiscard]] std::int32_t installFileForUser(const TUserData& data, std::int32_t userIndex,
                                              const char* filePath, HostPlatform& platform);

}  // namespace hollin
