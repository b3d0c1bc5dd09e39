// The text that --info prints: the title, the dates, the records and sizes of the text part and of
// each extra-record group, and the converted files, one line each.
#pragma once

#include <string>

#include "preview/Book.h"

namespace skerrit::preview {

std::string describeBook(const Book& book);

// "2026-03-14 09:26:53", or "never" for 0; the date is local time as written.
std::string formatPalmDate(uint32_t date);

}  // namespace skerrit::preview
