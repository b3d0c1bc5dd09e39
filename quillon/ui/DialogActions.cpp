#include "ui/DialogActions.h"

#include <optional>
#include <string>
#include <vector>

#include "database/Files.h"
#include "ui/DerivedPaths.h"

namespace quillon {

bool PrepareDatabaseToCsv(DatabaseJob& job, UserInterface& ui) {
    const std::optional<std::string> chosen = ui.chooseFileToOpen(kPdbFilter);
    if (!chosen) {
        return false;
    }
    const std::string csvPath = withExtension(*chosen, "csv");
    const std::string infoPath = withExtension(*chosen, "ifo");
    std::vector<std::string> existing;
    if (pathExists(csvPath)) {
        existing.push_back(csvPath);
    }
    if (job.useInfoFile && pathExists(infoPath)) {
        existing.push_back(infoPath);
    }
    if (!existing.empty() && !ui.confirm(ReplaceQuestion(existing))) {
        return false;
    }
    job.pdbPath = *chosen;
    job.csvPath = csvPath;
    job.infoPath = infoPath;
    return true;
}

bool PrepareCsvToDatabase(DatabaseJob& job, UserInterface& ui) {
    const std::optional<std::string> chosen = ui.chooseFileToOpen(kCsvFilter);
    if (!chosen) {
        return false;
    }
    job.csvPath = *chosen;
    job.databaseName.clear();
    job.pdbPath = withExtension(job.csvPath, "pdb");
    job.infoPath = withExtension(job.csvPath, "ifo");
    return true;
}

std::string ReplaceQuestion(std::span<const std::string> existingPaths) {
    std::string names;
    for (size_t index = 0; index < existingPaths.size(); ++index) {
        if (index > 0) {
            names += index + 1 == existingPaths.size() ? " and " : ", ";
        }
        names += existingPaths[index];
    }
    return existingPaths.size() == 1 ? names + " already exists.\nDo you want to replace it?"
                                     : names + " already exist.\nDo you want to replace them?";
}

}  // namespace quillon
