// The name hash and name equality that identify pages, and the page queue: first in, first out,
// depths kept, names handed back cut to what the page loop opens, case-insensitive identity when
// links are attached, and the behaviour beyond the 8000-entry page table.
#include <gtest/gtest.h>

#include <string>

#include "LinkTestFixture.h"
#include "engine/ByteOrder.h"
#include "htmldoc/NameHash.h"

namespace skerrit::testing {
namespace {

TEST(NameHash, IsCrc32OfFoldedBytesWithoutFinalInversion) {
    struct Case {
        std::string name;
        uint32_t hash;
    };
    const Case cases[] = {
        {"", 0xFFFFFFFFu},          {"abc", 0xCADBBE3Du}, {"ABC", 0xCADBBE3Du},
        {"aBc", 0xCADBBE3Du},       {"a", 0x174841BCu},  // CRC-32 of "a" is 0xE8B7BE43
        {"123456789", 0x340BC6D9u},  // the CRC-32 check value 0xCBF43926, not inverted
    };
    for (const Case& test : cases) {
        EXPECT_EQ(hashName(test.name.c_str()), test.hash) << '"' << test.name << '"';
    }
    // Only A-Z fold: their neighbours and bytes above 127 keep their values.
    EXPECT_NE(hashName("@"), hashName("`"));
    EXPECT_NE(hashName("["), hashName("{"));
    EXPECT_NE(hashName("\xC4"), hashName("\xE4"));
}

TEST(NameHash, NamesCompareFoldedAndOnlyUpTo255Characters) {
    auto folded = [](const std::string& text) {
        FoldedName name;
        foldName(text.data(), text.size(), name);
        return name;
    };
    const std::string longName(300, 'x');
    std::string longVariant = longName;
    longVariant[280] = 'y';
    std::string at255 = longName;  // differs in the last character compared
    at255[254] = 'y';
    std::string at256 = longName;  // differs in the first character not compared
    at256[255] = 'y';
    std::string longUpper = longName;
    longUpper[10] = 'X';
    struct Case {
        std::string left;
        std::string right;
        bool equal;
    };
    const Case cases[] = {
        {"C:\\Site\\Index.HTM", "c:\\site\\index.htm", true},
        {"a.htm", "a.html", false},
        {"", "", true},
        {"\xC4.htm", "\xE4.htm", false},
        {longName, longVariant, true},  // differ only beyond the compared characters
        {longName, at255, false},
        {longName, at256, true},
        {longName, longUpper, true},
        {longName, longName + "z", false},  // stored lengths differ
    };
    for (const Case& test : cases) {
        EXPECT_EQ(namesEqual(folded(test.left), folded(test.right)), test.equal)
            << test.left.substr(0, 20) << " / " << test.right.substr(0, 20);
    }
}

TEST(PageQueue, HandsPagesBackInQueueOrderWithTheirDepths) {
    LinkFixture fixture;
    const LinkStore store = fixture.store();
    uint32_t cursor = kNoneValue;
    uint16_t depth = 99;
    char name[kPageNameBufferSize] = "unchanged";
    // An empty queue leaves the cursor at none.
    ASSERT_EQ(nextPage(store, cursor, depth, name, sizeof name), 1);
    EXPECT_EQ(cursor, kNoneValue);

    uint32_t refs[3] = {};
    ASSERT_EQ(enqueuePage(store, 0, "C:\\s\\start.htm", &refs[0]), 1);
    ASSERT_EQ(enqueuePage(store, 1, "C:\\s\\b.htm", &refs[1]), 1);
    ASSERT_EQ(enqueuePage(store, 7, "http://host/c", &refs[2]), 1);
    EXPECT_EQ(refs[0], 0u);
    EXPECT_EQ(refs[1], 36u + 14u);  // PageRecord, then the first name's 14 bytes
    EXPECT_EQ(fixture.state.pageCount, 3u);
    EXPECT_EQ(fixture.state.lastPageRef, refs[2]);

    const std::pair<std::string, uint16_t> expected[] = {
        {"C:\\s\\start.htm", 0}, {"C:\\s\\b.htm", 1}, {"http://host/c", 7}};
    for (const auto& [expectedName, expectedDepth] : expected) {
        ASSERT_EQ(nextPage(store, cursor, depth, name, sizeof name), 1);
        EXPECT_STREQ(name, expectedName.c_str());
        EXPECT_EQ(depth, expectedDepth);
    }
    ASSERT_EQ(nextPage(store, cursor, depth, name, sizeof name), 1);
    EXPECT_EQ(cursor, kNoneValue);

    // A queued PageRecord holds the queueing values, little-endian, and links to the next.
    const Bytes bytes = fixture.streamBytes(fixture.queueStream);
    const Bytes first(bytes.begin() + 36 + 14, bytes.begin() + 36 + 14 + 36);
    const Bytes expectedRecord = {
        0x60, 0x00, 0x00, 0x00,  // nextPage: the third record, at 50 + 36 + 10
        0x00, 0x00, 0x00, 0x00,  // anchorCount
        0xFF, 0xFF, 0xFF, 0xFF,  // firstAnchor
        0x00, 0x00, 0x00, 0x00,  // incomingCount
        0xFF, 0xFF, 0xFF, 0xFF,  // firstIncoming
        0xFF, 0xFF, 0xFF, 0xFF,  // lastIncoming
        0xFF, 0xFF, 0xFF, 0xFF,  // startPos
        0,    0,    0,    0,     // nameHash, checked below
        0x01, 0x00,              // depth
        0x0A, 0x00,              // nameLength
    };
    for (size_t index = 0; index < 28; ++index)
        EXPECT_EQ(first[index], expectedRecord[index]);
    EXPECT_EQ(loadLittleEndian32(first.data() + 28), hashName("C:\\s\\b.htm"));
    EXPECT_EQ(loadLittleEndian16(first.data() + 32), 1u);
    EXPECT_EQ(loadLittleEndian16(first.data() + 34), 10u);
}

TEST(PageQueue, LongNamesAreHandedBackCutTo255Characters) {
    LinkFixture fixture;
    const LinkStore store = fixture.store();
    const std::string longName = "C:\\" + std::string(400, 'p') + ".htm";
    ASSERT_EQ(enqueuePage(store, 0, longName.c_str()), 1);
    uint32_t cursor = kNoneValue;
    uint16_t depth = 0;
    char name[kPageNameBufferSize];
    ASSERT_EQ(nextPage(store, cursor, depth, name, sizeof name), 1);
    EXPECT_EQ(std::string(name), longName.substr(0, 255));
    // A smaller buffer is never overrun.
    char small[8];
    cursor = kNoneValue;
    ASSERT_EQ(nextPage(store, cursor, depth, small, sizeof small), 1);
    EXPECT_STREQ(small, "C:\\pppp");
}

// A frame is queued while its page is parsed and the handler ignores the result; a failing
// stream must still end the conversion when the page is finished.
TEST(PageQueue, FrameLostToAFailingStreamFailsThePage) {
    LinkFixture fixture;
    const LinkStore store = fixture.store();
    uint32_t pageRef = 0;
    ASSERT_EQ(enqueuePage(store, 0, "C:\\s\\frames.htm", &pageRef), 1);
    ASSERT_EQ(beginPageLinks(store, pageRef, 0), 1);
    fixture.memory.faults.failWriteAt = fixture.memory.counts().write + 2;  // the frame's name
    EXPECT_EQ(enqueuePage(store, 0, "C:\\s\\left.htm"), 0);
    EXPECT_EQ(fixture.state.pageCount, 1u);
    EXPECT_EQ(endPageLinks(store), 0);
}

TEST(PageQueue, NamesThatDifferOnlyInCaseAreOnePage) {
    LinkFixture fixture;
    fixture.site["C:\\s\\start.htm"].links = {
        {"A.HTM", 0, 5}, {"a.htm", 10, 15}, {"sub/../A.htm#x", 20, 25}, {"b.htm", 30, 35}};
    fixture.site["C:\\s\\a.htm"];
    fixture.site["C:\\s\\b.htm"];
    ASSERT_EQ(fixture.convert("C:\\s\\start.htm", -1), 1);
    EXPECT_EQ(fixture.queuedNames(),
              (std::vector<std::string>{"C:\\s\\start.htm", "C:\\s\\A.HTM", "C:\\s\\b.htm"}));
    ASSERT_EQ(fixture.converted.size(), 3u);
    const uint32_t aStart = fixture.converted[1].second;
    for (size_t index = 0; index < 3; ++index) {
        EXPECT_EQ(fixture.storedLinks()[index].target, aStart) << index;
    }
    EXPECT_EQ(fixture.memory.liveAllocations(), 0);
}

TEST(PageQueue, DepthLimitStopsAtTheFirstDeeperPage) {
    // start -> one -> two -> three; every page also links back to start.
    struct Case {
        int32_t maxLinkDepth;
        size_t convertedPages;
    };
    const Case cases[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {-1, 4}};
    for (const Case& test : cases) {
        LinkFixture fixture;
        fixture.site["C:\\s\\start.htm"].links = {{"one.htm", 0, 3}};
        fixture.site["C:\\s\\one.htm"].links = {{"two.htm", 0, 3}, {"start.htm", 5, 8}};
        fixture.site["C:\\s\\two.htm"].links = {{"three.htm", 0, 3}, {"start.htm", 5, 8}};
        fixture.site["C:\\s\\three.htm"].links = {{"start.htm", 5, 8}};
        ASSERT_EQ(fixture.convert("C:\\s\\start.htm", test.maxLinkDepth), 1);
        EXPECT_EQ(fixture.converted.size(), test.convertedPages) << test.maxLinkDepth;
        // Links back to the start page never queue it again.
        EXPECT_LE(fixture.state.pageCount, 4u);
    }
}

// Whether the page table is built for each page or kept from page to page, the capacity works
// the same.
TEST(PageQueue, BeyondTheTableCapacityLinksStayUnresolvedAndNamesQueueAgain) {
    for (const bool keepPageTable : {false, true}) {
        SCOPED_TRACE(keepPageTable ? "kept table" : "table per page");
        LinkFixture fixture(keepPageTable);
        FakePage& start = fixture.site["C:\\s\\start.htm"];
        constexpr uint32_t kTargets = 8100;
        for (uint32_t index = 0; index < kTargets; ++index) {
            start.links.push_back({"p" + std::to_string(index) + ".htm", index, index + 1});
        }
        start.links.push_back({"p8050.htm", 9000, 9001});  // not in the table: queued again
        start.links.push_back({"p5.htm", 9002, 9003});     // in the table: found, not queued
        start.textLength = 10000;
        ASSERT_EQ(fixture.convert("C:\\s\\start.htm", 0), 1);

        EXPECT_EQ(fixture.state.pageCount, 1 + kTargets + 1);
        const std::vector<StoredLink> links = fixture.storedLinks();
        ASSERT_EQ(links.size(), kTargets + 2);
        // The table holds the start page and the first 7999 targets; later targets stay
        // unattached.
        for (uint32_t index = 0; index < kTargets; ++index) {
            ASSERT_EQ(links[index].resolved, index < 7999) << index;
        }
        EXPECT_FALSE(links[kTargets].resolved);
        EXPECT_TRUE(links[kTargets + 1].resolved);
        // Counted for the warning: the 101 targets beyond the table and p8050 once more.
        EXPECT_EQ(fixture.state.linksPastPageTable, kTargets - 7999 + 1);
        // Attached links to pages never converted resolve to none.
        EXPECT_EQ(links[0].target, kNoneValue);
        EXPECT_EQ(fixture.memory.liveAllocations(), 0);
    }
}

// A site whose pages link forwards, backwards and to themselves, under names in other cases and
// with fragments, converted with the table kept from page to page and with a table built for each
// page: the same queue and the same links. The kept table reads the queue once in all.
TEST(PageQueue, KeptPageTableAnswersLikeOneBuiltForEachPage) {
    const auto buildSite = [](LinkFixture& fixture) {
        constexpr uint32_t kPages = 300;
        for (uint32_t index = 0; index < kPages; ++index) {
            FakePage& page = fixture.site["C:\\s\\p" + std::to_string(index) + ".htm"];
            page.anchors = {{"top", 0}, {"end", 90}};
            page.links = {
                {"p" + std::to_string((index * 7 + 1) % kPages) + ".htm", 0, 5},
                {"P" + std::to_string((index * 13 + 2) % kPages) + ".HTM#end", 10, 15},
                {"p" + std::to_string(index / 2) + ".htm#top", 20, 25},
                {"#end", 30, 35},
                {"missing" + std::to_string(index % 5) + ".htm", 40, 45},
            };
        }
    };
    LinkFixture perPage(false);
    LinkFixture kept(true);
    buildSite(perPage);
    buildSite(kept);
    ASSERT_EQ(perPage.convert("C:\\s\\p0.htm", -1), 1);
    ASSERT_EQ(kept.convert("C:\\s\\p0.htm", -1), 1);

    EXPECT_GT(perPage.state.pageCount, 250u);
    EXPECT_EQ(kept.queuedNames(), perPage.queuedNames());
    EXPECT_EQ(kept.converted, perPage.converted);
    const std::vector<StoredLink> keptLinks = kept.storedLinks();
    const std::vector<StoredLink> perPageLinks = perPage.storedLinks();
    ASSERT_EQ(keptLinks.size(), perPageLinks.size());
    for (size_t i = 0; i < keptLinks.size(); ++i) {
        EXPECT_EQ(keptLinks[i].target, perPageLinks[i].target) << i;
        EXPECT_EQ(keptLinks[i].resolved, perPageLinks[i].resolved) << i;
    }
    EXPECT_LT(kept.memory.counts().read * 4, perPage.memory.counts().read);
}

}  // namespace
}  // namespace skerrit::testing
