// Reports go to the user, or in batch mode into the error file that the calling program reads.
#include "ui/ReportMessage.h"

#include "database/Files.h"

namespace quillon {

void ReportMessage(const DatabaseJob& job, UserInterface& ui, std::string_view text) {
    if (!job.batchMode) {
        ui.showMessage(text);
        return;
    }
    // When the error file cannot be created the text is lost: batch mode has nobody to tell.
    OutputFile errorFile;
    if (errorFile.create(kBatchErrorFileName)) {
        errorFile.write(text);
        static_cast<void>(errorFile.close());
    }
}

}  // namespace quillon
