// Writer and readers of the information file. The numbers of lines 1 to 7 are read as one stream
// of integers in the C library's "%i" notation (sign, 0x hexadecimal, leading-0 octal), so their
// line breaks play no part; from the hexadecimal line on the reader is line-exact.
#include "database/InfoFile.h"

#include <cstdio>
#include <limits>

namespace quillon {

namespace {

bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int digitValue(int c, int base) {
    int value = 99;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// Integers in "%i" notation from the stream of lines 1 to 7. A number that does not fit the
// field it is read for counts as one that cannot be read, rather than being cut silently.
class IntegerStream {
  public:
    explicit IntegerStream(InputFile& in) : in_(in) {}

    [[nodiscard]] bool read(int64_t& value, int64_t lowest, int64_t highest) {
        skipSpace();
        bool negative = false;
        if (in_.peek() == '+' || in_.peek() == '-') {
            negative = in_.get() == '-';
        }
        int base = 10;
        bool anyDigit = false;
        if (in_.peek() == '0') {
            in_.get();
            anyDigit = true;
            base = 8;
            if (in_.peek() == 'x' || in_.peek() == 'X') {
                in_.get();
                base = 16;
            }
        }
        constexpr int64_t kCeiling = int64_t{1} << 40;
        int64_t magnitude = 0;
        while (digitValue(in_.peek(), base) >= 0) {
            magnitude = magnitude * base + digitValue(in_.get(), base);
            anyDigit = true;
            if (magnitude > kCeiling) {
                magnitude = kCeiling;
            }
        }
        value = negative ? -magnitude : magnitude;
        return anyDigit && value >= lowest && value <= highest;
    }

    void skipSpace() {
        while (isSpace(in_.peek())) {
            in_.get();
        }
    }

    void discardRestOfLine() {
        for (int c = in_.get(); c != kEndOfFile && c != '\n'; c = in_.get()) {
        }
    }

  private:
    InputFile& in_;
};

// 16-bit fields take either a signed or an unsigned reading; the bit pattern is what is stored.
constexpr int64_t kLowest16 = std::numeric_limits<int16_t>::min();
constexpr int64_t kHighest16 = std::numeric_limits<uint16_t>::max();
constexpr int64_t kLowest32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kHighest32 = std::numeric_limits<uint32_t>::max();

[[nodiscard]] bool read16(IntegerStream& numbers, int64_t& value) {
    return numbers.read(value, kLowest16, kHighest16);
}

[[nodiscard]] bool readRow16(IntegerStream& numbers, size_t count,
                             std::array<uint16_t, kMaxFields>& row) {
    for (size_t field = 0; field < count; ++field) {
        int64_t value = 0;
        if (!read16(numbers, value)) {
            return false;
        }
        row[field] = static_cast<uint16_t>(value);
    }
    return true;
}

[[nodiscard]] bool readRow32(IntegerStream& numbers, size_t count,
                             std::array<int32_t, kMaxFields>& row) {
    for (size_t field = 0; field < count; ++field) {
        int64_t value = 0;
        if (!numbers.read(value, kLowest32, kHighest32)) {
            return false;
        }
        row[field] = static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    return true;
}

[[nodiscard]] bool fail(std::string& message, std::string_view text) {
    message = text;
    return false;
}

// Line 8. Beyond the well-formed case the old decoding produced garbage bytes (from letters
// other than 0-9 and A-F, an odd digit count or the line feed) or a block that cannot be read back
// because it lacks the end marker; those lines are refused instead. Lowercase digits are accepted.
[[nodiscard]] bool readExtraBytes(InputFile& in, AppInfo& info, std::string& message) {
    std::string line;
    if (in.readLine(line, kMaxHexLineChars) == LineEnd::Cut) {
        return fail(message, "Extra data (line 8) in info file exceeds 1999 bytes.");
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
        line.pop_back();
    }
    if (line.size() % 2 != 0) {
        return fail(message, "Invalid hexadecimal extra data (line 8) in info file.");
    }
    info.extraBytes.clear();
    for (size_t pair = 0; pair < line.size(); pair += 2) {
        const int high = digitValue(static_cast<unsigned char>(line[pair]), 16);
        const int low = digitValue(static_cast<unsigned char>(line[pair + 1]), 16);
        if (high < 0 || low < 0) {
            return fail(message, "Invalid hexadecimal extra data (line 8) in info file.");
        }
        info.extraBytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    const size_t count = info.extraBytes.size();
    if (count < kEndMarker.size() ||
        !std::equal(kEndMarker.begin(), kEndMarker.end(),
                    info.extraBytes.end() - static_cast<std::ptrdiff_t>(kEndMarker.size()))) {
        return fail(message,
                    "Extra data (line 8) in info file does not end with "
                    "456E645461766C6F4461746100.");
    }
    return true;
}

// Popup lines go into the area as NUL-terminated strings; a line longer than 99 characters is
// taken as pieces of 99. An empty line used to end the area, so every list after a blank line (or
// after a line of exactly 99 characters, whose empty remainder looked like one) was silently
// dropped; blank lines are now skipped instead.
[[nodiscard]] bool readPopupSection(InputFile& in, AppInfo& info, std::string& message) {
    std::vector<uint8_t>& area = info.popupArea;
    area.clear();
    size_t itemCount = 0;
    std::string line;
    for (;;) {
        const LineEnd end = in.readLine(line, kMaxPopupLineChars);
        if (!line.empty()) {
            if (line.compare(0, 5, "popup") == 0) {
                itemCount = 0;
            } else if (++itemCount > kMaxPopupItems) {
                return fail(message, "Error: popup list exceeds 100 items.");
            }
            // The string, its NUL and the closing empty string must fit.
            if (area.size() + line.size() + 2 > kMaxPopupAreaSize) {
                return fail(message, "Popup lists in info file exceed 10000 bytes.");
            }
            area.insert(area.end(), line.begin(), line.end());
            area.push_back(0);
        }
        if (end == LineEnd::EndOfFile) {
            break;
        }
    }
    if (!area.empty()) {
        area.push_back(0);
    }
    return true;
}

void writeNumber(OutputFile& out, long value, const char* format) {
    char text[24];
    const int length = std::snprintf(text, sizeof text, format, value);
    out.write(text, static_cast<size_t>(length));
}

void writeRow16(OutputFile& out, const std::array<uint16_t, kMaxFields>& row, size_t count) {
    for (size_t field = 0; field < count; ++field) {
        writeNumber(out, static_cast<int16_t>(row[field]), "%li ");
    }
    out.endLine();
}

void writeRow32(OutputFile& out, const std::array<int32_t, kMaxFields>& row, size_t count) {
    for (size_t field = 0; field < count; ++field) {
        writeNumber(out, row[field], "%li ");
    }
    out.endLine();
}

}  // namespace

void WriteInfoFile(OutputFile& out, const AppInfo& info) {
    const size_t count = info.fieldCount;
    writeRow16(out, info.types, count);
    writeRow16(out, info.widths, count);
    for (const uint16_t single :
         {info.dataScreenWidth, info.firstDisplayColumn, info.appInfoFlag}) {
        writeNumber(out, static_cast<int16_t>(single), "%li");
        out.endLine();
    }
    writeRow32(out, info.extraData1, count);
    writeRow32(out, info.extraData2, count);
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    for (const uint8_t byte : info.extraBytes) {
        out.put(kHexDigits[byte >> 4]);
        out.put(kHexDigits[byte & 0x0F]);
    }
    out.endLine();
    for (const std::string& text : popupStrings(info.popupArea)) {
        out.write(text);
        out.endLine();
    }
}

bool ReadInfoFieldTypes(InputFile& in, size_t fieldCount, std::array<uint16_t, kMaxFields>& types,
                        std::string& message) {
    IntegerStream numbers(in);
    if (!readRow16(numbers, fieldCount, types)) {
        return fail(message, "Invalid number of field types in info file.");
    }
    return true;
}

bool ReadInfoFile(InputFile& in, AppInfo& info, std::string& message) {
    const size_t count = info.fieldCount;
    IntegerStream numbers(in);
    if (!readRow16(numbers, count, info.types)) {
        return fail(message, "Invalid number of field types in info file.");
    }
    for (size_t field = 0; field < count; ++field) {
        int64_t width = 0;
        if (!read16(numbers, width)) {
            return fail(message, "Invalid number of data widths (line 2) in info file.");
        }
        // A negative width passes, as it always has; only the upper bound is checked.
        if (width > kMaxColumnWidth) {
            return fail(message, "Invalid field width in Info file");
        }
        info.widths[field] = static_cast<uint16_t>(width);
    }
    int64_t value = 0;
    if (!read16(numbers, value)) {
        return fail(message, "Invalid data screen width (line 3) in info file.");
    }
    if (value < 0 || value > kMaxColumnWidth) {
        return fail(message, "Invalid first show data width in Info file");
    }
    info.dataScreenWidth = static_cast<uint16_t>(value);
    numbers.skipSpace();
    if (!read16(numbers, value)) {
        return fail(message, "Invalid first display column (line 4) in info file.");
    }
    if (value < 0 || value > kMaxFirstDisplayColumn) {
        return fail(message, "Error: invalid 'first show column' in Info file.");
    }
    info.firstDisplayColumn = static_cast<uint16_t>(value);
    numbers.skipSpace();
    if (!read16(numbers, value)) {
        return fail(message, "Invalid AppInfo flag  (line 5) in info file.");
    }
    info.appInfoFlag = static_cast<uint16_t>(value);
    numbers.skipSpace();
    if (!readRow32(numbers, count, info.extraData1)) {
        return fail(message, "Invalid extra data 1 fields (line 5) in info file.");
    }
    if (!readRow32(numbers, count, info.extraData2)) {
        return fail(message, "Invalid extra data 2 fields (line 6) in info file.");
    }
    numbers.discardRestOfLine();
    return readExtraBytes(in, info, message) && readPopupSection(in, info, message);
}

}  // namespace quillon
