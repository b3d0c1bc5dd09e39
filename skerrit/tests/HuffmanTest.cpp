// The Huffman builder, canonical codes, the run-length pass over code lengths and the group code
// tables: each as a table of cases worked out by hand from the construction rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "encoder/CodeTableWriter.h"
#include "encoder/DatabaseLayout.h"
#include "encoder/HuffmanBuilder.h"
#include "engine/ByteOrder.h"
#include "support/ZlibRecordDecoder.h"

namespace skerrit {
namespace {

using LengthMap = std::map<uint32_t, uint32_t>;  // symbol -> nonzero length

struct TreeCase {
    const char* what;
    uint32_t symbolCount;
    uint32_t maxLength;
    LengthMap frequencies;
    LengthMap expectedLengths;
    uint32_t expectedHighest;
};

TEST(HuffmanBuilder, AssignsTheLengthsTheConstructionFixes) {
    const std::vector<TreeCase> cases = {
        {"no symbol used: symbols 0 and 1 get one bit", 30, 15, {}, {{0, 1}, {1, 1}}, 1},
        {"only symbol 5: symbol 0 is its partner", 30, 15, {{5, 7}}, {{0, 1}, {5, 1}}, 5},
        {"only symbol 0: symbol 1 is its partner", 30, 15, {{0, 3}}, {{0, 1}, {1, 1}}, 1},
        {"two symbols", 286, 15, {{65, 9}, {256, 1}}, {{65, 1}, {256, 1}}, 256},
        {"a frequency tie goes to the shallower node",
         19,
         7,
         {{0, 1}, {1, 1}, {2, 2}},
         {{0, 2}, {1, 2}, {2, 1}},
         2},
        {"equal frequencies give a balanced tree",
         19,
         7,
         {{3, 4}, {4, 4}, {8, 4}, {9, 4}},
         {{3, 2}, {4, 2}, {8, 2}, {9, 2}},
         9},
        // Natural lengths 9,9,8,7,6,5,4,3,2,1 exceed 7: after the repair the four rarest take 7,
        // the next two 6, and the rest keep theirs.
        {"lengths above the limit are repaired",
         19,
         7,
         {{0, 1}, {1, 1}, {2, 2}, {3, 3}, {4, 5}, {5, 8}, {6, 13}, {7, 21}, {8, 34}, {9, 55}},
         {{0, 7}, {1, 7}, {2, 7}, {3, 7}, {4, 6}, {5, 6}, {6, 4}, {7, 3}, {8, 2}, {9, 1}},
         9},
    };
    HuffmanWorkArea work{};
    for (const TreeCase& test : cases) {
        std::vector<uint16_t> frequencies(test.symbolCount, 0);
        for (auto [symbol, frequency] : test.frequencies) {
            frequencies[symbol] = static_cast<uint16_t>(frequency);
        }
        std::vector<uint8_t> lengths(test.symbolCount, 99);
        std::vector<uint16_t> codes(test.symbolCount, 0);
        const uint32_t highest =
            buildHuffmanCode(frequencies.data(), test.symbolCount, test.maxLength, work,
                             HuffmanCodeView{lengths.data(), codes.data()});
        LengthMap found;
        for (uint32_t symbol = 0; symbol < test.symbolCount; ++symbol) {
            if (lengths[symbol] != 0)
                found[symbol] = lengths[symbol];
        }
        EXPECT_EQ(found, test.expectedLengths) << test.what;
        EXPECT_EQ(highest, test.expectedHighest) << test.what;
    }
}

// Every code the builder makes is complete (the Kraft sum is exactly 1) and within its limit,
// whatever the skew of the frequencies.
TEST(HuffmanBuilder, MakesCompleteCodesWithinTheLimit) {
    HuffmanWorkArea work{};
    uint32_t seed = 12345;
    for (int round = 0; round < 200; ++round) {
        const uint32_t symbolCount = round % 2 == 0 ? 286 : 19;
        const uint32_t maxLength = symbolCount == 19 ? 7 : 15;
        std::vector<uint16_t> frequencies(symbolCount, 0);
        for (uint16_t& frequency : frequencies) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t draw = (seed >> 16) % 100;
            // Mostly unused, some rare, a few very common: deep trees that need repair.
            frequency =
                draw < 50 ? 0 : static_cast<uint16_t>(draw < 90 ? 1 + draw % 3 : draw * 300);
        }
        std::vector<uint8_t> lengths(symbolCount);
        std::vector<uint16_t> codes(symbolCount);
        buildHuffmanCode(frequencies.data(), symbolCount, maxLength, work,
                         HuffmanCodeView{lengths.data(), codes.data()});
        uint64_t kraft = 0;  // in units of 2^-maxLength
        for (uint32_t symbol = 0; symbol < symbolCount; ++symbol) {
            ASSERT_LE(lengths[symbol], maxLength);
            if (lengths[symbol] != 0)
                kraft += uint64_t{1} << (maxLength - lengths[symbol]);
        }
        EXPECT_EQ(kraft, uint64_t{1} << maxLength) << "round " << round;
    }
}

TEST(HuffmanBuilder, StoresCanonicalCodesBitReversed) {
    // The example alphabet ABCDEFGH with lengths 3,3,3,3,3,2,4,4 has the codes
    // 010, 011, 100, 101, 110, 00, 1110, 1111; each is kept with its bits reversed.
    const std::vector<uint8_t> lengths = {3, 3, 3, 3, 3, 2, 4, 4};
    const std::vector<uint16_t> expected = {0b010, 0b110, 0b001,  0b101,
                                            0b011, 0b00,  0b0111, 0b1111};
    std::vector<uint16_t> codes(lengths.size());
    assignCanonicalCodes(lengths.data(), static_cast<uint32_t>(lengths.size()), 15, codes.data());
    EXPECT_EQ(codes, expected);
}

std::string runLengthSymbols(const std::vector<uint8_t>& lengths) {
    std::string text;
    runLengthPass(lengths.data(), static_cast<uint32_t>(lengths.size()),
                  [&](CodeLengthSymbol symbol) {
                      if (!text.empty())
                          text += ' ';
                      text += std::to_string(symbol.symbol);
                      if (symbol.extraBitCount > 0)
                          text += "/" + std::to_string(symbol.extraValue);
                  });
    return text;
}

std::vector<uint8_t> run(uint8_t value, size_t count) {
    return std::vector<uint8_t>(count, value);
}

std::vector<uint8_t> join(std::vector<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> joined;
    for (auto& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

TEST(RunLengthPass, CodesRunsWithTheRepeatSymbols) {
    struct RunCase {
        std::vector<uint8_t> lengths;
        const char* expected;  // symbol or symbol/extra value
    };
    const std::vector<RunCase> cases = {
        {run(0, 2), "0 0"},
        {run(0, 3), "17/0"},
        {run(0, 10), "17/7"},
        {run(0, 11), "18/0"},
        {run(0, 138), "18/127"},
        {run(0, 139), "18/127 0"},
        {run(0, 140), "18/127 0 0"},
        {run(0, 141), "18/127 17/0"},
        {run(0, 149), "18/127 18/0"},
        {run(5, 3), "5 5 5"},
        {run(5, 4), "5 16/0"},
        {run(5, 7), "5 16/3"},
        {run(5, 8), "5 16/3 5"},
        {run(5, 10), "5 16/3 16/0"},
        {join({run(3, 2), run(0, 4), run(7, 1)}), "3 3 17/1 7"},
    };
    for (const RunCase& test : cases) {
        EXPECT_EQ(runLengthSymbols(test.lengths), test.expected)
            << "run of " << test.lengths.size();
    }
}

TEST(GroupCodes, GiveUnusedAndSingleDistanceTreesTwoOneBitCodes) {
    struct GroupCase {
        const char* what;
        std::map<uint32_t, uint16_t> distanceFrequencies;
        uint32_t expectedHighestDistance;
        LengthMap expectedDistanceLengths;
    };
    const std::vector<GroupCase> cases = {
        {"a group without matches", {}, 1, {{0, 1}, {1, 1}}},
        {"a group whose only distance code is 5", {{5, 40}}, 5, {{0, 1}, {5, 1}}},
    };
    HuffmanWorkArea work{};
    for (const GroupCase& test : cases) {
        GroupFrequencies frequencies{};
        frequencies.literalLength['e'] = 100;
        frequencies.literalLength['t'] = 50;
        frequencies.literalLength[256] = 1;
        if (!test.distanceFrequencies.empty())
            frequencies.literalLength[265] = 40;
        for (auto [code, count] : test.distanceFrequencies)
            frequencies.distance[code] = count;
        GroupCodes codes{};
        buildGroupCodes(frequencies, work, codes);
        EXPECT_EQ(codes.highestDistance, test.expectedHighestDistance) << test.what;
        LengthMap found;
        for (uint32_t symbol = 0; symbol < codes.distanceLengths.size(); ++symbol) {
            if (codes.distanceLengths[symbol] != 0)
                found[symbol] = codes.distanceLengths[symbol];
        }
        EXPECT_EQ(found, test.expectedDistanceLengths) << test.what;
        EXPECT_EQ(codes.highestLiteralLength, test.distanceFrequencies.empty() ? 256u : 265u);
        // At least four code-length code lengths go out, whatever the group.
        EXPECT_GE(codes.codeLengthCount, 4u) << test.what;
    }
}

testing::Bytes recordOf(RecordKind kind, const RecordWords& words, uint32_t wordCount) {
    testing::Bytes record(4 + 4 * size_t{wordCount});
    storeRecordPrefix(record.data(), kind, wordCount);
    for (uint32_t index = 0; index < wordCount; ++index) {
        storeBigEndian32(&record[4 + 4 * index], words[index]);
    }
    return record;
}

// Literal frequencies each one above the sum of the two before make a natural tree 19 levels
// deep (plain Fibonacci numbers would not: the depth tie-break balances them); the repaired
// 15-bit code, its table and a chunk coded with it must still satisfy zlib.
TEST(GroupCodes, RepairedDeepLiteralCodeDecodes) {
    GroupFrequencies frequencies{};
    uint32_t previous = 1;
    uint32_t current = 1;
    for (uint32_t symbol = 'A'; symbol < 'A' + 20; ++symbol) {
        frequencies.literalLength[symbol] = static_cast<uint16_t>(previous);
        const uint32_t next = previous + current + 1;
        previous = current;
        current = next;
    }
    frequencies.literalLength[256] = 1;
    HuffmanWorkArea work{};
    GroupCodes codes{};
    buildGroupCodes(frequencies, work, codes);
    uint32_t longest = 0;
    for (uint8_t length : codes.literalLengths)
        longest = std::max<uint32_t>(longest, length);
    EXPECT_EQ(longest, 15u);

    RecordWords words{};
    BitWriter table(words);
    writeCodeTable(codes, table);
    table.flush();
    const testing::Bytes tableRecord = recordOf(kRecordCodeTable, words, table.wordCount());

    std::string chunk;
    for (uint32_t symbol = 'A'; symbol < 'A' + 20; ++symbol)
        chunk += static_cast<char>(symbol);
    BitWriter text(words);
    for (char byte : chunk) {
        const auto symbol = static_cast<uint8_t>(byte);
        text.putBits(codes.literalCodes[symbol], codes.literalLengths[symbol]);
    }
    text.putBits(codes.literalCodes[256], codes.literalLengths[256]);
    text.flush();
    const testing::InflatedRecord inflated = testing::inflateTextRecord(
        tableRecord, recordOf(kRecordCompressedText, words, text.wordCount()));
    EXPECT_EQ(inflated.error, "");
    EXPECT_EQ(testing::toText(inflated.text), chunk);
}

}  // namespace
}  // namespace skerrit
