// The formatted text output: the break model, style runs written when the computed style changes,
// anchors and links moved past owed line feeds, the end of a page, and the style computation.
// A case is a script of steps run against one reader with its three output streams:
//   word          a text run: flushPending with the page's style, then the word is appended
//   /line /para /force /block /br /flush
//                 breakLine, breakParagraph, forceLineBreak, endBlock, one more owed line feed
//                 (as BR does), flushBreaks
//   +K or +K:x    push element kind K (with argument x); -K removes the topmost K
//   ~item         the innermost list item's first text has been followed by a tag
//   #anchor       an anchor "n" recorded at the current position; @link opens a link
//   $end          the end-of-page steps
#include <sstream>
#include <string>
#include <vector>

#include "HtmlHarness.h"
#include "html/StyleComputation.h"
#include "html/TextOutput.h"
#include "htmldoc/AnchorTable.h"

namespace skerrit::testing {
namespace {

void runScript(PageFixture& page, const std::string& script) {
    HtmlReader& reader = page.reader();
    TextStyle current = kDefaultTextStyle;
    std::istringstream steps(script);
    std::string step;
    while (steps >> step) {
        if (step == "/line") {
            breakLine(reader);
        } else if (step == "/para") {
            breakParagraph(reader);
        } else if (step == "/force") {
            forceLineBreak(reader);
        } else if (step == "/block") {
            endBlock(reader);
        } else if (step == "/br") {
            ++reader.format.pendingNewlines;
        } else if (step == "/flush") {
            ASSERT_TRUE(flushBreaks(reader));
        } else if (step[0] == '+') {
            const size_t colon = step.find(':');
            const int32_t kind = std::stoi(step.substr(1, colon));
            const int32_t x = colon == std::string::npos ? 0 : std::stoi(step.substr(colon + 1));
            pushElementWithArgument(page.elements(), kind, x);
        } else if (step[0] == '-') {
            removeElement(page.elements(), std::stoi(step.substr(1)));
        } else if (step == "~item") {
            clearItemStart(page.elements());
        } else if (step == "#anchor") {
            ASSERT_EQ(addAnchor(linkStoreOf(reader), reader.format.textPos, "n",
                                reader.links.lastAnchorRef),
                      1);
            reader.links.lastAnchorPos = reader.format.textPos;
        } else if (step == "@link") {
            reader.links.linkStart = reader.format.textPos;
        } else if (step == "$end") {
            ASSERT_TRUE(flushPending(reader, current));
            closePageText(reader);
        } else {
            ASSERT_TRUE(flushPending(reader, current));
            ASSERT_TRUE(appendText(reader, reinterpret_cast<const uint8_t*>(step.data()),
                                   static_cast<uint32_t>(step.size())));
        }
    }
}

struct OutputCase {
    const char* script;
    const char* text;
    const char* styles;
    const char* blocks;
};

TEST(HtmlTextOutput, OwedLineBreaksCollapseIntoTheLargestNeed) {
    const OutputCase cases[] = {
        {"Hello /block World $end", "Hello||World|", "13:-", "E@13"},
        {"a /br /br b $end", "a||b|", "5:-", "E@5"},
        {"a /line /line b $end", "a|b|", "4:-", "E@4"},
        {"a /br /para b $end", "a||b|", "5:-", "E@5"},
        {"a /line /para b $end", "a||b|", "5:-", "E@5"},
        {"a /force /force b /force c $end", "a|b|c|", "6:-", "E@6"},
        {"a /block /block /para b $end", "a||b|", "5:-", "E@5"},
        // A page starts after a line break: a paragraph break owes one line feed, a block two.
        {"/para a $end", "|a|", "3:-", "E@3"},
        {"/block a $end", "||a|", "4:-", "E@4"},
        {"/line a $end", "a|", "2:-", "E@2"},
        // Owed line feeds are not the text's own: the closing line feed is still added.
        {"a /block $end", "a|||", "4:-", "E@4"},
        {"a /line /flush b $end", "a|b|", "4:-", "E@4"},
        {"$end", "", "0:-", "E@0"},
    };
    for (const OutputCase& c : cases) {
        PageFixture page("", true);
        runScript(page, c.script);
        EXPECT_EQ(page.text(), c.text) << c.script;
        EXPECT_EQ(page.styles(), c.styles) << c.script;
        EXPECT_EQ(page.blocks(), c.blocks) << c.script;
    }
}

TEST(HtmlTextOutput, StyleRunsFollowTheElementStack) {
    const OutputCase cases[] = {
        {"+2 bold -2 plain $end", "boldplain|", "0:b 4:- 10:-", "E@10"},
        {"a +2 -2 b $end", "ab|", "3:-", "E@3"},  // no run for a style that never had text
        {"+2 a /block +22 b $end", "a||b|", "0:b 3:b,i 5:-", "E@5"},
        // The line feeds take the style of the text before them.
        {"+16 Title -16 /block text $end", "Title||text|", "0:h,s7 7:- 12:-", "E@12"},
        // The item-start mark ends with the item's first text, before the owed line feeds.
        {"+42 +24:1 one ~item /para two $end", "one||two|", "0:in2,item 3:in2 9:-", "E@9"},
        {"+42 +24:1 one ~item two $end", "onetwo|", "0:in2,item 3:in2 7:-", "E@7"},
        {"+26:7 +24:1 one /line two $end", "one|two|", "0:in2,item,ls7 8:-", "E@8"},
    };
    for (const OutputCase& c : cases) {
        PageFixture page("", true);
        runScript(page, c.script);
        EXPECT_EQ(page.text(), c.text) << c.script;
        EXPECT_EQ(page.styles(), c.styles) << c.script;
        EXPECT_EQ(page.blocks(), c.blocks) << c.script;
    }
}

TEST(HtmlTextOutput, AnchorsAndLinksMovePastOwedLineFeeds) {
    struct Case {
        const char* script;
        const char* anchors;
        uint32_t linkStart;
    } cases[] = {
        {"a #anchor /block b", "n@3", kNone},
        {"a #anchor b /block c", "n@1", kNone},
        {"#anchor /para b", "n@1", kNone},
        {"a #anchor /line #anchor /block b", "n@1 n@3", kNone},  // only the newest moves
        {"a /block @link b", "", 3},
        {"a @link b /block c", "", 1},  // a link that covers text keeps its start
    };
    for (const Case& c : cases) {
        PageFixture page("", true);
        runScript(page, c.script);
        EXPECT_EQ(page.anchors(), c.anchors) << c.script;
        EXPECT_EQ(page.reader().links.linkStart, c.linkStart) << c.script;
    }
}

TEST(HtmlTextOutput, LongTextAndLongLineFeedRunsKeepExactPositions) {
    PageFixture page("", true);
    HtmlReader& reader = page.reader();
    const std::vector<uint8_t> run(kRunBufferSize, 'x');
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(appendText(reader, run.data(), kRunBufferSize));
    reader.format.pendingNewlines = 70000;  // more than a 16-bit count
    TextStyle current = kDefaultTextStyle;
    ASSERT_TRUE(flushPending(reader, current));
    closePageText(reader);
    const Bytes& text = page.callbacks.file("text");
    ASSERT_EQ(text.size(), 3u * kRunBufferSize + 70000u + 1u);
    EXPECT_EQ(reader.format.textPos, text.size());
    EXPECT_EQ(text[3 * kRunBufferSize - 1], 'x');
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(page.blocks(), "E@" + std::to_string(text.size()));
}

TEST(HtmlTextOutput, FailedWritesFailAndKeepTheBufferedText) {
    PageFixture page("", true);
    HtmlReader& reader = page.reader();
    page.callbacks.faults.failWriteAt = page.callbacks.counts().write + 1;
    const std::vector<uint8_t> run(3000, 'y');
    ASSERT_TRUE(appendText(reader, run.data(), 3000));
    EXPECT_FALSE(appendText(reader, run.data(), 3000));
    EXPECT_EQ(reader.format.textPos, 3000u);
    EXPECT_EQ(reader.format.outputCount, 3000u);
    EXPECT_TRUE(flushText(reader));
    EXPECT_EQ(page.callbacks.file("text").size(), 3000u);

    page.callbacks.faults.failWriteAt = page.callbacks.counts().write + 1;
    pushElement(page.elements(), kElementBold);
    TextStyle current = kDefaultTextStyle;
    EXPECT_FALSE(flushPending(reader, current));
}

TEST(HtmlTextOutput, RecordsAreLittleEndianAtTheirOffsets) {
    uint8_t style[kTextStyleBytes];
    TextStyle sample = kDefaultTextStyle;
    sample.alignment = 2;
    sample.listStyle = 7;
    sample.itemNumber = 0x1234;
    encodeTextStyle(sample, style);
    EXPECT_EQ(loadLittleEndian32(style + 0), 2u);        // alignment
    EXPECT_EQ(loadLittleEndian32(style + 8), 3u);        // font size
    EXPECT_EQ(loadLittleEndian32(style + 48), 7u);       // list style
    EXPECT_EQ(loadLittleEndian16(style + 52), 0x1234u);  // item number
    EXPECT_EQ(loadLittleEndian16(style + 54), 0u);       // reserved

    uint8_t block[kBlockRecordBytes];
    encodeBlockRecord(BlockRecord{0x01020304, kBlockRule, 1, 1, 3, -50}, block);
    EXPECT_EQ(loadLittleEndian32(block + 0), 0x01020304u);   // position
    EXPECT_EQ(loadLittleEndian32(block + 4), 1u);            // kind
    EXPECT_EQ(loadLittleEndian32(block + 20), 0xFFFFFFCEu);  // width -50
}

struct StyleCase {
    std::vector<ElementEntry> stack;
    const char* expected;
};

TEST(HtmlStyleComputation, AppliesTheStackFromBottomToTop) {
    const StyleCase cases[] = {
        {{}, "-"},
        // Sizes: BASEFONT 6, BIG, FONT +2 clamps at 7; relative sizes start from the current one.
        {{{kElementBaseFont, 0, 6, -1}, {kElementBig}, {kElementFont, 1, 2, -1}}, "s7"},
        {{{kElementFont, 1, -5, -1}}, "s1"},
        {{{kElementFont, 1, 2147483647, -1}}, "s7"},
        {{{kElementFont, 0, 8, -1}}, "s7"},
        {{{kElementBaseFont, 0, 0, -1}}, "-"},
        {{{kElementSmall}, {kElementSmall}, {kElementSmall}}, "s1"},
        {{{kElementFont, 0, 5, 1}}, "s5,b"},
        {{{kElementBold}, {kElementFont, 0, 0, 0}}, "-"},
        {{{kElementBold}, {kElementFont, 0, 0, -1}}, "b"},
        // Cells and rows start from the default style.
        {{{kElementCenter}, {kElementBold}, {kElementTableHeader, -1}}, "b"},
        {{{kElementBold}, {kElementTableData, -1}}, "-"},
        {{{kElementTableData, -1}, {kElementBold}}, "b"},
        {{{kElementTable, 1}, {kElementTableRow, 2}}, "r"},
        // A link stays a link inside U; U alone underlines.
        {{{kElementLink}, {kElementUnderline}}, "L"},
        {{{kElementUnderline}, {kElementLink}}, "L"},
        {{{kElementUnderline}}, "u"},
        {{{kElementHeading1, -1}}, "h,s7"},
        {{{kElementCenter}, {kElementHeading1 + 5, 2}}, "r,h,s2"},
        {{{kElementDiv, 1}, {kElementParagraph, -1}}, "c"},
        {{{kElementUnorderedList, 1, 0}, {kElementListItem, 1}}, "in2,item,ls1"},
        {{{kElementOrderedList, 7, 4}, {kElementListItem, 0}}, "in2,ls7,#4"},
        {{{kElementOrderedList, 7, 0x10005}}, "in1,ls7,#5"},
        {std::vector<ElementEntry>(9, ElementEntry{kElementBlockquote, 0, 0, 0}), "in7"},
        {{{kElementItalic}, {kElementShortStrike}, {kElementSub}, {kElementSup}, {kElementCode}},
         "m,i,x,sub,sup"},
        {{{kElementBlink}, {kElementDefinitionList}, {kElementDefinition}}, "in1"},
    };
    for (const StyleCase& c : cases) {
        ElementStack stack{};
        for (const ElementEntry& entry : c.stack) {
            pushSizedElement(stack, entry.kind, entry.x, entry.y, 0);
            stack.entries[static_cast<size_t>(stack.count - 1)].z = entry.z;
        }
        EXPECT_EQ(showStyle(computeStyle(stack)), c.expected) << c.expected;
    }
}

TEST(HtmlStyleComputation, ListStyleAndNumberCountOnlyAtAnItemStart) {
    TextStyle a = kDefaultTextStyle;
    TextStyle b = kDefaultTextStyle;
    b.listStyle = 3;
    b.itemNumber = 9;
    EXPECT_TRUE(sameStyle(a, b));
    a.itemStart = b.itemStart = 1;
    EXPECT_FALSE(sameStyle(a, b));
    a.listStyle = 3;
    a.itemNumber = 9;
    EXPECT_TRUE(sameStyle(a, b));
    b.bold = 1;
    EXPECT_FALSE(sameStyle(a, b));
}

TEST(HtmlElementStack, FullStackIgnoresPushesAndRemoveKeepsOrder) {
    ElementStack stack{};
    for (int i = 0; i < 300; ++i)
        pushElement(stack, kElementBold);
    EXPECT_EQ(stack.count, kElementStackCapacity);

    emptyStack(stack);
    pushElement(stack, kElementBold);
    pushElement(stack, kElementItalic);
    pushElement(stack, kElementBold);
    pushElement(stack, kElementUnderline);
    removeElement(stack, kElementBold);
    removeElement(stack, kElementStrike);  // not on the stack: nothing happens
    ASSERT_EQ(stack.count, 3);
    EXPECT_EQ(stack.entries[0].kind, kElementBold);
    EXPECT_EQ(stack.entries[1].kind, kElementItalic);
    EXPECT_EQ(stack.entries[2].kind, kElementUnderline);

    pushElementWithArgument(stack, kElementParagraph, 1);
    pushElementWithArgument(stack, kElementHeading1 + 2, -1);
    closeParagraph(stack);
    EXPECT_EQ(stack.entries[static_cast<size_t>(stack.count - 1)].kind, kElementParagraph);
}

}  // namespace
}  // namespace skerrit::testing
