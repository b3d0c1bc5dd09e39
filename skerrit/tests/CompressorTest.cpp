// The text part checked by an outside decoder: every code table and text record is fed to zlib's
// raw inflate as one dynamic block and must give back its chunk, ending at symbol 256.
#include <gtest/gtest.h>

#include <zlib.h>

#include <functional>
#include <string>
#include <vector>

#include "encoder/BitWriter.h"
#include "encoder/RecordEncoder.h"
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

Bytes randomBytes(size_t size, uint32_t seed) {
    Bytes bytes(size);
    for (uint8_t& byte : bytes) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        byte = static_cast<uint8_t>(seed >> 24);
    }
    return bytes;
}

Bytes concat(std::vector<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

struct DecodeCase {
    const char* what;
    Bytes text;
    Bytes expectedText;  // what the records hold: the text, or a line feed for an empty one
    uint32_t expectedRecords;
    std::vector<uint8_t> expectedKinds;  // records 1 on; empty = do not check
};

TEST(TextPart, EveryRecordInflatesBackToItsChunk) {
    const Bytes englishChunk = english(4096);
    const Bytes randomTail = randomBytes(4093, 7);
    const std::vector<DecodeCase> cases = {
        {"empty text becomes one line feed", {}, {'\n'}, 3, {1, 2}},
        {"one byte", {'A'}, {'A'}, 3, {1, 2}},
        {"two bytes", {'A', 'B'}, {'A', 'B'}, 3, {1, 2}},
        {"4096 identical bytes", Bytes(4096, 'x'), Bytes(4096, 'x'), 3, {1, 2}},
        {"random chunks are stored beside compressed ones of their group",
         concat({englishChunk, randomBytes(4096, 3), randomTail}),
         concat({englishChunk, randomBytes(4096, 3), randomTail}),
         5,
         {1, 2, 4, 7}},
        {"exactly one group", english(32768), english(32768), 10, {}},
        {"one byte into a second group", english(32769), english(32769), 12, {}},
        {"several hundred kilobytes of English-like text",
         english(300 * 1024),
         english(300 * 1024),
         9 * 9 + 1 + 3 + 1,
         {}},
    };
    for (const DecodeCase& test : cases) {
        SCOPED_TRACE(test.what);
        WriterHarness harness(test.text);
        ASSERT_EQ(harness.writeDatabase(), kResultOk);
        std::string error;
        const testing::ParsedDatabase database = testing::parseDatabase(harness.output(), &error);
        ASSERT_EQ(error, "");
        EXPECT_EQ(database.records.size(), test.expectedRecords);
        const testing::DecodedTextPart decoded = testing::decodeTextPart(database);
        ASSERT_EQ(decoded.error, "");
        EXPECT_TRUE(decoded.text == test.expectedText) << "decoded text differs";
        EXPECT_EQ(loadBigEndian32(&database.records[0][12]), test.expectedText.size());
        if (!test.expectedKinds.empty()) {
            EXPECT_EQ(decoded.kinds, test.expectedKinds);
        }
    }
}

// A stored chunk of 4093 bytes carries three zero bytes of padding, kind 4 + 3.
TEST(TextPart, StoredChunkIsPaddedToAWholeWord) {
    const Bytes text = concat({english(4096), randomBytes(4093, 11)});
    WriterHarness harness(text);
    ASSERT_EQ(harness.writeDatabase(), kResultOk);
    std::string error;
    const testing::ParsedDatabase database = testing::parseDatabase(harness.output(), &error);
    ASSERT_EQ(database.records.size(), 4u);
    const Bytes& stored = database.records[3];
    ASSERT_EQ(stored.size(), 4u + 4096u);
    EXPECT_EQ(stored[0], 4);                        // prefix size
    EXPECT_EQ(stored[1], 7);                        // kind: stored, 3 bytes of padding
    EXPECT_EQ(loadBigEndian16(&stored[2]), 1024u);  // payload words
    EXPECT_TRUE(std::equal(text.begin() + 4096, text.end(), stored.begin() + 4));
    EXPECT_EQ(Bytes(stored.end() - 3, stored.end()), Bytes(3, 0));
}

// A chunk is stored only when its coded form overflows the record: one that codes to exactly
// 1024 words is still coded. The second chunk shares a code table shaped mostly by English text,
// so its random bytes code to just over a word per four bytes; its size puts it on either side.
TEST(TextPart, ChunkCodedToExactlyTheRecordCapacityIsNotStored) {
    struct CapacityCase {
        size_t randomBytes;
        uint8_t expectedKind;
        uint16_t expectedWords;
    };
    const std::vector<CapacityCase> cases = {
        {3979, 2, 1024},      // coded to exactly 1024 words
        {3980, 4, 3980 / 4},  // would code to 1025 words: stored, no padding
    };
    const Bytes englishChunk = english(4096);
    for (const CapacityCase& test : cases) {
        SCOPED_TRACE(test.randomBytes);
        const Bytes text = concat({englishChunk, randomBytes(test.randomBytes, 1)});
        WriterHarness harness(text);
        ASSERT_EQ(harness.writeDatabase(), kResultOk);
        std::string error;
        const testing::ParsedDatabase database = testing::parseDatabase(harness.output(), &error);
        ASSERT_EQ(database.records.size(), 4u);
        const Bytes& second = database.records[3];
        EXPECT_EQ(second[1], test.expectedKind);                     // kind
        EXPECT_EQ(loadBigEndian16(&second[2]), test.expectedWords);  // payload words
        EXPECT_EQ(second.size(), 4u + 4u * test.expectedWords);
        const testing::DecodedTextPart decoded = testing::decodeTextPart(database);
        ASSERT_EQ(decoded.error, "");
        EXPECT_TRUE(decoded.text == text) << "decoded text differs";
    }
}

uint32_t codeTableField(const Bytes& codeTableRecord, uint32_t firstBit, uint32_t bitCount) {
    const Bytes bits = testing::repackPayload(codeTableRecord);
    uint32_t value = 0;
    for (uint32_t bit = 0; bit < bitCount; ++bit) {
        const uint32_t position = firstBit + bit;
        value |= ((uint32_t{bits[position / 8]} >> (position % 8)) & 1u) << bit;
    }
    return value;
}

// The code table record opens with HLIT, HDIST and HCLEN.
TEST(TextPart, CodeTableSendsTheHighestUsedSymbols) {
    struct FieldCase {
        const char* what;
        Bytes text;
        uint32_t expectedHlit;
        uint32_t expectedHdist;
    };
    Bytes distinct;  // no three bytes repeat: no match at all
    for (int value = 0; value < 256; ++value)
        distinct.push_back(static_cast<uint8_t>(value));
    Bytes periodSeven;  // every match is at distance 7, distance code 5
    while (periodSeven.size() < 100) {
        for (char letter : std::string("abcdefg"))
            periodSeven.push_back(static_cast<uint8_t>(letter));
    }
    const std::vector<FieldCase> cases = {
        {"no match: two distance lengths are sent", distinct, 0, 1},
        // 93 bytes after the first seven: one match of length 93, length code 21 (83 to
        // 98), symbol 278.
        {"only distance code 5", Bytes(periodSeven.begin(), periodSeven.begin() + 100), 278 - 256,
         5},
    };
    for (const FieldCase& test : cases) {
        WriterHarness harness(test.text);
        ASSERT_EQ(harness.writeDatabase(), kResultOk) << test.what;
        std::string error;
        const testing::ParsedDatabase database = testing::parseDatabase(harness.output(), &error);
        ASSERT_EQ(database.records.size(), 3u) << test.what;
        EXPECT_EQ(codeTableField(database.records[1], 0, 5), test.expectedHlit) << test.what;
        EXPECT_EQ(codeTableField(database.records[1], 5, 5), test.expectedHdist) << test.what;
        EXPECT_EQ(testing::decodeTextPart(database).error, "") << test.what;
    }
}

// After each chunk: (chunks + chunks div 8 + 2) x 100 div records, then 100 once the record list
// is written. A text ending on a group boundary would reach 110; it is held at 100.
TEST(TextPart, ReportsProgressAfterEveryChunk) {
    struct ProgressCase {
        size_t textSize;
        std::vector<int32_t> expectedPercents;
    };
    const std::vector<ProgressCase> cases = {
        {32769, {25, 33, 41, 50, 58, 66, 75, 91, 100, 100}},
        {32768, {30, 40, 50, 60, 70, 80, 90, 100, 100}},
        {1, {100, 100}},
    };
    for (const ProgressCase& test : cases) {
        WriterHarness harness(english(test.textSize));
        ASSERT_EQ(harness.writeDatabase(), kResultOk);
        std::vector<int32_t> percents;
        for (const testing::ProgressEvent& event : harness.callbacks.progressEvents()) {
            EXPECT_EQ(event.code, 7);
            percents.push_back(event.percent);
        }
        EXPECT_EQ(percents, test.expectedPercents) << test.textSize << " bytes";
    }
    EXPECT_EQ(textPartPercent(8, 8, 10), 100);
}

TEST(TextPart, NullProgressSlotMeansNoProgressCalls) {
    WriterHarness harness(english(40000));
    harness.callbacks.disableProgress();
    ASSERT_EQ(harness.writeDatabase(), kResultOk);
    EXPECT_EQ(harness.callbacks.counts().progress, 0);
}

}  // namespace
}  // namespace skerrit

namespace skerrit {
namespace {

std::string toHex(const Bytes& bytes, size_t begin, size_t end) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (size_t i = begin; i < end && i < bytes.size(); ++i) {
        if (!text.empty())
            text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

// The output bytes are fixed by the coding rules; these pin them so that a change in the match
// finder or the Huffman builder that still decodes cannot slip through unnoticed.
TEST(TextPart, OutputBytesStayExactlyTheSame) {
    WriterHarness small(testing::toBytes("Hello, hello, hello world.\n"));
    ASSERT_EQ(small.writeDatabase(), kResultOk);
    std::string error;
    const testing::ParsedDatabase database = testing::parseDatabase(small.output(), &error);
    ASSERT_EQ(database.records.size(), 3u);
    EXPECT_EQ(toHex(database.records[1], 0, 1000),
              "04 01 00 07 01 26 38 A9 00 81 00 00 00 C2 9B B8 28 83 0E 62 B8 3C 3C 38 5B D5 DF "
              "58 00 00 00 0E")
        << "code table record: HLIT 9, HDIST 5, HCLEN 14 in the low bits of 0x012638A9";
    EXPECT_EQ(toHex(database.records[2], 0, 1000),
              "04 02 00 03 FB 4D 00 51 BA 41 CB A5 00 00 00 1C")
        << "text record";

    // The text part of 300 KB of English-like text, header record included.
    WriterHarness large(english(300 * 1024));
    ASSERT_EQ(large.writeDatabase(), kResultOk);
    const Bytes& file = large.output();
    const size_t dataStart = 80 + 8 * size_t{loadBigEndian16(&file[76])};
    const uLong crc =
        crc32(0L, file.data() + dataStart, static_cast<uInt>(file.size() - dataStart));
    EXPECT_EQ(crc, 0xC7D09719u) << std::hex << crc;
}

// Bits fill each word from bit 0 up; a record holds 1024 words and one bit more overflows it.
TEST(BitPacking, FillsWordsFromBitZeroAndStopsAt1024Words) {
    RecordWords words{};
    BitWriter order(words);
    order.putBits(1, 1);
    order.putBits(0b10, 2);
    order.putBits(0x7FFF, 15);
    order.putBits(0xABCD, 16);  // crosses into the second word
    order.flush();
    ASSERT_EQ(order.wordCount(), 2u);
    // Bits 0 to 2: 1 then 0b10; bits 3 to 17: 0x7FFF; bits 18 to 31: the low 14 bits of 0xABCD.
    EXPECT_EQ(words[0], ((0xABCDu & 0x3FFF) << 18) | (0x7FFFu << 3) | 0b101u);
    EXPECT_EQ(words[1], 0xABCDu >> 14);  // its top two bits

    struct LimitCase {
        uint32_t bits;
        bool expectedOverflow;
    };
    for (const LimitCase& test : std::vector<LimitCase>{{32768, false}, {32769, true}}) {
        BitWriter full(words);
        for (uint32_t sent = 0; sent < test.bits; ++sent)
            full.putBits(1, 1);
        full.flush();
        EXPECT_EQ(full.overflowed(), test.expectedOverflow) << test.bits << " bits";
        EXPECT_EQ(full.wordCount(), 1024u);
    }
}

// Seeded inputs of many shapes, across chunk and group boundaries, all decoded by zlib.
TEST(TextPart, GeneratedTextsOfManyShapesRoundTrip) {
    uint32_t seed = 2026;
    auto next = [&seed]() {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    for (uint32_t round = 0; round < 40; ++round) {
        const size_t size = 1 + next() % 70000;
        Bytes text(size);
        const uint32_t shape = round % 5;
        const uint32_t alphabet = shape == 0 ? 2 : shape == 1 ? 3 : shape == 2 ? 16 : 256;
        for (size_t i = 0; i < size; ++i) {
            if (shape == 4) {
                // Long runs of one byte with an occasional change: matches at distance 1.
                text[i] =
                    (next() % 300 == 0 || i == 0) ? static_cast<uint8_t>(next()) : text[i - 1];
            } else if (shape == 3 && (i / 4096) % 2 == 1) {
                // Every other chunk skewed: a geometric byte distribution for deep codes.
                uint8_t value = 0;
                while (value < 40 && next() % 2 == 0)
                    ++value;
                text[i] = value;
            } else {
                text[i] = static_cast<uint8_t>(next() % alphabet);
            }
        }
        WriterHarness harness(text);
        ASSERT_EQ(harness.writeDatabase(), kResultOk) << "round " << round;
        std::string error;
        const testing::ParsedDatabase database = testing::parseDatabase(harness.output(), &error);
        ASSERT_EQ(error, "") << "round " << round;
        const testing::DecodedTextPart decoded = testing::decodeTextPart(database);
        ASSERT_EQ(decoded.error, "") << "round " << round;
        ASSERT_TRUE(decoded.text == text) << "round " << round << ", " << size << " bytes";
    }
}

}  // namespace
}  // namespace skerrit
