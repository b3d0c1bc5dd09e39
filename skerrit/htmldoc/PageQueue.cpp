// Queueing appends a record and links the previous last record to it, so the queue can be walked
// from offset 0 without holding anything in memory; anchors share the stream and are skipped by
// following the nextPage chain.
#include "htmldoc/PageQueue.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "htmldoc/NameHash.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {

namespace {

bool appendPageRecord(const LinkStore& store, uint16_t depth, const char* name, uint32_t* pageRef) {
    const ConverterCallbacks& callbacks = *store.callbacks;
    PageQueueState& state = *store.state;
    // The length field is 16 bits; a longer name is stored cut so the records after it stay
    // where their offsets say. Page names from paths never come near it.
    const size_t length = std::min<size_t>(std::strlen(name), 0xFFFFu);

    uint32_t newRef = 0;
    if (!seekToEnd(callbacks, store.pageQueueStream, newRef))
        return false;
    PageRecord record;
    record.nameHash = hashName(name, length);
    record.depth = depth;
    record.nameLength = static_cast<uint16_t>(length);
    std::array<uint8_t, PageRecord::kSize> header{};
    encodePageRecord(record, header.data());
    if (!writeExact(callbacks, store.pageQueueStream, header.data(), PageRecord::kSize) ||
        !writeExact(callbacks, store.pageQueueStream, name, static_cast<uint32_t>(length))) {
        return false;
    }

    if (state.lastPageRef != kNoneValue) {
        PageRecord last;
        if (!readPageRecord(callbacks, store.pageQueueStream, state.lastPageRef, last)) {
            return false;
        }
        last.nextPage = newRef;
        if (!writePageRecord(callbacks, store.pageQueueStream, state.lastPageRef, last)) {
            return false;
        }
    }
    state.lastPageRef = newRef;
    state.pageCount += 1;
    if (pageRef != nullptr)
        *pageRef = newRef;
    return true;
}

}  // namespace

int32_t enqueuePage(const LinkStore& store, uint16_t depth, const char* name, uint32_t* pageRef) {
    if (appendPageRecord(store, depth, name, pageRef))
        return 1;
    store.state->streamFailed = true;
    return 0;
}

int32_t nextPage(const LinkStore& store, uint32_t& cursor, uint16_t& depth, char* name,
                 size_t nameCapacity) {
    const ConverterCallbacks& callbacks = *store.callbacks;
    uint32_t next = 0;
    if (cursor == kNoneValue) {
        if (store.state->lastPageRef == kNoneValue)
            return 1;  // nothing queued at all
        next = 0;
    } else {
        PageRecord current;
        if (!readPageRecord(callbacks, store.pageQueueStream, cursor, current))
            return 0;
        next = current.nextPage;
    }
    if (next == kNoneValue) {
        cursor = kNoneValue;
        return 1;
    }

    PageRecord record;
    if (!readPageRecord(callbacks, store.pageQueueStream, next, record))
        return 0;
    size_t kept = std::min<size_t>(record.nameLength, kPageNameReadLimit);
    if (nameCapacity == 0)
        return 0;
    kept = std::min(kept, nameCapacity - 1);
    if (!readExact(callbacks, store.pageQueueStream, name, static_cast<uint32_t>(kept)))
        return 0;
    name[kept] = '\0';
    depth = record.depth;
    cursor = next;
    return 1;
}

int32_t beginPageLinks(const LinkStore& store, uint32_t pageRef, uint32_t pageStartPos) {
    const ConverterCallbacks& callbacks = *store.callbacks;
    PageQueueState& state = *store.state;
    uint32_t linkEnd = 0;
    uint32_t queueEnd = 0;
    if (!seekToEnd(callbacks, store.linkStream, linkEnd) ||
        !seekToEnd(callbacks, store.pageQueueStream, queueEnd)) {
        return 0;
    }
    state.pageLinkStart = linkEnd;
    state.pageLinkCount = 0;
    state.currentPageRef = pageRef;
    state.pageAnchorStart = queueEnd;
    state.pageAnchorCount = 0;
    state.pageStartPos = pageStartPos;
    return 1;
}

int32_t endPageLinks(const LinkStore& store) {
    const ConverterCallbacks& callbacks = *store.callbacks;
    const PageQueueState& state = *store.state;
    if (state.streamFailed)
        return 0;
    PageRecord record;
    if (!readPageRecord(callbacks, store.pageQueueStream, state.currentPageRef, record))
        return 0;
    record.anchorCount = state.pageAnchorCount;
    record.firstAnchor = state.pageAnchorStart;
    record.startPos = state.pageStartPos;
    return writePageRecord(callbacks, store.pageQueueStream, state.currentPageRef, record) ? 1 : 0;
}

}  // namespace skerrit
