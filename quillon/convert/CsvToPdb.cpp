// CSV to database in two passes over the CSV: the first checks every line and works out every
// record's size, because the record list at the front of the file needs all the offsets before
// the first record is written; the second writes the records. Memory stays fixed apart from the
// record sizes.
#include "convert/CsvToPdb.h"

#include <array>
#include <optional>
#include <vector>

#include "convert/CsvRecordReader.h"
#include "database/AtomicOutputFile.h"
#include "database/ByteOrder.h"
#include "database/Files.h"
#include "database/InfoFile.h"
#include "database/TavloLayout.h"
#include "ui/ReportMessage.h"

namespace quillon {

namespace {

// A record is at most 2 x 50 length bytes plus one line's worth of text, so 32,000 of them keep
// every offset well inside 32 bits.
static_assert(kMaxRecords * (2 * kMaxFields + kMaxCsvLineChars + kMaxFields) + 2 * 1024 * 1024 <
              UINT32_MAX);

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

uint32_t recordSize(const std::vector<std::string>& fields, const AppInfo& info) {
    size_t size = 2 * info.fieldCount;
    for (size_t field = 0; field < info.fieldCount; ++field) {
        const size_t length = fields[field].size();
        size += info.types[field] == kBinaryFieldType ? length / 2 : length + 1;
    }
    return static_cast<uint32_t>(size);
}

void writeRecord(OutputFile& database, const std::vector<std::string>& fields, const AppInfo& info,
                 std::string& binary) {
    std::array<uint8_t, 2 * kMaxFields> lengths{};
    for (size_t field = 0; field < info.fieldCount; ++field) {
        const size_t length = info.types[field] == kBinaryFieldType ? fields[field].size() / 2
                                                                    : fields[field].size() + 1;
        storeBigEndian16(lengths.data() + 2 * field, static_cast<uint32_t>(length));
    }
    database.write(lengths.data(), 2 * info.fieldCount);
    for (size_t field = 0; field < info.fieldCount; ++field) {
        if (info.types[field] == kBinaryFieldType) {
            static_cast<void>(decodeHexField(fields[field], &binary));
            database.write(binary);
        } else {
            database.write(fields[field].data(), fields[field].size() + 1);  // with its NUL
        }
    }
}

// One conversion's open files and state; each step returns false once it has reported.
class CsvToPdbConversion {
  public:
    CsvToPdbConversion(DatabaseJob& job, UserInterface& ui) : job_(job), ui_(ui) {}

    bool run() {
        if (!(openFiles() && readFieldNames() && checkRecords() && completeAppInfo() &&
              chooseDatabaseName() && writeDatabase())) {
            return false;
        }
        if (!job_.batchMode) {
            report("Conversion of " + std::to_string(recordSizes_.size()) + " records in " +
                   job_.csvPath + " to " + job_.pdbPath + " was successful!");
        }
        return true;
    }

  private:
    [[nodiscard]] bool stop(std::string_view text) {
        report(text);
        return false;
    }
    void report(std::string_view text) { ReportMessage(job_, ui_, text); }

    bool openFiles() {
        if (!csv_.open(job_.csvPath)) {
            return stop(withReason("Error - Can't open csv file", job_.csvPath,
                                   systemErrorText(csv_.openError())));
        }
        // Creating the database would destroy an input that has the same name.
        if (isSameFile(job_.pdbPath, job_.csvPath)) {
            return stop("Error - The pdb file and the csv file are the same file");
        }
        if (job_.useInfoFile && isSameFile(job_.pdbPath, job_.infoPath)) {
            return stop("Error - The pdb file and the ifo file are the same file");
        }
        // The database is written under a temporary name and replaces an existing one only when
        // it is complete: a rejected CSV or information file leaves the user's database as it was.
        if (!database_.create(job_.pdbPath)) {
            return stop(
                withReason("Error - Can't open pdb file", job_.pdbPath, database_.errorText()));
        }
        if (job_.useInfoFile && !infoFile_.open(job_.infoPath)) {
            const std::string message = withReason("Error - Can't open ifo file", job_.infoPath,
                                                   systemErrorText(infoFile_.openError()));
            // An information file named on the command line was asked for: without it the
            // database would lose its field types, so batch mode stops. The dialog derives the
            // name and goes on without one.
            if (job_.batchMode) {
                return stop(message);
            }
            report(message);
            job_.useInfoFile = false;
        }
        return true;
    }

    bool readFieldNames() {
        fieldReader_.emplace(csv_, job_.delimiter);
        std::vector<std::string> names;
        if (fieldReader_->readFieldNames(names) != CsvRead::Line) {
            return stop(fieldReader_->errorMessage());
        }
        if (names.size() > kMaxFields) {
            return stop("ERROR: This csv file contains " + std::to_string(names.size()) +
                        " fields.  50 fields is the maximum limit for Tavlo.");
        }
        appInfo_ = defaultAppInfo();
        appInfo_.fieldCount = names.size();
        std::copy(names.begin(), names.end(), appInfo_.names.begin());
        if (job_.useInfoFile) {
            std::string message;
            if (!ReadInfoFieldTypes(infoFile_, appInfo_.fieldCount, appInfo_.types, message)) {
                return stop(message);
            }
            infoFile_.close();
            if (!infoFile_.open(job_.infoPath)) {
                job_.useInfoFile = false;
            }
        }
        return true;
    }

    // The first pass: every check, and every record's size.
    bool checkRecords() {
        for (;;) {
            const CsvRead read = fieldReader_->readRecord(appInfo_.fieldCount, fields_);
            if (read == CsvRead::End) {
                return true;
            }
            if (read == CsvRead::Error) {
                return stop(fieldReader_->errorMessage());
            }
            const size_t record = fieldReader_->recordNumber();
            if (record > kMaxRecords) {
                return stop(
                    "ERROR: This csv file contains more than 32000 records.  32000 "
                    "records is the maximum limit for Tavlo.");
            }
            for (size_t field = 0; field < appInfo_.fieldCount; ++field) {
                if (appInfo_.types[field] == kBinaryFieldType &&
                    !decodeHexField(fields_[field], nullptr)) {
                    return stop("Invalid hexadecimal data in field " + std::to_string(field + 1) +
                                " at record:  " + std::to_string(record));
                }
            }
            recordSizes_.push_back(recordSize(fields_, appInfo_));
        }
    }

    bool completeAppInfo() {
        // The first pass is done; the CSV stays closed until the second.
        fieldReader_.reset();
        csv_.close();
        if (job_.useInfoFile) {
            const std::array<uint16_t, kMaxFields> checkedTypes = appInfo_.types;
            std::string message;
            if (!ReadInfoFile(infoFile_, appInfo_, message)) {
                return stop(message);
            }
            // The sizes were worked out with the types read first; both reads see one file.
            appInfo_.types = checkedTypes;
        }
        return true;
    }

    bool chooseDatabaseName() {
        std::string name = job_.databaseName;
        while (name.empty()) {
            const std::optional<std::string> answer = ui_.askDatabaseName();
            if (!answer) {
                // Cancelled in the dialog: the user knows, and nothing has been written. A batch
                // run must leave its reason behind.
                if (!job_.batchMode) {
                    return false;
                }
                return stop("Error - No name for the database was given");
            }
            name = *answer;
        }
        if (name.size() > kMaxDatabaseNameLength) {
            return stop("Error - The database name is longer than 31 characters");
        }
        databaseName_ = name;
        return true;
    }

    bool writeDatabase() {
        const std::vector<uint8_t> appInfoBlock = encodeAppInfo(appInfo_);
        const std::vector<uint8_t> prologue =
            encodeDatabasePrologue(databaseName_, recordSizes_, appInfoBlock.size());
        OutputFile& database = database_.file();
        database.write(prologue.data(), prologue.size());
        database.write(appInfoBlock.data(), appInfoBlock.size());

        if (!csv_.open(job_.csvPath)) {
            return stop(withReason("Could not open input file.", job_.csvPath,
                                   systemErrorText(csv_.openError())));
        }
        CsvRecordReader reader(csv_, job_.delimiter);
        std::vector<std::string> names;
        std::string binary;
        bool unchanged =
            reader.readFieldNames(names) == CsvRead::Line && names.size() == appInfo_.fieldCount;
        for (size_t record = 0; unchanged && record < recordSizes_.size(); ++record) {
            unchanged = reader.readRecord(appInfo_.fieldCount, fields_) == CsvRead::Line &&
                        recordSize(fields_, appInfo_) == recordSizes_[record];
            if (unchanged) {
                writeRecord(database, fields_, appInfo_, binary);
            }
        }
        if (!unchanged) {
            return stop("Error - The csv file changed during the conversion");
        }
        csv_.close();
        infoFile_.close();
        if (!database_.commit()) {
            return stop(
                withReason("Error - Can't write pdb file", job_.pdbPath, database_.errorText()));
        }
        return true;
    }

    DatabaseJob& job_;
    UserInterface& ui_;
    InputFile csv_;
    AtomicOutputFile database_;
    InputFile infoFile_;
    std::optional<CsvRecordReader> fieldReader_;
    AppInfo appInfo_;
    std::vector<std::string> fields_;
    std::vector<uint32_t> recordSizes_;
    std::string databaseName_;
};

}  // namespace

bool decodeHexField(std::string_view text, std::string* bytes) {
    if (bytes != nullptr) {
        bytes->clear();
    }
    for (size_t index = 0; index < text.size(); index += 2) {
        const int high = hexDigit(text[index]);
        if (high < 0) {
            return false;
        }
        if (index + 1 == text.size()) {
            break;  // a last unpaired digit is ignored
        }
        const int low = hexDigit(text[index + 1]);
        if (low < 0) {
            return false;
        }
        if (bytes != nullptr) {
            bytes->push_back(static_cast<char>(high * 16 + low));
        }
    }
    return true;
}

bool ConvertCsvToPdb(DatabaseJob& job, UserInterface& ui) {
    return CsvToPdbConversion(job, ui).run();
}

}  // namespace quillon
