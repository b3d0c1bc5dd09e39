// UTF-8 to the handheld's characters, one row per class of character and per kind of malformed
// input: what a UTF-8 CSV's values and field names become.
#include <gtest/gtest.h>

#include "convert/HandheldText.h"

namespace quillon {
namespace {

TEST(HandheldText, EachClassOfCharacterBecomesWhatTheHandheldShows) {
    const struct {
        const char* what;
        std::string utf8;
        std::string handheld;
    } cases[] = {
        {"ASCII", "Name, \"x\"; 0-9\t", "Name, \"x\"; 0-9\t"},
        {"Latin-1 letters", "Caf\xC3\xA9 cr\xC3\xA8me \xC3\x9F\xC3\xBF",
         "Caf\xE9 cr\xE8me \xDF\xFF"},
        {"Latin-1 signs", "\xC2\xA0\xC2\xA3\xC2\xA9\xC2\xAD", "\xA0\xA3\xA9\xAD"},
        {"quotes", "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x98s\xE2\x80\x99 \xE2\x80\x9E\xE2\x80\x9A",
         "\x93q\x94 \x91s\x92 \x84\x82"},
        {"dashes, ellipsis, bullet, trade mark",
         "\xE2\x80\x93\xE2\x80\x94\xE2\x80\xA6\xE2\x80\xA2\xE2\x84\xA2", "\x96\x97\x85\x95\x99"},
        {"letters of the handheld's table", "\xC5\x92\xC5\x93\xC5\xA0\xC5\xA1\xC5\xB8",
         "\x8C\x9C\x8A\x9A\x9F"},
        {"card suits", "\xE2\x99\xA0\xE2\x99\xA3\xE2\x99\xA5\xE2\x99\xA6", "\x90\x8E\x8F\x8D"},
        {"euro sign", "5 \xE2\x82\xAC", "5 EUR"},
        {"ligatures", "\xEF\xAC\x81\xEF\xAC\x83 \xC4\xB2", "fiffi IJ"},
        {"letters outside Latin-1", "\xC5\x9D\xC4\x80\xC5\x81\xC5\xBE\xC5\xBF\xC8\x99\xC6\x92",
         "sALzssf"},
        {"other dashes and spaces",
         "a\xE2\x80\x90"
         "b\xE2\x88\x92"
         "c\xE2\x80\x89"
         "d\xE3\x80\x80",
         "a-b-c d "},
        {"unmappable: CJK, emoji, C1 control", "\xE4\xB8\xAD\xF0\x9F\x98\x80\xC2\x85", "???"},
        {"stray continuation byte",
         "a\x80"
         "b",
         "a?b"},
        {"sequence cut by the end", "a\xC3", "a?"},
        {"sequence cut by ASCII", "\xE2\x82x", "??x"},
        {"overlong form", "\xC0\xAF", "??"},
        {"surrogate", "\xED\xA0\x80", "???"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "????"},
        {"byte never in UTF-8", "\xFF\xF5", "??"},
        {"largest code point", "\xF4\x8F\xBF\xBF", "?"},
    };
    for (const auto& testCase : cases) {
        const std::string handheld = handheldTextFromUtf8(testCase.utf8);
        EXPECT_EQ(handheld, testCase.handheld) << testCase.what;
        EXPECT_LE(handheld.size(), testCase.utf8.size()) << testCase.what;
    }
}

}  // namespace
}  // namespace quillon
