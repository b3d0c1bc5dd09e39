// The users.dat reader on hand-made files: the entry walk with its marker scan, names cut to fit,
// the last user found by whole-name comparison, and files that end too early.
#include "UsersDatReader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/WinePrefixFixture.h"

namespace hollin {
namespace {

using test::usersDatBytes;

// "magic name/folder, ... last=N", or "no list".
std::string describe(const std::string& bytes, std::string_view lastUserName) {
    const auto list = readUsersDat(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), lastUserName);
    if (!list) {
        return "no list";
    }
    std::string text;
    for (const TUserEntry& user : list->users) {
        text += std::to_string(user.magic) + " " + user.name + "/" + user.subDir + ", ";
    }
    return text + "last=" + std::to_string(list->lastUserIndex);
}

std::string header(std::uint8_t userCount) {
    return std::string(1, static_cast<char>(userCount)) + std::string(12, '\0');
}

// magic 0x0102 = 258, name "ab", folder "F"
const std::string kEntry = std::string(
    "\x02\x01\x00\x00\x02"
    "ab\x01"
    "F\x00",
    10);

TEST(UsersDatReader, WalksEntriesAsStored) {
    const struct {
        const char* what;
        std::string bytes;
        std::string lastUser;
        std::string expected;
    } cases[] = {
        {"two users, the second last",
         usersDatBytes({{1234, "John Smith", "SmithJ"}, {77, "Ann Doe", "DoeA"}}), "Ann Doe",
         "1234 John Smith/SmithJ, 77 Ann Doe/DoeA, last=1"},
        {"last user compared with case", usersDatBytes({{1, "A", "A"}, {2, "B", "B"}}), "b",
         "1 A/A, 2 B/B, last=0"},
        {"a later equal name wins", usersDatBytes({{1, "A", "A"}, {2, "A", "B"}, {3, "C", "C"}}),
         "A", "1 A/A, 2 A/B, 3 C/C, last=1"},
        {"empty name never matches a missing last user",
         usersDatBytes({{1, "A", "A"}, {2, "", "B"}}), "", "1 A/A, 2 /B, last=0"},
        {"no users", header(0), "", "last=0"},
        {"only the count byte of an empty list", std::string(1, '\0'), "", "last=0"},
        {"marker after 0x01 0x01 is not a marker",
         header(2) + kEntry + std::string("\x01\x01\x80\x01\x80", 5) + kEntry, "",
         "258 ab/F, 258 ab/F, last=0"},
        {"the ignored byte is not scanned",
         header(2) + kEntry.substr(0, 9) + std::string("\x01\x80\x01\x80", 4) + kEntry, "",
         "258 ab/F, 258 ab/F, last=0"},
        {"names and folders cut to 31",
         usersDatBytes({{5, std::string(255, 'n'), std::string(32, 'f')}}), std::string(31, 'n'),
         "5 " + std::string(31, 'n') + "/" + std::string(31, 'f') + ", last=0"},
        {"whole long name matches", usersDatBytes({{1, "A", "A"}, {5, std::string(40, 'n'), "F"}}),
         std::string(40, 'n'), "1 A/A, 5 " + std::string(31, 'n') + "/F, last=1"},
        {"name stops at a NUL",
         header(1) + std::string("\x01\x00\x00\x00\x03"
                                 "a\0b\x01"
                                 "F\x00",
                                 11),
         "a", "1 a/F, last=0"},
        {"empty file", "", "", "no list"},
        {"header cut", header(1).substr(0, 12), "", "no list"},
        {"ends in the name", (header(1) + kEntry).substr(0, 13 + 6), "", "no list"},
        {"ends before the ignored byte", (header(1) + kEntry).substr(0, 13 + 9), "", "no list"},
        {"ends in the scan", header(2) + kEntry + std::string("\x00\x01", 2), "", "no list"},
        {"fewer entries than counted", header(3) + kEntry + std::string("\x01\x80", 2) + kEntry, "",
         "no list"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(describe(testCase.bytes, testCase.lastUser), testCase.expected) << testCase.what;
    }
}

}  // namespace
}  // namespace hollin
