// The output that replaces a file only when it is whole: the destination keeps its bytes until
// the commit, an output that is not committed leaves nothing behind, a destination that may not
// be replaced is refused before anything is written, and links, permissions, devices and long
// names are handled as writing in place handled them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "database/AtomicOutputFile.h"
#include "support/TestSupport.h"

namespace quillon {
namespace {

using test::filesIn;
using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(AtomicOutputFile, TheDestinationChangesOnlyAtTheCommit) {
    TempDir dir;
    writeFile(dir.path("names.pdb"), "old bytes");
    AtomicOutputFile out;
    ASSERT_TRUE(out.create(dir.path("names.pdb"))) << out.errorText();
    out.file().write("new bytes");
    ASSERT_TRUE(out.finish());
    EXPECT_EQ(readFile(dir.path("names.pdb")), "old bytes");
    const std::vector<std::string> during = filesIn(dir.root());
    ASSERT_EQ(during.size(), 2u);
    EXPECT_EQ(during[1].rfind("names.pdb.", 0), 0u) << during[1];
    EXPECT_TRUE(during[1].ends_with(".tmp")) << during[1];
    EXPECT_EQ(during[1].size(), std::string("names.pdb.12345678.tmp").size());

    ASSERT_TRUE(out.replaceDestination()) << out.errorText();
    EXPECT_EQ(readFile(dir.path("names.pdb")), "new bytes");
    EXPECT_EQ(filesIn(dir.root()), std::vector<std::string>{"names.pdb"});
}

TEST(AtomicOutputFile, AnOutputThatIsNotCommittedLeavesNothing) {
    TempDir dir;
    writeFile(dir.path("kept.csv"), "old bytes");
    {
        AtomicOutputFile replacing;
        AtomicOutputFile creating;
        ASSERT_TRUE(replacing.create(dir.path("kept.csv")));
        ASSERT_TRUE(creating.create(dir.path("new.csv")));
        replacing.file().write(std::string(200000, 'x'));  // more than one buffer
        creating.file().write("x");
        ASSERT_TRUE(creating.finish());
    }
    EXPECT_EQ(readFile(dir.path("kept.csv")), "old bytes");
    EXPECT_EQ(filesIn(dir.root()), std::vector<std::string>{"kept.csv"});
}

TEST(AtomicOutputFile, ADestinationThatCannotBeReplacedIsRefusedBeforeWriting) {
    TempDir dir;
    std::filesystem::create_directory(dir.path("folder.pdb"));
    writeFile(dir.path("read-only.pdb"), "kept");
    chmod(dir.path("read-only.pdb").c_str(), 0444);
    struct RefusedCase {
        std::string destination;
        const char* reason;
        bool needsUnprivileged;  // a privileged process may write a read-only file
    };
    const RefusedCase cases[] = {
        {dir.path("missing/out.pdb"), "No such file or directory", false},
        {dir.path("folder.pdb"), "Is a directory", false},
        {dir.path("read-only.pdb"), "Permission denied", true},
    };
    for (const RefusedCase& testCase : cases) {
        if (testCase.needsUnprivileged && geteuid() == 0) {
            continue;
        }
        AtomicOutputFile out;
        EXPECT_FALSE(out.create(testCase.destination)) << testCase.destination;
        EXPECT_EQ(out.errorText(), testCase.reason) << testCase.destination;
        EXPECT_FALSE(out.commit());
    }
    EXPECT_EQ(filesIn(dir.root()), (std::vector<std::string>{"folder.pdb", "read-only.pdb"}));
    EXPECT_EQ(readFile(dir.path("read-only.pdb")), "kept");
}

// A link keeps pointing at the file it named, which gets the new bytes; the new file keeps the
// permissions of the old one.
TEST(AtomicOutputFile, LinksAndPermissionsStayAsTheyWere) {
    TempDir dir;
    std::filesystem::create_directory(dir.path("data"));
    writeFile(dir.path("data/real.pdb"), "old bytes");
    chmod(dir.path("data/real.pdb").c_str(), 0640);
    std::filesystem::create_symlink("data/real.pdb", dir.path("link.pdb"));
    AtomicOutputFile out;
    ASSERT_TRUE(out.create(dir.path("link.pdb")));
    out.file().write("new bytes");
    ASSERT_TRUE(out.commit()) << out.errorText();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("link.pdb")));
    EXPECT_EQ(readFile(dir.path("data/real.pdb")), "new bytes");
    EXPECT_EQ(filesIn(dir.path("data")), std::vector<std::string>{"real.pdb"});
    struct stat status {};
    ASSERT_EQ(stat(dir.path("data/real.pdb").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

// A pipe (here a named one in the test's folder, read by another thread) stands for the devices
// such as /dev/stdout: there is no file to keep, and it is written directly.
TEST(AtomicOutputFile, APipeIsWrittenInPlaceAndALongNameStillGetsATemporaryName) {
    {
        TempDir dir;
        ASSERT_EQ(mkfifo(dir.path("pipe").c_str(), 0600), 0);
        std::string received;
        std::thread reader([&] { received = readFile(dir.path("pipe")); });
        AtomicOutputFile pipe;
        const bool created = pipe.create(dir.path("pipe"));
        pipe.file().write("through the pipe");
        const bool committed = pipe.commit();
        reader.join();
        EXPECT_TRUE(created && committed) << pipe.errorText();
        EXPECT_EQ(received, "through the pipe");
        EXPECT_TRUE(std::filesystem::is_fifo(dir.path("pipe")));
        EXPECT_EQ(filesIn(dir.root()), std::vector<std::string>{"pipe"});
    }
    TempDir dir;
    const std::string longName(255, 'n');  // the longest name a file system takes
    AtomicOutputFile out;
    ASSERT_TRUE(out.create(dir.path(longName))) << out.errorText();
    out.file().write("bytes");
    ASSERT_TRUE(out.commit()) << out.errorText();
    EXPECT_EQ(filesIn(dir.root()), std::vector<std::string>{longName});
}

}  // namespace
}  // namespace quillon
