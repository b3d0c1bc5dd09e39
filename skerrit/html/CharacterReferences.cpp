// Character references: "&name;" from the entity table and "&#digits;" with the code points the
// handheld can show. A text that is not a reference is left in the page: every byte read after
// "&" is pushed back and read again as text (only the "#" of a numeric attempt is not).
#include <cstddef>
#include <cstring>

#include "html/EntityTables.h"
#include "html/PageInput.h"
#include "html/Tokenizer.h"

namespace skerrit {

namespace {

// Leading zeros are skipped up to this many; pushing them back crosses at most one buffer.
constexpr uint32_t kMaxLeadingZeros = 1024;
// At most this many significant digits: 9999 is the largest value a numeric reference reaches.
constexpr uint32_t kMaxSignificantDigits = 4;
// Named references examine at most this many bytes after "&".
constexpr uint32_t kMaxNameBytes = 32;

[[nodiscard]] bool isDigit(int32_t byte) {
    return byte >= '0' && byte <= '9';
}

// The byte that ended a reference: ";" belongs to the reference, anything else to the text.
void finishReference(HtmlReader& reader, int32_t terminator) {
    if (terminator != kEndOfInput && terminator != ';')
        unreadBytes(reader, 1);
}

int32_t decodeNumericReference(HtmlReader& reader) {
    uint32_t bytesRead = 0;
    int32_t byte = kEndOfInput;
    while (bytesRead < kMaxLeadingZeros) {
        byte = readByte(reader);
        if (byte != '0')
            break;
        ++bytesRead;
    }
    if (bytesRead == kMaxLeadingZeros || byte == kEndOfInput) {
        unreadBytes(reader, bytesRead);
        return '&';
    }
    ++bytesRead;
    if (!isDigit(byte)) {
        unreadBytes(reader, bytesRead);
        return '&';
    }

    uint32_t value = static_cast<uint32_t>(byte - '0');
    uint32_t digits = 1;
    int32_t terminator = kEndOfInput;
    for (;;) {
        byte = readByte(reader);
        if (byte == kEndOfInput)
            break;
        ++bytesRead;
        if (!isDigit(byte)) {
            terminator = byte;
            break;
        }
        if (digits == kMaxSignificantDigits) {
            unreadBytes(reader, bytesRead);  // a fifth digit: the number is too long
            return '&';
        }
        value = value * 10 + static_cast<uint32_t>(byte - '0');
        ++digits;
    }

    if (value >= 256) {
        const int32_t mapped = mapUnicode(value);
        if (mapped < 0) {
            unreadBytes(reader, bytesRead);
            return '&';
        }
        value = static_cast<uint32_t>(mapped);
    }
    finishReference(reader, terminator);
    return static_cast<int32_t>(value);
}

// Index of the first entry whose name begins with `first`, or -1.
int32_t firstEntryWith(uint8_t first) {
    int32_t low = 0;
    int32_t high = static_cast<int32_t>(kEntityCount) - 1;
    int32_t found = -1;
    while (low <= high) {
        const int32_t middle = (low + high) / 2;
        const auto initial =
            static_cast<uint8_t>(EntityTable[static_cast<std::size_t>(middle)].name[0]);
        if (initial == first) {
            found = middle;
            break;
        }
        if (initial < first) {
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    while (found > 0 && static_cast<uint8_t>(
                            EntityTable[static_cast<std::size_t>(found - 1)].name[0]) == first) {
        --found;
    }
    return found;
}

int32_t decodeNamedReference(HtmlReader& reader, int32_t first) {
    uint8_t bytes[kMaxNameBytes];
    uint32_t bytesRead = 1;
    bytes[0] = static_cast<uint8_t>(first);

    int32_t entry = firstEntryWith(bytes[0]);
    while (entry >= 0 && entry < static_cast<int32_t>(kEntityCount)) {
        const char* name = EntityTable[static_cast<std::size_t>(entry)].name;
        bool nextEntry = false;
        for (uint32_t k = 0; !nextEntry; ++k) {
            if (name[k] == '\0') {
                // Whole name matched. Walking in table order never reads past the name, so at
                // most the byte after it is already in hand.
                if (k < bytesRead) {
                    const uint32_t keep = bytes[k] == ';' ? 1 : 0;
                    unreadBytes(reader, bytesRead - k - keep);
                } else {
                    finishReference(reader, readByte(reader));
                }
                return EntityTable[static_cast<std::size_t>(entry)].code;
            }
            if (k == bytesRead) {
                if (bytesRead == kMaxNameBytes)
                    break;
                const int32_t byte = readByte(reader);
                if (byte == kEndOfInput)
                    break;
                bytes[bytesRead++] = static_cast<uint8_t>(byte);
            }
            const auto expected = static_cast<uint8_t>(name[k]);
            if (bytes[k] < expected)
                break;  // sorts before this entry, so before all later ones
            if (bytes[k] > expected)
                nextEntry = true;
        }
        if (!nextEntry)
            break;
        ++entry;
        if (entry < static_cast<int32_t>(kEntityCount) &&
            static_cast<uint8_t>(EntityTable[static_cast<std::size_t>(entry)].name[0]) !=
                bytes[0]) {
            break;
        }
    }
    unreadBytes(reader, bytesRead);
    return '&';
}

}  // namespace

int32_t decodeReference(HtmlReader& reader) {
    const int32_t first = readByte(reader);
    if (first == kEndOfInput)
        return kEndOfInput;
    if (first == '#')
        return decodeNumericReference(reader);
    return decodeNamedReference(reader, first);
}

}  // namespace skerrit
