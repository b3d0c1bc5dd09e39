// Reports go to the user, or in batch mode into the error file that the calling program reads
// and to standard error, where a person running the command sees them. Batch mode never shows a
// message box: nobody may be there to close it, and the run would wait for ever.
#include "ui/ReportMessage.h"

#include <cstdio>

#include "database/Files.h"

namespace quillon {

void UserInterface::showOnConsole(std::string_view text) {
    std::fprintf(stderr, "Quillon: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
}

void ReportMessage(const DatabaseJob& job, UserInterface& ui, std::string_view text) {
    if (!job.batchMode) {
        ui.showMessage(text);
        return;
    }
    ui.showOnConsole(text);
    OutputFile errorFile;
    if (errorFile.create(kBatchErrorFileName)) {
        errorFile.write(text);
    }
    if (!errorFile.close()) {
        ui.showOnConsole(std::string(kBatchErrorFileName) +
                         " cannot be written: " + systemErrorText(errorFile.errorNumber()));
    }
}

std::string withReason(std::string_view message, std::string_view path, std::string_view reason) {
    return std::string(message) + "\n" + std::string(path) + ": " + std::string(reason);
}

void RemoveBatchErrorFile() {
    static_cast<void>(deleteFile(kBatchErrorFileName));
}

}  // namespace quillon
