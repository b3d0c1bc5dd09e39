// The HTML conversion driver on small in-memory sites: which pages are converted in which order
// and at which depth, the text of all pages as one stream, progress exactly as reported, cancel
// and failure at each step without leaks; then HTML detection and the title scan.
#include <string>
#include <vector>

#include "HtmlHarness.h"
#include "engine/ConversionNotice.h"
#include "engine/ResultCodes.h"
#include "html/HtmlConversion.h"

namespace skerrit::testing {
namespace {

// Stands in for the driver's page opener: records what was opened and at which depth.
struct TestOpener {
    MemoryCallbacks* callbacks;
    std::vector<std::string> opened;
};

FileObject openTestPage(PageOpener* opener, const char* path, int32_t depth) {
    auto& self = *reinterpret_cast<TestOpener*>(opener);
    self.opened.push_back(std::string(path) + "@" + std::to_string(depth));
    const ConverterCallbacks& table = self.callbacks->table();
    return table.openFile(table.context, path, kOpenRead);
}

void closeTestPage(PageOpener* opener, FileObject file) {
    auto& self = *reinterpret_cast<TestOpener*>(opener);
    const ConverterCallbacks& table = self.callbacks->table();
    if (file != nullptr)
        table.closeFile(table.context, file);
}

class SiteFixture {
  public:
    SiteFixture() {
        callbacks.addFile("C:\\site\\index.htm",
                          "<HTML><TITLE>Index</TITLE><A NAME=top>Start</A> <A HREF=\"a.htm\">to "
                          "A</A> <A HREF=\"A.HTM#sec\">to sec</A> <A HREF=\"#top\">up</A> <A "
                          "HREF=\"missing.htm\">gone</A>");
        callbacks.addFile("C:\\site\\a.htm",
                          "<P>A page<A NAME=sec></A><P>Section <A HREF=\"b.htm\">b</A>");
        callbacks.addFile("C:\\site\\b.htm", "B page");
        callbacks.addFile("C:\\site\\frames.htm",
                          "<FRAMESET><FRAME SRC=a.htm><FRAME SRC=b.htm></FRAMESET>");
        job.openPage = &openTestPage;
        job.closePage = &closeTestPage;
        job.pageOpener = reinterpret_cast<PageOpener*>(&opener);
        job.callbacks = &callbacks.table();
        job.textStream = open("text");
        job.sectionDataStream = open("data");
        job.sectionIndexStream = open("index");
        job.maxLinkDepth = -1;
    }
    ~SiteFixture() {
        EXPECT_EQ(callbacks.liveAllocations(), 0);
        EXPECT_EQ(callbacks.openFiles(), 3);  // only the job's own streams
        EXPECT_EQ(callbacks.misuseCount(), 0);
        for (FileObject stream : {job.textStream, job.sectionDataStream, job.sectionIndexStream}) {
            callbacks.table().closeFile(callbacks.table().context, stream);
        }
    }
    SiteFixture(const SiteFixture&) = delete;
    SiteFixture& operator=(const SiteFixture&) = delete;

    std::vector<int32_t> percents() const {
        std::vector<int32_t> shown;
        for (const ProgressEvent& event : callbacks.progressEvents()) {
            shown.push_back(event.code == kProgressPercent ? event.percent : -event.code - 1);
        }
        return shown;
    }

    MemoryCallbacks callbacks;
    TestOpener opener{&callbacks, {}};
    HtmlJob job{};

  private:
    FileObject open(const char* name) {
        return callbacks.table().openFile(callbacks.table().context, name, kOpenCreate);
    }
};

// The block of extra record `record`, read back from the job's data and index streams.
const uint8_t* sectionBlock(const SiteFixture& site, int32_t record) {
    const Bytes& index = site.callbacks.file("index");
    const uint32_t offset = loadLittleEndian32(index.data() + 4 * static_cast<size_t>(record));
    return site.callbacks.file("data").data() + offset;
}

// A link block (big-endian) as start+length>target per entry.
std::string showLinkBlock(const uint8_t* block) {
    const size_t n = loadBigEndian16(block + 4);
    const uint8_t* lengths = block + 6 + 2 * n + 2;
    const uint8_t* targets = lengths + 2 * n;
    std::string shown;
    for (size_t i = 0; i < n; ++i) {
        if (!shown.empty())
            shown += ' ';
        const uint32_t start =
            (uint32_t{loadBigEndian16(block)} << 16) | loadBigEndian16(block + 6 + 2 * i);
        shown += std::to_string(start) + "+" + std::to_string(lengths[i]) + ">" +
                 std::to_string(loadBigEndian32(targets + 4 * i));
    }
    return shown;
}

// A file-boundary block as firstFile..lastFile: words.
std::string showBoundaryBlock(const uint8_t* block) {
    std::string shown = std::to_string(loadBigEndian16(block + 4)) + ".." +
                        std::to_string(loadBigEndian16(block + 6)) + ":";
    const size_t n = loadBigEndian16(block + 8);
    for (size_t i = 0; i < n; ++i)
        shown += " " + std::to_string(loadBigEndian16(block + 10 + 2 * i));
    return shown;
}

TEST(HtmlConversion, ConvertsLinkedPagesBreadthFirstAsOneText) {
    SiteFixture site;
    EXPECT_EQ(convertHtml(site.job, "C:\\site\\index.htm"), 0);
    // A.HTM and a.htm are one page; a missing page is skipped without a report.
    const std::vector<std::string> opened{"C:\\site\\index.htm@0", "C:\\site\\a.htm@1",
                                          "C:\\site\\missing.htm@1", "C:\\site\\b.htm@2"};
    EXPECT_EQ(site.opener.opened, opened);
    EXPECT_EQ(toText(site.callbacks.file("text")),
              "Start to A to sec up gone\n\n\nA page\n\nSection b\nB page\n");
    EXPECT_EQ(site.job.textFileCount, 3);
    EXPECT_EQ(site.job.styleFirst, 0);
    EXPECT_GT(site.job.styleCount, 0);
    EXPECT_EQ(site.job.linkFirst, site.job.styleCount);
    EXPECT_GT(site.job.linkCount, 0);
    EXPECT_EQ(site.job.ruleFirst, site.job.linkFirst + site.job.linkCount);
    EXPECT_EQ(site.job.boundaryFirst, site.job.ruleFirst + site.job.ruleCount);
    EXPECT_GT(site.job.boundaryCount, 0);
    const size_t records = site.callbacks.file("index").size() / 4;
    EXPECT_EQ(static_cast<int32_t>(records), site.job.boundaryFirst + site.job.boundaryCount);
    // Links resolve to the page starts (26, 46), to an anchor moved past the line feeds that
    // followed it (36) and to the page's own anchor (0); the link to the missing page is gone.
    ASSERT_EQ(site.job.linkCount, 1);
    EXPECT_EQ(showLinkBlock(sectionBlock(site, site.job.linkFirst)),
              "6+4>26 11+6>36 18+2>0 44+1>46");
    ASSERT_EQ(site.job.boundaryCount, 1);
    EXPECT_EQ(showBoundaryBlock(sectionBlock(site, site.job.boundaryFirst)), "0..2: 0 26 46 53");

    // Page names (code 6 as -7), each page's refill percentages and 100, then the sections.
    const std::vector<ProgressEvent>& events = site.callbacks.progressEvents();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[1].pageName, "C:\\site\\index.htm");
    const std::vector<int32_t> expected{-1,  -7, 0, 100, -7, 0,  100, -7, 0,
                                        100, -2, 5, 20,  40, 60, 80,  100};
    EXPECT_EQ(site.percents(), expected);
}

TEST(HtmlConversion, DepthLimitKeepsFramesAtTheirPagesDepth) {
    SiteFixture linked;
    linked.job.maxLinkDepth = 0;
    EXPECT_EQ(convertHtml(linked.job, "C:\\site\\index.htm"), 0);
    EXPECT_EQ(linked.opener.opened, std::vector<std::string>{"C:\\site\\index.htm@0"});
    EXPECT_EQ(linked.job.textFileCount, 1);

    SiteFixture frames;
    frames.job.maxLinkDepth = 0;
    EXPECT_EQ(convertHtml(frames.job, "C:\\site\\frames.htm"), 0);
    const std::vector<std::string> opened{"C:\\site\\frames.htm@0", "C:\\site\\a.htm@0",
                                          "C:\\site\\b.htm@0"};
    EXPECT_EQ(frames.opener.opened, opened);
    EXPECT_EQ(toText(frames.callbacks.file("text")), "\n\nA page\n\nSection b\nB page\n");
}

TEST(HtmlConversion, CyclesAndOverlongNamesConvertOnce) {
    SiteFixture site;
    site.callbacks.addFile("C:\\site\\x.htm", "<A HREF=y.htm>y</A><A HREF=\"" +
                                                  std::string(2000, 'n') + "\">long</A>");
    site.callbacks.addFile("C:\\site\\y.htm", "<A HREF=X.HTM>x</A><A HREF=y.htm#self>y</A>");
    EXPECT_EQ(convertHtml(site.job, "C:\\site\\x.htm"), 0);
    ASSERT_EQ(site.opener.opened.size(), 3u);
    EXPECT_EQ(site.opener.opened[1], "C:\\site\\y.htm@1");
    // A name longer than 255 characters is opened by its first 255.
    EXPECT_EQ(site.opener.opened[2], "C:\\site\\" + std::string(255 - 8, 'n') + "@1");
    EXPECT_EQ(toText(site.callbacks.file("text")), "ylong\nxy\n");
}

// Limits that leave pages or links out of a conversion that still succeeds are reported, once
// the sections are written, as notices.
TEST(HtmlConversion, LimitsThatLeaveOutPagesOrLinksAreReported) {
    // A chain of pages each linking to the next, followed to depth 1000: the page at depth 256
    // is converted but its link is not recorded, so 257 pages in all.
    SiteFixture chain;
    constexpr int kChainPages = 2001;
    for (int page = 0; page < kChainPages; ++page) {
        chain.callbacks.addFile("C:\\chain\\p" + std::to_string(page) + ".htm",
                                "<A HREF=p" + std::to_string(page + 1) + ".htm>next</A>");
    }
    chain.job.maxLinkDepth = 1000;
    EXPECT_EQ(convertHtml(chain.job, "C:\\chain\\p0.htm"), 0);
    EXPECT_EQ(chain.opener.opened.size(), 257u);
    EXPECT_EQ(chain.opener.opened.back(), "C:\\chain\\p256.htm@256");
    const std::vector<ProgressEvent> chainNotices = chain.callbacks.notices();
    ASSERT_EQ(chainNotices.size(), 1u);
    EXPECT_EQ(chainNotices[0].noticeKind, kNoticeDeepLinksDropped);
    EXPECT_EQ(chainNotices[0].noticeCount, 1u);
    EXPECT_EQ(chainNotices[0].noticeLimit, 255u);

    // One page linking to many others (missing ones, which count as taken all the same): the page
    // table takes the start page and the first 7,999 targets, so the links to the others stay
    // unresolved; 32,000 pages are taken and the rest stay in the queue.
    // Under -d0 no page beyond the table's is converted: the links to them would have had no
    // target anyway, so nothing is reported.
    struct Wide {
        uint32_t targets;
        int32_t maxLinkDepth;
        uint64_t pagesLeft;  // 0: no such notice
    };
    for (const Wide& c :
         {Wide{31999, -1, 0}, Wide{32000, -1, 1}, Wide{40000, -1, 8001}, Wide{40000, 0, 0}}) {
        SCOPED_TRACE(c.targets);
        SiteFixture wide;
        std::string links;
        for (uint32_t target = 0; target < c.targets; ++target)
            links += "<A HREF=t" + std::to_string(target) + ".htm>x</A>";
        wide.callbacks.addFile("C:\\wide\\start.htm", links);
        wide.job.maxLinkDepth = c.maxLinkDepth;
        EXPECT_EQ(convertHtml(wide.job, "C:\\wide\\start.htm"), 0);
        if (c.maxLinkDepth == 0) {
            EXPECT_EQ(wide.opener.opened.size(), 1u);
            EXPECT_TRUE(wide.callbacks.notices().empty());
            continue;
        }
        EXPECT_EQ(wide.opener.opened.size(), 32000u);
        EXPECT_EQ(wide.opener.opened.back(), "C:\\wide\\t31998.htm@1");
        std::vector<ProgressEvent> expected;
        if (c.pagesLeft > 0)
            expected.push_back(
                {kProgressNotice, "", -1, kNoticePagesNotConverted, c.pagesLeft, 32000});
        expected.push_back(
            {kProgressNotice, "", -1, kNoticeLinksUnresolved, c.targets - 7999u, 8000});
        EXPECT_EQ(wide.callbacks.notices(), expected);
    }

    // No limit reached: no notice. At depth 255 links are still recorded; -d255 ends the loop
    // before the page at depth 256.
    SiteFixture shallow;
    for (int page = 0; page < 300; ++page) {
        shallow.callbacks.addFile("C:\\chain\\p" + std::to_string(page) + ".htm",
                                  "<A HREF=p" + std::to_string(page + 1) + ".htm>next</A>");
    }
    shallow.job.maxLinkDepth = 255;
    EXPECT_EQ(convertHtml(shallow.job, "C:\\chain\\p0.htm"), 0);
    EXPECT_EQ(shallow.opener.opened.size(), 256u);
    EXPECT_TRUE(shallow.callbacks.notices().empty());
}

TEST(HtmlConversion, MissingStartPageGivesAnEmptyDocument) {
    SiteFixture site;
    EXPECT_EQ(convertHtml(site.job, "C:\\site\\nothing.htm"), 0);
    EXPECT_EQ(site.opener.opened, std::vector<std::string>{"C:\\site\\nothing.htm@0"});
    EXPECT_EQ(toText(site.callbacks.file("text")), "");
}

TEST(HtmlConversion, WithoutAProgressCallbackNothingIsReported) {
    SiteFixture site;
    site.callbacks.disableProgress();
    EXPECT_EQ(convertHtml(site.job, "C:\\site\\index.htm"), 0);
    EXPECT_EQ(site.callbacks.counts().progress, 0);
    EXPECT_EQ(site.job.textFileCount, 3);
}

TEST(HtmlConversion, CancelAtAnyReportReleasesEverything) {
    // Each report in turn answers "stop": the start, a page name, a page's refill, a page's 100,
    // the step change and each section percentage.
    for (int stopAt = 1; stopAt <= 17; ++stopAt) {
        SiteFixture site;
        site.callbacks.faults.stopProgressAt = stopAt;
        EXPECT_EQ(convertHtml(site.job, "C:\\site\\index.htm"), 1) << stopAt;
        EXPECT_EQ(site.callbacks.counts().progress, stopAt) << "no report after the cancel";
        if (stopAt == 1) {
            EXPECT_EQ(site.callbacks.temporaryFilesCreated(), 0);
        }
    }
}

TEST(HtmlConversion, FailuresOfItsOwnStepsFailTheConversion) {
    for (int failAt = 1; failAt <= 4; ++failAt) {
        SiteFixture site;
        site.callbacks.faults.failTempAt = failAt;
        EXPECT_EQ(convertHtml(site.job, "C:\\site\\index.htm"), 2) << failAt;
    }
    // The reader, its element stack and the table of queued pages.
    for (int failAt = 1; failAt <= 3; ++failAt) {
        SiteFixture site;
        site.callbacks.faults.failAllocateAt = failAt;
        EXPECT_EQ(convertHtml(site.job, "C:\\site\\index.htm"), 2) << failAt;
    }
}

// Every write of a conversion fails in turn: text, style runs (two writes each), block records,
// anchors, links, queued pages and frames, on pages whose text needs more than one flush. A
// stream that lost bytes must fail the conversion, never let it answer 0 with broken output.
TEST(HtmlConversion, EveryFailedWriteFailsTheConversion) {
    std::string longText;
    for (int i = 0; i < 6; ++i)
        longText += std::string(1000, 'w') + " <B>bold</B> ";
    const auto addSite = [&](MemoryCallbacks& callbacks) {
        callbacks.addFile("C:\\site\\index.htm",
                          "<HTML><TITLE>Index</TITLE><A NAME=top>Start</A> <B>bold <I>it</I></B>"
                          "<UL><LI>one<LI>two</UL><TABLE BORDER><TR><TD>c1<TD>c2</TABLE>"
                          "<HR WIDTH=50%><A HREF=\"long.htm\">long</A> <A HREF=frames.htm>f</A> "
                          "<A HREF=\"#top\">up</A><XMP>raw</XMP><P><A NAME=end></A><P>x");
        callbacks.addFile("C:\\site\\long.htm", "<P>" + longText + "<A HREF=index.htm#end>e</A>");
        callbacks.addFile("C:\\site\\frames.htm",
                          "<FRAMESET><FRAME SRC=b.htm><FRAME SRC=p.htm></FRAMESET>");
        callbacks.addFile("C:\\site\\b.htm", "B page<HR>");
        callbacks.addFile("C:\\site\\p.htm", "<I>x</I><PLAINTEXT><B>plain");
    };

    std::string intactText;
    int writes = 0;
    {
        SiteFixture site;
        addSite(site.callbacks);
        ASSERT_EQ(convertHtml(site.job, "C:\\site\\index.htm"), 0);
        intactText = toText(site.callbacks.file("text"));
        writes = site.callbacks.counts().write;
        ASSERT_GT(writes, 50);
    }
    for (int failAt = 1; failAt <= writes + 1; ++failAt) {
        SCOPED_TRACE("write #" + std::to_string(failAt));
        SiteFixture site;
        addSite(site.callbacks);
        site.callbacks.faults.failWriteAt = failAt;
        const int32_t result = convertHtml(site.job, "C:\\site\\index.htm");
        if (failAt > writes) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(toText(site.callbacks.file("text")), intactText);
        } else {
            EXPECT_EQ(result, 2);
        }
    }
}

TEST(HtmlDetection, HtmlStartsWithTheHtmlTagOrDoctype) {
    // Up to 20000 tags are looked at: 19999 declarations leave room for the HTML tag.
    std::string declarations;
    for (int i = 0; i < 19999; ++i)
        declarations += "<!x>";
    const std::string atTheLimit = declarations + "<HTML>";
    const std::string pastTheLimit = declarations + "<!x><HTML>";
    struct Case {
        const char* page;
        int32_t isHtml;
    } cases[] = {
        {"<!-- c --><!DOCTYPE html>", 1},
        {"  <!doctype HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">", 1},
        {"<html><head>", 1},
        {"\n<!DOCTYPE foo><HTML>", 1},
        {"<!DOCTYPE foo>", 0},
        {"word <HTML>", 0},
        {"<HEAD><HTML>", 0},
        {"</HTML>", 0},
        {"", 0},
        {atTheLimit.c_str(), 1},
        {pastTheLimit.c_str(), 0},
    };
    for (const Case& c : cases) {
        MemoryCallbacks callbacks;
        callbacks.addFile("page", c.page);
        const ConverterCallbacks& table = callbacks.table();
        FileObject file = table.openFile(table.context, "page", kOpenRead);
        (void)table.seekFile(table.context, file, 3, kSeekFromStart);  // reading starts at 0
        EXPECT_EQ(isHtmlFile(table, file), c.isHtml) << c.page;
        table.closeFile(table.context, file);
        EXPECT_EQ(callbacks.liveAllocations(), 0);
    }
}

TEST(HtmlDetection, TitleIsTheFirstTitleElementsText) {
    struct Case {
        std::string page;
        int32_t max;
        int32_t result;
        std::string title;
    } cases[] = {
        {"<HTML><HEAD><TITLE>  A  &amp;  B  </TITLE>", 31, 1, "A & B"},
        {"<HEAD><META NAME=x></HEAD><TITLE>late</TITLE>", 31, 1, ""},
        {"<TITLE>" + std::string(40, 'x') + "</TITLE>", 31, 1, std::string(31, 'x')},
        {"<TITLE>" + std::string(300, 'y'), 400, 1, std::string(255, 'y')},
        // Every byte before the title counts as one of the 4096 steps of the search.
        {std::string(4095, 'x') + "<TITLE>t</TITLE>", 31, 1, "t"},
        {std::string(4096, 'x') + "<TITLE>t</TITLE>", 31, 0, ""},
        {"<title></title>", 31, 1, ""},
        {"text only", 31, 0, ""},
    };
    for (const Case& c : cases) {
        MemoryCallbacks callbacks;
        callbacks.addFile("page", c.page);
        std::vector<char> out(static_cast<size_t>(c.max) + 1, '?');
        EXPECT_EQ(readHtmlTitle(callbacks.table(), "page", out.data(), c.max), c.result) << c.page;
        if (c.result == 1) {
            EXPECT_EQ(std::string(out.data()), c.title) << c.page;
        }
        EXPECT_EQ(callbacks.openFiles(), 0);
        EXPECT_EQ(callbacks.liveAllocations(), 0);
    }
    MemoryCallbacks none;
    char untouched[4] = "abc";
    EXPECT_EQ(readHtmlTitle(none.table(), "missing", untouched, 3), 0);
    EXPECT_STREQ(untouched, "abc");
}

}  // namespace
}  // namespace skerrit::testing
