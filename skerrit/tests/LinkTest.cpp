// Links: what closeLink records for each kind of HREF, the depth limit on recording, the record
// bytes, and the failure paths of the whole queue-and-resolve cycle under injected faults.
#include <gtest/gtest.h>

#include <string>

#include "LinkTestFixture.h"
#include "engine/ByteOrder.h"
#include "htmldoc/DocumentSections.h"
#include "htmldoc/NameHash.h"

namespace skerrit::testing {
namespace {

constexpr const char* kStart = "C:\\s\\start.htm";

TEST(Link, CloseLinkRecordsTargetAndFragmentByHref) {
    struct Case {
        std::string href;
        int result;
        bool recorded;
        std::string target;
        std::string fragment;
    };
    const Case cases[] = {
        {"#Top", 1, true, kStart, "Top"},
        {"#", 1, true, kStart, ""},
        {"b.htm", 1, true, "C:\\s\\b.htm", ""},
        {"../x/b.htm#f", 1, true, "C:\\x\\b.htm", "f"},
        {"http://host/a/b.htm#g", 1, true, "http://host/a/b.htm", "g"},
        {"", 1, true, "C:\\s\\", ""},
        {"../../../up.htm", 0, false, "", ""},  // climbs above the drive: cannot normalise
    };
    for (const Case& test : cases) {
        LinkFixture fixture;
        const LinkStore store = fixture.store();
        char base[kPathCapacity];
        directoryPart(kStart, base);
        uint32_t linkStart = 7;
        EXPECT_EQ(closeLink(store, CurrentPage{kStart, base, 3}, linkStart, test.href.c_str(), 19),
                  test.result)
            << test.href;
        EXPECT_EQ(linkStart, kNoneValue);
        const std::vector<StoredLink> links = fixture.storedLinks();
        ASSERT_EQ(links.size(), test.recorded ? 1u : 0u) << test.href;
        if (!test.recorded)
            continue;
        EXPECT_EQ(links[0].targetName, test.target);
        EXPECT_EQ(links[0].fragment, test.fragment);
        EXPECT_EQ(links[0].start, 7u);
        EXPECT_EQ(links[0].end, 19u);
        EXPECT_EQ(fixture.state.pageLinkCount, 1u);
    }
}

TEST(Link, RelativeHrefOnAPageWithoutDirectoryIsDroppedQuietly) {
    LinkFixture fixture;
    uint32_t linkStart = 0;
    EXPECT_EQ(closeLink(fixture.store(), CurrentPage{"page.htm", "", 0}, linkStart, "b.htm", 4), 1);
    EXPECT_TRUE(fixture.storedLinks().empty());
    // No open link: nothing happens.
    EXPECT_EQ(closeLink(fixture.store(), CurrentPage{"page.htm", "", 0}, linkStart, "#x", 4), 1);
    EXPECT_TRUE(fixture.storedLinks().empty());
}

TEST(Link, RecordLayoutAndDepthLimit) {
    LinkFixture fixture;
    const LinkStore store = fixture.store();
    ASSERT_EQ(addLink(store, 255, 0x11223344, 0x11223350, "ab", "Cd"), 1);
    EXPECT_EQ(addLink(store, 256, 0, 1, "ab", nullptr), 0);  // deeper pages record no links
    ASSERT_EQ(addLink(store, 2, 5, 6, "ab", nullptr), 1);
    EXPECT_EQ(fixture.state.linksTooDeep, 1u);  // counted for the warning
    const Bytes bytes = fixture.streamBytes(fixture.linkStream);
    ASSERT_EQ(bytes.size(), 32u + 4u + 32u + 2u);
    const Bytes header(bytes.begin(), bytes.begin() + 20);
    const Bytes expected = {
        0xFF, 0xFF, 0xFF, 0xFF,  // nextIncoming
        0x44, 0x33, 0x22, 0x11,  // start
        0x50, 0x33, 0x22, 0x11,  // end
        0x00, 0x00, 0x00, 0x00,  // target
        0x00,                    // flags
        0xFF,                    // depth byte
        0x00, 0x00,              // padding
    };
    EXPECT_EQ(header, expected);
    EXPECT_EQ(loadLittleEndian32(bytes.data() + 20), hashName("ab"));
    EXPECT_EQ(loadLittleEndian32(bytes.data() + 24), hashName("cd"));
    EXPECT_EQ(loadLittleEndian16(bytes.data() + 28), 2u);
    EXPECT_EQ(loadLittleEndian16(bytes.data() + 30), 2u);
    EXPECT_EQ(std::string(bytes.begin() + 32, bytes.begin() + 36), "abCd");
    // No fragment: hash all ones, length 0.
    EXPECT_EQ(loadLittleEndian32(bytes.data() + 36 + 24), 0xFFFFFFFFu);
    EXPECT_EQ(loadLittleEndian16(bytes.data() + 36 + 30), 0u);
}

// start links to a (converted), missing (cannot open) and deep (beyond the depth limit).
void buildSite(LinkFixture& fixture) {
    fixture.site[kStart].links = {{"a.htm#in", 0, 4}, {"missing.htm", 5, 9}, {"#own", 10, 12}};
    fixture.site[kStart].anchors = {{"own", 50}};
    fixture.site["C:\\s\\a.htm"].links = {{"deep.htm", 0, 3}, {"start.htm#own", 4, 6}};
    fixture.site["C:\\s\\a.htm"].anchors = {{"in", 30}};
    fixture.site["C:\\s\\deep.htm"];
}

TEST(Link, LocalAndGlobalResolutionWithMissingAndTooDeepPages) {
    LinkFixture fixture;
    buildSite(fixture);
    ASSERT_EQ(fixture.convert(kStart, 1), 1);
    ASSERT_EQ(fixture.converted.size(), 2u);  // start, a; missing cannot open; deep is depth 2
    const uint32_t aStart = fixture.converted[1].second;
    const std::vector<StoredLink> links = fixture.storedLinks();
    ASSERT_EQ(links.size(), 5u);
    EXPECT_EQ(links[0].target, aStart + 30);  // a.htm#in
    EXPECT_EQ(links[1].target, kNoneValue);   // missing.htm
    EXPECT_EQ(links[2].target, 50u);          // #own
    EXPECT_EQ(links[3].target, kNoneValue);   // deep.htm, queued but not converted
    EXPECT_EQ(links[4].target, 50u);          // back to start's anchor
    for (const StoredLink& link : links)
        EXPECT_TRUE(link.resolved);
    EXPECT_EQ(fixture.queuedNames(),
              (std::vector<std::string>{kStart, "C:\\s\\a.htm", "C:\\s\\missing.htm",
                                        "C:\\s\\deep.htm"}));
}

// Only links with a target reach the link table: a.htm#in, #own and the link back to start.
TEST(Link, ResolvedLinksReachTheLinkTable) {
    LinkFixture fixture;
    buildSite(fixture);
    ASSERT_EQ(fixture.convert(kStart, 1), 1);
    ConverterCallbacks& table = fixture.callbacks();
    FileObject data = table.createTempFile(table.context);
    FileObject index = table.createTempFile(table.context);
    int32_t count = 0;
    ASSERT_EQ(writeLinkTable(SectionOutput{&table, data, index}, fixture.linkStream, count), 1);
    EXPECT_EQ(count, 1);
    // startHigh endHigh n | start lows | endLow | lengths | reserved | targets (a.htm starts at
    // 100)
    const Bytes expected = {0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x0a, 0x00,
                            0x68, 0x00, 0x6a, 0x04, 0x02, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x82, 0x00, 0x00, 0x00, 0x32, 0x00, 0x00, 0x00, 0x32};
    EXPECT_EQ(fixture.streamBytes(data), expected);
    table.closeFile(table.context, index);
    table.closeFile(table.context, data);
}

// Every stream operation and allocation of a conversion fails in turn: the conversion answers 0
// (a missing anchor table alone is not an error), and every block is given back.
TEST(Link, InjectedFaultsFailTheConversionAndReleaseMemory) {
    LinkFixture clean;
    buildSite(clean);
    ASSERT_EQ(clean.convert(kStart, 1), 1);
    const MemoryCallbacks::CallCounts total = clean.memory.counts();

    struct Kind {
        const char* name;
        int MemoryCallbacks::Faults::*fault;
        int calls;
    };
    const Kind kinds[] = {{"seek", &MemoryCallbacks::Faults::failSeekAt, total.seek},
                          {"read", &MemoryCallbacks::Faults::failReadAt, total.read},
                          {"write", &MemoryCallbacks::Faults::failWriteAt, total.write},
                          {"allocate", &MemoryCallbacks::Faults::failAllocateAt, total.allocate}};
    for (const Kind& kind : kinds) {
        ASSERT_GT(kind.calls, 0) << kind.name;
        for (int failAt = 1; failAt <= kind.calls; ++failAt) {
            LinkFixture fixture;
            buildSite(fixture);
            fixture.memory.faults.*kind.fault = failAt;
            const int result = fixture.convert(kStart, 1);
            EXPECT_EQ(fixture.memory.liveAllocations(), 0) << kind.name << " " << failAt;
            EXPECT_EQ(fixture.memory.misuseCount(), 0);
            if (kind.fault != &MemoryCallbacks::Faults::failAllocateAt) {
                // Even inside closeLink, whose result the A handler ignores, a failing stream
                // ends the conversion: a record written in part would break the walk over the
                // records after it, and a lost link would pass unnoticed.
                EXPECT_EQ(result, 0) << kind.name << " " << failAt;
            }
        }
    }
}

}  // namespace
}  // namespace skerrit::testing
