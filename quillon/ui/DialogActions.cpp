#include "ui/DialogActions.h"

#include <optional>
#include <string>

#include "ui/DerivedPaths.h"

namespace quillon {

bool PrepareDatabaseToCsv(DatabaseJob& job, UserInterface& ui) {
    const std::optional<std::string> chosen = ui.chooseFileToOpen(kPdbFilter);
    if (!chosen) {
        return false;
    }
    job.pdbPath = *chosen;
    job.csvPath = withExtension(job.pdbPath, "csv");
    job.infoPath = withExtension(job.pdbPath, "ifo");
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

}  // namespace quillon
