// Against real Wine: keys made with `wine reg add` in a throwaway prefix are read by the library,
// and the install flag the library writes is what `wine reg query` then shows. Wine runs through
// the loader that scripts/wine-loader.sh finds: the 32-bit one, or the 64-bit one on machines that
// run no 32-bit programs. Skipped where neither runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <variant>

#include "support/FreshLibrary.h"
#include "support/WinePrefixFixture.h"

namespace hollin::test {
namespace {

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

struct CommandResult {
    int status = -1;
    std::string output;
};

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        result.output.push_back(static_cast<char>(c));
    }
    result.status = ::pclose(pipe);
    return result;
}

// How Wine programs are started here: `wine` itself, or Wine's 64-bit loader run directly with
// WINELOADER naming it, so that the programs Wine starts on its own use that loader too.
struct WineLoader {
    bool runs32Bit = false;
    std::string environment;
    std::string command;
};

// The loader, or why Wine cannot be used.
std::variant<WineLoader, std::string> findWineLoader() {
    if (std::system("command -v wineserver >/dev/null 2>&1") != 0) {
        return std::string("wineserver is not installed (Debian: apt-get install wine)");
    }
    const CommandResult found = runCommand(shellQuoted(HOLLIN_WINE_LOADER_SCRIPT));
    std::istringstream words(found.output);
    std::string bits;
    std::string loader;
    words >> bits >> loader;
    if (found.status != 0 || loader.empty()) {
        return found.output;
    }
    if (bits == "32") {
        return WineLoader{true, "", loader};
    }
    return WineLoader{false, "WINELOADER=" + shellQuoted(loader) + " ", shellQuoted(loader)};
}

class WinePrefixSession {
  public:
    // Wine's server keeps its socket folder in TMPDIR; one inside the test's own folder goes away
    // with it.
    WinePrefixSession(WineLoader loader, std::filesystem::path prefix,
                      std::filesystem::path temporary)
        : loader_(std::move(loader)), prefix_(std::move(prefix)), temporary_(std::move(temporary)) {
        std::filesystem::create_directories(temporary_);
    }
    ~WinePrefixSession() {
        [[maybe_unused]] const auto stopped = runCommand(environment() + "wineserver -k");
    }

    // No display, no console noise, and no offer to download Mono or Gecko into the prefix.
    [[nodiscard]] std::string environment() const {
        return "env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX=" + shellQuoted(prefix_.string()) +
               " TMPDIR=" + shellQuoted(temporary_.string()) +
               " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' " + loader_.environment + arch_;
    }
    // Creates the prefix with its first command: 32-bit like Palm Desktop when Wine can (its
    // 32-bit loader runs and the i386 Wine packages are installed), else Wine's default.
    [[nodiscard]] CommandResult create(const std::string& firstCommand) {
        if (loader_.runs32Bit) {
            arch_ = "WINEARCH=win32 ";
            CommandResult result = wine(firstCommand);
            if (result.status == 0) {
                return result;
            }
            std::filesystem::remove_all(prefix_);
            arch_.clear();
        }
        return wine(firstCommand);
    }
    [[nodiscard]] CommandResult wine(const std::string& arguments) const {
        return runCommand(environment() + loader_.command + " " + arguments);
    }
    // Wine writes user.reg when its server exits; wait for that before reading the file.
    [[nodiscard]] CommandResult waitForServer() const {
        return runCommand(environment() + "wineserver -w");
    }

  private:
    WineLoader loader_;
    std::filesystem::path prefix_;
    std::filesystem::path temporary_;
    std::string arch_;
};

std::string regAdd(const std::string& key, const std::string& name, const std::string& type,
                   const std::string& data) {
    return "reg add " + shellQuoted("HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\" + key) +
           " /v " + shellQuoted(name) + " /t " + type + " /d " + shellQuoted(data) + " /f";
}

TEST(RealWine, LibraryReadsWhatWineWroteAndWineSeesTheInstallFlag) {
    auto loader = findWineLoader();
    if (const auto* whyNot = std::get_if<std::string>(&loader)) {
        GTEST_SKIP() << *whyNot;
    }
    const TempWinePrefix folder;
    const std::filesystem::path root = folder.root() / "wine";
    WinePrefixSession session(std::get<WineLoader>(std::move(loader)), root, folder.root() / "tmp");
    const std::string lastUser = "Ann \"Q\" Doe\\Jr";
    const CommandResult created = session.create(regAdd("Core", "Path", "REG_SZ", "C:\\Palm"));
    ASSERT_EQ(created.status, 0) << created.output;
    for (const std::string& command :
         {regAdd("Preferences", "LastUserName", "REG_SZ", lastUser),
          regAdd("HotSync Manager", "Install1234", "REG_DWORD", "0")}) {
        const CommandResult added = session.wine(command);
        ASSERT_EQ(added.status, 0) << command << "\n" << added.output;
    }
    ASSERT_EQ(session.waitForServer().status, 0);
    // The flag for user 77 does not exist yet: the library adds its line to the key's section.

    folder.writeFile("wine/drive_c/Palm/users.dat",
                     usersDatBytes({{1234, "John Smith", "SmithJ"}, {77, lastUser, "DoeA"}}));
    std::filesystem::create_directories(root / "drive_c" / "Palm" / "SmithJ");
    std::filesystem::create_directories(root / "drive_c" / "Palm" / "DoeA");
    folder.writeFile("wine/drive_c/tmp/book.pdb", "book");

    const std::string report = inFreshLibrary(root, [](HollinApi& api) {
        return describeUsers(api) +
               " install=" + std::to_string(api.installUser(1, "C:\\tmp\\book.pdb"));
    });
    EXPECT_EQ(report,
              "core=0:'C:\\Palm' users=2 last=1 | 0:0 'John Smith' 0 'SmithJ' 1234 | 1:0 '" +
                  lastUser + "' 0 'DoeA' 77 | 2:-3 '' -3 '' -3 install=0");
    EXPECT_EQ(folder.readFile("wine/drive_c/Palm/DoeA/Install/book.pdb"), "book");

    const CommandResult query =
        session.wine("reg query " +
                     shellQuoted("HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager"));
    ASSERT_EQ(query.status, 0) << query.output;
    EXPECT_NE(query.output.find("Install77    REG_DWORD    0x1"), std::string::npos)
        << query.output;
    EXPECT_NE(query.output.find("Install1234    REG_DWORD    0x0"), std::string::npos)
        << query.output;
    ASSERT_EQ(session.waitForServer().status, 0);
}

}  // namespace
}  // namespace hollin::test
