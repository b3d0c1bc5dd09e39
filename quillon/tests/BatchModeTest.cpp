// Batch mode: the argument rules, the command line rebuilt from an argument vector, and the real
// Quillon binary run in a temporary folder with no display, where every report ends up in
// "gostwick.err" and no dialog is attempted.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cstdlib>

#include "support/TestSupport.h"
#include "ui/CommandLine.h"

namespace quillon {
namespace {

using test::appInfoWithFields;
using test::buildDatabase;
using test::fileExists;
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

// The real program, started in dir with the given arguments and standard input.
struct ProgramRun {
    int exitCode;
    std::string errorOutput;
};

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

class BatchMode : public ::testing::Test {
  protected:
    ProgramRun runQuillon(const std::vector<std::string>& arguments,
                          const std::string& input = "") {
        writeFile(dir.path("stdin.txt"), input);
        // Batch mode must work where no display exists, as on a build server.
        std::string command = "cd " + shellQuoted(dir.root().string()) +
                              " && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                              shellQuoted(QUILLON_BINARY);
        for (const std::string& argument : arguments) {
            command += " " + shellQuoted(argument);
        }
        command += " <stdin.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        ProgramRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                       readFile(dir.path("stderr.txt"))};
        std::filesystem::remove(dir.path("stdin.txt"));
        std::filesystem::remove(dir.path("stderr.txt"));
        return run;
    }

    std::string errorFile() const { return readFile(dir.path("gostwick.err")); }
    bool hasErrorFile() const { return fileExists(dir.path("gostwick.err")); }

    // Only what a run wrote, apart from its inputs.
    std::vector<std::string> filesInDir() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.root())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
};

TEST_F(BatchMode, Mode2WritesTheCsvAndOnlyWithAnArgumentTheInfoFile) {
    AppInfo info = appInfoWithFields({"Name"});
    writeFile(dir.path("in put.pdb"), buildDatabase(info, {{std::string("Ann\0", 4)}}));
    writeFile(dir.path("gostwick.err"), "older report");

    ProgramRun run = runQuillon({"2", "in put.pdb", "out.csv"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errorOutput, "");
    EXPECT_EQ(readFile(dir.path("out.csv")), "\"Name\"\r\n\"Ann\"\r\n");
    EXPECT_FALSE(fileExists(dir.path("out.ifo")));
    EXPECT_EQ(errorFile(), "older report") << "a successful run writes nothing";

    run = runQuillon({"2", "in put.pdb", "out.csv", "out.ifo"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(fileExists(dir.path("out.ifo")));
}

TEST_F(BatchMode, Mode1UsesTheNameGivenAndWithoutADisplayCannotAskForOne) {
    writeFile(dir.path("in.csv"), "Name,Phone\r\nAnn,555\r\n");
    ProgramRun run = runQuillon({"1", "in.csv", "out.pdb", "Phones", ""});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errorOutput, "");
    EXPECT_EQ(readFile(dir.path("out.pdb")).substr(0, 7), std::string("Phones\0", 7));
    EXPECT_FALSE(hasErrorFile());

    // Without a display the name dialog cannot be shown: the run says so and stops cleanly.
    run = runQuillon({"1", "in.csv", "unnamed.pdb", ""});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.errorOutput.find("the database-name dialog cannot be shown: there is no display"),
              std::string::npos)
        << run.errorOutput;
    EXPECT_EQ(errorFile(), "Error - No name for the database was given");
}

TEST_F(BatchMode, EveryConversionErrorEndsUpInTheErrorFile) {
    std::string noMarker = buildDatabase(appInfoWithFields({"A"}), {});
    noMarker.pop_back();
    writeFile(dir.path("bad.pdb"), noMarker);
    writeFile(dir.path("good.csv"), "A\na\n");
    writeFile(dir.path("wide.csv"), std::string(60, 'f') + "\n");
    writeFile(dir.path("fields.csv"), "A,B\na,b,c,d\n");
    struct ErrorCase {
        std::vector<std::string> arguments;
        const char* expected;
    };
    const ErrorCase cases[] = {
        {{"1", "missing.csv", "out.pdb", "N"}, "Error - Can't open csv file"},
        {{"1", "fields.csv", "no/such/folder/out.pdb", "N"}, "Error - Can't open pdb file"},
        {{"1", "wide.csv", "out.pdb", "N"}, "Field Name: 1 too long"},
        {{"1", "fields.csv", "out.pdb", "N"}, "Invalid number of fields (commas) at CSV line #: 2"},
        {{"1", "good.csv", "out.pdb", std::string(32, 'n')},
         "Error - The database name is longer than 31 characters"},
        {{"2", "missing.pdb", "out.csv"}, "Error - Can't open pdb file"},
        {{"2", "bad.pdb", "out.csv"}, "Error - Invalid AppInfo in .pdb file"},
        {{"2", "bad.pdb", "no/such/folder/out.csv"}, "Error - Can't open csv file"},
        {{"2", "bad.pdb", "out.csv", "no/such/folder/out.ifo"}, "Error - Can't open ifo file"},
        {{"2", "bad.\"pdb", "out.csv"},
         "Error - An argument holds a double quote, which the command line cannot pass"},
    };
    for (const ErrorCase& testCase : cases) {
        std::filesystem::remove(dir.path("gostwick.err"));
        const ProgramRun run = runQuillon(testCase.arguments);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.errorOutput, "") << "no message box in batch mode";
        EXPECT_EQ(errorFile(), testCase.expected) << testCase.arguments[1];
    }
    EXPECT_EQ(readFile(dir.path("bad.pdb")), noMarker);
}

TEST_F(BatchMode, InformationFileMessagesStillGoToTheMessageBox) {
    writeFile(dir.path("in.csv"), "A,B\na,b\n");
    writeFile(dir.path("in.ifo"), "1\n");
    const ProgramRun run = runQuillon({"1", "in.csv", "out.pdb", "N", "in.ifo"});
    EXPECT_EQ(run.errorOutput, "Quillon: Invalid number of field types in info file.\n");
    EXPECT_FALSE(hasErrorFile());
}

TEST_F(BatchMode, OtherModesAndAnEmptyLineDoNothing) {
    writeFile(dir.path("a"), "input");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"3", "a", "b"}, std::vector<std::string>{"1"},
          std::vector<std::string>{"2"}, std::vector<std::string>{"", "2", "a", "b"}}) {
        const ProgramRun run = runQuillon(arguments);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.errorOutput, "");
        EXPECT_EQ(filesInDir(), std::vector<std::string>{"a"});
    }
    const ProgramRun run = runQuillon({});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errorOutput.find("the dialog cannot be shown: there is no display"),
              std::string::npos);
}

}  // namespace
}  // namespace quillon
