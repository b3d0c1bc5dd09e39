// The pages of a book as the preview shows them: the converted files of an HTML conversion, each
// the text between two file boundaries, or the whole text as one page. The database keeps where
// each file's text begins and ends but not the file's name, so a page is known by its number and
// its first line of text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "preview/Book.h"

namespace skerrit::preview {

struct BookPage {
    uint32_t number;  // from 1
    uint32_t start;
    uint32_t end;
    std::string firstLine;  // the first line with more than blanks, cut to kFirstLineLimit bytes
};

inline constexpr uint32_t kFirstLineLimit = 60;

// The file boundaries' pages in order; text after the last boundary (a page whose conversion
// stopped before its end) is a page of its own. Without boundaries, one page holds all the text.
std::vector<BookPage> bookPages(const Book& book);

}  // namespace skerrit::preview
