// The one report routine of the conversions: a message box, or in batch mode the error file
// "gostwick.err" in the current directory, replaced by each report.
#pragma once

#include <string_view>

#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"

namespace quillon {

inline constexpr const char* kBatchErrorFileName = "gostwick.err";

void ReportMessage(const DatabaseJob& job, UserInterface& ui, std::string_view text);

}  // namespace quillon
