// The record layouts that the writers encode and the preview decodes: every extra-record block
// at its smallest and largest, blocks one byte short or long and counts out of range, the style
// and rule fields packed and unpacked, the database's fixed parts, and Palm dates both ways.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoder/DatabaseLayout.h"
#include "encoder/PalmDate.h"
#include "htmldoc/SectionBlocks.h"
#include "htmldoc/SectionRecords.h"
#include "support/MemoryCallbacks.h"

namespace skerrit::testing {
namespace {

StyleRunRecord styleRunRecord(uint32_t runs) {
    StyleRunRecord record;
    record.startHigh = 1;
    record.endHigh = 2;
    record.endLow = 0xBEEF;
    record.runCount = static_cast<uint16_t>(runs);
    for (uint32_t run = 0; run < runs; ++run) {
        record.startLows[run] = static_cast<uint16_t>(run * 7);
        record.attributes[run] = static_cast<uint16_t>(run % 3 == 0 ? 0x8003 : 0x0023);
        if (run % 3 == 0)
            record.extras[record.extraCount++] = static_cast<uint16_t>(0x0040 | run);
    }
    return record;
}

LinkTableRecord linkTableRecord(uint32_t entries) {
    LinkTableRecord record;
    record.startHigh = 3;
    record.endHigh = 3;
    record.endLow = 0x1234;
    record.entryCount = static_cast<uint16_t>(entries);
    for (uint32_t entry = 0; entry < entries; ++entry) {
        record.startLows[entry] = static_cast<uint16_t>(entry * 300);
        record.lengths[entry] = static_cast<uint8_t>(entry % 256);
        record.targets[entry] = 0x01020304u * entry;
    }
    return record;
}

RuleTableRecord ruleTableRecord(uint32_t entries) {
    RuleTableRecord record;
    record.startHigh = 0;
    record.lastHigh = 5;
    record.entryCount = static_cast<uint16_t>(entries);
    for (uint32_t entry = 0; entry < entries; ++entry) {
        record.positionLows[entry] = static_cast<uint16_t>(entry);
        record.kinds[entry] = static_cast<uint8_t>(entry % 2);
        record.attributes[entry] = static_cast<uint8_t>(entry % 2 == 0 ? 0x12 : 0x82);
        if (entry % 2 != 0)
            record.widths[record.widthCount++] = static_cast<uint16_t>(0x8000 + entry % 100);
    }
    return record;
}

FileBoundaryRecord fileBoundaryRecord(uint32_t words) {
    FileBoundaryRecord record;
    record.startHigh = 0;
    record.endHigh = 9;
    record.firstFile = 4;
    record.lastFile = 300;
    record.wordCount = static_cast<uint16_t>(words);
    for (uint32_t word = 0; word < words; ++word)
        record.words[word] = static_cast<uint16_t>(word * 11);
    return record;
}

// Encodes, checks the size, decodes the bytes back and again one byte short and one byte long.
template <typename Record, typename Encode, typename Decode, typename Same>
void expectRoundTrip(const char* what, const Record& record, Encode encode, Decode decode,
                     Same same) {
    SCOPED_TRACE(what);
    std::vector<uint8_t> bytes(Record::kMaxSize + 1, 0xAA);
    const uint32_t size = encode(record, bytes.data());
    ASSERT_EQ(size, record.size());
    ASSERT_LE(size, Record::kMaxSize);
    EXPECT_EQ(bytes[size], 0xAA) << "wrote past its size";
    Record decoded;
    ASSERT_TRUE(decode(bytes.data(), size, decoded));
    EXPECT_TRUE(same(record, decoded));
    Record ignored;
    EXPECT_FALSE(decode(bytes.data(), size - 1, ignored)) << "one byte short";
    EXPECT_FALSE(decode(bytes.data(), size + 1, ignored)) << "one byte long";
}

template <typename Array>
bool samePrefix(const Array& a, const Array& b, uint32_t count) {
    return std::equal(a.begin(), a.begin() + count, b.begin());
}

TEST(SectionRecords, EachLayoutComesBackAtItsSmallestAndLargest) {
    auto sameRuns = [](const StyleRunRecord& a, const StyleRunRecord& b) {
        return a.startHigh == b.startHigh && a.endHigh == b.endHigh && a.endLow == b.endLow &&
               a.runCount == b.runCount && a.extraCount == b.extraCount &&
               samePrefix(a.startLows, b.startLows, a.runCount) &&
               samePrefix(a.attributes, b.attributes, a.runCount) &&
               samePrefix(a.extras, b.extras, a.extraCount);
    };
    auto sameLinks = [](const LinkTableRecord& a, const LinkTableRecord& b) {
        return a.startHigh == b.startHigh && a.endHigh == b.endHigh && a.endLow == b.endLow &&
               a.entryCount == b.entryCount && samePrefix(a.startLows, b.startLows, a.entryCount) &&
               samePrefix(a.lengths, b.lengths, a.entryCount) &&
               samePrefix(a.targets, b.targets, a.entryCount);
    };
    auto sameRules = [](const RuleTableRecord& a, const RuleTableRecord& b) {
        return a.startHigh == b.startHigh && a.lastHigh == b.lastHigh &&
               a.entryCount == b.entryCount && a.widthCount == b.widthCount &&
               samePrefix(a.positionLows, b.positionLows, a.entryCount) &&
               samePrefix(a.kinds, b.kinds, a.entryCount) &&
               samePrefix(a.attributes, b.attributes, a.entryCount) &&
               samePrefix(a.widths, b.widths, a.widthCount);
    };
    auto sameBoundaries = [](const FileBoundaryRecord& a, const FileBoundaryRecord& b) {
        return a.startHigh == b.startHigh && a.endHigh == b.endHigh && a.firstFile == b.firstFile &&
               a.lastFile == b.lastFile && a.wordCount == b.wordCount &&
               samePrefix(a.words, b.words, a.wordCount);
    };
    for (const uint32_t count : {1u, 2u, 255u, 256u}) {
        const std::string n = std::to_string(count);
        expectRoundTrip(("style runs " + n).c_str(), styleRunRecord(count), encodeStyleRunRecord,
                        decodeStyleRunRecord, sameRuns);
        expectRoundTrip(("links " + n).c_str(), linkTableRecord(count), encodeLinkTableRecord,
                        decodeLinkTableRecord, sameLinks);
        expectRoundTrip(("rules " + n).c_str(), ruleTableRecord(count), encodeRuleTableRecord,
                        decodeRuleTableRecord, sameRules);
    }
    for (const uint32_t words : {2u, 257u, 258u}) {
        expectRoundTrip(("boundary words " + std::to_string(words)).c_str(),
                        fileBoundaryRecord(words), encodeFileBoundaryRecord,
                        decodeFileBoundaryRecord, sameBoundaries);
    }
    EXPECT_EQ(styleRunRecord(256).size(), StyleRunRecord::kFixedSize + 4 * 256 + 2 * 86);
    EXPECT_EQ(linkTableRecord(256).size(), LinkTableRecord::kMaxSize);
    EXPECT_EQ(fileBoundaryRecord(258).size(), FileBoundaryRecord::kMaxSize);
}

// A block given as its 16-bit words.
std::vector<uint8_t> blockOf(const std::vector<uint16_t>& words) {
    std::vector<uint8_t> bytes;
    for (const uint16_t word : words) {
        bytes.push_back(static_cast<uint8_t>(word >> 8));
        bytes.push_back(static_cast<uint8_t>(word));
    }
    return bytes;
}

// n runs of attribute 3 and no extra words: startHigh endHigh n, lows, endLow, attributes, m.
std::vector<uint16_t> plainRuns(uint16_t n) {
    std::vector<uint16_t> words{0, 0, n};
    words.insert(words.end(), n, 0);
    words.push_back(5);
    words.insert(words.end(), n, 3);
    words.push_back(0);
    return words;
}

TEST(SectionRecords, CountsOutOfRangeOrDisagreeingWithTheSizeAreRefused) {
    struct Case {
        const char* what;
        std::vector<uint16_t> words;
        bool valid;
    };
    auto check = [](const Case& test, auto decode, auto record) {
        const std::vector<uint8_t> bytes = blockOf(test.words);
        EXPECT_EQ(decode(bytes.data(), static_cast<uint32_t>(bytes.size()), record), test.valid)
            << test.what;
    };
    const Case runs[] = {
        // startHigh endHigh n | start lows | endLow | attributes | m | extra words
        {"one plain run", {0, 0, 1, 0, 5, 3, 0}, true},
        {"no runs", {0, 0, 0, 5, 0}, false},
        {"256 runs", plainRuns(256), true},
        {"257 runs", plainRuns(257), false},
        {"an extra word for a run without bit 15", {0, 0, 1, 0, 5, 3, 1, 7}, false},
        {"no extra word for a run with bit 15", {0, 0, 1, 0, 5, 0x8003, 0}, false},
        {"one run with its extra word", {0, 0, 1, 0, 5, 0x8003, 1, 0x41}, true},
        {"cut inside the header", {0, 0}, false},
    };
    for (const Case& test : runs)
        check(test, decodeStyleRunRecord, StyleRunRecord{});
    const Case links[] = {
        // startHigh endHigh n | lows | endLow | length and reserved byte | target
        {"one link", {0, 0, 1, 4, 9, 0x0500, 0, 100}, true},
        {"no links", {0, 0, 0, 0}, false},
    };
    for (const Case& test : links)
        check(test, decodeLinkTableRecord, LinkTableRecord{});
    const Case rules[] = {
        // startHigh lastHigh n | lows | kind and attribute byte | width words
        {"a rule with its width", {0, 0, 1, 7, 0x0182, 0x8032}, true},
        {"a rule missing its width", {0, 0, 1, 7, 0x0182}, false},
        {"no rules", {0, 0, 0}, false},
    };
    for (const Case& test : rules)
        check(test, decodeRuleTableRecord, RuleTableRecord{});
    std::vector<uint16_t> words259{0, 0, 0, 0, 259};
    words259.insert(words259.end(), 259, 1);
    const Case boundaries[] = {
        // startHigh endHigh firstFile lastFile n | words
        {"two words", {0, 0, 0, 0, 2, 0, 9}, true},
        {"one word", {0, 0, 0, 0, 1, 0}, false},
        {"259 words", words259, false},
    };
    for (const Case& test : boundaries)
        check(test, decodeFileBoundaryRecord, FileBoundaryRecord{});
}

TEST(SectionRecords, StylesAndRulesUnpackToWhatTheirWordsKeep) {
    auto style = [](auto change) {
        StoredTextStyle s;
        change(s);
        return s;
    };
    struct StyleCase {
        const char* what;
        StoredTextStyle written;
        StoredTextStyle read;  // what the words keep of it
    };
    const StyleCase styles[] = {
        {"default", StoredTextStyle{}, StoredTextStyle{}},
        {"every flag", style([](auto& s) {
             s.heading = s.monospace = s.bold = s.italic = s.strikeThrough = 1;
             s.subscript = s.superscript = 1;
             s.underline = 2;
             s.alignment = 2;
             s.fontSize = 7;
         }),
         style([](auto& s) {
             s.heading = s.monospace = s.bold = s.italic = s.strikeThrough = 1;
             s.subscript = s.superscript = 1;
             s.underline = 2;
             s.alignment = 2;
             s.fontSize = 7;
         })},
        {"underline, centred", style([](auto& s) { s.underline = 1, s.alignment = 1; }),
         style([](auto& s) { s.underline = 1, s.alignment = 1; })},
        {"list style and number outside an item start are not kept",
         style([](auto& s) { s.indent = 3, s.listStyle = 7, s.itemNumber = 4; }),
         style([](auto& s) { s.indent = 3; })},
        {"decimal item 256",
         style([](auto& s) { s.indent = 1, s.itemStart = 1, s.listStyle = 7, s.itemNumber = 256; }),
         style(
             [](auto& s) { s.indent = 1, s.itemStart = 1, s.listStyle = 7, s.itemNumber = 256; })},
        {"decimal item 257 keeps its low 8 bits",
         style([](auto& s) { s.itemStart = 1, s.listStyle = 7, s.itemNumber = 257; }),
         style([](auto& s) { s.itemStart = 1, s.listStyle = 7, s.itemNumber = 1; })},
        {"square items carry no number",
         style([](auto& s) { s.itemStart = 1, s.listStyle = 2, s.itemNumber = 5; }),
         style([](auto& s) { s.itemStart = 1, s.listStyle = 2; })},
        {"indent 9 keeps its low 3 bits", style([](auto& s) { s.indent = 9; }),
         style([](auto& s) { s.indent = 1; })},
    };
    for (const StyleCase& test : styles) {
        const StoredTextStyle read =
            styleFromWords(styleAttributeWord(test.written), styleExtraWord(test.written));
        std::vector<uint8_t> got(StoredTextStyle::kSize);
        std::vector<uint8_t> want(StoredTextStyle::kSize);
        encodeStoredTextStyle(read, got.data());
        encodeStoredTextStyle(test.read, want.data());
        EXPECT_EQ(got, want) << test.what;
    }

    struct RuleCase {
        StoredBlockRecord written;
        int32_t size, noShade, alignment, width;  // as read back
    };
    const RuleCase rules[] = {
        {{0, 1, 0, 0, 2, -100}, 2, 0, 0, -100},  {{0, 1, 1, 1, 5, -50}, 5, 1, 1, -50},
        {{0, 1, 2, 0, 15, 200}, 15, 0, 2, 200},  {{0, 1, 0, 0, 16, 4095}, 15, 0, 0, 4095},
        {{0, 1, 0, 0, -1, 4096}, 2, 0, 0, 4095}, {{0, 1, 0, 0, 2, -101}, 2, 0, 0, -100},
        {{0, 1, 0, 0, 2, -99}, 2, 0, 0, -99},    {{0, 1, 0, 0, 2, 0}, 2, 0, 0, 0},
    };
    for (const RuleCase& test : rules) {
        const uint8_t attributes = ruleAttributeByte(test.written);
        const StoredBlockRecord read =
            ruleFromAttributes(7, attributes, ruleWidthWord(test.written));
        SCOPED_TRACE("size " + std::to_string(test.written.size) + " width " +
                     std::to_string(test.written.width));
        EXPECT_EQ(read.position, 7u);
        EXPECT_EQ(read.size, test.size);
        EXPECT_EQ(read.noShade, test.noShade);
        EXPECT_EQ(read.alignment, test.alignment);
        EXPECT_EQ(read.width, test.width);
    }
}

TEST(DatabaseLayout, DecodesWhatTheWriterBuilds) {
    const DatabaseHeaderBytes header =
        buildDatabaseHeader("A title longer than thirty-one bytes", 0x12345678, 300);
    const DatabaseHeaderFields fields = decodeDatabaseHeader(header.data());
    EXPECT_STREQ(fields.name.data(), "A title longer than thirty-one ");
    EXPECT_EQ(fields.version, 256);
    EXPECT_EQ(fields.creationDate, 0x12345678u);
    EXPECT_EQ(fields.modificationDate, 0x12345678u);
    EXPECT_EQ(fields.backupDate, 0u);
    EXPECT_STREQ(fields.type.data(), "VaDo");
    EXPECT_STREQ(fields.creator.data(), "VaDo");
    EXPECT_EQ(fields.numRecords, 300);

    std::array<uint8_t, kRecordListEntrySize> entry{};
    storeRecordListEntry(entry.data(), 0xA0B0C0D0u, 0x010203);
    const RecordListEntry listed = decodeRecordListEntry(entry.data());
    EXPECT_EQ(listed.recordOffset, 0xA0B0C0D0u);
    EXPECT_EQ(listed.attributes, 0);
    EXPECT_EQ(listed.uniqueId, 0x010203u);

    const HeaderRecordBytes record = buildHeaderRecord(70000, 8, 21);
    const HeaderRecordFields read = decodeHeaderRecord(record.data());
    EXPECT_TRUE(hasHeaderRecordConstants(read));
    EXPECT_EQ(read.textLength, 70000u);
    EXPECT_EQ(read.recordsPerCodeTable, 8);
    EXPECT_EQ(read.textPartRecords, 21);
    HeaderRecordBytes otherTag = record;
    otherTag[hdrec::kTag + 3] = 'x';
    EXPECT_FALSE(hasHeaderRecordConstants(decodeHeaderRecord(otherTag.data())));

    std::array<uint8_t, kRecordPrefixSize> prefix{};
    storeRecordPrefix(prefix.data(), static_cast<RecordKind>(kRecordStoredText + 3), 1024);
    const RecordPrefix decoded = decodeRecordPrefix(prefix.data());
    EXPECT_EQ(decoded.prefixSize, kRecordPrefixSize);
    EXPECT_EQ(decoded.kind, kRecordStoredText + 3);
    EXPECT_EQ(decoded.recordSize(), 4u + 4096u);
}

TEST(PalmDate, TurnsBackIntoTheTimeItWasMadeFrom) {
    const LocalTime times[] = {
        {1904, 1, 1, 0, 0, 1},     {1904, 2, 29, 23, 59, 59}, {1904, 3, 1, 0, 0, 0},
        {1905, 1, 1, 0, 0, 0},     {1907, 12, 31, 12, 0, 0},  {2000, 2, 29, 6, 30, 0},
        {2026, 12, 11, 16, 53, 4}, {2040, 2, 6, 6, 28, 15},
    };
    for (const LocalTime& time : times) {
        const LocalTime back = palmDateTime(palmDate(time));
        EXPECT_EQ(back.year, time.year);
        EXPECT_EQ(back.month, time.month);
        EXPECT_EQ(back.day, time.day);
        EXPECT_EQ(back.hour, time.hour);
        EXPECT_EQ(back.minute, time.minute);
        EXPECT_EQ(back.second, time.second);
    }
    // The largest date: 2^32 - 1 seconds after 1904 began.
    const LocalTime last = palmDateTime(0xFFFFFFFFu);
    EXPECT_EQ(palmDate(last), 0xFFFFFFFFu);
    EXPECT_EQ(last.year, 2040);
}

}  // namespace
}  // namespace skerrit::testing
