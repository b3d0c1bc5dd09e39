#include "preview/HandheldCharacters.h"

#include <array>

#include "html/EntityTables.h"

namespace skerrit::preview {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kControlPictures = 0x2400;
constexpr char32_t kDeletePicture = 0x2421;

// Windows-1252 from 128 to 159, for the codes the reader's table leaves free; 0 = undefined there.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::array<char32_t, 256> buildCodePoints() {
    std::array<char32_t, 256> table{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        if (byte < 32 && byte != '\t' && byte != '\n') {
            table[byte] = kControlPictures + byte;
        } else if (byte == 127) {
            table[byte] = kDeletePicture;
        } else if (byte >= 128 && byte < 160) {
            const char32_t windows = kWindows1252High[byte - 128];
            table[byte] = windows != 0 ? windows : kReplacement;
        } else {
            table[byte] = byte;
        }
    }
    // The reader maps these code points to these bytes; the preview maps them back.
    for (const UnicodeMapEntry& entry : UnicodeMapTable)
        table[entry.code] = entry.codePoint;
    return table;
}

const std::array<char32_t, 256>& codePoints() {
    static const std::array<char32_t, 256> table = buildCodePoints();
    return table;
}

void appendUtf8(char32_t codePoint, std::string& utf8) {
    if (codePoint < 0x80) {
        utf8 += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        utf8 += static_cast<char>(0xC0 | (codePoint >> 6));
        utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        // Every code point of the table lies below U+10000.
        utf8 += static_cast<char>(0xE0 | (codePoint >> 12));
        utf8 += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace

char32_t handheldCodePoint(uint8_t byte) {
    return codePoints()[byte];
}

void appendHandheldCharacter(uint8_t byte, std::string& utf8) {
    appendUtf8(codePoints()[byte], utf8);
}

std::string handheldTextToUtf8(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (const char c : text)
        appendHandheldCharacter(static_cast<uint8_t>(c), utf8);
    return utf8;
}

}  // namespace skerrit::preview
