// Reproducible HTML for the conversion benchmarks: English-like text dressed in the markup real
// pages use most (headings, paragraphs with bold, italic and FONT, links to anchors, lists,
// bordered tables and rules), as one large page or as a site of small pages that link to each
// other. The same seed gives the same bytes everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/EnglishLikeText.h"

namespace skerrit::bench {

// The lines of an English-like text, without the blank ones, for dressing in markup.
inline std::vector<std::string> proseLines(size_t bytes, uint64_t seed) {
    const std::string text = skerrit::testing::makeEnglishLikeText(bytes, seed);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Words 2 and 3 of a line in bold and italic, or the whole line in a FONT, by turns.
inline void appendStyledLine(std::string& out, const std::string& line, size_t index) {
    const size_t firstSpace = line.find(' ');
    const size_t secondSpace =
        firstSpace == std::string::npos ? std::string::npos : line.find(' ', firstSpace + 1);
    if (index % 3 == 0 && secondSpace != std::string::npos) {
        out += line.substr(0, firstSpace) + " <B>" +
               line.substr(firstSpace + 1, secondSpace - firstSpace - 1) + "</B> <I>" +
               line.substr(secondSpace + 1) + "</I>\n";
    } else if (index % 7 == 0) {
        out += "<FONT SIZE=\"+1\">" + line + "</FONT>\n";
    } else {
        out += line + '\n';
    }
}

// One section of about 40 lines: a heading with an anchor, paragraphs, a list, a table, a rule
// and a link to an earlier section's anchor (or to `otherPage` when given).
inline void appendSection(std::string& out, const std::vector<std::string>& lines, size_t& next,
                          size_t section, const std::string& otherPage) {
    const auto line = [&]() -> const std::string& { return lines[next++ % lines.size()]; };
    out += "<H2><A NAME=\"s" + std::to_string(section) + "\">" + line() + "</A></H2>\n";
    for (int paragraph = 0; paragraph < 3; ++paragraph) {
        out += "<P>";
        for (int i = 0; i < 8; ++i)
            appendStyledLine(out, line(), next);
    }
    out += "<UL>\n";
    for (int i = 0; i < 4; ++i)
        out += "<LI>" + line() + '\n';
    out += "</UL>\n<OL START=2>\n<LI>" + line() + "\n<LI>" + line() + "\n</OL>\n";
    out += "<TABLE BORDER=1>\n";
    for (int row = 0; row < 2; ++row)
        out += "<TR><TD>" + line() + "<TD>" + line() + '\n';
    out += "</TABLE>\n<HR WIDTH=\"60%\">\n<P>See <A HREF=\"" + otherPage + "#s" +
           std::to_string(section / 2) + "\">" + line() + "</A>.\n";
}

// One page of at least `bytes` bytes.
inline std::string largePage(size_t bytes, uint64_t seed = 7) {
    const std::vector<std::string> lines = proseLines(2u * 1024u * 1024u, seed);
    std::string page = "<HTML><HEAD><TITLE>Large page</TITLE></HEAD><BODY>\n";
    size_t next = 0;
    for (size_t section = 0; page.size() < bytes; ++section)
        appendSection(page, lines, next, section, "");
    return page + "</BODY></HTML>\n";
}

inline std::string sitePageName(size_t index) {
    std::string digits = std::to_string(index);
    return "page" + std::string(4 - digits.size(), '0') + digits + ".htm";
}

// `count` pages of about 4 KB; page i links to pages 2i + 1 and 2i + 2 (so breadth first reaches
// all of them) and back to the first page's anchors. Returns the pages in name order.
inline std::vector<std::string> smallSite(size_t count, uint64_t seed = 11) {
    const std::vector<std::string> lines = proseLines(1024u * 1024u, seed);
    std::vector<std::string> pages;
    size_t next = 0;
    for (size_t index = 0; index < count; ++index) {
        std::string page =
            "<HTML><HEAD><TITLE>Page " + std::to_string(index) + "</TITLE></HEAD><BODY>\n";
        appendSection(page, lines, next, index, sitePageName(0));
        page += "<P>";
        for (size_t child = 2 * index + 1; child <= 2 * index + 2 && child < count; ++child)
            page +=
                "<A HREF=\"" + sitePageName(child) + "\">Next " + std::to_string(child) + "</A> ";
        pages.push_back(page + "\n</BODY></HTML>\n");
    }
    return pages;
}

}  // namespace skerrit::bench
