// The one report routine of the conversions: a message box, or in batch mode the error file
// "gostwick.err" in the current directory, replaced by each report, and standard error.
#pragma once

#include <string>
#include <string_view>

#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"

namespace quillon {

inline constexpr const char* kBatchErrorFileName = "gostwick.err";

void ReportMessage(const DatabaseJob& job, UserInterface& ui, std::string_view text);

// A message that gives no reason of its own, with a second line naming the file and the reason:
// "Error - Can't open csv file" becomes "Error - Can't open csv file\nnames.csv: No such file or
// directory".
std::string withReason(std::string_view message, std::string_view path, std::string_view reason);

// Removes the report of an earlier batch run, so that the file describes this run only.
void RemoveBatchErrorFile();

}  // namespace quillon
