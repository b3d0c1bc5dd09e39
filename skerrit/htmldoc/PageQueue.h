// The page queue: which pages a conversion converts and in which order. Pages are queued first in,
// first out as PageRecords in the page queue stream, each naming the next; a page reference is the
// offset of its record. The reader keeps the queue's bookkeeping in a PageQueueState and hands it,
// with the two streams, to every operation here and in the anchor and link files.
//
// Order of calls in one conversion:
//   enqueuePage(depth 0, start page) once; then for each page:
//     nextPage -> depth check -> open -> beginPageLinks(pageRef, textPos) ->
//     parse (addAnchor, moveAnchor, closeLink/addLink, enqueuePage for frames) -> close ->
//     endPageLinks -> resolveLocalLinks -> queueLinkedPages(pageDepth);
//   after the last page resolveAllLinks, then the section writers (DocumentSections.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/ConverterCallbacks.h"
#include "htmldoc/DocumentRecords.h"

namespace skerrit {

// The longest page name the page loop opens: longer names are opened by their first 255
// characters, which nextPage hands back in a buffer of this size.
inline constexpr uint32_t kPageNameReadLimit = 255;
inline constexpr size_t kPageNameBufferSize = 260;

struct PageTableEntry;

// Fields of the conversion's context record owned by the queue, anchor and link operations.
// Default values are those of a conversion that has queued nothing yet.
struct PageQueueState {
    uint32_t currentPageRef = kNoneValue;  // page being converted
    uint32_t pageLinkStart = 0;            // offset of the current page's first LinkRecord
    uint32_t pageLinkCount = 0;
    uint32_t pageAnchorStart = 0;  // offset of the current page's first AnchorRecord
    uint32_t pageAnchorCount = 0;
    uint32_t pageStartPos = 0;          // text position where the current page began
    uint32_t lastPageRef = kNoneValue;  // last PageRecord of the queue
    uint32_t pageCount = 0;             // PageRecords queued
    // Set when a temporary stream failed while a page was parsed: a page, anchor or link record
    // being added or an anchor moved here, or (set by the reader's text output) a write of text,
    // a style run or a block record. The tag handlers go on after such a failure (a lost link is
    // not worth stopping a page for), but a record written in part breaks the walk over the
    // records after it, and lost text or records are lost data: the next endPageLinks fails the
    // conversion instead of letting it report success.
    bool streamFailed = false;
    // The table of queued pages that queueLinkedPages looks link targets up in (LinkResolution.h).
    // When the conversion gives it a block of kPageTableCapacity entries, the table is kept from
    // page to page and only learns the pages queued since; without one, each call builds its own
    // from the whole queue, which costs a read per queued page for every page converted.
    PageTableEntry* pageTable = nullptr;
    uint32_t pageTableCount = 0;             // entries held: the first PageRecords of the queue
    uint32_t pageTableLastRef = kNoneValue;  // the last of them
    // What the limits left out, for the conversion to tell once it has succeeded: links on pages
    // deeper than the deepest whose links are recorded (the pages only they lead to are not
    // queued), and links to names that a full page table could not take in (queued, but never
    // resolved).
    uint32_t linksTooDeep = 0;
    uint32_t linksPastPageTable = 0;
};

// What the operations reach: the callbacks, the two streams and the state, all owned by the caller.
struct LinkStore {
    const ConverterCallbacks* callbacks;
    FileObject pageQueueStream;  // PageRecords and AnchorRecords
    FileObject linkStream;       // LinkRecords
    PageQueueState* state;
};

// Appends a PageRecord for name (NUL-terminated) at the given depth; no duplicate check. pageRef,
// when not null, receives the new record's offset. Returns 1, or 0 when a stream fails (which
// also sets streamFailed).
[[nodiscard]] int32_t enqueuePage(const LinkStore& store, uint16_t depth, const char* name,
                                  uint32_t* pageRef = nullptr);

// Advances cursor (kNoneValue before the first call) to the next queued page and gives its depth
// and name (at most kPageNameReadLimit characters, NUL-terminated, cut further to fit
// nameCapacity). The cursor becomes kNoneValue when the queue is exhausted. Returns 1 or 0.
[[nodiscard]] int32_t nextPage(const LinkStore& store, uint32_t& cursor, uint16_t& depth,
                               char* name, size_t nameCapacity);

// Starts the link and anchor ranges of the page about to be parsed; pageStartPos is the text
// position where its text begins. Returns 1 or 0.
[[nodiscard]] int32_t beginPageLinks(const LinkStore& store, uint32_t pageRef,
                                     uint32_t pageStartPos);

// Stores the parsed page's anchor range and start position in its PageRecord. Returns 1, or 0
// when a stream fails now or failed while records were added (streamFailed).
[[nodiscard]] int32_t endPageLinks(const LinkStore& store);

}  // namespace skerrit
