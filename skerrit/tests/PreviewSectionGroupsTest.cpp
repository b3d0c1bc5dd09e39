// The four extra-record groups at the edges of their position arithmetic, written by the real
// section writers and database writer over in-memory streams and read back by the preview: runs
// and link entries exactly 65536 apart (equal low halves, no filler), wider gaps bridged by
// fillers, a file end exactly 65536 past the last (an escape) and 65535 past (none), and more
// than 256 entries of each group, so that every group spans two blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "encoder/DatabaseWriter.h"
#include "engine/ResultCodes.h"
#include "htmldoc/DocumentRecords.h"
#include "htmldoc/DocumentSections.h"
#include "preview/BookReader.h"
#include "support/EnglishLikeText.h"
#include "support/MemoryCallbacks.h"

namespace skerrit::testing {
namespace {

constexpr uint32_t kTextLength = 300000;

StoredTextStyle styleWith(int32_t bold, int32_t italic) {
    StoredTextStyle style;
    style.bold = bold;
    style.italic = italic;
    return style;
}

struct RunCase {
    uint32_t start;
    uint32_t end;
    uint16_t attributes;
};

struct LinkCase {
    uint32_t start;
    uint32_t end;
    uint32_t target;
};

class SectionGroupsBook {
  public:
    SectionGroupsBook() {
        ConverterCallbacks& table = memory.table();
        for (FileObject* stream : {&styles_, &blocks_, &links_, &data_, &index_, &text_, &scratch_})
            *stream = table.createTempFile(table.context);
    }
    ~SectionGroupsBook() {
        ConverterCallbacks& table = memory.table();
        for (FileObject stream : {styles_, blocks_, links_, data_, index_, text_, scratch_})
            static_cast<void>(table.closeFile(table.context, stream));
    }

    void addStyle(uint32_t position, const StoredTextStyle& style) {
        Bytes bytes(4 + StoredTextStyle::kSize);
        storeLittleEndian32(bytes.data(), position);
        encodeStoredTextStyle(style, bytes.data() + 4);
        append(styles_, bytes);
    }
    void addBlock(const StoredBlockRecord& record) {
        Bytes bytes(StoredBlockRecord::kSize);
        encodeStoredBlockRecord(record, bytes.data());
        append(blocks_, bytes);
    }
    void addLink(uint32_t start, uint32_t end, uint32_t target) {
        LinkRecord record;
        record.start = start;
        record.end = end;
        record.target = target;
        record.flags = LinkRecord::kResolved;
        Bytes bytes(LinkRecord::kSize);
        encodeLinkRecord(record, bytes.data());
        append(links_, bytes);
    }

    // Runs the four section writers and the database writer; answers the file.
    Bytes write() {
        ConverterCallbacks& table = memory.table();
        const SectionOutput output{&table, data_, index_};
        HtmlJob job{};
        EXPECT_EQ(writeStyleRuns(output, styles_, job.styleCount), 1);
        EXPECT_EQ(writeLinkTable(output, links_, job.linkCount), 1);
        EXPECT_EQ(writeRuleTable(output, blocks_, job.ruleCount), 1);
        EXPECT_EQ(writeFileBoundaries(output, blocks_, job.boundaryCount, job.textFileCount), 1);
        const auto extra = static_cast<uint32_t>(job.styleCount + job.linkCount + job.ruleCount +
                                                 job.boundaryCount);
        append(text_, toBytes(makeEnglishLikeText(kTextLength)));
        FileObject destination = table.openFile(table.context, "book.pdb", kOpenCreate);
        EXPECT_EQ(writeDatabase(table, text_, scratch_, destination, "Edges", 4096, 8, extra),
                  kResultOk);
        EXPECT_EQ(appendExtraRecords(table, data_, index_, destination, extra, job), kResultOk);
        EXPECT_EQ(finishHeaderRecord(table, destination), kResultOk);
        static_cast<void>(table.closeFile(table.context, destination));
        return memory.file("book.pdb");
    }

    MemoryCallbacks memory;

  private:
    void append(FileObject stream, const Bytes& bytes) {
        ConverterCallbacks& table = memory.table();
        table.seekFile(table.context, stream, 0, kSeekFromEnd);
        table.writeFile(table.context, stream, static_cast<uint32_t>(bytes.size()), bytes.data());
    }

    FileObject styles_ = nullptr;
    FileObject blocks_ = nullptr;
    FileObject links_ = nullptr;
    FileObject data_ = nullptr;
    FileObject index_ = nullptr;
    FileObject text_ = nullptr;
    FileObject scratch_ = nullptr;
};

TEST(PreviewSectionGroups, PositionsComeBackAcrossEveryStepAndBlock) {
    SectionGroupsBook writer;
    const uint16_t plain = 3;
    const uint16_t bold = 0x0020 | 3;
    const uint16_t italic = 0x0100 | 3;
    std::vector<RunCase> runs;
    // A bold run of exactly 65536, a plain one of 70000 cut at 65536, then 300 short runs.
    writer.addStyle(0, styleWith(1, 0));
    writer.addStyle(65536, StoredTextStyle{});
    writer.addStyle(135536, styleWith(0, 1));
    runs.push_back({0, 65536, bold});
    runs.push_back({65536, 131072, plain});
    runs.push_back({131072, 135536, plain});
    uint32_t position = 135536;
    for (int run = 0; run < 300; ++run) {
        writer.addStyle(position + 10, run % 2 == 0 ? StoredTextStyle{} : styleWith(0, 1));
        runs.push_back({position, position + 10, run % 2 == 0 ? italic : plain});
        position += 10;
    }
    writer.addStyle(kTextLength, StoredTextStyle{});
    for (; position < kTextLength; position = std::min(position + 65536, kTextLength))
        runs.push_back({position, std::min(position + 65536, kTextLength), italic});

    // Entries exactly 65536 apart, one 200000 further (three fillers), a link of 600 bytes in
    // three entries, then 300 one-byte links.
    std::vector<LinkCase> links{{10, 20, 5}, {65546, 65556, 7}};
    for (uint32_t piece = 0; piece < 3; ++piece) {
        links.push_back({265546 + 255 * piece, std::min(265546 + 255 * (piece + 1), 266146u), 9});
    }
    for (uint32_t link = 0; link < 300; ++link)
        links.push_back({266200 + 3 * link, 266201 + 3 * link, 1000 + link});
    writer.addLink(10, 20, 5);
    writer.addLink(65546, 65556, 7);
    writer.addLink(265546, 266146, 9);
    for (uint32_t link = 0; link < 300; ++link)
        writer.addLink(266200 + 3 * link, 266201 + 3 * link, 1000 + link);

    // Rules exactly 65536 apart, one 200000 further, then 300 more; files ending 65536 (an
    // escape) and 65535 (none) after the one before, 300 one-byte files and a long last one.
    std::vector<uint32_t> rules{0, 65536, 265536};
    for (uint32_t rule = 0; rule < 300; ++rule)
        rules.push_back(270000 + 2 * rule);
    for (const uint32_t at : rules)
        writer.addBlock({at, StoredBlockRecord::kRule, 0, 1, 3, -50});
    std::vector<uint32_t> ends{1000, 66536, 132071};
    for (uint32_t file = 1; file <= 300; ++file)
        ends.push_back(132071 + file);
    ends.push_back(kTextLength);
    for (const uint32_t end : ends)
        writer.addBlock({end, StoredBlockRecord::kPageEnd, 0, 0, 0, 0});

    const Bytes file = writer.write();
    preview::Book book;
    preview::ReadFailure failure;
    ASSERT_TRUE(preview::readBook(file, book, failure)) << preview::describeFailure(failure);
    EXPECT_EQ(book.text.size(), kTextLength);
    for (const SectionGroup group :
         {kGroupStyleRuns, kGroupLinks, kGroupRules, kGroupFileBoundaries}) {
        EXPECT_EQ(book.headerRecord.groups[group].count, 2) << "two blocks in group " << group;
    }

    ASSERT_EQ(book.styleRuns.size(), runs.size());
    for (size_t index = 0; index < runs.size(); ++index) {
        SCOPED_TRACE("run " + std::to_string(index));
        EXPECT_EQ(book.styleRuns[index].start, runs[index].start);
        EXPECT_EQ(book.styleRuns[index].end, runs[index].end);
        EXPECT_EQ(book.styleRuns[index].attributes, runs[index].attributes);
    }
    ASSERT_EQ(book.links.size(), links.size());
    for (size_t index = 0; index < links.size(); ++index) {
        SCOPED_TRACE("link entry " + std::to_string(index));
        EXPECT_EQ(book.links[index].start, links[index].start);
        EXPECT_EQ(book.links[index].start + book.links[index].length, links[index].end);
        EXPECT_EQ(book.links[index].target, links[index].target);
    }
    EXPECT_EQ(book.groupEntries[kGroupLinks], links.size() + 3) << "three fillers";
    ASSERT_EQ(book.rules.size(), rules.size());
    for (size_t index = 0; index < rules.size(); ++index) {
        EXPECT_EQ(book.rules[index].position, rules[index]) << "rule " << index;
        EXPECT_EQ(book.rules[index].width, 0x8000 | 50);
    }
    EXPECT_EQ(book.groupEntries[kGroupRules], rules.size() + 3) << "three fillers";
    ASSERT_EQ(book.files.size(), ends.size());
    EXPECT_EQ(book.headerRecord.textFileCount, ends.size());
    uint32_t begins = 0;
    for (size_t index = 0; index < ends.size(); ++index) {
        SCOPED_TRACE("file " + std::to_string(index));
        EXPECT_EQ(book.files[index].number, index);
        EXPECT_EQ(book.files[index].start, begins);
        EXPECT_EQ(book.files[index].end, ends[index]);
        begins = ends[index];
    }
}

}  // namespace
}  // namespace skerrit::testing
