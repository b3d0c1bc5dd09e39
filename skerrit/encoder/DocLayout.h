// Record 0 of a Doc (PalmDOC) e-book, as far as readers of Doc books use it, and the creator
// that marks a Palm database as one. Numbers are big-endian; the text records follow as records
// 1 to the text record count.
#pragma once

#include <array>
#include <cstdint>

#include "engine/ByteOrder.h"

namespace skerrit {

inline constexpr std::array<char, 4> kDocCreator = {'R', 'E', 'A', 'd'};

namespace docheader {
inline constexpr uint32_t kCompression = 0;
inline constexpr uint32_t kTextLength = 4;
inline constexpr uint32_t kTextRecordCount = 8;
inline constexpr uint32_t kTextRecordSize = 10;
inline constexpr uint32_t kReadSize = 12;  // record 0 up to the end of the fields above
}  // namespace docheader

// Values of the compression field.
inline constexpr uint16_t kDocUncompressed = 1;
inline constexpr uint16_t kDocPalmDocCompressed = 2;

struct DocHeaderFields {
    uint16_t compression;
    uint32_t textLength;
    uint16_t textRecordCount;
    uint16_t textRecordSize;
};

inline DocHeaderFields decodeDocHeader(const uint8_t* record) {
    return DocHeaderFields{loadBigEndian16(record + docheader::kCompression),
                           loadBigEndian32(record + docheader::kTextLength),
                           loadBigEndian16(record + docheader::kTextRecordCount),
                           loadBigEndian16(record + docheader::kTextRecordSize)};
}

}  // namespace skerrit
