// Buffered reading of one page through the callbacks. Every reader of a page (text runs, tags,
// references, skipped elements, raw XMP text) works on these operations. The page is read 1024
// bytes at a time; bytes can be pushed back across the start of the buffer (the buffer is then
// re-read from the file), never before the start of the page. Read errors and a cancel from the
// progress hook look like the end of the page.
#pragma once

#include <cstdint>

#include "html/HtmlReader.h"

namespace skerrit {

[[nodiscard]] constexpr bool isHtmlSpace(int32_t byte) {
    return byte == ' ' || (byte >= 9 && byte <= 13);
}

// Fetches the next buffer; false at the end of the page or on a failure.
[[nodiscard]] bool refillPageBuffer(HtmlReader& reader);

// The next byte (0..255), or kEndOfInput.
[[nodiscard]] inline int32_t readByte(HtmlReader& reader) {
    PageInput& input = reader.input;
    if (input.index >= input.count && !refillPageBuffer(reader))
        return kEndOfInput;
    return input.buffer[input.index++];
}

// Pushes back the last n bytes delivered. Refused (no effect) before the start of the page.
void unreadBytes(HtmlReader& reader, uint32_t n);

// The next byte that is not whitespace (the whitespace is consumed), or kEndOfInput.
[[nodiscard]] int32_t skipSpaces(HtmlReader& reader);

// Reads up to the first whitespace byte or byte of `delimiters` (NUL-terminated set) and returns
// it, consumed (kEndOfInput if the page ends first). At most `max` bytes before it are stored in
// out, which must hold max + 1; further ones are dropped. out is always NUL-terminated.
[[nodiscard]] int32_t readUntilAny(HtmlReader& reader, const char* delimiters, char* out,
                                   uint32_t max);
// The same, but only `stop` ends the read; whitespace is stored.
[[nodiscard]] int32_t readUntilByte(HtmlReader& reader, int32_t stop, char* out, uint32_t max);

}  // namespace skerrit
