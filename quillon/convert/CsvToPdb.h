// CSV to database: a CSV file whose first line holds the field names becomes a Tavlo Pro
// database, with types, widths, popup lists and extra data from the information file when the
// job asks for one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"

namespace quillon {

// Runs the whole conversion of job and reports its outcome through ReportMessage. True when the
// database was written; the outcome has been reported either way, except when the user cancelled
// the name request in the dialog. An existing database is replaced only by a complete new one.
bool ConvertCsvToPdb(DatabaseJob& job, UserInterface& ui);

// A type-68 field's text as bytes: pairs of hexadecimal digits, high half first; a last unpaired
// digit is ignored. Lowercase digits are accepted. Returns false on any other character.
[[nodiscard]] bool decodeHexField(std::string_view text, std::string* bytes);

}  // namespace quillon
