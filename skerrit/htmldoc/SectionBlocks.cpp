#include "htmldoc/SectionBlocks.h"

#include <algorithm>
#include <array>

#include "engine/ByteOrder.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {

bool emitBlock(const SectionOutput& output, const uint8_t* bytes, uint32_t size,
               int32_t& blockCount) {
    const ConverterCallbacks& callbacks = *output.callbacks;
    uint32_t offset = 0;
    if (!seekToEnd(callbacks, output.sectionDataStream, offset))
        return false;
    std::array<uint8_t, 4> index{};
    storeLittleEndian32(index.data(), offset);
    if (!writeExact(callbacks, output.sectionIndexStream, index.data(), 4) ||
        !writeExact(callbacks, output.sectionDataStream, bytes, size)) {
        return false;
    }
    blockCount += 1;
    return true;
}

namespace {

int32_t loadSigned(const uint8_t* bytes) {
    return static_cast<int32_t>(loadLittleEndian32(bytes));
}

void storeSigned(uint8_t* bytes, int32_t value) {
    storeLittleEndian32(bytes, static_cast<uint32_t>(value));
}

}  // namespace

StoredTextStyle decodeStoredTextStyle(const uint8_t* bytes) {
    StoredTextStyle style;
    style.alignment = loadSigned(bytes + 0);
    style.heading = loadSigned(bytes + 4);
    style.fontSize = loadSigned(bytes + 8);
    style.monospace = loadSigned(bytes + 12);
    style.bold = loadSigned(bytes + 16);
    style.underline = loadSigned(bytes + 20);
    style.italic = loadSigned(bytes + 24);
    style.strikeThrough = loadSigned(bytes + 28);
    style.subscript = loadSigned(bytes + 32);
    style.superscript = loadSigned(bytes + 36);
    style.indent = loadSigned(bytes + 40);
    style.itemStart = loadSigned(bytes + 44);
    style.listStyle = loadSigned(bytes + 48);
    style.itemNumber = loadLittleEndian16(bytes + 52);
    return style;
}

void encodeStoredTextStyle(const StoredTextStyle& style, uint8_t* bytes) {
    storeSigned(bytes + 0, style.alignment);
    storeSigned(bytes + 4, style.heading);
    storeSigned(bytes + 8, style.fontSize);
    storeSigned(bytes + 12, style.monospace);
    storeSigned(bytes + 16, style.bold);
    storeSigned(bytes + 20, style.underline);
    storeSigned(bytes + 24, style.italic);
    storeSigned(bytes + 28, style.strikeThrough);
    storeSigned(bytes + 32, style.subscript);
    storeSigned(bytes + 36, style.superscript);
    storeSigned(bytes + 40, style.indent);
    storeSigned(bytes + 44, style.itemStart);
    storeSigned(bytes + 48, style.listStyle);
    storeLittleEndian16(bytes + 52, style.itemNumber);
    storeLittleEndian16(bytes + 54, 0);
}

StoredBlockRecord decodeStoredBlockRecord(const uint8_t* bytes) {
    StoredBlockRecord record;
    record.position = loadLittleEndian32(bytes + 0);
    record.kind = loadSigned(bytes + 4);
    record.alignment = loadSigned(bytes + 8);
    record.noShade = loadSigned(bytes + 12);
    record.size = loadSigned(bytes + 16);
    record.width = loadSigned(bytes + 20);
    return record;
}

void encodeStoredBlockRecord(const StoredBlockRecord& record, uint8_t* bytes) {
    storeLittleEndian32(bytes + 0, record.position);
    storeSigned(bytes + 4, record.kind);
    storeSigned(bytes + 8, record.alignment);
    storeSigned(bytes + 12, record.noShade);
    storeSigned(bytes + 16, record.size);
    storeSigned(bytes + 20, record.width);
}

uint16_t styleAttributeWord(const StoredTextStyle& style) {
    uint32_t word = static_cast<uint32_t>(style.fontSize) & styleword::kFontSizeMask;
    if (style.heading == 1)
        word |= styleword::kHeading;
    if (style.monospace == 1)
        word |= styleword::kMonospace;
    if (style.bold == 1)
        word |= styleword::kBold;
    if (style.underline == 1)
        word |= styleword::kUnderline;
    if (style.underline == 2)
        word |= styleword::kLink;
    if (style.italic == 1)
        word |= styleword::kItalic;
    if (style.strikeThrough == 1)
        word |= styleword::kStrikeThrough;
    if (style.subscript == 1)
        word |= styleword::kSubscript;
    if (style.superscript == 1)
        word |= styleword::kSuperscript;
    if (style.alignment == 1)
        word |= styleword::kCenter;
    if (style.alignment == 2)
        word |= styleword::kRight;
    if (style.indent > 0 || style.itemStart == 1)
        word |= styleword::kHasExtraWord;
    return static_cast<uint16_t>(word);
}

namespace {

// Lettered, roman and decimal lists carry the item's number.
bool listCarriesNumber(int32_t listStyle) {
    return listStyle >= 3 && listStyle <= 7;
}

}  // namespace

uint16_t styleExtraWord(const StoredTextStyle& style) {
    uint32_t word = static_cast<uint32_t>(style.indent) & extraword::kIndentMask;
    if (style.itemStart == 1) {
        word |= extraword::kItemStart;
        if (style.listStyle >= 0 && style.listStyle <= 7) {
            word |= static_cast<uint32_t>(style.listStyle) << extraword::kListStyleShift;
        }
        // The number is stored counted from 0.
        if (listCarriesNumber(style.listStyle)) {
            word |= ((static_cast<uint32_t>(style.itemNumber) - 1u) & 0xFFu)
                    << extraword::kItemNumberShift;
        }
    }
    return static_cast<uint16_t>(word);
}

StoredTextStyle styleFromWords(uint16_t attributes, uint16_t extra) {
    auto flag = [attributes](uint16_t bit) { return (attributes & bit) != 0 ? 1 : 0; };
    StoredTextStyle style;
    style.fontSize = attributes & styleword::kFontSizeMask;
    style.heading = flag(styleword::kHeading);
    style.monospace = flag(styleword::kMonospace);
    style.bold = flag(styleword::kBold);
    style.underline = flag(styleword::kLink) != 0 ? 2 : flag(styleword::kUnderline);
    style.italic = flag(styleword::kItalic);
    style.strikeThrough = flag(styleword::kStrikeThrough);
    style.subscript = flag(styleword::kSubscript);
    style.superscript = flag(styleword::kSuperscript);
    style.alignment = flag(styleword::kCenter) != 0 ? 1 : flag(styleword::kRight) != 0 ? 2 : 0;
    if ((attributes & styleword::kHasExtraWord) == 0)
        return style;
    style.indent = extra & extraword::kIndentMask;
    if ((extra & extraword::kItemStart) != 0) {
        style.itemStart = 1;
        style.listStyle = (extra & extraword::kListStyleMask) >> extraword::kListStyleShift;
        if (listCarriesNumber(style.listStyle)) {
            style.itemNumber = static_cast<uint16_t>((extra >> extraword::kItemNumberShift) + 1);
        }
    }
    return style;
}

uint8_t ruleAttributeByte(const StoredBlockRecord& rule) {
    const int32_t size = rule.size < 0 ? 2 : std::min(rule.size, 15);
    uint32_t byte = static_cast<uint32_t>(size);
    if (rule.noShade != 0)
        byte |= rulebyte::kNoShade;
    if (rule.alignment == 1)
        byte |= rulebyte::kRight;
    if (rule.alignment == 2)
        byte |= rulebyte::kLeft;
    // The full width (-100, or any wider percentage) is the default and needs no word.
    if (rule.width > -100)
        byte |= rulebyte::kHasWidthWord;
    return static_cast<uint8_t>(byte);
}

uint16_t ruleWidthWord(const StoredBlockRecord& rule) {
    if (rule.width >= 0)
        return static_cast<uint16_t>(std::min<int32_t>(rule.width, widthword::kMaxPixels));
    const int32_t percent = -std::max(rule.width, -100);
    return static_cast<uint16_t>(widthword::kPercent + percent);
}

StoredBlockRecord ruleFromAttributes(uint32_t position, uint8_t attributes, uint16_t width) {
    StoredBlockRecord rule{position, StoredBlockRecord::kRule, 0, 0, 0, -100};
    rule.size = attributes & rulebyte::kSizeMask;
    rule.noShade = (attributes & rulebyte::kNoShade) != 0 ? 1 : 0;
    // Both alignment bits set cannot come from one rule; right is taken first, as it is packed.
    rule.alignment = (attributes & rulebyte::kRight) != 0  ? 1
                     : (attributes & rulebyte::kLeft) != 0 ? 2
                                                           : 0;
    if ((attributes & rulebyte::kHasWidthWord) != 0) {
        rule.width = (width & widthword::kPercent) != 0
                         ? -static_cast<int32_t>(width & ~widthword::kPercent & 0x7FFF)
                         : static_cast<int32_t>(width);
    }
    return rule;
}

}  // namespace skerrit
