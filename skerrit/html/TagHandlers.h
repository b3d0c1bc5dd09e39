// The handlers the parse loop dispatches recognised tags to. A handler gets the reader, the
// parse state of the page, the tag's end flag and the argument of its dispatch entry (an element
// kind, or the tag number for skipped elements); it reads the tag's attributes from the reader's
// tag buffers. Handlers report nothing: parsing goes on after a failed write inside one, which the
// output and link operations remember (streamFailed) so that the page loop fails the conversion.
#pragma once

#include <cstdint>

#include "html/HtmlReader.h"

namespace skerrit {

// What the parse loop keeps for one page besides the reader's fields.
struct PageParse {
    TextStyle currentStyle;  // the style of the last style run written for this page
    bool preformatted;       // between PRE start and end tags
    bool endedByHandler;     // FRAMESET and PLAINTEXT consume and end the page themselves
};

using TagHandler = void (*)(HtmlReader& reader, PageParse& page, bool isEnd, int32_t argument);

// Reads and discards the content of a start tag's element up to its end tag (argument: the tag
// number) or the end of the page; nested tags are not dispatched.
void skipElement(HtmlReader& reader, PageParse& page, bool isEnd, int32_t tagId);

// Text styles, blocks and fonts (TextStyleHandlers.cpp). The argument is the element kind.
void handleSimpleStyle(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleHeading(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleParagraph(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleDiv(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleLineBreak(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleBaseFont(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleFont(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handlePre(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);

// Rules, raw text and document-level tags.
void handleRule(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleXmp(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handlePlaintext(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleTitle(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleBase(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleFrameset(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
// A: the style part (link entry on the stack), then the link part (links and anchors).
void handleAnchor(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);

// Lists and tables.
void handleList(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleListItem(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleDefinitionList(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleDefinitionTerm(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleDefinition(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleTable(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleTableRow(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);
void handleTableCell(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind);

}  // namespace skerrit
