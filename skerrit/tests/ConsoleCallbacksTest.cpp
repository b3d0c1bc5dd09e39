// The console program's platform layer in-process: the POSIX file callbacks (modes, origins,
// counts, failures, temporary files that leave nothing behind), the full source path, and the
// console progress display with its exact output.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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
    FileObject fresh = open("fresh", kOpenReadWrite);
    ASSERT_NE(fresh, nullptr);
    close(fresh);
    EXPECT_TRUE(std::filesystem::exists(directory_.file("fresh")));
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
}

}  // namespace
}  // namespace skerrit::testing
