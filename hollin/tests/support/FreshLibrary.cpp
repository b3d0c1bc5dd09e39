#include "FreshLibrary.h"

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

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

// Sends `text` whole down a pipe; a reader that went away ends it early.
void writeReport(int output, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(output, text.data(), text.size());
        if (written <= 0) {
            break;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Descriptors of one start line: the children say they are ready on one pipe and wait for the
// other to close before they call the library.
struct StartLine {
    int ready = -1;                // the children write one byte here when loaded
    int start = -1;                // and wait here until the parent closes the other end
    int parentEnds[2] = {-1, -1};  // the parent's ends, which no child may hold open
};

[[noreturn]] void runChild(int output, const std::filesystem::path& prefix,
                           const std::function<std::string(HollinApi&)>& body,
                           StartLine startLine) {
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
    void* library = nullptr;
    HollinApi api;
    std::string report;
    const bool loaded = loadApi(library, api);
    if (startLine.ready >= 0) {
        writeReport(startLine.ready, "r");
        ::close(startLine.ready);
        char go = 0;
        while (::read(startLine.start, &go, 1) > 0) {
        }
        ::close(startLine.start);
    }
    if (!loaded) {
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
    writeReport(output, report);
    ::_exit(0);
}

struct Child {
    pid_t process = -1;
    int report = -1;  // read end of the child's report pipe
};

Child startChild(const std::filesystem::path& prefix,
                 const std::function<std::string(HollinApi&)>& body, StartLine startLine,
                 const std::vector<Child>& earlier) {
    std::array<int, 2> pipeEnds{};
    if (::pipe(pipeEnds.data()) != 0) {
        return {};
    }
    const pid_t process = ::fork();
    if (process == 0) {
        ::close(pipeEnds[0]);
        for (const int parentEnd : startLine.parentEnds) {
            if (parentEnd >= 0) {
                ::close(parentEnd);
            }
        }
        for (const Child& sibling : earlier) {
            ::close(sibling.report);
        }
        runChild(pipeEnds[1], prefix, body, startLine);
    }
    ::close(pipeEnds[1]);
    if (process < 0) {
        ::close(pipeEnds[0]);
        return {};
    }
    return {process, pipeEnds[0]};
}

std::string finishChild(const Child& child) {
    if (child.process < 0) {
        return "cannot run the child process";
    }
    std::string report;
    std::array<char, 4096> block{};
    for (ssize_t got; (got = ::read(child.report, block.data(), block.size())) > 0;) {
        report.append(block.data(), static_cast<std::size_t>(got));
    }
    ::close(child.report);
    int status = 0;
    if (::waitpid(child.process, &status, 0) != child.process) {
        return "cannot run the child process";
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return report + " [child failed with status " + std::to_string(status) + "]";
    }
    return report;
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
    return finishChild(startChild(prefix, body, StartLine{}, {}));
}

std::vector<std::string> inFreshLibrariesAtOnce(
    const std::filesystem::path& prefix,
    const std::vector<std::function<std::string(HollinApi&)>>& bodies) {
    std::array<int, 2> ready{};
    std::array<int, 2> start{};
    if (::pipe(ready.data()) != 0) {
        return std::vector<std::string>(bodies.size(), "cannot create a pipe");
    }
    if (::pipe(start.data()) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return std::vector<std::string>(bodies.size(), "cannot create a pipe");
    }
    std::vector<Child> children;
    const StartLine startLine{ready[1], start[0], {ready[0], start[1]}};
    for (const auto& body : bodies) {
        children.push_back(startChild(prefix, body, startLine, children));
    }
    ::close(ready[1]);
    ::close(start[0]);
    // Every child has loaded the library (or failed to) when its byte arrives; a child that died
    // early closes its end, so the count ends either way.
    std::size_t readyCount = 0;
    char signal = 0;
    while (readyCount < children.size() && ::read(ready[0], &signal, 1) == 1) {
        ++readyCount;
    }
    ::close(ready[0]);
    ::close(start[1]);
    std::vector<std::string> reports;
    for (const Child& child : children) {
        reports.push_back(finishChild(child));
    }
    return reports;
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
