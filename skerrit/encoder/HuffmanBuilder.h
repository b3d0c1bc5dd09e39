// Length-limited Huffman codes for one group of chunks. The construction decides the output
// bytes, so every tie-break is fixed: a heap built by insertion, combined pairs taken into a list
// sorted by decreasing frequency, lengths clamped to the limit and then repaired, and canonical
// codes stored bit-reversed so that the least significant bit goes out first.
#pragma once

#include <array>
#include <cstdint>

#include "encoder/DeflateTables.h"

namespace skerrit {

// The largest alphabet built (literal/length symbols) fixes the capacities of the work area.
inline constexpr uint32_t kMaxHuffmanSymbols = deflate::kLiteralLengthSymbols;
// Symbols 0 to E - 1 are leaves; inner nodes are numbered from E + 1, at most E - 1 of them.
inline constexpr uint32_t kMaxHuffmanNodes = 2 * kMaxHuffmanSymbols;

struct HuffmanNode {
    uint32_t frequency;  // at most 8 chunks x 4097 symbols, so 16 bits would do; kept wide
    uint32_t depth;      // height of the subtree: the second key of every comparison
    uint32_t parent;
    uint32_t length;
};

// Scratch space of one tree construction, reused for every tree of every group.
struct HuffmanWorkArea {
    std::array<HuffmanNode, kMaxHuffmanNodes> nodes;
    std::array<uint16_t, kMaxHuffmanSymbols + 1> heap;  // 1-based
    std::array<uint16_t, kMaxHuffmanNodes> sorted;      // filled from position 2E - 1 downward
    std::array<uint16_t, deflate::kMaxCodeLength + 1> lengthCounts;
};

// One code: lengths (0 = unused) and bit-reversed codes for symbols 0 to symbolCount - 1.
struct HuffmanCodeView {
    uint8_t* lengths;
    uint16_t* codes;
};

// Builds the code for `symbolCount` symbols with the given frequencies, no code longer than
// maxLength, and returns the highest used symbol. With fewer than two used symbols a partner is
// added (symbol 1 for symbol 0 or for none, else symbol 0) so that every code is complete.
uint32_t buildHuffmanCode(const uint16_t* frequencies, uint32_t symbolCount, uint32_t maxLength,
                          HuffmanWorkArea& work, HuffmanCodeView code);

// Canonical codes from code lengths, each stored with its bits reversed.
void assignCanonicalCodes(const uint8_t* lengths, uint32_t symbolCount, uint32_t maxLength,
                          uint16_t* codes);

}  // namespace skerrit
