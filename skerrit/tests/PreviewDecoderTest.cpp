// The preview's own decoder of coded text records against zlib's inflate: every code table and
// text record of a corpus of databases (the test fixtures, the user guide, prose, random bytes
// that end up stored, the compression fuzzer's seeds) must decode to exactly what inflate gives.
// Then hand-made records that drive each check of the code table and the text to its edge, with
// zlib's verdict beside the decoder's.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/ResultCodes.h"
#include "preview/BookReader.h"
#include "preview/CodedTextDecoder.h"
#include "support/EnglishLikeText.h"
#include "support/ProcessRunner.h"
#include "support/WriterHarness.h"
#include "support/ZlibRecordDecoder.h"

namespace skerrit::testing {
namespace {

using preview::CodedTextStatus;

struct CorpusText {
    std::string what;
    Bytes text;
    uint32_t chunksPerGroup = 8;
    bool stored = false;  // a chunk too even to compress: a stored text record
};

// Every byte value 16 times in a shuffled order: no code is shorter than 8 bits, so the chunk
// codes to more than 1024 words and is stored as it is.
Bytes evenChunk(uint32_t seed) {
    Bytes bytes;
    for (int copy = 0; copy < 16; ++copy) {
        for (int value = 0; value < 256; ++value)
            bytes.push_back(static_cast<uint8_t>(value));
    }
    for (size_t index = bytes.size() - 1; index > 0; --index) {
        seed = seed * 1103515245u + 12345u;
        std::swap(bytes[index], bytes[(seed >> 8) % (index + 1)]);
    }
    return bytes;
}

std::vector<CorpusText> corpusTexts() {
    std::vector<CorpusText> corpus;
    auto fileText = [](const std::string& path) { return toBytes(readWholeFile(path)); };
    corpus.push_back({"harbour-light.txt", fileText(SKERRIT_TEST_DATA_DIR "/harbour-light.txt")});
    for (const auto& entry : std::filesystem::directory_iterator(SKERRIT_DOCS_DIR "/guide"))
        corpus.push_back({entry.path().filename().string(), fileText(entry.path().string())});
    for (const auto& entry : std::filesystem::directory_iterator(
             SKERRIT_TEST_DATA_DIR "/../../fuzz/corpus/compression")) {
        corpus.push_back(
            {"fuzz seed " + entry.path().filename().string(), fileText(entry.path().string())});
    }
    for (const size_t size : {size_t{1}, size_t{2}, size_t{4095}, size_t{4096}, size_t{4097},
                              size_t{32768}, size_t{32769}, size_t{150000}}) {
        corpus.push_back({"prose " + std::to_string(size),
                          toBytes(makeEnglishLikeText(size, 0x5EED0000u + size))});
    }
    corpus.push_back({"prose in groups of 3", toBytes(makeEnglishLikeText(50000)), 3});
    Bytes stored = evenChunk(7);
    const Bytes prose = toBytes(makeEnglishLikeText(6000, 9));
    stored.insert(stored.end(), prose.begin(), prose.end());
    corpus.push_back({"an even chunk, stored, then prose", stored, 8, true});
    corpus.push_back({"one byte 4096 times", Bytes(4096, 'z')});
    Bytes everyByte;
    for (int round = 0; round < 40; ++round) {
        for (int byte = 0; byte < 256; ++byte)
            everyByte.push_back(static_cast<uint8_t>(byte));
    }
    corpus.push_back({"every byte value", everyByte});
    return corpus;
}

// The payload of a record with its prefix.
std::span<const uint8_t> payloadOf(const Bytes& record) {
    return std::span<const uint8_t>(record).subspan(4);
}

// Decodes each text record of the database with the preview's decoder and with zlib; answers
// how many compressed text records it compared.
uint32_t expectEveryRecordAsZlibDecodesIt(const std::string& what, const Bytes& file) {
    SCOPED_TRACE(what);
    std::string error;
    const ParsedDatabase database = parseDatabase(file, &error);
    EXPECT_EQ(error, "");
    if (!error.empty())
        return 0;
    const uint32_t textPartRecords = loadBigEndian16(&database.records.at(0)[18]);
    const Bytes* codeTable = nullptr;
    preview::GroupCodeTable table;
    uint32_t compared = 0;
    for (uint32_t index = 1; index < textPartRecords; ++index) {
        const Bytes& record = database.records[index];
        if (record[1] == 1) {
            codeTable = &record;
            EXPECT_EQ(preview::readCodeTable(payloadOf(record), table), CodedTextStatus::kOk)
                << "record " << index;
            continue;
        }
        if (record[1] != 2)
            continue;
        EXPECT_NE(codeTable, nullptr);
        if (codeTable == nullptr)
            return compared;
        const InflatedRecord inflated = inflateTextRecord(*codeTable, record);
        EXPECT_EQ(inflated.error, "") << "record " << index;
        std::array<uint8_t, 4096> chunk{};
        uint32_t length = 0;
        EXPECT_EQ(preview::decodeCodedText(payloadOf(record), table, chunk, length),
                  CodedTextStatus::kOk)
            << "record " << index;
        EXPECT_EQ(Bytes(chunk.begin(), chunk.begin() + length), inflated.text)
            << "record " << index;
        ++compared;
    }
    return compared;
}

TEST(PreviewDecoder, DecodesEveryRecordOfTheCorpusAsZlibDoes) {
    uint32_t compared = 0;
    for (const CorpusText& text : corpusTexts()) {
        WriterHarness harness(text.text);
        ASSERT_EQ(harness.writeDatabase("Corpus", 4096, text.chunksPerGroup), kResultOk);
        compared += expectEveryRecordAsZlibDecodesIt(text.what, harness.output());

        // The whole book comes back as the text it was made from (an empty one as a line feed).
        preview::Book book;
        preview::ReadFailure failure;
        ASSERT_TRUE(preview::readBook(harness.output(), book, failure))
            << text.what << ": " << preview::describeFailure(failure);
        EXPECT_EQ(toBytes(book.text), text.text.empty() ? Bytes{'\n'} : text.text) << text.what;
        EXPECT_EQ(book.textPart.storedRecords > 0, text.stored) << text.what;
    }
    EXPECT_GE(compared, 90u);  // the corpus has 92 compressed text records
}

TEST(PreviewDecoder, DecodesTheRecordsOfConvertedSitesAsZlibDoes) {
    ScratchDirectory directory;
    for (const char* page : {"index.htm", "tides.htm", "rules.htm"}) {
        writeWholeFile(directory.file(page),
                       readWholeFile(std::string(SKERRIT_TEST_DATA_DIR "/site/") + page));
    }
    std::filesystem::copy(SKERRIT_DOCS_DIR "/guide", directory.file("guide"));
    struct Conversion {
        std::vector<std::string> arguments;
        const char* database;
    } conversions[] = {
        {{"-y", "-d2", "index.htm", "site.pdb"}, "site.pdb"},
        {{"-y", "-d2", "guide/index.html", "guide.pdb"}, "guide.pdb"},
    };
    for (const Conversion& conversion : conversions) {
        const ProcessResult run =
            runProgram(SKERRIT_BINARY, conversion.arguments, "", directory.path());
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        EXPECT_GT(
            expectEveryRecordAsZlibDecodesIt(
                conversion.database, toBytes(readWholeFile(directory.file(conversion.database)))),
            0u);
    }
}

// Bits of a record payload as the writer packs them: from bit 0 of each 32-bit word up, the
// words stored most significant byte first.
class PayloadBuilder {
  public:
    // A value of `count` bits, least significant bit first (the header fields, extra bits).
    PayloadBuilder& bits(uint32_t value, uint32_t count) {
        for (uint32_t index = 0; index < count; ++index)
            bit((value >> index) & 1u);
        return *this;
    }
    // A Huffman code given as its bits, first bit first: "110".
    PayloadBuilder& code(const std::string& bitsFirstToLast) {
        for (const char c : bitsFirstToLast)
            bit(c == '1' ? 1u : 0u);
        return *this;
    }
    Bytes payload() const {
        Bytes bytes;
        for (size_t word = 0; word * 32 < bitCount_; ++word) {
            uint32_t value = 0;
            for (size_t index = 0; index < 32 && word * 32 + index < bitCount_; ++index)
                value |= uint32_t{bits_[word * 32 + index]} << index;
            for (int shift = 24; shift >= 0; shift -= 8)
                bytes.push_back(static_cast<uint8_t>(value >> shift));
        }
        return bytes;
    }
    // The payload behind a record prefix of the given kind.
    Bytes record(uint8_t kind) const {
        const Bytes body = payload();
        Bytes bytes{4, kind, static_cast<uint8_t>(body.size() / 4 >> 8),
                    static_cast<uint8_t>(body.size() / 4)};
        bytes.insert(bytes.end(), body.begin(), body.end());
        return bytes;
    }

  private:
    void bit(uint32_t value) {
        bits_.push_back(static_cast<uint8_t>(value));
        ++bitCount_;
    }
    std::vector<uint8_t> bits_;
    size_t bitCount_ = 0;
};

// A small complete code table. Code-length code, in the sending order 16 17 18 0 8 7 9 6 10 5
// 11 4 12 3 13 2 14 1: 18 takes "0", 0 takes "10", 1 takes "110", 2 takes "111". Literal/length
// lengths: 'a' (97), 'b' (98), 256 and 257 (a match of 3) two bits each, so 'a' is "00", 'b'
// "01", 256 "10", 257 "11". Distances (`distances` of them): each one bit long.
PayloadBuilder smallTable(uint32_t distances = 1, const char* literalLengthCode = "111") {
    PayloadBuilder table;
    table.bits(258 - 257, 5).bits(distances - 1, 5).bits(18 - 4, 4);
    const uint32_t sendingOrderLengths[18] = {0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 3};
    for (const uint32_t length : sendingOrderLengths)
        table.bits(length, 3);
    table.code("0").bits(97 - 11, 7);                       // 0 to 96: no code
    table.code(literalLengthCode).code(literalLengthCode);  // 'a', 'b'
    table.code("0").bits(138 - 11, 7);                      // 99 to 236
    table.code("0").bits(19 - 11, 7);                       // 237 to 255
    table.code(literalLengthCode).code(literalLengthCode);  // 256, 257
    for (uint32_t distance = 0; distance < distances; ++distance)
        table.code("110");
    return table;
}

struct DecodeCase {
    const char* what;
    Bytes table;
    Bytes text;
    CodedTextStatus status;
    std::string decoded;
};

void expectDecoded(const DecodeCase& test) {
    SCOPED_TRACE(test.what);
    preview::GroupCodeTable table;
    CodedTextStatus status = preview::readCodeTable(payloadOf(test.table), table);
    std::array<uint8_t, 4096> chunk{};
    uint32_t length = 0;
    if (status == CodedTextStatus::kOk)
        status = preview::decodeCodedText(payloadOf(test.text), table, chunk, length);
    EXPECT_EQ(status, test.status) << preview::describeCodedTextStatus(status);
    // zlib agrees on what decodes and to what.
    const InflatedRecord inflated = inflateTextRecord(test.table, test.text);
    if (test.status == CodedTextStatus::kOk) {
        EXPECT_EQ(std::string(chunk.begin(), chunk.begin() + length), test.decoded);
        EXPECT_EQ(inflated.error, "");
        EXPECT_EQ(toText(inflated.text), test.decoded);
    } else if (test.status != CodedTextStatus::kOutputFull &&
               test.status != CodedTextStatus::kOutOfBits) {
        EXPECT_NE(inflated.error, "") << "zlib accepts it";
    }
}

TEST(PreviewDecoder, CodeTablesAreCheckedAsInflateChecksThem) {
    const Bytes text = PayloadBuilder().code("00").code("01").code("10").record(2);  // "ab"
    auto table = [](auto change) {
        PayloadBuilder builder;
        change(builder);
        return builder.record(1);
    };
    const DecodeCase cases[] = {
        {"the small table", smallTable().record(1), text, CodedTextStatus::kOk, "ab"},
        {"30 distance codes", smallTable(30).record(1), text, CodedTextStatus::kBadDistanceCode,
         ""},
        {"31 distance codes", table([](auto& b) { b.bits(0, 5).bits(30, 5).bits(0, 4); }), text,
         CodedTextStatus::kTooManySymbols, ""},
        {"287 literal/length codes", table([](auto& b) { b.bits(30, 5).bits(0, 5).bits(0, 4); }),
         text, CodedTextStatus::kTooManySymbols, ""},
        {"a code-length code of one code", table([](auto& b) {
             b.bits(0, 5).bits(0, 5).bits(0, 4).bits(0, 3).bits(0, 3).bits(1, 3).bits(0, 3);
         }),
         text, CodedTextStatus::kBadCodeLengthCode, ""},
        {"a code-length code of three one-bit codes", table([](auto& b) {
             b.bits(0, 5).bits(0, 5).bits(0, 4).bits(1, 3).bits(1, 3).bits(1, 3).bits(0, 3);
         }),
         text, CodedTextStatus::kBadCodeLengthCode, ""},
        {"a repeat with nothing before it", table([](auto& b) {
             // 16 takes "0", 18 takes "1"; the first length is a repeat.
             b.bits(0, 5).bits(0, 5).bits(0, 4).bits(1, 3).bits(0, 3).bits(1, 3).bits(0, 3);
             b.code("0").bits(0, 2);
         }),
         text, CodedTextStatus::kBadLengthRepeat, ""},
        {"a run of zeros past the last length", table([](auto& b) {
             b.bits(0, 5).bits(0, 5).bits(0, 4).bits(1, 3).bits(0, 3).bits(1, 3).bits(0, 3);
             b.code("1").bits(127, 7).code("1").bits(127, 7).code("1").bits(0, 7);  // 287 zeros
         }),
         text, CodedTextStatus::kBadLengthRepeat, ""},
        {"no code for symbol 256", table([](auto& b) {
             // 1 takes "0", 18 takes "1": 257 zero lengths, then the one distance length.
             b.bits(0, 5).bits(0, 5).bits(14, 4);
             for (uint32_t index = 0; index < 18; ++index)
                 b.bits(index == 2 || index == 17 ? 1 : 0, 3);
             b.code("1").bits(127, 7).code("1").bits(108, 7).code("0");
         }),
         text, CodedTextStatus::kNoEndOfChunkCode, ""},
        {"four one-bit literal/length codes", smallTable(1, "110").record(1), text,
         CodedTextStatus::kBadLiteralLengthCode, ""},
        {"an empty code table", PayloadBuilder().record(1), text, CodedTextStatus::kOutOfBits, ""},
    };
    for (const DecodeCase& test : cases)
        expectDecoded(test);
}

TEST(PreviewDecoder, TextRecordsStopAtEveryFault) {
    const Bytes table = smallTable().record(1);
    const Bytes twoDistances = smallTable(2).record(1);
    auto text = [](auto change) {
        PayloadBuilder builder;
        change(builder);
        return builder.record(2);
    };
    // A match of 3 at distance 1 is "11" then the distance code "0".
    PayloadBuilder full;
    full.code("00");
    for (int match = 0; match < 1365; ++match)
        full.code("11").code("0");
    const Bytes exactlyFull = PayloadBuilder(full).code("10").record(2);
    PayloadBuilder over = full;
    over.code("00").code("10");
    const DecodeCase cases[] = {
        {"a match at distance 1", table,
         text([](auto& b) { b.code("00").code("11").code("0").code("10"); }), CodedTextStatus::kOk,
         "aaaa"},
        {"distance 2 from the second byte", twoDistances,
         text([](auto& b) { b.code("00").code("01").code("11").code("1").code("10"); }),
         CodedTextStatus::kOk, "ababa"},
        {"distance 2 from the first byte", twoDistances,
         text([](auto& b) { b.code("00").code("11").code("1").code("10"); }),
         CodedTextStatus::kDistanceTooFar, ""},
        {"a match before any byte", table, text([](auto& b) { b.code("11").code("0").code("10"); }),
         CodedTextStatus::kDistanceTooFar, ""},
        {"no symbol 256", table, text([](auto& b) { b.code("00").code("01"); }),
         CodedTextStatus::kOutOfBits, ""},
        {"an empty record", table, PayloadBuilder().record(2), CodedTextStatus::kOutOfBits, ""},
        {"4096 bytes", table, exactlyFull, CodedTextStatus::kOk, std::string(4096, 'a')},
        {"4097 bytes", table, over.record(2), CodedTextStatus::kOutputFull, ""},
        {"only symbol 256", table, text([](auto& b) { b.code("10"); }), CodedTextStatus::kOk, ""},
    };
    for (const DecodeCase& test : cases)
        expectDecoded(test);
}

TEST(PreviewDecoder, ASingleOneBitDistanceCodeDecodesOnlyItsOwnBit) {
    // zlib accepts an incomplete code of one one-bit code; the unused bit is no code.
    const Bytes table = smallTable(1).record(1);
    expectDecoded({"the used bit", table,
                   PayloadBuilder().code("00").code("11").code("0").code("10").record(2),
                   CodedTextStatus::kOk, "aaaa"});
    preview::GroupCodeTable decoded;
    ASSERT_EQ(preview::readCodeTable(payloadOf(table), decoded), CodedTextStatus::kOk);
    const Bytes unused = PayloadBuilder().code("00").code("11").code("1").bits(0, 29).record(2);
    std::array<uint8_t, 4096> chunk{};
    uint32_t length = 0;
    EXPECT_EQ(preview::decodeCodedText(payloadOf(unused), decoded, chunk, length),
              CodedTextStatus::kInvalidCode);
    EXPECT_NE(inflateTextRecord(table, unused).error, "");
}

}  // namespace
}  // namespace skerrit::testing
