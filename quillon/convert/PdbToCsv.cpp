// Database to CSV. Field texts are always quoted; a text value's double quotes become apostrophes
// and its line breaks spaces, so a record line never needs escaping. Binary (type 68) values
// travel as uppercase hexadecimal.
#include "convert/PdbToCsv.h"

#include <span>

#include "convert/CsvLineWriter.h"
#include "database/AtomicOutputFile.h"
#include "database/DatabaseReader.h"
#include "database/InfoFile.h"
#include "ui/ReportMessage.h"

namespace quillon {

bool convertDatabaseToCsv(InputFile& database, OutputFile& csv, OutputFile* info, char delimiter,
                          size_t& liveCount, std::string& message) {
    DatabaseReader reader(database);
    if (!reader.readPrologue()) {
        message = reader.errorMessage();
        return false;
    }
    const AppInfo& appInfo = reader.appInfo();
    if (info != nullptr) {
        WriteInfoFile(*info, appInfo);
        if (!info->close()) {
            message = "Error - Can't write ifo file";
            return false;
        }
    }
    writeCsvFieldNames(csv, std::span(appInfo.names).first(appInfo.fieldCount), delimiter);
    liveCount = reader.liveRecordCount();
    for (size_t record = 0; record < liveCount; ++record) {
        if (!reader.readRecord()) {
            message = reader.errorMessage();
            return false;
        }
        writeCsvRecord(csv, std::span(appInfo.types).first(appInfo.fieldCount), reader, delimiter);
    }
    return true;
}

bool ConvertPdbToCsv(DatabaseJob& job, UserInterface& ui) {
    InputFile database;
    if (!database.open(job.pdbPath)) {
        ReportMessage(job, ui,
                      withReason("Error - Can't open pdb file", job.pdbPath,
                                 systemErrorText(database.openError())));
        return false;
    }
    // Creating the outputs would destroy an input that has the same name.
    if (isSameFile(job.csvPath, job.pdbPath)) {
        ReportMessage(job, ui, "Error - The csv file and the pdb file are the same file");
        return false;
    }
    if (job.useInfoFile &&
        (isSameFile(job.infoPath, job.pdbPath) || isSameFile(job.infoPath, job.csvPath))) {
        ReportMessage(job, ui, "Error - The ifo file must differ from the pdb and csv files");
        return false;
    }
    // Both outputs are written under temporary names and replace the existing files only when
    // the whole database was read: a failure leaves the user's CSV and information file as they
    // were.
    AtomicOutputFile csv;
    if (!csv.create(job.csvPath)) {
        ReportMessage(job, ui,
                      withReason("Error - Can't open csv file", job.csvPath, csv.errorText()));
        return false;
    }
    AtomicOutputFile info;
    if (job.useInfoFile && !info.create(job.infoPath)) {
        ReportMessage(job, ui,
                      withReason("Error - Can't open ifo file", job.infoPath, info.errorText()));
        return false;
    }
    size_t liveCount = 0;
    std::string message;
    if (!convertDatabaseToCsv(database, csv.file(), job.useInfoFile ? &info.file() : nullptr,
                              job.delimiter, liveCount, message)) {
        if (job.useInfoFile && info.file().errorNumber() != 0) {
            message = withReason(message, job.infoPath, systemErrorText(info.file().errorNumber()));
        }
        ReportMessage(job, ui, message);
        return false;
    }
    database.close();
    if (job.useInfoFile && !info.finish()) {
        ReportMessage(job, ui,
                      withReason("Error - Can't write ifo file", job.infoPath, info.errorText()));
        return false;
    }
    if (!csv.finish()) {
        ReportMessage(job, ui,
                      withReason("Error - Can't write csv file", job.csvPath, csv.errorText()));
        return false;
    }
    if (job.useInfoFile && !info.replaceDestination()) {
        ReportMessage(job, ui,
                      withReason("Error - Can't write ifo file", job.infoPath, info.errorText()));
        return false;
    }
    if (!csv.replaceDestination()) {
        ReportMessage(job, ui,
                      withReason("Error - Can't write csv file", job.csvPath, csv.errorText()));
        return false;
    }
    if (!job.batchMode) {
        ReportMessage(job, ui,
                      "Conversion of " + std::to_string(liveCount) + " records in " + job.pdbPath +
                          " to " + job.csvPath + " was successful!");
    }
    return true;
}

}  // namespace quillon
