// What the four section writers share: the output streams and how a finished block reaches them,
// the style-run and block records they read back from the reader's streams, and the packing of a
// style or a rule into the attribute fields of a block (and back, for readers of the blocks).
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"
#include "htmldoc/SectionRecords.h"

namespace skerrit {

struct SectionOutput {
    const ConverterCallbacks* callbacks;
    FileObject sectionDataStream;   // block bodies, back to back
    FileObject sectionIndexStream;  // each block's offset in the data stream, 32-bit little-endian
};

// Appends one block: its offset to the index stream, its bytes to the data stream, and counts it.
[[nodiscard]] bool emitBlock(const SectionOutput& output, const uint8_t* bytes, uint32_t size,
                             int32_t& blockCount);

// A style run as the reader stores it: 4-byte position, then the 56-byte style.
struct StoredTextStyle {
    static constexpr uint32_t kSize = 56;
    int32_t alignment = 0;
    int32_t heading = 0;
    int32_t fontSize = 3;
    int32_t monospace = 0;
    int32_t bold = 0;
    int32_t underline = 0;
    int32_t italic = 0;
    int32_t strikeThrough = 0;
    int32_t subscript = 0;
    int32_t superscript = 0;
    int32_t indent = 0;
    int32_t itemStart = 0;
    int32_t listStyle = 0;
    uint16_t itemNumber = 0;
};
StoredTextStyle decodeStoredTextStyle(const uint8_t* bytes);
void encodeStoredTextStyle(const StoredTextStyle& style, uint8_t* bytes);

// A rule or page end as the reader stores it in the block stream: 24 bytes.
struct StoredBlockRecord {
    static constexpr uint32_t kSize = 24;
    static constexpr int32_t kRule = 1;
    static constexpr int32_t kPageEnd = 2;
    uint32_t position = 0;
    int32_t kind = 0;
    int32_t alignment = 0;  // rules: 0 center, 1 right, 2 left
    int32_t noShade = 0;
    int32_t size = 0;
    int32_t width = 0;  // >= 0 pixels, < 0 minus a percentage of the line
};
StoredBlockRecord decodeStoredBlockRecord(const uint8_t* bytes);
void encodeStoredBlockRecord(const StoredBlockRecord& record, uint8_t* bytes);

// Attribute word of a style run; bit 15 says an extra word follows.
inline constexpr uint16_t kStyleHasExtraWord = styleword::kHasExtraWord;
uint16_t styleAttributeWord(const StoredTextStyle& style);
uint16_t styleExtraWord(const StoredTextStyle& style);
// The style a run's words stand for (extra is ignored without kStyleHasExtraWord). Only what the
// words keep comes back: alignments 1 and 2, the low bits of size and indent, and the list style
// and number of an item start; every other field is 0 or 1.
StoredTextStyle styleFromWords(uint16_t attributes, uint16_t extra);

// Attribute byte of a rule; bit 7 says a width word follows.
inline constexpr uint8_t kRuleHasWidthWord = rulebyte::kHasWidthWord;
uint8_t ruleAttributeByte(const StoredBlockRecord& rule);
uint16_t ruleWidthWord(const StoredBlockRecord& rule);
// The rule an attribute byte and width word stand for (width ignored without kRuleHasWidthWord):
// the width in pixels, or minus its percentage with -100 for the full line.
StoredBlockRecord ruleFromAttributes(uint32_t position, uint8_t attributes, uint16_t width);

}  // namespace skerrit
