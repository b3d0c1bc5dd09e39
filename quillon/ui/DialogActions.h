// What the main dialog's two conversion buttons do before anything runs, shared by every toolkit:
// ask for the file with the button's filter and set the job's companion paths beside it. The
// dialogs only read their controls, show that they are busy and call the conversion.
#pragma once

#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"

namespace quillon {

inline constexpr const char* kPdbFilter = "PDB Files (*.pdb)|*.pdb||";
inline constexpr const char* kCsvFilter = "CSV Files (*.csv)|*.csv||";

// The database to export and its CSV and information file. False: the choice was cancelled and
// the job is unchanged.
[[nodiscard]] bool PrepareDatabaseToCsv(DatabaseJob& job, UserInterface& ui);

// The CSV to import and its database and information file; the database name is emptied so that
// the conversion asks for it. False: the choice was cancelled and the job is unchanged.
[[nodiscard]] bool PrepareCsvToDatabase(DatabaseJob& job, UserInterface& ui);

}  // namespace quillon
