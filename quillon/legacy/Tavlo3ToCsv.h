// Tavlo 3.x database to CSV and the older information-file variant: the work of the companion
// "ferrand.exe", the first step of the legacy upgrade. The CSV is the dialect Quillon writes
// with the comma; the information file has lines 1 to 4 of the Tavlo Pro form (types, widths,
// data screen width, first display column), then the two 3.x settings (sort field, view flags),
// then one line per popup string.
#pragma once

#include <cstddef>
#include <string>

#include "database/Files.h"
#include "legacy/Tavlo3Layout.h"

namespace quillon::tavlo3 {

void writeOldInfoFile(OutputFile& out, const AppInfo3& info);

// The conversion on open files; info may be null. Returns false with the message on failure.
[[nodiscard]] bool convertTavlo3ToCsv(InputFile& database, OutputFile& csv, OutputFile* info,
                                      size_t& liveCount, std::string& message);

// The whole conversion between paths; an empty infoPath writes no information file. The message
// says what happened, on success as well.
[[nodiscard]] bool ConvertTavlo3Database(const std::string& pdbPath, const std::string& csvPath,
                                         const std::string& infoPath, std::string& message);

}  // namespace quillon::tavlo3
