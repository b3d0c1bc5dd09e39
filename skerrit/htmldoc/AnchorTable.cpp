// Lookups go by hash first: a binary search in the sorted table, and names are read from the
// stream only for hash candidates. A unique hash in a table that holds all of the page's anchors
// is trusted without reading names, which keeps pages with thousands of internal links fast.
#include "htmldoc/AnchorTable.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "htmldoc/NameHash.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {

int32_t addAnchor(const LinkStore& store, uint32_t position, const char* name,
                  uint32_t& anchorRef) {
    const ConverterCallbacks& callbacks = *store.callbacks;
    const size_t length = std::min<size_t>(std::strlen(name), 0xFFFFu);
    uint32_t offset = 0;
    if (!seekToEnd(callbacks, store.pageQueueStream, offset)) {
        store.state->streamFailed = true;
        return 0;
    }
    anchorRef = offset;
    AnchorRecord record;
    record.position = position;
    record.nameHash = hashName(name, length);
    record.nameLength = static_cast<uint16_t>(length);
    std::array<uint8_t, AnchorRecord::kSize> header{};
    encodeAnchorRecord(record, header.data());
    if (!writeExact(callbacks, store.pageQueueStream, header.data(), AnchorRecord::kSize) ||
        !writeExact(callbacks, store.pageQueueStream, name, static_cast<uint32_t>(length))) {
        store.state->streamFailed = true;
        return 0;
    }
    store.state->pageAnchorCount += 1;
    return 1;
}

int32_t moveAnchor(const LinkStore& store, uint32_t anchorRef, uint32_t position) {
    AnchorRecord record;
    bool done = readAnchorRecord(*store.callbacks, store.pageQueueStream, anchorRef, record);
    if (done) {
        record.position = position;
        done = writeAnchorRecord(*store.callbacks, store.pageQueueStream, anchorRef, record);
    }
    // The reader's text output gives up on this failure without a word; the page's end must
    // still see it.
    if (!done)
        store.state->streamFailed = true;
    return done ? 1 : 0;
}

AnchorTable::~AnchorTable() {
    release();
}

void AnchorTable::release() {
    if (entries_ != nullptr)
        callbacks_.release(callbacks_.context, entries_);
    entries_ = nullptr;
    count_ = 0;
}

bool AnchorTable::build(const LinkStore& store, const PageRecord& page) {
    release();
    totalCount_ = page.anchorCount;
    pageStart_ = page.startPos;
    restOffset_ = page.firstAnchor;
    uint32_t wanted = std::min(page.anchorCount, kAnchorTableCapacity);
    if (wanted > 0) {
        void* block = callbacks_.allocate(callbacks_.context,
                                          wanted * static_cast<uint32_t>(sizeof(AnchorEntry)));
        if (block == nullptr) {
            wanted = 0;  // not an error: lookups then scan every record
        } else {
            entries_ = static_cast<AnchorEntry*>(block);
            std::uninitialized_value_construct_n(entries_, wanted);
        }
    }

    uint32_t offset = page.firstAnchor;
    for (uint32_t index = 0; index < wanted; ++index) {
        AnchorRecord record;
        if (!readAnchorRecord(callbacks_, store.pageQueueStream, offset, record))
            return false;
        entries_[index] = AnchorEntry{record.nameHash, offset, record.position};
        count_ = index + 1;
        offset += AnchorRecord::kSize + record.nameLength;
    }
    restOffset_ = offset;
    // Equal hashes keep stream order, so of two anchors with one name the first defined wins.
    std::sort(entries_, entries_ + count_, [](const AnchorEntry& left, const AnchorEntry& right) {
        return left.nameHash != right.nameHash ? left.nameHash < right.nameHash
                                               : left.recordOffset < right.recordOffset;
    });
    return true;
}

namespace {

// The fragment of a link is read from the link stream only when a candidate needs a name check.
class LazyFragment {
  public:
    LazyFragment(const LinkStore& store, const LinkRecord& link, uint32_t linkOffset)
        : store_(store), link_(link), linkOffset_(linkOffset) {}

    bool get(const FoldedName*& name) {
        if (!loaded_) {
            if (!readFoldedName(*store_.callbacks, store_.linkStream,
                                link_.fragmentOffset(linkOffset_), link_.fragmentLength, name_)) {
                return false;
            }
            loaded_ = true;
        }
        name = &name_;
        return true;
    }

  private:
    const LinkStore& store_;
    const LinkRecord& link_;
    uint32_t linkOffset_;
    bool loaded_ = false;
    FoldedName name_;
};

enum class Match { kYes, kNo, kFailed };

// Does the AnchorRecord at offset carry the fragment's name? On a match, position is set.
Match anchorMatches(const LinkStore& store, uint32_t offset, const LinkRecord& link,
                    LazyFragment& fragment, AnchorRecord& record) {
    if (!readAnchorRecord(*store.callbacks, store.pageQueueStream, offset, record)) {
        return Match::kFailed;
    }
    if (record.nameHash != link.fragmentHash || record.nameLength != link.fragmentLength) {
        return Match::kNo;
    }
    const FoldedName* wanted = nullptr;
    FoldedName candidate;
    if (!fragment.get(wanted) ||
        !readFoldedName(*store.callbacks, store.pageQueueStream, offset + AnchorRecord::kSize,
                        record.nameLength, candidate)) {
        return Match::kFailed;
    }
    return namesEqual(*wanted, candidate) ? Match::kYes : Match::kNo;
}

// Binary search for hash; answers the index of a hit or -1.
int64_t findHash(const AnchorTable& table, uint32_t hash) {
    int64_t low = 0;
    int64_t high = static_cast<int64_t>(table.count()) - 1;
    while (low <= high) {
        const int64_t middle = (low + high) / 2;
        const uint32_t found = table.entry(static_cast<uint32_t>(middle)).nameHash;
        if (found == hash)
            return middle;
        if (found < hash) {
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return -1;
}

// Looks the fragment up in the table: kYes sets target, kNo leaves it for the scan.
Match searchTable(const LinkStore& store, const AnchorTable& table, const LinkRecord& link,
                  LazyFragment& fragment, uint32_t& target) {
    const int64_t hit = findHash(table, link.fragmentHash);
    if (hit < 0)
        return Match::kNo;
    uint32_t first = static_cast<uint32_t>(hit);
    uint32_t last = first;
    while (first > 0 && table.entry(first - 1).nameHash == link.fragmentHash)
        --first;
    while (last + 1 < table.count() && table.entry(last + 1).nameHash == link.fragmentHash)
        ++last;
    if (first == last && table.count() == table.totalCount()) {
        target = table.entry(first).position;
        return Match::kYes;
    }
    for (uint32_t index = first; index <= last; ++index) {
        AnchorRecord record;
        const Match match =
            anchorMatches(store, table.entry(index).recordOffset, link, fragment, record);
        if (match == Match::kNo)
            continue;
        if (match == Match::kYes)
            target = record.position;
        return match;
    }
    return Match::kNo;
}

// Scans the page's AnchorRecords that the table does not hold, in stream order.
Match scanRest(const LinkStore& store, const AnchorTable& table, const LinkRecord& link,
               LazyFragment& fragment, uint32_t& target) {
    uint32_t offset = table.restOffset();
    for (uint32_t left = table.totalCount() - table.count(); left > 0; --left) {
        AnchorRecord record;
        const Match match = anchorMatches(store, offset, link, fragment, record);
        if (match == Match::kYes)
            target = record.position;
        if (match != Match::kNo)
            return match;
        offset += AnchorRecord::kSize + record.nameLength;
    }
    return Match::kNo;
}

}  // namespace

int32_t resolveLink(const LinkStore& store, const AnchorTable& table, LinkRecord& link,
                    uint32_t linkOffset) {
    LazyFragment fragment(store, link, linkOffset);
    Match match = Match::kNo;
    uint32_t target = table.pageStart();
    if (link.fragmentLength > 0) {
        if (table.count() > 0)
            match = searchTable(store, table, link, fragment, target);
        if (match == Match::kNo)
            match = scanRest(store, table, link, fragment, target);
        if (match == Match::kFailed)
            return 0;
    }
    link.target = match == Match::kYes ? target : table.pageStart();
    link.flags |= LinkRecord::kResolved;
    return 1;
}

}  // namespace skerrit
