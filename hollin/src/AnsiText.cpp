// windows-1252 differs from Latin-1 only in 0x80..0x9F; the five positions it leaves undefined map
// to the same C1 control code points, which keeps every byte round-trip safe.
#include "AnsiText.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace hollin {
namespace {

constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t unitFromByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighControlRange[static_cast<std::size_t>(byte - 0x80)];
    }
    return static_cast<char16_t>(byte);
}

char byteFromUnit(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<char>(unit);
    }
    for (std::size_t index = 0; index < kHighControlRange.size(); ++index) {
        if (kHighControlRange[index] == unit) {
            return static_cast<char>(0x80 + index);
        }
    }
    return '?';
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string ansiFromUtf16(std::u16string_view units) {
    std::string text;
    text.reserve(units.size());
    for (std::size_t index = 0; index < units.size(); ++index) {
        const char16_t unit = units[index];
        // A surrogate pair is one character outside windows-1252: one '?' for the pair.
        if (unit >= 0xD800 && unit <= 0xDBFF && index + 1 < units.size() &&
            units[index + 1] >= 0xDC00 && units[index + 1] <= 0xDFFF) {
            ++index;
        }
        text.push_back(byteFromUnit(unit));
    }
    return text;
}

std::u16string utf16FromAnsi(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (const char c : text) {
        units.push_back(unitFromByte(static_cast<unsigned char>(c)));
    }
    return units;
}

std::string utf8FromAnsi(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (const char c : text) {
        // Every windows-1252 character lies in the Basic Multilingual Plane: three bytes at most.
        const char16_t unit = unitFromByte(static_cast<unsigned char>(c));
        if (unit < 0x80) {
            utf8.push_back(static_cast<char>(unit));
        } else if (unit < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (unit >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xE0 | (unit >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    return utf8;
}

bool equalsIgnoringAsciiCase(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t index = 0; index < left.size(); ++index) {
        if (asciiLower(left[index]) != asciiLower(right[index])) {
            return false;
        }
    }
    return true;
}

}  // namespace hollin
