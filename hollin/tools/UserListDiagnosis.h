// Why Hollin finds no Palm Desktop or no user list in the Wine prefix: the first thing missing on
// the way from the prefix to users.dat, with the file or registry key and where it was looked for.
// It reads the prefix as the library does (the same readers), so its answer is the library's.
#pragma once

#include <string>
#include <vector>

namespace hollin {

// Lines for the user, in the order of the search; empty when nothing is missing.
std::vector<std::string> explainMissingUserList();

}  // namespace hollin
