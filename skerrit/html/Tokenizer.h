// The tokenizer: turns the bytes of a page into text runs (whitespace collapsed or kept, character
// references decoded), tags (a name and up to 32 attributes) and skipped comments. It has no error
// results: malformed input always yields some text and some tags.
#pragma once

#include <cstdint>

#include "html/HtmlReader.h"

namespace skerrit {

struct TextRun {
    int32_t ending;   // "<", kEndOfInput, or the last byte stored when the buffer filled
    uint16_t length;  // bytes stored
};

// Reads text with every run of whitespace collapsed to one space. `spaceState` is set when the
// last byte given out was a space (spaces after it are dropped); it is read and updated, so the
// same state carries across runs and tags.
[[nodiscard]] TextRun readTextRun(HtmlReader& reader, uint32_t& spaceState, uint8_t* out,
                                  uint32_t max);
// Reads text with whitespace kept; carriage returns and NUL bytes are dropped.
[[nodiscard]] TextRun readPreformattedRun(HtmlReader& reader, uint8_t* out, uint32_t max);

// Called right after "<": fills the reader's tag buffers, or skips a comment (name "!--").
void readTag(HtmlReader& reader);

// Called right after "&": the decoded byte, "&" (38) when the text is not a reference (the bytes
// read after it are pushed back, except the "#" of a numeric attempt), or kEndOfInput.
[[nodiscard]] int32_t decodeReference(HtmlReader& reader);

}  // namespace skerrit
