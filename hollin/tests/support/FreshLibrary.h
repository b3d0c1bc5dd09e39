// Runs test code against the real libHollin.so, loaded fresh in a child process so that every case
// starts without the library's single instance. The child reports back as text.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Hollin.h"

namespace hollin::test {

struct HollinApi {
    ud_InstallUserFn installUser = nullptr;
    ud_GetUserSubDirFn getUserSubDir = nullptr;
    ud_GetUserNameFn getUserName = nullptr;
    ud_GetUserMagicFn getUserMagic = nullptr;
    ud_GetCoreFn getCore = nullptr;
    ud_GetLastUserNumberFn getLastUserNumber = nullptr;
    ud_GetNumUsersFn getNumUsers = nullptr;
    // Unloads the library, checks that it really left the process, and loads it again.
    std::function<bool()> reload;
};

// Runs `body` in a child process with WINEPREFIX set to `prefix` and the library just loaded;
// returns what `body` returned, or a line saying how the child failed.
[[nodiscard]] std::string inFreshLibrary(const std::filesystem::path& prefix,
                                         const std::function<std::string(HollinApi&)>& body);

// Runs each body in a child process of its own as inFreshLibrary does, all at once: every child
// loads the library and waits until all have, so that their calls overlap. The reports come back
// in the order of the bodies.
[[nodiscard]] std::vector<std::string> inFreshLibrariesAtOnce(
    const std::filesystem::path& prefix,
    const std::vector<std::function<std::string(HollinApi&)>>& bodies);

// Everything the read-only exports report, on one line, with output buffers that start out
// holding "untouched": "core=0:'C:\Palm' users=2 last=1 | 0:0 'John Smith' 0 'SmithJ' 1234 | ..."
// up to one index past the list ("| 2:-3 '' -3 '' -3").
[[nodiscard]] std::string describeUsers(HollinApi& api);

}  // namespace hollin::test
