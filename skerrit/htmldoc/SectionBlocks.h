// What the four section writers share: the output streams and how a finished block reaches them,
// a big-endian block builder, the style-run and block records they read back from the reader's
// streams, and the packing of a style or a rule into the attribute fields of a block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/ByteOrder.h"
#include "engine/ConverterCallbacks.h"

namespace skerrit {

// Every group's blocks hold at most this many entries (group D: words before the last file's).
inline constexpr uint32_t kSectionBlockEntries = 256;
// Entries of one block lie at most this far apart; wider gaps get filler entries or escapes.
inline constexpr uint32_t kSectionPositionStep = 65536;

struct SectionOutput {
    const ConverterCallbacks* callbacks;
    FileObject sectionDataStream;   // block bodies, back to back
    FileObject sectionIndexStream;  // each block's offset in the data stream, 32-bit little-endian
};

// Appends one block: its offset to the index stream, its bytes to the data stream, and counts it.
[[nodiscard]] bool emitBlock(const SectionOutput& output, const uint8_t* bytes, uint32_t size,
                             int32_t& blockCount);

inline uint16_t highHalf(uint32_t position) {
    return static_cast<uint16_t>(position >> 16);
}
inline uint16_t lowHalf(uint32_t position) {
    return static_cast<uint16_t>(position);
}

// Bytes of one block, written front to back in big-endian order.
template <size_t Capacity>
class BigEndianBlock {
  public:
    void put8(uint32_t value) { bytes_[size_++] = static_cast<uint8_t>(value); }
    void put16(uint32_t value) {
        storeBigEndian16(bytes_.data() + size_, value);
        size_ += 2;
    }
    void put32(uint32_t value) {
        storeBigEndian32(bytes_.data() + size_, value);
        size_ += 4;
    }
    const uint8_t* data() const { return bytes_.data(); }
    uint32_t size() const { return static_cast<uint32_t>(size_); }

  private:
    std::array<uint8_t, Capacity> bytes_{};
    size_t size_ = 0;
};

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
inline constexpr uint16_t kStyleHasExtraWord = 0x8000;
uint16_t styleAttributeWord(const StoredTextStyle& style);
uint16_t styleExtraWord(const StoredTextStyle& style);

// Attribute byte of a rule; bit 7 says a width word follows.
inline constexpr uint8_t kRuleHasWidthWord = 0x80;
uint8_t ruleAttributeByte(const StoredBlockRecord& rule);
uint16_t ruleWidthWord(const StoredBlockRecord& rule);

}  // namespace skerrit
