#include "htmldoc/DocumentRecords.h"

#include <array>

#include "engine/ByteOrder.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {

void encodePageRecord(const PageRecord& record, uint8_t* bytes) {
    storeLittleEndian32(bytes + 0, record.nextPage);
    storeLittleEndian32(bytes + 4, record.anchorCount);
    storeLittleEndian32(bytes + 8, record.firstAnchor);
    storeLittleEndian32(bytes + 12, record.incomingCount);
    storeLittleEndian32(bytes + 16, record.firstIncoming);
    storeLittleEndian32(bytes + 20, record.lastIncoming);
    storeLittleEndian32(bytes + 24, record.startPos);
    storeLittleEndian32(bytes + 28, record.nameHash);
    storeLittleEndian16(bytes + 32, record.depth);
    storeLittleEndian16(bytes + 34, record.nameLength);
}

PageRecord decodePageRecord(const uint8_t* bytes) {
    PageRecord record;
    record.nextPage = loadLittleEndian32(bytes + 0);
    record.anchorCount = loadLittleEndian32(bytes + 4);
    record.firstAnchor = loadLittleEndian32(bytes + 8);
    record.incomingCount = loadLittleEndian32(bytes + 12);
    record.firstIncoming = loadLittleEndian32(bytes + 16);
    record.lastIncoming = loadLittleEndian32(bytes + 20);
    record.startPos = loadLittleEndian32(bytes + 24);
    record.nameHash = loadLittleEndian32(bytes + 28);
    record.depth = loadLittleEndian16(bytes + 32);
    record.nameLength = loadLittleEndian16(bytes + 34);
    return record;
}

void encodeAnchorRecord(const AnchorRecord& record, uint8_t* bytes) {
    storeLittleEndian32(bytes + 0, record.position);
    storeLittleEndian32(bytes + 4, record.nameHash);
    storeLittleEndian16(bytes + 8, record.nameLength);
    // Bytes 10 and 11 are padding that nothing reads; they are written as zero.
    storeLittleEndian16(bytes + 10, 0);
}

AnchorRecord decodeAnchorRecord(const uint8_t* bytes) {
    AnchorRecord record;
    record.position = loadLittleEndian32(bytes + 0);
    record.nameHash = loadLittleEndian32(bytes + 4);
    record.nameLength = loadLittleEndian16(bytes + 8);
    return record;
}

void encodeLinkRecord(const LinkRecord& record, uint8_t* bytes) {
    storeLittleEndian32(bytes + 0, record.nextIncoming);
    storeLittleEndian32(bytes + 4, record.start);
    storeLittleEndian32(bytes + 8, record.end);
    storeLittleEndian32(bytes + 12, record.target);
    bytes[16] = record.flags;
    bytes[17] = record.depthByte;
    storeLittleEndian16(bytes + 18, 0);  // padding, never read
    storeLittleEndian32(bytes + 20, record.targetHash);
    storeLittleEndian32(bytes + 24, record.fragmentHash);
    storeLittleEndian16(bytes + 28, record.targetLength);
    storeLittleEndian16(bytes + 30, record.fragmentLength);
}

LinkRecord decodeLinkRecord(const uint8_t* bytes) {
    LinkRecord record;
    record.nextIncoming = loadLittleEndian32(bytes + 0);
    record.start = loadLittleEndian32(bytes + 4);
    record.end = loadLittleEndian32(bytes + 8);
    record.target = loadLittleEndian32(bytes + 12);
    record.flags = bytes[16];
    record.depthByte = bytes[17];
    record.targetHash = loadLittleEndian32(bytes + 20);
    record.fragmentHash = loadLittleEndian32(bytes + 24);
    record.targetLength = loadLittleEndian16(bytes + 28);
    record.fragmentLength = loadLittleEndian16(bytes + 30);
    return record;
}

bool readPageRecord(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
                    PageRecord& record) {
    std::array<uint8_t, PageRecord::kSize> bytes{};
    if (!readAt(callbacks, stream, offset, bytes.data(), PageRecord::kSize))
        return false;
    record = decodePageRecord(bytes.data());
    return true;
}

bool writePageRecord(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
                     const PageRecord& record) {
    std::array<uint8_t, PageRecord::kSize> bytes{};
    encodePageRecord(record, bytes.data());
    return writeAt(callbacks, stream, offset, bytes.data(), PageRecord::kSize);
}

bool readAnchorRecord(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
                      AnchorRecord& record) {
    std::array<uint8_t, AnchorRecord::kSize> bytes{};
    if (!readAt(callbacks, stream, offset, bytes.data(), AnchorRecord::kSize))
        return false;
    record = decodeAnchorRecord(bytes.data());
    return true;
}

bool writeAnchorRecord(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
                       const AnchorRecord& record) {
    std::array<uint8_t, AnchorRecord::kSize> bytes{};
    encodeAnchorRecord(record, bytes.data());
    return writeAt(callbacks, stream, offset, bytes.data(), AnchorRecord::kSize);
}

bool readLinkRecord(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
                    LinkRecord& record) {
    std::array<uint8_t, LinkRecord::kSize> bytes{};
    if (!readAt(callbacks, stream, offset, bytes.data(), LinkRecord::kSize))
        return false;
    record = decodeLinkRecord(bytes.data());
    return true;
}

bool writeLinkRecord(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
                     const LinkRecord& record) {
    std::array<uint8_t, LinkRecord::kSize> bytes{};
    encodeLinkRecord(record, bytes.data());
    return writeAt(callbacks, stream, offset, bytes.data(), LinkRecord::kSize);
}

}  // namespace skerrit
