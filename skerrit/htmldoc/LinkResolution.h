// Giving links their targets. After each page its links to itself are resolved against its
// complete anchor list, and its other links are attached to their target pages (queueing pages
// not seen yet, one level deeper). After the last page every attached link is resolved against
// its target page's anchors. Links whose target page was never converted resolve to none.
#pragma once

#include <cstdint>

#include "htmldoc/PageQueue.h"

namespace skerrit {

// 8000 entries of 8 bytes: one 64000-byte block, below 64 KiB.
inline constexpr uint32_t kPageTableCapacity = 8000;

struct PageTableEntry {
    uint32_t nameHash;
    uint32_t pageRef;
};
static_assert(sizeof(PageTableEntry) == 8, "the table's memory is sized at 8 bytes an entry");
static_assert(kPageTableCapacity * sizeof(PageTableEntry) < 65536);

// The size of the block a conversion gives PageQueueState::pageTable to keep the table.
inline constexpr uint32_t kPageTableBytes =
    kPageTableCapacity * static_cast<uint32_t>(sizeof(PageTableEntry));

// Resolves the current page's links whose target is the page itself. Returns 1 or 0.
[[nodiscard]] int32_t resolveLocalLinks(const LinkStore& store);

// Attaches the current page's unresolved links to their target pages, queueing each target not
// queued yet at pageDepth + 1. Returns 1, or 0 when a stream or the table allocation fails.
[[nodiscard]] int32_t queueLinkedPages(const LinkStore& store, uint16_t pageDepth);

// Resolves every attached link of every queued page. Returns 1 or 0.
[[nodiscard]] int32_t resolveAllLinks(const LinkStore& store);

}  // namespace skerrit
