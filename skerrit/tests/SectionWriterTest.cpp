// The four section writers: the block bytes of each group for the cases that shape them (runs
// cut at 65536, links split into 255-byte entries, fillers across wide gaps, escapes for long
// files, framing at 256 entries), the index stream, and failures of every stream they touch.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "htmldoc/DocumentRecords.h"
#include "htmldoc/DocumentSections.h"
#include "support/MemoryCallbacks.h"

namespace skerrit::testing {
namespace {

// "0001 00ff" -> {0x00, 0x01, 0x00, 0xff}; spaces are for reading only.
Bytes hex(const std::string& text) {
    Bytes bytes;
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    }
    for (size_t index = 0; index + 1 < digits.size(); index += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(index, 2), nullptr, 16)));
    }
    return bytes;
}

class SectionFixture {
  public:
    SectionFixture() {
        input = table().createTempFile(table().context);
        data = table().createTempFile(table().context);
        index = table().createTempFile(table().context);
    }
    ~SectionFixture() {
        table().closeFile(table().context, index);
        table().closeFile(table().context, data);
        table().closeFile(table().context, input);
    }
    ConverterCallbacks& table() { return memory.table(); }
    SectionOutput output() { return SectionOutput{&memory.table(), data, index}; }

    void append(const Bytes& bytes) {
        table().seekFile(table().context, input, 0, kSeekFromEnd);
        table().writeFile(table().context, input, static_cast<uint32_t>(bytes.size()),
                          bytes.data());
    }
    void addStyleRun(uint32_t position, const StoredTextStyle& style) {
        Bytes bytes(60);
        storeLittleEndian32(bytes.data(), position);
        encodeStoredTextStyle(style, bytes.data() + 4);
        append(bytes);
    }
    void addBlockRecord(const StoredBlockRecord& record) {
        Bytes bytes(24);
        encodeStoredBlockRecord(record, bytes.data());
        append(bytes);
    }
    void addPageEnd(uint32_t position) {
        addBlockRecord(StoredBlockRecord{position, StoredBlockRecord::kPageEnd, 0, 0, 0, 0});
    }
    void addLink(uint32_t start, uint32_t end, uint32_t target, bool resolved = true) {
        LinkRecord record;
        record.start = start;
        record.end = end;
        record.target = target;
        record.flags = resolved ? LinkRecord::kResolved : 0;
        record.targetLength = 3;
        Bytes bytes(32);
        encodeLinkRecord(record, bytes.data());
        bytes.insert(bytes.end(), {'x', 'y', 'z'});
        append(bytes);
    }

    Bytes streamBytes(FileObject stream) {
        const uint32_t size = table().seekFile(table().context, stream, 0, kSeekFromEnd);
        Bytes bytes(size);
        table().seekFile(table().context, stream, 0, kSeekFromStart);
        if (size > 0)
            table().readFile(table().context, stream, size, bytes.data());
        return bytes;
    }

    // The emitted blocks, cut from the data stream at the offsets of the index stream.
    std::vector<Bytes> blocks() {
        const Bytes offsets = streamBytes(index);
        const Bytes bodies = streamBytes(data);
        std::vector<Bytes> result;
        for (size_t entry = 0; entry * 4 < offsets.size(); ++entry) {
            const uint32_t start = loadLittleEndian32(offsets.data() + entry * 4);
            const uint32_t end = (entry + 1) * 4 < offsets.size()
                                     ? loadLittleEndian32(offsets.data() + entry * 4 + 4)
                                     : static_cast<uint32_t>(bodies.size());
            result.emplace_back(bodies.begin() + start, bodies.begin() + end);
        }
        return result;
    }

    MemoryCallbacks memory;
    FileObject input = nullptr;
    FileObject data = nullptr;
    FileObject index = nullptr;
};

StoredTextStyle bold() {
    StoredTextStyle style;
    style.bold = 1;
    return style;
}

TEST(SectionStyleRuns, AttributeAndExtraWords) {
    auto with = [](auto change) {
        StoredTextStyle style;
        change(style);
        return style;
    };
    struct Case {
        const char* what;
        StoredTextStyle style;
        uint16_t attribute;
        uint16_t extra;
    };
    const Case cases[] = {
        {"default", StoredTextStyle{}, 0x0003, 0},
        {"heading 7", with([](auto& s) { s.heading = 1, s.fontSize = 7; }), 0x000F, 0},
        {"mono bold", with([](auto& s) { s.monospace = 1, s.bold = 1; }), 0x0033, 0},
        {"underline", with([](auto& s) { s.underline = 1; }), 0x0043, 0},
        {"link", with([](auto& s) { s.underline = 2; }), 0x0083, 0},
        {"italic strike", with([](auto& s) { s.italic = 1, s.strikeThrough = 1; }), 0x0303, 0},
        {"sub sup", with([](auto& s) { s.subscript = 1, s.superscript = 1; }), 0x0C03, 0},
        {"center", with([](auto& s) { s.alignment = 1; }), 0x1003, 0},
        {"right", with([](auto& s) { s.alignment = 2; }), 0x2003, 0},
        {"indent 2", with([](auto& s) { s.indent = 2; }), 0x8003, 0x0002},
        {"disc item", with([](auto& s) { s.indent = 1, s.itemStart = 1; }), 0x8003, 0x0041},
        {"square item", with([](auto& s) { s.indent = 1, s.itemStart = 1, s.listStyle = 2; }),
         0x8003, 0x0051},
        {"decimal item 3",
         with([](auto& s) { s.indent = 2, s.itemStart = 1, s.listStyle = 7, s.itemNumber = 3; }),
         0x8003, 0x027A},
        {"roman item 300",
         with([](auto& s) { s.indent = 1, s.itemStart = 1, s.listStyle = 5, s.itemNumber = 300; }),
         0x8003, 0x2B69},
        {"list style 9", with([](auto& s) { s.itemStart = 1, s.listStyle = 9; }), 0x8003, 0x0040},
        {"not an item start",
         with([](auto& s) { s.indent = 1, s.listStyle = 7, s.itemNumber = 4; }), 0x8003, 0x0001},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(styleAttributeWord(test.style), test.attribute) << test.what;
        EXPECT_EQ(styleExtraWord(test.style), test.extra) << test.what;
    }
}

TEST(SectionStyleRuns, BlocksForTypicalDocuments) {
    StoredTextStyle item;
    item.indent = 1;
    item.itemStart = 1;
    item.listStyle = 7;
    item.itemNumber = 1;
    struct Case {
        const char* what;
        std::vector<std::pair<uint32_t, StoredTextStyle>> runs;
        std::vector<std::string> blocks;
    };
    const Case cases[] = {
        {"no runs at all", {}, {}},
        {"one unformatted page",
         {{10, StoredTextStyle{}}},
         // startHigh endHigh n | startLow | endLow | attributes | m
         {"0000 0000 0001  0000  000a  0003  0000"}},
        {"a 70000-byte run cut at 65536",
         {{0, bold()}, {70000, StoredTextStyle{}}},
         {"0000 0001 0002  0000 0000  1170  0023 0023  0000"}},
        {"runs at one position: the later wins; extra words in run order",
         {{5, bold()}, {5, item}, {9, bold()}, {12, item}, {20, StoredTextStyle{}}},
         {"0000 0000 0004  0000 0005 0009 000c  0014  0003 8003 0023 8003  0002 0079 0079"}},
    };
    for (const Case& test : cases) {
        SectionFixture fixture;
        for (const auto& [position, style] : test.runs)
            fixture.addStyleRun(position, style);
        int32_t count = -1;
        ASSERT_EQ(writeStyleRuns(fixture.output(), fixture.input, count), 1) << test.what;
        std::vector<Bytes> expected;
        for (const std::string& block : test.blocks)
            expected.push_back(hex(block));
        EXPECT_EQ(fixture.blocks(), expected) << test.what;
        EXPECT_EQ(count, static_cast<int32_t>(expected.size())) << test.what;
    }
}

TEST(SectionStyleRuns, The257thRunStartsASecondBlockAtTheFirstBlocksEndHigh) {
    SectionFixture fixture;
    for (uint32_t run = 0; run <= 257; ++run) {
        fixture.addStyleRun(run * 300, run % 2 == 0 ? StoredTextStyle{} : bold());
    }
    int32_t count = 0;
    ASSERT_EQ(writeStyleRuns(fixture.output(), fixture.input, count), 1);
    ASSERT_EQ(count, 2);
    const std::vector<Bytes> blocks = fixture.blocks();
    EXPECT_EQ(blocks[0].size(), 10u + 4u * 256u);
    EXPECT_EQ(loadBigEndian16(blocks[0].data() + 4), 256u);  // n
    EXPECT_EQ(loadBigEndian16(blocks[0].data() + 2), 1u);    // endHigh: 256 * 300 = 0x12C00
    EXPECT_EQ(blocks[1], hex("0001 0001 0001  2c00  2d2c  0003  0000"));  // [76800, 77100)
}

TEST(SectionLinks, EntriesFillersAndFraming) {
    struct Link {
        uint32_t start;
        uint32_t end;
        uint32_t target;
        bool resolved;
    };
    struct Case {
        const char* what;
        std::vector<Link> links;
        std::vector<std::string> blocks;
    };
    const Case cases[] = {
        {"no resolved link: no block", {{0, 5, 9, false}, {6, 8, kNoneValue, true}}, {}},
        {"600 bytes give 255, 255 and 90",
         {{100, 700, 5000, true}},
         // startHigh endHigh n | startLows | endLow | lengths | reserved | targets
         {"0000 0000 0003  0064 0163 0262  02bc  ff ff 5a  00 00 00  "
          "00001388 00001388 00001388"}},
        {"no text gives no entry; unresolved and none-target links are left out",
         {{10, 10, 1, true}, {11, 12, 2, false}, {20, 22, kNoneValue, true}, {30, 31, 3, true}},
         {"0000 0000 0001  001e  001f  01  00  00000003"}},
        {"200000 bytes after the previous entry: three fillers",
         {{10, 20, 1, true}, {200010, 200020, 2, true}},
         {"0000 0003 0005  000a 000a 000a 000a 0d4a  0d54  0a 00 00 00 0a  00 00 00 00 00  "
          "00000001 00000000 00000000 00000000 00000002"}},
        {"exactly 65536 after: no filler",
         {{10, 20, 1, true}, {65546, 65550, 2, true}},
         {"0000 0001 0002  000a 000a  000e  0a 04  00 00  00000001 00000002"}},
    };
    for (const Case& test : cases) {
        SectionFixture fixture;
        for (const Link& link : test.links) {
            fixture.addLink(link.start, link.end, link.target, link.resolved);
        }
        int32_t count = -1;
        ASSERT_EQ(writeLinkTable(fixture.output(), fixture.input, count), 1) << test.what;
        std::vector<Bytes> expected;
        for (const std::string& block : test.blocks)
            expected.push_back(hex(block));
        EXPECT_EQ(fixture.blocks(), expected) << test.what;
        EXPECT_EQ(count, static_cast<int32_t>(expected.size())) << test.what;
    }
}

TEST(SectionLinks, A257thEntryStartsASecondBlock) {
    SectionFixture fixture;
    for (uint32_t link = 0; link < 257; ++link)
        fixture.addLink(link * 2, link * 2 + 1, 7);
    int32_t count = 0;
    ASSERT_EQ(writeLinkTable(fixture.output(), fixture.input, count), 1);
    ASSERT_EQ(count, 2);
    const std::vector<Bytes> blocks = fixture.blocks();
    EXPECT_EQ(blocks[0].size(), 8u + 8u * 256u);
    EXPECT_EQ(blocks[1], hex("0000 0000 0001  0200  0201  01  00  00000007"));
}

TEST(SectionRules, AttributeByteAndWidthWord) {
    struct Case {
        int32_t alignment;
        int32_t noShade;
        int32_t size;
        int32_t width;
        uint8_t attribute;
        uint16_t widthWord;  // only when bit 7 is set
    };
    const Case cases[] = {
        {0, 0, 2, -100, 0x02, 0},      {0, 0, 2, -50, 0x82, 0x8032}, {0, 0, 2, -150, 0x02, 0},
        {0, 0, 2, 5000, 0x82, 0x0FFF}, {0, 0, 2, 0, 0x82, 0x0000},   {1, 1, 20, -100, 0x3F, 0},
        {2, 0, -3, -100, 0x42, 0},     {0, 0, 0, -1, 0x80, 0x8001},
    };
    for (const Case& test : cases) {
        const StoredBlockRecord rule{0, 1, test.alignment, test.noShade, test.size, test.width};
        EXPECT_EQ(ruleAttributeByte(rule), test.attribute) << test.width << " " << test.size;
        if ((test.attribute & kRuleHasWidthWord) != 0) {
            EXPECT_EQ(ruleWidthWord(rule), test.widthWord) << test.width;
        }
    }
}

TEST(SectionRules, BlocksSkipPageEndsAndBridgeWideGaps) {
    SectionFixture fixture;
    fixture.addBlockRecord({40, StoredBlockRecord::kRule, 0, 0, 2, -100});
    fixture.addPageEnd(100);
    fixture.addBlockRecord({200040, StoredBlockRecord::kRule, 2, 1, 3, -50});
    int32_t count = 0;
    ASSERT_EQ(writeRuleTable(fixture.output(), fixture.input, count), 1);
    ASSERT_EQ(count, 1);
    // startHigh lastHigh n | position lows | kinds | attributes | width words
    EXPECT_EQ(fixture.blocks().at(0), hex("0000 0003 0005  0028 0028 0028 0028 0d68  "
                                          "01 00 00 00 01  02 00 00 00 d3  8032"));

    // Exactly 65536 apart: no filler between them.
    SectionFixture exact;
    exact.addBlockRecord({40, StoredBlockRecord::kRule, 0, 0, 2, -100});
    exact.addBlockRecord({65576, StoredBlockRecord::kRule, 2, 1, 3, -50});
    ASSERT_EQ(writeRuleTable(exact.output(), exact.input, count), 1);
    EXPECT_EQ(exact.blocks().at(0), hex("0000 0001 0002  0028 0028  01 01  02 d3  8032"));
}

TEST(SectionRules, A257thEntryStartsASecondBlock) {
    SectionFixture fixture;
    for (uint32_t rule = 0; rule < 257; ++rule) {
        fixture.addBlockRecord({rule * 10, StoredBlockRecord::kRule, 0, 0, 2, 300});
    }
    int32_t count = 0;
    ASSERT_EQ(writeRuleTable(fixture.output(), fixture.input, count), 1);
    ASSERT_EQ(count, 2);
    const std::vector<Bytes> blocks = fixture.blocks();
    EXPECT_EQ(blocks[0].size(), 6u + 4u * 256u + 2u * 256u);
    EXPECT_EQ(blocks[1], hex("0000 0000 0001  0a00  01  82  012c"));
}

TEST(SectionFileBoundaries, BlocksAndFileCounts) {
    struct Case {
        const char* what;
        std::vector<uint32_t> pageEnds;
        int32_t files;
        std::vector<std::string> blocks;
    };
    const Case cases[] = {
        {"nothing converted", {}, 0, {}},
        {"one file: no block", {100}, 1, {}},
        // startHigh endHigh firstFile lastFile n | words
        {"three files", {100, 250, 400}, 3, {"0000 0000 0000 0002 0004  0000 0064 00fa 0190"}},
        {"a file without text is skipped",
         {100, 100, 250},
         2,
         {"0000 0000 0000 0001 0003  0000 0064 00fa"}},
        {"a file of 65536 bytes or more is escaped",
         {100, 70100, 70200},
         3,
         {"0000 0001 0000 0002 0006  0000 0064 0064 0001 11d4 1238"}},
        {"a file of exactly 65536 bytes is escaped",
         {100, 65636, 65736},
         3,
         {"0000 0001 0000 0002 0006  0000 0064 0064 0001 0064 00c8"}},
        {"a file of 65535 bytes is not",
         {100, 65635, 65735},
         3,
         {"0000 0001 0000 0002 0004  0000 0064 0063 00c7"}},
        {"a first file of 70000 bytes",
         {70000, 70010},
         2,
         {"0000 0001 0000 0001 0005  0000 0000 0001 1170 117a"}},
    };
    for (const Case& test : cases) {
        SectionFixture fixture;
        for (uint32_t end : test.pageEnds)
            fixture.addPageEnd(end);
        fixture.addBlockRecord({50, StoredBlockRecord::kRule, 0, 0, 2, -100});  // ignored
        int32_t count = -1;
        int32_t files = -1;
        ASSERT_EQ(writeFileBoundaries(fixture.output(), fixture.input, count, files), 1)
            << test.what;
        std::vector<Bytes> expected;
        for (const std::string& block : test.blocks)
            expected.push_back(hex(block));
        EXPECT_EQ(fixture.blocks(), expected) << test.what;
        EXPECT_EQ(count, static_cast<int32_t>(expected.size())) << test.what;
        EXPECT_EQ(files, test.files) << test.what;
    }
}

TEST(SectionFileBoundaries, BlockIsWrittenAt256WordsAndTheNextStartsAtTheLastBoundary) {
    SectionFixture fixture;
    for (uint32_t file = 1; file <= 300; ++file)
        fixture.addPageEnd(file * 10);
    int32_t count = 0;
    int32_t files = 0;
    ASSERT_EQ(writeFileBoundaries(fixture.output(), fixture.input, count, files), 1);
    EXPECT_EQ(files, 300);
    ASSERT_EQ(count, 2);
    const std::vector<Bytes> blocks = fixture.blocks();
    // First block: files 0..254, the start word and 255 ends.
    EXPECT_EQ(Bytes(blocks[0].begin(), blocks[0].begin() + 10), hex("0000 0000 0000 00fe 0100"));
    // Second block: files 255..299, starting at the end of file 254 (2550).
    EXPECT_EQ(Bytes(blocks[1].begin(), blocks[1].begin() + 12),
              hex("0000 0000 00ff 012b 002e 09f6"));
    EXPECT_EQ(blocks[1].size(), 10u + 2u * 46u);
}

// The offsets in the index stream follow the blocks of every group in one data stream.
TEST(SectionOutputStreams, IndexEntriesPointAtEachBlockAcrossGroups) {
    SectionFixture fixture;
    fixture.addLink(0, 1, 4);
    int32_t count = 0;
    ASSERT_EQ(writeLinkTable(fixture.output(), fixture.input, count), 1);
    // The file boundaries come from another input into the same output streams.
    FileObject blocksInput = fixture.table().createTempFile(fixture.table().context);
    Bytes pageEnds(48);
    encodeStoredBlockRecord({5, 2, 0, 0, 0, 0}, pageEnds.data());
    encodeStoredBlockRecord({9, 2, 0, 0, 0, 0}, pageEnds.data() + 24);
    fixture.table().writeFile(fixture.table().context, blocksInput, 48, pageEnds.data());
    int32_t files = 0;
    ASSERT_EQ(writeFileBoundaries(fixture.output(), blocksInput, count, files), 1);
    fixture.table().closeFile(fixture.table().context, blocksInput);
    EXPECT_EQ(fixture.streamBytes(fixture.index), hex("00000000 10000000"));  // little-endian
    EXPECT_EQ(fixture.streamBytes(fixture.data).size(), 16u + 10u + 6u);
}

// Each writer fails (0) at any failing seek, read or write; running out of input is not a failure.
TEST(SectionFaults, EveryFailingStreamOperationFailsTheWriter) {
    using Writer = int32_t (*)(SectionFixture&);
    struct Case {
        const char* what;
        void (*fill)(SectionFixture&);
        Writer run;
    };
    const Case cases[] = {
        {"style runs",
         [](SectionFixture& f) {
             for (uint32_t run = 0; run < 300; ++run)
                 f.addStyleRun(run * 10, bold());
         },
         [](SectionFixture& f) {
             int32_t count = 0;
             return writeStyleRuns(f.output(), f.input, count);
         }},
        {"links",
         [](SectionFixture& f) {
             for (uint32_t link = 0; link < 300; ++link)
                 f.addLink(link * 300, link * 300 + 1, 1);
         },
         [](SectionFixture& f) {
             int32_t count = 0;
             return writeLinkTable(f.output(), f.input, count);
         }},
        {"rules",
         [](SectionFixture& f) {
             for (uint32_t rule = 0; rule < 300; ++rule) {
                 f.addBlockRecord({rule * 70000, 1, 0, 0, 2, 10});
             }
         },
         [](SectionFixture& f) {
             int32_t count = 0;
             return writeRuleTable(f.output(), f.input, count);
         }},
        {"file boundaries",
         [](SectionFixture& f) {
             for (uint32_t file = 1; file <= 300; ++file)
                 f.addPageEnd(file * 70000);
         },
         [](SectionFixture& f) {
             int32_t count = 0;
             int32_t files = 0;
             return writeFileBoundaries(f.output(), f.input, count, files);
         }},
    };
    for (const Case& test : cases) {
        SectionFixture clean;
        test.fill(clean);
        const MemoryCallbacks::CallCounts before = clean.memory.counts();
        ASSERT_EQ(test.run(clean), 1) << test.what;
        const int seeks = clean.memory.counts().seek - before.seek;
        const int reads = clean.memory.counts().read - before.read;
        const int writes = clean.memory.counts().write - before.write;
        ASSERT_GT(writes, 2) << test.what;
        for (int kind = 0; kind < 3; ++kind) {
            const int calls = kind == 0 ? seeks : kind == 1 ? reads : writes;
            for (int failAt = 1; failAt <= calls; ++failAt) {
                SectionFixture fixture;
                test.fill(fixture);
                MemoryCallbacks::Faults& faults = fixture.memory.faults;
                const MemoryCallbacks::CallCounts& done = fixture.memory.counts();
                (kind == 0   ? faults.failSeekAt
                 : kind == 1 ? faults.failReadAt
                             : faults.failWriteAt) = (kind == 0   ? done.seek
                                                      : kind == 1 ? done.read
                                                                  : done.write) +
                                                     failAt;
                EXPECT_EQ(test.run(fixture), 0)
                    << test.what << " kind " << kind << " at " << failAt;
                EXPECT_EQ(fixture.memory.liveAllocations(), 0);
            }
        }
    }
}

}  // namespace
}  // namespace skerrit::testing
