// The upgrade's two companion programs, run as the upgrade runs them: ferrand.exe exports a
// Tavlo 3.x database to CSV and the older information file, gostwick.exe builds a Tavlo Pro
// database like batch mode 1. Both must end with a non-zero exit code when they fail, because the
// upgrade judges them by that code alone.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include "support/TestSupport.h"
#include "upgrade/PosixProcessRunner.h"

extern char** environ;

namespace quillon {
namespace {

using test::fileExists;
using test::filesIn;
using test::readFile;
using test::runProgram;
using test::TempDir;
using test::writeFile;

class Companions : public ::testing::Test {
  protected:
    test::ProgramRun ferrand(const std::vector<std::string>& arguments) {
        return runProgram(dir.root(), QUILLON_FERRAND_BINARY, arguments);
    }
    test::ProgramRun gostwick(const std::vector<std::string>& arguments,
                              const std::string& input = "") {
        return runProgram(dir.root(), QUILLON_GOSTWICK_BINARY, arguments, input);
    }
    TempDir dir;
};

TEST_F(Companions, FerrandWritesTheCsvAndTheOlderInformationFile) {
    writeFile(dir.path("old.pdb"), test::sampleTavlo3Database());
    const test::ProgramRun run = ferrand({"2", "old.pdb", "old.csv", "old.ifo"});
    EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
    EXPECT_EQ(readFile(dir.path("old.csv")), test::kSampleTavlo3Csv);
    EXPECT_EQ(readFile(dir.path("old.ifo")), test::kSampleTavlo3OldInfo);

    EXPECT_EQ(ferrand({"2", "old.pdb", "only.csv"}).exitCode, 0);
    EXPECT_EQ(readFile(dir.path("only.csv")), test::kSampleTavlo3Csv);
    EXPECT_FALSE(fileExists(dir.path("only.ifo")));
}

TEST_F(Companions, FerrandFailsWithItsOwnMessageAndLeavesEveryFileAsItWas) {
    const std::string database = test::sampleTavlo3Database();
    writeFile(dir.path("old.pdb"), database);
    writeFile(dir.path("x.csv"), "an earlier csv");
    writeFile(dir.path("x.ifo"), "an earlier ifo");
    writeFile(dir.path("pro.pdb"), test::buildDatabase(test::appInfoWithFields({"A"}), {}));
    writeFile(dir.path("cut.pdb"), database.substr(0, database.size() - 3));
    struct FailureCase {
        std::vector<std::string> arguments;
        int exitCode;
        const char* message;
    };
    const FailureCase cases[] = {
        {{}, 2, "Usage: ferrand.exe 2"},
        {{"1", "old.pdb", "x.csv", "x.ifo"}, 2, "Usage: ferrand.exe 2"},
        {{"22", "old.pdb", "x.csv", "x.ifo"}, 2, "Usage: ferrand.exe 2"},
        {{"2", "missing.pdb", "x.csv", "x.ifo"}, 1, "ferrand: Error - Can't open the Tavlo 3.x"},
        {{"2", "pro.pdb", "x.csv", "x.ifo"}, 1, "ferrand: Error - The file is not a Tavlo 3.x"},
        {{"2", "cut.pdb", "x.csv", "x.ifo"}, 1, "ferrand: Error - The Tavlo 3.x database ends"},
        {{"2", "old.pdb", "old.pdb", "x.ifo"}, 1, "ferrand: Error - The database, the CSV file"},
        {{"2", "old.pdb", "x.csv", "no/such/x.ifo"}, 1, "ferrand: Error - Can't create the inf"},
    };
    for (const FailureCase& testCase : cases) {
        const test::ProgramRun run = ferrand(testCase.arguments);
        EXPECT_EQ(run.exitCode, testCase.exitCode) << run.errorOutput;
        EXPECT_EQ(run.errorOutput.rfind(testCase.message, 0), 0u) << run.errorOutput;
        EXPECT_EQ(filesIn(dir.root()),
                  (std::vector<std::string>{"cut.pdb", "old.pdb", "pro.pdb", "x.csv", "x.ifo"}));
    }
    EXPECT_EQ(readFile(dir.path("old.pdb")), database);
    EXPECT_EQ(readFile(dir.path("x.csv")), "an earlier csv");
    EXPECT_EQ(readFile(dir.path("x.ifo")), "an earlier ifo");
}

TEST_F(Companions, GostwickEndsWithACodeThatTellsSuccessFromFailure) {
    writeFile(dir.path("in.csv"), "Name,Phone\r\nAnn,555\r\n");
    writeFile(dir.path("bad.csv"), "A,B\r\na,b,c,d\r\n");

    test::ProgramRun run = gostwick({"1", "in.csv", "out.pdb", "My Phones"});
    EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
    EXPECT_EQ(readFile(dir.path("out.pdb")).substr(0, 10), std::string("My Phones\0", 10));

    run = gostwick({"1", "bad.csv", "out.pdb", "Bad"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(readFile(dir.path("gostwick.err")),
              "Invalid number of fields (commas) at CSV line #: 2");
    EXPECT_EQ(run.errorOutput, "gostwick: Invalid number of fields (commas) at CSV line #: 2\n");
    EXPECT_EQ(readFile(dir.path("out.pdb")).substr(0, 10), std::string("My Phones\0", 10))
        << "a failed run leaves the database it would have replaced";

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"2", "out.pdb", "x.csv"},
          std::vector<std::string>{"1"}, std::vector<std::string>{"12", "in.csv", "x.pdb", "N"}}) {
        run = gostwick(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.errorOutput.find("Usage: gostwick.exe 1"), std::string::npos);
    }
    EXPECT_EQ(filesIn(dir.root()),
              (std::vector<std::string>{"bad.csv", "gostwick.err", "in.csv", "out.pdb"}));
}

// gostwick.exe reads a CSV the way batch mode does, a spreadsheet's "CSV UTF-8" included.
TEST_F(Companions, GostwickConvertsAUtf8CsvToTheHandheldsCharacters) {
    writeFile(dir.path("utf8.csv"), "\xEF\xBB\xBFNom\r\nCaf\xC3\xA9 \xE2\x80\x9Cx\xE2\x80\x9D\r\n");
    writeFile(dir.path("latin1.csv"), "Nom\r\nCaf\xE9 \x93x\x94\r\n");
    test::ProgramRun run = gostwick({"1", "utf8.csv", "utf8.pdb", "Names"});
    EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
    run = gostwick({"1", "latin1.csv", "latin1.pdb", "Names"});
    EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
    EXPECT_EQ(readFile(dir.path("utf8.pdb")), readFile(dir.path("latin1.pdb")));
}

TEST_F(Companions, GostwickAsksForAMissingNameOnTheTerminal) {
    writeFile(dir.path("in.csv"), "Name\r\nAnn\r\n");
    test::ProgramRun run = gostwick({"1", "in.csv", "asked.pdb", ""}, "\nMy Phones\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(readFile(dir.path("asked.pdb")).substr(0, 10), std::string("My Phones\0", 10));
    EXPECT_EQ(run.errorOutput, "Name for the database in Tavlo: Name for the database in Tavlo: ");

    // A typed name has room for 30 characters; a longer one is asked for again.
    run = gostwick({"1", "in.csv", "long.pdb", ""},
                   std::string(31, 'n') + "\n" + std::string(30, 'm') + "\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(readFile(dir.path("long.pdb")).substr(0, 31), std::string(30, 'm') + '\0');
    EXPECT_EQ(run.errorOutput,
              "Name for the database in Tavlo: gostwick: at most 30 characters, please.\nName for "
              "the database in Tavlo: ");

    run = gostwick({"1", "in.csv", "unnamed.pdb", ""});  // standard input gives nothing
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(readFile(dir.path("gostwick.err")), "Error - No name for the database was given");
}

// gostwick.exe waits for the database name on its standard input after the first pass over the
// CSV, with its temporary database open beside the destination: a signal then must end it,
// remove that file and leave the database that was there.
TEST_F(Companions, GostwickEndedByASignalLeavesTheDatabaseAndNoTemporaryFile) {
    writeFile(dir.path("in.csv"), "Name\r\nAnn\r\n");
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signalNumber));
        writeFile(dir.path("out.pdb"), "the user's database");
        int input[2];
        ASSERT_EQ(pipe(input), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_addclose(&actions, input[1]);
        const std::string errorPath =
            dir.root().parent_path() / (dir.root().filename().string() + ".prompt");
        posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (const int reset : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&defaults, reset);
        }
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        const std::string program = QUILLON_GOSTWICK_BINARY;
        const std::string csv = dir.path("in.csv");
        const std::string pdb = dir.path("out.pdb");
        std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                                   const_cast<char*>("1"),
                                   const_cast<char*>(csv.c_str()),
                                   const_cast<char*>(pdb.c_str()),
                                   const_cast<char*>(""),
                                   nullptr};
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        close(input[0]);
        // The prompt shows that the temporary database exists.
        for (int wait = 0; wait < 500 && readFile(errorPath).empty(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(readFile(errorPath), "Name for the database in Tavlo: ");
        EXPECT_EQ(filesIn(dir.root()).size(), 3u) << "in.csv, out.pdb and the temporary file";
        kill(child, signalNumber);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        close(input[1]);
        std::filesystem::remove(errorPath);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
        EXPECT_EQ(readFile(dir.path("out.pdb")), "the user's database");
        EXPECT_EQ(filesIn(dir.root()), (std::vector<std::string>{"in.csv", "out.pdb"}));
    }
}

// The upgrade passes one command-line text; the runner cuts it by the batch-mode rules, so a
// quoted database name with spaces reaches gostwick.exe as one argument.
TEST_F(Companions, RunnerPassesQuotedArgumentsWholeAndReportsExitCodes) {
    EXPECT_EQ(
        splitCommandLine("\"/p q/gostwick.exe\" 1 \"a b.csv\" \"a bPro.pdb\" \"a bPro\" \"\""),
        (std::vector<std::string>{"/p q/gostwick.exe", "1", "a b.csv", "a bPro.pdb", "a bPro",
                                  ""}));

    writeFile(dir.path("in.csv"), "Name\r\nAnn\r\n");
    PosixProcessRunner runner;
    const std::string gostwickPath = QUILLON_GOSTWICK_BINARY;
    const std::string line = "\"" + gostwickPath + "\" 1 \"" + dir.path("in.csv") + "\" \"" +
                             dir.path("out.pdb") + "\" \"Old Phones Pro\"";
    EXPECT_EQ(runner.run(gostwickPath, line), 0);
    EXPECT_EQ(readFile(dir.path("out.pdb")).substr(0, 15), std::string("Old Phones Pro\0", 15));

    EXPECT_EQ(runner.run(gostwickPath, "\"" + gostwickPath + "\" 2"), 2);
    EXPECT_EQ(runner.run(dir.path("missing.exe"), "missing.exe 1"), std::nullopt);
}

}  // namespace
}  // namespace quillon
