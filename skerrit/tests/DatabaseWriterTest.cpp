// The "VaDo" container as the writer lays it out: header fields and record list at named offsets,
// record counts, Palm dates, unique IDs, the record-0 locating rule, the extra records of an HTML
// conversion appended from hand-made section streams, and every failing call or stop answer
// turned into one result code with nothing left allocated.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "encoder/DatabaseLayout.h"
#include "encoder/DatabaseWriter.h"
#include "encoder/PalmDate.h"
#include "encoder/RecordLocator.h"
#include "engine/ByteOrder.h"
#include "engine/ResultCodes.h"
#include "support/EnglishLikeText.h"
#include "support/WriterHarness.h"
#include "support/ZlibRecordDecoder.h"

namespace skerrit {
namespace {

using testing::Bytes;
using testing::WriterHarness;

Bytes english(size_t size) {
    return testing::toBytes(testing::makeEnglishLikeText(size));
}

Bytes slice(const Bytes& bytes, size_t offset, size_t size) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                 bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

Bytes hex(const std::string& text) {
    Bytes bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 3) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

bool isNear(uint32_t date, uint32_t now) {
    return date <= now && now - date < 10;
}

TEST(DatabaseLayout, WritesTheContainerFieldsAtTheirOffsets) {
    const char* title = "A Title Of Forty Characters, Too Long!!!";
    ASSERT_EQ(std::strlen(title), 40u);
    WriterHarness harness(english(5000));
    ASSERT_EQ(harness.writeDatabase(title), kResultOk);
    const Bytes& file = harness.output();
    const uint32_t now = currentPalmDate();

    Bytes expectedName(title, title + 31);
    expectedName.push_back(0);
    EXPECT_EQ(slice(file, 0, 32), expectedName) << "name";
    EXPECT_EQ(slice(file, 32, 4), hex("00 00 01 00")) << "attributes, version 256";
    EXPECT_TRUE(isNear(loadBigEndian32(&file[36]), now)) << "creation date";
    EXPECT_EQ(slice(file, 40, 4), slice(file, 36, 4)) << "modification date";
    EXPECT_EQ(slice(file, 44, 16), Bytes(16, 0)) << "backup, modnum, appinfo, sortinfo";
    EXPECT_EQ(testing::toText(slice(file, 60, 8)), "VaDoVaDo") << "type, creator";
    EXPECT_EQ(slice(file, 68, 8), Bytes(8, 0)) << "unique ID seed, next record list";
    ASSERT_EQ(loadBigEndian16(&file[76]), 4u) << "numRecords";

    EXPECT_EQ(slice(file, 78 + 8 * 4, 2), Bytes(2, 0)) << "gap after the record list";
    const uint32_t dataStart = 80 + 8 * 4;
    EXPECT_EQ(slice(file, 78, 8), hex("00 00 00 70 00 00 00 00")) << "entry 0";
    std::vector<uint32_t> offsets;
    for (uint32_t index = 0; index < 4; ++index) {
        const uint8_t* entry = &file[78 + 8 * index];
        offsets.push_back(loadBigEndian32(entry));
        EXPECT_EQ(Bytes(entry + 4, entry + 8), Bytes({0, static_cast<uint8_t>(index), 0, 0}))
            << "attributes and unique ID of record " << index;
    }
    EXPECT_EQ(offsets[0], dataStart);
    EXPECT_EQ(offsets[1], dataStart + 64);

    const Bytes record0 = slice(file, dataStart, 64);
    EXPECT_EQ(slice(record0, 0, 12), hex("00 40 00 01 01 00 01 00 56 61 44 6F"))
        << "size, constant 1, constant bytes, tag";
    EXPECT_EQ(loadBigEndian32(&record0[12]), 5000u) << "text length";
    EXPECT_EQ(loadBigEndian16(&record0[16]), 8u) << "text records per code table";
    EXPECT_EQ(loadBigEndian16(&record0[18]), 4u) << "records of the text part";
    EXPECT_EQ(slice(record0, 20, 44), Bytes(44, 0)) << "group fields, date, reserved";
}

TEST(DatabaseLayout, UniqueIdHoldsTheIndexLeastSignificantByteFirst) {
    const std::vector<std::pair<uint32_t, std::string>> cases = {{0, "00 00 00"},
                                                                 {1, "01 00 00"},
                                                                 {256, "00 01 00"},
                                                                 {257, "01 01 00"},
                                                                 {65535, "FF FF 00"}};
    for (const auto& [index, expected] : cases) {
        Bytes entry(8, 0xEE);
        storeRecordListEntry(entry.data(), 0x01020304, index);
        EXPECT_EQ(entry, hex("01 02 03 04 00 " + expected)) << index;
    }
}

TEST(DatabaseLayout, CountsTheRecordsOfTheTextPart) {
    struct CountCase {
        uint32_t textLength;
        uint32_t chunkSize;
        uint32_t chunksPerGroup;
        uint64_t expected;
    };
    const std::vector<CountCase> cases = {
        {1, 4096, 8, 3},      {4096, 4096, 8, 3},   {4097, 4096, 8, 4},      {32768, 4096, 8, 10},
        {32769, 4096, 8, 12}, {65536, 4096, 8, 19}, {100, 16, 2, 9 + 2 + 1}, {932096, 16, 8, 65539},
    };
    for (const CountCase& test : cases) {
        EXPECT_EQ(textPartRecordCount(test.textLength, test.chunkSize, test.chunksPerGroup),
                  test.expected)
            << test.textLength << " bytes";
    }
}

TEST(PalmDate, CountsSecondsFrom1904InLocalTime) {
    struct DateCase {
        LocalTime time;
        uint32_t expected;
    };
    const std::vector<DateCase> cases = {
        {{1904, 1, 1, 0, 0, 0}, 0},
        {{1904, 3, 1, 0, 0, 0}, 60 * 86400},          // 1904 is a leap year
        {{1905, 3, 1, 0, 0, 0}, (366 + 59) * 86400},  // 1905 is not
        {{1970, 1, 1, 0, 0, 0}, 2082844800},
        {{2000, 1, 1, 0, 0, 0}, 3029529600},
        {{2000, 12, 31, 23, 59, 59}, 3029529600 + 366 * 86400 - 1},
        {{2026, 12, 11, 11, 45, 30}, 3029529600u + 9841 * 86400 + 11 * 3600 + 45 * 60 + 30},
        {{2040, 2, 6, 6, 28, 15}, 0xFFFFFFFF},  // the last second of the 32-bit range
    };
    for (const DateCase& test : cases) {
        EXPECT_EQ(palmDate(test.time), test.expected) << test.time.year << "-" << test.time.month;
    }
}

// A hand-made database: three records at 200, 264 and 300 in a file of 350 bytes.
Bytes handMadeDatabase(const std::vector<uint32_t>& offsets, size_t fileSize) {
    Bytes file(fileSize, 0);
    storeBigEndian16(&file[76], static_cast<uint32_t>(offsets.size()));
    for (size_t index = 0; index < offsets.size(); ++index) {
        storeRecordListEntry(&file[78 + 8 * index], offsets[index], static_cast<uint32_t>(index));
    }
    return file;
}

TEST(RecordLocator, FindsOffsetAndSizeFromTheRecordList) {
    struct LocateCase {
        const char* what;
        std::vector<uint32_t> offsets;
        uint32_t index;
        bool expectedFound;
        uint32_t expectedOffset;
        uint32_t expectedSize;
    };
    const std::vector<LocateCase> cases = {
        {"first record: up to the next", {200, 264, 300}, 0, true, 200, 64},
        {"last record: up to the end of the file", {200, 264, 300}, 2, true, 300, 50},
        {"only record: up to the end of the file", {200}, 0, true, 200, 150},
        {"index not below numRecords", {200, 264, 300}, 3, false, 0, 0},
        {"following offset smaller", {200, 150, 300}, 0, false, 0, 0},
        {"empty record", {200, 200}, 0, true, 200, 0},
    };
    for (const LocateCase& test : cases) {
        testing::MemoryCallbacks callbacks;
        callbacks.addFile("db.pdb", handMadeDatabase(test.offsets, 350));
        ConverterCallbacks& table = callbacks.table();
        FileObject file = table.openFile(table.context, "db.pdb", kOpenRead);
        DatabaseHeaderBytes header{};
        ASSERT_TRUE(readDatabaseHeader(table, file, &header));
        uint32_t offset = 0;
        uint32_t size = 0;
        const bool found = locateRecord(table, file, header.data(), test.index, &offset, &size);
        EXPECT_EQ(found, test.expectedFound) << test.what;
        if (found && test.expectedFound) {
            EXPECT_EQ(offset, test.expectedOffset) << test.what;
            EXPECT_EQ(size, test.expectedSize) << test.what;
        }
        (void)table.closeFile(table.context, file);
    }
}

// Section streams made by hand: four extra records of 4, 6, 2 and 4 bytes.
struct SectionStreams {
    explicit SectionStreams(testing::MemoryCallbacks& callbacks) : table(callbacks.table()) {
        data = table.createTempFile(table.context);
        index = table.createTempFile(table.context);
        const std::string bodies = "AAAABBBBBBCCDDDD";
        (void)table.writeFile(table.context, data, static_cast<uint32_t>(bodies.size()),
                              bodies.data());
        Bytes starts(16);
        const uint32_t offsets[] = {0, 4, 10, 12};
        for (size_t k = 0; k < 4; ++k)
            storeLittleEndian32(&starts[4 * k], offsets[k]);
        (void)table.writeFile(table.context, index, 16, starts.data());
    }
    ~SectionStreams() {
        (void)table.closeFile(table.context, index);
        (void)table.closeFile(table.context, data);
    }
    ConverterCallbacks& table;
    FileObject data = nullptr;
    FileObject index = nullptr;
};

HtmlJob jobWithCounts(int32_t styles, int32_t links, int32_t rules, int32_t boundaries,
                      int32_t textFiles) {
    HtmlJob job{};
    job.styleCount = styles;
    job.linkCount = links;
    job.ruleCount = rules;
    job.boundaryCount = boundaries;
    job.textFileCount = textFiles;
    return job;
}

TEST(ExtraRecords, AreAppendedListedAndCountedInTheHeaderRecord) {
    WriterHarness harness(english(100));
    SectionStreams sections(harness.callbacks);
    ASSERT_EQ(harness.writeDatabase("Book", 4096, 8, 4), kResultOk);
    const size_t textPartEnd = harness.output().size();
    ASSERT_EQ(appendExtraRecords(harness.callbacks.table(), sections.data, sections.index,
                                 harness.destination, 4, jobWithCounts(1, 2, 0, 1, 0x10003)),
              kResultOk);
    // Dirty the reserved bytes to see finishHeaderRecord clear them.
    const uint32_t record0 = 80 + 8 * 7;
    ConverterCallbacks& table = harness.callbacks.table();
    ASSERT_EQ(table.seekFile(table.context, harness.destination, record0 + 50, kSeekFromStart),
              record0 + 50);
    ASSERT_EQ(table.writeFile(table.context, harness.destination, 4, "junk"), 4);
    ASSERT_EQ(finishHeaderRecord(table, harness.destination), kResultOk);

    const Bytes& file = harness.output();
    std::string error;
    const testing::ParsedDatabase database = testing::parseDatabase(file, &error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(database.records.size(), 7u);
    EXPECT_EQ(database.offsets[3], textPartEnd) << "extra records start at the old end";
    const std::vector<std::string> bodies = {"AAAA", "BBBBBB", "CC", "DDDD"};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(testing::toText(database.records[3 + k]), bodies[k]) << "extra record " << k;
        EXPECT_EQ(database.listEntries[3 + k][5], 3 + k) << "unique ID";
    }
    const Bytes& header = database.records[0];
    struct Field {
        const char* name;
        uint32_t offset;
        uint32_t expected;
    };
    const std::vector<Field> fields = {
        {"records of the text part", 18, 3},
        {"style first", 20, 3},
        {"style count", 22, 1},
        {"link first", 24, 4},
        {"link count", 26, 2},
        {"rule first", 28, 6},
        {"rule count", 30, 0},
        {"text files", 36, 3},
        {"boundary first", 38, 6},
        {"boundary count", 40, 1},
    };
    for (const Field& field : fields) {
        EXPECT_EQ(loadBigEndian16(&header[field.offset]), field.expected) << field.name;
    }
    EXPECT_TRUE(isNear(loadBigEndian32(&header[32]), currentPalmDate())) << "conversion date";
    EXPECT_EQ(slice(header, 42, 22), Bytes(22, 0)) << "reserved";
    EXPECT_EQ(testing::decodeTextPart(database).error, "");
}

TEST(ExtraRecords, EmptyGroupsAllStartAtTheFirstExtraIndex) {
    WriterHarness harness(english(100));
    SectionStreams sections(harness.callbacks);
    ASSERT_EQ(harness.writeDatabase(), kResultOk);
    ASSERT_EQ(appendExtraRecords(harness.callbacks.table(), sections.data, sections.index,
                                 harness.destination, 0, jobWithCounts(0, 0, 0, 0, 1)),
              kResultOk);
    const Bytes header = slice(harness.output(), 80 + 8 * 3, 64);
    for (uint32_t offset : {18u, 20u, 24u, 28u, 38u}) {
        EXPECT_EQ(loadBigEndian16(&header[offset]), 3u) << "field " << offset;
    }
}

TEST(ExtraRecords, IndexesFrom32768OnFail) {
    struct LimitCase {
        HtmlJob job;
        int32_t expected;
    };
    const std::vector<LimitCase> cases = {
        {jobWithCounts(32764, 0, 0, 0, 1), kResultOk},  // 3 + 32764 = 32767
        {jobWithCounts(32765, 0, 0, 0, 1), kResultConversionFailed},
        {jobWithCounts(0, 0, 0, 32765, 1), kResultConversionFailed},
        {jobWithCounts(-1, 0, 0, 0, 1), kResultConversionFailed},
    };
    for (const LimitCase& test : cases) {
        WriterHarness harness(english(100));
        SectionStreams sections(harness.callbacks);
        ASSERT_EQ(harness.writeDatabase(), kResultOk);
        EXPECT_EQ(appendExtraRecords(harness.callbacks.table(), sections.data, sections.index,
                                     harness.destination, 0, test.job),
                  test.expected);
    }
}

// numRecords has 16 bits: a database that would need more is refused before anything is written,
// rather than written with a wrapped count and a record list running over the records.
TEST(WriteDatabase, RefusesMoreRecordsThanNumRecordsHolds) {
    struct TooManyCase {
        const char* what;
        size_t textSize;
        uint32_t chunkSize;
        uint32_t extraRecords;
    };
    const std::vector<TooManyCase> cases = {
        {"text part of 65539 records", 932096, 16, 0},
        {"text part of 65536 records", 58253, 1, 0},  // 58253 chunks, 7282 code tables
        {"text part and extra records together", 100, 4096, 65533},
    };
    for (const TooManyCase& test : cases) {
        WriterHarness harness(Bytes(test.textSize, 'z'));
        EXPECT_EQ(harness.writeDatabase("Big", test.chunkSize, 8, test.extraRecords),
                  kResultConversionFailed)
            << test.what;
        EXPECT_TRUE(harness.output().empty()) << test.what;
    }
    WriterHarness fits(Bytes(100, 'z'));
    EXPECT_EQ(fits.writeDatabase("Big", 4096, 8, 65532), kResultOk);
    WriterHarness textPartFits(Bytes(58252, 'z'));  // 65535 records with the header record
    EXPECT_EQ(textPartFits.writeDatabase("Big", 1, 8, 0), kResultOk);
}

// The writer as the driver runs it for an HTML conversion, with one fault injected.
int32_t writeWithFault(const Bytes& text, const std::function<void(testing::MemoryCallbacks&)>& arm,
                       testing::MemoryCallbacks::CallCounts* countsAfter = nullptr) {
    WriterHarness harness(text);
    SectionStreams sections(harness.callbacks);
    arm(harness.callbacks);
    int32_t result = harness.writeDatabase("Faulty", 4096, 8, 4);
    if (result == kResultOk) {
        result = appendExtraRecords(harness.callbacks.table(), sections.data, sections.index,
                                    harness.destination, 4, jobWithCounts(1, 1, 1, 1, 1));
    }
    if (result == kResultOk)
        result = finishHeaderRecord(harness.callbacks.table(), harness.destination);
    EXPECT_EQ(harness.callbacks.liveAllocations(), 0) << "allocations left";
    EXPECT_EQ(harness.callbacks.openFiles(), 5) << "the writer opens and closes nothing";
    EXPECT_EQ(harness.callbacks.misuseCount(), 0);
    if (countsAfter != nullptr)
        *countsAfter = harness.callbacks.counts();
    return result;
}

// Every seek, read, write and allocation of the writer can fail, and every progress call can
// answer stop: each gives its result code at once and leaves nothing allocated.
TEST(WriterFaults, EveryFailingCallGivesItsResultCode) {
    // Two groups, one chunk of which is stored, so the stored-chunk re-read is reached too.
    Bytes text = english(20000);
    Bytes noise(4096);
    uint32_t seed = 99;
    for (uint8_t& byte : noise) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(seed >> 24);
    }
    text.insert(text.end(), noise.begin(), noise.end());
    const Bytes tail = english(12000);
    text.insert(text.end(), tail.begin(), tail.end());

    testing::MemoryCallbacks::CallCounts base{};
    testing::MemoryCallbacks::CallCounts total{};
    ASSERT_EQ(writeWithFault(
                  text, [&](testing::MemoryCallbacks& c) { base = c.counts(); }, &total),
              kResultOk);

    struct FaultKind {
        const char* name;
        int testing::MemoryCallbacks::Faults::*slot;
        int testing::MemoryCallbacks::CallCounts::*count;
        int32_t expected;
    };
    using MC = testing::MemoryCallbacks;
    const std::vector<FaultKind> kinds = {
        {"seek", &MC::Faults::failSeekAt, &MC::CallCounts::seek, kResultConversionFailed},
        {"read", &MC::Faults::failReadAt, &MC::CallCounts::read, kResultConversionFailed},
        {"write", &MC::Faults::failWriteAt, &MC::CallCounts::write, kResultConversionFailed},
        {"allocate", &MC::Faults::failAllocateAt, &MC::CallCounts::allocate,
         kResultConversionFailed},
        {"progress", &MC::Faults::stopProgressAt, &MC::CallCounts::progress, kResultCanceled},
    };
    for (const FaultKind& kind : kinds) {
        const int calls = total.*kind.count - base.*kind.count;
        ASSERT_GT(calls, 0) << kind.name;
        for (int n = 1; n <= calls; ++n) {
            const int32_t result = writeWithFault(
                text, [&](MC& c) { c.faults.*kind.slot = c.counts().*kind.count + n; });
            ASSERT_EQ(result, kind.expected) << kind.name << " call " << n << " of " << calls;
        }
    }
}

}  // namespace
}  // namespace skerrit
