// The extra records of a VaDo database from an HTML conversion: the four groups the header record
// points at (style runs, links, horizontal rules, file boundaries), decoded block by block and
// turned into tables of whole text positions.
//
// Inside a block each entry stores only the low half of its position, and entries lie at most
// 65536 apart, so each position is the previous one plus the difference of the low halves, taken
// modulo 65536. A difference of 0 means a whole step of 65536 wherever entries strictly follow one
// another: style runs are never empty, a link entry starts after the one before it, and so does a
// rule (every rule is written after the line feeds owed before it, and asks for a line break
// itself). File boundaries never repeat a low half: an end that would is written as an escape.
// Each block's stored end (or last high half) is checked against the positions so derived.
#pragma once

#include "preview/Book.h"
#include "preview/PalmContainer.h"
#include "preview/ReadFailure.h"

namespace skerrit::preview {

// Needs book.headerRecord and book.text (readTextPart). Fails, naming the record, for a group
// that lies outside the extra records, a block that does not decode, or positions that run
// backwards, disagree with the block's stored end or lie past the end of the text.
[[nodiscard]] bool readSectionGroups(const PalmContainer& container, Book& book,
                                     ReadFailure& failure);

}  // namespace skerrit::preview
