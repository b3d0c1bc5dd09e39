// The character tables of the reader: named references and the code points above 255 that the
// handheld's 8-bit character set can show. Both are sorted so that lookups go by bisection.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace skerrit {

struct EntityEntry {
    const char* name;
    uint8_t code;
};

struct UnicodeMapEntry {
    uint16_t codePoint;
    uint8_t code;
};

inline constexpr uint32_t kEntityCount = 127;
inline constexpr uint32_t kUnicodeMapCount = 27;

// Sorted by the byte values of the names (upper-case before lower-case); no name is a prefix of
// another, which lets the reference decoder stop at the first full match.
extern const std::array<EntityEntry, kEntityCount> EntityTable;
// Sorted by code point.
extern const std::array<UnicodeMapEntry, kUnicodeMapCount> UnicodeMapTable;

// The 8-bit code of a code point above 255, or -1 when the handheld cannot show it.
[[nodiscard]] int32_t mapUnicode(uint32_t codePoint);

}  // namespace skerrit
