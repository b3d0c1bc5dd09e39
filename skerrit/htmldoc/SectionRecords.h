// The four kinds of extra record that an HTML conversion appends after the text: a block of style
// runs (group A), of links (B), of horizontal rules (C) or of file boundaries (D). Each layout is
// defined here once: the fields as stored, the size, big-endian encoding and a decoding that
// checks every count against the record's size. The section writers fill and encode them; the
// preview decodes them. Positions are split into a high and a low half; how a group joins them
// back into text positions is the business of its reader.
#pragma once

#include <array>
#include <cstdint>

namespace skerrit {

// Every group's blocks hold at most this many entries (group D: words before the last file's).
inline constexpr uint32_t kSectionBlockEntries = 256;
// Entries of one block lie at most this far apart; wider gaps get filler entries or escapes.
inline constexpr uint32_t kSectionPositionStep = 65536;

inline uint16_t highHalf(uint32_t position) {
    return static_cast<uint16_t>(position >> 16);
}
inline uint16_t lowHalf(uint32_t position) {
    return static_cast<uint16_t>(position);
}
inline uint32_t joinHalves(uint32_t high, uint32_t low) {
    return (high << 16) | (low & 0xFFFFu);
}

// Bits of a style run's attribute word.
namespace styleword {
inline constexpr uint16_t kFontSizeMask = 0x0007;
inline constexpr uint16_t kHeading = 0x0008;
inline constexpr uint16_t kMonospace = 0x0010;
inline constexpr uint16_t kBold = 0x0020;
inline constexpr uint16_t kUnderline = 0x0040;
inline constexpr uint16_t kLink = 0x0080;
inline constexpr uint16_t kItalic = 0x0100;
inline constexpr uint16_t kStrikeThrough = 0x0200;
inline constexpr uint16_t kSubscript = 0x0400;
inline constexpr uint16_t kSuperscript = 0x0800;
inline constexpr uint16_t kCenter = 0x1000;
inline constexpr uint16_t kRight = 0x2000;
inline constexpr uint16_t kHasExtraWord = 0x8000;
}  // namespace styleword

// Bits of the extra word that follows a run whose attribute word has kHasExtraWord.
namespace extraword {
inline constexpr uint16_t kIndentMask = 0x0007;
inline constexpr uint32_t kListStyleShift = 3;
inline constexpr uint16_t kListStyleMask = 0x0038;
inline constexpr uint16_t kItemStart = 0x0040;
// Lettered, roman and decimal lists: the item's number minus one, low 8 bits.
inline constexpr uint32_t kItemNumberShift = 8;
}  // namespace extraword

// Bits of a rule's attribute byte, and its width word.
namespace rulebyte {
inline constexpr uint8_t kSizeMask = 0x0F;
inline constexpr uint8_t kNoShade = 0x10;
inline constexpr uint8_t kRight = 0x20;
inline constexpr uint8_t kLeft = 0x40;
inline constexpr uint8_t kHasWidthWord = 0x80;
}  // namespace rulebyte
namespace widthword {
inline constexpr uint16_t kPercent = 0x8000;  // low bits: a percentage of the line
inline constexpr uint16_t kMaxPixels = 4095;
}  // namespace widthword

// Group A. startHigh, endHigh, n, n start lows, endLow, n attribute words, m, m extra words.
// Runs are contiguous, so only the last run's end is stored.
struct StyleRunRecord {
    static constexpr uint32_t kFixedSize = 10;
    static constexpr uint32_t kMaxSize =
        kFixedSize + 4 * kSectionBlockEntries + 2 * kSectionBlockEntries;
    uint16_t startHigh = 0;
    uint16_t endHigh = 0;
    uint16_t endLow = 0;
    uint16_t runCount = 0;    // n, 1 to 256
    uint16_t extraCount = 0;  // m: one for each attribute word with kHasExtraWord
    std::array<uint16_t, kSectionBlockEntries> startLows{};
    std::array<uint16_t, kSectionBlockEntries> attributes{};
    std::array<uint16_t, kSectionBlockEntries> extras{};

    uint32_t size() const { return kFixedSize + 4u * runCount + 2u * extraCount; }
};
static_assert(StyleRunRecord::kMaxSize == 1546, "10 + 256 x (2 + 2) + 256 x 2 bytes");

// Group B. startHigh, endHigh, n, n start lows, endLow, n lengths, n reserved bytes, n targets.
struct LinkTableRecord {
    static constexpr uint32_t kFixedSize = 8;
    static constexpr uint32_t kMaxSize = kFixedSize + 8 * kSectionBlockEntries;
    // An entry's length is one byte; longer links take several entries.
    static constexpr uint32_t kMaxEntryLength = 255;
    uint16_t startHigh = 0;
    uint16_t endHigh = 0;
    uint16_t endLow = 0;
    uint16_t entryCount = 0;  // n, 1 to 256
    std::array<uint16_t, kSectionBlockEntries> startLows{};
    std::array<uint8_t, kSectionBlockEntries> lengths{};  // 0 for a filler
    std::array<uint32_t, kSectionBlockEntries> targets{};

    uint32_t size() const { return kFixedSize + 8u * entryCount; }
};
static_assert(LinkTableRecord::kMaxSize == 2056, "8 + 256 x (2 + 1 + 1 + 4) bytes");

// Group C. startHigh, lastHigh, n, n position lows, n kinds, n attribute bytes, m width words;
// m is not stored: it is the number of attribute bytes with kHasWidthWord.
struct RuleTableRecord {
    static constexpr uint32_t kFixedSize = 6;
    static constexpr uint32_t kMaxSize =
        kFixedSize + 4 * kSectionBlockEntries + 2 * kSectionBlockEntries;
    static constexpr uint8_t kFiller = 0;
    static constexpr uint8_t kRule = 1;
    uint16_t startHigh = 0;
    uint16_t lastHigh = 0;
    uint16_t entryCount = 0;  // n, 1 to 256
    uint16_t widthCount = 0;  // m
    std::array<uint16_t, kSectionBlockEntries> positionLows{};
    std::array<uint8_t, kSectionBlockEntries> kinds{};
    std::array<uint8_t, kSectionBlockEntries> attributes{};
    std::array<uint16_t, kSectionBlockEntries> widths{};

    uint32_t size() const { return kFixedSize + 4u * entryCount + 2u * widthCount; }
};
static_assert(RuleTableRecord::kMaxSize == 1542, "6 + 256 x (2 + 1 + 1) + 256 x 2 bytes");

// Group D. startHigh, endHigh, firstFile, lastFile, n, n words: the low half of where the first
// file begins, then the low half of each file's end, or for an end 65536 or more past the
// previous boundary the escape: the previous word repeated, the end's high half, its low half.
struct FileBoundaryRecord {
    static constexpr uint32_t kFixedSize = 10;
    // A block is written once it holds 256 words; an escape may take it to 258.
    static constexpr uint32_t kMaxWords = kSectionBlockEntries + 2;
    static constexpr uint32_t kMinWords = 2;  // where the first file begins and where it ends
    static constexpr uint32_t kMaxSize = kFixedSize + 2 * kMaxWords;
    uint16_t startHigh = 0;
    uint16_t endHigh = 0;
    uint16_t firstFile = 0;
    uint16_t lastFile = 0;
    uint16_t wordCount = 0;  // n, 2 to 258
    std::array<uint16_t, kMaxWords> words{};

    uint32_t size() const { return kFixedSize + 2u * wordCount; }
};
static_assert(FileBoundaryRecord::kMaxSize == 526, "10 + 258 x 2 bytes");

// Each encoder writes record.size() bytes and returns that size. Each decoder answers false
// unless the counts lie in their ranges and the record is exactly as long as they say.
uint32_t encodeStyleRunRecord(const StyleRunRecord& record, uint8_t* bytes);
[[nodiscard]] bool decodeStyleRunRecord(const uint8_t* bytes, uint32_t size,
                                        StyleRunRecord& record);
uint32_t encodeLinkTableRecord(const LinkTableRecord& record, uint8_t* bytes);
[[nodiscard]] bool decodeLinkTableRecord(const uint8_t* bytes, uint32_t size,
                                         LinkTableRecord& record);
uint32_t encodeRuleTableRecord(const RuleTableRecord& record, uint8_t* bytes);
[[nodiscard]] bool decodeRuleTableRecord(const uint8_t* bytes, uint32_t size,
                                         RuleTableRecord& record);
uint32_t encodeFileBoundaryRecord(const FileBoundaryRecord& record, uint8_t* bytes);
[[nodiscard]] bool decodeFileBoundaryRecord(const uint8_t* bytes, uint32_t size,
                                            FileBoundaryRecord& record);

}  // namespace skerrit
