#include "FreshLibrary.h"

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace hollin::test {
namespace {

template <typename Function>
bool lookUp(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool loadApi(void*& library, HollinApi& api) {
    library = dlopen(HOLLIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return library != nullptr && lookUp(library, "ud_InstallUser", api.installUser) &&
           lookUp(library, "ud_GetUserSubDir", api.getUserSubDir) &&
           lookUp(library, "ud_GetUserName", api.getUserName) &&
           lookUp(library, "ud_GetUserMagic", api.getUserMagic) &&
           lookUp(library, "ud_GetCore", api.getCore) &&
           lookUp(library, "ud_GetLastUserNumber", api.getLastUserNumber) &&
           lookUp(library, "ud_GetNumUsers", api.getNumUsers);
}

[[noreturn]] void runChild(int output, const std::filesystem::path& prefix,
                           const std::function<std::string(HollinApi&)>& body) {
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
    void* library = nullptr;
    HollinApi api;
    std::string report;
    if (!loadApi(library, api)) {
        report = std::string("cannot load the library: ") + dlerror();
    } else {
        api.reload = [&library, &api]() {
            dlclose(library);
            if (dlopen(HOLLIN_LIBRARY, RTLD_NOW | RTLD_NOLOAD) != nullptr) {
                return false;
            }
            return loadApi(library, api);
        };
        report = body(api);
    }
    std::string_view rest = report;
    while (!rest.empty()) {
        const ssize_t written = ::write(output, rest.data(), rest.size());
        if (written <= 0) {
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    ::_exit(0);
}

std::string bufferText(const std::array<char, 300>& buffer) {
    std::string text = "'";
    text += buffer.data();
    text += '\'';
    return text;
}

std::array<char, 300> untouchedBuffer() {
    std::array<char, 300> buffer{};
    std::strcpy(buffer.data(), "untouched");
    return buffer;
}

}  // namespace

std::string inFreshLibrary(const std::filesystem::path& prefix,
                           const std::function<std::string(HollinApi&)>& body) {
    std::array<int, 2> pipeEnds{};
    if (::pipe(pipeEnds.data()) != 0) {
        return "cannot create a pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        runChild(pipeEnds[1], prefix, body);
    }
    ::close(pipeEnds[1]);
    std::string report;
    std::array<char, 4096> block{};
    for (ssize_t got; (got = ::read(pipeEnds[0], block.data(), block.size())) > 0;) {
        report.append(block.data(), static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        return "cannot run the child process";
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return report + " [child failed with status " + std::to_string(status) + "]";
    }
    return report;
}

std::string describeUsers(HollinApi& api) {
    auto core = untouchedBuffer();
    const int32_t coreResult = api.getCore(core.data());
    const int32_t userCount = api.getNumUsers();
    std::string line = "core=" + std::to_string(coreResult) + ":" + bufferText(core) +
                       " users=" + std::to_string(userCount) +
                       " last=" + std::to_string(api.getLastUserNumber());
    for (int32_t index = 0; index <= std::max(userCount, int32_t{0}); ++index) {
        auto name = untouchedBuffer();
        auto folder = untouchedBuffer();
        const int32_t nameResult = api.getUserName(index, name.data());
        const int32_t folderResult = api.getUserSubDir(index, folder.data());
        line += " | " + std::to_string(index) + ":" + std::to_string(nameResult) + " " +
                bufferText(name) + " " + std::to_string(folderResult) + " " + bufferText(folder) +
                " " + std::to_string(api.getUserMagic(index));
    }
    return line;
}

}  // namespace hollin::test
