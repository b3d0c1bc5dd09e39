// Field names, text and binary field texts in the CSV dialect of the database-to-CSV direction.
#include "convert/CsvLineWriter.h"

#include <algorithm>

namespace quillon {

void writeCsvFieldNames(OutputFile& csv, std::span<const std::string> names, char delimiter) {
    for (size_t field = 0; field < names.size(); ++field) {
        if (field > 0) {
            csv.put(delimiter);
        }
        const std::string& name = names[field];
        if (name.empty()) {
            continue;  // an empty name is written as nothing at all, not even quotes
        }
        csv.put('"');
        for (const char c : name) {
            if (c == '"') {
                csv.put('"');
            }
            csv.put(c);
        }
        csv.put('"');
    }
    csv.endLine();
}

void writeCsvBinaryText(OutputFile& csv, std::span<const uint8_t> value) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    for (const uint8_t byte : value) {
        csv.put(kHexDigits[byte >> 4]);
        csv.put(kHexDigits[byte & 0x0F]);
    }
}

// The text runs to the first NUL, at most the whole value. Every byte of it is cleaned: the old
// rule spared the last byte of a value without a NUL, and a quote there broke the CSV line.
void writeCsvText(OutputFile& csv, std::span<const uint8_t> value) {
    const auto end = std::find(value.begin(), value.end(), uint8_t{0});
    for (auto byte = value.begin(); byte != end; ++byte) {
        char c = static_cast<char>(*byte);
        if (c == '"') {
            c = '\'';
        } else if (c == '\r' || c == '\n') {
            c = ' ';
        }
        csv.put(c);
    }
}

}  // namespace quillon
