// Doc input: the PalmDOC record decoder on hand-made records, prepareDoc on hand-made and
// corrupt databases, stored (uncompressed) and PalmDOC books as their compression field says, and
// Doc books built by an outside tool (Debian's txt2pdbdoc) read back to the text they were made
// from, bytes 1 to 8 and above 127 included.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "encoder/DocReader.h"
#include "engine/ConversionNotice.h"
#include "engine/ResultCodes.h"
#include "support/MemoryCallbacks.h"
#include "support/ProcessRunner.h"
#include "support/ZlibRecordDecoder.h"

namespace skerrit::testing {
namespace {

std::string bigEndian16(uint32_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string bigEndian32(uint32_t value) {
    return bigEndian16(value >> 16) + bigEndian16(value & 0xFFFF);
}

// A Palm database around the given records, laid out as Palm OS writes it.
std::string palmDatabase(const std::string& name, const char* typeAndCreator,
                         const std::vector<std::string>& records) {
    std::string header(78, '\0');
    header.replace(0, std::min<std::size_t>(name.size(), 31), name.substr(0, 31));
    header.replace(60, 8, typeAndCreator);
    header.replace(76, 2, bigEndian16(static_cast<uint32_t>(records.size())));
    std::string list;
    uint32_t offset = static_cast<uint32_t>(78 + 8 * records.size() + 2);
    for (std::size_t i = 0; i < records.size(); ++i) {
        list +=
            bigEndian32(offset) + std::string(1, '\0') + bigEndian16(0) + std::string(1, char(i));
        offset += static_cast<uint32_t>(records[i].size());
    }
    std::string bytes = header + list + std::string(2, '\0');
    for (const std::string& record : records)
        bytes += record;
    return bytes;
}

// Record 0 of a Doc book: compression, spare, text length, text record count, record size.
std::string docHeaderRecord(uint32_t compression, uint32_t textLength, uint32_t textRecords) {
    return bigEndian16(compression) + bigEndian16(0) + bigEndian32(textLength) +
           bigEndian16(textRecords) + bigEndian16(4096) + bigEndian32(0);
}

std::string docBook(const std::vector<std::string>& textRecords, uint32_t claimedCount,
                    uint32_t compression = 2) {
    std::vector<std::string> records{docHeaderRecord(compression, 0, claimedCount)};
    records.insert(records.end(), textRecords.begin(), textRecords.end());
    return palmDatabase("Book", "TEXtREAd", records);
}

// A back reference: distance 1..2047, length 3..10.
std::string backReference(uint32_t distance, uint32_t length) {
    const uint32_t pair = (distance << 3) | (length - 3);
    return {static_cast<char>(0x80 | (pair >> 8)), static_cast<char>(pair & 0xFF)};
}

struct Prepared {
    int32_t result;
    std::string text;
    std::vector<ProgressEvent> progress;
    std::vector<ProgressEvent> notices;
};

struct Prepared;
Prepared runPrepareDoc(const std::string& database, int32_t singleBreakSpaces = kNotSet);

// Every byte but 0 (which the text preparation drops), in an order that puts the bytes 1 to 8 and
// those above 127 among ordinary text.
std::string everyNonZeroByte() {
    std::string bytes;
    for (int round = 0; round < 3; ++round) {
        for (int value = 1; value < 256; ++value) {
            bytes += static_cast<char>(value);
            if (value % 16 == 0)
                bytes += "caf\xE9 cr\xE8me ";
        }
    }
    return bytes;
}

Prepared runPrepareDoc(const std::string& database, int32_t singleBreakSpaces) {
    MemoryCallbacks memory;
    memory.addFile("book.pdb", database);
    const ConverterCallbacks& table = memory.table();
    const ConversionRequest request{&table, "book.pdb",        "out",   "t",     0,      0,
                                    0,      singleBreakSpaces, kNotSet, kNotSet, kNotSet};
    FileObject source = table.openFile(table.context, "book.pdb", kOpenRead);
    FileObject output = table.openFile(table.context, "out", kOpenCreate);
    const int32_t result = prepareDoc(request, source, output);
    static_cast<void>(table.closeFile(table.context, output));
    static_cast<void>(table.closeFile(table.context, source));
    EXPECT_EQ(memory.openFiles(), 0);
    return {result, toText(memory.file("out")), memory.progressEvents(), memory.notices()};
}

TEST(DocInputTest, RecordDecoder) {
    struct Case {
        const char* what;
        std::string record;
        std::string decoded;  // ignored when failing
        bool fails;
    };
    const std::string full(kDocRecordCapacity, 'a');
    const Case cases[] = {
        {"bytes 9 to 127 stand for themselves", "Plain text.\n", "Plain text.\n", false},
        {"zero byte", std::string("a\0b", 3), std::string("a\0b", 3), false},
        {"literal run", "\x03\xE9\x01\x80", "\xE9\x01\x80", false},
        {"space pair", "\xC1\xE2", " A b", false},
        // The first and last byte of each range: 8 copies eight bytes, 9 and 127 stand for
        // themselves, 192 and 255 are space pairs (128 and 191 open the references below).
        {"range edges",
         "\x08"
         "12345678\x09\x7F\xC0\xFF",
         "12345678\x09\x7F @ \x7F", false},
        {"back reference", "abcd" + backReference(4, 4), "abcdabcd", false},
        {"overlapping reference", "a" + backReference(1, 10), std::string(11, 'a'), false},
        {"longest distance", std::string(2047, 'x') + "y" + backReference(2047, 3),
         std::string(2047, 'x') + "yxxx", false},
        {"exactly 8192 bytes", full, full, false},
        {"empty record", "", "", false},
        {"reference before the start", "ab" + backReference(3, 3), "", true},
        {"distance zero", "ab" + backReference(0, 3), "", true},
        {"pair cut short", "ab\x80", "", true},
        {"literal run cut short",
         "\x05"
         "ab",
         "", true},
        {"output past 8192 bytes", full + "a", "", true},
        {"reference past 8192 bytes", std::string(8190, 'a') + backReference(1, 3), "", true},
        {"space pair past 8192 bytes", std::string(8191, 'a') + "\xC1", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t at = 0;
        auto next = [&]() -> int32_t {
            return at < c.record.size() ? static_cast<uint8_t>(c.record[at++]) : kRecordEnd;
        };
        std::array<uint8_t, kDocRecordCapacity> out{};
        const int32_t length = decodePalmDocRecord(next, out);
        if (c.fails) {
            EXPECT_EQ(length, -1);
            continue;
        }
        ASSERT_GE(length, 0);
        EXPECT_EQ(std::string(out.begin(), out.begin() + length), c.decoded);
    }
}

TEST(DocInputTest, RecordsDecodedInOrderWithProgress) {
    const Prepared prepared =
        runPrepareDoc(docBook({"Once upon\n", "a" + backReference(1, 4) + " time\n", "\xC5nd"}, 3));
    EXPECT_EQ(prepared.result, kResultOk);
    EXPECT_EQ(prepared.text, "Once upon\naaaaa time\n End");
    const std::vector<ProgressEvent> expected{{7, "", 50}, {7, "", 75}, {7, "", 100}};
    EXPECT_EQ(prepared.progress, expected);
    // Records after the counted text records (bookmarks and the like) are not text.
    EXPECT_EQ(runPrepareDoc(docBook({"one", "two", "bookmark"}, 2)).text, "onetwo");
}

TEST(DocInputTest, TextOptionsApplyAcrossRecords) {
    const Prepared prepared = runPrepareDoc(docBook({"one\n", "two\n", "\nthree"}, 3), 1);
    EXPECT_EQ(prepared.result, kResultOk);
    EXPECT_EQ(prepared.text, "one two\n\nthree");
}

TEST(DocInputTest, CorruptDatabasesFailPreparation) {
    std::string truncatedRecord = docBook({"good",
                                           "\x05"
                                           "ab"},
                                          2);
    std::string offsetPastEnd = docBook({"text"}, 1);
    offsetPastEnd.replace(78 + 8, 4, bigEndian32(100000));
    std::string offsetsBackwards = docBook({"first", "second"}, 2);
    offsetsBackwards.replace(78 + 16, 4, bigEndian32(10));
    const std::string noRecords = palmDatabase("Book", "TEXtREAd", {});
    const std::string shortDocHeader = palmDatabase("Book", "TEXtREAd", {"\0\x02"});
    struct Case {
        const char* what;
        std::string database;
    };
    const Case cases[] = {
        {"text record count equal to the record count", docBook({"a", "b"}, 3)},
        {"text record count above the record count", docBook({"a"}, 40)},
        {"record ending inside a literal run", truncatedRecord},
        {"back reference before the start", docBook({"ab" + backReference(5, 3)}, 1)},
        {"record inflating past 8192 bytes",
         docBook({std::string(4000, 'a') + backReference(1, 10) + std::string(4190, 'b')}, 1)},
        {"record offset past the end of the file", offsetPastEnd},
        {"record offsets running backwards", offsetsBackwards},
        {"no record 0", noRecords},
        {"Doc header cut short", shortDocHeader},
        {"database header cut short", docBook({"text"}, 1).substr(0, 70)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Prepared prepared = runPrepareDoc(c.database);
        EXPECT_EQ(prepared.result, kResultPreprocessFailed);
        // Each says what could not be read: the header and record list, or a text record.
        ASSERT_EQ(prepared.notices.size(), 1u);
        EXPECT_TRUE(prepared.notices[0].noticeKind == kNoticeDocHeaderDamaged ||
                    prepared.notices[0].noticeKind == kNoticeDocRecordDamaged);
    }
    // A failure before any text leaves the text stream untouched.
    EXPECT_EQ(runPrepareDoc(docBook({"a", "b"}, 2 + 1)).text, "");
    // The damaged record is named by its index.
    const Prepared second = runPrepareDoc(docBook({"good", "ab" + backReference(5, 3)}, 2));
    ASSERT_EQ(second.notices.size(), 1u);
    EXPECT_EQ(second.notices[0].noticeKind, kNoticeDocRecordDamaged);
    EXPECT_EQ(second.notices[0].noticeCount, 2u);
    EXPECT_EQ(second.text, "good");
}

// The compression field of the Doc header decides how the records are read: 1 as they are (the
// bytes 1 to 8 and above 127 are text, not codes, and a record may hold more than 8192 bytes),
// 2 as PalmDOC. Any other value is no Doc book this program can read: refused, nothing written.
TEST(DocInputTest, CompressionFieldDecidesHowRecordsAreRead) {
    const std::string text = everyNonZeroByte();
    const std::string large(9000, 'L');
    struct Case {
        const char* what;
        std::string database;
        int32_t result;
        std::string text;
        uint64_t refusedCompression;  // the value a refusal names
    };
    const Case cases[] = {
        {"stored", docBook({text.substr(0, 400), text.substr(400)}, 2, 1), kResultOk, text, 0},
        {"stored record above 8192 bytes", docBook({large, "end"}, 2, 1), kResultOk, large + "end",
         0},
        {"PalmDOC", docBook({"\x03\xE9\x01\x80 \xC1"}, 1, 2), kResultOk, "\xE9\x01\x80  A", 0},
        {"PalmDOC codes read as stored", docBook({"\x03\xE9\x01\x80 \xC1"}, 1, 1), kResultOk,
         "\x03\xE9\x01\x80 \xC1", 0},
        {"none", docBook({"text"}, 1, 0), kResultPreprocessFailed, "", 0},
        {"three", docBook({"text"}, 1, 3), kResultPreprocessFailed, "", 3},
        {"HuffDic", docBook({"text"}, 1, 17480), kResultPreprocessFailed, "", 17480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Prepared prepared = runPrepareDoc(c.database);
        EXPECT_EQ(prepared.result, c.result);
        EXPECT_EQ(prepared.text, c.text);
        if (c.result == kResultOk) {
            EXPECT_TRUE(prepared.notices.empty());
            continue;
        }
        ASSERT_EQ(prepared.notices.size(), 1u);
        EXPECT_EQ(prepared.notices[0].noticeKind, kNoticeDocCompression);
        EXPECT_EQ(prepared.notices[0].noticeCount, c.refusedCompression);
    }
}

TEST(DocInputTest, RecognitionAndTitle) {
    MemoryCallbacks memory;
    memory.addFile("doc", docBook({"x"}, 1));
    memory.addFile("other", palmDatabase("Other", "TEXtBOOK", {"x"}));
    memory.addFile("short", std::string(77, 'R'));
    std::string longName = docBook({"x"}, 1);
    longName.replace(0, 32, std::string(32, 'N'));  // no terminating zero in the name field
    memory.addFile("long", longName);
    const ConverterCallbacks& table = memory.table();

    std::array<char, kPalmNameSize + 1> title{};
    EXPECT_TRUE(readDocTitle(table, "doc", title.data()));
    EXPECT_STREQ(title.data(), "Book");
    EXPECT_TRUE(readDocTitle(table, "long", title.data()));
    EXPECT_EQ(std::string(title.data()), std::string(32, 'N'));
    EXPECT_FALSE(readDocTitle(table, "other", title.data()));
    EXPECT_FALSE(readDocTitle(table, "short", title.data()));
    EXPECT_FALSE(readDocTitle(table, "missing", title.data()));
    EXPECT_EQ(memory.openFiles(), 0);

    for (const char* name : {"doc", "other", "short"}) {
        FileObject file = table.openFile(table.context, name, kOpenRead);
        ASSERT_EQ(table.seekFile(table.context, file, 5, kSeekFromStart), 5u);
        EXPECT_EQ(isDocDatabase(table, file), std::string(name) == "doc") << name;
        static_cast<void>(table.closeFile(table.context, file));
    }
}

// English-like text with line ends of both kinds, long enough for several Doc records.
std::string sampleBookText() {
    static const char* const kWords[] = {"the",  "harbour", "light", "was",   "burning", "over",
                                         "grey", "water",   "and",   "boats", "came",    "home",
                                         "slow", "against", "a",     "wind",  "from",    "north"};
    std::string text;
    uint32_t state = 12345;
    for (int line = 0; line < 600; ++line) {
        for (int word = 0; word < 9; ++word) {
            state = state * 1103515245u + 12345u;
            text += kWords[(state >> 16) % (sizeof kWords / sizeof kWords[0])];
            text += word == 8 ? "." : " ";
        }
        text += line % 7 == 6 ? "\n\n" : "\n";
    }
    return text;
}

bool haveTxt2pdbdoc() {
    return std::system("command -v txt2pdbdoc > /dev/null 2>&1") == 0;
}

// Doc books built by txt2pdbdoc, compressed and uncompressed, decode back to their text.
TEST(DocInputTest, BooksMadeByTxt2pdbdoc) {
    if (!haveTxt2pdbdoc()) {
        GTEST_SKIP() << "txt2pdbdoc is not installed (Debian package txt2pdbdoc); "
                        "the outside-tool Doc checks did not run";
    }
    ScratchDirectory directory;
    // -b keeps the bytes below 9 that txt2pdbdoc would otherwise strip; -c stores the text
    // uncompressed (compression field 1).
    std::string binary;
    while (binary.size() < 3 * 4096u)
        binary += everyNonZeroByte() + sampleBookText().substr(0, 500);
    const std::string sample = sampleBookText();
    ASSERT_GT(sample.size(), 3 * 4096u);
    struct Book {
        const char* flags;
        const std::string& text;
    };
    for (const Book& book :
         {Book{"", sample}, Book{"-c ", sample}, Book{"-b ", binary}, Book{"-c -b ", binary}}) {
        const std::string& text = book.text;
        SCOPED_TRACE(std::string("txt2pdbdoc ") + book.flags);
        writeWholeFile(directory.file("book.txt"), text);
        const std::string command = "cd '" + directory.path() + "' && txt2pdbdoc " + book.flags +
                                    "'Harbour Light' book.txt book.pdb > /dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string database = readWholeFile(directory.file("book.pdb"));

        MemoryCallbacks memory;
        memory.addFile("book.pdb", database);
        std::array<char, kPalmNameSize + 1> title{};
        ASSERT_TRUE(readDocTitle(memory.table(), "book.pdb", title.data()));
        EXPECT_STREQ(title.data(), "Harbour Light");

        const Prepared prepared = runPrepareDoc(database);
        EXPECT_EQ(prepared.result, kResultOk);
        EXPECT_EQ(prepared.text, text);
        ASSERT_FALSE(prepared.progress.empty());
        EXPECT_EQ(prepared.progress.back().percent, 100);

        // The whole program: the output database, decoded by zlib, holds the book's text and
        // is named after the book.
        const ProcessResult run =
            runProgram(SKERRIT_BINARY, {"-y", "book.pdb", "out.pdb"}, "", directory.path());
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_NE(run.output.find("Title       : Harbour Light\n"), std::string::npos);
        EXPECT_NE(run.output.find("Conversion successfully completed.\n"), std::string::npos);
        std::string error;
        const ParsedDatabase output =
            parseDatabase(toBytes(readWholeFile(directory.file("out.pdb"))), &error);
        ASSERT_EQ(error, "");
        EXPECT_EQ(std::string(output.header.begin(), output.header.begin() + 14),
                  std::string("Harbour Light\0", 14));
        const DecodedTextPart decoded = decodeTextPart(output);
        ASSERT_EQ(decoded.error, "");
        EXPECT_EQ(toText(decoded.text), text);
        EXPECT_EQ(readWholeFile(directory.file("book.pdb")), database);  // source untouched
    }
}

}  // namespace
}  // namespace skerrit::testing
