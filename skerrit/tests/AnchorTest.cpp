// Anchors: recorded per page, moved past line feeds written after them, and found by the
// fragment of a link, in the sorted table or, past its 4000 entries, by scanning the stream.
#include <gtest/gtest.h>

#include <string>

#include "LinkTestFixture.h"
#include "engine/ByteOrder.h"
#include "htmldoc/NameHash.h"

namespace skerrit::testing {
namespace {

constexpr const char* kStart = "C:\\s\\start.htm";

TEST(Anchor, FragmentsResolveToTheirAnchorOrToThePageStart) {
    LinkFixture fixture;
    FakePage& start = fixture.site[kStart];
    start.textLength = 500;
    start.anchors = {{"top", 0}, {"Middle", 250}, {"twice", 300}, {"twice", 400}};
    FakePage& other = fixture.site["C:\\s\\other.htm"];
    other.anchors = {{"sec", 40}};
    // Each link names the expected target as an offset into a page, or none.
    struct Case {
        std::string href;
        std::string page;
        uint32_t offset;
    };
    const Case cases[] = {
        {"#Top", kStart, 0},  // own page, case ignored
        {"#middle", kStart, 250},
        {"start.htm#MIDDLE", kStart, 250},  // own page by name
        {"#twice", kStart, 300},            // first definition wins
        {"#nowhere", kStart, 0},            // unknown anchor: page start
        {"#", kStart, 0},                   // empty fragment: page start
        {"other.htm#sec", "C:\\s\\other.htm", 40},
        {"OTHER.htm#nosuch", "C:\\s\\other.htm", 0},
        {"missing.htm#x", "", 0},  // never converted: none
        {"http://host/page.htm", "", 0},
    };
    for (uint32_t index = 0; index < std::size(cases); ++index) {
        start.links.push_back({cases[index].href, index * 10, index * 10 + 5});
    }
    ASSERT_EQ(fixture.convert(kStart, -1), 1);

    std::map<std::string, uint32_t> pageStarts;
    for (const auto& [name, position] : fixture.converted)
        pageStarts[name] = position;
    const std::vector<StoredLink> links = fixture.storedLinks();
    ASSERT_EQ(links.size(), std::size(cases));
    for (uint32_t index = 0; index < std::size(cases); ++index) {
        const Case& test = cases[index];
        const uint32_t expected =
            test.page.empty() ? kNoneValue : pageStarts.at(test.page) + test.offset;
        EXPECT_TRUE(links[index].resolved) << test.href;
        EXPECT_EQ(links[index].target, expected) << test.href;
    }
    EXPECT_EQ(fixture.memory.liveAllocations(), 0);
}

TEST(Anchor, PageWith5000AnchorsResolvesBeyondTheTable) {
    for (bool tableAllocationFails : {false, true}) {
        LinkFixture fixture;
        FakePage& big = fixture.site[kStart];
        big.textLength = 50000;
        for (uint32_t index = 0; index < 5000; ++index) {
            big.anchors.push_back({"a" + std::to_string(index), index * 10});
        }
        big.links = {{"#a10", 0, 1},   {"#A3999", 1, 2}, {"#a4000", 2, 3},    {"#a4500", 3, 4},
                     {"#a4999", 4, 5}, {"#a5000", 5, 6}, {"second.htm", 6, 7}};
        fixture.site["C:\\s\\second.htm"].links = {{"start.htm#a4700", 0, 1},
                                                   {"start.htm#A12", 1, 2}};
        // The first allocation is the start page's anchor table: without it, lookups scan.
        if (tableAllocationFails)
            fixture.memory.faults.failAllocateAt = 1;
        ASSERT_EQ(fixture.convert(kStart, -1), 1);

        const std::vector<StoredLink> links = fixture.storedLinks();
        ASSERT_EQ(links.size(), 9u);
        const uint32_t expected[] = {100, 39990, 40000, 45000, 49990, 0, 50000, 47000, 120};
        for (size_t index = 0; index < std::size(expected); ++index) {
            EXPECT_EQ(links[index].target, expected[index])
                << links[index].fragment << (tableAllocationFails ? " scanning" : "");
        }
        EXPECT_EQ(fixture.memory.liveAllocations(), 0);
    }
}

TEST(Anchor, MovedAnchorIsFoundAtItsNewPosition) {
    LinkFixture fixture;
    const LinkStore store = fixture.store();
    uint32_t pageRef = 0;
    ASSERT_EQ(enqueuePage(store, 0, kStart, &pageRef), 1);
    ASSERT_EQ(beginPageLinks(store, pageRef, 0), 1);
    uint32_t anchorRef = 0;
    ASSERT_EQ(addAnchor(store, 12, "para", anchorRef), 1);
    EXPECT_EQ(anchorRef, 36u + 14u);  // right after the page's record and name
    // Two owed line feeds were written after the anchor: it moves to the text after them.
    ASSERT_EQ(moveAnchor(store, anchorRef, 14), 1);
    char base[kPathCapacity];
    directoryPart(kStart, base);
    uint32_t linkStart = 20;
    ASSERT_EQ(closeLink(store, CurrentPage{kStart, base, 0}, linkStart, "#para", 25), 1);
    EXPECT_EQ(linkStart, kNoneValue);
    ASSERT_EQ(endPageLinks(store), 1);
    ASSERT_EQ(resolveLocalLinks(store), 1);
    EXPECT_EQ(fixture.storedLinks().at(0).target, 14u);

    // The AnchorRecord bytes: position, hash, length, two unread bytes.
    const Bytes queue = fixture.streamBytes(fixture.queueStream);
    const Bytes record(queue.begin() + anchorRef, queue.begin() + anchorRef + 12);
    EXPECT_EQ(record[0], 14);  // position
    EXPECT_EQ(loadLittleEndian32(record.data() + 4), hashName("para"));
    EXPECT_EQ(record[8], 4);  // nameLength
    EXPECT_EQ(std::string(queue.begin() + anchorRef + 12, queue.end()), "para");
}

}  // namespace
}  // namespace skerrit::testing
