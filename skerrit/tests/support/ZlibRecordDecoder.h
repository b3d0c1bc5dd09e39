// An outside check of the output database: parses the Palm container through its record list
// and decodes the text part with zlib's raw inflate, fed the three bits of a final dynamic block
// header, then the bits of a group's code table record, then the bits of one text record. Payload
// words are stored most significant byte first but carry their bits from bit 0 up, so each word
// is re-packed least significant byte first before inflate sees it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/MemoryCallbacks.h"

namespace skerrit::testing {

struct ParsedDatabase {
    Bytes header;                    // 78 bytes
    std::vector<Bytes> listEntries;  // 8 bytes each
    std::vector<uint32_t> offsets;
    std::vector<Bytes> records;  // each up to the next record's offset (the last to the file end)
};

// Empty `error` on success.
ParsedDatabase parseDatabase(const Bytes& file, std::string* error);

// The payload of a code table or text record as inflate reads it.
Bytes repackPayload(const Bytes& record);

struct InflatedRecord {
    Bytes text;
    std::string error;        // empty on success
    uint32_t tableSpareBits;  // bits of the code table record left after the block header
    uint32_t textSpareBits;   // bits of the text record left after symbol 256
};

InflatedRecord inflateTextRecord(const Bytes& codeTableRecord, const Bytes& textRecord);

struct DecodedTextPart {
    Bytes text;
    std::vector<uint8_t> kinds;  // record kind of records 1 to textPartRecords - 1
    std::string error;           // empty on success
};

// Decodes records 1 to textPartRecords - 1 (header record field 18) in group order.
DecodedTextPart decodeTextPart(const ParsedDatabase& database);

}  // namespace skerrit::testing
