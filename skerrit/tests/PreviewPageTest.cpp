// The preview's page for hand-made books: the handheld's characters as Unicode, list markers,
// markup characters, links that lead nowhere, link targets on a line feed and at the very end,
// and rules that stand inside a line. The page is read back as a browser sees its structure.
#include <gtest/gtest.h>

#include <string>

#include "html/EntityTables.h"
#include "htmldoc/SectionRecords.h"
#include "preview/BookHtml.h"
#include "preview/HandheldCharacters.h"
#include "support/PreviewPageReader.h"

namespace skerrit::testing {
namespace {

using preview::Book;

TEST(PreviewPage, HandheldCharactersBecomeUnicode) {
    struct Case {
        uint8_t byte;
        char32_t codePoint;
    } cases[] = {
        {'A', 'A'},     {'\t', '\t'},   {'\n', '\n'},   {'\r', 0x240D}, {0, 0x2400},
        {0x1F, 0x241F}, {0x7F, 0x2421}, {0x80, 0x20AC}, {0x81, 0xFFFD}, {0x83, 0x0192},
        {0x8D, 0x2666}, {0x8E, 0x2663}, {0x8F, 0x2665}, {0x90, 0x2660}, {0x91, 0x2018},
        {0x96, 0x2013}, {0x99, 0x2122}, {0x9D, 0xFFFD}, {0x9E, 0x017E}, {0x9F, 0x0178},
        {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(static_cast<uint32_t>(preview::handheldCodePoint(test.byte)),
                  static_cast<uint32_t>(test.codePoint))
            << "byte " << int{test.byte};
    }
    // The preview reads back every code the HTML reader writes for a code point above 255.
    for (const UnicodeMapEntry& entry : UnicodeMapTable) {
        EXPECT_EQ(static_cast<uint32_t>(preview::handheldCodePoint(entry.code)), entry.codePoint);
    }
    EXPECT_EQ(preview::handheldTextToUtf8("\xE9\x99\x8D\r"),
              "\xC3\xA9\xE2\x84\xA2\xE2\x99\xA6\xE2\x90\x8D");
}

TEST(PreviewPage, ListMarkers) {
    struct Case {
        uint32_t listStyle;
        uint32_t number;
        const char* marker;
    } cases[] = {
        {0, 0, "\u2022"},   {1, 0, "\u25E6"}, {2, 0, "\u25AA"}, {3, 1, "A."},    {3, 26, "Z."},
        {3, 27, "AA."},     {4, 28, "ab."},   {5, 4, "IV."},    {5, 14, "XIV."}, {6, 9, "ix."},
        {6, 256, "cclvi."}, {7, 1, "1."},     {7, 256, "256."},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(preview::listMarker(test.listStyle, test.number), test.marker)
            << test.listStyle << " " << test.number;
    }
}

// A VaDo book with the given text and tables, as the reader would hand it over.
Book handMadeBook(const std::string& text) {
    Book book;
    std::snprintf(book.header.name.data(), book.header.name.size(), "Hand & <made>");
    book.text = text;
    return book;
}

TEST(PreviewPage, MarkupCharactersAndLinksThatLeadNowhereShowAsText) {
    Book book = handMadeBook("a <b> & \"c\"\nlink here\nend");
    const uint16_t link = styleword::kLink | 3;
    book.styleRuns = {{0, 12, 3, 0}, {12, 16, link, 0}, {16, 25, 3, 0}};
    const PreviewPage page = readPreviewPage(preview::renderBookHtml(book));
    ASSERT_EQ(page.error, "");
    EXPECT_EQ(page.title, "Hand & <made>");
    EXPECT_EQ(page.text(), book.text);
    // Shown as a link, but with nowhere to go it is no <a>.
    for (uint32_t at = 12; at < 16; ++at) {
        EXPECT_EQ(page.characters[at].spanClasses, "lk");
        EXPECT_EQ(page.characters[at].linkTarget, -1);
    }
    EXPECT_TRUE(page.hrefs.empty());
    // The last line has no line feed of its own.
    ASSERT_EQ(page.lines.size(), 3u);
    EXPECT_EQ(page.lines[2].classes, "l cut");
}

TEST(PreviewPage, TargetsOnALineFeedAndAtTheEndExist) {
    Book book = handMadeBook("first\n\nsecond\n");
    // A link over "first" to the empty line, one over "second" to the end of the book, one
    // split in two entries of the same target.
    book.links = {{0, 3, 6}, {3, 2, 6}, {7, 6, 14}};
    const PreviewPage page = readPreviewPage(preview::renderBookHtml(book));
    ASSERT_EQ(page.error, "");
    EXPECT_EQ(page.text(), book.text);
    EXPECT_EQ(page.ids.at("t6"), 6u);
    EXPECT_EQ(page.ids.at("t14"), 14u);
    EXPECT_EQ(page.textAt(6, 3), "\nse");
    for (uint32_t at = 0; at < 5; ++at)
        EXPECT_EQ(page.characters[at].linkTarget, 6);
    for (uint32_t at = 7; at < 13; ++at)
        EXPECT_EQ(page.characters[at].linkTarget, 14);
    EXPECT_EQ(page.hrefs, (std::vector<std::string>{"#t6", "#t14"}));
}

TEST(PreviewPage, RulesStandBeforeTheirLineAndCutALineTheyStandIn) {
    Book book = handMadeBook("above\nbelow and more\n");
    // A full-width shaded rule at the start of the second line, a solid left rule of half the
    // line inside it, a right rule 200 pixels wide at the end of the book.
    book.rules = {{6, 2, 0},
                  {12, rulebyte::kNoShade | rulebyte::kLeft | rulebyte::kHasWidthWord | 5,
                   widthword::kPercent | 50},
                  {21, rulebyte::kRight | rulebyte::kHasWidthWord | 1, 200}};
    const PreviewPage page = readPreviewPage(preview::renderBookHtml(book));
    ASSERT_EQ(page.error, "");
    EXPECT_EQ(page.text(), book.text);
    ASSERT_EQ(page.rules.size(), 3u);
    EXPECT_EQ(page.rules[0].position, 6u);
    EXPECT_EQ(page.rules[0].classes, "rule");
    EXPECT_EQ(page.rules[0].style, "height:2px");
    EXPECT_EQ(page.rules[1].position, 12u);
    EXPECT_EQ(page.rules[1].classes, "rule solid left");
    EXPECT_EQ(page.rules[1].style, "height:5px;width:50%");
    EXPECT_EQ(page.rules[2].position, 21u);
    EXPECT_EQ(page.rules[2].classes, "rule right");
    EXPECT_EQ(page.rules[2].style, "height:1px;width:200px");
    ASSERT_EQ(page.lines.size(), 3u);
    EXPECT_EQ(page.lines[1].classes, "l cut");  // "below " up to the rule
    EXPECT_EQ(page.lines[2].start, 12u);
}

}  // namespace
}  // namespace skerrit::testing
