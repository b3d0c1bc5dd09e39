// hollin-users as a user runs it: files named with a drive letter are paths inside the Wine
// prefix, `list` names what is missing when there is no user list, and an installed copy finds the
// library by its soname in the installation's library folder.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "HollinVersion.h"
#include "support/WinePrefixFixture.h"

namespace hollin::test {
namespace {

const std::vector<UsersDatEntry> kTwoUsers = {{1234, "John Smith", "SmithJ"},
                                              {77, "Ann Doe", "DoeA"}};
const std::string kPalmBase = "Software\\Palm Computing\\Pilot Desktop\\";

struct ProgramRun {
    std::string out;
    std::string err;
    int status;
};

// Runs the program in `folder` with WINEPREFIX=prefix; arguments are single-quoted for the shell.
ProgramRun runHollinUsers(const std::string& program, const std::filesystem::path& folder,
                          const std::string& prefix, const std::vector<std::string>& arguments) {
    const std::filesystem::path errFile = folder / ".stderr";
    std::string command =
        "cd '" + folder.string() + "' && WINEPREFIX='" + prefix + "' '" + program + "'";
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    command += " 2>'" + errFile.string() + "' </dev/null";
    ProgramRun run{{}, {}, -1};
    FILE* pipe = ::popen(command.c_str(), "r");
    for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) {
        run.out.push_back(static_cast<char>(c));
    }
    if (pipe != nullptr) {
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    FILE* err = std::fopen(errFile.c_str(), "rb");
    for (int c; err != nullptr && (c = std::fgetc(err)) != EOF;) {
        run.err.push_back(static_cast<char>(c));
    }
    if (err != nullptr) {
        std::fclose(err);
    }
    std::filesystem::remove(errFile);
    return run;
}

ProgramRun runHollinUsers(const TempWinePrefix& prefix, const std::vector<std::string>& arguments) {
    return runHollinUsers(HOLLIN_USERS_PROGRAM, prefix.root() / "home", prefix.root().string(),
                          arguments);
}

// The README's examples: a Windows path with or without a folder after the drive letter is the
// prefix's, never joined to the current folder; a host path still works.
TEST(HollinUsersProgram, DriveLetterPathsAreInsideThePrefix) {
    struct InstallCase {
        const char* file;
        const char* copied;  // below drive_c, the file whose bytes land in DoeA/Install
        const char* queued;  // as the success line names it
    };
    const std::vector<InstallCase> cases = {
        {"C:\\book2.pdb", "book2.pdb", "C:\\book2.pdb"},
        {"C:book.pdb", "book.pdb", "C:book.pdb"},
        {"c:\\tmp\\Book3.pdb", "tmp/Book3.pdb", "c:\\tmp\\Book3.pdb"},
        {"C:/tmp/slashes.pdb", "tmp/slashes.pdb", "C:/tmp/slashes.pdb"},
    };
    for (const InstallCase& c : cases) {
        SCOPED_TRACE(c.file);
        const TempWinePrefix prefix;
        prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
        prefix.writeFile("home/.keep", "");
        prefix.writeFile(std::filesystem::path("drive_c") / c.copied, c.copied);
        const ProgramRun run = runHollinUsers(prefix, {"install", "Ann Doe", c.file});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, std::string(c.queued) + " is queued for the next HotSync of Ann Doe.\n");
        const std::string name = std::filesystem::path(c.copied).filename().string();
        EXPECT_EQ(listFiles(prefix.driveC() / "Palm" / "DoeA"),
                  "Install/\nInstall/" + name + "=" + c.copied + "\n");
    }

    // A host file whose name merely contains a colon later on is still the host's (its copy is
    // named after the colon, as Windows would read the name).
    const TempWinePrefix prefix;
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    prefix.writeFile("home/ab:c.pdb", "host");
    const ProgramRun host = runHollinUsers(prefix, {"install", "0", "ab:c.pdb"});
    EXPECT_EQ(host.status, 0) << host.err;
    EXPECT_EQ(listFiles(prefix.driveC() / "Palm" / "SmithJ"), "Install/\nInstall/c.pdb=host\n");
}

// Each way to a missing user list, cut at the first missing piece: what `list` then says.
TEST(HollinUsersProgram, ListSaysWhatIsMissingAndWhere) {
    struct ListCase {
        const char* what;
        std::function<void(const TempWinePrefix&)> arrange;
        int status;
        std::string lastErrorLine;  // "{prefix}" stands for the prefix's folder
    };
    const auto userReg = [](UserRegWriter writer) {
        return
            [writer](const TempWinePrefix& prefix) { prefix.writeFile("user.reg", writer.str()); };
    };
    const auto withCore = [](const std::string& path) {
        return UserRegWriter().key(kPalmBase + "Core").text("Path", path);
    };
    const std::vector<ListCase> cases = {
        {"no user.reg", [](const TempWinePrefix&) {}, 1,
         "{prefix}/user.reg does not exist: Palm Desktop's registry keys (HKEY_CURRENT_USER) are "
         "kept there"},
        {"no vendor key", userReg(UserRegWriter().key("Software\\Wine")), 1,
         "{prefix}/user.reg has neither HKEY_CURRENT_USER\\Software\\U.S. Robotics nor "
         "HKEY_CURRENT_USER\\Software\\Palm Computing"},
        {"no Core key", userReg(UserRegWriter().key(kPalmBase + "Preferences")), 0,
         "{prefix}/user.reg has no key HKEY_CURRENT_USER\\" + kPalmBase + "Core"},
        {"no Path value", userReg(UserRegWriter().key(kPalmBase + "Core").text("Other", "x")), 0,
         "HKEY_CURRENT_USER\\" + kPalmBase +
             "Core in {prefix}/user.reg has no \"Path\" value "
             "(the data folder), or one longer than 255 characters"},
        {"a drive the prefix lacks", userReg(withCore("Q:\\Palm")), 0,
         "Q:\\Palm\\users.dat: the prefix has no drive Q: (no link {prefix}/dosdevices/q:)"},
        {"no users.dat", userReg(withCore("C:\\Palm")), 0,
         "C:\\Palm\\users.dat ({prefix}/dosdevices/c:/Palm/users.dat) does not exist"},
        {"no users in users.dat",
         [](const TempWinePrefix& prefix) {
             prefix.writeFile(
                 "user.reg",
                 UserRegWriter().key(kPalmBase + "Core").text("Path", "C:\\Palm").str());
             prefix.writeFile("drive_c/Palm/users.dat", usersDatBytes({}));
         },
         0, "C:\\Palm\\users.dat ({prefix}/dosdevices/c:/Palm/users.dat) holds no users"},
        {"users.dat cut short",
         [](const TempWinePrefix& prefix) {
             prefix.writeFile(
                 "user.reg",
                 UserRegWriter().key(kPalmBase + "Core").text("Path", "C:\\Palm").str());
             prefix.writeFile("drive_c/Palm/users.dat", usersDatBytes(kTwoUsers).substr(0, 30));
         },
         0,
         "C:\\Palm\\users.dat ({prefix}/dosdevices/c:/Palm/users.dat) ends before its user "
         "entries do"},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TempWinePrefix prefix;
        prefix.writeFile("home/.keep", "");
        c.arrange(prefix);
        const ProgramRun run = runHollinUsers(prefix, {"list"});
        EXPECT_EQ(run.status, c.status);
        std::string expected = "hollin-users: " + c.lastErrorLine + "\n";
        for (std::size_t at; (at = expected.find("{prefix}")) != std::string::npos;) {
            expected.replace(at, 8, prefix.root().string());
        }
        ASSERT_GE(run.err.size(), expected.size()) << run.err;
        EXPECT_EQ(run.err.substr(run.err.size() - expected.size()), expected) << run.err;
    }

    const TempWinePrefix prefix;
    prefix.writeFile("home/.keep", "");
    const std::string missing = (prefix.root() / "nowhere").string();
    const ProgramRun run =
        runHollinUsers(HOLLIN_USERS_PROGRAM, prefix.root() / "home", missing, {"list"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("hollin-users: the Wine prefix " + missing +
                           " does not exist (set WINEPREFIX to choose another)\n"),
              std::string::npos)
        << run.err;

    // With a user list, nothing is explained.
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    const ProgramRun listed = runHollinUsers(prefix, {"list"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.err, "");
}

// Copied into an installed layout, away from the build tree, the program loads the library by its
// soname from the installation's library folder.
TEST(HollinUsersProgram, InstalledCopyFindsTheLibraryBySoname) {
    const TempWinePrefix prefix;
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    const std::filesystem::path bin = prefix.root() / "usr" / "bin";
    const std::filesystem::path library =
        (bin / HOLLIN_LIBRARY_DIR_FROM_BIN / HOLLIN_LIBRARY_SONAME).lexically_normal();
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(library.parent_path());
    std::filesystem::copy_file(HOLLIN_USERS_PROGRAM, bin / "hollin-users");
    std::filesystem::copy_file(HOLLIN_LIBRARY, library);
    const ProgramRun run = runHollinUsers((bin / "hollin-users").string(), prefix.root(),
                                          prefix.root().string(), {"list"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 34), "Palm Desktop data folder: C:\\Palm\n");

    std::filesystem::remove(library);
    const ProgramRun without = runHollinUsers((bin / "hollin-users").string(), prefix.root(),
                                              prefix.root().string(), {"list"});
    EXPECT_EQ(without.status, 1);
    EXPECT_NE(without.err.find("cannot load the Hollin library"), std::string::npos) << without.err;
}

}  // namespace
}  // namespace hollin::test
