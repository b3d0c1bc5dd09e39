// Hostile and broken sites through the whole driver with the program's own HTML reader: pages
// that end inside a tag, a comment, a reference or a link; nesting 10,000 deep; a page that frames
// itself (the page limit ends it); links to names of 2000 characters; pages linking in a cycle.
// Each must convert, release everything, and give a database whose text decodes and whose extra
// records lie inside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/ConvertDocument.h"
#include "engine/ResultCodes.h"
#include "support/MemoryCallbacks.h"
#include "support/ZlibRecordDecoder.h"

namespace skerrit::testing {
namespace {

constexpr const char* kStart = "/site/start.htm";
constexpr const char* kDestination = "/out.pdb";

struct Page {
    std::string name;
    std::string html;
};

struct Converted {
    int32_t result = -1;
    std::string text;
    int pagesOpened = 0;
};

Converted convertSite(const std::vector<Page>& pages) {
    MemoryCallbacks memory;
    memory.disableProgress();
    for (const Page& page : pages)
        memory.addFile(page.name, page.html);
    const ConversionRequest request{&memory.table(), kStart,  kDestination, "Bad",  0, 0, 0,
                                    kNotSet,         kNotSet, kNotSet,      kNotSet};
    Converted converted;
    converted.result = convertDocumentWith(request, builtInHtmlConverter());
    converted.pagesOpened = memory.counts().open - 2;  // besides source and destination
    EXPECT_EQ(memory.openFiles(), 0);
    EXPECT_EQ(memory.liveAllocations(), 0);
    EXPECT_EQ(memory.misuseCount(), 0);

    std::string error;
    const ParsedDatabase database = parseDatabase(memory.file(kDestination), &error);
    EXPECT_EQ(error, "");
    if (!error.empty())
        return converted;
    const DecodedTextPart decoded = decodeTextPart(database);
    EXPECT_EQ(decoded.error, "");
    converted.text = toText(decoded.text);

    // Every group of extra records starts at or after the text part and ends inside the database.
    const Bytes& header = database.records.at(0);
    const uint32_t textPart = loadBigEndian16(header.data() + 18);
    for (const size_t field : {20u, 24u, 28u, 38u}) {
        const uint32_t first = loadBigEndian16(header.data() + field);
        const uint32_t count = loadBigEndian16(header.data() + field + 2);
        EXPECT_GE(first, textPart) << field;
        EXPECT_LE(first + count, database.records.size()) << field;
    }
    return converted;
}

TEST(HtmlBadInput, PagesEndingInsideAConstructConvert) {
    struct Case {
        const char* html;
        const char* text;
    } cases[] = {
        // An unfinished tag is dropped, a lone "&" at the end produces nothing.
        {"<HTML>text <A HREF=\"other.htm", "text \n"},
        {"<HTML>text <A HREF=other.htm>open link", "text open link\n"},
        {"<HTML>text <!-- never closed", "text \n"},
        {"<HTML>text <!", "text \n"},
        {"<HTML>text &am", "text &am\n"},
        {"<HTML>text &#65", "text A\n"},
        {"<HTML>text &", "text \n"},
        {"<HTML><XMP>raw </XM", "\nraw \n"},
        {"<HTML><SCRIPT>never ended", "\n"},
        {"<HTML><TITLE>only a title", "\n"},
        {"<HTML><FRAMESET><FRAME SRC=", "\n"},
        {"<HTML>text <", "text \n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.html);
        const Converted converted = convertSite({{kStart, c.html}, {"/site/other.htm", "x"}});
        EXPECT_EQ(converted.result, kResultOk);
        EXPECT_EQ(converted.text, c.text);
    }
}

TEST(HtmlBadInput, NestingTenThousandDeep) {
    std::string html = "<HTML>";
    for (int i = 0; i < 10000; ++i)
        html += "<UL><LI><TABLE BORDER><TR><TD><B><FONT SIZE=7><A HREF=a.htm>";
    html += "deep";
    for (int i = 0; i < 10000; ++i)
        html += "</A></FONT></B></TD></TR></TABLE></UL>";
    const Converted converted = convertSite({{kStart, html}, {"/site/a.htm", "a page"}});
    EXPECT_EQ(converted.result, kResultOk);
    EXPECT_NE(converted.text.find("deep"), std::string::npos);
    EXPECT_TRUE(converted.text.ends_with("a page\n"));
}

// Each time the page is parsed it queues itself again; the conversion stops at the page limit.
TEST(HtmlBadInput, PageThatFramesItselfEndsAtThePageLimit) {
    const Converted converted = convertSite(
        {{kStart, "<HTML><FRAMESET><FRAME SRC=start.htm><FRAME SRC=START.HTM></FRAMESET>"}});
    EXPECT_EQ(converted.result, kResultOk);
    EXPECT_EQ(converted.pagesOpened, 32000 - 1);  // the start page is the open source
    EXPECT_EQ(converted.text, "\n");
}

TEST(HtmlBadInput, LongNamesAndCycles) {
    const std::string longName(2000, 'n');
    const Converted converted = convertSite({
        {kStart, "<HTML><A HREF=\"" + longName + "\">long</A> <A HREF=b.htm>b</A> <A HREF=\"#" +
                     longName + "\">fragment</A><A NAME=\"" + longName + "\">here</A>"},
        {"/site/b.htm", "<A HREF=START.HTM>back</A> <A HREF=b.htm>self</A>"},
        {"/site/" + longName.substr(0, 255 - 6), "cut name"},
    });
    EXPECT_EQ(converted.result, kResultOk);
    EXPECT_EQ(converted.text, "long b fragmenthere\ncut name\nback self\n");
}

}  // namespace
}  // namespace skerrit::testing
