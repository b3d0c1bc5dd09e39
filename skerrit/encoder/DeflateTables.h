// The alphabets of the record coding: literal/length symbols 0 to 285 (256 ends a chunk), distance
// codes 0 to 29 and code-length symbols 0 to 18, with the base values and extra-bit counts that
// the reader on the handheld shares with every inflater.
#pragma once

#include <array>
#include <cstdint>

namespace skerrit::deflate {

inline constexpr uint32_t kLiteralLengthSymbols = 286;
inline constexpr uint32_t kDistanceSymbols = 30;
inline constexpr uint32_t kCodeLengthSymbols = 19;
inline constexpr uint32_t kEndOfChunk = 256;
inline constexpr uint32_t kFirstLengthSymbol = 257;

inline constexpr uint32_t kMinMatch = 3;
inline constexpr uint32_t kMaxMatch = 258;
// A match never reaches before the start of its 4096-byte chunk.
inline constexpr uint32_t kMaxDistance = 4095;

inline constexpr uint32_t kMaxCodeLength = 15;     // literal/length and distance codes
inline constexpr uint32_t kMaxCodeLengthBits = 7;  // codes of the code-length alphabet

inline constexpr std::array<uint16_t, 29> kLengthBase = {
    3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr std::array<uint8_t, 29> kLengthExtraBits = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr std::array<uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr std::array<uint8_t, 30> kDistanceExtraBits = {
    0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The order in which the code-length code lengths are sent.
inline constexpr std::array<uint8_t, kCodeLengthSymbols> kCodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Length code (0 to 28) of each match length; 258 takes code 28 although 227 + 31 would reach it.
inline constexpr std::array<uint8_t, kMaxMatch + 1> kLengthCodeOf = [] {
    std::array<uint8_t, kMaxMatch + 1> table{};
    for (uint32_t code = 0; code + 1 < kLengthBase.size(); ++code) {
        for (uint32_t length = kLengthBase[code]; length < kLengthBase[code + 1]; ++length) {
            table[length] = static_cast<uint8_t>(code);
        }
    }
    table[kMaxMatch] = 28;
    return table;
}();

// Distance code of each distance a chunk can hold.
inline constexpr std::array<uint8_t, kMaxDistance + 1> kDistanceCodeOf = [] {
    std::array<uint8_t, kMaxDistance + 1> table{};
    for (uint32_t code = 0; code + 1 < kDistanceBase.size(); ++code) {
        for (uint32_t distance = kDistanceBase[code];
             distance < kDistanceBase[code + 1] && distance <= kMaxDistance; ++distance) {
            table[distance] = static_cast<uint8_t>(code);
        }
    }
    return table;
}();

}  // namespace skerrit::deflate
