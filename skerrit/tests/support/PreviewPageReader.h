// Reads back the HTML page that skerrit-preview writes, as a browser would see its structure:
// the book's characters with the span, link and line they sit in, the ids and where they stand,
// the rules, the list markers and every href. It knows only the markup the preview documents
// (BookHtml.h), written from that description, and reports the first element that does not nest
// or a character reference it does not know, so a test also proves the page is well formed.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace skerrit::testing {

// One character of the book's text as the page shows it. A line feed is not written; it stands
// where a line's div closes without the class "cut", with empty span classes.
struct PreviewCharacter {
    std::string utf8;
    std::string spanClasses;  // classes of the innermost span, "" outside one
    int64_t linkTarget;       // P of the enclosing <a href="#tP">, or -1
};

struct PreviewLine {
    uint32_t start;  // character position
    std::string classes;
};

struct PreviewRule {
    uint32_t position;  // characters before it
    std::string classes;
    std::string style;
};

struct PreviewMarker {
    uint32_t position;
    std::string marker;
};

struct PreviewPage {
    std::string error;  // empty when the page is well formed
    std::string title;
    std::vector<PreviewCharacter> characters;
    std::vector<PreviewLine> lines;
    std::vector<PreviewRule> rules;
    std::vector<PreviewMarker> markers;
    std::map<std::string, uint32_t> ids;  // id -> character position
    std::vector<std::string> hrefs;       // in page order, navigation included

    // The characters from `position` on, at most `count` of them, as UTF-8.
    std::string textAt(uint32_t position, uint32_t count) const;
    std::string text() const { return textAt(0, static_cast<uint32_t>(characters.size())); }
};

PreviewPage readPreviewPage(const std::string& html);

}  // namespace skerrit::testing
