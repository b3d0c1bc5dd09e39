// The CSV dialect written by the database-to-CSV conversions (Quillon's own and the 3.x
// companion's): names quoted with doubled quotes, every field text quoted, a text value's quotes
// turned into apostrophes and its line breaks into spaces, binary values as uppercase hex.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "database/Files.h"
#include "database/TavloLayout.h"

namespace quillon {

// The field-name line and its line end. An empty name is written as nothing at all.
void writeCsvFieldNames(OutputFile& csv, std::span<const std::string> names, char delimiter);

// One field's text inside its quotes (the caller writes the quotes and delimiters).
void writeCsvBinaryText(OutputFile& csv, std::span<const uint8_t> value);
void writeCsvText(OutputFile& csv, std::span<const uint8_t> value);

// One record line with its line end: every field quoted, binary (type 68) fields as hexadecimal.
// Any reader that hands out the current record's values by field index will do.
template <typename RecordReader>
void writeCsvRecord(OutputFile& csv, std::span<const uint16_t> types, const RecordReader& reader,
                    char delimiter) {
    for (size_t field = 0; field < types.size(); ++field) {
        if (field > 0) {
            csv.put(delimiter);
        }
        csv.put('"');
        if (types[field] == kBinaryFieldType) {
            writeCsvBinaryText(csv, reader.fieldValue(field));
        } else {
            writeCsvText(csv, reader.fieldValue(field));
        }
        csv.put('"');
    }
    csv.endLine();
}

}  // namespace quillon
