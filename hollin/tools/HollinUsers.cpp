// hollin-users: lists the HotSync users Hollin finds and queues a file for one of them. It loads
// the library at run time, as host programs do, so it also shows that the library loads on its own.
//
//   hollin-users [--library FILE] list
//   hollin-users [--library FILE] install USER FILE
//   hollin-users --help | --version
#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Hollin.h"
#include "HollinVersion.h"
#include "UserListDiagnosis.h"
#include "WinePrefix.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct HollinApi {
    ud_InstallUserFn installUser = nullptr;
    ud_GetUserSubDirFn getUserSubDir = nullptr;
    ud_GetUserNameFn getUserName = nullptr;
    ud_GetUserMagicFn getUserMagic = nullptr;
    ud_GetCoreFn getCore = nullptr;
    ud_GetLastUserNumberFn getLastUserNumber = nullptr;
    ud_GetNumUsersFn getNumUsers = nullptr;
};

void printUsage(std::FILE* out) {
    std::fputs(
        "Usage: hollin-users [--library FILE] list\n"
        "       hollin-users [--library FILE] install USER FILE\n"
        "       hollin-users --help | --version\n"
        "\n"
        "Lists the HotSync users of Palm Desktop, or queues FILE for the next HotSync of USER\n"
        "(a number from the list, or a user name). Palm Desktop is looked for in the Wine prefix\n"
        "$WINEPREFIX, else ~/.wine. Wine must not be running while a file is installed.\n"
        "FILE is a path of this system, or, with a drive letter (C:\\book.pdb, C:book.pdb), a\n"
        "path inside the Wine prefix.\n"
        "\n"
        "Exit status: 0 done, 1 Hollin reported a failure or could not be loaded, 2 the command\n"
        "line was not understood.\n",
        out);
}

std::filesystem::path programFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

// The library by its soname, the name that stays when only the library's minor version changes:
// beside this program (the build tree), then in the library folder of the installation this
// program belongs to, then wherever the system's loader finds it.
void* openLibrary(const char* requested) {
    if (requested != nullptr) {
        return dlopen(requested, RTLD_NOW | RTLD_LOCAL);
    }
    if (const std::filesystem::path folder = programFolder(); !folder.empty()) {
        for (const std::filesystem::path& candidate :
             {folder / HOLLIN_LIBRARY_SONAME,
              folder / HOLLIN_LIBRARY_DIR_FROM_BIN / HOLLIN_LIBRARY_SONAME}) {
            std::error_code error;
            if (std::filesystem::exists(candidate, error)) {
                return dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            }
        }
    }
    return dlopen(HOLLIN_LIBRARY_SONAME, RTLD_NOW | RTLD_LOCAL);
}

template <typename Function>
bool lookUp(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr) {
        std::fprintf(stderr, "hollin-users: the library lacks %s\n", name);
    }
    return function != nullptr;
}

bool lookUpAll(void* library, HollinApi& api) {
    // Evaluated one after the other so that every missing export is named.
    bool ok = lookUp(library, "ud_InstallUser", api.installUser);
    ok = lookUp(library, "ud_GetUserSubDir", api.getUserSubDir) && ok;
    ok = lookUp(library, "ud_GetUserName", api.getUserName) && ok;
    ok = lookUp(library, "ud_GetUserMagic", api.getUserMagic) && ok;
    ok = lookUp(library, "ud_GetCore", api.getCore) && ok;
    ok = lookUp(library, "ud_GetLastUserNumber", api.getLastUserNumber) && ok;
    ok = lookUp(library, "ud_GetNumUsers", api.getNumUsers) && ok;
    return ok;
}

const char* describe(int32_t result) {
    switch (result) {
        case HOLLIN_NOT_FOUND:
            return "Palm Desktop was not found: the Wine prefix has no Palm Desktop registry keys";
        case HOLLIN_NO_USER_LIST:
            return "Palm Desktop has no user list (no data folder, or its users.dat is missing, "
                   "damaged or empty)";
        case HOLLIN_BAD_INDEX:
            return "there is no user with that number";
        case HOLLIN_COPY_FAILED:
            return "the file could not be copied into the user's Install folder, or that folder "
                   "lies outside Palm Desktop's data folder; nothing was installed";
        case HOLLIN_FLAG_NOT_SET:
            return "the user's install flag could not be set (the registry has no HotSync Manager "
                   "key, or the Wine prefix or its user.reg cannot be written); nothing was "
                   "installed";
        default:
            return "unexpected result";
    }
}

// The prefix the library reads, chosen as Wine chooses it; named when Palm Desktop is not found.
std::string winePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "~") + "/.wine";
}

// What is missing on the way to the user list, and where it was looked for.
void explainUserList() {
    for (const std::string& line : hollin::explainMissingUserList()) {
        std::fprintf(stderr, "hollin-users: %s\n", line.c_str());
    }
}

int fail(int32_t result) {
    std::fprintf(stderr, "hollin-users: %s (%d)\n", describe(result), static_cast<int>(result));
    if (result == HOLLIN_NOT_FOUND) {
        std::fprintf(stderr, "hollin-users: Wine prefix: %s (set WINEPREFIX to choose another)\n",
                     winePrefix().c_str());
    }
    if (result == HOLLIN_NOT_FOUND || result == HOLLIN_NO_USER_LIST) {
        explainUserList();
    }
    return kExitFailure;
}

int listUsers(const HollinApi& api) {
    std::array<char, HOLLIN_CORE_BUFFER_SIZE> core{};
    if (const int32_t result = api.getCore(core.data()); result != HOLLIN_DONE) {
        return fail(result);
    }
    const int32_t userCount = api.getNumUsers();
    const int32_t lastUser = api.getLastUserNumber();
    std::printf("Palm Desktop data folder: %s\n", core[0] != '\0' ? core.data() : "(none)");
    std::printf("Users: %d\n", static_cast<int>(userCount));
    if (userCount <= 0) {
        explainUserList();
        return 0;
    }
    std::printf("Last user: %d\n\n", static_cast<int>(lastUser));
    std::printf("%5s  %5s  %-32s  %s\n", "User", "Magic", "Folder", "Name");
    for (int32_t index = 0; index < userCount; ++index) {
        std::array<char, HOLLIN_NAME_BUFFER_SIZE> name{};
        std::array<char, HOLLIN_NAME_BUFFER_SIZE> folder{};
        const int32_t magic = api.getUserMagic(index);
        if (api.getUserName(index, name.data()) != HOLLIN_DONE ||
            api.getUserSubDir(index, folder.data()) != HOLLIN_DONE || magic < 0) {
            return fail(magic < 0 ? magic : HOLLIN_BAD_INDEX);
        }
        std::printf("%5d  %5d  %-32s  %s%s\n", static_cast<int>(index), static_cast<int>(magic),
                    folder.data(), name.data(), index == lastUser ? "  (last user)" : "");
    }
    return 0;
}

// A user named on the command line: an index as `list` prints it, or else a user name.
bool findUser(const HollinApi& api, const char* text, int32_t& userIndex) {
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 10);
    if (*text != '\0' && *end == '\0' && errno == 0 && number >= 0 && number <= INT32_MAX) {
        userIndex = static_cast<int32_t>(number);
        return true;
    }
    const int32_t userCount = api.getNumUsers();
    for (int32_t index = 0; index < userCount; ++index) {
        std::array<char, HOLLIN_NAME_BUFFER_SIZE> name{};
        if (api.getUserName(index, name.data()) == HOLLIN_DONE &&
            std::strcmp(name.data(), text) == 0) {
            userIndex = index;
            return true;
        }
    }
    return false;
}

// A drive letter makes a path one of the Wine prefix ("C:\\book.pdb", or "C:book.pdb" at the
// root of C:), which the library reads as it stands (hollin::hasDriveLetter is its own test). Any
// other path is this system's; a relative one is the caller's, and the library is given it in full.
std::string libraryPath(const char* file) {
    if (hollin::hasDriveLetter(file)) {
        return file;
    }
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(file, error);
    return error ? std::string(file) : path.string();
}

int installFile(const HollinApi& api, const char* user, const char* file) {
    int32_t userIndex = 0;
    if (!findUser(api, user, userIndex)) {
        const int32_t userCount = api.getNumUsers();
        if (userCount < 0) {
            return fail(userCount);
        }
        std::fprintf(stderr, "hollin-users: no user is named \"%s\"\n", user);
        return kExitFailure;
    }
    const std::string full = libraryPath(file);
    if (const int32_t result = api.installUser(userIndex, full.c_str()); result != HOLLIN_DONE) {
        return fail(result);
    }
    std::array<char, HOLLIN_NAME_BUFFER_SIZE> name{};
    if (api.getUserName(userIndex, name.data()) != HOLLIN_DONE) {
        name[0] = '\0';
    }
    std::printf("%s is queued for the next HotSync of %s.\n", full.c_str(), name.data());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<const char*> arguments(argv + 1, argv + argc);
    const char* libraryPath = nullptr;
    if (arguments.size() >= 2 && std::string_view(arguments[0]) == "--library") {
        libraryPath = arguments[1];
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    const bool list = arguments.size() == 1 && std::string_view(arguments[0]) == "list";
    const bool install = arguments.size() == 3 && std::string_view(arguments[0]) == "install";
    if (arguments.size() == 1 &&
        (std::string_view(arguments[0]) == "--help" || std::string_view(arguments[0]) == "-h")) {
        printUsage(stdout);
        return 0;
    }
    if (arguments.size() == 1 && std::string_view(arguments[0]) == "--version") {
        std::fputs(HOLLIN_USERS_VERSION_TEXT "\n", stdout);
        return 0;
    }
    if (!list && !install) {
        printUsage(stderr);
        return kExitUsage;
    }
    void* library = openLibrary(libraryPath);
    if (library == nullptr) {
        std::fprintf(stderr, "hollin-users: cannot load the Hollin library: %s\n", dlerror());
        return kExitFailure;
    }
    HollinApi api;
    int status = kExitFailure;
    if (lookUpAll(library, api)) {
        status = list ? listUsers(api) : installFile(api, arguments[1], arguments[2]);
    }
    dlclose(library);
    return status;
}
