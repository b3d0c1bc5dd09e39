// Doc (PalmDOC) e-books, text only: record 0 says how the text records are stored (uncompressed,
// or with PalmDOC compression) and how many there are; they follow as records 1 to that number.
// Records after them (bookmarks and the like) are not text.
#pragma once

#include "preview/Book.h"
#include "preview/PalmContainer.h"
#include "preview/ReadFailure.h"

namespace skerrit::preview {

[[nodiscard]] bool readDocBook(const PalmContainer& container, Book& book, ReadFailure& failure);

}  // namespace skerrit::preview
