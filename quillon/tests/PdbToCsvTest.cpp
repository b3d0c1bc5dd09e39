// Database to CSV: the CSV text written for each kind of content, and the whole conversion on
// files with its messages, the files it leaves behind and an input it never changes.
#include <gtest/gtest.h>

#include <filesystem>

#include "convert/PdbToCsv.h"
#include "database/TavloLayout.h"
#include "support/TestSupport.h"

namespace quillon {
namespace {

using test::appInfoWithFields;
using test::buildDatabase;
using test::readFile;
using test::ScriptedUserInterface;
using test::TempDir;
using test::writeFile;

struct CsvCase {
    const char* what;
    AppInfo info;
    std::vector<std::vector<std::string>> records;
    char delimiter;
    std::string expectedCsv;
};

// A text field's value as the writer stores it: the characters and a NUL.
std::string text(std::string_view characters) {
    return std::string(characters) + std::string(1, '\0');
}

AppInfo withBinaryField(AppInfo info, size_t field) {
    info.types[field] = kBinaryFieldType;
    return info;
}

TEST(PdbToCsv, WritesEachKindOfContentInTheCsvDialect) {
    const std::string nul(1, '\0');
    const CsvCase cases[] = {
        {"quotes in a name are doubled",
         appInfoWithFields({"Size \"XL\""}),
         {},
         ',',
         "\"Size \"\"XL\"\"\"\r\n"},
        {"an empty name is nothing at all",
         appInfoWithFields({"A", "", "X"}),
         {},
         ',',
         "\"A\",,\"X\"\r\n"},
        {"quotes become apostrophes, line breaks spaces",
         appInfoWithFields({"T"}),
         {{"He said \"hi\"\r\nbye" + nul}},
         ',',
         "\"T\"\r\n\"He said 'hi'  bye\"\r\n"},
        {"empty text field", appInfoWithFields({"T"}), {{nul}}, ',', "\"T\"\r\n\"\"\r\n"},
        {"text field of length 0", appInfoWithFields({"T"}), {{""}}, ',', "\"T\"\r\n\"\"\r\n"},
        {"text stops at its first NUL",
         appInfoWithFields({"T"}),
         {{"ab" + nul + "cd" + nul}},
         ',',
         "\"T\"\r\n\"ab\"\r\n"},
        {"a value without NUL is cleaned up to its last byte",
         appInfoWithFields({"T"}),
         {{"ab\""}},
         ',',
         "\"T\"\r\n\"ab'\"\r\n"},
        {"binary field as uppercase hexadecimal",
         withBinaryField(appInfoWithFields({"B"}), 0),
         {{std::string("\x00\x1A\xFF", 3)}},
         ',',
         "\"B\"\r\n\"001AFF\"\r\n"},
        {"semicolon delimiter",
         appInfoWithFields({"A", "B"}),
         {{"a" + nul, "b" + nul}},
         ';',
         "\"A\";\"B\"\r\n\"a\";\"b\"\r\n"},
    };
    for (const CsvCase& testCase : cases) {
        const std::string database = buildDatabase(testCase.info, testCase.records);
        InputFile input;
        input.openMemory(database);
        std::string csvText;
        OutputFile csv;
        csv.openMemory(csvText);
        size_t liveCount = 0;
        std::string message;
        ASSERT_TRUE(
            convertDatabaseToCsv(input, csv, nullptr, testCase.delimiter, liveCount, message))
            << testCase.what << ": " << message;
        ASSERT_TRUE(csv.close());
        EXPECT_EQ(csvText, testCase.expectedCsv) << testCase.what;
    }
}

class PdbToCsvFiles : public ::testing::Test {
  protected:
    DatabaseJob jobFor(const std::string& database) {
        writeFile(dir.path("in.pdb"), database);
        DatabaseJob job;
        job.pdbPath = dir.path("in.pdb");
        job.csvPath = dir.path("out.csv");
        job.infoPath = dir.path("out.ifo");
        job.useInfoFile = false;
        return job;
    }

    TempDir dir;
    ScriptedUserInterface ui;
};

TEST_F(PdbToCsvFiles, DeletedRecordsAreSkippedAndCountedOutOfTheMessage) {
    const std::string database =
        buildDatabase(appInfoWithFields({"A"}), {{text("x")}, {text("y")}}, {0, 0x80, 0});
    DatabaseJob job = jobFor(database);
    ConvertPdbToCsv(job, ui);
    EXPECT_EQ(readFile(job.csvPath), "\"A\"\r\n\"x\"\r\n\"y\"\r\n");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Conversion of 2 records in " + job.pdbPath + " to " + job.csvPath +
                                  " was successful!");
    EXPECT_EQ(readFile(job.pdbPath), database);
}

TEST_F(PdbToCsvFiles, DatabaseWithoutRecordsGivesTheNameLineAndInfoFile) {
    DatabaseJob job = jobFor(buildDatabase(appInfoWithFields({"A", "B"}), {}));
    job.useInfoFile = true;
    ConvertPdbToCsv(job, ui);
    EXPECT_EQ(readFile(job.csvPath), "\"A\",\"B\"\r\n");
    EXPECT_EQ(readFile(job.infoPath),
              "1 1 \r\n80 80 \r\n80\r\n1\r\n0\r\n0 0 \r\n0 0 \r\n456E645461766C6F4461746100\r\n");
    EXPECT_EQ(ui.messages.at(0), "Conversion of 0 records in " + job.pdbPath + " to " +
                                     job.csvPath + " was successful!");
}

TEST_F(PdbToCsvFiles, InvalidAppInfoLeavesTheOldCsvAndInfoFileAsTheyWere) {
    std::string database = buildDatabase(appInfoWithFields({"A"}), {});
    database.resize(database.size() - 1);  // the marker loses its NUL
    DatabaseJob job = jobFor(database);
    job.useInfoFile = true;
    writeFile(job.csvPath, "the old csv");
    writeFile(job.infoPath, "the old ifo");
    ConvertPdbToCsv(job, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Error - Invalid AppInfo in .pdb file"});
    EXPECT_EQ(readFile(job.csvPath), "the old csv");
    EXPECT_EQ(readFile(job.infoPath), "the old ifo");
    EXPECT_EQ(readFile(job.pdbPath), database);
    EXPECT_EQ(test::filesIn(dir.root()),
              (std::vector<std::string>{"in.pdb", "out.csv", "out.ifo"}));
}

TEST_F(PdbToCsvFiles, AFailedWriteIsReportedNotCalledASuccess) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "needs /dev/full";
    }
    DatabaseJob job = jobFor(buildDatabase(appInfoWithFields({"A"}), {{text("x")}}));
    // A device is written in place: there is no file of the user's to keep.
    job.csvPath = "/dev/full";
    ConvertPdbToCsv(job, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Error - Can't write csv file\n/dev/full: "
                                                    "No space left on device"});
    job.csvPath = dir.path("out.csv");
    job.infoPath = "/dev/full";
    job.useInfoFile = true;
    ui.messages.clear();
    ConvertPdbToCsv(job, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Error - Can't write ifo file\n/dev/full: "
                                                    "No space left on device"});
    EXPECT_FALSE(test::fileExists(job.csvPath)) << "no CSV without its information file";
}

TEST_F(PdbToCsvFiles, FilesThatCannotBeOpenedOrWouldOverwriteTheInputAreReported) {
    struct OpenCase {
        const char* what;
        std::string csvPath;
        std::string infoPath;
        const char* expectedMessage;
    };
    const std::string missingCsv = "Error - Can't open csv file\n" + dir.path("missing/out.csv") +
                                   ": No such file or directory";
    const std::string missingIfo = "Error - Can't open ifo file\n" + dir.path("missing/out.ifo") +
                                   ": No such file or directory";
    const std::string folderCsv =
        "Error - Can't open csv file\n" + dir.path("folder.csv") + ": Is a directory";
    std::filesystem::create_directory(dir.path("folder.csv"));
    const OpenCase cases[] = {
        {"csv in a missing folder", dir.path("missing/out.csv"), "", missingCsv.c_str()},
        {"ifo in a missing folder", dir.path("out.csv"), dir.path("missing/out.ifo"),
         missingIfo.c_str()},
        {"csv is a folder", dir.path("folder.csv"), "", folderCsv.c_str()},
        {"csv is the database", dir.path("in.pdb"), "",
         "Error - The csv file and the pdb file are the same file"},
        {"ifo is the database", dir.path("out.csv"), dir.path("./in.pdb"),
         "Error - The ifo file must differ from the pdb and csv files"},
    };
    const std::string database = buildDatabase(appInfoWithFields({"A"}), {{text("x")}});
    for (const OpenCase& testCase : cases) {
        DatabaseJob job = jobFor(database);
        job.csvPath = testCase.csvPath;
        job.infoPath = testCase.infoPath;
        job.useInfoFile = !testCase.infoPath.empty();
        ui.messages.clear();
        ConvertPdbToCsv(job, ui);
        EXPECT_EQ(ui.messages, std::vector<std::string>{testCase.expectedMessage}) << testCase.what;
        EXPECT_EQ(readFile(job.pdbPath), database) << testCase.what;
    }
    DatabaseJob job = jobFor(database);
    job.pdbPath = dir.path("absent.pdb");
    job.csvPath = dir.path("never.csv");
    ui.messages.clear();
    ConvertPdbToCsv(job, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Error - Can't open pdb file\n" + job.pdbPath +
                                                    ": No such file or directory"});
    EXPECT_FALSE(test::fileExists(job.csvPath));
    EXPECT_EQ(test::filesIn(dir.root()), (std::vector<std::string>{"folder.csv", "in.pdb"}));
}

}  // namespace
}  // namespace quillon
