// Named anchors: recording them while a page is parsed, and finding the one a link's fragment
// names. A page's anchors are contiguous AnchorRecords in the page queue stream; for lookups the
// first 4000 of them are held in memory sorted by name hash, and any beyond are found by scanning
// the stream, so a page with any number of anchors resolves in bounded memory.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"
#include "htmldoc/DocumentRecords.h"
#include "htmldoc/PageQueue.h"

namespace skerrit {

// 4000 entries of 12 bytes keep the table below 64 KiB, the largest block the engine asks for.
inline constexpr uint32_t kAnchorTableCapacity = 4000;

struct AnchorEntry {
    uint32_t nameHash;
    uint32_t recordOffset;
    uint32_t position;
};
static_assert(sizeof(AnchorEntry) == 12, "the table's memory is sized at 12 bytes an entry");
static_assert(kAnchorTableCapacity * sizeof(AnchorEntry) < 65536);

// Appends an AnchorRecord for name at position to the page queue stream and counts it for the
// current page; anchorRef receives the record's offset (the reader's lastAnchorRef). Returns 1 or
// 0.
[[nodiscard]] int32_t addAnchor(const LinkStore& store, uint32_t position, const char* name,
                                uint32_t& anchorRef);

// Rewrites the position of the AnchorRecord at anchorRef, for an anchor that must point past line
// feeds written after it was recorded. Returns 1 or 0.
[[nodiscard]] int32_t moveAnchor(const LinkStore& store, uint32_t anchorRef, uint32_t position);

// One page's anchors prepared for lookups. The memory comes from the callbacks and goes back when
// the table is destroyed; without it every lookup scans the stream.
class AnchorTable {
  public:
    explicit AnchorTable(const ConverterCallbacks& callbacks) : callbacks_(callbacks) {}
    ~AnchorTable();
    AnchorTable(const AnchorTable&) = delete;
    AnchorTable& operator=(const AnchorTable&) = delete;

    // Loads the anchors of the page whose record is given. False only when the stream fails.
    [[nodiscard]] bool build(const LinkStore& store, const PageRecord& page);

    uint32_t count() const { return count_; }
    uint32_t totalCount() const { return totalCount_; }
    uint32_t pageStart() const { return pageStart_; }
    uint32_t restOffset() const { return restOffset_; }
    const AnchorEntry& entry(uint32_t index) const { return entries_[index]; }

  private:
    void release();

    const ConverterCallbacks& callbacks_;
    AnchorEntry* entries_ = nullptr;
    uint32_t count_ = 0;
    uint32_t totalCount_ = 0;
    uint32_t pageStart_ = kNoneValue;
    uint32_t restOffset_ = kNoneValue;
};

// Gives the link at linkOffset in the link stream its target on the page of table: the anchor its
// fragment names, else the page's start (none when the page was never converted), and marks it
// resolved. The caller writes the record back. Returns 1, or 0 when a stream fails.
[[nodiscard]] int32_t resolveLink(const LinkStore& store, const AnchorTable& table,
                                  LinkRecord& link, uint32_t linkOffset);

}  // namespace skerrit
