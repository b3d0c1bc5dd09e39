// Reads the CSV dialect of the conversions line by line: a double quote toggles an in-quotes
// state that carries across lines, two quotes inside quotes are one literal quote, the delimiter
// splits fields only outside quotes. Both passes of the CSV-to-database conversion read through
// this class, so they see the same fields and the same checks. A CSV that begins with the UTF-8
// byte-order mark is UTF-8 text: the mark is dropped and every line is converted to the handheld's
// characters before it is split, so that every limit counts the bytes the handheld gets. Any other
// CSV is taken byte for byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "database/Files.h"

namespace quillon {

// Line limit of both passes, its line feed counted (the 10,000-byte line buffer less its NUL).
inline constexpr size_t kMaxCsvLineChars = 9999;
inline constexpr size_t kMaxFieldNamesLineChars = 3999;
// Field names must be shorter than 20 characters, field texts shorter than 4,000; both are
// measured without the enclosing quotes, so that what Quillon writes it can read back.
inline constexpr size_t kFieldNameLengthLimit = 20;
inline constexpr size_t kFieldTextLengthLimit = 4000;
// The bytes a UTF-8 line is read with: a character takes at most four bytes and converts to at
// least one, so a line cut here is over the line limit after conversion as well.
inline constexpr size_t kMaxUtf8CsvLineBytes = 4 * kMaxCsvLineChars;

enum class CsvRead { Line, End, Error };

// The unquoted form of a field's raw text: a leading quote drops the first and the last
// character, then each pair of adjacent quotes becomes one, scanning from the left.
void unquoteField(std::string_view raw, std::string& text);

class CsvRecordReader {
  public:
    CsvRecordReader(InputFile& input, char delimiter) : input_(input), delimiter_(delimiter) {}

    // The field-name line: names receives the unquoted names, one per field. End means the file
    // is empty.
    [[nodiscard]] CsvRead readFieldNames(std::vector<std::string>& names);
    // The next data line as fieldCount unquoted fields (missing fields are empty).
    [[nodiscard]] CsvRead readRecord(size_t fieldCount, std::vector<std::string>& fields);

    // The number of the data line last read, counted from 1.
    size_t recordNumber() const { return recordNumber_; }
    const std::string& errorMessage() const { return errorMessage_; }

  private:
    [[nodiscard]] LineEnd readFirstLine();
    [[nodiscard]] LineEnd readLine();
    [[nodiscard]] LineEnd convertUtf8Line(LineEnd rawEnd);
    void splitLine();
    [[nodiscard]] CsvRead fail(std::string message);

    InputFile& input_;
    const char delimiter_;
    bool utf8_ = false;
    bool inQuotes_ = false;
    size_t recordNumber_ = 0;
    std::string line_;
    std::string utf8Line_;
    std::vector<std::string_view> pieces_;
    std::string surplusField_;  // a piece beyond the field count, checked but not kept
    std::string errorMessage_;
};

}  // namespace quillon
