// Windows paths to host paths through the prefix's drive links, as every file access does it.
#include "WinePrefix.h"

#include <gtest/gtest.h>

#include "support/WinePrefixFixture.h"

namespace hollin {
namespace {

TEST(WinePrefixPaths, MapThroughDriveLinksLikeWindowsWould) {
    const test::TempWinePrefix prefix;
    prefix.writeFile("drive_c/Palm/SmithJ/users.dat", "x");
    prefix.writeFile("drive_c/Palm/M\xC3\xBCller/caf\xC3\xA9.pdb", "x");
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
        // windows-1252 bytes find the UTF-8 names Wine gives host files, and name new ones so.
        {"C:\\palm\\M\xFCller\\CAF\xE9.pdb", c / "Palm" / "M\xC3\xBCller" / "caf\xC3\xA9.pdb"},
        {"C:\\Palm\\\x80\x9D", c / "Palm" / "\xE2\x82\xAC\xC2\x9D"},
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
