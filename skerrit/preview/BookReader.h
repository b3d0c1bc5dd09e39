// Reading a whole book file: the container, then by its type and creator either a VaDo database
// (text part and, when the header record points at them, the four extra-record groups) or a Doc
// e-book. Anything else is refused as not a book.
#pragma once

#include "preview/Book.h"
#include "preview/PalmContainer.h"
#include "preview/ReadFailure.h"

namespace skerrit::preview {

[[nodiscard]] bool readBook(ByteSpan file, Book& book, ReadFailure& failure);

}  // namespace skerrit::preview
