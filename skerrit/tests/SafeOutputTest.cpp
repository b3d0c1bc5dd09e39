// What a failed, canceled or interrupted conversion leaves on disk, through the real program:
// an existing destination keeps every byte, no temporary file stays in its folder, the exit
// status says how the run ended and the closing lines say why. Also: two programs writing one
// destination at once each write a whole database, and limits that leave pages or links out of a
// successful conversion are told in a warning line.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "support/EnglishLikeText.h"
#include "support/ProcessRunner.h"
#include "support/ZlibRecordDecoder.h"

namespace skerrit::testing {
namespace {

const std::string kOldDatabase = "the user's old database, which no failure may touch\n";

std::string bigEndian16(uint32_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string bigEndian32(uint32_t value) {
    return bigEndian16(value >> 16) + bigEndian16(value & 0xFFFF);
}

// A Doc book: record 0 holds the compression field and the text record count.
std::string docBook(uint32_t compression, uint32_t claimedTextRecords,
                    const std::vector<std::string>& textRecords) {
    std::vector<std::string> records{bigEndian16(compression) + bigEndian16(0) + bigEndian32(0) +
                                     bigEndian16(claimedTextRecords) + bigEndian16(4096) +
                                     bigEndian32(0)};
    records.insert(records.end(), textRecords.begin(), textRecords.end());
    std::string header(78, '\0');
    header.replace(0, 4, "Book");
    header.replace(60, 8, "TEXtREAd");
    header.replace(76, 2, bigEndian16(static_cast<uint32_t>(records.size())));
    std::string list;
    uint32_t offset = static_cast<uint32_t>(78 + 8 * records.size() + 2);
    for (std::size_t i = 0; i < records.size(); ++i) {
        list += bigEndian32(offset) + std::string(3, '\0') + static_cast<char>(i);
        offset += static_cast<uint32_t>(records[i].size());
    }
    std::string bytes = header + list + std::string(2, '\0');
    for (const std::string& record : records)
        bytes += record;
    return bytes;
}

// Bytes that do not compress, so the database is larger than its text; no zero byte (which the
// text preparation would drop) and no "<" at the start (which could make it HTML).
std::string incompressibleText(std::size_t size) {
    std::string text(size, 'x');
    uint32_t state = 2463534242u;
    for (std::size_t i = 1; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        text[i] = static_cast<char>(1 + state % 255);
    }
    return text;
}

std::set<std::string> entriesOf(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// A database with its three dates (creation and modification in the header, conversion date in
// the header record) set to zero, so two runs of one conversion compare equal.
std::string withoutDates(std::string database) {
    if (database.size() < 82)
        return database;
    database.replace(36, 8, 8, '\0');
    const uint32_t record0 =
        loadBigEndian32(reinterpret_cast<const uint8_t*>(database.data()) + 78);
    if (record0 + 36 <= database.size())
        database.replace(record0 + 32, 4, 4, '\0');
    return database;
}

bool isDatabaseOfText(const std::string& database, const std::string& text) {
    std::string error;
    const DecodedTextPart decoded = decodeTextPart(parseDatabase(toBytes(database), &error));
    return error.empty() && decoded.error.empty() && toText(decoded.text) == text;
}

constexpr int kNobody = 65534;

struct FailureCase {
    const char* name;
    std::vector<std::string> arguments;  // "{dir}" stands for the case's folder
    std::map<std::string, std::string> files;
    std::string destination;  // holds kOldDatabase before the run
    std::vector<std::string> environment;
    long fileSizeLimit;
    bool unprivileged;  // run as "nobody", for whom permissions count
    std::string closing;
    int exitStatus;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<FailureCase> failureCases() {
    const std::string text = incompressibleText(200000);
    return {
        {"SourceMissing",
         {"-y", "missing.txt", "out.pdb"},
         {},
         "out.pdb",
         {},
         -1,
         false,
         "Error: Failed to open source file missing.txt\n"
         "Reason: {dir}/missing.txt: No such file or directory\n",
         2},
        {"TemporaryFolderMissing",
         {"-y", "book.txt", "out.pdb"},
         {{"book.txt", "a book\n"}},
         "out.pdb",
         {"TMPDIR={dir}/gone"},
         -1,
         false,
         "Error: Failed to open temporary file\n"
         "Reason: temporary file in {dir}/gone: No such file or directory\n",
         2},
        {"DocRecordDamaged",
         {"-y", "bad.pdb", "out.pdb"},
         {{"bad.pdb", docBook(2, 2, {"fine", "ab\x80\x20"})}},  // refers before its start
         "out.pdb",
         {},
         -1,
         false,
         "Error: Failed preprocessing step\n"
         "Reason: bad.pdb: text record 2 of the Doc book is damaged or cannot be read.\n",
         2},
        {"DocHeaderDamaged",
         {"-y", "bad.pdb", "out.pdb"},
         {{"bad.pdb", docBook(2, 5, {"only one"})}},
         "out.pdb",
         {},
         -1,
         false,
         "Error: Failed preprocessing step\n"
         "Reason: bad.pdb: the Doc book's header or record list is damaged.\n",
         2},
        {"DocCompressionUnknown",
         {"-y", "odd.pdb", "out.pdb"},
         {{"odd.pdb", docBook(17480, 1, {"text"})}},
         "out.pdb",
         {},
         -1,
         false,
         "Error: Failed preprocessing step\n"
         "Reason: odd.pdb: not a Doc book that can be read: its compression field is 17480 "
         "(1 = stored, 2 = PalmDOC).\n",
         2},
        // 23,863 tabs of 9999 spaces each are 238,606,137 bytes: 5,945 more than one database
        // holds. Refused before anything is prepared.
        {"TextTooLongForOneDatabase",
         {"-y", "-tS9999", "tabs.txt", "out.pdb"},
         {{"tabs.txt", std::string(23863, '\t')}},
         "out.pdb",
         {},
         -1,
         false,
         "Error: Failed preprocessing step\n"
         "Reason: tabs.txt: the text to convert is 238606137 bytes; one database holds at most "
         "238600192.\n",
         2},
        // The limit lets the text stream through (it is the text, less nothing) but not the
        // database, which is the text and its record overhead: the destination's write fails.
        {"DiskFullWhileWritingTheDatabase",
         {"-y", "random.txt", "out.pdb"},
         {{"random.txt", text}},
         "out.pdb",
         {},
         static_cast<long>(text.size()) + 256,
         false,
         "Error: Failed conversion step\nReason: out.pdb: File too large\n",
         2},
        {"DestinationFolderReadOnly",
         {"-y", "book.txt", "locked/out.pdb"},
         {{"book.txt", "a book\n"}},
         "locked/out.pdb",
         {},
         -1,
         true,
         "Error: Failed to open destination file locked/out.pdb\n"
         "Reason: locked/out.pdb: Permission denied\n",
         2},
        {"DestinationReadOnly",
         {"-y", "book.txt", "readonly.pdb"},
         {{"book.txt", "a book\n"}},
         "readonly.pdb",
         {},
         -1,
         true,
         "Error: Failed to open destination file readonly.pdb\n"
         "Reason: readonly.pdb: Permission denied\n",
         2},
        {"OverwriteDeclined",
         {"book.txt", "out.pdb"},
         {{"book.txt", "a book\n"}},
         "out.pdb",
         {},
         -1,
         false,
         "out.pdb already exists.  Overwrite? (y/n) Terminating conversion.\n",
         1},
    };
}

class FailureLeavesDestinationTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureLeavesDestinationTest, OldBytesNoStrayFileStatusAndReason) {
    const FailureCase& c = GetParam();
    const int runAs = c.unprivileged && geteuid() == 0 ? kNobody : -1;
    ScratchDirectory directory;
    chmod(directory.path().c_str(), 0777);
    for (const auto& [name, bytes] : c.files)
        writeWholeFile(directory.file(name), bytes);
    const std::string destination = directory.file(c.destination);
    std::filesystem::create_directories(std::filesystem::path(destination).parent_path());
    writeWholeFile(destination, kOldDatabase);
    const std::string folder = std::filesystem::path(destination).parent_path().string();
    if (c.unprivileged) {
        chmod(destination.c_str(), c.destination == "readonly.pdb" ? 0444 : 0666);
        if (folder != directory.path())
            chmod(folder.c_str(), 0555);
    }
    const std::set<std::string> before = entriesOf(folder);

    ChildSetting setting;
    setting.workingDirectory = directory.path();
    setting.runAsUser = runAs;
    setting.fileSizeLimit = c.fileSizeLimit;
    for (const std::string& entry : c.environment)
        setting.environment.push_back(replaceAll(entry, "{dir}", directory.path()));
    std::vector<std::string> arguments;
    for (const std::string& argument : c.arguments)
        arguments.push_back(replaceAll(argument, "{dir}", directory.path()));
    const ProcessResult result = runProgram(SKERRIT_BINARY, arguments, setting);
    if (runAs >= 0 && result.exitStatus >= 125)
        GTEST_SKIP() << "cannot run the program as an unprivileged user here";

    EXPECT_EQ(result.exitStatus, c.exitStatus) << result.output;
    const std::string closing = replaceAll(c.closing, "{dir}", directory.path());
    ASSERT_GE(result.output.size(), closing.size()) << result.output;
    EXPECT_EQ(result.output.substr(result.output.size() - closing.size()), closing)
        << result.output;
    chmod(folder.c_str(), 0777);
    EXPECT_EQ(readWholeFile(destination), kOldDatabase);
    EXPECT_EQ(entriesOf(folder), before);
}

INSTANTIATE_TEST_SUITE_P(Table, FailureLeavesDestinationTest, ::testing::ValuesIn(failureCases()),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// Large enough that a signal sent at the first percentage finds the conversion still running.
std::string largeBook() {
    return makeEnglishLikeText(12000000, 7);
}

// The conversion ends at the signal as the signal ends any program, and takes its unfinished
// database with it; the temporary file was there while it ran.
TEST(SignalLeavesDestinationTest, InterruptTerminationAndHangUp) {
    ScratchDirectory directory;
    writeWholeFile(directory.file("big.txt"), largeBook());
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        writeWholeFile(directory.file("out.pdb"), kOldDatabase);
        const std::set<std::string> before = entriesOf(directory.path());
        ChildSetting setting;
        setting.workingDirectory = directory.path();
        RunningProgram running(SKERRIT_BINARY, {"-y", "big.txt", "out.pdb"}, setting);
        ASSERT_TRUE(running.waitForOutput("Step 1 of 2"));
        EXPECT_EQ(entriesOf(directory.path()).size(), before.size() + 1);  // ".out.pdb.XXXXXX"
        running.sendSignal(signalNumber);
        const RunningProgram::End end = running.finish();
        EXPECT_EQ(end.signal, signalNumber) << end.output;
        EXPECT_EQ(readWholeFile(directory.file("out.pdb")), kOldDatabase);
        EXPECT_EQ(entriesOf(directory.path()), before);
    }
}

// Two programs converting two books into one destination at once: each reports success, and the
// destination is always one whole database, the one that finished last. Writing both into the
// one file, as the program once did, mixed their bytes in most rounds.
TEST(ConcurrentConversionsTest, EachWritesAWholeDatabaseAndTheLastWins) {
    ScratchDirectory directory;
    const std::string first = makeEnglishLikeText(1500000, 1);
    const std::string second = makeEnglishLikeText(1000000, 2);
    writeWholeFile(directory.file("first.txt"), first);
    writeWholeFile(directory.file("second.txt"), second);
    ChildSetting setting;
    setting.workingDirectory = directory.path();
    ASSERT_EQ(
        runProgram(SKERRIT_BINARY, {"-y", "-iBook", "first.txt", "first.pdb"}, setting).exitStatus,
        0);
    ASSERT_EQ(runProgram(SKERRIT_BINARY, {"-y", "-iBook", "second.txt", "second.pdb"}, setting)
                  .exitStatus,
              0);
    const std::string firstDatabase = withoutDates(readWholeFile(directory.file("first.pdb")));
    const std::string secondDatabase = withoutDates(readWholeFile(directory.file("second.pdb")));
    ASSERT_TRUE(isDatabaseOfText(firstDatabase, first));
    const std::set<std::string> expectedEntries{"first.txt", "second.txt", "first.pdb",
                                                "second.pdb", "out.pdb"};

    constexpr int kRounds = 8;
    int wholeRounds = 0;
    for (int round = 0; round < kRounds; ++round) {
        RunningProgram one(SKERRIT_BINARY, {"-y", "-iBook", "first.txt", "out.pdb"}, setting);
        RunningProgram two(SKERRIT_BINARY, {"-y", "-iBook", "second.txt", "out.pdb"}, setting);
        const RunningProgram::End oneEnd = one.finish();
        const RunningProgram::End twoEnd = two.finish();
        EXPECT_EQ(oneEnd.exitStatus, 0) << oneEnd.output;
        EXPECT_EQ(twoEnd.exitStatus, 0) << twoEnd.output;
        const std::string result = withoutDates(readWholeFile(directory.file("out.pdb")));
        if (result == firstDatabase || result == secondDatabase)
            ++wholeRounds;
        EXPECT_EQ(entriesOf(directory.path()), expectedEntries);
    }
    EXPECT_EQ(wholeRounds, kRounds);
}

// A successful conversion replaces the old database in place, with no file left beside it, and
// keeps the permissions the user gave the old one.
TEST(SuccessReplacesDestinationTest, WholeDatabaseSamePermissionsNothingBeside) {
    ScratchDirectory directory;
    writeWholeFile(directory.file("book.txt"), "one\ntwo\n");
    writeWholeFile(directory.file("out.pdb"), kOldDatabase);
    chmod(directory.file("out.pdb").c_str(), 0640);
    const ProcessResult result =
        runProgram(SKERRIT_BINARY, {"-y", "book.txt", "out.pdb"}, "", directory.path());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(isDatabaseOfText(readWholeFile(directory.file("out.pdb")), "one\ntwo\n"));
    struct stat status {};
    ASSERT_EQ(stat(directory.file("out.pdb").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(entriesOf(directory.path()), (std::set<std::string>{"book.txt", "out.pdb"}));

    // Through a symbolic link the file it points to is replaced; the link stays a link.
    std::filesystem::create_directory(directory.file("store"));
    writeWholeFile(directory.file("store/real.pdb"), kOldDatabase);
    std::filesystem::create_symlink("store/real.pdb", directory.file("link.pdb"));
    EXPECT_EQ(
        runProgram(SKERRIT_BINARY, {"-y", "book.txt", "link.pdb"}, "", directory.path()).exitStatus,
        0);
    EXPECT_TRUE(std::filesystem::is_symlink(directory.file("link.pdb")));
    EXPECT_TRUE(isDatabaseOfText(readWholeFile(directory.file("store/real.pdb")), "one\ntwo\n"));
    EXPECT_EQ(entriesOf(directory.file("store")), (std::set<std::string>{"real.pdb"}));
}

// A chain of pages, each linking to the next, followed to depth 1000: links on pages deeper than
// 255 are not recorded, so the page at depth 256 is the last one converted. The conversion still
// succeeds, and says what it left out.
TEST(LimitWarningTest, DeepChainStopsAt257PagesWithAWarning) {
    ScratchDirectory directory;
    constexpr int kPages = 300;
    for (int page = 0; page < kPages; ++page) {
        writeWholeFile(directory.file("p" + std::to_string(page) + ".htm"),
                       "<html><p>Page " + std::to_string(page) + " <a href=\"p" +
                           std::to_string(page + 1) + ".htm\">next</a>\n");
    }
    const ProcessResult result =
        runProgram(SKERRIT_BINARY, {"-y", "-d1000", "p0.htm", "out.pdb"}, "", directory.path());
    EXPECT_EQ(result.exitStatus, 0);
    const std::string closing =
        "Conversion successfully completed.\n"
        "Warning: 1 link(s) on pages deeper than 255 levels left out, and the pages only they "
        "lead to.\n";
    ASSERT_GE(result.output.size(), closing.size());
    EXPECT_EQ(result.output.substr(result.output.size() - closing.size()), closing);
    std::string error;
    const DecodedTextPart decoded =
        decodeTextPart(parseDatabase(toBytes(readWholeFile(directory.file("out.pdb"))), &error));
    const std::string text = toText(decoded.text);
    EXPECT_NE(text.find("Page 256 next"), std::string::npos);
    EXPECT_EQ(text.find("Page 257 "), std::string::npos);
}

}  // namespace
}  // namespace skerrit::testing
