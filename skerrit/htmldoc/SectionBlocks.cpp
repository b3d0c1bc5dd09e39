#include "htmldoc/SectionBlocks.h"

#include <algorithm>

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
    uint32_t word = static_cast<uint32_t>(style.fontSize) & 0x7u;
    if (style.heading == 1)
        word |= 0x0008;
    if (style.monospace == 1)
        word |= 0x0010;
    if (style.bold == 1)
        word |= 0x0020;
    if (style.underline == 1)
        word |= 0x0040;
    if (style.underline == 2)
        word |= 0x0080;
    if (style.italic == 1)
        word |= 0x0100;
    if (style.strikeThrough == 1)
        word |= 0x0200;
    if (style.subscript == 1)
        word |= 0x0400;
    if (style.superscript == 1)
        word |= 0x0800;
    if (style.alignment == 1)
        word |= 0x1000;
    if (style.alignment == 2)
        word |= 0x2000;
    if (style.indent > 0 || style.itemStart == 1)
        word |= kStyleHasExtraWord;
    return static_cast<uint16_t>(word);
}

uint16_t styleExtraWord(const StoredTextStyle& style) {
    uint32_t word = static_cast<uint32_t>(style.indent) & 0x7u;
    if (style.itemStart == 1) {
        word |= 0x0040;
        if (style.listStyle >= 0 && style.listStyle <= 7) {
            word |= static_cast<uint32_t>(style.listStyle) << 3;
        }
        // Lettered, roman and decimal lists carry the item's number, counted from 0.
        if (style.listStyle >= 3 && style.listStyle <= 7) {
            word |= ((static_cast<uint32_t>(style.itemNumber) - 1u) & 0xFFu) << 8;
        }
    }
    return static_cast<uint16_t>(word);
}

uint8_t ruleAttributeByte(const StoredBlockRecord& rule) {
    const int32_t size = rule.size < 0 ? 2 : std::min(rule.size, 15);
    uint32_t byte = static_cast<uint32_t>(size);
    if (rule.noShade != 0)
        byte |= 0x10;
    if (rule.alignment == 1)
        byte |= 0x20;
    if (rule.alignment == 2)
        byte |= 0x40;
    // The full width (-100, or any wider percentage) is the default and needs no word.
    if (rule.width > -100)
        byte |= kRuleHasWidthWord;
    return static_cast<uint8_t>(byte);
}

uint16_t ruleWidthWord(const StoredBlockRecord& rule) {
    if (rule.width >= 0)
        return static_cast<uint16_t>(std::min(rule.width, 4095));
    const int32_t percent = -std::max(rule.width, -100);
    return static_cast<uint16_t>(0x8000 + percent);
}

}  // namespace skerrit
