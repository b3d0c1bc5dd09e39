// Database to CSV: a Tavlo Pro database becomes one line of field names and one line per record,
// with the information file written beside it when the job asks for one.
#pragma once

#include <cstddef>
#include <string>

#include "database/Files.h"
#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"

namespace quillon {

// Runs the whole conversion of job and reports its outcome through ReportMessage. The result,
// true when the CSV was written, is for callers that must pass the outcome on (the companion
// programs' exit codes); the report has already been made either way.
bool ConvertPdbToCsv(DatabaseJob& job, UserInterface& ui);

// The conversion proper, on files that are already open: reads the database, writes the
// information file (when info is given, which is then closed) and the CSV. Returns false with the
// report in message; liveCount receives the number of records converted.
[[nodiscard]] bool convertDatabaseToCsv(InputFile& database, OutputFile& csv, OutputFile* info,
                                        char delimiter, size_t& liveCount, std::string& message);

}  // namespace quillon
