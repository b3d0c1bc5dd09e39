// The tag handlers for text styles, blocks, rules, fonts, raw text and document-level tags, as
// whole pages through the parse loop; then the handlers that record links, anchors, frame pages
// and the base, read back from the reader's streams.
#include <string>
#include <vector>

#include "HtmlHarness.h"

namespace skerrit::testing {
namespace {

TEST(HtmlTagHandlers, HeadingsParagraphsAndBlocks) {
    expectParsed({
        {"<H1>T</H1>x", "|T||x|", "1:h,s7 4:- 6:-", "E@6"},
        // An end tag of another level leaves the heading open until the next heading or P.
        {"<H1>a</H2>b<P>c", "|a||b||c|", "1:h,s7 7:- 9:-", "E@9"},
        {"<H2 ALIGN=center>t", "|t|", "1:c,h,s6 3:-", "E@3"},
        {"<CENTER>a</CENTER>b", "|a|b|", "1:c 3:- 5:-", "E@5"},
        {"a<BLOCKQUOTE>b</BLOCKQUOTE>c", "a||b||c|", "3:in1 6:- 8:-", "E@8"},
        {"a<ADDRESS>b</ADDRESS>c", "a|b|c|", "2:i 4:- 6:-", "E@6"},
        {"<P ALIGN=right>a<P>b", "||a||b|", "2:r 5:- 7:-", "E@7"},
        {"<DIV ALIGN=center>a<DIV>b</DIV>c", "|a|b|c|", "1:c 3:- 7:-", "E@7"},
        {"Hello<P>World", "Hello||World|", "13:-", "E@13"},
    });
}

TEST(HtmlTagHandlers, LineBreaksAddUpButParagraphBreaksDoNot) {
    expectParsed({
        {"a<BR><BR>b", "a||b|", "5:-", "E@5"},
        {"a<BR>  b", "a|b|", "4:-", "E@4"},
        {"a<BR><H1>b", "a||b|", "3:h,s7 5:-", "E@5"},
        {"a<BR><P>b", "a||b|", "5:-", "E@5"},
        {"a</BR>b", "ab|", "3:-", "E@3"},
    });
}

TEST(HtmlTagHandlers, RulesTakeTheirAttributesInOrder) {
    expectParsed({
        {"a<HR WIDTH=50% SIZE=0 ALIGN=left NOSHADE>b", "a||b|", "5:-", "R@2/2/1/2/-50 E@5"},
        {"<HR WIDTH=150%></HR>", "", "0:-", "R@0/0/0/2/-100 R@0/0/0/2/-100 E@0"},
        {"x<HR WIDTH=300 ALIGN=RIGHT SIZE=5>", "x|||", "4:-", "R@2/1/0/5/300 E@4"},
        {"<HR ALIGN=middle WIDTH=-5 SIZE=7 ALIGN=Center>", "", "0:-", "R@0/0/0/7/-100 E@0"},
    });
}

TEST(HtmlTagHandlers, FontsClampAndWeightsSetBold) {
    expectParsed({
        {"<BASEFONT SIZE=6><BIG><FONT SIZE=+2>x", "x|", "0:s7 2:-", "E@2"},
        {"<B><FONT WEIGHT=150>x</FONT>y</B>", "xy|", "1:b 2:- 3:-", "E@3"},
        {"<FONT SIZE=1 SIZE=+3 WEIGHT=700>x", "x|", "0:s6,b 2:-", "E@2"},
        {"<BASEFONT SIZE=2>a<BASEFONT>b", "ab|", "0:s2 1:- 3:-", "E@3"},
        {"<SMALL><SMALL><SMALL>a</SMALL>b", "ab|", "0:s1 3:-", "E@3"},
        {"<U>a<A HREF=x>b</A>c</U>", "abc|", "0:u 1:L 2:u 3:- 4:-", "E@4"},
    });
}

TEST(HtmlTagHandlers, XmpAndPlaintextKeepTheirRawText) {
    expectParsed({
        {"<XMP><B>a</xmp>b", "|<B>a||b|", "1:m 7:- 9:-", "E@9"},
        {"<XMP></xmy></XMP>", "|</XMy>|||", "1:m 9:- 10:-", "E@10"},
        {"<XMP>a</X</XMP>b", "|a</X||b|", "1:m 7:- 9:-", "E@9"},  // "<" starts the match again
        {"<XMP>a&amp;\r\n</XM", "|a&amp;|", "1:m 8:-", "E@8"},
        {"</XMP>a", "|a|", "1:m 3:-", "E@3"},  // a stray end tag opens a block
        {"<B>a<PLAINTEXT><B>&amp;b\r\n", "a<B>&b|", "0:b 1:- 7:-", ""},
        {"x<P><PLAINTEXT>y", "xy", "1:- 2:-", ""},  // owed line feeds are dropped
    });
}

TEST(HtmlTagHandlers, TitleTextIsTakenOutOfTheDocument) {
    PageFixture page("<TITLE> My  &amp; Title </TITLE>Text", true);
    EXPECT_EQ(parsePage(page.reader()), 1);
    EXPECT_EQ(page.text(), "Text|");
    EXPECT_STREQ(page.reader().title.data(), "My & Title ");

    PageFixture longTitle("<TITLE>" + std::string(300, 't') + "<B>x", true);
    EXPECT_EQ(parsePage(longTitle.reader()), 1);
    EXPECT_EQ(longTitle.reader().title.data(), std::string(255, 't'));
    EXPECT_EQ(longTitle.text(), "x|");
    EXPECT_EQ(longTitle.styles(), "0:b 2:-");
}

struct LinkCase {
    std::string html;
    std::string text;
    std::string links;
    std::string anchors;
};

TEST(HtmlTagHandlers, LinksAndAnchorsAreRecordedAtTextPositions) {
    const LinkCase cases[] = {
        {"<A NAME=top>x</A><A HREF=#top>y</A><A HREF=other.htm#sec>z</A>", "xyz|",
         "1-2>C:\\site\\page.htm#top 2-3>C:\\site\\other.htm#sec", "top@0"},
        // A link without an end tag is closed by the next HREF.
        {"<A HREF=a.htm>x<A HREF=b.htm>y</A>", "xy|", "0-1>C:\\site\\a.htm 1-2>C:\\site\\b.htm",
         ""},
        {"<A HREF=x.htm NAME=n>t</A>", "t|", "0-1>C:\\site\\x.htm", "n@0"},
        // An anchor right before a block break points past the owed line feeds, and so does a
        // link that begins there.
        {"a<A NAME=n></A><P>b", "a||b|", "", "n@3"},
        {"a<A HREF=x.htm><P>b</A>", "a||b|", "3-4>C:\\site\\x.htm", ""},
        {"<A HREF=x.htm>a<P>b</A>", "a||b|", "0-4>C:\\site\\x.htm", ""},
        {"<A NAME=\"  \">x</A>", "x|", "", ""},
        {"<A HREF=x.htm>left open", "left open|", "", ""},
        {"<A HREF=x.htm></A>", "", "0-0>C:\\site\\x.htm", ""},
    };
    for (const LinkCase& c : cases) {
        PageFixture page(c.html, true);
        EXPECT_EQ(parsePage(page.reader()), 1);
        EXPECT_EQ(page.text(), c.text) << c.html;
        EXPECT_EQ(page.links(), c.links) << c.html;
        EXPECT_EQ(page.anchors(), c.anchors) << c.html;
    }
}

std::string queuedPages(const Bytes& queue) {
    std::string shown;
    for (size_t offset = 0; offset + 36 <= queue.size();) {
        const uint8_t* record = queue.data() + offset;
        const size_t length = loadLittleEndian16(record + 34);
        if (!shown.empty())
            shown += ' ';
        shown += std::string(reinterpret_cast<const char*>(record + 36), length) + "@" +
                 std::to_string(loadLittleEndian16(record + 32));
        offset += 36 + length;
    }
    return shown;
}

TEST(HtmlTagHandlers, FramesetQueuesFramesAtThePagesOwnDepthAndEndsThePage) {
    PageFixture page(
        "<B>before<FRAMESET><FRAME SRC=a.htm><p>ignored<FRAME NAME=x>"
        "<FRAME SRC=\"sub/../b.htm\"></FRAMESET><FRAME SRC=c.htm>text",
        true);
    page.reader().links.pageDepth = 3;
    EXPECT_EQ(parsePage(page.reader()), 1);
    EXPECT_EQ(queuedPages(page.callbacks.file("queue")),
              "C:\\site\\a.htm@3 C:\\site\\b.htm@3 C:\\site\\c.htm@3");
    EXPECT_EQ(page.text(), "before");  // no closing line feed, no page-end record
    EXPECT_EQ(page.blocks(), "");
    EXPECT_EQ(page.styles(), "0:b");
}

TEST(HtmlTagHandlers, BaseTakesTheFirstAbsoluteHref) {
    struct Case {
        const char* html;
        const char* base;
    } cases[] = {
        {"<BASE HREF=rel/ HREF=\"http://x.org/d/\">", "http://x.org/d/"},
        {"<BASE HREF=rel/>", "C:\\site\\"},
        {"<BASE HREF=\"C:/other/./dir/\">", "C:\\other\\dir\\"},
    };
    for (const Case& c : cases) {
        PageFixture page(c.html, true);
        EXPECT_EQ(parsePage(page.reader()), 1);
        EXPECT_STREQ(page.reader().links.baseUrl.data(), c.base) << c.html;
    }
}

}  // namespace
}  // namespace skerrit::testing
