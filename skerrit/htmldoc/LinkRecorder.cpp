#include "htmldoc/LinkRecorder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "htmldoc/NameHash.h"
#include "htmldoc/PathRules.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {
namespace {

// A name field of a LinkRecord: none when null or empty; cut to the 16-bit length field.
uint16_t fieldLength(const char* name) {
    if (name == nullptr)
        return 0;
    return static_cast<uint16_t>(std::min<size_t>(std::strlen(name), 0xFFFFu));
}

}  // namespace

int32_t addLink(const LinkStore& store, uint16_t pageDepth, uint32_t start, uint32_t end,
                const char* targetName, const char* fragment) {
    if (pageDepth > kMaxLinkPageDepth) {
        store.state->linksTooDeep += 1;
        return 0;
    }
    const ConverterCallbacks& callbacks = *store.callbacks;
    LinkRecord record;
    record.start = start;
    record.end = end;
    record.depthByte = static_cast<uint8_t>(pageDepth);
    record.targetLength = fieldLength(targetName);
    record.fragmentLength = fieldLength(fragment);
    record.targetHash =
        record.targetLength > 0 ? hashName(targetName, record.targetLength) : kNoneValue;
    record.fragmentHash =
        record.fragmentLength > 0 ? hashName(fragment, record.fragmentLength) : kNoneValue;

    uint32_t offset = 0;
    if (!seekToEnd(callbacks, store.linkStream, offset)) {
        store.state->streamFailed = true;
        return 0;
    }
    std::array<uint8_t, LinkRecord::kSize> header{};
    encodeLinkRecord(record, header.data());
    if (!writeExact(callbacks, store.linkStream, header.data(), LinkRecord::kSize) ||
        !writeExact(callbacks, store.linkStream, targetName, record.targetLength) ||
        !writeExact(callbacks, store.linkStream, fragment, record.fragmentLength)) {
        store.state->streamFailed = true;
        return 0;
    }
    store.state->pageLinkCount += 1;
    return 1;
}

int32_t closeLink(const LinkStore& store, const CurrentPage& page, uint32_t& linkStart,
                  const char* linkHref, uint32_t textPos) {
    if (linkStart == kNoneValue)
        return 1;
    const uint32_t start = linkStart;
    linkStart = kNoneValue;
    if (linkHref[0] == '#') {
        return addLink(store, page.pageDepth, start, textPos, page.pageName, linkHref + 1);
    }

    std::array<char, kPathCapacity> joined{};
    if (!joinPath(page.baseUrl, linkHref, joined.data()))
        return 1;  // dropped, not a failure
    std::array<char, kPathCapacity> name{};
    std::array<char, kPathCapacity> fragment{};
    if (!normalisePath(joined.data()) ||
        !splitFragment(joined.data(), name.data(), fragment.data())) {
        return 0;
    }
    return addLink(store, page.pageDepth, start, textPos, name.data(), fragment.data());
}

}  // namespace skerrit
