// The page parse loop: text runs go to the formatted text output, tags are looked up and handed
// to their handlers, and the end of the page closes the text with a line feed, a page-end block
// record and a run back to the default style.
#pragma once

#include <cstdint>

#include "html/HtmlReader.h"

namespace skerrit {

// Parses the page the reader is set up on, from its start to its end. Returns 1: output
// failures end the page early; they are remembered in the page queue state (streamFailed),
// which fails the conversion when the page is over.
int32_t parsePage(HtmlReader& reader);

}  // namespace skerrit
