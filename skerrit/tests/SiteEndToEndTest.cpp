// A small linked site converted by the real program, then read back the way a reader on the
// handheld would: the container through its record list, the text records through zlib, and the
// four extra-record groups (style runs, links, rules, file boundaries) by the decoders below,
// written from the block layouts alone. The site has headings, styles, lists, a table, rules,
// anchors, a link differing in case from its page's name and a link to a page that is missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "support/ProcessRunner.h"
#include "support/ZlibRecordDecoder.h"

namespace skerrit::testing {
namespace {

struct StyleRun {
    uint32_t start;
    uint32_t end;
    uint16_t attributes;
    uint16_t extra;  // 0 when the attribute word has no bit 15
};

struct LinkEntry {
    uint32_t start;
    uint32_t length;
    uint32_t target;
};

struct RuleEntry {
    uint32_t position;
    uint8_t attributes;
    uint16_t width;  // 0 when no width word follows
};

struct Boundaries {
    uint16_t firstFile = 0;
    uint16_t lastFile = 0;
    std::vector<uint32_t> positions;  // where the first file begins, then where each file ends
};

// Reads big-endian fields of one block in order, noting a read past its end.
class BlockReader {
  public:
    explicit BlockReader(const Bytes& block) : block_(block) {}
    uint16_t u16() {
        if (!has(2))
            return 0;
        offset_ += 2;
        return loadBigEndian16(block_.data() + offset_ - 2);
    }
    uint32_t u32() {
        if (!has(4))
            return 0;
        offset_ += 4;
        return loadBigEndian32(block_.data() + offset_ - 4);
    }
    uint8_t u8() {
        if (!has(1))
            return 0;
        return block_[offset_++];
    }
    bool overrun() const { return overrun_; }

  private:
    bool has(size_t n) {
        if (offset_ + n <= block_.size())
            return true;
        overrun_ = true;
        return false;
    }
    const Bytes& block_;
    size_t offset_ = 0;
    bool overrun_ = false;
};

uint32_t joinHalves(uint32_t high, uint32_t low) {
    return (high << 16) | low;
}

// A low half that is below the previous one has crossed into the next 64 KiB.
uint32_t advance(uint32_t previous, uint16_t low) {
    uint32_t position = (previous & 0xFFFF0000u) | low;
    if (position < previous)
        position += 0x10000u;
    return position;
}

std::vector<StyleRun> decodeStyleBlock(const Bytes& block) {
    BlockReader in(block);
    const uint16_t startHigh = in.u16();
    const uint16_t endHigh = in.u16();
    const uint16_t n = in.u16();
    std::vector<uint32_t> starts;
    uint32_t position = joinHalves(startHigh, 0);
    for (uint16_t i = 0; i < n; ++i) {
        position = i == 0 ? joinHalves(startHigh, in.u16()) : advance(position, in.u16());
        starts.push_back(position);
    }
    const uint32_t end = joinHalves(endHigh, in.u16());
    std::vector<StyleRun> runs;
    for (uint16_t i = 0; i < n; ++i) {
        const uint32_t runEnd = i + 1 < n ? starts[i + 1u] : end;
        runs.push_back({starts[i], runEnd, in.u16(), 0});
    }
    const uint16_t m = in.u16();
    uint16_t used = 0;
    for (StyleRun& run : runs) {
        if ((run.attributes & 0x8000) != 0 && used++ < m)
            run.extra = in.u16();
    }
    EXPECT_EQ(used, m) << "one extra word for each run with bit 15";
    EXPECT_FALSE(in.overrun());
    EXPECT_EQ(block.size(), 10u + 4u * n + 2u * m);
    return runs;
}

std::vector<LinkEntry> decodeLinkBlock(const Bytes& block) {
    BlockReader in(block);
    const uint16_t startHigh = in.u16();
    (void)in.u16();  // endHigh
    const uint16_t n = in.u16();
    std::vector<LinkEntry> entries(n);
    uint32_t position = 0;
    for (uint16_t i = 0; i < n; ++i) {
        position = i == 0 ? joinHalves(startHigh, in.u16()) : advance(position, in.u16());
        entries[i].start = position;
    }
    (void)in.u16();  // endLow
    for (LinkEntry& entry : entries)
        entry.length = in.u8();
    for (uint16_t i = 0; i < n; ++i)
        EXPECT_EQ(in.u8(), 0) << "reserved";
    for (LinkEntry& entry : entries)
        entry.target = in.u32();
    EXPECT_FALSE(in.overrun());
    EXPECT_EQ(block.size(), 8u + 8u * n);
    return entries;
}

std::vector<RuleEntry> decodeRuleBlock(const Bytes& block) {
    BlockReader in(block);
    const uint16_t startHigh = in.u16();
    (void)in.u16();  // lastHigh
    const uint16_t n = in.u16();
    std::vector<RuleEntry> entries(n);
    uint32_t position = 0;
    for (uint16_t i = 0; i < n; ++i) {
        position = i == 0 ? joinHalves(startHigh, in.u16()) : advance(position, in.u16());
        entries[i].position = position;
    }
    std::vector<uint8_t> kinds;
    for (uint16_t i = 0; i < n; ++i)
        kinds.push_back(in.u8());
    for (RuleEntry& entry : entries)
        entry.attributes = in.u8();
    for (RuleEntry& entry : entries) {
        if ((entry.attributes & 0x80) != 0)
            entry.width = in.u16();
    }
    EXPECT_FALSE(in.overrun());
    std::vector<RuleEntry> rules;  // fillers (kind 0) dropped
    for (uint16_t i = 0; i < n; ++i) {
        if (kinds[i] == 1)
            rules.push_back(entries[i]);
    }
    return rules;
}

Boundaries decodeBoundaryBlock(const Bytes& block) {
    BlockReader in(block);
    Boundaries boundaries;
    const uint16_t startHigh = in.u16();
    (void)in.u16();  // endHigh
    boundaries.firstFile = in.u16();
    boundaries.lastFile = in.u16();
    const uint16_t n = in.u16();
    std::vector<uint16_t> words;
    for (uint16_t i = 0; i < n; ++i)
        words.push_back(in.u16());
    EXPECT_FALSE(in.overrun());
    uint32_t position = joinHalves(startHigh, words.empty() ? 0 : words[0]);
    boundaries.positions.push_back(position);
    for (size_t i = 1; i < words.size(); ++i) {
        // A repeated word escapes to a full position in the next two words.
        if (words[i] == words[i - 1] && i + 2 < words.size()) {
            position = joinHalves(words[i + 1], words[i + 2]);
            i += 2;
        } else {
            position = advance(position, words[i]);
        }
        boundaries.positions.push_back(position);
    }
    return boundaries;
}

struct Groups {
    std::vector<StyleRun> runs;
    std::vector<LinkEntry> links;
    std::vector<RuleEntry> rules;
    std::vector<Boundaries> boundaries;
};

// Header record fields 18 to 40 give each group's first record and count.
Groups decodeGroups(const ParsedDatabase& database) {
    const Bytes& header = database.records.at(0);
    const auto field = [&](size_t offset) { return loadBigEndian16(header.data() + offset); };
    const auto group = [&](size_t firstOffset) {
        std::vector<const Bytes*> blocks;
        for (uint32_t i = 0; i < field(firstOffset + 2); ++i)
            blocks.push_back(&database.records.at(field(firstOffset) + i));
        return blocks;
    };
    Groups groups;
    for (const Bytes* block : group(20)) {
        for (const StyleRun& run : decodeStyleBlock(*block))
            groups.runs.push_back(run);
    }
    for (const Bytes* block : group(24)) {
        for (const LinkEntry& entry : decodeLinkBlock(*block)) {
            if (entry.length > 0)  // fillers have no text
                groups.links.push_back(entry);
        }
    }
    for (const Bytes* block : group(28)) {
        for (const RuleEntry& rule : decodeRuleBlock(*block))
            groups.rules.push_back(rule);
    }
    for (const Bytes* block : group(38))
        groups.boundaries.push_back(decodeBoundaryBlock(*block));
    return groups;
}

// The style run that covers a text position.
StyleRun runAt(const std::vector<StyleRun>& runs, size_t position) {
    for (const StyleRun& run : runs) {
        if (run.start <= position && position < run.end)
            return run;
    }
    ADD_FAILURE() << "no run covers " << position;
    return {};
}

class SiteEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* page : {"index.htm", "tides.htm", "rules.htm"}) {
            writeWholeFile(directory.file(page),
                           readWholeFile(std::string(SKERRIT_TEST_DATA_DIR "/site/") + page));
        }
        const ProcessResult run =
            runProgram(SKERRIT_BINARY, {"-y", "index.htm", "site.pdb"}, "", directory.path());
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        ASSERT_NE(run.output.find("Conversion successfully completed."), std::string::npos)
            << run.output;
        std::string error;
        database = parseDatabase(toBytes(readWholeFile(directory.file("site.pdb"))), &error);
        ASSERT_EQ(error, "");
        const DecodedTextPart decoded = decodeTextPart(database);
        ASSERT_EQ(decoded.error, "");
        text = toText(decoded.text);
        groups = decodeGroups(database);
    }

    // Where the second and third page begin: after the last line of the page before.
    size_t secondPage() const { return at("top. \n") + 6; }
    size_t thirdPage() const { return at("Rules \n") + 7; }

    size_t at(const std::string& words) const {
        const size_t position = text.find(words);
        EXPECT_NE(position, std::string::npos) << words;
        return position;
    }

    ScratchDirectory directory;
    ParsedDatabase database;
    std::string text;
    Groups groups;
};

TEST_F(SiteEndToEnd, TextOfEveryPageInQueueOrder) {
    // Source line ends collapse to spaces; headings, paragraphs, items, cells and rules owe
    // line feeds that are written before the next text.
    EXPECT_EQ(text,
              "\nHarbour guide\n\nThe harbour opens at dawn. \n\nMoorings \nFuel \n\n\n"
              "Berth\n\nDepth \n\nNorth\n\n4 m \n\n\n\n\n"
              "Read about the tides, the night rules, the lost page and the top. \n"
              "\nTides\n\nLow water\nHigh water\n\n\n\n\ntime  height\n06:00 1.2\n\n\nRules \n"
              "\n\nDay rules apply from dawn. \n\n\nNight rules: lights on, back to the guide. \n");
    // The title goes to the database name, not into the text.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(database.header.data())), "Harbour guide");
    const Bytes& header = database.records.at(0);
    EXPECT_EQ(loadBigEndian32(header.data() + 12), text.size());
    EXPECT_EQ(loadBigEndian16(header.data() + 36), 3) << "three files produced text";
}

TEST_F(SiteEndToEnd, StyleRunsCoverTheTextWithEachStyle) {
    ASSERT_FALSE(groups.runs.empty());
    EXPECT_EQ(groups.runs.front().start, 0u);
    EXPECT_EQ(groups.runs.back().end, text.size());
    for (size_t i = 1; i < groups.runs.size(); ++i)
        EXPECT_EQ(groups.runs[i].start, groups.runs[i - 1].end) << "runs are contiguous";

    struct Case {
        const char* words;
        uint16_t attributes;  // the whole word, font size in bits 0-2
    } cases[] = {
        {"Harbour guide", 0x0008 | 7},  // H1: heading, size 7
        {"The ", 3},
        {"harbour", 0x0020 | 3},
        {"dawn.", 0x0100 | 3},
        {"Berth", 0x0020 | 3},  // TH is bold
        {"the tides", 0x0080 | 3},
        {"lost page", 0x0080 | 3},  // shown as a link, though it leads nowhere
        {"time  height", 0x0010 | 3},
        {"Day rules", 5},
        {"lights on", 0x0040 | 3},
        {"the guide", 0x0080 | 3},
    };
    for (const Case& c : cases) {
        const StyleRun run = runAt(groups.runs, at(c.words));
        EXPECT_EQ(run.attributes & 0x7FFF, c.attributes) << c.words;
    }
    // First text of a list item: an extra word with the item-start bit, the list style and, for
    // numbered lists, the item number minus one (OL START=3: 2, then 3); the list indents by 2.
    struct Item {
        const char* words;
        uint16_t extra;
    } items[] = {
        {"Moorings", 0x0040 | 2},
        {"Fuel", 0x0040 | 2},
        {"Low water", 0x0040 | (7 << 3) | 2 | (2 << 8)},
        {"High water", 0x0040 | (7 << 3) | 2 | (3 << 8)},
    };
    for (const Item& item : items) {
        const StyleRun run = runAt(groups.runs, at(item.words));
        EXPECT_NE(run.attributes & 0x8000, 0) << item.words;
        EXPECT_EQ(run.extra, item.extra) << item.words;
    }
}

TEST_F(SiteEndToEnd, LinksJumpToPagesAndAnchors) {
    // In document order; the link to the missing page has no entry.
    struct Expected {
        const char* words;
        uint32_t length;
        size_t target;
    } expected[] = {
        {"the tides", 9, secondPage()},
        {"night rules", 11, at("Night")},     // the anchor, moved past the line feeds before it
        {"the top", 7, at("Harbour guide")},  // moved past the line feed owed by H1
        {"Rules \n", 5, thirdPage()},
        {"the guide", 9, 0},  // INDEX.HTM is the start page
    };
    ASSERT_EQ(groups.links.size(), std::size(expected));
    for (size_t i = 0; i < groups.links.size(); ++i) {
        SCOPED_TRACE(expected[i].words);
        EXPECT_EQ(groups.links[i].start, at(expected[i].words));
        EXPECT_EQ(groups.links[i].length, expected[i].length);
        EXPECT_EQ(groups.links[i].target, expected[i].target);
    }
}

TEST_F(SiteEndToEnd, RulesAndFileBoundaries) {
    // The bordered table is drawn with solid full-width rules (size 3 around it, 2 between rows,
    // 1 between cells); then the three HRs: 50% wide; no shade, size 5, left; 200 pixels. A rule
    // takes an empty line of its own, some line feeds before the text it comes before.
    struct Expected {
        uint8_t attributes;
        uint16_t width;
        const char* before;
        size_t lineFeeds;
    } expected[] = {
        {0x10 | 3, 0, "Berth", 1},       {0x10 | 1, 0, "Depth", 1},   {0x10 | 2, 0, "North", 1},
        {0x10 | 1, 0, "4 m", 1},         {0x10 | 3, 0, "Read", 4},    {0x80 | 2, 0x8032, "Read", 2},
        {0x40 | 0x10 | 5, 0, "time", 3}, {0x80 | 2, 200, "Night", 2},
    };
    ASSERT_EQ(groups.rules.size(), std::size(expected));
    for (size_t i = 0; i < groups.rules.size(); ++i) {
        SCOPED_TRACE(expected[i].before);
        EXPECT_EQ(groups.rules[i].attributes, expected[i].attributes);
        EXPECT_EQ(groups.rules[i].width, expected[i].width);
        const size_t position = at(expected[i].before) - expected[i].lineFeeds;
        EXPECT_EQ(groups.rules[i].position, position);
        EXPECT_EQ(text.substr(position, expected[i].lineFeeds),
                  std::string(expected[i].lineFeeds, '\n'));
    }

    ASSERT_EQ(groups.boundaries.size(), 1u);
    const Boundaries& files = groups.boundaries[0];
    EXPECT_EQ(files.firstFile, 0);
    EXPECT_EQ(files.lastFile, 2);
    const std::vector<uint32_t> positions{0, static_cast<uint32_t>(secondPage()),
                                          static_cast<uint32_t>(thirdPage()),
                                          static_cast<uint32_t>(text.size())};
    EXPECT_EQ(files.positions, positions);
}

}  // namespace
}  // namespace skerrit::testing
