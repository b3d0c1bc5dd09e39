// CSV to database: the fields each CSV line gives, every check and its message, the layout of
// the file written, the database-name request, and a CSV written by Python's csv module.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "convert/CsvToPdb.h"
#include "database/ByteOrder.h"
#include "database/DatabaseReader.h"
#include "support/TestSupport.h"

namespace quillon {
namespace {

using test::fromHex;
using test::readFile;
using test::ScriptedUserInterface;
using test::TempDir;
using test::writeFile;

using Records = std::vector<std::vector<std::string>>;

class CsvToPdbFiles : public ::testing::Test {
  protected:
    // Converts csvText (and infoText, when given) and returns the database bytes.
    std::string convert(const std::string& csvText, const std::string* infoText = nullptr,
                        char delimiter = ',') {
        writeFile(dir.path("in.csv"), csvText);
        job.csvPath = dir.path("in.csv");
        job.pdbPath = dir.path("out.pdb");
        job.infoPath = dir.path("in.ifo");
        job.useInfoFile = infoText != nullptr;
        if (infoText != nullptr) {
            writeFile(job.infoPath, *infoText);
        }
        job.delimiter = delimiter;
        ConvertCsvToPdb(job, ui);
        EXPECT_EQ(readFile(job.csvPath), csvText) << "the CSV must never change";
        return readFile(job.pdbPath);
    }

    // The records of a database as field values (text values without their NUL).
    static Records recordsOf(const std::string& database) {
        InputFile input;
        input.openMemory(database);
        DatabaseReader reader(input);
        Records records;
        if (!reader.readPrologue()) {
            ADD_FAILURE() << reader.errorMessage();
            return records;
        }
        for (size_t record = 0; record < reader.liveRecordCount(); ++record) {
            if (!reader.readRecord()) {
                ADD_FAILURE() << reader.errorMessage();
                return records;
            }
            std::vector<std::string> fields;
            for (size_t field = 0; field < reader.appInfo().fieldCount; ++field) {
                const auto value = reader.fieldValue(field);
                std::string text(value.begin(), value.end());
                if (reader.appInfo().types[field] != kBinaryFieldType) {
                    EXPECT_EQ(text.back(), '\0');
                    text.pop_back();
                }
                fields.push_back(text);
            }
            records.push_back(fields);
        }
        return records;
    }

    std::string successMessage(size_t count) const {
        return "Conversion of " + std::to_string(count) + " records in " + job.csvPath + " to " +
               job.pdbPath + " was successful!";
    }

    TempDir dir;
    ScriptedUserInterface ui;
    DatabaseJob job = [] {
        DatabaseJob named;
        named.databaseName = "Test";
        return named;
    }();
};

std::string namesLine(int count, std::string_view name = "F") {
    std::string line;
    for (int field = 0; field < count; ++field) {
        line += (field > 0 ? "," : "") + std::string(name);
    }
    return line + "\n";
}

struct FieldsCase {
    const char* what;
    std::string csv;
    char delimiter;
    Records expected;
};

// The names line "A" and `count` data lines "x".
std::string oneFieldLines(size_t count) {
    std::string csv = "A\n";
    for (size_t line = 0; line < count; ++line) {
        csv += "x\n";
    }
    return csv;
}

TEST_F(CsvToPdbFiles, EachLineGivesItsFields) {
    // Quotes count in the line but not in the record: three such fields stay within the record
    // size a database reader accepts.
    const std::string quoted = "\"" + std::string(3330, 'x') + "\"";
    const FieldsCase cases[] = {
        {"plain fields", "Name,Phone\nAnn,555\n", ',', {{"Ann", "555"}}},
        {"quoted delimiter", "A,B\n\"Smith, John\",5\n", ',', {{"Smith, John", "5"}}},
        {"doubled quotes", "A,B\n\"say \"\"hi\"\"\",x\n", ',', {{"say \"hi\"", "x"}}},
        {"empty line", "A,B,C\n\n", ',', {{"", "", ""}}},
        {"missing fields are empty", "A,B,C\na,b\n", ',', {{"a", "b", ""}}},
        {"trailing delimiter", "A,B,C\na,b,c,\n", ',', {{"a", "b", "c"}}},
        {"last line without line feed", "A,B\na,b\nc,d", ',', {{"a", "b"}, {"c", "d"}}},
        {"CR LF line ends", "A,B\r\na,b\r\n", ',', {{"a", "b"}}},
        {"semicolon", "A;B\n\"x;y\";z,w\n", ';', {{"x;y", "z,w"}}},
        {"quoted name", "\"Phone\"\n1\n", ',', {{"1"}}},
        {"field of 3,999 characters",
         "A\n" + std::string(3999, 'x') + "\n",
         ',',
         {{std::string(3999, 'x')}}},
        {"names only", "A,B\n", ',', {}},
        {"50 fields", namesLine(50), ',', {}},
        {"line of 9,998 characters",
         "A,B,C\n" + quoted + "," + quoted + "," + quoted + "\n",
         ',',
         {{std::string(3330, 'x'), std::string(3330, 'x'), std::string(3330, 'x')}}},
        {"32,000 records", oneFieldLines(32000), ',', Records(32000, {"x"})},
    };
    for (const FieldsCase& testCase : cases) {
        ui.messages.clear();
        const std::string database = convert(testCase.csv, nullptr, testCase.delimiter);
        EXPECT_EQ(ui.messages, std::vector<std::string>{successMessage(testCase.expected.size())})
            << testCase.what;
        EXPECT_EQ(recordsOf(database), testCase.expected) << testCase.what;
    }
}

struct ErrorCase {
    const char* what;
    std::string csv;
    const char* expectedMessage;
};

TEST_F(CsvToPdbFiles, EveryCheckStopsWithItsMessageAndLeavesTheOldDatabase) {
    const std::string longField(4000, 'x');
    const ErrorCase cases[] = {
        {"empty file", "", "Error - The csv file is empty: it has no field names line"},
        {"field-name line of 4,000 characters", std::string(3999, 'x') + "\n",
         "Field Names record too long"},
        {"field-name line of 3,999 characters", std::string(3998, 'x') + "\n",
         "Field Name: 1 too long"},
        {"field name of 20 characters", "A," + std::string(20, 'n') + "\n",
         "Field Name: 2 too long"},
        {"open quote in the names", "\"A,B\nx\n", "Unclosed quoted string in the field names line"},
        {"51 fields", namesLine(51),
         "ERROR: This csv file contains 51 fields.  50 fields is the "
         "maximum limit for Tavlo."},
        {"too many fields", "A,B,C\na,b,x,y,z\n",
         "Invalid number of fields (commas) at CSV line #: 2"},
        {"one piece too many, not empty", "A,B,C\nok\na,b,c,d\n",
         "Invalid number of fields (commas) at CSV line #: 3"},
        {"long first field", "A,B\n" + longField + ",b\n", "Field data too long at record:  1"},
        {"long last field", "A,B\na,b\nc," + longField + "\n", "Field data too long at record:  2"},
        {"unclosed quote", "A,B\na,\"b\n", "Unclosed quoted string at record:  1"},
        {"line of 100,000 characters", "A\n" + std::string(100000, 'y') + "\n",
         "CSV line too long (more than 9998 characters) at CSV line #: 2"},
        {"line of 9,999 characters",
         "A,B,C\n\"" + std::string(3331, 'x') + "\",\"" + std::string(3330, 'y') + "\",\"" +
             std::string(3330, 'z') + "\"\n",
         "CSV line too long (more than 9998 characters) at CSV line #: 2"},
        {"32,001 records", oneFieldLines(32001),
         "ERROR: This csv file contains more than 32000 records.  32000 records is the maximum "
         "limit for Tavlo."},
    };
    for (const ErrorCase& testCase : cases) {
        ui.messages.clear();
        writeFile(dir.path("out.pdb"), "the user's database");
        EXPECT_EQ(convert(testCase.csv), "the user's database") << testCase.what;
        EXPECT_EQ(ui.messages, std::vector<std::string>{testCase.expectedMessage}) << testCase.what;
        EXPECT_EQ(test::filesIn(dir.root()), (std::vector<std::string>{"in.csv", "out.pdb"}))
            << testCase.what;
    }
}

TEST_F(CsvToPdbFiles, FieldNameLimitIsMeasuredWithoutQuotesSoExportedNamesComeBack) {
    const std::string name19(19, 'n');
    convert("\"" + name19 + "\",\"Size \"\"XL\"\"\"\nx,y\n");
    ASSERT_EQ(ui.messages, std::vector<std::string>{successMessage(1)});
    InputFile input;
    const std::string database = readFile(job.pdbPath);
    input.openMemory(database);
    DatabaseReader reader(input);
    ASSERT_TRUE(reader.readPrologue());
    EXPECT_EQ(reader.appInfo().names[0], name19);
    EXPECT_EQ(reader.appInfo().names[1], "Size \"XL\"");
}

// A spreadsheet's "CSV UTF-8" starts with the byte-order mark: the mark goes, and names and
// values arrive in the handheld's characters. Without the mark every byte is kept.
struct Utf8Case {
    const char* what;
    std::string csv;
    std::vector<std::string> names;
    Records expected;
};

const std::string kMark = "\xEF\xBB\xBF";

std::string repeated(std::string_view text, int count) {
    std::string result;
    for (int copy = 0; copy < count; ++copy) {
        result += text;
    }
    return result;
}

TEST_F(CsvToPdbFiles, CsvWithUtf8MarkArrivesInTheHandheldsCharacters) {
    const std::string eAcute = "\xC3\xA9";  // 2 bytes in UTF-8, 1 on the handheld
    const Utf8Case cases[] = {
        {"Latin-1",
         kMark + "Pr\xC3\xA9nom,Ville\nCaf\xC3\xA9 cr\xC3\xA8me,K\xC3\xB6ln\n",
         {"Pr\xE9nom", "Ville"},
         {{"Caf\xE9 cr\xE8me", "K\xF6ln"}}},
        {"handheld codes and stand-ins",
         kMark + "A,B\n\xE2\x80\x9Cquotes\xE2\x80\x9D \xE2\x80\x93 5 \xE2\x82\xAC,"
                 "\xEF\xAC\x81n \xC5\x9D\n",
         {"A", "B"},
         {{"\x93quotes\x94 \x96 5 EUR", "fin s"}}},
        {"unmappable and malformed", kMark + "A\n\xE4\xB8\xAD|\xC3|\x80\n", {"A"}, {{"?|?|?"}}},
        {"quoted field with a delimiter",
         kMark + "A,B\n\"\xC3\xA9,\"\"x\"\"\",y\n",
         {"A", "B"},
         {{"\xE9,\"x\"", "y"}}},
        {"mark only in front of the first line", kMark + "A\n" + kMark + "x\n", {"A"}, {{"?x"}}},
        {"field name 20 bytes in UTF-8, 19 after",
         kMark + std::string(18, 'n') + eAcute + "\n1\n",
         {std::string(18, 'n') + "\xE9"},
         {{"1"}}},
        {"field 4,000 bytes in UTF-8, 3,999 after",
         kMark + "A\n" + std::string(3998, 'x') + eAcute + "\n",
         {"A"},
         {{std::string(3998, 'x') + "\xE9"}}},
        {"no mark: bytes kept",
         "Pr\xC3\xA9nom\nCaf\xC3\xA9\n",
         {"Pr\xC3\xA9nom"},
         {{"Caf\xC3\xA9"}}},
    };
    for (const Utf8Case& testCase : cases) {
        ui.messages.clear();
        const std::string database = convert(testCase.csv);
        EXPECT_EQ(ui.messages, std::vector<std::string>{successMessage(testCase.expected.size())})
            << testCase.what;
        EXPECT_EQ(recordsOf(database), testCase.expected) << testCase.what;
        InputFile input;
        input.openMemory(database);
        DatabaseReader reader(input);
        ASSERT_TRUE(reader.readPrologue()) << testCase.what;
        ASSERT_EQ(reader.appInfo().fieldCount, testCase.names.size()) << testCase.what;
        for (size_t field = 0; field < testCase.names.size(); ++field) {
            EXPECT_EQ(reader.appInfo().names[field], testCase.names[field]) << testCase.what;
        }
    }
}

TEST_F(CsvToPdbFiles, CsvWithUtf8MarkOfAsciiGivesTheSameDatabaseAsWithout) {
    const std::string ascii = "Name,Phone\r\n\"Smith, John\",555\r\nAnn,\"say \"\"hi\"\"\"\r\n";
    const std::string withoutMark = convert(ascii);
    EXPECT_EQ(convert(kMark + ascii), withoutMark);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{successMessage(2), successMessage(2)}));
}

TEST_F(CsvToPdbFiles, CsvWithUtf8MarkIsHeldToTheLimitsAfterConversion) {
    const std::string eAcute = "\xC3\xA9";
    const std::string line9999 =
        repeated(eAcute, 3333) + "," + std::string(3332, 'y') + "," + std::string(3332, 'z');
    const ErrorCase cases[] = {
        {"field name of 20 characters after conversion",
         kMark + "A," + std::string(19, 'n') + eAcute + "\n", "Field Name: 2 too long"},
        {"field of 4,000 characters after conversion",
         kMark + "A\n" + std::string(3999, 'x') + eAcute + "\n",
         "Field data too long at record:  1"},
        {"line of 9,999 characters after conversion", kMark + "A,B,C\n" + line9999 + "\n",
         "CSV line too long (more than 9998 characters) at CSV line #: 2"},
        {"names line of 4,000 characters after conversion",
         kMark + namesLine(200, std::string(18, 'n') + eAcute), "Field Names record too long"},
        {"mark and nothing else", kMark,
         "Error - The csv file is empty: it has no field names line"},
    };
    for (const ErrorCase& testCase : cases) {
        ui.messages.clear();
        writeFile(dir.path("out.pdb"), "the user's database");
        EXPECT_EQ(convert(testCase.csv), "the user's database") << testCase.what;
        EXPECT_EQ(ui.messages, std::vector<std::string>{testCase.expectedMessage}) << testCase.what;
    }
    // One character less is a line of 9,998 characters: accepted.
    ui.messages.clear();
    const std::string database = convert(kMark + "A,B,C\n" + line9999.substr(2) + "\n");
    EXPECT_EQ(ui.messages, std::vector<std::string>{successMessage(1)});
    const std::string record = std::string(3332, '\xE9') + '\0' + std::string(3332, 'y') + '\0' +
                               std::string(3332, 'z') + '\0';
    EXPECT_TRUE(database.ends_with(record));
}

TEST_F(CsvToPdbFiles, TwoRecordsWithoutInfoFileHaveTheDefaultLayout) {
    const std::string database = convert("Name,Phone\nAnn,555\nBo,1\n");
    ASSERT_EQ(database.size(), 1815u + 12u + 9u);
    const auto* bytes = reinterpret_cast<const uint8_t*>(database.data());
    EXPECT_EQ(database.substr(0, 5), std::string("Test\0", 5));  // name
    EXPECT_EQ(loadBigEndian32(bytes + 52), 96u);                 // AppInfo offset
    EXPECT_EQ(loadBigEndian16(bytes + 76), 2u);                  // numRecords
    EXPECT_EQ(loadBigEndian32(bytes + 78), 1815u);               // record 0
    EXPECT_EQ(loadBigEndian32(bytes + 86), 1827u);               // record 1
    EXPECT_EQ(database.substr(94, 2), fromHex("8C00"));
    EXPECT_EQ(database.substr(96 + 1702, 17), std::string(4, '\0') + std::string(kEndMarker));
    EXPECT_EQ(database.substr(1815, 12), fromHex("0004 0004 416E6E00 35353500"));
}

TEST_F(CsvToPdbFiles, BinaryFieldsAreDecodedFromHexadecimal) {
    const std::string info = "1 68 \n80 40 \n80\n1\n0\n0 0 \n0 0 \n456E645461766C6F4461746100\n";
    struct HexCase {
        std::string text;
        std::string bytes;  // empty with a message: refused
        const char* message;
    };
    const HexCase cases[] = {
        {"0A1B", fromHex("0A1B"), nullptr},
        {"0a1bF", fromHex("0A1B"), nullptr},  // lowercase accepted, a last odd digit ignored
        {"", "", nullptr},
        {"0G", "", "Invalid hexadecimal data in field 2 at record:  1"},
    };
    for (const HexCase& testCase : cases) {
        ui.messages.clear();
        const std::string database = convert("T,B\nt," + testCase.text + "\n", &info);
        if (testCase.message != nullptr) {
            EXPECT_EQ(ui.messages, std::vector<std::string>{testCase.message});
            continue;
        }
        EXPECT_EQ(recordsOf(database), (Records{{"t", testCase.bytes}})) << testCase.text;
    }
}

TEST_F(CsvToPdbFiles, InformationFileProblems) {
    const std::string fewTypes = "1\n";
    EXPECT_EQ(convert("A,B\na,b\n", &fewTypes), "");
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Invalid number of field types in info file."});

    // In the dialog, whose information file is only derived from the CSV's name, a missing one
    // is reported and the conversion goes on without it.
    ui.messages.clear();
    writeFile(dir.path("in.csv"), "A\na\n");
    job.useInfoFile = true;
    job.infoPath = dir.path("absent.ifo");
    ConvertCsvToPdb(job, ui);
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{
                  "Error - Can't open ifo file\n" + job.infoPath + ": No such file or directory",
                  successMessage(1)}));
}

TEST_F(CsvToPdbFiles, DatabaseNameIsAskedUntilOneIsGiven) {
    job.databaseName.clear();
    ui.names = {std::string(), std::string("Phones")};
    const std::string database = convert("A\na\n");
    EXPECT_EQ(ui.nameRequests, 2);
    EXPECT_EQ(database.substr(0, 7), std::string("Phones\0", 7));

    // Cancelling the request (nullopt) ends the conversion without a message: the user knows.
    struct NameCase {
        std::optional<std::string> answer;
        std::vector<std::string> messages;  // empty with success: the success message
        bool written;
    };
    const NameCase cases[] = {
        {std::nullopt, {}, false},
        {std::string(32, 'n'), {"Error - The database name is longer than 31 characters"}, false},
        {std::string(31, 'n'), {}, true},
    };
    for (const NameCase& testCase : cases) {
        job.databaseName.clear();
        ui.names = {testCase.answer};
        ui.messages.clear();
        writeFile(dir.path("out.pdb"), "the user's database");
        const std::string written = convert("A\na\n");
        EXPECT_EQ(ui.messages, testCase.written ? std::vector<std::string>{successMessage(1)}
                                                : testCase.messages);
        EXPECT_EQ(written != "the user's database", testCase.written);
        EXPECT_EQ(test::filesIn(dir.root()), (std::vector<std::string>{"in.csv", "out.pdb"}));
    }
}

TEST_F(CsvToPdbFiles, CsvThatChangesOrVanishesBeforeTheSecondPassStopsTheConversion) {
    struct ChangeCase {
        const char* what;
        std::function<void(const std::string&)> change;
        const char* expectedMessage;
    };
    const ChangeCase cases[] = {
        {"a value grows", [](const std::string& path) { writeFile(path, "A\nabc\n"); },
         "Error - The csv file changed during the conversion"},
        {"a record is lost", [](const std::string& path) { writeFile(path, "A\n"); },
         "Error - The csv file changed during the conversion"},
        {"the file is removed", [](const std::string& path) { std::filesystem::remove(path); },
         "Could not open input file."},
    };
    const std::string vanished = "\n" + dir.path("in.csv") + ": No such file or directory";
    for (const ChangeCase& testCase : cases) {
        job.databaseName.clear();
        ui.names = {std::string("Name")};
        ui.messages.clear();
        ui.onNameRequest = [&] { testCase.change(dir.path("in.csv")); };
        writeFile(dir.path("in.csv"), "A\na\n");
        job.csvPath = dir.path("in.csv");
        job.pdbPath = dir.path("out.pdb");
        job.useInfoFile = false;
        writeFile(job.pdbPath, "the user's database");
        ConvertCsvToPdb(job, ui);
        const std::string reason =
            std::string_view(testCase.what) == "the file is removed" ? vanished : std::string();
        EXPECT_EQ(ui.messages, std::vector<std::string>{testCase.expectedMessage + reason})
            << testCase.what;
        EXPECT_EQ(readFile(job.pdbPath), "the user's database") << testCase.what;
    }
}

TEST_F(CsvToPdbFiles, AFailedWriteIsReportedNotCalledASuccess) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "needs /dev/full";
    }
    writeFile(dir.path("in.csv"), "A\na\n");
    job.csvPath = dir.path("in.csv");
    job.pdbPath = "/dev/full";
    job.useInfoFile = false;
    ConvertCsvToPdb(job, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Error - Can't write pdb file\n/dev/full: No "
                                                    "space left on device"});
}

TEST_F(CsvToPdbFiles, ADatabasePathNamingTheCsvIsRefused) {
    writeFile(dir.path("in.csv"), "A\na\n");
    job.csvPath = dir.path("in.csv");
    job.pdbPath = dir.path("./in.csv");
    job.useInfoFile = false;
    ConvertCsvToPdb(job, ui);
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"Error - The pdb file and the csv file are the same file"});
    EXPECT_EQ(readFile(job.csvPath), "A\na\n");
}

TEST_F(CsvToPdbFiles, BinaryJunkGivesOneClearMessage) {
    std::string junk;
    uint32_t state = 12345;
    for (int index = 0; index < 20000; ++index) {
        state = state * 1103515245u + 12345u;
        junk.push_back(static_cast<char>(state >> 24));
    }
    convert(junk);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("too long"), std::string::npos) << ui.messages[0];
}

TEST_F(CsvToPdbFiles, CsvWrittenByPythonsCsvModuleConvertsToMatchingValues) {
    const std::string csv = readFile(QUILLON_TEST_DATA_DIR "/python-written.csv");
    ASSERT_FALSE(csv.empty());
    const std::string database = convert(csv);
    EXPECT_EQ(ui.messages, std::vector<std::string>{successMessage(3)});
    EXPECT_EQ(recordsOf(database),
              (Records{{"Smith, John", "1 Main St", "He said \"hi\"", ""},
                       {"", "", "", ""},
                       {"O'Brien", "Flat 2, \"The Oaks\"", "semi;colon", "x"}}));
}

}  // namespace
}  // namespace quillon
