// A database goes to CSV with its information file and back: everything the information file
// carries survives, and a database within the limits comes back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "convert/CsvToPdb.h"
#include "convert/PdbToCsv.h"
#include "support/TestSupport.h"

namespace quillon {
namespace {

using test::appInfoWithFields;
using test::buildDatabase;
using test::readFile;
using test::ScriptedUserInterface;
using test::TempDir;
using test::writeFile;

AppInfo richAppInfo() {
    AppInfo info = appInfoWithFields({"Name", "Size \"XL\"", "Picture", "", "Colour"});
    info.types[2] = kBinaryFieldType;
    info.types[4] = 7;
    info.widths[0] = 160;
    info.widths[1] = static_cast<uint16_t>(-4);
    info.widths[2] = 40;
    info.dataScreenWidth = 120;
    info.firstDisplayColumn = 19;
    info.appInfoFlag = 0xBEEF;
    info.extraData1[0] = -2147483647 - 1;
    info.extraData1[4] = 77;
    info.extraData2[3] = 2147483647;
    const std::string popups("popupColours\0red\0green\0popupSizes\0S\0M\0\0", 40);
    info.popupArea.assign(popups.begin(), popups.end());
    info.extraBytes.assign({0x00, 0xFF, 0x10, 'E'});
    info.extraBytes.insert(info.extraBytes.end(), kEndMarker.begin(), kEndMarker.end());
    return info;
}

std::string text(std::string_view characters) {
    return std::string(characters) + std::string(1, '\0');
}

// Where two files first differ, so that a failure does not print kilobytes of bytes.
std::string firstDifference(const std::string& actual, const std::string& expected) {
    const auto mismatch =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (mismatch.first == actual.end() && mismatch.second == expected.end()) {
        return "identical";
    }
    return "differ at offset " + std::to_string(mismatch.first - actual.begin()) + " (sizes " +
           std::to_string(actual.size()) + " and " + std::to_string(expected.size()) + ")";
}

class RoundTrip : public ::testing::Test {
  protected:
    // Database to CSV and information file, then back; returns the rebuilt database.
    std::string roundTrip(const std::string& database, char delimiter) {
        ui.messages.clear();
        writeFile(dir.path("a.pdb"), database);
        DatabaseJob job;
        job.pdbPath = dir.path("a.pdb");
        job.csvPath = dir.path("a.csv");
        job.infoPath = dir.path("a.ifo");
        job.delimiter = delimiter;
        ConvertPdbToCsv(job, ui);
        job.pdbPath = dir.path("b.pdb");
        job.databaseName = "test";
        ConvertCsvToPdb(job, ui);
        EXPECT_EQ(ui.messages.size(), 2u);
        return readFile(job.pdbPath);
    }

    TempDir dir;
    ScriptedUserInterface ui;
};

TEST_F(RoundTrip, DatabaseWithinTheLimitsComesBackByteForByte) {
    const AppInfo info = richAppInfo();
    const std::string database = buildDatabase(
        info,
        {{text("Ann"), text("a;b,c"), std::string("\x00\x01\xFE", 3), text(""), text("red")},
         {text(""), text(std::string(3995, 'w')), std::string(1998, '\x5A'), text("x"), text("")},
         {text("O'Brien"), text("tab\there"), "", text("'"), text("green")}});
    for (const char delimiter : {',', ';'}) {
        EXPECT_EQ(firstDifference(roundTrip(database, delimiter), database), "identical")
            << delimiter;
    }
}

TEST_F(RoundTrip, QuotesAndLineBreaksInTextAreTheOnlyValuesThatChange) {
    const AppInfo info = richAppInfo();
    const auto record = [](std::string_view first) {
        return std::vector<std::string>{text(first), text("b"), std::string("\x7F", 1), text(""),
                                        text("")};
    };
    const std::string before = buildDatabase(info, {record("say \"hi\"\r\nbye")});
    const std::string after = buildDatabase(info, {record("say 'hi'  bye")});
    EXPECT_EQ(firstDifference(roundTrip(before, ','), after), "identical");
}

}  // namespace
}  // namespace quillon
