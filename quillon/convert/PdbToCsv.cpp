// Database to CSV. Field texts are always quoted; a text value's double quotes become apostrophes
// and its line breaks spaces, so a record line never needs escaping. Binary (type 68) values
// travel as uppercase hexadecimal.
#include "convert/PdbToCsv.h"

#include <algorithm>
#include <span>

#include "database/DatabaseReader.h"
#include "database/InfoFile.h"
#include "ui/ReportMessage.h"

namespace quillon {

namespace {

void writeFieldNames(OutputFile& csv, const AppInfo& info, char delimiter) {
    for (size_t field = 0; field < info.fieldCount; ++field) {
        if (field > 0) {
            csv.put(delimiter);
        }
        const std::string& name = info.names[field];
        if (name.empty()) {
            continue;  // an empty name is written as nothing at all, not even quotes
        }
        csv.put('"');
        for (const char c : name) {
            if (c == '"') {
                csv.put('"');
            }
            csv.put(c);
        }
        csv.put('"');
    }
    csv.endLine();
}

void writeBinaryText(OutputFile& csv, std::span<const uint8_t> value) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    for (const uint8_t byte : value) {
        csv.put(kHexDigits[byte >> 4]);
        csv.put(kHexDigits[byte & 0x0F]);
    }
}

// The text runs to the first NUL, at most the whole value. Every byte of it is cleaned: the old
// rule spared the last byte of a value without a NUL, and a quote there broke the CSV line.
void writeText(OutputFile& csv, std::span<const uint8_t> value) {
    const auto end = std::find(value.begin(), value.end(), uint8_t{0});
    for (auto byte = value.begin(); byte != end; ++byte) {
        char c = static_cast<char>(*byte);
        if (c == '"') {
            c = '\'';
        } else if (c == '\r' || c == '\n') {
            c = ' ';
        }
        csv.put(c);
    }
}

}  // namespace

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
    writeFieldNames(csv, appInfo, delimiter);
    liveCount = reader.liveRecordCount();
    for (size_t record = 0; record < liveCount; ++record) {
        if (!reader.readRecord()) {
            message = reader.errorMessage();
            return false;
        }
        for (size_t field = 0; field < appInfo.fieldCount; ++field) {
            if (field > 0) {
                csv.put(delimiter);
            }
            csv.put('"');
            if (appInfo.types[field] == kBinaryFieldType) {
                writeBinaryText(csv, reader.fieldValue(field));
            } else {
                writeText(csv, reader.fieldValue(field));
            }
            csv.put('"');
        }
        csv.endLine();
    }
    return true;
}

void ConvertPdbToCsv(DatabaseJob& job, UserInterface& ui) {
    InputFile database;
    if (!database.open(job.pdbPath)) {
        ReportMessage(job, ui, "Error - Can't open pdb file");
        return;
    }
    // Creating the outputs would destroy an input that has the same name.
    if (isSameFile(job.csvPath, job.pdbPath)) {
        ReportMessage(job, ui, "Error - The csv file and the pdb file are the same file");
        return;
    }
    if (job.useInfoFile &&
        (isSameFile(job.infoPath, job.pdbPath) || isSameFile(job.infoPath, job.csvPath))) {
        ReportMessage(job, ui, "Error - The ifo file must differ from the pdb and csv files");
        return;
    }
    OutputFile csv;
    if (!csv.create(job.csvPath)) {
        ReportMessage(job, ui, "Error - Can't open csv file");
        return;
    }
    OutputFile info;
    if (job.useInfoFile && !info.create(job.infoPath)) {
        ReportMessage(job, ui, "Error - Can't open ifo file");
        return;
    }
    size_t liveCount = 0;
    std::string message;
    if (!convertDatabaseToCsv(database, csv, job.useInfoFile ? &info : nullptr, job.delimiter,
                              liveCount, message)) {
        ReportMessage(job, ui, message);
        return;
    }
    database.close();
    if (!csv.close()) {
        ReportMessage(job, ui, "Error - Can't write csv file");
        return;
    }
    if (!job.batchMode) {
        ReportMessage(job, ui,
                      "Conversion of " + std::to_string(liveCount) + " records in " + job.pdbPath +
                          " to " + job.csvPath + " was successful!");
    }
}

}  // namespace quillon
