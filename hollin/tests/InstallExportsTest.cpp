// ud_InstallUser against a freshly loaded library: where the copy lands, the install flag in
// user.reg (every other byte of the file kept), and the refusals that must write nothing.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/FreshLibrary.h"
#include "support/WinePrefixFixture.h"

namespace hollin::test {
namespace {

const std::vector<UsersDatEntry> kTwoUsers = {{1234, "John Smith", "SmithJ"},
                                              {77, "Ann Doe", "DoeA"}};
const std::string kUsrBase = "Software\\U.S. Robotics\\Pilot Desktop\\";

// The user.reg installPalmDesktop writes, with optional extra values in the HotSync Manager key.
std::string palmUserReg(const std::function<void(UserRegWriter&)>& hotSyncValues) {
    UserRegWriter writer;
    writer.key(kUsrBase + "Core").text("Path", "C:\\Palm").key(kUsrBase + "HotSync Manager");
    writer.number("Install0", 0);
    hotSyncValues(writer);
    writer.key(kUsrBase + "Preferences").text("LastUserName", "Ann Doe");
    return writer.str();
}

std::string install(const TempWinePrefix& prefix, int32_t userIndex, const std::string& path) {
    return inFreshLibrary(prefix.root(), [userIndex, &path](HollinApi& api) {
        return std::to_string(api.installUser(userIndex, path.c_str()));
    });
}

TEST(InstallExports, CopiesIntoTheInstallFolderAndSetsTheFlag) {
    const TempWinePrefix prefix;
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    prefix.writeFile("drive_c/tmp/book.pdb", "first");
    prefix.writeFile("home/book.pdb", "host file");

    EXPECT_EQ(install(prefix, 0, "C:\\tmp\\book.pdb"), "0");
    EXPECT_EQ(listFiles(prefix.driveC() / "Palm" / "SmithJ"), "Install/\nInstall/book.pdb=first\n");
    const std::string flagged = palmUserReg([](UserRegWriter& w) { w.number("Install1234", 1); });
    EXPECT_EQ(prefix.readFile("user.reg"), flagged);

    // Again, with new contents: the copy is replaced and the flag line stays one line.
    prefix.writeFile("drive_c/tmp/book.pdb", "second");
    EXPECT_EQ(install(prefix, 0, "C:\\tmp\\book.pdb"), "0");
    EXPECT_EQ(listFiles(prefix.driveC() / "Palm" / "SmithJ"),
              "Install/\nInstall/book.pdb=second\n");
    EXPECT_EQ(prefix.readFile("user.reg"), flagged);

    // A host path works as well; the name is taken after the last slash.
    EXPECT_EQ(install(prefix, 1, (prefix.root() / "home" / "book.pdb").string()), "0");
    EXPECT_EQ(listFiles(prefix.driveC() / "Palm" / "DoeA"),
              "Install/\nInstall/book.pdb=host file\n");
    EXPECT_EQ(prefix.readFile("user.reg"), palmUserReg([](UserRegWriter& w) {
                  w.number("Install1234", 1).number("Install77", 1);
              }));
}

TEST(InstallExports, ReplacesAnEarlierFlagInPlace) {
    const TempWinePrefix prefix;
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    prefix.writeFile("user.reg", palmUserReg([](UserRegWriter& w) {
                         w.number("install77", 0).text("Other", "kept");
                     }));
    prefix.writeFile("drive_c/book.pdb", "data");
    EXPECT_EQ(install(prefix, 1, "c:/book.pdb"), "0");
    EXPECT_EQ(prefix.readFile("user.reg"), palmUserReg([](UserRegWriter& w) {
                  w.number("Install77", 1).text("Other", "kept");
              }));
}

// An install that cannot set the flag places nothing: the earlier copy of user 0 stays, user 1
// gets no Install folder, user.reg keeps its bytes. Permissions do not bind root, so when the
// tests run as root the prefix goes to an ordinary account and the child drops to it first.
constexpr uid_t kUnprivilegedId = 65534;  // "nobody" on Debian

void handOver(const std::filesystem::path& folder) {
    if (::geteuid() != 0) {
        return;
    }
    [[maybe_unused]] const int rootChanged =
        ::lchown(folder.c_str(), kUnprivilegedId, kUnprivilegedId);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        [[maybe_unused]] const int changed =
            ::lchown(entry.path().c_str(), kUnprivilegedId, kUnprivilegedId);
    }
}

bool dropRootPrivileges() {
    return ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(kUnprivilegedId) == 0 &&
                                ::setuid(kUnprivilegedId) == 0);
}

struct FlagCase {
    const char* what;
    std::function<void(const TempWinePrefix&)> spoil;
};

void PrintTo(const FlagCase& flagCase, std::ostream* out) {
    *out << flagCase.what;
}

class FlagNotSet : public testing::TestWithParam<FlagCase> {};

TEST_P(FlagNotSet, PlacesNothingAndSaysSo) {
    const TempWinePrefix prefix;
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    prefix.writeFile("drive_c/Palm/SmithJ/Install/book.pdb", "earlier");
    prefix.writeFile("drive_c/book.pdb", "new");
    GetParam().spoil(prefix);
    handOver(prefix.root());
    const std::string filesBefore = listFiles(prefix.driveC());
    const std::string userRegBefore = prefix.readFile("user.reg");

    EXPECT_EQ(inFreshLibrary(prefix.root(),
                             [](HollinApi& api) {
                                 if (!dropRootPrivileges()) {
                                     return std::string("cannot drop root privileges");
                                 }
                                 return std::to_string(api.installUser(0, "C:\\book.pdb")) + " " +
                                        std::to_string(api.installUser(1, "C:\\book.pdb"));
                             }),
              "-5 -5");
    EXPECT_EQ(listFiles(prefix.driveC()), filesBefore);
    EXPECT_EQ(prefix.readFile("user.reg"), userRegBefore);
    std::filesystem::permissions(prefix.root(), std::filesystem::perms::owner_all);
}

const FlagCase kFlagCases[] = {
    {"NoHotSyncManagerKey",
     [](const TempWinePrefix& p) {
         p.writeFile("user.reg", UserRegWriter()
                                     .key(kUsrBase + "Core")
                                     .text("Path", "C:\\Palm")
                                     .key(kUsrBase + "Preferences")
                                     .text("LastUserName", "Ann Doe")
                                     .str());
     }},
    {"HotSyncManagerKeyOfTheOtherVendor",
     [](const TempWinePrefix& p) {
         p.writeFile("user.reg",
                     UserRegWriter()
                         .key(kUsrBase + "Core")
                         .text("Path", "C:\\Palm")
                         .key("Software\\Palm Computing\\Pilot Desktop\\HotSync Manager")
                         .number("Install0", 0)
                         .str());
     }},
    {"UserRegReadOnly",
     [](const TempWinePrefix& p) {
         std::filesystem::permissions(p.userReg(), std::filesystem::perms::owner_read);
     }},
    {"PrefixFolderReadOnly",
     [](const TempWinePrefix& p) {
         std::filesystem::permissions(
             p.root(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
     }},
    // The lock can be taken, but user.reg cannot be replaced in its folder.
    {"PrefixFolderReadOnlyWithLockFile",
     [](const TempWinePrefix& p) {
         p.writeFile("user.reg.lock", "");
         std::filesystem::permissions(
             p.root(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, FlagNotSet, testing::ValuesIn(kFlagCases),
                         [](const testing::TestParamInfo<FlagCase>& param) {
                             return std::string(param.param.what);
                         });

// The Install folder must lie below the data folder once every link is followed; links that stay
// inside are Palm Desktop's business and are allowed.
struct LinkCase {
    const char* what;
    std::function<void(const TempWinePrefix&)> link;
    std::string landsAt;  // the copy's place relative to the prefix; empty when refused
};

void PrintTo(const LinkCase& linkCase, std::ostream* out) {
    *out << linkCase.what;
}

class InstallThroughLinks : public testing::TestWithParam<LinkCase> {};

TEST_P(InstallThroughLinks, StaysInsideTheDataFolder) {
    const TempWinePrefix prefix;
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    prefix.writeFile("drive_c/book.pdb", "data");
    for (const char* folder : {"outside", "drive_c/Palm2", "drive_c/Palm/Queue"}) {
        std::filesystem::create_directories(prefix.root() / folder);
    }
    GetParam().link(prefix);
    const std::string filesBefore = listFiles(prefix.root());

    const std::string result = install(prefix, 0, "C:\\book.pdb");
    if (GetParam().landsAt.empty()) {
        EXPECT_EQ(result, "-4");
        EXPECT_EQ(listFiles(prefix.root()), filesBefore);
    } else {
        EXPECT_EQ(result, "0");
        EXPECT_EQ(prefix.readFile(GetParam().landsAt), "data");
        EXPECT_NE(prefix.readFile("user.reg").find("\"Install1234\"=dword:00000001"),
                  std::string::npos);
    }
}

// Replaces `relative` (a folder of the prefix) with a link to `target`.
void linkFolder(const TempWinePrefix& prefix, const std::string& relative,
                const std::filesystem::path& target) {
    std::filesystem::remove_all(prefix.root() / relative);
    std::filesystem::create_directory_symlink(target, prefix.root() / relative);
}

const LinkCase kLinkCases[] = {
    {"UserFolderToOutside",
     [](const TempWinePrefix& p) { linkFolder(p, "drive_c/Palm/SmithJ", p.root() / "outside"); },
     ""},
    {"UserFolderToOutsideRelative",
     [](const TempWinePrefix& p) { linkFolder(p, "drive_c/Palm/SmithJ", "../../outside"); }, ""},
    {"UserFolderToDriveC",
     [](const TempWinePrefix& p) { linkFolder(p, "drive_c/Palm/SmithJ", ".."); }, ""},
    {"InstallToOutside",
     [](const TempWinePrefix& p) {
         linkFolder(p, "drive_c/Palm/SmithJ/Install", p.root() / "outside");
     },
     ""},
    {"InstallToNowhereOutside",
     [](const TempWinePrefix& p) {
         linkFolder(p, "drive_c/Palm/SmithJ/Install", p.root() / "outside" / "missing");
     },
     ""},
    {"InstallToFolderNamedLikeDataFolder",
     [](const TempWinePrefix& p) {
         linkFolder(p, "drive_c/Palm/SmithJ/Install", p.driveC() / "Palm2");
     },
     ""},
    {"InstallToDataFolderItself",
     [](const TempWinePrefix& p) { linkFolder(p, "drive_c/Palm/SmithJ/Install", "../.."); }, ""},
    {"InstallToFolderInsideDataFolder",
     [](const TempWinePrefix& p) { linkFolder(p, "drive_c/Palm/SmithJ/Install", "../Queue"); },
     "drive_c/Palm/Queue/book.pdb"},
    {"UserFolderToFolderInsideDataFolder",
     [](const TempWinePrefix& p) { linkFolder(p, "drive_c/Palm/SmithJ", "Queue"); },
     "drive_c/Palm/Queue/Install/book.pdb"},
    {"UserFolderToDataFolderItself",
     [](const TempWinePrefix& p) { linkFolder(p, "drive_c/Palm/SmithJ", "."); },
     "drive_c/Palm/Install/book.pdb"},
    {"DataFolderElsewhere",
     [](const TempWinePrefix& p) {
         std::filesystem::rename(p.driveC() / "Palm", p.root() / "palm-data");
         std::filesystem::create_directory_symlink("../palm-data", p.driveC() / "Palm");
     },
     "palm-data/SmithJ/Install/book.pdb"},
};

INSTANTIATE_TEST_SUITE_P(Cases, InstallThroughLinks, testing::ValuesIn(kLinkCases),
                         [](const testing::TestParamInfo<LinkCase>& param) {
                             return std::string(param.param.what);
                         });

struct RefusedCase {
    const char* what;
    std::string folder;  // of user 0
    std::string path;    // of the file to install, "C:" paths lead into drive_c
    int32_t userIndex;
    std::string expected;
};

void PrintTo(const RefusedCase& refused, std::ostream* out) {
    *out << refused.what;
}

class InstallRefused : public testing::TestWithParam<RefusedCase> {};

// Nothing may be written on these paths: no folder, no copy, no change to user.reg.
TEST_P(InstallRefused, WritesNothing) {
    const TempWinePrefix prefix;
    const RefusedCase& refused = GetParam();
    prefix.installPalmDesktop({}, "John Smith");
    prefix.writeFile("drive_c/Palm/users.dat",
                     usersDatBytes({{1234, "John Smith", refused.folder}}));
    std::filesystem::create_directories(prefix.driveC() / "Palm" / "user");
    prefix.writeFile("drive_c/book.pdb", "data");
    const std::string filesBefore = listFiles(prefix.root());

    EXPECT_EQ(install(prefix, refused.userIndex, refused.path), refused.expected);
    EXPECT_EQ(listFiles(prefix.root()), filesBefore);
}

const RefusedCase kRefusedCases[] = {
    {"IndexBelowZero", "user", "C:\\book.pdb", -1, "-3"},
    {"IndexPastTheList", "user", "C:\\book.pdb", 1, "-3"},
    {"SourceMissing", "user", "C:\\missing.pdb", 0, "-4"},
    {"SourceIsAFolder", "user", "C:\\Palm", 0, "-4"},
    {"NoFileName", "user", "C:\\tmp\\", 0, "-4"},
    {"FileNameDotDot", "user", "C:\\Palm\\user\\..", 0, "-4"},
    {"UserFolderMissing", "gone", "C:\\book.pdb", 0, "-4"},
    {"UserFolderDotDot", "..", "C:\\book.pdb", 0, "-4"},
    {"UserFolderDot", ".", "C:\\book.pdb", 0, "-4"},
    {"UserFolderEmpty", "", "C:\\book.pdb", 0, "-4"},
    {"UserFolderWithBackslash", "user\\..\\..", "C:\\book.pdb", 0, "-4"},
    {"UserFolderWithSlash", "../user", "C:\\book.pdb", 0, "-4"},
    {"UserFolderWithDrive", "D:user", "C:\\book.pdb", 0, "-4"},
};

INSTANTIATE_TEST_SUITE_P(Cases, InstallRefused, testing::ValuesIn(kRefusedCases),
                         [](const testing::TestParamInfo<RefusedCase>& param) {
                             return std::string(param.param.what);
                         });

// users.dat and the paths host programs pass with a drive letter are windows-1252 bytes; Wine
// names the host's folders and files in UTF-8. Host paths are the host's own spelling already.
struct AccentedCase {
    const char* what;
    std::string folderInUsersDat;  // windows-1252
    std::string folderOnDisk;      // UTF-8, below drive_c/Palm
    std::string sourceOnDisk;      // relative to the prefix, UTF-8
    std::string path;              // as passed; a leading "@" stands for the prefix's root
    std::string landsAt;           // relative to the prefix, UTF-8
};

void PrintTo(const AccentedCase& accented, std::ostream* out) {
    *out << accented.what;
}

class InstallWithAccentedNames : public testing::TestWithParam<AccentedCase> {};

TEST_P(InstallWithAccentedNames, ReachesTheUtf8NamedFolder) {
    const AccentedCase& accented = GetParam();
    const TempWinePrefix prefix;
    prefix.installPalmDesktop({}, "Ann Doe");
    prefix.writeFile("drive_c/Palm/users.dat",
                     usersDatBytes({{1234, "Ann Doe", accented.folderInUsersDat}}));
    std::filesystem::create_directories(prefix.driveC() / "Palm" / accented.folderOnDisk);
    prefix.writeFile(accented.sourceOnDisk, "data");
    std::string path = accented.path;
    if (path.starts_with("@")) {
        path = prefix.root().string() + path.substr(1);
    }

    EXPECT_EQ(install(prefix, 0, path), "0");
    EXPECT_EQ(prefix.readFile(accented.landsAt), "data");
    // Nothing was made under the windows-1252 spelling (the folders begin with a capital, which
    // sorts before users.dat).
    const std::string landsInPalm = accented.landsAt.substr(std::string("drive_c/Palm/").size());
    EXPECT_EQ(listFiles(prefix.driveC() / "Palm"),
              accented.folderOnDisk + "/\n" + accented.folderOnDisk + "/Install/\n" + landsInPalm +
                  "=data\nusers.dat=" +
                  usersDatBytes({{1234, "Ann Doe", accented.folderInUsersDat}}) + "\n");
}

const AccentedCase kAccentedCases[] = {
    {"PlainAsciiUnchanged", "SmithJ", "SmithJ", "drive_c/book.pdb", "C:\\book.pdb",
     "drive_c/Palm/SmithJ/Install/book.pdb"},
    {"LatinLetter", "M\xFCller", "M\xC3\xBCller", "drive_c/book.pdb", "C:\\book.pdb",
     "drive_c/Palm/M\xC3\xBCller/Install/book.pdb"},
    {"LatinLetterOtherAsciiCase", "M\xFCLLER", "M\xC3\xBCller", "drive_c/book.pdb", "C:\\book.pdb",
     "drive_c/Palm/M\xC3\xBCller/Install/book.pdb"},
    {"HighRangeCharacter", "Kosten\x80", "Kosten\xE2\x82\xAC", "drive_c/book.pdb", "C:\\book.pdb",
     "drive_c/Palm/Kosten\xE2\x82\xAC/Install/book.pdb"},
    {"WindowsPathWithAccentedFileName", "M\xFCller", "M\xC3\xBCller",
     "drive_c/tmp/cr\xC3\xA8me.pdb", "C:\\tmp\\cr\xE8me.pdb",
     "drive_c/Palm/M\xC3\xBCller/Install/cr\xC3\xA8me.pdb"},
    {"HostPathKeepsItsSpelling", "M\xFCller", "M\xC3\xBCller", "home/cr\xC3\xA8me.pdb",
     "@/home/cr\xC3\xA8me.pdb", "drive_c/Palm/M\xC3\xBCller/Install/cr\xC3\xA8me.pdb"},
};

INSTANTIATE_TEST_SUITE_P(Cases, InstallWithAccentedNames, testing::ValuesIn(kAccentedCases),
                         [](const testing::TestParamInfo<AccentedCase>& param) {
                             return std::string(param.param.what);
                         });

TEST(InstallExports, ReportsMissingPalmDesktopAndUserList) {
    const TempWinePrefix prefix;
    EXPECT_EQ(install(prefix, 0, "C:\\book.pdb"), "-1");
    prefix.writeFile("user.reg", UserRegWriter().key(kUsrBase + "Preferences").str());
    EXPECT_EQ(install(prefix, 0, "C:\\book.pdb"), "-2");
}

// The host program as the README shows it: list, then install for a user given by name.
TEST(HollinUsersProgram, ListsUsersAndInstallsByName) {
    const TempWinePrefix prefix;
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    prefix.writeFile("book.pdb", "data");
    auto run = [&prefix](const std::string& arguments) {
        const std::string command = "cd '" + prefix.root().string() + "' && WINEPREFIX='" +
                                    prefix.root().string() + "' '" HOLLIN_USERS_PROGRAM "' " +
                                    arguments + " 2>&1; echo \"exit $?\"";
        std::string output;
        FILE* pipe = ::popen(command.c_str(), "r");
        for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) {
            output.push_back(static_cast<char>(c));
        }
        if (pipe != nullptr) {
            ::pclose(pipe);
        }
        return output;
    };
    EXPECT_EQ(run("list"),
              "Palm Desktop data folder: C:\\Palm\n"
              "Users: 2\n"
              "Last user: 1\n\n"
              " User  Magic  Folder                            Name\n"
              "    0   1234  SmithJ                            John Smith\n"
              "    1     77  DoeA                              Ann Doe  (last user)\n"
              "exit 0\n");
    EXPECT_EQ(
        run("install 'Ann Doe' book.pdb"),
        prefix.root().string() + "/book.pdb is queued for the next HotSync of Ann Doe.\nexit 0\n");
    EXPECT_EQ(listFiles(prefix.driveC() / "Palm" / "DoeA"), "Install/\nInstall/book.pdb=data\n");
    EXPECT_EQ(run("install 5 book.pdb"),
              "hollin-users: there is no user with that number (-3)\nexit 1\n");
    prefix.writeFile("user.reg",
                     UserRegWriter().key(kUsrBase + "Core").text("Path", "C:\\Palm").str());
    EXPECT_EQ(run("install 0 book.pdb"),
              "hollin-users: the user's install flag could not be set (the registry has no HotSync "
              "Manager key, or the Wine prefix or its user.reg cannot be written); nothing was "
              "installed (-5)\nexit 1\n");
    EXPECT_EQ(run("remove 0").substr(0, 7), "Usage: ");
}

}  // namespace
}  // namespace hollin::test
