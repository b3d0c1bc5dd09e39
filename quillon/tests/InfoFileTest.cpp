// The information file: the exact lines the writer produces, and the readers' integer stream,
// line-exact hexadecimal line, popup section and every validation message.
#include <gtest/gtest.h>

#include "database/InfoFile.h"
#include "support/TestSupport.h"

namespace quillon {
namespace {

using test::appInfoWithFields;

const std::string kMarkerHex = "456E645461766C6F4461746100";

TEST(InfoFileWriter, WritesTheEightLinesOfATwoFieldDatabase) {
    AppInfo info = appInfoWithFields({"Name", "Data"});
    info.types[1] = kBinaryFieldType;
    info.widths[1] = 40;
    std::string text;
    OutputFile out;
    out.openMemory(text);
    WriteInfoFile(out, info);
    ASSERT_TRUE(out.close());
    EXPECT_EQ(text, "1 68 \r\n80 40 \r\n80\r\n1\r\n0\r\n0 0 \r\n0 0 \r\n" + kMarkerHex + "\r\n");
}

TEST(InfoFileWriter, WritesSignedNumbersExtraBytesAndPopupLinesUpToTheFirstEmptyString) {
    AppInfo info = appInfoWithFields({"A"});
    info.types[0] = 0xFFFF;
    info.appInfoFlag = 0x8000;
    info.extraData1[0] = -5;
    info.extraData2[0] = 2147483647;
    info.extraBytes.insert(info.extraBytes.begin(), {0x00, 0xAB});
    const std::string area("popupA\0x\0\0after\0", 16);
    info.popupArea.assign(area.begin(), area.end());
    std::string text;
    OutputFile out;
    out.openMemory(text);
    WriteInfoFile(out, info);
    ASSERT_TRUE(out.close());
    EXPECT_EQ(text, "-1 \r\n80 \r\n80\r\n1\r\n-32768\r\n-5 \r\n2147483647 \r\n00AB" + kMarkerHex +
                        "\r\npopupA\r\nx\r\n");
}

struct InfoCase {
    const char* what;
    std::string file;
    const char* expectedMessage;  // empty: read successfully
};

// Lines 1 to 7 for two fields, in the layout the writer uses, followed by line 8 and any popups.
std::string infoFile(std::string_view widths = "80 40 ", std::string_view column = "1",
                     std::string_view hex = kMarkerHex, std::string_view popups = "") {
    return "1 68 \n" + std::string(widths) + "\n80\n" + std::string(column) + "\n0\n0 0 \n0 0 \n" +
           std::string(hex) + "\n" + std::string(popups);
}

std::string popupList(int items) {
    std::string lines = "popupColours\n";
    for (int item = 0; item < items; ++item) {
        lines += "c" + std::to_string(item) + "\n";
    }
    return lines;
}

// `count` lines that each open a popup list, `length` characters long.
std::string popupHeads(int count, size_t length) {
    std::string lines;
    for (int line = 0; line < count; ++line) {
        lines += "popup" + std::string(length - 5, 'p') + "\n";
    }
    return lines;
}

TEST(InfoFileReader, ChecksEveryValueWithItsOwnMessage) {
    const InfoCase cases[] = {
        {"as written", infoFile(), ""},
        {"CR LF line ends",
         "1 68 \r\n80 40 \r\n80\r\n1\r\n0\r\n0 0 \r\n0 0 \r\n" + kMarkerHex + "\r\n", ""},
        {"all numbers on one line", "1 68 80 40 80 1 0 0 0 0 0\n" + kMarkerHex + "\n", ""},
        {"one type only", "1\n", "Invalid number of field types in info file."},
        {"junk instead of widths", "1 68 \nwide\n",
         "Invalid number of data widths (line 2) in info file."},
        {"width 160", infoFile("80 160 "), ""},
        {"width 161", infoFile("80 161 "), "Invalid field width in Info file"},
        {"negative width passes", infoFile("80 -3 "), ""},
        {"width 0xA1 is 161", infoFile("80 0xA1 "), "Invalid field width in Info file"},
        {"no data screen width", "1 68 80 40 x",
         "Invalid data screen width (line 3) in info file."},
        {"data screen width 161", "1 68 80 40 161 1 0 0 0 0 0\n" + kMarkerHex + "\n",
         "Invalid first show data width in Info file"},
        {"data screen width 160", "1 68 80 40 160 1 0 0 0 0 0\n" + kMarkerHex + "\n", ""},
        {"data screen width -1", "1 68 80 40 -1 1 0 0 0 0 0\n" + kMarkerHex + "\n",
         "Invalid first show data width in Info file"},
        {"first column 19", infoFile("80 40 ", "19"), ""},
        {"first column 20", infoFile("80 40 ", "20"),
         "Error: invalid 'first show column' in Info file."},
        {"first column 023 is octal 19", infoFile("80 40 ", "023"), ""},
        {"first column 0", infoFile("80 40 ", "0"), ""},
        {"first column -1", infoFile("80 40 ", "-1"),
         "Error: invalid 'first show column' in Info file."},
        {"no first column", "1 68 80 40 80", "Invalid first display column (line 4) in info file."},
        {"no AppInfo flag", "1 68 80 40 80 1", "Invalid AppInfo flag  (line 5) in info file."},
        {"flag out of 16 bits", "1 68 80 40 80 1 70000",
         "Invalid AppInfo flag  (line 5) in info file."},
        {"short extra data 1", "1 68 80 40 80 1 0 0",
         "Invalid extra data 1 fields (line 5) in info file."},
        {"short extra data 2", "1 68 80 40 80 1 0 0 0 0",
         "Invalid extra data 2 fields (line 6) in info file."},
        {"blank line before the hexadecimal line", "1 68 80 40 80 1 0 0 0 0 0\n\n" + kMarkerHex,
         "Extra data (line 8) in info file does not end with 456E645461766C6F4461746100."},
        {"lowercase hexadecimal", infoFile("80 40 ", "1", "ff456e645461766c6f4461746100"), ""},
        {"letter outside hexadecimal", infoFile("80 40 ", "1", "G0" + kMarkerHex),
         "Invalid hexadecimal extra data (line 8) in info file."},
        {"odd digit count", infoFile("80 40 ", "1", "0" + kMarkerHex),
         "Invalid hexadecimal extra data (line 8) in info file."},
        {"no end marker", infoFile("80 40 ", "1", "00"),
         "Extra data (line 8) in info file does not end with 456E645461766C6F4461746100."},
        {"1,999 extra bytes", infoFile("80 40 ", "1", std::string(3972, '0') + kMarkerHex), ""},
        {"2,000 extra bytes", infoFile("80 40 ", "1", std::string(3974, '0') + kMarkerHex),
         "Extra data (line 8) in info file exceeds 1999 bytes."},
        {"100 popup items", infoFile("80 40 ", "1", kMarkerHex, popupList(100)), ""},
        {"101 popup items", infoFile("80 40 ", "1", kMarkerHex, popupList(101)),
         "Error: popup list exceeds 100 items."},
        {"100 items in each of two lists",
         infoFile("80 40 ", "1", kMarkerHex, popupList(100) + popupList(100)), ""},
        // Each "popup" line opens a list: 101 strings of 98 characters, their NULs and the
        // closing NUL come to 10,000 bytes; one character more is refused.
        {"popup area of 10,000 bytes", infoFile("80 40 ", "1", kMarkerHex, popupHeads(101, 98)),
         ""},
        {"popup area of 10,001 bytes",
         infoFile("80 40 ", "1", kMarkerHex, popupHeads(100, 98) + popupHeads(1, 99)),
         "Popup lists in info file exceed 10000 bytes."},
        {"popup area over 10,000 bytes",
         infoFile(
             "80 40 ", "1", kMarkerHex,
             "popupA\n" + std::string(110, 'x') + "\n" +
                 [] {
                     std::string many;
                     for (int list = 0; list < 110; ++list) {
                         many += "popup" + std::string(90, 'p') + "\n";
                     }
                     return many;
                 }()),
         "Popup lists in info file exceed 10000 bytes."},
    };
    for (const InfoCase& testCase : cases) {
        InputFile in;
        in.openMemory(testCase.file);
        AppInfo info = appInfoWithFields({"A", "B"});
        std::string message;
        const bool ok = ReadInfoFile(in, info, message);
        EXPECT_EQ(ok ? std::string() : message, testCase.expectedMessage) << testCase.what;
    }
}

TEST(InfoFileReader, StoresValuesAndPopupStrings) {
    const std::string file = infoFile(
        "80 -3 ", "0x0A", "00FF" + kMarkerHex,
        "popupA\nx\n\npopupB\n" + std::string(99, 'l') + "\r\n" + std::string(150, 'm') + "\ny");
    InputFile in;
    in.openMemory(file);
    AppInfo info = appInfoWithFields({"A", "B"});
    std::string message;
    ASSERT_TRUE(ReadInfoFile(in, info, message)) << message;
    EXPECT_EQ(info.types[1], 68);
    EXPECT_EQ(static_cast<int16_t>(info.widths[1]), -3);
    EXPECT_EQ(info.firstDisplayColumn, 10);
    EXPECT_EQ(info.extraBytes.size(), 15u);
    EXPECT_EQ(info.extraBytes[1], 0xFF);
    // The blank line is skipped, a 99-character line stays one item, a 150-character line is
    // taken as pieces of 99 and 51, and a last line without a line feed counts.
    const std::string expected = "popupA" + std::string(1, '\0') + "x" + std::string(1, '\0') +
                                 "popupB" + std::string(1, '\0') + std::string(99, 'l') +
                                 std::string(1, '\0') + std::string(99, 'm') +
                                 std::string(1, '\0') + std::string(51, 'm') +
                                 std::string(1, '\0') + "y" + std::string(2, '\0');
    EXPECT_EQ(std::string(info.popupArea.begin(), info.popupArea.end()), expected);
}

TEST(InfoFileReader, FieldTypesComeFromTheFirstNumbersOfTheFile) {
    struct TypesCase {
        std::string file;
        size_t fieldCount;
        bool ok;
    };
    const TypesCase cases[] = {
        {"1 68 \n80 40 \n", 2, true},
        {"1 68 \n80 40 \n", 3, true},  // the widths are taken as types: only the count is checked
        {"1\n", 2, false},
        {"", 1, false},
        {"+68", 1, true},
    };
    for (const TypesCase& testCase : cases) {
        InputFile in;
        in.openMemory(testCase.file);
        std::array<uint16_t, kMaxFields> types{};
        std::string message;
        EXPECT_EQ(ReadInfoFieldTypes(in, testCase.fieldCount, types, message), testCase.ok)
            << testCase.file;
        if (!testCase.ok) {
            EXPECT_EQ(message, "Invalid number of field types in info file.");
        }
    }
}

}  // namespace
}  // namespace quillon
