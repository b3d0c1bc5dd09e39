// Tavlo 3.x to CSV. Field texts go through the same writer as Quillon's own database-to-CSV
// conversion, so that the Tavlo Pro database built from them reads back the same.
#include "legacy/Tavlo3ToCsv.h"

#include <span>

#include "convert/CsvLineWriter.h"
#include "database/AtomicOutputFile.h"
#include "legacy/Tavlo3Reader.h"

namespace quillon::tavlo3 {

namespace {

constexpr char kDelimiter = ',';

void writeNumberLine(OutputFile& out, std::span<const uint16_t> values) {
    for (const uint16_t value : values) {
        out.write(std::to_string(static_cast<int16_t>(value)) + " ");
    }
    out.endLine();
}

void writeSingleNumber(OutputFile& out, uint16_t value) {
    out.write(std::to_string(static_cast<int16_t>(value)));
    out.endLine();
}

}  // namespace

void writeOldInfoFile(OutputFile& out, const AppInfo3& info) {
    writeNumberLine(out, std::span(info.types).first(info.fieldCount));
    writeNumberLine(out, std::span(info.widths).first(info.fieldCount));
    writeSingleNumber(out, info.dataScreenWidth);
    writeSingleNumber(out, info.firstDisplayColumn);
    writeSingleNumber(out, info.sortField);
    writeSingleNumber(out, info.viewFlags);
    for (const std::string& line : info.popupStrings) {
        out.write(line);
        out.endLine();
    }
}

bool convertTavlo3ToCsv(InputFile& database, OutputFile& csv, OutputFile* info, size_t& liveCount,
                        std::string& message) {
    Tavlo3Reader reader(database);
    if (!reader.readPrologue()) {
        message = reader.errorMessage();
        return false;
    }
    const AppInfo3& appInfo = reader.appInfo();
    if (info != nullptr) {
        writeOldInfoFile(*info, appInfo);
        if (!info->close()) {
            message = "Error - Can't write the information file";
            return false;
        }
    }
    writeCsvFieldNames(csv, std::span(appInfo.names).first(appInfo.fieldCount), kDelimiter);
    liveCount = reader.liveRecordCount();
    for (size_t record = 0; record < liveCount; ++record) {
        if (!reader.readRecord()) {
            message = reader.errorMessage();
            return false;
        }
        writeCsvRecord(csv, std::span(appInfo.types).first(appInfo.fieldCount), reader, kDelimiter);
    }
    return true;
}

bool ConvertTavlo3Database(const std::string& pdbPath, const std::string& csvPath,
                           const std::string& infoPath, std::string& message) {
    InputFile database;
    if (!database.open(pdbPath)) {
        message = "Error - Can't open the Tavlo 3.x database " + pdbPath + ": " +
                  systemErrorText(database.openError());
        return false;
    }
    // Creating an output over the database would destroy what is to be upgraded.
    const bool withInfo = !infoPath.empty();
    if (isSameFile(csvPath, pdbPath) ||
        (withInfo && (isSameFile(infoPath, pdbPath) || isSameFile(infoPath, csvPath)))) {
        message =
            "Error - The database, the CSV file and the information file must be three "
            "different files";
        return false;
    }
    // Half-written files would pass for an export: both outputs replace what was there only
    // when the whole database was read.
    AtomicOutputFile csv;
    if (!csv.create(csvPath)) {
        message = "Error - Can't create the CSV file " + csvPath + ": " + csv.errorText();
        return false;
    }
    AtomicOutputFile info;
    if (withInfo && !info.create(infoPath)) {
        message = "Error - Can't create the information file " + infoPath + ": " + info.errorText();
        return false;
    }
    size_t liveCount = 0;
    if (!convertTavlo3ToCsv(database, csv.file(), withInfo ? &info.file() : nullptr, liveCount,
                            message)) {
        return false;
    }
    // Both are written out before either replaces anything.
    if (withInfo && !info.finish()) {
        message = "Error - Can't write the information file " + infoPath + ": " + info.errorText();
        return false;
    }
    if (!csv.finish()) {
        message = "Error - Can't write the CSV file " + csvPath + ": " + csv.errorText();
        return false;
    }
    if (withInfo && !info.replaceDestination()) {
        message = "Error - Can't write the information file " + infoPath + ": " + info.errorText();
        return false;
    }
    if (!csv.replaceDestination()) {
        message = "Error - Can't write the CSV file " + csvPath + ": " + csv.errorText();
        return false;
    }
    message = "Converted " + std::to_string(liveCount) + " records of the Tavlo 3.x database " +
              pdbPath + " to " + csvPath;
    return true;
}

}  // namespace quillon::tavlo3
