// Windows paths to host paths through the prefix's drive links, as every file access does it.
#include "WinePrefix.h"

#include <gtest/gtest.h>

#include "support/WinePrefixFixture.h"

namespace hollin {
namespace {

TEST(WinePrefixPaths, MapThroughDriveLinksLikeWindowsWould) {
    const test::TempWinePrefix prefix;
    prefix.writeFile("drive_c/Palm/SmithJ/users.dat", "x");
    const std::filesystem::path c = prefix.root() / "dosdevices" / "c:";
    const WinePrefix wine(prefix.root());
    const struct {
        const char* windowsPath;
        std::optional<std::filesystem::path> host;
    } cases[] = {
        {"C:\\Palm\\users.dat", c / "Palm" / "users.dat"},
        {"c:/PALM/smithj/USERS.DAT", c / "Palm" / "SmithJ" / "users.dat"},
        {"C:\\Palm\\\\SmithJ\\.\\Install\\book.pdb",
         c / "Palm" / "SmithJ" / "Install" / "book.pdb"},
        {"C:\\Palm\\..\\..\\..\\x", c / "x"},
        {"C:", c},
        {"D:\\Palm", std::nullopt},
        {"\\\\server\\share\\Palm", std::nullopt},
        {"Palm\\users.dat", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& mapping : cases) {
        EXPECT_EQ(wine.hostPath(mapping.windowsPath), mapping.host) << mapping.windowsPath;
    }
}

TEST(WinePrefixPaths, PrefixComesFromTheEnvironment) {
    const char* saved = std::getenv("WINEPREFIX");
    const std::string savedPrefix = saved != nullptr ? saved : "";
    ::setenv("WINEPREFIX", "/somewhere/prefix", 1);
    EXPECT_EQ(WinePrefix::fromEnvironment().userRegistryFile(), "/somewhere/prefix/user.reg");
    ::setenv("WINEPREFIX", "", 1);
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        EXPECT_EQ(WinePrefix::fromEnvironment().root(), std::filesystem::path(home) / ".wine");
    }
    if (saved != nullptr) {
        ::setenv("WINEPREFIX", savedPrefix.c_str(), 1);
    } else {
        ::unsetenv("WINEPREFIX");
    }
}

}  // namespace
}  // namespace hollin
