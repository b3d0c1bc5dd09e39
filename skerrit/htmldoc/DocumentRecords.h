// The three record layouts of the page queue, anchor and link streams. Each record is a fixed
// little-endian header followed by name bytes without terminator; a record is addressed by its
// byte offset in its stream. Encoding goes field by field so the layout never depends on how the
// compiler lays out a struct.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"

namespace skerrit {

// "None" for a position, a page reference or a record offset.
inline constexpr uint32_t kNoneValue = 0xFFFFFFFFu;

// Queued page, in the page queue stream; followed by nameLength bytes of its name.
struct PageRecord {
    static constexpr uint32_t kSize = 36;
    uint32_t nextPage = kNoneValue;
    uint32_t anchorCount = 0;
    uint32_t firstAnchor = kNoneValue;
    uint32_t incomingCount = 0;
    uint32_t firstIncoming = kNoneValue;
    uint32_t lastIncoming = kNoneValue;
    uint32_t startPos = kNoneValue;  // none while the page is not converted
    uint32_t nameHash = 0;
    uint16_t depth = 0;
    uint16_t nameLength = 0;
};

// Named anchor, in the page queue stream after its page's record; followed by its name.
struct AnchorRecord {
    static constexpr uint32_t kSize = 12;
    uint32_t position = 0;
    uint32_t nameHash = 0;
    uint16_t nameLength = 0;
};

// Link, in the link stream; followed by the target name's bytes, then the fragment's.
struct LinkRecord {
    static constexpr uint32_t kSize = 32;
    static constexpr uint8_t kResolved = 0x01;
    uint32_t nextIncoming = kNoneValue;
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t target = 0;
    uint8_t flags = 0;
    uint8_t depthByte = 0;
    uint32_t targetHash = kNoneValue;
    uint32_t fragmentHash = kNoneValue;
    uint16_t targetLength = 0;
    uint16_t fragmentLength = 0;

    bool resolved() const { return (flags & kResolved) != 0; }
    uint32_t targetNameOffset(uint32_t recordOffset) const { return recordOffset + kSize; }
    uint32_t fragmentOffset(uint32_t recordOffset) const {
        return recordOffset + kSize + targetLength;
    }
    uint32_t nextRecordOffset(uint32_t recordOffset) const {
        return recordOffset + kSize + targetLength + fragmentLength;
    }
};

void encodePageRecord(const PageRecord& record, uint8_t* bytes);
PageRecord decodePageRecord(const uint8_t* bytes);
void encodeAnchorRecord(const AnchorRecord& record, uint8_t* bytes);
AnchorRecord decodeAnchorRecord(const uint8_t* bytes);
void encodeLinkRecord(const LinkRecord& record, uint8_t* bytes);
LinkRecord decodeLinkRecord(const uint8_t* bytes);

// Header reads and in-place rewrites at a record offset; false when the stream fails.
[[nodiscard]] bool readPageRecord(const ConverterCallbacks& callbacks, FileObject stream,
                                  uint32_t offset, PageRecord& record);
[[nodiscard]] bool writePageRecord(const ConverterCallbacks& callbacks, FileObject stream,
                                   uint32_t offset, const PageRecord& record);
[[nodiscard]] bool readAnchorRecord(const ConverterCallbacks& callbacks, FileObject stream,
                                    uint32_t offset, AnchorRecord& record);
[[nodiscard]] bool writeAnchorRecord(const ConverterCallbacks& callbacks, FileObject stream,
                                     uint32_t offset, const AnchorRecord& record);
[[nodiscard]] bool readLinkRecord(const ConverterCallbacks& callbacks, FileObject stream,
                                  uint32_t offset, LinkRecord& record);
[[nodiscard]] bool writeLinkRecord(const ConverterCallbacks& callbacks, FileObject stream,
                                   uint32_t offset, const LinkRecord& record);

}  // namespace skerrit
