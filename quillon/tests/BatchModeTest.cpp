// Batch mode: the argument rules, the command line rebuilt from an argument vector, and the real
// Quillon binary run in a temporary folder with no display, where every report ends up in
// "gostwick.err" and on standard error, no dialog is attempted, a failure changes no file, and
// the exit code tells converted (0), failed (1) and not understood (2) apart.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <thread>

#include "support/TestSupport.h"
#include "ui/CommandLine.h"

namespace quillon {
namespace {

using test::appInfoWithFields;
using test::buildDatabase;
using test::fileExists;
using test::filesIn;
using test::ProgramRun;
using test::readFile;
using test::ScriptedUserInterface;
using test::TempDir;
using test::writeFile;

std::vector<std::string> allArguments(std::string_view line) {
    std::vector<std::string> arguments;
    size_t position = 0;
    while (line.find_first_not_of(' ', position) != std::string_view::npos) {
        arguments.push_back(TakeArgument(line, position));
    }
    return arguments;
}

TEST(CommandLine, ArgumentsFollowTheSpaceAndDoubleQuoteRules) {
    struct ArgumentCase {
        const char* line;
        std::vector<std::string> expected;
    };
    const ArgumentCase cases[] = {
        {"2 C:\\data\\names.pdb C:\\data\\names.csv",
         {"2", "C:\\data\\names.pdb", "C:\\data\\names.csv"}},
        {"  1   a  b ", {"1", "a", "b"}},
        {"1 \"My Data\\a b.csv\" x", {"1", "My Data\\a b.csv", "x"}},
        {"1 a \"\" name", {"1", "a", "", "name"}},
        {"2 \"unterminated path", {"2", "unterminated path"}},
        {"2 \"a\"b", {"2", "a", "b"}},
        {"2 a\"b c", {"2", "a\"b", "c"}},
        {"2 tab\there", {"2", "tab\there"}},
    };
    for (const ArgumentCase& testCase : cases) {
        EXPECT_EQ(allArguments(testCase.line), testCase.expected) << testCase.line;
    }
}

TEST(CommandLine, RebuiltLineGivesBackTheArgumentsOfTheVector) {
    const std::vector<std::vector<std::string>> vectors = {
        {"2", "a.pdb", "b.csv"},
        {"1", "/tmp/My Data/a.csv", "/tmp/out.pdb", "My Phones", ""},
        {"1", "a.csv", "b.pdb", "", "c.ifo"},
        {"2", " leading", "trailing ", "tab\tinside"},
    };
    for (const auto& arguments : vectors) {
        const std::optional<std::string> line = RebuildCommandLine(arguments);
        ASSERT_TRUE(line.has_value());
        std::vector<std::string> expected = arguments;
        while (!expected.empty() && expected.back().empty()) {
            expected.pop_back();  // a trailing empty argument reads the same as a missing one
        }
        std::vector<std::string> parsed = allArguments(*line);
        while (!parsed.empty() && parsed.back().empty()) {
            parsed.pop_back();
        }
        EXPECT_EQ(parsed, expected) << *line;
    }
    EXPECT_EQ(RebuildCommandLine(std::vector<std::string>{"2", "say\"hi\".pdb"}), std::nullopt);
}

TEST(CommandLine, EmptyOrSpaceOnlyLineAsksForTheDialog) {
    ScriptedUserInterface ui;
    for (const char* line : {"", "   "}) {
        DatabaseJob job;
        EXPECT_EQ(RunCommandLine(line, job, ui), StartMode::Interactive);
        EXPECT_FALSE(job.batchMode);
    }
}

class BatchMode : public ::testing::Test {
  protected:
    // Batch mode must work where no display exists, as on a build server.
    ProgramRun runQuillon(const std::vector<std::string>& arguments,
                          const test::ProgramSetting& setting = {}) {
        return test::runProgram(dir.root(), QUILLON_BINARY, arguments, setting);
    }

    std::string errorFile() const { return readFile(dir.path("gostwick.err")); }
    bool hasErrorFile() const { return fileExists(dir.path("gostwick.err")); }

    TempDir dir;
};

TEST_F(BatchMode, Mode2WritesTheCsvAndOnlyWithAnArgumentTheInfoFile) {
    AppInfo info = appInfoWithFields({"Name"});
    writeFile(dir.path("in put.pdb"), buildDatabase(info, {{std::string("Ann\0", 4)}}));

    ProgramRun run = runQuillon({"2", "in put.pdb", "out.csv"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errorOutput, "");
    EXPECT_EQ(readFile(dir.path("out.csv")), "\"Name\"\r\n\"Ann\"\r\n");
    EXPECT_FALSE(fileExists(dir.path("out.ifo")));

    run = runQuillon({"2", "in put.pdb", "out.csv", "out.ifo"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(fileExists(dir.path("out.ifo")));
    EXPECT_EQ(filesIn(dir.root()), (std::vector<std::string>{"in put.pdb", "out.csv", "out.ifo"}));
}

TEST_F(BatchMode, ASuccessfulRunReplacesTheOldFilesAndRemovesAnOlderReport) {
    writeFile(dir.path("in.csv"), "Name,Phone\r\nAnn,555\r\n");
    writeFile(dir.path("out.pdb"), "an older database");
    writeFile(dir.path("gostwick.err"), "older report");
    // A name of 31 characters is the longest a database holds.
    const std::string name(31, 'n');
    const ProgramRun run = runQuillon({"1", "in.csv", "out.pdb", name, ""});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errorOutput, "");
    EXPECT_EQ(readFile(dir.path("out.pdb")).substr(0, 32), name + '\0');
    EXPECT_EQ(filesIn(dir.root()), (std::vector<std::string>{"in.csv", "out.pdb"}));
}

// Every failure and every rejected input: the files that were there keep their bytes, no
// temporary file stays, the exit code says what happened, and the message is in gostwick.err
// (which replaces an older one) and on standard error. A command line that is not understood
// runs nothing and writes nothing, not even gostwick.err.
TEST_F(BatchMode, AFailedRunLeavesEveryFileAsItWasAndSaysWhy) {
    const std::string oldPdb = "the user's database";
    const std::string oldCsv = "the user's csv";
    const std::string oldIfo = "the user's ifo";
    const std::string staleReport = "an older report";
    std::string noMarker = buildDatabase(appInfoWithFields({"A"}), {});
    noMarker.pop_back();
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < 100; ++row) {
        rows.push_back({"row " + std::to_string(row) + std::string(20, 'x') + '\0'});
    }
    const std::string large = buildDatabase(appInfoWithFields({"A"}), rows);
    std::string wideNames = "F0";
    for (int field = 1; field < 51; ++field) {
        wideNames += ",F" + std::to_string(field);
    }
    const std::map<std::string, std::string> inputs = {
        {"good.csv", "Name,Phone\r\nAnn,555\r\n"},
        {"unclosed.csv", "Name,Phone\r\n\"Ann,555\r\n"},
        {"fields.csv", "A,B\na,b,c,d\n"},
        {"wide.csv", wideNames + "\r\n"},
        {"long-name.csv", std::string(20, 'f') + "\r\n"},
        {"types.ifo", "1\r\n"},
        {"width.ifo",
         "1 1 \r\n80 161 \r\n80\r\n1\r\n0\r\n0 0 \r\n0 0 \r\n"
         "456E645461766C6F4461746100\r\n"},
        {"good.pdb", buildDatabase(appInfoWithFields({"A"}), {{std::string("a\0", 2)}})},
        {"large.pdb", large},
        {"no-marker.pdb", noMarker},
        {"cut.pdb", large.substr(0, large.size() - 5)},
    };
    struct FailureCase {
        std::vector<std::string> arguments;
        int exitCode;
        std::string report;        // gostwick.err afterwards; standard error holds it too
        const char* console = "";  // for a command line not understood: on standard error
        test::ProgramSetting setting = {};
    };
    // A file limit of 1 KB stands in for a full disk; the signal it raises is ignored so that
    // the write fails with EFBIG.
    const test::ProgramSetting fullDisk{"", {}, "ulimit -f 1; trap '' XFSZ;"};
    const std::string notUnderstood = "Error - The command line is not understood: ";
    const FailureCase cases[] = {
        {{"1", "missing.csv", "out.pdb", "N"},
         1,
         "Error - Can't open csv file\nmissing.csv: No such file or directory"},
        {{"1", "unclosed.csv", "out.pdb", "N"}, 1, "Unclosed quoted string at record:  1"},
        {{"1", "fields.csv", "out.pdb", "N"},
         1,
         "Invalid number of fields (commas) at CSV line #: 2"},
        {{"1", "wide.csv", "out.pdb", "N"},
         1,
         "ERROR: This csv file contains 51 fields.  50 fields is the maximum limit for Tavlo."},
        {{"1", "long-name.csv", "out.pdb", "N"}, 1, "Field Name: 1 too long"},
        {{"1", "good.csv", "out.pdb", std::string(32, 'n')},
         1,
         "Error - The database name is longer than 31 characters"},
        {{"1", "good.csv", "out.pdb", "N", "types.ifo"},
         1,
         "Invalid number of field types in info file."},
        {{"1", "good.csv", "out.pdb", "N", "width.ifo"}, 1, "Invalid field width in Info file"},
        {{"1", "good.csv", "out.pdb", "N", "missing.ifo"},
         1,
         "Error - Can't open ifo file\nmissing.ifo: No such file or directory"},
        {{"1", "good.csv", "no/such/folder/out.pdb", "N"},
         1,
         "Error - Can't open pdb file\nno/such/folder/out.pdb: No such file or directory"},
        {{"1", "good.csv", "out.pdb", "N"},
         1,
         "Error - Can't write pdb file\nout.pdb: File too large",
         "",
         fullDisk},
        // Without a display the name request cannot be shown.
        {{"1", "good.csv", "out.pdb", ""}, 1, "Error - No name for the database was given"},
        {{"2", "missing.pdb", "out.csv", "out.ifo"},
         1,
         "Error - Can't open pdb file\nmissing.pdb: No such file or directory"},
        {{"2", "no-marker.pdb", "out.csv", "out.ifo"}, 1, "Error - Invalid AppInfo in .pdb file"},
        {{"2", "cut.pdb", "out.csv", "out.ifo"}, 1, "Error - The .pdb file ends inside record 100"},
        {{"2", "good.pdb", "no/such/folder/out.csv", "out.ifo"},
         1,
         "Error - Can't open csv file\nno/such/folder/out.csv: No such file or directory"},
        {{"2", "good.pdb", "out.csv", "no/such/folder/out.ifo"},
         1,
         "Error - Can't open ifo file\nno/such/folder/out.ifo: No such file or directory"},
        {{"2", "large.pdb", "out.csv", "out.ifo"},
         1,
         "Error - Can't write csv file\nout.csv: File too large",
         "",
         fullDisk},
        {{"3", "a", "b"}, 2, staleReport, "the first argument must be 1 or 2"},
        {{"12", "good.csv", "out.pdb", "N"}, 2, staleReport, "the first argument must be 1 or 2"},
        {{"2x", "good.pdb", "out.csv"}, 2, staleReport, "the first argument must be 1 or 2"},
        {{"", "2", "good.pdb", "out.csv"}, 2, staleReport, "the first argument must be 1 or 2"},
        {{"1"}, 2, staleReport, "mode 1 needs a csv file and a pdb file"},
        {{"1", "good.csv"}, 2, staleReport, "mode 1 needs a csv file and a pdb file"},
        {{"2", "good.pdb"}, 2, staleReport, "mode 2 needs a pdb file and a csv file"},
        {{"2", "good.pdb", "", "out.ifo"},
         2,
         staleReport,
         "mode 2 needs a pdb file and a csv file"},
        {{"1", "good.csv", "out.pdb", "N", "x.ifo", "out.csv"},
         2,
         staleReport,
         "more arguments than mode 1 takes"},
        {{"2", "good.pdb", "out.csv", "out.ifo", "more"},
         2,
         staleReport,
         "more arguments than mode 2 takes"},
        {{"2", "say\"hi\".pdb", "out.csv"}, 2, staleReport, "an argument holds a double quote"},
    };
    for (const FailureCase& testCase : cases) {
        std::string line;
        for (const std::string& argument : testCase.arguments) {
            line += "[" + argument + "] ";
        }
        SCOPED_TRACE(line);
        for (const std::string& name : filesIn(dir.root())) {
            std::filesystem::remove_all(dir.path(name));
        }
        for (const auto& [name, bytes] : inputs) {
            writeFile(dir.path(name), bytes);
        }
        writeFile(dir.path("out.pdb"), oldPdb);
        writeFile(dir.path("out.csv"), oldCsv);
        writeFile(dir.path("out.ifo"), oldIfo);
        writeFile(dir.path("gostwick.err"), staleReport);
        const std::vector<std::string> before = filesIn(dir.root());

        const ProgramRun run = runQuillon(testCase.arguments, testCase.setting);

        EXPECT_EQ(run.exitCode, testCase.exitCode) << run.errorOutput;
        EXPECT_EQ(errorFile(), testCase.report);
        if (testCase.exitCode == 1) {
            EXPECT_TRUE(run.errorOutput.ends_with("Quillon: " + testCase.report + "\n"))
                << run.errorOutput;
        } else {
            EXPECT_EQ(run.errorOutput.rfind("Quillon: " + notUnderstood + testCase.console, 0), 0u)
                << run.errorOutput;
            EXPECT_NE(run.errorOutput.find("Batch mode: Quillon 1 csv-file"), std::string::npos);
        }
        EXPECT_EQ(readFile(dir.path("out.pdb")), oldPdb);
        EXPECT_EQ(readFile(dir.path("out.csv")), oldCsv);
        EXPECT_EQ(readFile(dir.path("out.ifo")), oldIfo);
        EXPECT_EQ(filesIn(dir.root()), before) << "no temporary file may stay behind";
    }
}

// A message box would wait for a click that never comes: with a display, batch mode still
// reports the information file's problems in gostwick.err only.
TEST_F(BatchMode, WithADisplayBatchModeStillShowsNoMessageBox) {
    writeFile(dir.path("in.csv"), "A,B\na,b\n");
    writeFile(dir.path("in.ifo"), "1\n");
    const ProgramRun run = runQuillon({"1", "in.csv", "out.pdb", "N", "in.ifo"},
                                      {"", {"QT_QPA_PLATFORM=offscreen"}, ""});
    EXPECT_EQ(run.exitCode, 1) << "124 means the run waited on a message box";
    EXPECT_EQ(errorFile(), "Invalid number of field types in info file.");
    EXPECT_FALSE(fileExists(dir.path("out.pdb")));
}

// Where gostwick.err cannot be written (here the folder is /proc, where nothing can be created)
// the report still reaches standard error, and the exit code says that the run failed.
TEST_F(BatchMode, AReportThatCannotBeWrittenStillReachesStandardError) {
    const ProgramRun run = test::runProgram("/proc", QUILLON_BINARY,
                                            {"1", dir.path("missing.csv"), dir.path("x.pdb"), "N"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(
        run.errorOutput.rfind("Quillon: Error - Can't open csv file\n" + dir.path("missing.csv") +
                                  ": No such file or directory\nQuillon: gostwick.err "
                                  "cannot be written: ",
                              0),
        0u)
        << run.errorOutput;
}

TEST_F(BatchMode, ARunWithoutArgumentsNeedsADisplayForTheDialog) {
    const ProgramRun run = runQuillon({});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errorOutput.find("the dialog cannot be shown: there is no display"),
              std::string::npos);
    EXPECT_TRUE(filesIn(dir.root()).empty());
}

// Two imports into one database at the same time: each writes a file of its own and moves it
// over the database when it is complete, so the database afterwards is one of the two whole
// results, never a mixture. Large inputs keep both writing long enough to overlap.
TEST_F(BatchMode, TwoImportsIntoOneDatabaseLeaveOneWholeDatabase) {
    std::string first = "Name,Phone\r\n";
    std::string second = "Title\r\n";
    for (int row = 0; row < 20000; ++row) {
        first += "first" + std::to_string(row) + "," + std::to_string(row * 7) + "\r\n";
        second += "the second import's row " + std::to_string(row) + "\r\n";
    }
    writeFile(dir.path("first.csv"), first);
    writeFile(dir.path("second.csv"), second);
    ASSERT_EQ(runQuillon({"1", "first.csv", "first.pdb", "First"}).exitCode, 0);
    ASSERT_EQ(runQuillon({"1", "second.csv", "second.pdb", "Second"}).exitCode, 0);
    const std::string firstResult = readFile(dir.path("first.pdb"));
    const std::string secondResult = readFile(dir.path("second.pdb"));

    constexpr int kRounds = 12;
    int mixed = 0;
    for (int round = 0; round < kRounds; ++round) {
        writeFile(dir.path("shared.pdb"), "the database before");
        ProgramRun runs[2];
        std::thread other([&] {
            runs[1] = runQuillon({"1", "second.csv", "shared.pdb", "Second"});
        });
        runs[0] = runQuillon({"1", "first.csv", "shared.pdb", "First"});
        other.join();
        EXPECT_EQ(runs[0].exitCode, 0) << runs[0].errorOutput;
        EXPECT_EQ(runs[1].exitCode, 0) << runs[1].errorOutput;
        const std::string shared = readFile(dir.path("shared.pdb"));
        mixed += shared != firstResult && shared != secondResult;
        EXPECT_EQ(filesIn(dir.root()),
                  (std::vector<std::string>{"first.csv", "first.pdb", "second.csv", "second.pdb",
                                            "shared.pdb"}));
    }
    EXPECT_EQ(mixed, 0) << "rounds out of " << kRounds << " that left a mixed database";
}

}  // namespace
}  // namespace quillon
