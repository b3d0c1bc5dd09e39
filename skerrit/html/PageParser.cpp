// The parse loop and its dispatch table (tag number to handler), and the skipping of elements
// whose content is not text (scripts, styles, applets, embedded objects, layers, server code).
#include "html/PageParser.h"

#include <array>

#include "html/ElementStack.h"
#include "html/StyleComputation.h"
#include "html/TagHandlers.h"
#include "html/TagTables.h"
#include "html/TextOutput.h"
#include "html/Tokenizer.h"

namespace skerrit {

namespace {

struct TagDispatch {
    TagHandler handler;  // null: recognised and ignored, its content is ordinary text
    int32_t argument;
};

constexpr TagDispatch ignored{nullptr, 0};
constexpr TagDispatch skipped(int32_t tagId) {
    return TagDispatch{&skipElement, tagId};
}
constexpr TagDispatch style(int32_t kind) {
    return TagDispatch{&handleSimpleStyle, kind};
}

// Indexed by TagId; every one of the 86 tags has its entry.
constexpr std::array<TagDispatch, kTagCount> kDispatch{{
    {&handleAnchor, kElementLink},                    // A
    style(kElementAddress),                           // ADDRESS
    skipped(kTagApplet),                              // APPLET
    ignored,                                          // AREA
    style(kElementBold),                              // B
    {&handleBase, 0},                                 // BASE
    {&handleBaseFont, kElementBaseFont},              // BASEFONT
    style(kElementBig),                               // BIG
    style(kElementBlink),                             // BLINK
    style(kElementBlockquote),                        // BLOCKQUOTE
    ignored,                                          // BODY
    {&handleLineBreak, 0},                            // BR
    ignored,                                          // CAPTION
    style(kElementCenter),                            // CENTER
    style(kElementCite),                              // CITE
    style(kElementCode),                              // CODE
    {&handleDefinition, kElementDefinition},          // DD
    {&handleList, kElementDir},                       // DIR
    {&handleDiv, kElementDiv},                        // DIV
    {&handleDefinitionList, kElementDefinitionList},  // DL
    {&handleDefinitionTerm, 0},                       // DT
    style(kElementEmphasis),                          // EM
    skipped(kTagEmbed),                               // EMBED
    {&handleFont, kElementFont},                      // FONT
    ignored,                                          // FORM
    ignored,                                          // FRAME
    {&handleFrameset, 0},                             // FRAMESET
    {&handleHeading, kElementHeading1},               // H1
    {&handleHeading, kElementHeading1 + 1},           // H2
    {&handleHeading, kElementHeading1 + 2},           // H3
    {&handleHeading, kElementHeading1 + 3},           // H4
    {&handleHeading, kElementHeading1 + 4},           // H5
    {&handleHeading, kElementHeading6},               // H6
    ignored,                                          // HEAD
    {&handleRule, 0},                                 // HR
    ignored,                                          // HTML
    style(kElementItalic),                            // I
    ignored,                                          // ILAYER
    ignored,                                          // IMG
    ignored,                                          // INPUT
    ignored,                                          // ISINDEX
    style(kElementKeyboard),                          // KBD
    ignored,                                          // KEYGEN
    skipped(kTagLayer),                               // LAYER
    {&handleListItem, kElementListItem},              // LI
    ignored,                                          // LINK
    ignored,                                          // MAP
    {&handleList, kElementMenu},                      // MENU
    ignored,                                          // META
    ignored,                                          // MULTICOL
    ignored,                                          // NOBR
    ignored,                                          // NOEMBED
    skipped(kTagNoframes),                            // NOFRAMES (end tags do nothing)
    ignored,                                          // NOLAYER
    ignored,                                          // NOSCRIPT
    ignored,                                          // OBJECT
    {&handleList, kElementOrderedList},               // OL
    ignored,                                          // OPTION
    {&handleParagraph, kElementParagraph},            // P
    ignored,                                          // PARAM
    {&handlePlaintext, 0},                            // PLAINTEXT
    {&handlePre, kElementPre},                        // PRE
    style(kElementShortStrike),                       // S
    skipped(kTagScript),                              // SCRIPT
    ignored,                                          // SELECT
    skipped(kTagServer),                              // SERVER
    style(kElementSmall),                             // SMALL
    ignored,                                          // SPACER
    ignored,                                          // SPAN
    style(kElementStrike),                            // STRIKE
    style(kElementStrong),                            // STRONG
    skipped(kTagStyle),                               // STYLE
    style(kElementSub),                               // SUB
    style(kElementSup),                               // SUP
    {&handleTable, kElementTable},                    // TABLE
    {&handleTableCell, kElementTableData},            // TD
    ignored,                                          // TEXTAREA
    {&handleTableCell, kElementTableHeader},          // TH
    {&handleTitle, 0},                                // TITLE
    {&handleTableRow, kElementTableRow},              // TR
    style(kElementTeletype),                          // TT
    style(kElementUnderline),                         // U
    {&handleList, kElementUnorderedList},             // UL
    style(kElementVariable),                          // VAR
    ignored,                                          // WBR
    {&handleXmp, kElementXmp},                        // XMP
}};

// Skipped content is read in small pieces; none of it is kept.
constexpr uint32_t kSkipBufferSize = 256;

}  // namespace

void skipElement(HtmlReader& reader, PageParse&, bool isEnd, int32_t tagId) {
    if (isEnd)
        return;
    // A private space state: skipped text must not change the page's whitespace state.
    uint32_t spaceState = 1;
    uint8_t discarded[kSkipBufferSize];
    for (;;) {
        const TextRun run = readTextRun(reader, spaceState, discarded, kSkipBufferSize);
        if (run.ending == kEndOfInput)
            return;
        if (run.ending != '<')
            continue;
        readTag(reader);
        const TagLookup tag = lookupTag(reader.tag.name.data());
        if (tag.id == tagId && tag.isEnd)
            return;
    }
}

int32_t parsePage(HtmlReader& reader) {
    FormattingState& format = reader.format;
    emptyStack(*format.elements);
    PageParse page{computeStyle(*format.elements), false, false};
    format.lastItemStart = page.currentStyle.itemStart;

    uint8_t* run = format.runBuffer.data();
    uint16_t lastRunLength = 0;
    for (;;) {
        const TextRun text = page.preformatted
                                 ? readPreformattedRun(reader, run, kRunBufferSize)
                                 : readTextRun(reader, format.lastWasSpace, run, kRunBufferSize);
        lastRunLength = text.length;
        if (text.ending == kEndOfInput)
            break;
        if (text.length > 0) {
            if (!flushPending(reader, page.currentStyle) || !appendText(reader, run, text.length)) {
                break;
            }
        }
        if (text.ending != '<')
            continue;  // the run buffer filled; the text goes on
        lastRunLength = 0;

        readTag(reader);
        const TagLookup tag = lookupTag(reader.tag.name.data());
        // The first text of a list item has been written and a tag follows it.
        if (text.length > 0 && tag.id != kTagLi)
            clearItemStart(*format.elements);
        if (tag.id == kTagUnknown)
            continue;
        const TagDispatch& entry = kDispatch[static_cast<size_t>(tag.id)];
        if (entry.handler == nullptr)
            continue;
        entry.handler(reader, page, tag.isEnd, entry.argument);
        if (page.endedByHandler)
            return 1;
    }

    // The end of the page; failures here need no answer (the page is over either way) and are
    // remembered by the output for the page loop.
    (void)flushPending(reader, page.currentStyle);
    if (lastRunLength > 0)
        (void)appendText(reader, run, lastRunLength);
    closePageText(reader);
    return 1;
}

}  // namespace skerrit
