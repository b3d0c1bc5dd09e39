// ud_InstallUser against a freshly loaded library: where the copy lands, the install flag in
// user.reg (every other byte of the file kept), and the refusals that must write nothing.
#include <gtest/gtest.h>

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

TEST(InstallExports, CopiesWithoutFlagWhenHotSyncManagerKeyIsMissing) {
    const TempWinePrefix prefix;
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    const std::string userReg =
        UserRegWriter().key(kUsrBase + "Core").text("Path", "C:\\Palm").str();
    prefix.writeFile("user.reg", userReg);
    prefix.writeFile("drive_c/book.pdb", "data");
    EXPECT_EQ(install(prefix, 0, "C:\\book.pdb"), "0");
    EXPECT_EQ(listFiles(prefix.driveC() / "Palm" / "SmithJ"), "Install/\nInstall/book.pdb=data\n");
    EXPECT_EQ(prefix.readFile("user.reg"), userReg);
}

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
    EXPECT_EQ(run("remove 0").substr(0, 7), "Usage: ");
}

}  // namespace
}  // namespace hollin::test
