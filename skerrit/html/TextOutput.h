// The formatted text output: the buffered text stream with its position `textPos`, the line-break
// model, and the style-run and block streams. Line feeds that separate blocks are owed, not
// written: they go out just before the next text, rule or page end (flushPending), take the style
// of the text before them, and runs of break requests collapse into the largest need.
#pragma once

#include <cstdint>

#include "html/HtmlReader.h"

namespace skerrit {

// Appends n bytes (n <= kOutputBufferSize) to the text, counting line feeds at its end.
[[nodiscard]] bool appendText(HtmlReader& reader, const uint8_t* bytes, uint32_t n);
// Appends the byte n times; the count of trailing line feeds is left alone.
[[nodiscard]] bool appendRepeated(HtmlReader& reader, uint8_t byte, uint32_t n);
// Writes the buffered text to the text stream (when one is attached).
[[nodiscard]] bool flushText(HtmlReader& reader);

// The break operations; all of them drop the spaces at the start of the next line.
// The next text starts a new line unless it would anyway.
void breakLine(HtmlReader& reader);
// The next text follows a blank line.
void breakParagraph(HtmlReader& reader);
// One more line feed, once per run of requests.
void forceLineBreak(HtmlReader& reader);
// At least two owed line feeds, whatever the text ends with.
void endBlock(HtmlReader& reader);
// Writes the owed line feeds now.
[[nodiscard]] bool flushBreaks(HtmlReader& reader);

// Brings the outputs up to date just before text is written: a style run when the style computed
// from the element stack differs from `current` (which is updated), the owed line feeds, and the
// anchor and link start moved past them.
[[nodiscard]] bool flushPending(HtmlReader& reader, TextStyle& current);

// The end of a page's text, after its last run: a closing line feed unless the text already ends
// with one, the text written out, a page-end block record and a run back to the default style.
// Failures end nothing more (the page is over either way); like every failed write of the
// reader, they are remembered in streamFailed.
void closePageText(HtmlReader& reader);

// One 60-byte style run (position, then the style); nothing without a style-run stream.
[[nodiscard]] bool writeStyleRun(HtmlReader& reader, uint32_t position, const TextStyle& style);
// One 24-byte block record; the reader counts them.
[[nodiscard]] bool writeBlockRecord(HtmlReader& reader, const BlockRecord& record);

// The little-endian layouts of the two streams.
void encodeTextStyle(const TextStyle& style, uint8_t* out);
void encodeBlockRecord(const BlockRecord& record, uint8_t* out);

}  // namespace skerrit
