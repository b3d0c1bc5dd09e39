// Turns one chunk into symbols: literal bytes and matches (length 3 to 258, distance 1 to 4095)
// that never reach before the start of the chunk. Symbols are stored as the scratch stream keeps
// them: one byte each (the literal, or length - 3) and a 16-bit little-endian distance each
// (0 for a literal).
#pragma once

#include <array>
#include <cstdint>

namespace skerrit {

inline constexpr uint32_t kMaxChunkSize = 4096;
// Three bytes hash into 13 bits: ((b0 << 6) ^ (b1 << 3) ^ b2) & 8191.
inline constexpr uint32_t kMatchHashSize = 8192;
// How many earlier positions with the same hash one search looks at, newest first.
inline constexpr uint32_t kMaxMatchCandidates = 384;
// A match this long or longer is taken at once; a shorter one is only taken when the next
// position does not start a strictly longer match.
inline constexpr uint32_t kLazyMatchLimit = 129;

// Positions are stored as position + 1 so that 0 can mean "none"; 4096 + 1 fits in 16 bits.
static_assert(kMaxChunkSize < 0xFFFF);

struct MatchTables {
    std::array<uint16_t, kMatchHashSize> head;  // 1 + newest position with each hash
    std::array<uint16_t, kMaxChunkSize> chain;  // the head value each position replaced
};

// Finds the symbols of chunk[0 .. length - 1] (length at most 4096) and returns their number.
// symbols needs room for `length` bytes, distanceBytes for 2 x `length`.
uint32_t findChunkSymbols(const uint8_t* chunk, uint32_t length, MatchTables& tables,
                          uint8_t* symbols, uint8_t* distanceBytes);

}  // namespace skerrit
