// The console program's platform layer in-process: the POSIX file callbacks (modes, origins,
// counts, failures, temporary files that leave nothing behind, the destination written beside the
// file it replaces), the full source path, the console progress display with its exact output,
// and the closing lines with the exit status.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/ClosingReport.h"
#include "cli/ConsoleCallbacks.h"
#include "cli/ProgressDisplay.h"
#include "cli/SourcePath.h"
#include "engine/ResultCodes.h"
#include "support/ProcessRunner.h"

namespace skerrit::testing {
namespace {

class ConsoleCallbacksTest : public ::testing::Test {
  protected:
    FileObject open(const std::string& name, int32_t mode) {
        return table_.openFile(table_.context, directory_.file(name).c_str(), mode);
    }
    uint32_t seek(FileObject file, int32_t offset, int32_t origin) {
        return table_.seekFile(table_.context, file, offset, origin);
    }
    int32_t write(FileObject file, const std::string& bytes) {
        return table_.writeFile(table_.context, file, static_cast<uint32_t>(bytes.size()),
                                bytes.data());
    }
    std::string read(FileObject file, uint32_t count, int32_t* got) {
        std::string bytes(count, '\0');
        *got = table_.readFile(table_.context, file, count, bytes.data());
        bytes.resize(*got > 0 ? static_cast<std::size_t>(*got) : 0);
        return bytes;
    }
    void close(FileObject file) { EXPECT_EQ(table_.closeFile(table_.context, file), 1); }
    std::size_t entriesIn(const std::string& path) {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path),
                                                      std::filesystem::directory_iterator()));
    }

    ConverterCallbacks table_ = consoleCallbacksTemplate();
    ScratchDirectory directory_;
};

TEST_F(ConsoleCallbacksTest, OpenModes) {
    writeWholeFile(directory_.file("existing"), "0123456789");
    EXPECT_EQ(open("missing", kOpenRead), nullptr);
    EXPECT_EQ(open("", kOpenRead), nullptr);
    EXPECT_EQ(open("existing", 3), nullptr);
    EXPECT_EQ(open("existing", -1), nullptr);
    std::filesystem::create_directory(directory_.file("folder"));
    EXPECT_EQ(open("folder", kOpenRead), nullptr);
    EXPECT_EQ(open("folder", kOpenCreate), nullptr);
    EXPECT_EQ(open("nowhere/file", kOpenCreate), nullptr);

    // Mode 0 reads and cannot write.
    FileObject reading = open("existing", kOpenRead);
    ASSERT_NE(reading, nullptr);
    int32_t got = 0;
    EXPECT_EQ(read(reading, 4, &got), "0123");
    EXPECT_EQ(write(reading, "x"), -1);
    close(reading);

    // Mode 2 opens without truncating; mode 1 truncates; both read and write.
    FileObject updating = open("existing", kOpenReadWrite);
    ASSERT_NE(updating, nullptr);
    EXPECT_EQ(write(updating, "ab"), 2);
    close(updating);
    EXPECT_EQ(readWholeFile(directory_.file("existing")), "ab23456789");
    FileObject created = open("existing", kOpenCreate);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(seek(created, 0, kSeekFromEnd), 0u);
    EXPECT_EQ(write(created, "new"), 3);
    EXPECT_EQ(seek(created, 0, kSeekFromStart), 0u);
    EXPECT_EQ(read(created, 10, &got), "new");
    close(created);
    EXPECT_TRUE(publishOutput());
    EXPECT_EQ(readWholeFile(directory_.file("existing")), "new");
    FileObject fresh = open("fresh", kOpenReadWrite);
    ASSERT_NE(fresh, nullptr);
    close(fresh);
    EXPECT_TRUE(std::filesystem::exists(directory_.file("fresh")));
}

// The destination is made beside the file it names and takes its place only when published; until
// then, and after a discard, the old file keeps its bytes, and nothing is left beside it.
TEST_F(ConsoleCallbacksTest, DestinationIsPublishedOrDiscardedWhole) {
    writeWholeFile(directory_.file("out.pdb"), "old");
    chmod(directory_.file("out.pdb").c_str(), 0640);
    for (const bool publish : {false, true}) {
        SCOPED_TRACE(publish ? "published" : "discarded");
        FileObject output = open("out.pdb", kOpenCreate);
        ASSERT_NE(output, nullptr);
        EXPECT_EQ(entriesIn(directory_.path()), 2u);  // out.pdb and .out.pdb.XXXXXX
        EXPECT_EQ(write(output, "new"), 3);
        close(output);
        EXPECT_EQ(readWholeFile(directory_.file("out.pdb")), "old");
        // One destination at a time.
        EXPECT_EQ(open("other.pdb", kOpenCreate), nullptr);
        if (publish) {
            EXPECT_TRUE(publishOutput());
        } else {
            discardOutput();
        }
        EXPECT_EQ(readWholeFile(directory_.file("out.pdb")), publish ? "new" : "old");
        EXPECT_EQ(entriesIn(directory_.path()), 1u);
    }
    struct stat status {};
    ASSERT_EQ(stat(directory_.file("out.pdb").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);  // the old file's permissions
    EXPECT_TRUE(publishOutput());             // nothing pending: nothing to do

    // A new file gets what creating it would have given.
    const mode_t mask = umask(022);
    FileObject fresh = open("fresh.pdb", kOpenCreate);
    ASSERT_NE(fresh, nullptr);
    close(fresh);
    EXPECT_TRUE(publishOutput());
    umask(mask);
    ASSERT_EQ(stat(directory_.file("fresh.pdb").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);

    // A move that fails (a folder has taken the name meanwhile) removes the output and says why.
    FileObject late = open("late.pdb", kOpenCreate);
    ASSERT_NE(late, nullptr);
    close(late);
    std::filesystem::create_directory(directory_.file("late.pdb"));
    writeWholeFile(directory_.file("late.pdb/inside"), "x");
    forgetSystemFailure();
    EXPECT_FALSE(publishOutput());
    const SystemFailure failure = lastSystemFailure();
    EXPECT_TRUE(failure.happened);
    EXPECT_EQ(failure.file, directory_.file("late.pdb"));
    EXPECT_EQ(entriesIn(directory_.path()), 3u);  // out.pdb, fresh.pdb, the folder late.pdb
}

// Each failing system call is remembered with the file it concerned and the system's text.
TEST_F(ConsoleCallbacksTest, FailuresNameTheFileAndTheSystemsReason) {
    std::filesystem::create_directory(directory_.file("folder"));
    struct Case {
        const char* what;
        std::function<FileObject()> call;
        std::string file;
        std::string reason;
    };
    const Case cases[] = {
        {"missing source", [&] { return open("missing.txt", kOpenRead); },
         directory_.file("missing.txt"), "No such file or directory"},
        {"folder as source", [&] { return open("folder", kOpenRead); }, directory_.file("folder"),
         "Is a directory"},
        {"destination in a missing folder", [&] { return open("nowhere/out.pdb", kOpenCreate); },
         directory_.file("nowhere/out.pdb"), "No such file or directory"},
        {"folder as destination", [&] { return open("folder", kOpenCreate); },
         directory_.file("folder"), "Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        forgetSystemFailure();
        EXPECT_FALSE(lastSystemFailure().happened);
        EXPECT_EQ(c.call(), nullptr);
        const SystemFailure failure = lastSystemFailure();
        EXPECT_TRUE(failure.happened);
        EXPECT_EQ(failure.file, c.file);
        EXPECT_EQ(failure.reason, c.reason);
    }
    EXPECT_EQ(entriesIn(directory_.path()), 1u);  // the folder alone
}

TEST_F(ConsoleCallbacksTest, SeekOriginsAndCounts) {
    writeWholeFile(directory_.file("data"), "0123456789");
    FileObject file = open("data", kOpenRead);
    ASSERT_NE(file, nullptr);
    struct Step {
        int32_t offset;
        int32_t origin;
        uint32_t position;
    };
    const Step steps[] = {
        {4, kSeekFromStart, 4},
        {2, kSeekFromCurrent, 6},
        {-3, kSeekFromCurrent, 3},
        {-1, kSeekFromEnd, 9},
        {0, kSeekFromEnd, 10},
        {5, kSeekFromEnd, 15},
        {-1, kSeekFromStart, kSeekFailed},
        {0, 3, kSeekFailed},
        {0, -1, kSeekFailed},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(seek(file, step.offset, step.origin), step.position)
            << step.offset << " from " << step.origin;
    }
    int32_t got = 0;
    ASSERT_EQ(seek(file, 7, kSeekFromStart), 7u);
    EXPECT_EQ(read(file, 10, &got), "789");  // a short count at the end
    EXPECT_EQ(got, 3);
    EXPECT_EQ(read(file, 10, &got), "");
    EXPECT_EQ(got, 0);
    close(file);
}

TEST_F(ConsoleCallbacksTest, TemporaryFilesLeaveNothingBehind) {
    const std::string temporary = directory_.file("tmp");
    std::filesystem::create_directory(temporary);
    const char* saved = std::getenv("TMPDIR");
    const std::string savedValue = saved != nullptr ? saved : "";
    setenv("TMPDIR", temporary.c_str(), 1);

    FileObject first = table_.createTempFile(table_.context);
    FileObject second = table_.createTempFile(table_.context);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(entriesIn(temporary), 0u);  // gone from the folder while still in use
    EXPECT_EQ(write(first, "scratch"), 7);
    EXPECT_EQ(write(second, "other"), 5);
    EXPECT_EQ(seek(first, 0, kSeekFromStart), 0u);
    int32_t got = 0;
    EXPECT_EQ(read(first, 100, &got), "scratch");
    close(second);
    close(first);
    EXPECT_EQ(entriesIn(temporary), 0u);

    // A temporary folder name of 240 characters or more is refused.
    setenv("TMPDIR", ("/" + std::string(239, 't')).c_str(), 1);
    EXPECT_EQ(table_.createTempFile(table_.context), nullptr);
    setenv("TMPDIR", (directory_.path() + "/missing").c_str(), 1);
    EXPECT_EQ(table_.createTempFile(table_.context), nullptr);
    EXPECT_EQ(lastSystemFailure().file, "temporary file in " + directory_.path() + "/missing");
    EXPECT_EQ(lastSystemFailure().reason, "No such file or directory");

    if (saved != nullptr) {
        setenv("TMPDIR", savedValue.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

// Temporary files hold small writes back; whatever comes next (a read, a seek from any origin,
// a rewrite in the middle, a write larger than the buffer) must see the bytes in their places.
TEST_F(ConsoleCallbacksTest, TemporaryFilesSeeEveryWriteInPlace) {
    FileObject file = table_.createTempFile(table_.context);
    ASSERT_NE(file, nullptr);
    std::string expected;
    for (int i = 0; i < 5000; ++i) {  // 60000 bytes in writes of 4 and 8, as the records go
        const std::string record =
            i % 2 == 0 ? "rec" + std::to_string(i % 10) : "record-" + std::to_string(i % 10);
        ASSERT_EQ(write(file, record), static_cast<int32_t>(record.size()));
        expected += record;
    }
    EXPECT_EQ(seek(file, 0, kSeekFromCurrent), expected.size());
    EXPECT_EQ(seek(file, 6, kSeekFromStart), 6u);  // a record rewritten in place
    EXPECT_EQ(write(file, "XYZ"), 3);
    expected.replace(6, 3, "XYZ");
    EXPECT_EQ(seek(file, 0, kSeekFromEnd), expected.size());
    const std::string large(40000, 'L');  // beyond any buffer: written at once, after the rest
    EXPECT_EQ(write(file, "tail"), 4);
    EXPECT_EQ(write(file, large), 40000);
    expected += "tail" + large;
    EXPECT_EQ(seek(file, 0, kSeekFromStart), 0u);
    int32_t got = 0;
    EXPECT_EQ(read(file, 200000, &got), expected);
    EXPECT_EQ(write(file, "after"), 5);  // at the end, where the read stopped
    EXPECT_EQ(seek(file, -5, kSeekFromEnd), expected.size());
    EXPECT_EQ(read(file, 10, &got), "after");
    expected += "after";

    // Small reads through the file, a write into bytes just read, and the same bytes read again.
    EXPECT_EQ(seek(file, 0, kSeekFromStart), 0u);
    std::string pieces;
    for (int i = 0; i < 20; ++i)
        pieces += read(file, 60, &got);
    EXPECT_EQ(pieces, expected.substr(0, 1200));
    EXPECT_EQ(seek(file, 100, kSeekFromStart), 100u);
    EXPECT_EQ(write(file, "QQ"), 2);
    expected.replace(100, 2, "QQ");
    EXPECT_EQ(seek(file, -4, kSeekFromCurrent), 98u);
    EXPECT_EQ(read(file, 6, &got), expected.substr(98, 6));
    EXPECT_EQ(seek(file, 0, kSeekFromStart), 0u);
    EXPECT_EQ(read(file, 200000, &got), expected);
    EXPECT_EQ(read(file, 10, &got), "");  // the end
    EXPECT_EQ(got, 0);
    close(file);
}

TEST_F(ConsoleCallbacksTest, MemoryAndSilentProgress) {
    void* block = table_.allocate(table_.context, 100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(table_.release(table_.context, block), 1);
    const int32_t percent = 50;
    EXPECT_EQ(table_.progress(table_.context, kProgressPercent, &percent), 1);
    EXPECT_EQ(table_.context, nullptr);
}

TEST(SourcePathTest, RelativeNamesBecomeFullPaths) {
    ScratchDirectory directory;
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(directory.path());
    const std::string here = std::filesystem::current_path().string();
    struct Case {
        std::string typed;
        std::string full;  // empty: refused
    };
    const Case cases[] = {
        {"docs/book.txt", here + "/docs/book.txt"},
        {"./docs/../book.txt", here + "/book.txt"},
        {"book.txt", here + "/book.txt"},
        {"/elsewhere/./x.txt", "/elsewhere/./x.txt"},  // not relative: taken as typed
        {"C:book.txt", here + "/C:book.txt"},          // no drives here: an ordinary name
        {"sub\\name.txt", here + "/sub\\name.txt"},
        {std::string(1100, 'n'), ""},
        {"/" + std::string(1100, 'n'), ""},
    };
    for (const Case& c : cases) {
        std::array<char, kPathCapacity> full{};
        const bool made = fullSourcePath(c.typed, full);
        EXPECT_EQ(made, !c.full.empty()) << c.typed;
        if (made) {
            EXPECT_EQ(std::string(full.data()), c.full);
        }
    }
    std::filesystem::current_path(saved);
}

// The console progress output for a sequence of calls, exactly as printed.
TEST(ProgressDisplayTest, PrintsStepsPagesAndChangedPercentages) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ProgressDisplay display{out, nullptr, -1};
    auto percent = [&](int32_t value) { return consoleProgress(&display, 7, &value); };
    const std::string name75 = std::string(35, 'a') + "12345" + std::string(35, 'z');
    const std::string name74(74, 'n');  // still fits whole
    EXPECT_EQ(consoleProgress(&display, kProgressTextPreprocess, nullptr), 1);
    percent(0);
    percent(0);  // unchanged: not printed again
    percent(100);
    consoleProgress(&display, kProgressTextCompress, nullptr);
    percent(100);  // a new step resets the last percentage
    consoleProgress(&display, kProgressPageName, "C:\\site\\100%.htm");
    consoleProgress(&display, kProgressPageName, name75.c_str());
    consoleProgress(&display, kProgressPageName, name74.c_str());
    consoleProgress(&display, 8, nullptr);
    const ConversionNotice notice{kNoticeLinksUnresolved, 3, 8000};
    EXPECT_EQ(consoleProgress(&display, kProgressNotice, &notice), 1);  // kept, not printed
    consoleProgress(&display, 9, nullptr);
    consoleProgress(&display, -1, nullptr);
    for (int32_t code = kProgressHtmlParse; code <= kProgressDocPreprocess; ++code) {
        consoleProgress(&display, code, nullptr);
    }

    const std::string blankLine = std::string(79, ' ') + "\r     ";
    const std::string expected =
        "Step 1 of 2: Preprocessing text file...\n  0%\r100%\r"
        "Step 2 of 2: Compressing text...\n100%\r" +
        blankLine + "C:\\site\\100%.htm\r" + blankLine + std::string(35, 'a') + "..." +
        std::string(1, '5') + std::string(35, 'z') + "\r" + blankLine + name74 + "\r" +
        "Step 1 of 3: Parsing HTML page(s)...\n"
        "Step 2 of 3: Processing formatting information...\n"
        "Step 3 of 3: Compressing text...\n"
        "Step 1 of 2: Preprocessing DOC file...\n";
    std::rewind(out);
    std::string printed;
    for (int c; (c = std::fgetc(out)) != EOF;)
        printed += static_cast<char>(c);
    std::fclose(out);
    EXPECT_EQ(printed, expected);
    ASSERT_EQ(display.notices.size(), 1u);
    EXPECT_EQ(display.notices[0].count, 3u);
}

// The closing lines: the program's message for the result, then the reason of a failure (a notice
// first, else the failing system call) or the warnings of a success; and the exit status.
TEST(ClosingReportTest, MessageReasonOrWarningsAndExitStatus) {
    const SystemFailure noFailure{};
    const SystemFailure diskFull{true, "out.pdb", "No space left on device"};
    struct Case {
        const char* what;
        int32_t result;
        std::vector<ConversionNotice> notices;
        SystemFailure failure;
        std::string report;
        int exitStatus;
    };
    const Case cases[] = {
        {"converted", kResultOk, {}, noFailure, "Conversion successfully completed.\n", 0},
        {"converted, a system failure on the way does not count",
         kResultOk,
         {},
         diskFull,
         "Conversion successfully completed.\n",
         0},
        {"converted with limits reached",
         kResultOk,
         {{kNoticePagesNotConverted, 8001, 32000},
          {kNoticeDeepLinksDropped, 1, 255},
          {kNoticeLinksUnresolved, 32001, 8000}},
         noFailure,
         "Conversion successfully completed.\n"
         "Warning: 8001 queued page(s) not converted: one conversion takes at most 32000 pages.\n"
         "Warning: 1 link(s) on pages deeper than 255 levels left out, and the pages only they "
         "lead to.\n"
         "Warning: 32001 link(s) to pages queued after the first 8000 left out of the link "
         "table.\n",
         0},
        {"canceled", kResultCanceled, {}, diskFull, "Conversion canceled.\n", 3},
        {"source",
         kResultSourceOpenFailed,
         {},
         SystemFailure{true, "/d/b.txt", "Permission denied"},
         "Error: Failed to open source file b.txt\nReason: /d/b.txt: Permission denied\n",
         2},
        {"destination",
         kResultDestinationOpenFailed,
         {},
         diskFull,
         "Error: Failed to open destination file x/out.pdb\n"
         "Reason: out.pdb: No space left on device\n",
         2},
        {"temporary file",
         kResultTempFileFailed,
         {},
         SystemFailure{true, "temporary file in /t", "No such file or directory"},
         "Error: Failed to open temporary file\n"
         "Reason: temporary file in /t: No such file or directory\n",
         2},
        {"memory",
         kResultConversionFailed,
         {},
         SystemFailure{true, "", "Cannot allocate memory"},
         "Error: Failed conversion step\nReason: Cannot allocate memory\n",
         2},
        {"a notice comes before a system failure",
         kResultPreprocessFailed,
         {{kNoticeLinksUnresolved, 1, 8000}, {kNoticeTextTooLong, 238600193, 238600192}},
         diskFull,
         "Error: Failed preprocessing step\n"
         "Reason: b.txt: the text to convert is 238600193 bytes; one database holds at most "
         "238600192.\n",
         2},
        {"HTML records",
         kResultConversionFailed,
         {{kNoticeTooManyRecords, 32768, 32767}},
         noFailure,
         "Error: Failed conversion step\n"
         "Reason: b.txt: the pages need 32768 records of text, styles, links, rules and page "
         "boundaries; one database holds at most 32767.\n",
         2},
        {"Doc compression",
         kResultPreprocessFailed,
         {{kNoticeDocCompression, 17480, 0}},
         noFailure,
         "Error: Failed preprocessing step\n"
         "Reason: b.txt: not a Doc book that can be read: its compression field is 17480 (1 = "
         "stored, 2 = PalmDOC).\n",
         2},
        {"Doc record",
         kResultPreprocessFailed,
         {{kNoticeDocRecordDamaged, 4, 0}},
         noFailure,
         "Error: Failed preprocessing step\n"
         "Reason: b.txt: text record 4 of the Doc book is damaged or cannot be read.\n",
         2},
        {"no reason known",
         kResultConversionFailed,
         {},
         noFailure,
         "Error: Failed conversion step\n",
         2},
        {"unknown result", 101, {}, noFailure, "Error: Unknown\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ConversionOutcome outcome{c.result, "b.txt", "x/out.pdb", c.notices, c.failure};
        EXPECT_EQ(closingReport(outcome), c.report);
        EXPECT_EQ(static_cast<int>(exitStatusFor(c.result)), c.exitStatus);
    }
}

}  // namespace
}  // namespace skerrit::testing
