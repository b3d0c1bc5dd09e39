// Hashing and comparing the names that identify pages and anchors. Names equal without regard to
// the case of A-Z denote one page or anchor, so both the hash and the comparison fold those
// letters first; everything else (including bytes above 127) is compared as it is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace skerrit {

// A name read back from a stream is looked at up to this many characters: the longest name the
// page loop can open, so two names that agree this far and have the same length are one name.
inline constexpr uint32_t kNameCompareLimit = 255;

constexpr uint8_t foldNameByte(uint8_t byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<uint8_t>(byte + ('a' - 'A')) : byte;
}

// CRC-32 (reflected polynomial 0xEDB88320, register starting at all ones, no final inversion) of
// the folded bytes. The empty name hashes to 0xFFFFFFFF.
uint32_t hashName(const char* bytes, size_t length);
uint32_t hashName(const char* name);

// A name as the comparison sees it: its length as stored in its record, and its first
// kNameCompareLimit characters folded and NUL-terminated.
struct FoldedName {
    uint32_t storedLength = 0;
    uint32_t keptLength = 0;
    char text[kNameCompareLimit + 1] = {};
};

void foldName(const char* bytes, size_t length, FoldedName& out);
bool namesEqual(const FoldedName& left, const FoldedName& right);

}  // namespace skerrit
