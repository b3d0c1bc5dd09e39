// skerrit-preview as a user runs it: the three outputs of a converted site (page, text, report),
// help and version, and damaged books: each fault is reported with the record at fault, the exit
// status is 1 and the output folder is left exactly as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SkerritVersion.h"
#include "engine/ByteOrder.h"
#include "preview/BookReader.h"
#include "support/ProcessRunner.h"

namespace skerrit::testing {
namespace {

namespace fs = std::filesystem;

// The test site converted by Skerrit: records 0 (header), 1 (code table), 2 (text), 3 (style
// runs), 4 (links), 5 (rules), 6 (file boundaries).
class ConvertedSite : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* page : {"index.htm", "tides.htm", "rules.htm"}) {
            writeWholeFile(directory.file(page),
                           readWholeFile(std::string(SKERRIT_TEST_DATA_DIR "/site/") + page));
        }
        const ProcessResult run = runProgram(SKERRIT_BINARY, {"-y", "-d2", "index.htm", "site.pdb"},
                                             "", directory.path());
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        site = readWholeFile(directory.file("site.pdb"));
        ASSERT_EQ(loadBigEndian16(bytes(76)), 7);
    }

    const uint8_t* bytes(size_t at) const { return reinterpret_cast<const uint8_t*>(&site[at]); }
    uint32_t recordOffset(uint32_t index) const {
        return loadBigEndian32(bytes(78 + 8 * size_t{index}));
    }
    ProcessResult preview(const std::vector<std::string>& arguments) const {
        return runProgram(SKERRIT_PREVIEW_BINARY, arguments, "", directory.path());
    }

    ScratchDirectory directory;
    std::string site;
};

TEST_F(ConvertedSite, TextIsTheBooksBytesAndThePageIsWrittenWhereAsked) {
    const ProcessResult text = preview({"--text", "site.pdb"});
    EXPECT_EQ(text.exitStatus, 0);
    EXPECT_TRUE(text.output.starts_with("\nHarbour guide\n\nThe harbour opens at dawn. \n"));
    EXPECT_TRUE(text.output.ends_with("Night rules: lights on, back to the guide. \n"));
    EXPECT_EQ(text.output.size(), 302u);

    // A folder that does not exist yet is made; the page's path is the one line printed.
    const ProcessResult page = preview({"site.pdb", "out/preview"});
    EXPECT_EQ(page.exitStatus, 0) << page.output;
    EXPECT_EQ(page.output, "out/preview/index.html\n");
    const std::string html = readWholeFile(directory.file("out/preview/index.html"));
    EXPECT_TRUE(html.starts_with("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">"));
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_NE(html.find("<title>Harbour guide</title>"), std::string::npos);
    // Written again over the old page, with no temporary file left behind.
    EXPECT_EQ(preview({"site.pdb", "out/preview"}).exitStatus, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.file("out/preview")),
                            fs::directory_iterator()),
              1);
}

TEST_F(ConvertedSite, InfoReportsTitleDatesRecordsSizesGroupsAndFiles) {
    // Fixed dates in place of the clock's: created and modified 2026-03-14 09:26:53, converted
    // one second later.
    const uint32_t date = 3856325213u;
    auto store = [this](size_t at, uint32_t value) {
        storeBigEndian32(reinterpret_cast<uint8_t*>(&site[at]), value);
    };
    store(36, date);
    store(40, date);
    store(recordOffset(0) + 32, date + 1);
    writeWholeFile(directory.file("dated.pdb"), site);
    const ProcessResult info = preview({"--info", "dated.pdb"});
    EXPECT_EQ(info.exitStatus, 0);
    EXPECT_EQ(info.output,
              "Title:           Harbour guide\n"
              "Database:        type VaDo, creator VaDo, version 256\n"
              "Created:         2026-03-14 09:26:53\n"
              "Modified:        2026-03-14 09:26:53\n"
              "Last backup:     never\n"
              "Converted:       2026-03-14 09:26:54\n"
              "Records:         7 in all: the header record, 1 code table, 1 compressed and 0 "
              "stored text records, 4 extra records\n"
              "Text:            302 bytes in 1 chunk of up to 4096, 8 chunks to a code table\n"
              "Compressed:      208 bytes in the code table and text records (68.9 % of the "
              "text)\n"
              "File:            664 bytes\n"
              "Style runs:      1 record from record 3, 33 runs\n"
              "Links:           1 record from record 4, 5 entries and 0 fillers\n"
              "Rules:           1 record from record 5, 8 rules and 0 fillers\n"
              "File boundaries: 1 record from record 6, 3 files\n"
              "Source files:    3 files produced text (the database keeps where, not their "
              "names)\n"
              "  page 1   161 bytes from 0     Harbour guide\n"
              "  page 2   65 bytes from 161    Tides\n"
              "  page 3   76 bytes from 226    Day rules apply from dawn.\n");
}

TEST(PreviewProgram, HelpVersionAndUsage) {
    ScratchDirectory directory;
    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
        const char* begins;
    } cases[] = {
        {{"--help"}, 0, "Usage: skerrit-preview BOOK.pdb OUT-FOLDER"},
        {{"--version"}, 0, SKERRIT_PREVIEW_VERSION_TEXT "\n"},
        {{}, 1, "skerrit-preview: wrong number of arguments\nUsage:"},
        {{"--text"}, 1, "skerrit-preview: wrong number of arguments\nUsage:"},
        {{"book.pdb", "out", "more"}, 1, "skerrit-preview: wrong number of arguments\nUsage:"},
        {{"--html", "book.pdb"}, 1, "skerrit-preview: unknown option --html\nUsage:"},
        {{"--text", "missing.pdb"}, 1, "skerrit-preview: cannot read missing.pdb: no such file\n"},
    };
    for (const Case& test : cases) {
        const ProcessResult run =
            runProgram(SKERRIT_PREVIEW_BINARY, test.arguments, "", directory.path());
        EXPECT_EQ(run.exitStatus, test.exitStatus) << run.output;
        EXPECT_TRUE(run.output.starts_with(test.begins)) << run.output;
    }
}

TEST_F(ConvertedSite, DamagedBooksNameTheRecordAndLeaveTheFolderAlone) {
    const uint32_t record0 = recordOffset(0);
    const uint32_t textRecord = recordOffset(2);
    auto changed = [this](size_t at, const std::vector<uint8_t>& bytes) {
        std::string copy = site;
        for (const uint8_t byte : bytes)
            copy[at++] = static_cast<char>(byte);
        return copy;
    };
    auto be16 = [](uint32_t value) {
        return std::vector<uint8_t>{static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    };
    const uint16_t textLength = loadBigEndian16(bytes(record0 + 14));
    struct Case {
        const char* what;
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {"shorter than a database header", site.substr(0, 77),
         "not a Palm database: 77 bytes, shorter than the 78-byte database header"},
        {"another kind of database", changed(60, {'T', 'E', 'X', 't', 'B', 'O', 'O', 'K'}),
         "not a VaDo or Doc database (type TEXt, creator BOOK)"},
        {"a record list longer than the file", changed(76, be16(200)),
         "the record list of 200 records runs past the end of the file"},
        {"a record past the end", changed(78 + 8 * 3, {0, 0, 0x40, 0}),
         "record 3: its offset lies past the end of the file"},
        {"records running backwards", changed(78 + 8 * 4, {0, 0, 0, 200}),
         "record 4: its offset lies before that of record 3"},
        {"cut inside the last record", site.substr(0, recordOffset(6) - 1),
         "record 6: its offset lies past the end of the file"},
        {"a header record of another program", changed(record0 + 8, {'B', 'O', 'O', 'K'}),
         "record 0: it is not a VaDo header record"},
        {"a text length that needs more records", changed(record0 + 12, {0, 1, 0, 0}),
         "record 0: a text of 65536 bytes takes 19 records, the header record says 3"},
        {"a text length one byte longer", changed(record0 + 14, be16(textLength + 1u)),
         "record 2: it holds 302 bytes of text where its chunk has 303"},
        {"a code table of another kind", changed(recordOffset(1) + 1, {2}),
         "record 1: a code table was expected, not compressed text"},
        {"a code table with 288 literal/length codes", changed(recordOffset(1) + 7, {0xFF}),
         "record 1: the code table is damaged: it announces more code lengths than the "
         "alphabets have"},
        {"a prefix that does not match the record", changed(textRecord + 2, be16(3)),
         "record 2: its prefix announces 16 bytes but the record has"},
        {"a text record of an unknown kind", changed(textRecord + 1, {9}),
         "record 2: a text record was expected, not kind 9"},
        {"a style-run group outside the extra records", changed(record0 + 20, be16(40)),
         "record 0: the style-run group (records 40 to 40) lies outside the extra records"},
        {"a style-run block with one run too many", changed(recordOffset(3) + 4, be16(34)),
         "record 3: the style-run block is damaged"},
        {"a link jumping past the text", changed(recordOffset(5) - 4, {0, 0, 0x10, 0}),
         "record 4: a link jumps past the end of the text"},
        {"a rule that is neither rule nor filler", changed(recordOffset(5) + 6 + 2 * 8, {7}),
         "record 5: an entry is neither a rule nor a filler"},
        {"file boundaries counted from file 1", changed(recordOffset(6) + 4, be16(1)),
         "record 6: its first file does not follow the files before it"},
        {"more files counted than bounded", changed(record0 + 36, be16(4)),
         "record 0: the header record counts 4 files, the file-boundary group 3"},
    };
    const std::string before = "<p>an older page</p>\n";
    fs::create_directories(directory.file("folder"));
    writeWholeFile(directory.file("folder/index.html"), before);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        writeWholeFile(directory.file("bad.pdb"), test.file);
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"--text", "bad.pdb"},
              std::vector<std::string>{"--info", "bad.pdb"},
              std::vector<std::string>{"bad.pdb", "folder"},
              std::vector<std::string>{"bad.pdb", "new-folder"}}) {
            const ProcessResult run = preview(arguments);
            EXPECT_EQ(run.exitStatus, 1);
            EXPECT_TRUE(run.output.starts_with("skerrit-preview: bad.pdb: " + test.message))
                << run.output;
        }
        EXPECT_EQ(readWholeFile(directory.file("folder/index.html")), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(directory.file("folder")),
                                fs::directory_iterator()),
                  1);
        EXPECT_FALSE(fs::exists(directory.file("new-folder")));
    }
}

}  // namespace
}  // namespace skerrit::testing
