// What the main dialog's two conversion buttons do before anything runs, shared by every toolkit:
// ask for the file with the button's filter and set the job's companion paths beside it. The
// dialogs only read their controls, show that they are busy and call the conversion.
#pragma once

#include <span>
#include <string>

#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"

namespace quillon {

inline constexpr const char* kPdbFilter = "PDB Files (*.pdb)|*.pdb||";
inline constexpr const char* kCsvFilter = "CSV Files (*.csv)|*.csv||";

// The database to export and its CSV and information file. When the CSV (or, with the box
// ticked, the information file) exists already, the user is asked whether to replace it. False:
// the choice was cancelled or the replacement declined, and the job is unchanged.
[[nodiscard]] bool PrepareDatabaseToCsv(DatabaseJob& job, UserInterface& ui);

// The CSV to import and its database and information file; the database name is emptied so that
// the conversion asks for it. False: the choice was cancelled and the job is unchanged.
[[nodiscard]] bool PrepareCsvToDatabase(DatabaseJob& job, UserInterface& ui);

// The question before existing files are replaced: "names.csv already exists.\nDo you want to
// replace it?", or for two files "a.csv and a.ifo already exist.\nDo you want to replace them?".
std::string ReplaceQuestion(std::span<const std::string> existingPaths);

}  // namespace quillon
