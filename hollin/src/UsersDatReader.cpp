// Entry layout from its start s: magic (2 bytes, little-endian), 2 bytes not read, name length a,
// a name bytes, folder length b, b folder bytes, one byte ignored. Between two entries lie bytes of
// no interest to the library, up to and including the first 0x01 0x80 pair met by a scan that
// reads 0x01 and then always consumes the byte after it; an 0x01 0x01 0x80 run therefore does not
// end the scan, and that is kept, since it is how the entry boundaries are found.
#include "UsersDatReader.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace hollin {
namespace {

constexpr std::size_t kFirstEntryOffset = 13;
constexpr std::uint8_t kMarkerFirst = 0x01;
constexpr std::uint8_t kMarkerSecond = 0x80;

class ByteCursor {
  public:
    explicit ByteCursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    [[nodiscard]] bool seek(std::size_t position) {
        position_ = position;
        return position_ <= bytes_.size();
    }
    [[nodiscard]] bool readByte(std::uint8_t& value) {
        if (position_ >= bytes_.size()) {
            return false;
        }
        value = bytes_[position_++];
        return true;
    }
    [[nodiscard]] bool readLittleEndian16(std::uint16_t& value) {
        std::uint8_t low = 0;
        std::uint8_t high = 0;
        if (!readByte(low) || !readByte(high)) {
            return false;
        }
        value = static_cast<std::uint16_t>(low | (high << 8));
        return true;
    }
    [[nodiscard]] bool skip(std::size_t count) {
        if (bytes_.size() - position_ < count) {
            return false;
        }
        position_ += count;
        return true;
    }
    // A length byte and that many characters, cut at the first NUL as the stored text would be.
    [[nodiscard]] bool readCountedText(std::string& text) {
        std::uint8_t length = 0;
        if (!readByte(length) || bytes_.size() - position_ < length) {
            return false;
        }
        const auto* first = reinterpret_cast<const char*>(bytes_.data() + position_);
        text.assign(first, std::find(first, first + length, '\0'));
        position_ += length;
        return true;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

void storeCut(char (&field)[kUserTextFieldSize], const std::string& text) {
    const std::size_t length = std::min(text.size(), kUserTextFieldSize - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

[[nodiscard]] bool skipToNextEntry(ByteCursor& cursor) {
    std::uint8_t byte = 0;
    while (cursor.readByte(byte)) {
        if (byte != kMarkerFirst) {
            continue;
        }
        if (!cursor.readByte(byte)) {
            return false;
        }
        if (byte == kMarkerSecond) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<UserList> readUsersDat(std::span<const std::uint8_t> bytes,
                                     std::string_view lastUserName) {
    ByteCursor cursor(bytes);
    std::uint8_t userCount = 0;
    if (!cursor.readByte(userCount)) {
        return std::nullopt;
    }
    UserList list;
    if (userCount == 0) {
        return list;
    }
    if (!cursor.seek(kFirstEntryOffset)) {
        return std::nullopt;
    }
    list.users.resize(userCount);
    std::string name;
    std::string folder;
    std::uint8_t ignored = 0;
    for (std::size_t index = 0; index < userCount; ++index) {
        TUserEntry& entry = list.users[index];
        if (!cursor.readLittleEndian16(entry.magic) || !cursor.skip(2) ||
            !cursor.readCountedText(name) || !cursor.readCountedText(folder) ||
            !cursor.readByte(ignored)) {
            return std::nullopt;
        }
        storeCut(entry.name, name);
        storeCut(entry.subDir, folder);
        // The whole name is compared, so a long name cut to fit never matches a shorter one.
        if (!lastUserName.empty() && name == lastUserName) {
            list.lastUserIndex = static_cast<std::int32_t>(index);
        }
        if (index + 1 < userCount && !skipToNextEntry(cursor)) {
            return std::nullopt;
        }
    }
    return list;
}

}  // namespace hollin
