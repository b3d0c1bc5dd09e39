// Lists and tables as whole pages: numbering, START and TYPE, nesting, item-start marks, list end
// tags, definition lists; table borders, cell and row styles, BR inside tables, deep nesting.
#include <string>

#include "HtmlHarness.h"

namespace skerrit::testing {
namespace {

TEST(HtmlLists, NumbersStylesAndNesting) {
    expectParsed({
        {"<OL START=5><LI>a<LI>b</OL>", "|a|b|||", "1:in2,item,ls7,#5 3:in2,item,ls7,#6 4:- 7:-",
         "E@7"},
        {"<OL><LI START=9>a<LI>b</OL>", "|a|b|||", "1:in2,item,ls7,#9 3:in2,item,ls7,#10 4:- 7:-",
         "E@7"},
        // Each LI sets its list's style: without TYPE back to the default.
        {"<OL TYPE=A><LI>a<LI TYPE=a>b<LI TYPE=a>c</OL>", "|a|b|c|||",
         "1:in2,item,ls7,#1 3:in2,item,ls4,#2 5:in2,item,ls4,#3 6:- 9:-", "E@9"},
        {"<UL TYPE=square START=4><LI>a</UL>", "|a|||", "1:in2,item 2:- 5:-", "E@5"},
        {"<UL><LI TYPE=circle>a</UL>", "|a|||", "1:in2,item,ls1 2:- 5:-", "E@5"},
        {"<UL><LI TYPE=1>a</UL>", "|a|||", "1:in2,item 2:- 5:-", "E@5"},
        // Any list end tag closes the nearest list.
        {"<OL><LI>a</UL>b", "|a||b|", "1:in2,item,ls7,#1 2:- 6:-", "E@6"},
        // The outer list asks for a blank line, the inner one for a new line.
        {"<UL><LI>a<UL><LI>b</UL></UL>c", "|a|b||c|", "1:in2,item 3:in4,item 4:- 8:-", "E@8"},
        // An LI end tag ends the item; its mark ends before the line feeds that follow.
        {"<UL><LI>a</LI>b</UL>", "|a|b|||", "1:in2,item 2:in1 6:- 7:-", "E@7"},
        {"<LI>a", "a|", "0:in1,item 2:-", "E@2"},
        {"<DL><DT>t<DD>d<DT>u</DL>x", "|t|d|u||x|", "3:in1 5:- 10:-", "E@10"},
        {"<DL><DD>a<DD>b</DL>", "|a|b|||", "1:in1 6:- 7:-", "E@7"},
    });
}

TEST(HtmlTables, BordersBecomeRulesAndCellsStartFromTheDefaultStyle) {
    expectParsed({
        {"<TABLE BORDER><TR><TD>a<TD>b<TR><TD>c</TABLE>x", "||a||b||c|||x|", "14:-",
         "R@1/0/1/3/-100 R@4/0/1/1/-100 R@7/0/1/2/-100 R@10/0/1/3/-100 E@14"},
        {"<TABLE><TR><TD>a<TD>b</TABLE>x", "|a|b||x|", "8:-", "E@8"},
        {"<TABLE BORDER=0><TR><TD>a</TABLE>", "|a|||", "5:-", "E@5"},
        // The width is clamped to 15 before it is kept in a byte; a negative one draws nothing.
        {"<TABLE BORDER=256><TR><TD>a</TABLE>", "||a||||", "7:-",
         "R@1/0/1/3/-100 R@4/0/1/3/-100 E@7"},
        {"<TABLE BORDER=-1><TR><TD>a</TABLE>", "|a|||", "5:-", "E@5"},
        {"<B><CENTER><TABLE><TR><TD>a<TH>b</TABLE>c", "|a|b||c|", "3:b 6:c,b 8:-", "E@8"},
        // A cell starts from the default style, so a row's ALIGN does not reach its cells.
        {"<TABLE><TR ALIGN=right><TD>a<TD ALIGN=center><I>b</TABLE>", "|a|b|||", "3:c,i 6:- 7:-",
         "E@7"},
        // Formatting left open in a cell ends with the cell.
        {"<TABLE><TR><TD><B>a<TD>b</TABLE>", "|a|b|||", "1:b 3:- 7:-", "E@7"},
        // BR between a row and its first cell is ignored; inside a cell it breaks the line.
        {"<TABLE><TR>a<BR>b<TD>c<BR>d</TABLE>", "|ab|c|d|||", "10:-", "E@10"},
        {"a</TABLE>b", "ab|", "3:-", "E@3"},
    });
}

TEST(HtmlTables, LevelsBeyondSixteenAreCountedButDrawNoInnerRules) {
    std::string html;
    for (int level = 0; level < 17; ++level)
        html += "<TABLE BORDER><TR><TD>x<TD>";
    html += "y";
    for (int level = 0; level < 17; ++level)
        html += "</TABLE>";
    html += "<BR>z";
    PageFixture page(html, true);
    EXPECT_EQ(parsePage(page.reader()), 1);
    const std::string blocks = page.blocks();
    size_t rules = 0;
    for (size_t at = blocks.find('R'); at != std::string::npos; at = blocks.find('R', at + 1)) {
        ++rules;
    }
    // 17 opening rules, 16 cell rules and 16 closing rules: the 17th level keeps no state.
    EXPECT_EQ(rules, 17u + 16u + 16u);
    EXPECT_EQ(page.reader().tables.tableDepth, 0u);
}

// BR directly inside a row is ignored on the levels that keep state, and works deeper down.
TEST(HtmlTables, BreakOutsideACellIsIgnoredDownToTheSixteenthLevel) {
    struct LevelCase {
        int levels;
        const char* expectedEnd;
    };
    for (const LevelCase& test : {LevelCase{16, "ab|"}, LevelCase{17, "a|b|"}}) {
        std::string html;
        for (int level = 0; level < test.levels; ++level)
            html += "<TABLE><TR>";
        PageFixture page(html + "a<BR>b", true);
        EXPECT_EQ(parsePage(page.reader()), 1);
        EXPECT_TRUE(page.text().ends_with(test.expectedEnd)) << test.levels << " levels";
    }
}

TEST(HtmlLists, AListPushedOntoAFullStackLeavesTheListBelowAlone) {
    std::string html;
    for (int i = 0; i < kElementStackCapacity; ++i)
        html += "<OL>";
    html += "<OL START=50><LI>x";  // both pushes are ignored; the LI numbers the top OL
    PageFixture page(html, true);
    EXPECT_EQ(parsePage(page.reader()), 1);
    EXPECT_EQ(page.styles(), "1:in7,ls7,#1 3:-");
}

TEST(HtmlListsTables, DeepNestingStaysWithinTheStack) {
    std::string html;
    for (int i = 0; i < 10000; ++i)
        html += "<UL><LI><TABLE><TR><TD><B>";
    html += "deep";
    PageFixture page(html, true);
    EXPECT_EQ(parsePage(page.reader()), 1);
    // Full: the cells near the top cut what the ignored pushes left behind them.
    EXPECT_LE(page.elements().count, kElementStackCapacity);
    EXPECT_GE(page.elements().count, kElementStackCapacity - 6);
    EXPECT_EQ(page.reader().tables.tableDepth, 10000u);
    EXPECT_TRUE(page.text().ends_with("deep|"));
}

}  // namespace
}  // namespace skerrit::testing
