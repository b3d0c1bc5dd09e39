// The name hash is a CRC-32 so that names spread evenly over the sorted lookup tables; folding
// before the register makes "Index.HTM" and "index.htm" meet at one page.
#include "htmldoc/NameHash.h"

#include <array>
#include <cstring>

namespace skerrit {
namespace {

constexpr std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t index = 0; index < 256; ++index) {
        uint32_t value = index;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1u) != 0 ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        }
        table[index] = value;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();

}  // namespace

uint32_t hashName(const char* bytes, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t index = 0; index < length; ++index) {
        const uint8_t folded = foldNameByte(static_cast<uint8_t>(bytes[index]));
        crc = kCrcTable[(crc ^ folded) & 0xFFu] ^ (crc >> 8);
    }
    return crc;
}

uint32_t hashName(const char* name) {
    return hashName(name, std::strlen(name));
}

void foldName(const char* bytes, size_t length, FoldedName& out) {
    out.storedLength = static_cast<uint32_t>(length);
    out.keptLength = length < kNameCompareLimit ? static_cast<uint32_t>(length) : kNameCompareLimit;
    for (uint32_t index = 0; index < out.keptLength; ++index) {
        out.text[index] = static_cast<char>(foldNameByte(static_cast<uint8_t>(bytes[index])));
    }
    out.text[out.keptLength] = '\0';
}

bool namesEqual(const FoldedName& left, const FoldedName& right) {
    return left.storedLength == right.storedLength && left.keptLength == right.keptLength &&
           std::memcmp(left.text, right.text, left.keptLength) == 0;
}

}  // namespace skerrit
