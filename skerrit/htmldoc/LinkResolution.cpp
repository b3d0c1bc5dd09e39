// Targets are found by hash first. The queued pages are held in a table sorted by name hash, the
// first 8000 PageRecords, kept from page to page when the conversion gives it a block; a page's
// anchors in an AnchorTable.
// Names are read from the streams only to confirm a hash candidate.
#include "htmldoc/LinkResolution.h"

#include <algorithm>
#include <memory>

#include "htmldoc/AnchorTable.h"
#include "htmldoc/DocumentRecords.h"
#include "htmldoc/NameHash.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {
namespace {

// A block from the callbacks, given back on every path out.
class CallbackBlock {
  public:
    // Size 0 asks for nothing.
    CallbackBlock(const ConverterCallbacks& callbacks, uint32_t size)
        : callbacks_(callbacks),
          block_(size > 0 ? callbacks.allocate(callbacks.context, size) : nullptr) {}
    ~CallbackBlock() {
        if (block_ != nullptr)
            callbacks_.release(callbacks_.context, block_);
    }
    CallbackBlock(const CallbackBlock&) = delete;
    CallbackBlock& operator=(const CallbackBlock&) = delete;
    void* get() const { return block_; }

  private:
    const ConverterCallbacks& callbacks_;
    void* block_;
};

bool readPageName(const LinkStore& store, uint32_t pageRef, const PageRecord& page,
                  FoldedName& name) {
    return readFoldedName(*store.callbacks, store.pageQueueStream, pageRef + PageRecord::kSize,
                          page.nameLength, name);
}

bool readTargetName(const LinkStore& store, uint32_t linkOffset, const LinkRecord& link,
                    FoldedName& name) {
    return readFoldedName(*store.callbacks, store.linkStream, link.targetNameOffset(linkOffset),
                          link.targetLength, name);
}

// The queued pages by name hash, for finding the page a link names: the first 8000 PageRecords
// of the queue, sorted by hash and, for equal hashes, in queue order, so that a name queued twice
// (frames) finds its first record. The entries are the conversion's kept table when it has one,
// else a block of this call's own.
class PageTable {
  public:
    explicit PageTable(const LinkStore& store)
        : store_(store),
          block_(*store.callbacks, store.state->pageTable == nullptr ? kPageTableBytes : 0) {
        PageQueueState& state = *store.state;
        if (state.pageTable != nullptr) {
            entries_ = state.pageTable;
            count_ = &state.pageTableCount;
            lastRef_ = &state.pageTableLastRef;
        } else if (block_.get() != nullptr) {
            entries_ = static_cast<PageTableEntry*>(block_.get());
            std::uninitialized_value_construct_n(entries_, kPageTableCapacity);
        }
    }

    bool allocated() const { return entries_ != nullptr; }
    bool full() const { return *count_ == kPageTableCapacity; }

    // Takes in the PageRecords queued since the table last read the queue, in queue order, until
    // it holds the first 8000. A kept table that is up to date reads nothing.
    bool catchUp() {
        const ConverterCallbacks& callbacks = *store_.callbacks;
        const uint32_t wanted = std::min(store_.state->pageCount, kPageTableCapacity);
        if (*count_ >= wanted)
            return true;
        uint32_t pageRef = 0;
        if (*count_ > 0) {
            PageRecord last;
            if (!readPageRecord(callbacks, store_.pageQueueStream, *lastRef_, last))
                return false;
            pageRef = last.nextPage;
        }
        while (*count_ < wanted && pageRef != kNoneValue) {
            PageRecord page;
            if (!readPageRecord(callbacks, store_.pageQueueStream, pageRef, page))
                return false;
            add(page.nameHash, pageRef);
            pageRef = page.nextPage;
        }
        return true;
    }

    // The page named like the link's target, or kNoneValue; false when a stream fails.
    bool find(const LinkRecord& link, uint32_t linkOffset, uint32_t& pageRef) const {
        pageRef = kNoneValue;
        const PageTableEntry* begin = entries_;
        const PageTableEntry* end = begin + *count_;
        const PageTableEntry* first = std::lower_bound(
            begin, end, link.targetHash,
            [](const PageTableEntry& entry, uint32_t hash) { return entry.nameHash < hash; });
        if (first == end || first->nameHash != link.targetHash)
            return true;
        FoldedName wanted;
        if (!readTargetName(store_, linkOffset, link, wanted))
            return false;
        for (const PageTableEntry* entry = first;
             entry != end && entry->nameHash == link.targetHash; ++entry) {
            PageRecord page;
            FoldedName candidate;
            if (!readPageRecord(*store_.callbacks, store_.pageQueueStream, entry->pageRef, page) ||
                !readPageName(store_, entry->pageRef, page, candidate)) {
                return false;
            }
            if (page.nameLength == link.targetLength && namesEqual(wanted, candidate)) {
                pageRef = entry->pageRef;
                return true;
            }
        }
        return true;
    }

    // Adds the PageRecord just queued after the ones held (the table must not be full).
    void add(uint32_t hash, uint32_t pageRef) {
        PageTableEntry* end = entries_ + *count_;
        const PageTableEntry entry{hash, pageRef};
        PageTableEntry* place = std::upper_bound(
            entries_, end, entry, [](const PageTableEntry& left, const PageTableEntry& right) {
                return left.nameHash != right.nameHash ? left.nameHash < right.nameHash
                                                       : left.pageRef < right.pageRef;
            });
        std::move_backward(place, end, end + 1);
        *place = entry;
        *count_ += 1;
        *lastRef_ = pageRef;
    }

  private:
    const LinkStore& store_;
    CallbackBlock block_;
    PageTableEntry* entries_ = nullptr;
    uint32_t ownCount_ = 0;
    uint32_t ownLastRef_ = kNoneValue;
    uint32_t* count_ = &ownCount_;
    uint32_t* lastRef_ = &ownLastRef_;
};

// Queues the link's target under its full name; the name buffer comes from the callbacks.
bool queueTarget(const LinkStore& store, uint16_t depth, uint32_t linkOffset,
                 const LinkRecord& link, uint32_t& pageRef) {
    CallbackBlock name(*store.callbacks, uint32_t{link.targetLength} + 1);
    if (name.get() == nullptr)
        return false;
    char* text = static_cast<char*>(name.get());
    if (!readAt(*store.callbacks, store.linkStream, link.targetNameOffset(linkOffset), text,
                link.targetLength)) {
        return false;
    }
    text[link.targetLength] = '\0';
    // A NUL inside the stored name would shorten it; such a name is stored as far as it goes.
    return enqueuePage(store, depth, text, &pageRef) == 1;
}

// Appends the link at linkOffset to the incoming list of the page at pageRef.
bool attachToPage(const LinkStore& store, uint32_t pageRef, uint32_t linkOffset,
                  uint16_t linkDepth) {
    const ConverterCallbacks& callbacks = *store.callbacks;
    PageRecord page;
    if (!readPageRecord(callbacks, store.pageQueueStream, pageRef, page))
        return false;
    if (page.incomingCount == 0) {
        page.firstIncoming = linkOffset;
    } else {
        LinkRecord last;
        if (!readLinkRecord(callbacks, store.linkStream, page.lastIncoming, last))
            return false;
        last.nextIncoming = linkOffset;
        if (!writeLinkRecord(callbacks, store.linkStream, page.lastIncoming, last))
            return false;
    }
    if (linkDepth < page.depth)
        page.depth = linkDepth;
    page.incomingCount += 1;
    page.lastIncoming = linkOffset;
    return writePageRecord(callbacks, store.pageQueueStream, pageRef, page);
}

bool attachLink(const LinkStore& store, PageTable& table, uint16_t pageDepth, uint32_t linkOffset,
                const LinkRecord& link) {
    // A link without a target name cannot name a page; it stays unattached.
    if (link.targetLength == 0)
        return true;
    const uint16_t linkDepth = static_cast<uint16_t>(pageDepth + 1);
    uint32_t pageRef = kNoneValue;
    if (!table.find(link, linkOffset, pageRef))
        return false;
    if (pageRef == kNoneValue) {
        if (!queueTarget(store, linkDepth, linkOffset, link, pageRef))
            return false;
        // A full table cannot learn the new page: this link stays unresolved, and a later link to
        // the same name queues it again.
        if (table.full()) {
            store.state->linksPastPageTable += 1;
            return true;
        }
        table.add(link.targetHash, pageRef);
    }
    return attachToPage(store, pageRef, linkOffset, linkDepth);
}

}  // namespace

int32_t resolveLocalLinks(const LinkStore& store) {
    const ConverterCallbacks& callbacks = *store.callbacks;
    const PageQueueState& state = *store.state;
    PageRecord page;
    FoldedName pageName;
    AnchorTable anchors(callbacks);
    if (!readPageRecord(callbacks, store.pageQueueStream, state.currentPageRef, page) ||
        !anchors.build(store, page) || !readPageName(store, state.currentPageRef, page, pageName)) {
        return 0;
    }
    uint32_t offset = state.pageLinkStart;
    for (uint32_t index = 0; index < state.pageLinkCount; ++index) {
        LinkRecord link;
        if (!readLinkRecord(callbacks, store.linkStream, offset, link))
            return 0;
        if (link.targetHash == page.nameHash && link.targetLength == page.nameLength) {
            FoldedName target;
            if (!readTargetName(store, offset, link, target))
                return 0;
            if (namesEqual(target, pageName)) {
                if (resolveLink(store, anchors, link, offset) != 1 ||
                    !writeLinkRecord(callbacks, store.linkStream, offset, link)) {
                    return 0;
                }
            }
        }
        offset = link.nextRecordOffset(offset);
    }
    return 1;
}

int32_t queueLinkedPages(const LinkStore& store, uint16_t pageDepth) {
    const ConverterCallbacks& callbacks = *store.callbacks;
    const PageQueueState& state = *store.state;
    PageRecord current;
    if (!readPageRecord(callbacks, store.pageQueueStream, state.currentPageRef, current))
        return 0;
    PageTable table(store);
    if (!table.allocated())
        return 0;

    // The page's own link count is fixed before attaching: queueing appends only PageRecords.
    // The table is brought up to date only when a link needs it: a page without links to other
    // pages (a frameset page among them) reads nothing here.
    const uint32_t linkCount = state.pageLinkCount;
    uint32_t offset = state.pageLinkStart;
    bool tableReady = false;
    for (uint32_t index = 0; index < linkCount; ++index) {
        LinkRecord link;
        if (!readLinkRecord(callbacks, store.linkStream, offset, link))
            return 0;
        if (!link.resolved() && link.targetLength > 0) {
            if (!tableReady && !table.catchUp())
                return 0;
            tableReady = true;
            if (!attachLink(store, table, pageDepth, offset, link))
                return 0;
        }
        offset = link.nextRecordOffset(offset);
    }
    return 1;
}

int32_t resolveAllLinks(const LinkStore& store) {
    const ConverterCallbacks& callbacks = *store.callbacks;
    uint32_t pageRef = 0;
    for (uint32_t index = 0; index < store.state->pageCount && pageRef != kNoneValue; ++index) {
        PageRecord page;
        if (!readPageRecord(callbacks, store.pageQueueStream, pageRef, page))
            return 0;
        if (page.incomingCount > 0) {
            AnchorTable anchors(callbacks);
            if (!anchors.build(store, page))
                return 0;
            uint32_t linkOffset = page.firstIncoming;
            for (uint32_t left = page.incomingCount; left > 0; --left) {
                LinkRecord link;
                if (!readLinkRecord(callbacks, store.linkStream, linkOffset, link) ||
                    resolveLink(store, anchors, link, linkOffset) != 1 ||
                    !writeLinkRecord(callbacks, store.linkStream, linkOffset, link)) {
                    return 0;
                }
                linkOffset = link.nextIncoming;
            }
        }
        pageRef = page.nextPage;
    }
    return 1;
}

}  // namespace skerrit
