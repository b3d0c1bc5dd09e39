// The text part of a VaDo database: record 0 and, group by group, a code table record followed
// by the group's text records, each holding one 4096-byte chunk of the text (the last chunk may
// be shorter), coded with the group's table or stored as it is.
#pragma once

#include "encoder/DatabaseWriter.h"
#include "preview/Book.h"
#include "preview/PalmContainer.h"
#include "preview/ReadFailure.h"

namespace skerrit::preview {

// The text is cut into chunks of kTextChunkSize bytes, as the writer cuts it: the header record
// does not store the size.
using skerrit::kTextChunkSize;

// Reads and checks record 0 into book.headerRecord, then decodes every record of the text part
// into book.text. Fails, naming the record, when record 0 is not a VaDo header record, when the
// records do not follow the group order the header record gives, or when a record does not
// decode to exactly its chunk of the text.
[[nodiscard]] bool readTextPart(const PalmContainer& container, Book& book, ReadFailure& failure);

}  // namespace skerrit::preview
