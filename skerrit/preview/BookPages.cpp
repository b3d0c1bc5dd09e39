#include "preview/BookPages.h"

namespace skerrit::preview {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string firstLineOf(const std::string& text, uint32_t start, uint32_t end) {
    uint32_t lineStart = start;
    while (lineStart < end) {
        uint32_t lineEnd = lineStart;
        while (lineEnd < end && text[lineEnd] != '\n')
            ++lineEnd;
        uint32_t first = lineStart;
        while (first < lineEnd && isBlank(text[first]))
            ++first;
        uint32_t last = lineEnd;
        while (last > first && isBlank(text[last - 1]))
            --last;
        if (first < last) {
            const uint32_t length = last - first < kFirstLineLimit ? last - first : kFirstLineLimit;
            return text.substr(first, length);
        }
        lineStart = lineEnd + 1;
    }
    return {};
}

}  // namespace

std::vector<BookPage> bookPages(const Book& book) {
    std::vector<BookPage> pages;
    const auto textLength = static_cast<uint32_t>(book.text.size());
    auto add = [&](uint32_t start, uint32_t end) {
        pages.push_back({static_cast<uint32_t>(pages.size() + 1), start, end,
                         firstLineOf(book.text, start, end)});
    };
    if (book.files.empty()) {
        add(0, textLength);
        return pages;
    }
    for (const BookFile& file : book.files)
        add(file.start, file.end);
    if (book.files.back().end < textLength)
        add(book.files.back().end, textLength);
    return pages;
}

}  // namespace skerrit::preview
