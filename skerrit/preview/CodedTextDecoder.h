// Decoder of the coded text records. A group's code table record holds the fields of an RFC 1951
// dynamic block header after its first three bits (HLIT, HDIST, HCLEN, the code-length code, the
// run-length coded code lengths); each text record of the group holds one chunk's symbols coded
// with those codes, ending with symbol 256, and no block header of its own. Payloads are 32-bit
// words stored most significant byte first whose bits are read from bit 0 up.
//
// Codes are decoded canonically, one bit at a time against the count of codes of each length (as
// zlib's contrib/puff does): slower than a lookup table, but a few lines with no table to size.
// The decoder accepts exactly the code tables zlib's inflate accepts: a complete code-length code,
// literal/length and distance codes that are complete or a single code of one bit, a code for
// symbol 256, and repeat codes that neither start the lengths nor run past them.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "encoder/DeflateTables.h"

namespace skerrit::preview {

enum class CodedTextStatus : uint8_t {
    kOk,
    kOutOfBits,             // the record ended inside a code or before symbol 256
    kTooManySymbols,        // HLIT above 286 or HDIST above 30 symbols
    kBadCodeLengthCode,     // over-subscribed or incomplete code-length code
    kBadLengthRepeat,       // a repeat code with nothing before it, or running past the lengths
    kNoEndOfChunkCode,      // symbol 256 has no code
    kBadLiteralLengthCode,  // over-subscribed or incomplete literal/length code
    kBadDistanceCode,       // over-subscribed or incomplete distance code
    kInvalidCode,           // bits that are no code of the table
    kDistanceTooFar,        // a match reaching before the start of the chunk
    kOutputFull,            // the chunk decodes to more than its capacity
};

// A short text for messages: "a match reaches before the start of the chunk".
const char* describeCodedTextStatus(CodedTextStatus status);

// One canonical Huffman code: how many codes each length has, and the symbols in code order.
struct CanonicalCode {
    std::array<uint16_t, deflate::kMaxCodeLength + 1> counts{};
    std::array<uint16_t, deflate::kLiteralLengthSymbols> symbols{};
};

struct GroupCodeTable {
    CanonicalCode literalLength;
    CanonicalCode distance;
};

// Reads a code table record's payload.
[[nodiscard]] CodedTextStatus readCodeTable(std::span<const uint8_t> payload,
                                            GroupCodeTable& table);

// Decodes a text record's payload with its group's table into `output` (the chunk's capacity);
// `length` receives the number of bytes decoded. Bits after symbol 256 are padding.
[[nodiscard]] CodedTextStatus decodeCodedText(std::span<const uint8_t> payload,
                                              const GroupCodeTable& table,
                                              std::span<uint8_t> output, uint32_t& length);

}  // namespace skerrit::preview
