// Any bytes as CSV. The first byte picks the delimiter and which fields are binary (type 68); the
// rest is read as the field-name line and data lines, as both conversion passes read them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/CsvRecordReader.h"
#include "convert/CsvToPdb.h"
#include "database/Files.h"
#include "database/TavloLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t choice = data[0];
    const char delimiter = (choice & 1) != 0 ? ';' : ',';
    quillon::InputFile input;
    input.openMemory(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    quillon::CsvRecordReader reader(input, delimiter);
    std::vector<std::string> names;
    if (reader.readFieldNames(names) != quillon::CsvRead::Line ||
        names.size() > quillon::kMaxFields) {
        return 0;
    }
    std::vector<std::string> fields;
    std::string bytes;
    while (reader.readRecord(names.size(), fields) == quillon::CsvRead::Line) {
        for (size_t field = 0; field < fields.size(); ++field) {
            if (((choice >> (1 + field % 7)) & 1) != 0) {
                static_cast<void>(quillon::decodeHexField(fields[field], &bytes));
            }
        }
    }
    return 0;
}
