// Renders the book page by page and line by line. Within a line the text is cut wherever the
// style, the link or a link target changes, and each piece becomes one span (inside an <a> when
// a link entry covers it), so the elements always nest: section > div > a > span.
#include "preview/BookHtml.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "htmldoc/SectionBlocks.h"
#include "preview/BookPages.h"
#include "preview/HandheldCharacters.h"

namespace skerrit::preview {
namespace {

constexpr std::string_view kStyleSheet = R"css(
:root { color-scheme: light; }
body { margin: 0; background: #dcd9d2; color: #111;
       font: 16px/1.35 "DejaVu Sans", Verdana, sans-serif; }
.book { max-width: 36em; margin: 1.5em auto; padding: 1em 1.4em 2em; background: #fff;
        border: 1px solid #aaa; border-radius: 8px; box-shadow: 0 2px 6px rgba(0, 0, 0, .2); }
.book-head h1 { margin: 0; font-size: 1.15em; }
.book-head p { margin: .2em 0 0; color: #555; font-size: .8em; }
nav ol { margin: .6em 0 0; padding-left: 1.6em; font-size: .85em; }
section.page { margin-top: 1em; padding-top: .5em; border-top: 2px solid #8a8a8a; }
h2.page-name { margin: 0 0 .6em; color: #666; font-size: .75em; font-weight: normal; }
.l { min-height: 1.35em; white-space: pre-wrap; overflow-wrap: anywhere; tab-size: 8; }
.l.c { text-align: center; }
.l.r { text-align: right; }
.l.in1 { padding-left: 1.2em; } .l.in2 { padding-left: 2.4em; } .l.in3 { padding-left: 3.6em; }
.l.in4 { padding-left: 4.8em; } .l.in5 { padding-left: 6em; } .l.in6 { padding-left: 7.2em; }
.l.in7 { padding-left: 8.4em; }
.s1 { font-size: .7em; } .s2 { font-size: .85em; } .s4 { font-size: 1.15em; }
.s5 { font-size: 1.35em; } .s6 { font-size: 1.6em; } .s7 { font-size: 1.9em; }
.h, .b { font-weight: bold; }
.i { font-style: italic; }
.m { font-family: "DejaVu Sans Mono", monospace; }
.u, .lk { text-decoration: underline; }
.x { text-decoration: line-through; }
.u.x, .lk.x { text-decoration: underline line-through; }
.lk { color: #3b3b6b; }
a { color: #0645ad; }
a .lk { color: inherit; }
.sub { vertical-align: sub; font-size: .8em; }
.sup { vertical-align: super; font-size: .8em; }
.mk::before { content: attr(data-mk); display: inline-block; min-width: 1.5em; }
hr.rule { margin: .3em auto; border: none; background: #a8a8a8; max-width: 100%;
          box-shadow: inset 0 1px #6a6a6a, inset 0 -1px #e4e4e4; }
hr.rule.solid { background: #333; box-shadow: none; }
hr.rule.left { margin-left: 0; }
hr.rule.right { margin-right: 0; }
)css";

void appendEscaped(std::string_view text, std::string& html) {
    for (const char c : text) {
        switch (c) {
            case '&':
                html += "&amp;";
                break;
            case '<':
                html += "&lt;";
                break;
            case '>':
                html += "&gt;";
                break;
            case '"':
                html += "&quot;";
                break;
            default:
                appendHandheldCharacter(static_cast<uint8_t>(c), html);
        }
    }
}

std::string lettered(uint32_t number, char first) {
    std::string letters;
    for (; number > 0; number = (number - 1) / 26)
        letters.insert(letters.begin(),
                       static_cast<char>(static_cast<uint32_t>(first) + (number - 1) % 26));
    return letters;
}

std::string roman(uint32_t number, bool upper) {
    struct Numeral {
        uint32_t value;
        const char* digits;
    };
    static constexpr Numeral kNumerals[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    std::string text;
    for (const Numeral& numeral : kNumerals) {
        for (; number >= numeral.value; number -= numeral.value)
            text += numeral.digits;
    }
    if (upper)
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return static_cast<char>(c - 32); });
    return text;
}

constexpr uint16_t kDefaultAttributes = 3;  // font size 3, nothing else

// The classes of a span and of a line for one style.
std::string styleClasses(const StoredTextStyle& style) {
    std::string classes;
    auto add = [&classes](std::string_view name) {
        if (!classes.empty())
            classes += ' ';
        classes += name;
    };
    if (style.fontSize != 3 && style.fontSize != 0)
        add("s" + std::to_string(style.fontSize));
    if (style.heading != 0)
        add("h");
    if (style.monospace != 0)
        add("m");
    if (style.bold != 0)
        add("b");
    if (style.underline == 1)
        add("u");
    if (style.underline == 2)
        add("lk");
    if (style.italic != 0)
        add("i");
    if (style.strikeThrough != 0)
        add("x");
    if (style.subscript != 0)
        add("sub");
    if (style.superscript != 0)
        add("sup");
    return classes;
}

std::string layoutClasses(const StoredTextStyle& style) {
    std::string classes;
    if (style.alignment == 1)
        classes += " c";
    if (style.alignment == 2)
        classes += " r";
    if (style.indent > 0)
        classes += " in" + std::to_string(style.indent);
    return classes;
}

std::string ruleElement(const BookRule& stored) {
    const StoredBlockRecord rule =
        ruleFromAttributes(stored.position, stored.attributes, stored.width);
    std::string element = "<hr class=\"rule";
    if (rule.noShade != 0)
        element += " solid";
    if (rule.alignment == 1)
        element += " right";
    if (rule.alignment == 2)
        element += " left";
    element += "\" style=\"height:" + std::to_string(rule.size) + "px";
    if (rule.width >= 0)
        element += ";width:" + std::to_string(rule.width) + "px";
    else if (rule.width > -100)
        element += ";width:" + std::to_string(-rule.width) + "%";
    return element + "\">";
}

class BookWriter {
  public:
    explicit BookWriter(const Book& book) : book_(book), pages_(bookPages(book)) {
        for (const BookLink& link : book.links)
            targets_.insert(link.target);
        nextTarget_ = targets_.begin();
    }

    std::string render() {
        html_ +=
            "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>";
        appendEscaped(titleText(), html_);
        html_ += "</title>\n<style>";
        html_ += kStyleSheet;
        html_ += "</style>\n</head>\n<body>\n<div class=\"book\">\n";
        writeBookHead();
        html_ += "<main>\n";
        for (const BookPage& page : pages_)
            writePage(page);
        html_ += "</main>\n</div>\n</body>\n</html>\n";
        return std::move(html_);
    }

  private:
    std::string_view titleText() const { return book_.header.name.data(); }

    void writeBookHead() {
        html_ += "<header class=\"book-head\">\n<h1>";
        appendEscaped(titleText(), html_);
        html_ += "</h1>\n<p>";
        html_ += book_.kind == BookKind::kDoc ? "Doc e-book" : "VaDo document";
        html_ += ", " + std::to_string(book_.text.size()) + " bytes of text";
        if (pages_.size() > 1)
            html_ += ", " + std::to_string(pages_.size()) + " pages";
        html_ += "</p>\n</header>\n";
        if (pages_.size() <= 1)
            return;
        html_ += "<nav>\n<ol>\n";
        for (const BookPage& page : pages_) {
            html_ += "<li><a href=\"#p" + std::to_string(page.number) + "\">";
            appendEscaped(pageName(page), html_);
            html_ += "</a></li>\n";
        }
        html_ += "</ol>\n</nav>\n";
    }

    static std::string pageName(const BookPage& page) {
        std::string name = "Page " + std::to_string(page.number);
        if (!page.firstLine.empty())
            name += ": " + page.firstLine;
        return name;
    }

    void writePage(const BookPage& page) {
        html_ += "<section class=\"page\" id=\"p" + std::to_string(page.number) + "\">\n";
        if (pages_.size() > 1) {
            html_ += "<h2 class=\"page-name\">";
            appendEscaped(pageName(page), html_);
            html_ += "</h2>\n";
        }
        const bool lastPage = page.number == pages_.size();
        uint32_t position = page.start;
        while (position < page.end)
            position = writeLine(position, page.end);
        // Rules at a page's end close that page; targets there open the next one.
        writeRulesUpTo(page.end);
        if (lastPage && nextTarget_ != targets_.end()) {
            html_ += "<div class=\"l cut\">";
            writeTargetsUpTo(page.end);
            html_ += "</div>\n";
        }
        html_ += "</section>\n";
    }

    // Writes the line that starts at `start` and answers where the next one starts.
    uint32_t writeLine(uint32_t start, uint32_t pageEnd) {
        writeRulesUpTo(start);
        const std::string& text = book_.text;
        uint32_t stop = start;
        while (stop < pageEnd && text[stop] != '\n')
            ++stop;
        const bool endsWithLineFeed = stop < pageEnd;
        // A rule inside the line cuts it there.
        const auto rule = std::upper_bound(
            book_.rules.begin(), book_.rules.end(), start,
            [](uint32_t position, const BookRule& r) { return position < r.position; });
        bool cut = !endsWithLineFeed;
        if (rule != book_.rules.end() && rule->position <= stop && rule->position < pageEnd) {
            stop = rule->position;
            cut = true;
        }
        const StoredTextStyle lineStyle = styleAt(start);
        html_ += "<div class=\"l" + layoutClasses(lineStyle) + (cut ? " cut" : "") + "\">";
        for (uint32_t position = start; position < stop;)
            position = writePiece(position, stop);
        closeLink();
        if (!cut)
            writeTargetsUpTo(stop);  // a target at the line feed itself
        html_ += "</div>\n";
        return cut ? stop : stop + 1;
    }

    // Writes text from `start` up to the next change of style, link or target before `stop`.
    uint32_t writePiece(uint32_t start, uint32_t stop) {
        writeTargetsUpTo(start);
        const BookStyleRun* run = runAt(start);
        const BookLink* link = linkAt(start);
        uint32_t end = stop;
        if (run != nullptr)
            end = std::min(end, run->end);
        else
            end = std::min(end, nextRunStart(start));
        if (link != nullptr)
            end = std::min(end, link->start + link->length);
        else
            end = std::min(end, nextLinkStart(start));
        if (nextTarget_ != targets_.end() && *nextTarget_ > start)
            end = std::min(end, *nextTarget_);

        if (link != openLink_ && !continuesOpenLink(link))
            closeLink();
        const StoredTextStyle style = run != nullptr ? styleFromWords(run->attributes, run->extra)
                                                     : styleFromWords(kDefaultAttributes, 0);
        // The marker goes before a link that starts with the item, not into it.
        if (run != nullptr && run->start == start && style.itemStart == 1) {
            html_ += "<span class=\"mk\" data-mk=\"" +
                     listMarker(static_cast<uint32_t>(style.listStyle), style.itemNumber) +
                     "\"></span>";
        }
        if (link != nullptr && link != openLink_) {
            if (openLink_ == nullptr)
                html_ += "<a href=\"#t" + std::to_string(link->target) + "\">";
            openLink_ = link;
        }
        const std::string classes = styleClasses(style) + layoutClasses(style);
        html_ += classes.empty() ? "<span>" : "<span class=\"" + trimmed(classes) + "\">";
        appendEscaped(std::string_view(book_.text).substr(start, end - start), html_);
        html_ += "</span>";
        return end;
    }

    static std::string trimmed(const std::string& classes) {
        return classes.front() == ' ' ? classes.substr(1) : classes;
    }

    // A link longer than one entry holds is several entries back to back: one <a> for all.
    bool continuesOpenLink(const BookLink* link) const {
        return link != nullptr && openLink_ != nullptr && link->target == openLink_->target &&
               link->start == openLink_->start + openLink_->length;
    }

    void closeLink() {
        if (openLink_ != nullptr)
            html_ += "</a>";
        openLink_ = nullptr;
    }

    void writeTargetsUpTo(uint32_t position) {
        for (; nextTarget_ != targets_.end() && *nextTarget_ <= position; ++nextTarget_)
            html_ += "<span id=\"t" + std::to_string(*nextTarget_) + "\"></span>";
    }

    void writeRulesUpTo(uint32_t position) {
        for (; nextRule_ < book_.rules.size() && book_.rules[nextRule_].position <= position;
             ++nextRule_) {
            html_ += ruleElement(book_.rules[nextRule_]) + "\n";
        }
    }

    StoredTextStyle styleAt(uint32_t position) const {
        const BookStyleRun* run = runAt(position);
        return run != nullptr ? styleFromWords(run->attributes, run->extra)
                              : styleFromWords(kDefaultAttributes, 0);
    }

    const BookStyleRun* runAt(uint32_t position) const {
        const auto run =
            std::upper_bound(book_.styleRuns.begin(), book_.styleRuns.end(), position,
                             [](uint32_t at, const BookStyleRun& r) { return at < r.start; });
        if (run == book_.styleRuns.begin())
            return nullptr;
        const BookStyleRun& candidate = *(run - 1);
        return position < candidate.end ? &candidate : nullptr;
    }

    uint32_t nextRunStart(uint32_t position) const {
        const auto run =
            std::upper_bound(book_.styleRuns.begin(), book_.styleRuns.end(), position,
                             [](uint32_t at, const BookStyleRun& r) { return at < r.start; });
        return run == book_.styleRuns.end() ? UINT32_MAX : run->start;
    }

    const BookLink* linkAt(uint32_t position) const {
        const auto link =
            std::upper_bound(book_.links.begin(), book_.links.end(), position,
                             [](uint32_t at, const BookLink& l) { return at < l.start; });
        if (link == book_.links.begin())
            return nullptr;
        const BookLink& candidate = *(link - 1);
        return position < candidate.start + candidate.length ? &candidate : nullptr;
    }

    uint32_t nextLinkStart(uint32_t position) const {
        const auto link =
            std::upper_bound(book_.links.begin(), book_.links.end(), position,
                             [](uint32_t at, const BookLink& l) { return at < l.start; });
        return link == book_.links.end() ? UINT32_MAX : link->start;
    }

    const Book& book_;
    std::vector<BookPage> pages_;
    std::set<uint32_t> targets_;
    std::set<uint32_t>::const_iterator nextTarget_;
    size_t nextRule_ = 0;
    const BookLink* openLink_ = nullptr;
    std::string html_;
};

}  // namespace

std::string listMarker(uint32_t listStyle, uint32_t itemNumber) {
    switch (listStyle) {
        case 0:
            return "\u2022";
        case 1:
            return "\u25E6";
        case 2:
            return "\u25AA";
        case 3:
            return lettered(itemNumber, 'A') + ".";
        case 4:
            return lettered(itemNumber, 'a') + ".";
        case 5:
            return roman(itemNumber, true) + ".";
        case 6:
            return roman(itemNumber, false) + ".";
        default:
            return std::to_string(itemNumber) + ".";
    }
}

std::string renderBookHtml(const Book& book) {
    return BookWriter(book).render();
}

}  // namespace skerrit::preview
