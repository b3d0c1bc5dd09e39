// The page parse loop: tag and attribute lookup, dispatch, skipped elements, preformatted mode,
// item-start clearing and the end of the page; then the attribute value rules the handlers share.
#include <cctype>
#include <string>
#include <vector>

#include "HtmlHarness.h"
#include "html/AttributeValues.h"
#include "html/TagTables.h"

namespace skerrit::testing {
namespace {

TEST(HtmlTagTables, NamesAreSortedForFoldedBisectionAndAllFound) {
    for (int32_t id = 0; id < kTagCount; ++id) {
        const char* name = kTagNames[static_cast<size_t>(id)];
        if (id > 0) {
            EXPECT_LT(compareFolded(kTagNames[static_cast<size_t>(id - 1)], name), 0);
        }
        std::string lower = name;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(lookupTag(lower.c_str()).id, id) << name;
        const TagLookup end = lookupTag(("/" + std::string(name)).c_str());
        EXPECT_EQ(end.id, id);
        EXPECT_TRUE(end.isEnd);
    }
    for (int32_t id = 0; id < kAttrCount; ++id) {
        const char* name = kAttrNames[static_cast<size_t>(id)];
        if (id > 0) {
            EXPECT_LT(compareFolded(kAttrNames[static_cast<size_t>(id - 1)], name), 0);
        }
        EXPECT_EQ(lookupAttribute(name), id) << name;
    }
    EXPECT_EQ(kTagCount, 86);
    EXPECT_EQ(kAttrCount, 30);
    EXPECT_EQ(lookupTag("Xmp").id, kTagXmp);
    EXPECT_EQ(lookupTag("hR").id, kTagHr);
    for (const char* unknown : {"", "/", "BLINKER", "!DOCTYPE", "!--", "BR/", "H7", "Z"}) {
        EXPECT_EQ(lookupTag(unknown).id, kTagUnknown) << unknown;
    }
    EXPECT_EQ(lookupAttribute("href"), kAttrHref);
    EXPECT_EQ(lookupAttribute("HREFX"), kAttrUnknown);
}

TEST(HtmlPageParse, DispatchesTagsAndWritesTheEndOfThePage) {
    expectParsed({
        {"Hello<P>World", "Hello||World|", "13:-", "E@13"},
        {"<b>x</b>y", "xy|", "0:b 1:- 3:-", "E@3"},
        {"<B >x</b >y", "xy|", "0:b 1:- 3:-", "E@3"},
        {"<b>x</ b>y", "xy|", "0:b 3:-", "E@3"},  // "/" alone is no end tag
        {"a <BLINKER> b", "a b|", "4:-", "E@4"},
        {"a<!DOCTYPE html>b", "ab|", "3:-", "E@3"},
        {"a<BR/>b", "ab|", "3:-", "E@3"},
        {"a<BR />b", "a|b|", "4:-", "E@4"},
        {"a<OPTION>b</OPTION><TEXTAREA>c</TEXTAREA>", "abc|", "4:-", "E@4"},
        {"x<IMG SRC=a.gif>y", "xy|", "3:-", "E@3"},
        {"", "", "0:-", "E@0"},
        {"  \n ", "", "0:-", "E@0"},
        {"end", "end|", "4:-", "E@4"},
        {"text<PRE>\n", "text|||", "6:m 7:-", "E@7"},
    });
}

TEST(HtmlPageParse, SkipsElementsWhoseContentIsNotText) {
    expectParsed({
        {"a<SCRIPT>if (a < b && c > d) x</SCRIPT>b", "ab|", "3:-", "E@3"},
        {"a<SCRIPT>x<p>y", "a|", "2:-", "E@2"},
        {"a<EMBED SRC=x>b<i>c", "a|", "2:-", "E@2"},
        {"a<EMBED>b</EMBED>c", "ac|", "3:-", "E@3"},
        {"a<STYLE><!-- </STYLE> -->x</STYLE>b", "ab|", "3:-", "E@3"},
        {"<B>a<STYLE>p {x}</STYLE>b</B>", "ab|", "0:b 2:- 3:-", "E@3"},
        {"a</SCRIPT>b", "ab|", "3:-", "E@3"},
        {"a<NOFRAMES>b</NOFRAMES>c", "ac|", "3:-", "E@3"},
        {"a <APPLET> b </APPLET> c", "a c|", "4:-", "E@4"},
        {"a<SERVER>b</SERVER><LAYER>c</LAYER>d", "ad|", "3:-", "E@3"},
    });
}

TEST(HtmlPageParse, PreformattedModeKeepsWhitespaceAndStillDispatchesTags) {
    expectParsed({
        {"<PRE>a  b\n c</PRE>d", "|a  b| c||d|", "1:m 10:- 12:-", "E@12"},
        {"<PRE>a<B>\tb</B></PRE>", "|a\\x09b|||", "1:m 2:m,b 6:- 7:-", "E@7"},
        {"<pre>a</pre></pre> b  c", "|a||b c|", "1:m 4:- 8:-", "E@8"},
        {"<PRE>a\r\nb", "|a|b|", "1:m 5:-", "E@5"},
    });
}

TEST(HtmlPageParse, TextOfOnlyRunsIsSplitAt4096AndEndsWithALineFeed) {
    const std::string body(10000, 'w');
    PageFixture page(body, true);
    EXPECT_EQ(parsePage(page.reader()), 1);
    EXPECT_EQ(toText(page.callbacks.file("text")), body + "\n");
    EXPECT_EQ(page.styles(), "10001:-");
    EXPECT_EQ(page.reader().format.textPos, 10001u);
}

TEST(HtmlPageParse, OutputFailureEndsThePageButStillClosesIt) {
    const std::string body = std::string(5000, 'a') + "<B>" + std::string(5000, 'b');
    PageFixture page(body, true);
    page.callbacks.faults.failWriteAt = page.callbacks.counts().write + 1;  // the first text write
    EXPECT_EQ(parsePage(page.reader()), 1);
    // The loop stops at the failed write; the end of the page writes what it still can.
    EXPECT_EQ(page.blocks(), "E@" + std::to_string(page.reader().format.textPos));
    EXPECT_LT(page.reader().format.textPos, 10001u);
}

TEST(HtmlPageParse, ItemStartEndsWithTheFirstTagAfterTheItemsText) {
    expectParsed({
        {"<UL><LI>a<B>b</B>c</UL>", "|abc|||", "1:in2,item 2:b,in2 3:in2 6:- 7:-", "E@7"},
        {"<UL><LI><B>a</B>b</UL>", "|ab|||", "1:b,in2,item 2:in2 5:- 6:-", "E@6"},
        {"<UL><LI>a<LI>b</UL>", "|a|b|||", "1:in2,item 4:- 7:-", "E@7"},
    });
}

TEST(HtmlAttributeValues, SharedValueRules) {
    struct Case {
        const char* text;
        int32_t listStyle;
        int32_t number;
        SizeValue size;
    } cases[] = {
        {"1", 7, 1, {0, 1}},
        {"A", 3, 0, {0, 0}},
        {"a", 4, 0, {0, 0}},
        {"I", 5, 0, {0, 0}},
        {"i", 6, 0, {0, 0}},
        {"x", -1, 0, {0, 0}},
        {"", -1, 0, {0, 0}},
        {"disc", 0, 0, {0, 0}},
        {"Circle", 1, 0, {0, 0}},
        {"SQUARE", 2, 0, {0, 0}},
        {"squares", -1, 0, {0, 0}},
        {"+2", -1, 2, {1, 2}},
        {"-3", -1, -3, {1, -3}},
        {" \t+4x", -1, 4, {1, 4}},
        {"  7", -1, 7, {0, 7}},
        {"+", -1, 0, {1, 0}},
        {"50%", -1, 50, {0, 50}},
        {"99999999999", -1, 2147483647, {0, 2147483647}},
        {"-99999999999", -1, -2147483647 - 1, {1, -2147483647}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(listStyleValue(c.text), c.listStyle) << c.text;
        EXPECT_EQ(decimalNumber(c.text), c.number) << c.text;
        const SizeValue size = sizeValue(c.text);
        EXPECT_EQ(size.relative, c.size.relative) << c.text;
        EXPECT_EQ(size.value, c.size.value) << c.text;
    }
}

TEST(HtmlAttributeValues, AttributesAreFoundByNumberAndAlignmentIsFolded) {
    struct Case {
        const char* tag;
        int32_t alignment;
        const char* href;
    } cases[] = {
        {"<P ALIGN=center>", 1, nullptr},
        {"<P align=Right href=x>", 2, "x"},
        {"<P ALIGN=left ALIGN=right>", 0, nullptr},
        {"<P ALIGN=middle>", -1, nullptr},
        {"<P ALIGN HREF>", -1, ""},
        {"<P>", -1, nullptr},
    };
    for (const Case& c : cases) {
        PageFixture page(c.tag);
        page.tokens();
        EXPECT_EQ(alignmentValue(page.reader()), c.alignment) << c.tag;
        const char* href = getAttribute(page.reader(), kAttrHref);
        if (c.href == nullptr) {
            EXPECT_EQ(href, nullptr) << c.tag;
        } else {
            ASSERT_NE(href, nullptr) << c.tag;
            EXPECT_STREQ(href, c.href) << c.tag;
        }
    }
}

}  // namespace
}  // namespace skerrit::testing
