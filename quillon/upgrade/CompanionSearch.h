// Where the upgrade finds ferrand.exe and gostwick.exe. The current folder comes first, so that a
// pair kept beside the user's data still wins; then the folder of Quillon's own executable, where
// the three programs lie side by side in a build tree or an unpacked ZIP; then the installation's
// companion folder, QUILLON_COMPANION_DIR_FROM_BIN from Quillon's folder (libexec/quillon under
// the prefix on Linux), so that Quillon started from a menu or another folder finds its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The folders to look in, in order. An empty program folder (the system cannot tell) leaves out
// the two that depend on it.
std::vector<std::string> CompanionFolders(const std::string& currentFolder,
                                          const std::string& programFolder);

// The full path of the first existing file called program in folders; the path in the first
// folder when there is none, so that the failure names where it was looked for first.
std::string LocateCompanion(std::string_view program, const std::vector<std::string>& folders);

}  // namespace quillon
