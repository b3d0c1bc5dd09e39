// The user.reg reader and editor: string escapes as Wine writes them (and raw bytes as people
// write them), key lookup, and edits that change one line and keep every other byte.
#include "WineRegistryText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace hollin {
namespace {

const std::string kHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to "
    "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n";

struct TextCase {
    std::string valueLine;
    RegistryValueKind kind;
    std::string text;
};

TEST(WineRegistryTextValues, DecodeEscapesAndRawBytes) {
    const TextCase cases[] = {
        {R"("v"="C:\\Palm")", RegistryValueKind::text, "C:\\Palm"},
        {R"("v"="Jo \"Q\" Smith")", RegistryValueKind::text, "Jo \"Q\" Smith"},
        {R"("v"="a\nb\tc\r")", RegistryValueKind::text, "a\nb\tc\r"},
        {R"("v"="\x00e9t\x20ac")", RegistryValueKind::text, "\xE9t\x80"},  // 4 digits before 't'
        {R"("v"="\xe9")", RegistryValueKind::text, "\xE9"},
        {R"("v"="\x4e2d\xd83d\xde00!")", RegistryValueKind::text,
         "?"
         "?!"},                                                         // not in windows-1252
        {"\"v\"=\"caf\xC3\xA9\"", RegistryValueKind::text, "caf\xE9"},  // raw UTF-8
        // Bytes that are not UTF-8 are dropped one by one, as Wine 8 does.
        {"\"v\"=\"caf\xE9!\"", RegistryValueKind::text, "caf!"},
        {"\"v\"=\"a\xC3\xA9\xE9\xA9"
         "b\"",
         RegistryValueKind::text,
         "a\xE9"
         "b"},
        {R"("v"="\101\0b")", RegistryValueKind::text, std::string("A\0b", 3)},
        {R"("v"="\[x\]\q")", RegistryValueKind::text, "[x]q"},
        {R"("v"=str(2):"%HOME%\\x")", RegistryValueKind::expandableText, "%HOME%\\x"},
        {R"("v"=dword:0000002a)", RegistryValueKind::number, ""},
        {R"("v"=str(7):"a\0b\0")", RegistryValueKind::other, ""},
        {"\"v\"=hex:01,02,\\\n  03,04", RegistryValueKind::other, ""},
    };
    for (const TextCase& textCase : cases) {
        WineRegistryText registry;
        ASSERT_TRUE(
            registry.parse(kHeader + "\n[Key] 1\n" + textCase.valueLine + "\n\"after\"=\"x\"\n"));
        const RegistryValue* value = registry.findValue("Key", "V");
        ASSERT_NE(value, nullptr) << textCase.valueLine;
        EXPECT_EQ(value->kind, textCase.kind) << textCase.valueLine;
        EXPECT_EQ(value->text, textCase.text) << textCase.valueLine;
        // The value after a continued one is still found.
        EXPECT_NE(registry.findValue("key", "after"), nullptr) << textCase.valueLine;
    }
}

TEST(WineRegistryTextKeys, FoundWithoutRegardToCaseAndThroughSubkeys) {
    WineRegistryText registry;
    ASSERT_TRUE(
        registry.parse("WINE REGISTRY Version 2\r\n\r\n[Software\\\\Palm Computing\\\\Pilot "
                       "Desktop\\\\Core] 1700000000\r\n#time=1d9\r\n@=\"default\"\r\n"
                       "\"Path\"=\"C:\\\\Palm\"\r\n"));
    EXPECT_TRUE(registry.keyExists("software\\PALM COMPUTING"));
    EXPECT_TRUE(registry.keyExists("Software\\Palm Computing\\Pilot Desktop"));
    EXPECT_TRUE(registry.keyExists("Software\\Palm Computing\\Pilot Desktop\\core"));
    EXPECT_FALSE(registry.keyExists("Software\\Palm"));
    EXPECT_FALSE(registry.keyExists("Software\\Palm Computing\\Pilot Desktop\\Core\\Sub"));
    ASSERT_NE(registry.findValue("Software\\Palm Computing\\Pilot Desktop\\Core", "path"), nullptr);
    EXPECT_EQ(registry.findValue("Software\\Palm Computing\\Pilot Desktop\\Core", "path")->text,
              "C:\\Palm");
    EXPECT_EQ(registry.findValue("Software\\Palm Computing\\Pilot Desktop\\Core", "")->text,
              "default");
    // Only subkeys: the key exists, but has no values of its own.
    EXPECT_EQ(registry.findValue("Software\\Palm Computing", "Path"), nullptr);
}

// Found by fuzzing: a key written twice is one key to Wine, its last value of a name the one
// that counts, so reading and setting both use that one.
TEST(WineRegistryTextKeys, KeyWrittenTwiceActsAsOneKey) {
    const std::string text =
        kHeader +
        "\n[Key] 1\n\"Install42\"=dword:00000000\n\"a\"=\"first\"\n\n[Key] 2\n\"a\"=\"second\"\n"
        "\"Install42\"=dword:00000000\n";
    WineRegistryText registry;
    ASSERT_TRUE(registry.parse(text));
    EXPECT_EQ(registry.findValue("key", "A")->text, "second");
    const auto edited = registry.withNumber("Key", "Install42", 1, 0);
    ASSERT_TRUE(edited.has_value());
    EXPECT_EQ(*edited, text.substr(0, text.size() - 2) + "1\n");
}

TEST(WineRegistryTextKeys, RejectsFilesThatAreNotWineRegistries) {
    WineRegistryText registry;
    EXPECT_FALSE(registry.parse("REGEDIT4\n\n[Software\\\\Palm Computing] 1\n"));
    EXPECT_FALSE(registry.parse(""));
    EXPECT_FALSE(registry.parse("WINE REGISTRY Version 1\n"));
    // Broken lines are skipped; a value above every section belongs to no key.
    ASSERT_TRUE(registry.parse(
        kHeader + "\"v\"=\"orphan\"\n[Broken\n\"v\"=\"lost\"\n[Key] 1\n\"v\"=\"kept\"\n"));
    ASSERT_EQ(registry.sections().size(), 1U);
    EXPECT_EQ(registry.findValue("Key", "v")->text, "kept");
}

struct EditCase {
    const char* what;
    std::string before;
    std::string path;
    std::optional<std::string> after;
};

TEST(WineRegistryTextEdit, SetsOneNumberAndKeepsEveryOtherByte) {
    const std::string hotSync = "Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager";
    const std::string keyName = "[Software\\\\U.S. Robotics\\\\Pilot Desktop\\\\HotSync Manager";
    const std::string header = keyName + "] 17";
    const std::string next = "\n[Software\\\\Wine] 5\n\"Version\"=\"win7\"\n";
    const EditCase cases[] = {
        {"replaced in place, other case of the name",
         kHeader + "\n" + header + "\n\"INSTALL42\"=dword:00000000\n\"x\"=\"y\"\n" + next, hotSync,
         kHeader + "\n" + header + "\n\"Install42\"=dword:00000001\n\"x\"=\"y\"\n" + next},
        {"replaces a continued value of another type",
         kHeader + "\n" + header + "\n\"Install42\"=hex:01,\\\n  02\n" + next, hotSync,
         kHeader + "\n" + header + "\n\"Install42\"=dword:00000001\n" + next},
        {"added after the last value, before the blank line",
         kHeader + "\n" + header + "\n#time=1d9\n\"a\"=\"b\"\n" + next, hotSync,
         kHeader + "\n" + header + "\n#time=1d9\n\"a\"=\"b\"\n\"Install42\"=dword:00000001\n" +
             next},
        {"CR LF kept", kHeader + "\r\n" + header + "\r\n\"a\"=\"b\"\r\n\r\n[Other] 1\r\n", hotSync,
         kHeader + "\r\n" + header +
             "\r\n\"a\"=\"b\"\r\n\"Install42\"=dword:00000001\r\n\r\n[Other] 1\r\n"},
        {"last line without line break", kHeader + "\n" + header + "\n\"a\"=\"b\"", hotSync,
         kHeader + "\n" + header + "\n\"a\"=\"b\"\n\"Install42\"=dword:00000001\n"},
        {"key known only through a subkey gets a section",
         kHeader + "\n" + keyName + "\\\\Sub] 17\n\"a\"=\"b\"\n", hotSync,
         kHeader + "\n" + keyName + "\\\\Sub] 17\n\"a\"=\"b\"\n\n" + keyName +
             "] 1700000000\n#time=1da1747c66d0000\n\"Install42\"=dword:00000001\n"},
        {"missing key: nothing", kHeader + next, hotSync, std::nullopt},
    };
    for (const EditCase& editCase : cases) {
        WineRegistryText registry;
        ASSERT_TRUE(registry.parse(editCase.before)) << editCase.what;
        EXPECT_EQ(registry.withNumber(editCase.path, "Install42", 1, 1700000000), editCase.after)
            << editCase.what;
        if (editCase.after) {
            WineRegistryText edited;
            ASSERT_TRUE(edited.parse(*editCase.after));
            ASSERT_NE(edited.findValue(editCase.path, "install42"), nullptr) << editCase.what;
            EXPECT_EQ(edited.findValue(editCase.path, "install42")->kind,
                      RegistryValueKind::number);
        }
    }
}

}  // namespace
}  // namespace hollin
