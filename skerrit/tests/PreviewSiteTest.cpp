// Round trips of whole sites through Skerrit and the preview: the test sites and the user guide in
// docs/guide are converted by the real program, then read by the preview's reader and rendered as
// its page. What each page must show comes from the HTML reader itself: every page is parsed
// alone through the test harness, and its text, style runs, rules, links and anchors, moved to
// where the page begins in the book, are what the book's tables and the rendered page must hold
// (as far as the database keeps them: the low bits of sizes and indents, and list numbers only at
// an item's start). Every link must land on an element that exists, on the right words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "HtmlHarness.h"
#include "htmldoc/DocumentRecords.h"
#include "htmldoc/SectionBlocks.h"
#include "preview/BookHtml.h"
#include "preview/BookPages.h"
#include "preview/BookReader.h"
#include "support/PreviewPageReader.h"
#include "support/ProcessRunner.h"

namespace skerrit::testing {
namespace {

using preview::Book;

struct HarnessLink {
    uint32_t start;
    uint32_t end;
    std::string target;
    std::string fragment;
};

// One page of a site parsed alone by the HTML reader.
struct HarnessPage {
    std::string file;  // relative to the site, '/' between folders
    std::string name;  // as the reader names pages: C:\site\guide\tides.htm
    std::string text;
    std::vector<std::pair<uint32_t, TextStyle>> styles;
    std::vector<StoredBlockRecord> rules;
    std::vector<HarnessLink> links;
    std::vector<std::pair<std::string, uint32_t>> anchors;
};

std::string backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

HarnessPage parseAlone(const std::string& site, const std::string& file) {
    HarnessPage result{file, "C:\\site\\" + backslashed(file), {}, {}, {}, {}, {}};
    PageFixture page(readWholeFile(site + "/" + file), true);
    const size_t slash = result.name.rfind('\\');
    page.setPageName(result.name, result.name.substr(0, slash + 1));
    EXPECT_EQ(parsePage(page.reader()), 1) << file;
    result.text = toText(page.callbacks.file("text"));

    const Bytes& styles = page.callbacks.file("styles");
    for (size_t at = 0; at + kStyleRunBytes <= styles.size(); at += kStyleRunBytes) {
        const StoredTextStyle s = decodeStoredTextStyle(styles.data() + at + 4);
        result.styles.emplace_back(
            loadLittleEndian32(styles.data() + at),
            TextStyle{s.alignment, s.heading, s.fontSize, s.monospace, s.bold, s.underline,
                      s.italic, s.strikeThrough, s.subscript, s.superscript, s.indent, s.itemStart,
                      s.listStyle, s.itemNumber});
    }
    const Bytes& blocks = page.callbacks.file("blocks");
    for (size_t at = 0; at + StoredBlockRecord::kSize <= blocks.size();
         at += StoredBlockRecord::kSize) {
        const StoredBlockRecord record = decodeStoredBlockRecord(blocks.data() + at);
        if (record.kind == StoredBlockRecord::kRule)
            result.rules.push_back(record);
    }
    const Bytes& links = page.callbacks.file("links");
    for (size_t at = 0; at + LinkRecord::kSize <= links.size();) {
        const LinkRecord link = decodeLinkRecord(links.data() + at);
        const auto* names = reinterpret_cast<const char*>(links.data() + at + LinkRecord::kSize);
        result.links.push_back({link.start, link.end, std::string(names, link.targetLength),
                                std::string(names + link.targetLength, link.fragmentLength)});
        at = link.nextRecordOffset(static_cast<uint32_t>(at));
    }
    const Bytes& queue = page.callbacks.file("queue");
    for (size_t at = 0; at + AnchorRecord::kSize <= queue.size();) {
        const AnchorRecord anchor = decodeAnchorRecord(queue.data() + at);
        result.anchors.emplace_back(
            std::string(reinterpret_cast<const char*>(queue.data() + at + AnchorRecord::kSize),
                        anchor.nameLength),
            anchor.position);
        at += AnchorRecord::kSize + anchor.nameLength;
    }
    return result;
}

// What the database keeps of a style: the bits of its attribute word and extra word.
TextStyle keptByTheBook(const TextStyle& style) {
    TextStyle kept = kDefaultTextStyle;
    kept.fontSize = style.fontSize & 7;
    kept.heading = style.heading == 1;
    kept.monospace = style.monospace == 1;
    kept.bold = style.bold == 1;
    kept.underline = style.underline == 2 ? 2 : style.underline == 1 ? 1 : 0;
    kept.italic = style.italic == 1;
    kept.strikeThrough = style.strikeThrough == 1;
    kept.subscript = style.subscript == 1;
    kept.superscript = style.superscript == 1;
    kept.alignment = style.alignment == 1 || style.alignment == 2 ? style.alignment : 0;
    kept.indent = style.indent & 7;
    if (style.itemStart == 1) {
        kept.itemStart = 1;
        kept.listStyle = style.listStyle >= 0 && style.listStyle <= 7 ? style.listStyle : 0;
        if (kept.listStyle >= 3)
            kept.itemNumber = static_cast<uint16_t>(((style.itemNumber - 1) & 0xFF) + 1);
    }
    return kept;
}

TextStyle withoutItem(TextStyle style) {
    style.itemStart = 0;
    style.listStyle = 0;
    style.itemNumber = 0;
    return style;
}

TextStyle fromStored(const StoredTextStyle& s) {
    return TextStyle{s.alignment, s.heading,   s.fontSize,      s.monospace, s.bold,
                     s.underline, s.italic,    s.strikeThrough, s.subscript, s.superscript,
                     s.indent,    s.itemStart, s.listStyle,     s.itemNumber};
}

// The style a span's classes stand for (the page's documented class names).
TextStyle styleOfClasses(const std::string& classes) {
    TextStyle style = kDefaultTextStyle;
    size_t at = 0;
    while (at < classes.size()) {
        const size_t end = std::min(classes.find(' ', at), classes.size());
        const std::string name = classes.substr(at, end - at);
        at = end + 1;
        if (name.size() == 2 && name[0] == 's' && std::isdigit(static_cast<uint8_t>(name[1])))
            style.fontSize = name[1] - '0';
        else if (name.starts_with("in"))
            style.indent = std::stoi(name.substr(2));
        else if (name == "h")
            style.heading = 1;
        else if (name == "m")
            style.monospace = 1;
        else if (name == "b")
            style.bold = 1;
        else if (name == "u")
            style.underline = 1;
        else if (name == "lk")
            style.underline = 2;
        else if (name == "i")
            style.italic = 1;
        else if (name == "x")
            style.strikeThrough = 1;
        else if (name == "sub")
            style.subscript = 1;
        else if (name == "sup")
            style.superscript = 1;
        else if (name == "c")
            style.alignment = 1;
        else if (name == "r")
            style.alignment = 2;
        else if (!name.empty())
            ADD_FAILURE() << "unknown class " << name;
    }
    return style;
}

std::string layoutOf(const TextStyle& style) {
    return std::string(style.alignment == 1   ? "c"
                       : style.alignment == 2 ? "r"
                                              : "") +
           "/" + std::to_string(style.indent);
}

// A line's alignment and indentation, from its div's classes.
std::string lineLayout(const std::string& classes) {
    std::string layout;
    size_t at = 0;
    while (at < classes.size()) {
        const size_t end = std::min(classes.find(' ', at), classes.size());
        const std::string name = classes.substr(at, end - at);
        if (name != "l" && name != "cut")
            layout += (layout.empty() ? "" : " ") + name;
        at = end + 1;
    }
    return layoutOf(styleOfClasses(layout));
}

std::string ruleNotation(const StoredBlockRecord& rule) {
    return "R@" + std::to_string(rule.position) + "/" + std::to_string(rule.alignment) + "/" +
           std::to_string(rule.noShade) + "/" + std::to_string(rule.size) + "/" +
           std::to_string(rule.width);
}

// The rule as the block keeps it: alignment 1 or 2, shade as 0 or 1, size 2 when negative and at
// most 15, width at most 4095 pixels and at least the whole line.
std::string keptRule(StoredBlockRecord rule, uint32_t offset) {
    rule.position += offset;
    rule.alignment = rule.alignment == 1 || rule.alignment == 2 ? rule.alignment : 0;
    rule.noShade = rule.noShade != 0;
    rule.size = rule.size < 0 ? 2 : std::min(rule.size, 15);
    rule.width = rule.width >= 0 ? std::min(rule.width, 4095) : std::max(rule.width, -100);
    return ruleNotation(rule);
}

// The page's <hr> read back into the same notation.
std::string ruleOfElement(const PreviewRule& element) {
    StoredBlockRecord rule{element.position, 1, 0, 0, 0, -100};
    const std::string classes = " " + element.classes + " ";
    rule.noShade = classes.find(" solid ") != std::string::npos;
    rule.alignment = classes.find(" right ") != std::string::npos  ? 1
                     : classes.find(" left ") != std::string::npos ? 2
                                                                   : 0;
    const std::string& style = element.style;
    rule.size = std::stoi(style.substr(style.find("height:") + 7));
    if (const size_t width = style.find("width:"); width != std::string::npos) {
        const std::string value = style.substr(width + 6);
        rule.width = value.find('%') != std::string::npos ? -std::stoi(value) : std::stoi(value);
    }
    return ruleNotation(rule);
}

std::string latin1ToUtf8(const std::string& text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<uint8_t>(c);
        EXPECT_FALSE(byte >= 0x80 && byte < 0xA0) << "the fixtures stay out of 128 to 159";
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

// Joins "start-end:value" pieces of equal value, over the positions that `counts` accepts.
template <typename ValueAt, typename Counts>
std::string pieces(uint32_t length, ValueAt valueAt, Counts counts) {
    std::string shown;
    std::string current;
    uint32_t start = 0;
    uint32_t end = 0;
    for (uint32_t position = 0; position < length; ++position) {
        if (!counts(position))
            continue;
        const std::string value = valueAt(position);
        if (value != current || end == 0) {
            if (end != 0)
                shown += std::to_string(start) + "-" + std::to_string(end) + ":" + current + " ";
            current = value;
            start = position;
        }
        end = position + 1;
    }
    if (end != 0)
        shown += std::to_string(start) + "-" + std::to_string(end) + ":" + current;
    return shown;
}

struct Site {
    const char* what;
    std::string folder;
    std::vector<std::string> files;  // the start page first
    int depth;
};

// Expectations for the whole book, built from the pages parsed alone in the book's page order.
struct Expected {
    std::string text;
    std::vector<TextStyle> styleAt;  // per position
    std::vector<bool> itemRunStart;  // a run with the item-start mark begins here
    std::string runs;                // "start-end:style" as the book stores them
    std::vector<std::string> rules;
    std::string links;              // "start-end>target", pieces of one target joined
    std::vector<int64_t> targetAt;  // per position, -1 outside links
    std::vector<std::pair<uint32_t, std::string>> landings;  // target, the words there
};

class SiteRoundTrip {
  public:
    explicit SiteRoundTrip(const Site& site) : site_(site) {
        for (const std::string& file : site.files) {
            const std::filesystem::path target = directory_.file(file);
            std::filesystem::create_directories(target.parent_path());
            writeWholeFile(target.string(), readWholeFile(site.folder + "/" + file));
            harness_.push_back(parseAlone(site.folder, file));
        }
        const ProcessResult run = runProgram(
            SKERRIT_BINARY, {"-y", "-d" + std::to_string(site.depth), site.files[0], "book.pdb"},
            "", directory_.path());
        EXPECT_EQ(run.exitStatus, 0) << run.output;
        const std::string file = readWholeFile(directory_.file("book.pdb"));
        preview::ReadFailure failure;
        readOk_ = preview::readBook(toBytes(file), book_, failure);
        EXPECT_TRUE(readOk_) << preview::describeFailure(failure);
    }

    bool readOk() const { return readOk_; }
    const Book& book() const { return book_; }

    // The harness page of each of the book's pages, by their text.
    std::vector<const HarnessPage*> pageOrder() const {
        std::vector<const HarnessPage*> order;
        for (const preview::BookPage& page : preview::bookPages(book_)) {
            const std::string text = book_.text.substr(page.start, page.end - page.start);
            const HarnessPage* found = nullptr;
            for (const HarnessPage& candidate : harness_) {
                if (candidate.text == text) {
                    EXPECT_EQ(found, nullptr) << "two pages with the same text";
                    found = &candidate;
                }
            }
            EXPECT_NE(found, nullptr) << "no page has the text of book page " << page.number;
            order.push_back(found);
        }
        return order;
    }

    Expected expected() const {
        Expected e;
        const std::vector<const HarnessPage*> order = pageOrder();
        std::vector<uint32_t> starts;
        for (const HarnessPage* page : order) {
            if (page == nullptr)
                return e;
            starts.push_back(static_cast<uint32_t>(e.text.size()));
            e.text += page->text;
        }
        addStyles(order, starts, e);
        for (size_t index = 0; index < order.size(); ++index) {
            for (const StoredBlockRecord& rule : order[index]->rules)
                e.rules.push_back(keptRule(rule, starts[index]));
        }
        addLinks(order, starts, e);
        return e;
    }

  private:
    void addStyles(const std::vector<const HarnessPage*>& order,
                   const std::vector<uint32_t>& starts, Expected& e) const {
        const auto length = static_cast<uint32_t>(e.text.size());
        e.styleAt.assign(length, kDefaultTextStyle);
        e.itemRunStart.assign(length, false);
        TextStyle current = kDefaultTextStyle;
        uint32_t previous = 0;
        auto cover = [&](uint32_t until) {
            for (uint32_t start = previous; start < until;) {
                const uint32_t end = std::min(until, start + 65536);
                const TextStyle kept = keptByTheBook(current);
                e.runs +=
                    std::to_string(start) + "-" + std::to_string(end) + ":" + showStyle(kept) + " ";
                e.itemRunStart[start] = kept.itemStart == 1;
                for (uint32_t at = start; at < end; ++at)
                    e.styleAt[at] = kept;
                start = end;
            }
        };
        for (size_t index = 0; index < order.size(); ++index) {
            for (const auto& [position, style] : order[index]->styles) {
                const uint32_t at = starts[index] + position;
                if (at > previous) {
                    cover(at);
                    previous = at;
                }
                current = style;
            }
        }
    }

    void addLinks(const std::vector<const HarnessPage*>& order, const std::vector<uint32_t>& starts,
                  Expected& e) const {
        e.targetAt.assign(e.text.size(), -1);
        struct Entry {
            uint32_t start, end;
            uint32_t target;
        };
        std::vector<Entry> entries;
        for (size_t index = 0; index < order.size(); ++index) {
            for (const HarnessLink& link : order[index]->links) {
                size_t to = order.size();
                for (size_t candidate = 0; candidate < order.size(); ++candidate) {
                    if (sameName(order[candidate]->name, link.target))
                        to = candidate;
                }
                if (to == order.size() || link.start == link.end)
                    continue;  // a page not in the book: the link leads nowhere
                uint32_t target = starts[to];
                std::string words = order[to]->text;
                if (!link.fragment.empty()) {
                    for (const auto& [name, position] : order[to]->anchors) {
                        if (sameName(name, link.fragment)) {
                            target += position;
                            words = order[to]->text.substr(position);
                            break;
                        }
                    }
                }
                entries.push_back({starts[index] + link.start, starts[index] + link.end, target});
                e.landings.emplace_back(target, words.substr(0, 16));
            }
        }
        for (size_t index = 0; index < entries.size(); ++index) {
            const Entry& entry = entries[index];
            for (uint32_t at = entry.start; at < entry.end; ++at)
                e.targetAt[at] = entry.target;
            const bool joined = index + 1 < entries.size() &&
                                entries[index + 1].start == entry.end &&
                                entries[index + 1].target == entry.target;
            if (index == 0 || !(entries[index - 1].end == entry.start &&
                                entries[index - 1].target == entry.target)) {
                e.links += std::to_string(entry.start) + "-";
            }
            if (!joined)
                e.links += std::to_string(entry.end) + ">" + std::to_string(entry.target) + " ";
        }
    }

    const Site& site_;
    ScratchDirectory directory_;
    std::vector<HarnessPage> harness_;
    Book book_;
    bool readOk_ = false;
};

std::string bookRuns(const Book& book) {
    std::string shown;
    for (const preview::BookStyleRun& run : book.styleRuns) {
        shown += std::to_string(run.start) + "-" + std::to_string(run.end) + ":" +
                 showStyle(fromStored(styleFromWords(run.attributes, run.extra))) + " ";
    }
    return shown;
}

std::string bookLinks(const Book& book) {
    std::string shown;
    const auto& links = book.links;
    for (size_t index = 0; index < links.size(); ++index) {
        const auto& link = links[index];
        const bool continues = index > 0 &&
                               links[index - 1].start + links[index - 1].length == link.start &&
                               links[index - 1].target == link.target;
        const bool joined = index + 1 < links.size() &&
                            links[index + 1].start == link.start + link.length &&
                            links[index + 1].target == link.target;
        if (!continues)
            shown += std::to_string(link.start) + "-";
        if (!joined)
            shown +=
                std::to_string(link.start + link.length) + ">" + std::to_string(link.target) + " ";
    }
    return shown;
}

const Site kSites[] = {
    {"test site", SKERRIT_TEST_DATA_DIR "/site", {"index.htm", "tides.htm", "rules.htm"}, 2},
    {"site in folders",
     SKERRIT_TEST_DATA_DIR "/../win/site",
     {"index.htm", "guide/tides.htm", "guide/boats.htm"},
     3},
    {"user guide",
     SKERRIT_DOCS_DIR "/guide",
     {"index.html", "skerrit.html", "quillon.html", "hollin.html"},
     2},
};

TEST(PreviewSite, BookTablesHoldWhatTheReaderWroteForEachPage) {
    for (const Site& site : kSites) {
        SCOPED_TRACE(site.what);
        SiteRoundTrip trip(site);
        ASSERT_TRUE(trip.readOk());
        const Expected expected = trip.expected();
        const Book& book = trip.book();
        EXPECT_EQ(trip.pageOrder().size(), site.files.size()) << "every page converted";
        EXPECT_EQ(book.text, expected.text);
        EXPECT_EQ(bookRuns(book), expected.runs);
        std::vector<std::string> rules;
        for (const preview::BookRule& rule : book.rules)
            rules.push_back(
                ruleNotation(ruleFromAttributes(rule.position, rule.attributes, rule.width)));
        EXPECT_EQ(rules, expected.rules);
        EXPECT_EQ(bookLinks(book), expected.links);
        EXPECT_FALSE(expected.links.empty());
    }
}

TEST(PreviewSite, PageShowsTheTextStylesRulesAndLinksOfEachPage) {
    for (const Site& site : kSites) {
        SCOPED_TRACE(site.what);
        SiteRoundTrip trip(site);
        ASSERT_TRUE(trip.readOk());
        const Expected e = trip.expected();
        const PreviewPage page = readPreviewPage(preview::renderBookHtml(trip.book()));
        ASSERT_EQ(page.error, "");
        ASSERT_EQ(page.text(), latin1ToUtf8(e.text));
        const auto length = static_cast<uint32_t>(e.text.size());
        auto notLineFeed = [&](uint32_t at) { return e.text[at] != '\n'; };

        // Styles, character by character (line feeds are the lines' ends, not characters).
        EXPECT_EQ(pieces(
                      length,
                      [&](uint32_t at) {
                          return showStyle(styleOfClasses(page.characters[at].spanClasses));
                      },
                      notLineFeed),
                  pieces(
                      length, [&](uint32_t at) { return showStyle(withoutItem(e.styleAt[at])); },
                      notLineFeed));
        // Each line laid out as its first character's style.
        for (const PreviewLine& line : page.lines) {
            ASSERT_LT(line.start, length);
            EXPECT_EQ(lineLayout(line.classes), layoutOf(e.styleAt[line.start]))
                << "line at " << line.start;
        }
        // List items: a marker where each item's first text begins.
        std::vector<std::string> markers;
        std::vector<std::string> expectedMarkers;
        for (const PreviewMarker& marker : page.markers)
            markers.push_back(std::to_string(marker.position) + marker.marker);
        for (uint32_t at = 0; at < length; ++at) {
            if (e.itemRunStart[at] && e.text[at] != '\n') {
                expectedMarkers.push_back(
                    std::to_string(at) +
                    preview::listMarker(static_cast<uint32_t>(e.styleAt[at].listStyle),
                                        e.styleAt[at].itemNumber));
            }
        }
        EXPECT_EQ(markers, expectedMarkers);

        std::vector<std::string> rules;
        for (const PreviewRule& rule : page.rules)
            rules.push_back(ruleOfElement(rule));
        EXPECT_EQ(rules, e.rules);

        // Links, character by character, and where they land.
        EXPECT_EQ(
            pieces(
                length, [&](uint32_t at) { return std::to_string(page.characters[at].linkTarget); },
                notLineFeed),
            pieces(
                length, [&](uint32_t at) { return std::to_string(e.targetAt[at]); }, notLineFeed));
        for (const std::string& href : page.hrefs) {
            ASSERT_TRUE(href.starts_with("#")) << href;
            const auto id = page.ids.find(href.substr(1));
            ASSERT_NE(id, page.ids.end()) << href << " leads to no element";
            if (href.starts_with("#t")) {
                EXPECT_EQ(std::to_string(id->second), href.substr(2)) << "id at its position";
            }
        }
        for (const auto& [target, words] : e.landings) {
            const auto id = page.ids.find("t" + std::to_string(target));
            ASSERT_NE(id, page.ids.end());
            EXPECT_EQ(page.textAt(id->second, static_cast<uint32_t>(words.size())),
                      latin1ToUtf8(words));
        }
    }
}

TEST(PreviewSite, EachConvertedFileIsASectionStartingWhereItsTextStarts) {
    SiteRoundTrip trip(kSites[2]);
    ASSERT_TRUE(trip.readOk());
    const PreviewPage page = readPreviewPage(preview::renderBookHtml(trip.book()));
    ASSERT_EQ(page.error, "");
    EXPECT_EQ(page.title, "Palm Desktop Tools Guide");
    const std::vector<preview::BookPage> pages = preview::bookPages(trip.book());
    ASSERT_EQ(pages.size(), 4u);
    const char* const firstLines[] = {"Palm Desktop Tools", "Skerrit", "Quillon", "Hollin"};
    for (const preview::BookPage& bookPage : pages) {
        EXPECT_EQ(bookPage.firstLine, firstLines[bookPage.number - 1]);
        const auto id = page.ids.find("p" + std::to_string(bookPage.number));
        ASSERT_NE(id, page.ids.end());
        EXPECT_EQ(id->second, bookPage.start);
    }
}

}  // namespace
}  // namespace skerrit::testing
