// The Tavlo Pro layout: what the encoders write at each offset, and how the sequential reader
// takes a file apart (deleted records, popup areas, the end-marker search, every limit).
#include <gtest/gtest.h>

#include "database/ByteOrder.h"
#include "database/DatabaseReader.h"
#include "database/TavloLayout.h"
#include "support/TestSupport.h"

namespace quillon {
namespace {

using test::appInfoWithFields;
using test::buildDatabase;
using test::fromHex;

const uint8_t* bytesOf(const std::vector<uint8_t>& bytes, size_t offset) {
    return bytes.data() + offset;
}

TEST(DatabaseLayout, DefaultAppInfoBlockIsFixedPartEmptyPopupAreaAndMarker) {
    AppInfo info = appInfoWithFields({"Name", "Phone"});
    const std::vector<uint8_t> block = encodeAppInfo(info);
    ASSERT_EQ(block.size(), 1719u);
    EXPECT_EQ(std::string(block.begin(), block.begin() + 5), std::string("Name\0", 5));
    EXPECT_EQ(block[21 + 5], 0);                                   // name slot 1 NUL
    EXPECT_EQ(loadBigEndian16(bytesOf(block, 1050)), 1);           // type of field 0
    EXPECT_EQ(loadBigEndian16(bytesOf(block, 1050 + 2 * 49)), 1);  // last type slot
    EXPECT_EQ(loadBigEndian16(bytesOf(block, 1150)), 2);           // field count
    EXPECT_EQ(loadBigEndian16(bytesOf(block, 1152)), 576);         // constant
    EXPECT_EQ(loadBigEndian16(bytesOf(block, 1154)), 80);          // width 0
    EXPECT_EQ(loadBigEndian16(bytesOf(block, 1254)), 80);          // data screen width
    EXPECT_EQ(loadBigEndian16(bytesOf(block, 1298)), 0);           // AppInfo flag
    EXPECT_EQ(loadBigEndian16(bytesOf(block, 1300)), 1);           // first column
    EXPECT_EQ(std::string(block.begin() + 1702, block.begin() + 1706), std::string(4, '\0'));
    EXPECT_EQ(std::string(block.end() - 13, block.end()), std::string(kEndMarker));
    for (size_t offset : {size_t{1256}, size_t{1266}, size_t{1282}, size_t{1302}, size_t{1502}}) {
        EXPECT_EQ(block[offset], 0) << "offset " << offset;
    }
}

TEST(DatabaseLayout, PopupAreaIsPaddedOnlyWhenTheBlockWouldBeShorterThan1706) {
    AppInfo info = appInfoWithFields({"A"});
    info.extraBytes.clear();
    info.popupArea = {'a', 0, 0};
    EXPECT_EQ(encodeAppInfo(info).size(), 1706u);
    info.extraBytes = {'x', 'y'};
    EXPECT_EQ(encodeAppInfo(info).size(), 1707u);
}

TEST(DatabaseLayout, PrologueCarriesHeaderValuesOffsetsAndGapBytes) {
    const std::vector<uint8_t> prologue = encodeDatabasePrologue("Phones", {12, 20}, 1719);
    ASSERT_EQ(prologue.size(), 96u);
    EXPECT_EQ(std::string(prologue.begin(), prologue.begin() + 7), std::string("Phones\0", 7));
    EXPECT_EQ(loadBigEndian16(bytesOf(prologue, 32)), 8);            // attributes
    EXPECT_EQ(loadBigEndian16(bytesOf(prologue, 34)), 1);            // version
    EXPECT_EQ(loadBigEndian32(bytesOf(prologue, 36)), 0x33332675u);  // creation date
    EXPECT_EQ(loadBigEndian32(bytesOf(prologue, 40)), 0x33332675u);  // modification date
    EXPECT_EQ(loadBigEndian32(bytesOf(prologue, 44)), 0u);           // last backup
    EXPECT_EQ(loadBigEndian32(bytesOf(prologue, 52)), 96u);          // AppInfo offset
    EXPECT_EQ(std::string(prologue.begin() + 60, prologue.begin() + 68), "TavdTavl");
    EXPECT_EQ(loadBigEndian16(bytesOf(prologue, 76)), 2);      // numRecords
    EXPECT_EQ(loadBigEndian32(bytesOf(prologue, 78)), 1815u);  // record 0 offset
    EXPECT_EQ(loadBigEndian32(bytesOf(prologue, 82)), 0u);     // attributes and unique ID
    EXPECT_EQ(loadBigEndian32(bytesOf(prologue, 86)), 1827u);  // record 1 offset
    EXPECT_EQ(prologue[94], 0x8C);
    EXPECT_EQ(prologue[95], 0x00);
    EXPECT_EQ(encodeDatabasePrologue("x", {}, 1719).size(), 80u);  // AppInfo at offset 80
}

struct ReadCase {
    const char* what;
    std::string database;
    const char* expectedMessage;  // empty: the prologue and every record read
};

// The database has one record, so its AppInfo block starts after one list entry.
std::string withFieldCount(std::string database, uint16_t count) {
    const size_t offset = kHeaderSize + kRecordEntrySize + kListGapSize + kFieldCountOffset;
    database[offset] = static_cast<char>(count >> 8);
    database[offset + 1] = static_cast<char>(count);
    return database;
}

std::string markerFollowing(size_t extraBytesBeforeMarker) {
    AppInfo info = appInfoWithFields({"A"});
    info.extraBytes.assign(extraBytesBeforeMarker, 'x');
    info.extraBytes.insert(info.extraBytes.end(), kEndMarker.begin(), kEndMarker.end());
    return buildDatabase(info, {{std::string("v\0", 2)}});
}

TEST(DatabaseReader, RejectsEveryDamagedOrOversizedDatabaseWithAClearMessage) {
    const AppInfo one = appInfoWithFields({"A"});
    const std::string good = buildDatabase(one, {{std::string("hi\0", 3)}});
    AppInfo binary = one;
    binary.types[0] = kBinaryFieldType;
    std::string manyRecords = buildDatabase(one, {});
    manyRecords[76] = static_cast<char>(32001 >> 8);
    manyRecords[77] = static_cast<char>(32001 & 0xFF);
    std::vector<std::string> fiftyNames;
    std::vector<std::string> fiftyValues;
    for (int field = 0; field < 50; ++field) {
        fiftyNames.push_back("F" + std::to_string(field));
        fiftyValues.push_back(std::string("v\0", 2));
    }
    std::string noMarker = good;
    noMarker[kHeaderSize + 8 + 2 + 1706] = 'e';  // "EndTavloData" becomes "eTavloData"...
    const ReadCase cases[] = {
        {"well formed", good, ""},
        {"marker after 3,999 further bytes", markerFollowing(4000), ""},
        {"marker after 4,001 further bytes", markerFollowing(4001),
         "Error - Invalid AppInfo in .pdb file"},
        {"no end marker", noMarker, "Error - Invalid AppInfo in .pdb file"},
        {"header cut short", good.substr(0, 50), "Error - The .pdb file ends inside its header"},
        {"record list cut short", good.substr(0, 82),
         "Error - The .pdb file ends inside its record list"},
        {"AppInfo cut short", good.substr(0, 1000), "Error - Invalid AppInfo in .pdb file"},
        {"no field", withFieldCount(good, 0),
         "Error - The .pdb file has 0 fields; a Tavlo database has 1 to 50 fields."},
        {"50 fields", buildDatabase(appInfoWithFields(fiftyNames), {fiftyValues}), ""},
        {"51 fields", withFieldCount(good, 51),
         "Error - The .pdb file has 51 fields; a Tavlo database has 1 to 50 fields."},
        {"32,000 records",
         buildDatabase(one, std::vector(32000, std::vector{std::string("v\0", 2)})), ""},
        {"32,001 records", manyRecords,
         "Error - The .pdb file holds 32001 records; 32000 records is the maximum limit for "
         "Tavlo."},
        {"ends before its records", good.substr(0, good.size() - 1),
         "Error - The .pdb file ends inside record 1"},
        {"text value of 4,001 bytes", buildDatabase(one, {{std::string(4001, 'a')}}),
         "Error - Field 1 of record 1 in the .pdb file is too long (4001 bytes; at most 4000)"},
        {"text value of 4,000 bytes", buildDatabase(one, {{std::string(4000, 'a')}}), ""},
        {"binary value of 2,000 bytes", buildDatabase(binary, {{std::string(2000, 'a')}}),
         "Error - Field 1 of record 1 in the .pdb file is too long (2000 bytes; at most 1999)"},
        {"record of 10,000 bytes",
         buildDatabase(appInfoWithFields({"A", "B", "C"}),
                       {{std::string(4000, 'a'), std::string(4000, 'b'), std::string(1994, 'c')}}),
         ""},
        {"record over 10,000 bytes",
         buildDatabase(appInfoWithFields({"A", "B", "C"}),
                       {{std::string(4000, 'a'), std::string(4000, 'b'), std::string(1995, 'c')}}),
         "Error - Record 1 in the .pdb file is longer than 10000 bytes"},
    };
    for (const ReadCase& testCase : cases) {
        InputFile input;
        input.openMemory(testCase.database);
        DatabaseReader reader(input);
        bool ok = reader.readPrologue();
        for (size_t record = 0; ok && record < reader.liveRecordCount(); ++record) {
            ok = reader.readRecord();
        }
        EXPECT_EQ(ok ? std::string() : reader.errorMessage(), testCase.expectedMessage)
            << testCase.what;
    }
}

TEST(DatabaseReader, DeletedEntriesAreNotCountedAndHaveNoData) {
    const std::string database = buildDatabase(
        appInfoWithFields({"A"}), {{std::string("x\0", 2)}, {std::string("y\0", 2)}}, {0, 0x80, 0});
    InputFile input;
    input.openMemory(database);
    DatabaseReader reader(input);
    ASSERT_TRUE(reader.readPrologue());
    EXPECT_EQ(reader.liveRecordCount(), 2u);
    ASSERT_TRUE(reader.readRecord());
    ASSERT_TRUE(reader.readRecord());
    EXPECT_EQ(reader.fieldValue(0)[0], 'y');
}

TEST(DatabaseReader, PopupAreaIsReadUpToItsClosingEmptyString) {
    struct PopupCase {
        const char* what;
        std::string area;
    };
    const PopupCase cases[] = {
        {"no lists", std::string(4, '\0')},
        {"one list", std::string("popupA\0x\0yy\0\0", 13)},
        {"first string of one character", std::string("a\0b\0\0", 5)},
        {"first string of two characters, closing in the first four bytes",
         std::string("ab\0\0", 4)},
        {"10,000 bytes",
         [] {
             std::string area;
             for (int item = 0; item < 1999; ++item) {
                 area.append("item\0", 5);
             }
             return area.append("abc\0\0", 5);
         }()},
    };
    for (const PopupCase& testCase : cases) {
        AppInfo info = appInfoWithFields({"A"});
        info.popupArea.assign(testCase.area.begin(), testCase.area.end());
        info.extraBytes.assign({'x', 'y'});
        info.extraBytes.insert(info.extraBytes.end(), kEndMarker.begin(), kEndMarker.end());
        const std::string database = buildDatabase(info, {{std::string("v\0", 2)}});
        InputFile input;
        input.openMemory(database);
        DatabaseReader reader(input);
        ASSERT_TRUE(reader.readPrologue()) << testCase.what << ": " << reader.errorMessage();
        EXPECT_EQ(reader.appInfo().popupArea, info.popupArea) << testCase.what;
        EXPECT_EQ(reader.appInfo().extraBytes, info.extraBytes) << testCase.what;
        ASSERT_TRUE(reader.readRecord()) << testCase.what;
        EXPECT_EQ(reader.fieldValue(0)[0], 'v') << testCase.what;
    }
}

TEST(DatabaseReader, PopupAreaOver10000BytesIsRefused) {
    AppInfo info = appInfoWithFields({"A"});
    for (int item = 0; item < 2000; ++item) {
        info.popupArea.insert(info.popupArea.end(), {'i', 't', 'e', 'm', 0});
    }
    info.popupArea.push_back(0);
    InputFile input;
    const std::string database = buildDatabase(info, {});
    input.openMemory(database);
    DatabaseReader reader(input);
    EXPECT_FALSE(reader.readPrologue());
    EXPECT_EQ(reader.errorMessage(), "Error - The popup lists in the .pdb file exceed 10000 bytes");
}

}  // namespace
}  // namespace quillon
