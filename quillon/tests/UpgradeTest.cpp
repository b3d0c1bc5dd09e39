// The legacy upgrade end to end with the real companion programs, copied into a temporary folder
// that is the current directory (where the upgrade looks first), and shell-script stand-ins
// where a companion must misbehave in a way the real one never does; the user's own files beside
// the old database are never touched. Then the rewrite of the older information file, the names
// derived from the chosen file and the 3.x reader's limits, as tables. Last, the folders searched
// for the companions after the current one: Quillon's own and the installation's companion folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <map>

#include "QuillonVersion.h"
#include "convert/PdbToCsv.h"
#include "database/DatabaseReader.h"
#include "legacy/Tavlo3Reader.h"
#include "support/TestSupport.h"
#include "upgrade/CompanionSearch.h"
#include "upgrade/InfoFileRewrite.h"
#include "upgrade/LegacyUpgrade.h"
#include "upgrade/PosixProcessRunner.h"

namespace quillon {
namespace {

using test::fileExists;
using test::filesIn;
using test::readFile;
using test::ScriptedUserInterface;
using test::TempDir;
using test::writeFile;

// The rewrite of the sample's older information file.
constexpr std::string_view kSampleRewrittenInfo =
    "1 5 68 \r\n80 40 60 \r\n100\r\n2\r\n0\r\n0 0 0 \r\n0 0 0 \r\n456E645461766C6F4461746100\r\n"
    "popupPhone\r\nhome\r\nwork\r\n";

// Members are public so that the failure table's set-up steps can reach them.
class Upgrade : public ::testing::Test {
  public:
    Upgrade() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir.root());
    }
    ~Upgrade() override { std::filesystem::current_path(previous_); }

    void installCompanions(bool withFerrand = true) {
        if (withFerrand) {
            std::filesystem::copy_file(QUILLON_FERRAND_BINARY, dir.path("ferrand.exe"));
        }
        std::filesystem::copy_file(QUILLON_GOSTWICK_BINARY, dir.path("gostwick.exe"));
    }
    void installScript(const char* name, const std::string& body) {
        writeFile(dir.path(name), "#!/bin/sh\n" + body);
        chmod(dir.path(name).c_str(), 0755);
    }
    std::vector<std::string> runUpgrade(const std::string& chosenName) {
        ui.files = {dir.path(chosenName)};
        upgrade.run(job, ui);
        return ui.messages;
    }

    TempDir dir;
    PosixProcessRunner runner;
    // No program folder: only the current directory is searched, whatever lies beside the test.
    LegacyUpgrade upgrade{runner, ""};
    ScriptedUserInterface ui;
    DatabaseJob job;

  private:
    std::filesystem::path previous_;
};

TEST_F(Upgrade, BuildsATavloProDatabaseThatExportsTheSameCsv) {
    installCompanions();
    const std::string old = test::sampleTavlo3Database();
    writeFile(dir.path("my old db.pdb"), old);
    // The user's own files of the same names are no working files of the upgrade.
    writeFile(dir.path("my old db.csv"), "the user's own csv");
    writeFile(dir.path("my old db.ifo"), "the user's own ifo");

    EXPECT_EQ(runUpgrade("my old db.pdb"),
              std::vector<std::string>{upgradeCompletedMessage("my old db.pdb")});
    EXPECT_EQ(ui.filters, std::vector<std::string>{"PDB Files (*.pdb)|*.pdb||"});
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(filesIn(dir.root()),
              (std::vector<std::string>{"ferrand.exe", "gostwick.exe", "my old db.csv",
                                        "my old db.ifo", "my old db.pdb", "my old dbPro.pdb"}));
    EXPECT_EQ(readFile(dir.path("my old db.pdb")), old);
    EXPECT_EQ(readFile(dir.path("my old db.csv")), "the user's own csv");
    EXPECT_EQ(readFile(dir.path("my old db.ifo")), "the user's own ifo");
    EXPECT_EQ(job.pdbPath, dir.path("my old dbPro.pdb"));
    // The working files had names of their own beside the database, and are gone.
    const std::string workingStart = dir.path("my old db.upgrade-");
    EXPECT_EQ(job.csvPath.rfind(workingStart, 0), 0u) << job.csvPath;
    EXPECT_TRUE(job.csvPath.ends_with(".csv")) << job.csvPath;
    EXPECT_EQ(job.infoPath, job.csvPath.substr(0, job.csvPath.size() - 3) + "ifo");

    // The name with its spaces reached gostwick.exe as one argument.
    const std::string pro = readFile(dir.path("my old dbPro.pdb"));
    EXPECT_EQ(pro.substr(0, 13), std::string("my old dbPro\0", 13));

    DatabaseJob exportJob;
    exportJob.pdbPath = dir.path("my old dbPro.pdb");
    exportJob.csvPath = dir.path("check.csv");
    exportJob.infoPath = dir.path("check.ifo");
    exportJob.batchMode = true;
    ASSERT_TRUE(ConvertPdbToCsv(exportJob, ui));
    EXPECT_EQ(readFile(dir.path("check.csv")), test::kSampleTavlo3Csv);
    // Types, widths and popup lists came across; the 3.x sort field and view flags did not.
    EXPECT_EQ(readFile(dir.path("check.ifo")), kSampleRewrittenInfo);
}

// Each failure shows the specified message and, on a second line, what went wrong. However the
// run ends, the working files are removed, the user's own files keep their bytes, and an existing
// new database is only ever replaced by a complete one.
TEST_F(Upgrade, EachFailureSaysWhyAndLeavesTheUsersFilesAsTheyWere) {
    struct FailureCase {
        const char* what;
        std::function<void(Upgrade&)> arrange;
        std::string_view message;
        std::string reason;                  // the second line, empty for none
        std::vector<std::string> filesLeft;  // besides the user's files and the companions
    };
    const FailureCase cases[] = {
        {"ferrand.exe missing",
         [](Upgrade& t) { t.installCompanions(false); },
         kFerrandFailedMessage,
         dir.path("ferrand.exe") + " could not be started: No such file or directory",
         {}},
        {"ferrand.exe fails on a database that is not 3.x",
         [](Upgrade& t) {
             t.installCompanions();
             writeFile(t.dir.path("old.pdb"),
                       test::buildDatabase(test::appInfoWithFields({"A"}), {}));
         },
         kFerrandFailedMessage,
         "ferrand.exe ended with exit code 1",
         {}},
        {"ferrand.exe writes no information file",
         [](Upgrade& t) {
             t.installCompanions(false);
             t.installScript("ferrand.exe", "printf 'A\\r\\n' > \"$3\"\n");
         },
         kInfoFileMissingMessage,
         "",
         {}},
        {"gostwick.exe fails (a 20-character field name)",
         [](Upgrade& t) {
             t.installCompanions();
             writeFile(t.dir.path("old.pdb"), test::sampleTavlo3Database(std::string(20, 'n')));
         },
         kGostwickFailedMessage,
         "gostwick.exe ended with exit code 1: Field Name: 1 too long",
         {"gostwick.err"}},
        {"gostwick.exe ends with a non-zero code",
         [](Upgrade& t) {
             t.installCompanions();
             std::filesystem::remove(t.dir.path("gostwick.exe"));
             t.installScript("gostwick.exe", "exit 3\n");
         },
         kGostwickFailedMessage,
         "gostwick.exe ended with exit code 3",
         {}},
    };
    const std::map<std::string, std::string> userFiles = {
        {"old.csv", "the user's own csv"},
        {"old.ifo", "the user's own ifo"},
        {"oldPro.pdb", "an earlier upgrade"},
    };
    for (const FailureCase& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        for (const std::string& name : filesIn(dir.root())) {
            std::filesystem::remove(dir.path(name));
        }
        writeFile(dir.path("old.pdb"), test::sampleTavlo3Database());
        for (const auto& [name, bytes] : userFiles) {
            writeFile(dir.path(name), bytes);
        }
        testCase.arrange(*this);
        const std::string old = readFile(dir.path("old.pdb"));
        ui.messages.clear();
        ui.answers = {true};  // replace oldPro.pdb
        LegacyUpgrade freshUpgrade(runner);
        ui.files = {dir.path("old.pdb")};
        freshUpgrade.run(job, ui);

        const std::string expected = testCase.reason.empty()
                                         ? std::string(testCase.message)
                                         : std::string(testCase.message) + "\n" + testCase.reason;
        EXPECT_EQ(ui.messages, std::vector<std::string>{expected});
        std::vector<std::string> expectedFiles = testCase.filesLeft;
        expectedFiles.push_back("old.pdb");
        for (const auto& [name, bytes] : userFiles) {
            expectedFiles.push_back(name);
            EXPECT_EQ(readFile(dir.path(name)), bytes) << name;
        }
        for (const char* program : {"ferrand.exe", "gostwick.exe"}) {
            if (fileExists(dir.path(program))) {
                expectedFiles.push_back(program);
            }
        }
        std::sort(expectedFiles.begin(), expectedFiles.end());
        EXPECT_EQ(filesIn(dir.root()), expectedFiles);
        EXPECT_EQ(readFile(dir.path("old.pdb")), old);
    }
}

TEST_F(Upgrade, AnExistingNewDatabaseIsReplacedOnlyWhenTheUserAgrees) {
    installCompanions();
    writeFile(dir.path("old.pdb"), test::sampleTavlo3Database());
    writeFile(dir.path("oldPro.pdb"), "an earlier upgrade");
    const std::vector<std::string> before = filesIn(dir.root());

    ui.answers = {false};
    EXPECT_TRUE(runUpgrade("old.pdb").empty()) << "declining is no failure to report";
    EXPECT_EQ(ui.questions,
              std::vector<std::string>{dir.path("oldPro.pdb") +
                                       " already exists.\nDo you want to replace it?"});
    EXPECT_EQ(readFile(dir.path("oldPro.pdb")), "an earlier upgrade");
    EXPECT_EQ(filesIn(dir.root()), before) << "nothing was run";

    ui.answers = {true};
    EXPECT_EQ(runUpgrade("old.pdb"), std::vector<std::string>{upgradeCompletedMessage("old.pdb")});
    EXPECT_EQ(readFile(dir.path("oldPro.pdb")).substr(0, 7), std::string("oldPro\0", 7));
    EXPECT_EQ(filesIn(dir.root()), before);
}

TEST_F(Upgrade, CancellingOrAQuoteInThePathRunsNothing) {
    installCompanions();
    ui.files = {std::nullopt};
    upgrade.run(job, ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(job.pdbPath, "");

    writeFile(dir.path("a\" \"b.pdb"), test::sampleTavlo3Database());
    EXPECT_EQ(runUpgrade("a\" \"b.pdb"),
              std::vector<std::string>{std::string(kQuoteInPathMessage)});
    EXPECT_EQ(filesIn(dir.root()),
              (std::vector<std::string>{"a\" \"b.pdb", "ferrand.exe", "gostwick.exe"}));
}

TEST_F(Upgrade, CompanionPathsAreWorkedOutOnFirstUseAndKept) {
    installCompanions();
    writeFile(dir.path("first.pdb"), test::sampleTavlo3Database());
    EXPECT_EQ(runUpgrade("first.pdb"),
              std::vector<std::string>{upgradeCompletedMessage("first.pdb")});
    EXPECT_EQ(upgrade.ferrandPath(), dir.path("ferrand.exe"));

    TempDir elsewhere;
    std::filesystem::current_path(elsewhere.root());
    writeFile(dir.path("second.pdb"), test::sampleTavlo3Database());
    ui.messages.clear();
    EXPECT_EQ(runUpgrade("second.pdb"),
              std::vector<std::string>{upgradeCompletedMessage("second.pdb")});
    EXPECT_EQ(upgrade.gostwickPath(), dir.path("gostwick.exe"));
    EXPECT_TRUE(fileExists(dir.path("secondPro.pdb")));
    std::filesystem::current_path(dir.root());
}

TEST(InfoFileRewrite, OldFilesBecomeTavloProInformationFiles) {
    struct RewriteCase {
        const char* what;
        std::string oldText;
        std::string newText;
    };
    const std::string popupLine(600, 'p');
    const RewriteCase cases[] = {
        {"9 lines for 3 fields give 11", "1 1 68 \n80 80 40 \n80\n1\n7\n9\npopupA\nred\nblue\n",
         "1 1 68 \r\n80 80 40 \r\n80\r\n1\r\n0\r\n0 0 0 \r\n0 0 0 \r\n"
         "456E645461766C6F4461746100\r\npopupA\r\nred\r\nblue\r\n"},
        {"CR LF line ends read the same",
         "1 1 68 \r\n80 80 40 \r\n80\r\n1\r\n7\r\n9\r\npopupA\r\nred\r\nblue\r\n",
         "1 1 68 \r\n80 80 40 \r\n80\r\n1\r\n0\r\n0 0 0 \r\n0 0 0 \r\n"
         "456E645461766C6F4461746100\r\npopupA\r\nred\r\nblue\r\n"},
        {"four lines, the last without its line end, and no popup lines", "1 \n80 \n80\n1",
         "1 \r\n80 \r\n80\r\n1\r\n0\r\n0 \r\n0 \r\n456E645461766C6F4461746100\r\n"},
        {"a fifth line alone is dropped", "1 \n80 \n80\n1\n5\n",
         "1 \r\n80 \r\n80\r\n1\r\n0\r\n0 \r\n0 \r\n456E645461766C6F4461746100\r\n"},
        {"zeros are counted from the spaces of line 1", "1  68\n80 40\n80\n1\n0\n0\n",
         "1  68\r\n80 40\r\n80\r\n1\r\n0\r\n0 0 \r\n0 0 \r\n456E645461766C6F4461746100\r\n"},
        {"fewer than four lines come back unchanged", "1 68 \n80 40 \n80\n", "1 68 \n80 40 \n80\n"},
        {"an empty file comes back empty", "", ""},
        {"a popup line longer than 498 characters is carried whole",
         "1 \n80 \n80\n1\n0\n0\npopupLong\n" + popupLine + "\n",
         "1 \r\n80 \r\n80\r\n1\r\n0\r\n0 \r\n0 \r\n456E645461766C6F4461746100\r\npopupLong\r\n" +
             popupLine + "\r\n"},
    };
    for (const RewriteCase& testCase : cases) {
        EXPECT_EQ(rewriteOldInfoText(testCase.oldText), testCase.newText) << testCase.what;
    }

    std::string manyLines = "1 \n80 \n80\n1\n0\n0\npopupMany\n";
    for (int item = 0; item < 600; ++item) {
        manyLines += "item" + std::to_string(item) + "\n";
    }
    const std::string rewritten = rewriteOldInfoText(manyLines);
    EXPECT_EQ(std::count(rewritten.begin(), rewritten.end(), '\n'), 4 + 4 + 1 + 600);
    EXPECT_TRUE(rewritten.ends_with("item599\r\n"));
}

TEST(UpgradeFiles, DerivedFromTheChosenPath) {
    struct NameCase {
        std::string chosen;
        std::string stem;
        std::string newPdb;
        std::string newName;
    };
    const std::string base28(28, 'b');
    const std::string base29(29, 'b');
    const std::string base40(40, 'b');
    const NameCase cases[] = {
        {"/d/names.pdb", "/d/names", "/d/namesPro.pdb", "namesPro"},
        {"/d/names.PDB", "/d/names", "/d/namesPro.pdb", "namesPro"},
        {"/d/my db  .pdb", "/d/my db  ", "/d/my dbPro.pdb", "my dbPro"},
        {"/d/" + base28 + ".pdb", "/d/" + base28, "/d/" + base28 + "Pro.pdb", base28 + "Pro"},
        {"/d/" + base29 + ".pdb", "/d/" + base29, "/d/" + base29 + "Pro.pdb", base29},
        {"/d/" + base40 + ".pdb", "/d/" + base40, "/d/" + base40 + "Pro.pdb", std::string(31, 'b')},
        // A name without a three-letter extension keeps its folder out of the derived names.
        {"/d/ab", "/d/ab", "/d/abPro.pdb", "abPro"},
    };
    for (const NameCase& testCase : cases) {
        const UpgradeFiles files = deriveUpgradeFiles(testCase.chosen);
        EXPECT_EQ(files.workingStem, testCase.stem) << testCase.chosen;
        EXPECT_EQ(files.newPdbPath, testCase.newPdb) << testCase.chosen;
        EXPECT_EQ(files.newDatabaseName, testCase.newName) << testCase.chosen;
    }
    EXPECT_EQ(deriveUpgradeFiles("/d/names.pdb").chosenFileName, "names.pdb");
    EXPECT_EQ(upgradeCompletedMessage("names.pdb"),
              "Conversion of Tavlo 3.x format .pdb file: names.pdb complete.\nYou should now use "
              "InstallApp to install the converted .pdb file back to your Palm unit.");
}

// Each limit of the 3.x reader, met exactly and passed by one.
TEST(Tavlo3Reader, ReadsEachLimitAndRefusesOneMore) {
    tavlo3::AppInfo3 one;
    one.fieldCount = 1;
    one.names[0] = "A";
    tavlo3::AppInfo3 binary = one;
    binary.types[0] = kBinaryFieldType;
    tavlo3::AppInfo3 three = one;
    three.fieldCount = 3;
    tavlo3::AppInfo3 thirty = one;
    thirty.fieldCount = tavlo3::kMaxFields;
    const std::string value("v\0", 2);
    std::string thirtyOne = test::buildTavlo3Database(thirty, {});
    thirtyOne[kHeaderSize + kListGapSize + tavlo3::kFieldCountOffset + 1] = 31;
    std::string manyRecords = test::buildTavlo3Database(one, {});
    manyRecords[kNumRecordsOffset] = static_cast<char>(32001 >> 8);
    manyRecords[kNumRecordsOffset + 1] = static_cast<char>(32001 & 0xFF);
    // Popup strings and the closing NUL coming to `size` bytes.
    auto popupsOf = [&one](size_t size) {
        tavlo3::AppInfo3 info = one;
        for (size_t left = size - 1; left > 0; left -= info.popupStrings.back().size() + 1) {
            info.popupStrings.push_back(std::string(std::min<size_t>(left, 100) - 1, 'p'));
        }
        return info;
    };
    struct LimitCase {
        const char* what;
        std::string database;
        std::string expectedMessage;  // empty: the prologue and every record read
    };
    const LimitCase cases[] = {
        {"30 fields", test::buildTavlo3Database(thirty, {std::vector(tavlo3::kMaxFields, value)}),
         ""},
        {"31 fields", thirtyOne,
         "Error - The Tavlo 3.x database has 31 fields; a Tavlo 3.x database has 1 to 30 "
         "fields"},
        {"32,000 records", test::buildTavlo3Database(one, std::vector(32000, std::vector{value})),
         ""},
        {"32,001 records", manyRecords,
         "Error - The Tavlo 3.x database holds 32001 records; at most 32000 can be converted"},
        {"popup area of 10,000 bytes", test::buildTavlo3Database(popupsOf(10000), {}), ""},
        {"popup area of 10,001 bytes", test::buildTavlo3Database(popupsOf(10001), {}),
         "Error - The popup lists in the Tavlo 3.x database exceed 10000 bytes"},
        {"text value of 4,000 bytes", test::buildTavlo3Database(one, {{std::string(4000, 'a')}}),
         ""},
        {"text value of 4,001 bytes", test::buildTavlo3Database(one, {{std::string(4001, 'a')}}),
         "Error - Field 1 of record 1 in the Tavlo 3.x database is too long"},
        {"binary value of 1,999 bytes",
         test::buildTavlo3Database(binary, {{std::string(1999, 'a')}}), ""},
        {"binary value of 2,000 bytes",
         test::buildTavlo3Database(binary, {{std::string(2000, 'a')}}),
         "Error - Field 1 of record 1 in the Tavlo 3.x database is too long"},
        {"record of 10,000 bytes",
         test::buildTavlo3Database(
             three, {{std::string(4000, 'a'), std::string(4000, 'b'), std::string(1994, 'c')}}),
         ""},
        {"record of 10,001 bytes",
         test::buildTavlo3Database(
             three, {{std::string(4000, 'a'), std::string(4000, 'b'), std::string(1995, 'c')}}),
         "Error - Record 1 in the Tavlo 3.x database is longer than 10000 bytes"},
    };
    for (const LimitCase& testCase : cases) {
        InputFile input;
        input.openMemory(testCase.database);
        tavlo3::Tavlo3Reader reader(input);
        bool ok = reader.readPrologue();
        for (size_t record = 0; ok && record < reader.liveRecordCount(); ++record) {
            ok = reader.readRecord();
        }
        EXPECT_EQ(ok ? std::string() : reader.errorMessage(), testCase.expectedMessage)
            << testCase.what;
    }
}

// An installed tree: Quillon in usr/bin, its companions where the installation keeps them, and
// the user working in a folder of their own.
class InstalledTree : public ::testing::Test {
  protected:
    std::filesystem::path bin() const { return tree.root() / "usr" / "bin"; }
    std::filesystem::path companionFolder() const {
        return (bin() / QUILLON_COMPANION_DIR_FROM_BIN).lexically_normal();
    }
    std::filesystem::path work() const { return tree.root() / "work"; }

    void SetUp() override {
        for (const auto& folder : {bin(), companionFolder(), work()}) {
            std::filesystem::create_directories(folder);
        }
    }
    static void copyCompanions(const std::filesystem::path& folder) {
        std::filesystem::copy_file(QUILLON_FERRAND_BINARY, folder / "ferrand.exe");
        std::filesystem::copy_file(QUILLON_GOSTWICK_BINARY, folder / "gostwick.exe");
    }

    TempDir tree;
};

TEST_F(InstalledTree, CompanionsAreFoundInTheCurrentThenTheProgramThenTheCompanionFolder) {
    struct SearchCase {
        const char* layout;
        std::vector<std::string> holders;  // "work", "bin", "companions", "work/dir"
        std::string expectedFolder;
    };
    const std::vector<SearchCase> cases = {
        {"everywhere", {"work", "bin", "companions"}, "work"},
        {"beside Quillon and installed", {"bin", "companions"}, "bin"},
        {"installed only", {"companions"}, "companions"},
        {"a folder of that name is no program", {"work/dir", "companions"}, "companions"},
        {"nowhere: the current folder's name", {}, "work"},
    };
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(c.layout);
        std::filesystem::remove_all(tree.root());
        SetUp();
        const std::map<std::string, std::filesystem::path> folders = {
            {"work", work()}, {"bin", bin()}, {"companions", companionFolder()}};
        for (const std::string& holder : c.holders) {
            if (holder == "work/dir") {
                std::filesystem::create_directories(work() / "ferrand.exe");
            } else {
                writeFile((folders.at(holder) / "ferrand.exe").string(), "#!/bin/sh\n");
            }
        }
        const std::vector<std::string> searched = CompanionFolders(work().string(), bin().string());
        EXPECT_EQ(LocateCompanion("ferrand.exe", searched),
                  (folders.at(c.expectedFolder) / "ferrand.exe").string());
    }
    EXPECT_EQ(CompanionFolders("/here", ""), std::vector<std::string>{"/here"});
}

// Started from another folder, Quillon runs the installed companions and the upgrade succeeds.
TEST_F(InstalledTree, UpgradeFromAnotherFolderUsesTheInstalledCompanions) {
    copyCompanions(companionFolder());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(work());
    writeFile((work() / "names.pdb").string(), test::sampleTavlo3Database());
    PosixProcessRunner runner;
    LegacyUpgrade upgrade{runner, bin().string()};
    ScriptedUserInterface ui;
    ui.files = {(work() / "names.pdb").string()};
    DatabaseJob job;
    upgrade.run(job, ui);
    std::filesystem::current_path(previous);

    EXPECT_EQ(ui.messages, std::vector<std::string>{upgradeCompletedMessage("names.pdb")});
    EXPECT_EQ(upgrade.ferrandPath(), (companionFolder() / "ferrand.exe").string());
    EXPECT_EQ(upgrade.gostwickPath(), (companionFolder() / "gostwick.exe").string());
    EXPECT_EQ(filesIn(work()), (std::vector<std::string>{"names.pdb", "namesPro.pdb"}));
}

}  // namespace
}  // namespace quillon
