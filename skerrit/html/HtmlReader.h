// The single context record of an HTML conversion, and the records it writes to its streams.
// Every stage of the reader (page input, tokenizer, text output, parse loop, tag handlers, and the
// link and anchor bookkeeping in htmldoc/) works on one HtmlReader; its fields are grouped by the
// stage that owns them. The record is plain data: it is placed in a block from `allocate`, set up
// by initialiseReader and never moved, so the attribute pairs may point into its own pool.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/ConverterCallbacks.h"
#include "htmldoc/LinkRecorder.h"
#include "htmldoc/PageQueue.h"

namespace skerrit {

struct ElementStack;
struct HtmlReader;

// What readByte and the readers built on it answer at the end of the page (never a byte value).
inline constexpr int32_t kEndOfInput = -1;
// All ones: no position, no record, no link open.
inline constexpr uint32_t kNone = kNoneValue;

// The page is read through this buffer; pushing back across its start costs one seek and one read.
inline constexpr uint32_t kPageBufferSize = 1024;
// Tag name: the byte after "<" plus at most 30 more, and the terminator.
inline constexpr uint32_t kTagNameSize = 32;
inline constexpr uint32_t kMaxAttributes = 32;
// Names and values of one tag, each NUL-terminated; what does not fit is cut or left empty.
inline constexpr uint32_t kAttributePoolSize = 4096;
// Attribute names keep at most 31 bytes, values at most 1023 (so a value always fits a 1024-byte
// field such as linkHref or baseUrl).
inline constexpr uint32_t kAttributeNameMax = 31;
inline constexpr uint32_t kAttributeValueMax = 1023;
inline constexpr uint32_t kRunBufferSize = 4096;
inline constexpr uint32_t kOutputBufferSize = 4096;
inline constexpr uint32_t kTitleSize = 256;
inline constexpr uint32_t kPathFieldSize = 1024;
// Tables nested deeper than this are counted but keep no per-level state.
inline constexpr uint32_t kTableLevels = 16;

static_assert(kAttributeValueMax + 1 <= kPathFieldSize, "an HREF value must fit linkHref");
static_assert(kTagNameSize == 1 + 30 + 1, "first byte, 30 more, terminator");

// Formatting in effect for a stretch of text; 56 bytes in the style-run stream.
struct TextStyle {
    int32_t alignment;  // 0 left, 1 center, 2 right
    int32_t heading;    // 1 inside H1..H6
    int32_t fontSize;   // 1..7, 3 normal
    int32_t monospace;
    int32_t bold;
    int32_t underline;  // 0 none, 1 underlined, 2 link
    int32_t italic;
    int32_t strikeThrough;
    int32_t subscript;
    int32_t superscript;
    int32_t indent;     // 0..7
    int32_t itemStart;  // 1: the text that follows is the first text of a list item
    int32_t listStyle;  // 0 disc .. 7 decimal
    uint16_t itemNumber;
};

inline constexpr TextStyle kDefaultTextStyle{0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
inline constexpr uint32_t kTextStyleBytes = 56;
inline constexpr uint32_t kStyleRunBytes = 4 + kTextStyleBytes;

enum BlockKind : int32_t { kBlockRule = 1, kBlockPageEnd = 2 };

// A horizontal rule or the end of a page's text; 24 bytes in the block stream.
struct BlockRecord {
    uint32_t position;
    int32_t kind;
    int32_t alignment;  // rules: 0 center, 1 right, 2 left
    int32_t noShade;
    int32_t size;
    int32_t width;  // >= 0 pixels; < 0 minus a percentage of the line
};
inline constexpr uint32_t kBlockRecordBytes = 24;

// Called before every refill of the page buffer with the file offset about to be read and the
// page size. Answers false when the user canceled.
using PageProgressHook = bool (*)(void* argument, uint32_t position, uint32_t size);

struct PageInput {
    FileObject file;
    uint32_t size;      // found by seeking to the end when the page is set up
    uint32_t position;  // file offset of buffer[0]
    uint32_t index;     // next byte to deliver
    uint32_t count;     // bytes held
    std::array<uint8_t, kPageBufferSize> buffer;
    PageProgressHook progressHook;  // null: no hook
    void* hookArgument;
    int32_t progressStop;  // 1 once the hook reported a cancel
};

struct Attribute {
    const char* name;   // points into the pool, or to a shared empty string
    const char* value;  // never null; an attribute without a value has ""
};

// The most recent tag only; reading a tag overwrites them.
struct TagBuffers {
    std::array<char, kTagNameSize> name;
    uint32_t attributeCount;
    uint32_t poolUsed;
    std::array<char, kAttributePoolSize> pool;
    std::array<Attribute, kMaxAttributes> attributes;
};

// Links, anchors and the page queue; htmldoc/ owns the records behind them and the queue's own
// bookkeeping (currentPageRef, page link and anchor ranges, pageStartPos, lastPageRef, pageCount).
struct LinkState {
    std::array<char, kPathFieldSize> baseUrl;
    std::array<char, kPathFieldSize> pageName;
    std::array<char, kPathFieldSize> linkHref;
    uint32_t linkStart;  // kNone: no link open
    uint32_t lastAnchorPos;
    uint32_t lastAnchorRef;
    PageQueueState queue;
    uint16_t pageDepth;
};

struct ReaderStreams {
    FileObject styleRunStream;
    FileObject linkStream;
    FileObject pageQueueStream;
    FileObject blockStream;
    FileObject textStream;  // the job's; null while only scanning (title, detection)
};

// Text output, the break model and the element stack the style is computed from.
struct FormattingState {
    ElementStack* elements;  // a separate allocation owned by the reader
    uint32_t lastWasSpace;
    uint32_t breakRequested;
    uint32_t pendingNewlines;
    uint16_t trailingNewlines;
    int32_t lastItemStart;  // item start of the last style run written
    uint32_t textPos;       // text bytes emitted since the start of the first page
    std::array<uint8_t, kRunBufferSize> runBuffer;
    uint16_t outputCount;
    std::array<uint8_t, kOutputBufferSize> outputBuffer;
    uint32_t blockRecordCount;
};

enum CellState : uint8_t {
    kTableStarted = 1,
    kRowStarted = 2,
    kInCell = 4,
    kCellEnded = 5,
};

struct TableState {
    uint16_t tableDepth;
    std::array<uint8_t, kTableLevels> cellState;    // index level - 1
    std::array<uint8_t, kTableLevels> tableBorder;  // 0..15
};

struct HtmlReader {
    const ConverterCallbacks* callbacks;
    PageInput input;
    std::array<char, kTitleSize> title;
    LinkState links;
    ReaderStreams streams;
    FormattingState format;
    TableState tables;
    TagBuffers tag;
};

// Allocates a reader and its element stack through the callbacks and gives them their initial
// values (no streams, no page, no hook). Null when an allocation fails; nothing is then held.
[[nodiscard]] HtmlReader* createHtmlReader(const ConverterCallbacks& callbacks);
// Releases the element stack, then the reader. Accepts null.
void destroyHtmlReader(HtmlReader* reader);

// Puts every counter, flag and field to its value at the start of a conversion.
void initialiseReader(HtmlReader& reader);

// Sets the reader up on a page: finds its size, empties the buffer and resets the per-page state
// (element stack, whitespace and break state, open link, last anchor, tables, output count).
// False when the size cannot be found.
[[nodiscard]] bool beginPage(HtmlReader& reader, FileObject file, uint16_t depth);

// What the page queue, anchor and link operations of htmldoc/ reach: the callbacks, the reader's
// page queue and link streams and its queue state.
[[nodiscard]] LinkStore linkStoreOf(HtmlReader& reader);
// The current page as the link operations see it.
[[nodiscard]] CurrentPage currentPageOf(const HtmlReader& reader);

// The page progress hook of a conversion: reports the percentage of the page before the buffer
// about to be read, through the progress callback of the ConverterCallbacks given as argument.
bool reportPageProgress(void* callbacks, uint32_t position, uint32_t size);

}  // namespace skerrit
