// The tokenizer: text runs, character references, tags and comments, each case read whole and
// again moved across the 1024-byte refill at every byte, so that push-back over the buffer start
// is exercised; then the page input's own rules (progress hook, read errors, push-back limits).
#include <string>
#include <vector>

#include "HtmlHarness.h"
#include "html/EntityTables.h"

namespace skerrit::testing {
namespace {

struct TokenCase {
    const char* page;
    const char* expected;
};

void expectTokens(const std::vector<TokenCase>& cases, bool preformatted) {
    for (const TokenCase& c : cases) {
        const std::string page = c.page;
        {
            PageFixture fixture(page);
            EXPECT_EQ(fixture.tokens(preformatted), c.expected) << "page: " << showBytes(page);
        }
        for (size_t at = 0; at <= page.size(); ++at) {
            PageFixture fixture(placedAcrossRefill(page, at));
            EXPECT_EQ(fixture.tokens(preformatted), std::string("<!-->") + c.expected)
                << "page: " << showBytes(page) << " with byte " << at << " starting a buffer";
        }
    }
}

TEST(HtmlTokenizer, CollapsesWhitespaceAndDecodesReferences) {
    expectTokens(
        {
            {"a  \t\n b", "a b"},
            {" \r\n  x", "x"},        // a page starts in the space state
            {"a\xA0 b", "a\\xA0 b"},  // no-break space is an ordinary byte
            {"&amp; and &amp x", "& and & x"},
            {"&ampx", "&x"},
            {"&AMP; &am;", "&AMP; &am;"},
            {"&notin;", "\\xACin;"},
            {"&copy", "\\xA9"},
            {"&yuml;&AElig;&nbsp;&quot;", "\\xFF\\xC6\\xA0\""},
            {"&lt;b&gt;", "<b>"},  // decoded, not a tag
            {"&#65; &#00065", "A A"},
            {"&#0065;", "A"},
            {"&#8482;&#338;&#9830;", "\\x99\\x8C\\x8D"},
            {"&#255;&#1;", "\\xFF\\x01"},
            {"&#256;&#0256;", "&256;&0256;"},  // above 255 only the map table decodes
            {"&#8364;", "&8364;"},
            {"&#9999;", "&9999;"},
            {"&#x41;", "&x41;"},
            {"&#12345;", "&12345;"},
            {"&#10000;", "&10000;"},
            {"&#0;", "&0;"},
            {"&#;", "&;"},
            {"a&#10;b", "a b"},
            {"a &#32; &#9;b", "a b"},
            {"x&", "x"},
            {"&am", "&am"},
            {"&#", "&"},
            {"&#00", "&00"},
            {"&#123", "{"},
            {"& b", "& b"},
            {"&<b>", "&<b>"},
        },
        false);
}

TEST(HtmlTokenizer, PreformattedRunsKeepWhitespace) {
    expectTokens(
        {
            {"a\r\n\tb  c", "a|\\x09b  c"},
            {"  x", "  x"},
            {"x&#13;y&#10;z", "xy|z"},
            {"a<b>b", "a<b>b"},
            {"&amp;&lt;", "&<"},
        },
        true);
}

TEST(HtmlTokenizer, ReadsTagsWithEveryAttributeRule) {
    expectTokens(
        {
            {"<B CLASS=x>", "<B CLASS=\"x\">"},
            {"< B>t</B >", "<B>t</B>"},
            {"</ B>", "</ B=\"\">"},
            {"<A HREF = 'x y'>", "<A HREF=\"x y\">"},
            {"<A HREF=\"  x\">", "<A HREF=\"x\">"},
            {"<A HREF=\"x  \" >", "<A HREF=\"x\">"},
            {"<IMG SRC=a.gif ISMAP>", "<IMG SRC=\"a.gif\" ISMAP=\"\">"},
            {"<A HREF=\"x\"TITLE=y>", "<A HREF=\"x\" ITLE=\"y\">"},
            {"<a b = >", "<a b=\"\">"},
            {"<a b=>c", "<a b=\"\">c"},
            {"<a \"n m\"=v>", "<a n m=\"v\">"},
            {"<a ''>", "<a >=\"\">"},  // the closing quote opens a name
            {"<a \"\">x\">y", "<a >x=\"\">y"},
            {"<a href=\"x>y\">z", "<a href=\"x>y\">z"},
            {"<a href=\"x", "<a href=\"x\">"},
            {"<a b", "<a b=\"\">"},
            {"<BR/>", "<BR/>"},
            {"<BR />", "<BR /=\"\">"},
            {"<!DOCTYPE html>", "<!DOCTYPE html=\"\">"},
            {"<>x", "<>x"},
            {"<", "<>"},
        },
        false);
}

TEST(HtmlTokenizer, SkipsComments) {
    expectTokens(
        {
            {"<!-- a > b -->c", "<!-->c"},
            {"<!-- \"-->\" -->c", "<!-->c"},
            {"<!-- - -> --->c", "<!-->c"},
            {"<!--a>b-->", "<!--a>b-->"},
            {"<!-- never closed", "<!-->"},
            {"a <!-- x --> b", "a <!-->b"},
        },
        false);
}

TEST(HtmlTokenizer, CutsOverlongTagsToTheirCapacities) {
    const std::string longName(40, 'N');
    PageFixture names("<" + longName + " " + std::string(40, 'a') + "=1 \"" + std::string(40, 'q') +
                      "\"=2>");
    names.tokens();
    EXPECT_EQ(std::string(names.reader().tag.name.data()), std::string(31, 'N'));
    EXPECT_EQ(std::string(names.reader().tag.attributes[0].name), std::string(31, 'a'));
    EXPECT_EQ(std::string(names.reader().tag.attributes[1].name), std::string(31, 'q'));

    std::string many = "<x";
    for (int i = 0; i < 40; ++i)
        many += " a" + std::to_string(i) + "=" + std::to_string(i);
    PageFixture forty(many + ">after");
    EXPECT_TRUE(forty.tokens().ends_with("a31=\"31\">after"));
    HtmlReader& reader = forty.reader();
    ASSERT_EQ(reader.tag.attributeCount, 32u);
    EXPECT_EQ(std::string(reader.tag.attributes[31].name), "a31");
    EXPECT_EQ(std::string(reader.tag.attributes[31].value), "31");

    // Five values of 1500 bytes: each cut to 1023, the pool fills during the fourth.
    std::string big = "<x";
    for (int i = 1; i <= 5; ++i)
        big += " a" + std::to_string(i) + "=" + std::string(1500, 'v');
    PageFixture pool(big + ">");
    pool.tokens();
    const TagBuffers& tag = pool.reader().tag;
    ASSERT_EQ(tag.attributeCount, 5u);
    const std::vector<size_t> valueLengths{1023, 1023, 1023, 4096 - 3 * 1027 - 3 - 1, 0};
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(std::string(tag.attributes[i].value).size(), valueLengths[i]) << i;
    }
    EXPECT_EQ(std::string(tag.attributes[4].name), "");
    EXPECT_EQ(tag.poolUsed, 4096u);

    // The last two bytes of the pool still hold a one-byte value and its terminator.
    const std::string full1023(1023, 'v');
    PageFixture lastBytes("<x a1=" + full1023 + " a2=" + full1023 + " a3=" + full1023 +
                          " a4=" + std::string(1006, 'v') + " a5=z>");
    lastBytes.tokens();
    ASSERT_EQ(lastBytes.reader().tag.attributeCount, 5u);
    EXPECT_EQ(std::string(lastBytes.reader().tag.attributes[4].value), "z");
    EXPECT_EQ(lastBytes.reader().tag.poolUsed, 4096u);
}

TEST(HtmlTokenizer, PushesBackLongRunsOfZerosAcrossBuffers) {
    const std::string zeros1023(1023, '0');
    const std::string zeros1100(1100, '0');
    struct Case {
        std::string page;
        std::string expected;
    } cases[] = {
        {"&#" + zeros1023 + "65;x", "Ax"},
        {"&#" + std::string(1024, '0') + "65;", "&" + std::string(1024, '0') + "65;"},
        {"&#" + zeros1100 + "1;", "&" + zeros1100 + "1;"},
        {"ab&#" + zeros1100, "ab&" + zeros1100},
    };
    for (const Case& c : cases) {
        for (size_t shift : {size_t{0}, size_t{1}, size_t{500}, size_t{1023}}) {
            PageFixture fixture(std::string(shift, ' ') + c.page);
            EXPECT_EQ(fixture.tokens(), c.expected) << shift;
        }
    }
}

TEST(HtmlTokenizer, EveryEntityNameDecodesThroughTheReader) {
    for (const EntityEntry& entry : EntityTable) {
        PageFixture fixture("&" + std::string(entry.name) + ";x");
        const std::string expected(1, static_cast<char>(entry.code));
        EXPECT_EQ(fixture.tokens(), showBytes(expected + "x")) << entry.name;
    }
}

TEST(HtmlPageInput, ReportsProgressBeforeEveryRefillAndStopsOnCancel) {
    PageFixture whole(std::string(3000, 'a'));
    whole.reader().input.progressHook = &reportPageProgress;
    whole.reader().input.hookArgument = &whole.callbacks.table();
    EXPECT_EQ(whole.tokens().size(), 3000u);
    const std::vector<ProgressEvent> expected{{7, "", 0}, {7, "", 34}, {7, "", 68}};
    EXPECT_EQ(whole.callbacks.progressEvents(), expected);

    PageFixture canceled(std::string(3000, 'a'));
    canceled.reader().input.progressHook = &reportPageProgress;
    canceled.reader().input.hookArgument = &canceled.callbacks.table();
    canceled.callbacks.faults.stopProgressAt = 2;
    EXPECT_EQ(canceled.tokens().size(), 1024u);
    EXPECT_EQ(canceled.reader().input.progressStop, 1);
    EXPECT_EQ(readByte(canceled.reader()), kEndOfInput);
    EXPECT_EQ(canceled.callbacks.progressEvents().size(), 2u);
}

TEST(HtmlPageInput, ReadErrorEndsThePageQuietly) {
    PageFixture fixture(std::string(1500, 'a'));
    fixture.callbacks.faults.failReadAt = 2;
    EXPECT_EQ(fixture.tokens().size(), 1024u);
    EXPECT_EQ(fixture.reader().input.progressStop, 0);
}

TEST(HtmlPageInput, PushBackStopsAtThePageStartAndSurvivesTheEnd) {
    PageFixture fixture("abcdef");
    HtmlReader& reader = fixture.reader();
    for (int i = 0; i < 3; ++i)
        (void)readByte(reader);
    unreadBytes(reader, 5);  // before the page start: refused
    EXPECT_EQ(readByte(reader), 'd');
    unreadBytes(reader, 4);
    EXPECT_EQ(readByte(reader), 'a');
    for (int i = 0; i < 5; ++i)
        (void)readByte(reader);
    EXPECT_EQ(readByte(reader), kEndOfInput);
    EXPECT_EQ(readByte(reader), kEndOfInput);
    unreadBytes(reader, 2);
    EXPECT_EQ(readByte(reader), 'e');
}

}  // namespace
}  // namespace skerrit::testing
